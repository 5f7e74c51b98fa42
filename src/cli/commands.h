// vantorel-cli: the headless companion. Each command is one function that
// takes its own arguments (the command's name first) and returns the exit code.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

inline constexpr int ExitOk = 0;
inline constexpr int ExitBadInput = 1;  // a file could not be read, decoded or written
inline constexpr int ExitUsage = 2;     // wrong arguments

// Parses a command's arguments with the usual conventions: --help prints the
// command's help and gives ExitOk, a wrong option or a wrong number of
// positional arguments prints the error and a usage line and gives ExitUsage.
// Returns nothing when the command should go on.
std::optional<int> parseArguments(QCommandLineParser &parser, const QStringList &arguments,
                                  int minPositional, int maxPositional);

// Prints "vantorel-cli: FILE: reason" on stderr.
void reportFailure(const QString &file, const QString &reason);

int runDecompress(const QStringList &arguments);
int runHistory(const QStringList &arguments);
int runRender(const QStringList &arguments);

} // namespace cli
