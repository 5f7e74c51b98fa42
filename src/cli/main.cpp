#include "commands.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

struct Command {
    const char *name;
    const char *summary;
    int (*run)(const QStringList &arguments);
    bool needsWidgets;
};

const Command Commands[] = {
    {"decompress", "write the plain image of a saved game", cli::runDecompress, false},
    {"history", "print a save's score table as CSV", cli::runHistory, false},
    {"render", "draw the window's chart to a PNG file", cli::runRender, true},
};

void printUsage(FILE *stream)
{
    QTextStream out(stream);
    out << "Usage: vantorel-cli COMMAND [OPTIONS] [ARGS]\n"
           "       vantorel-cli --help | --version\n\n"
           "Score history charts for Civilization III saved games, without a window.\n\n"
           "Commands:\n";
    for (const Command &command : Commands)
        out << "  " << QString::fromLatin1(command.name).leftJustified(12) << command.summary << '\n';
    out << "\nRun 'vantorel-cli COMMAND --help' for a command's options.\n"
           "Exit status: 0 on success, 1 when a file cannot be read or written, 2 on wrong usage.\n";
}

} // namespace

int main(int argc, char *argv[])
{
    const QString first = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const Command *command = nullptr;
    for (const Command &candidate : Commands)
        if (first == QLatin1String(candidate.name))
            command = &candidate;

    // Drawing needs the widgets, but never a display: the window is made
    // offscreen, so the picture is the same on a desktop, a server or in CI.
    if (command && command->needsWidgets && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app;
    if (command && command->needsWidgets)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantorel-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTOREL_VERSION));

    if (command)
        return command->run(QCoreApplication::arguments().mid(1));
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        printUsage(stdout);
        return cli::ExitOk;
    }
    if (first == QLatin1String("--version")) {
        std::printf("vantorel-cli %s\n", VANTOREL_VERSION);
        return cli::ExitOk;
    }
    if (!first.isEmpty())
        std::fprintf(stderr, "vantorel-cli: unknown command '%s'\n", qPrintable(first));
    printUsage(stderr);
    return cli::ExitUsage;
}
