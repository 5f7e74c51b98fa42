#include "commands.h"

namespace cli {

int runHistory(const QStringList &arguments)
{
    QCommandLineParser parser;
    if (auto exitCode = parseArguments(parser, arguments, 0, -1))
        return *exitCode;
    reportFailure(arguments.value(0), QStringLiteral("not built yet"));
    return ExitBadInput;
}

} // namespace cli
