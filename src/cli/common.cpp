#include "commands.h"

#include <cstdio>

namespace cli {

std::optional<int> parseArguments(QCommandLineParser &parser, const QStringList &arguments,
                                  int minPositional, int maxPositional)
{
    const QCommandLineOption help = parser.addHelpOption();
    QString error;
    if (!parser.parse(arguments)) {
        error = parser.errorText();
    } else if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return ExitOk;
    } else {
        const qsizetype count = parser.positionalArguments().size();
        if (count < minPositional)
            error = QStringLiteral("missing arguments");
        else if (maxPositional >= 0 && count > maxPositional)
            error = QStringLiteral("too many arguments");
    }
    if (error.isEmpty())
        return std::nullopt;

    // The usage line is the first line of the help text.
    const QString usage = parser.helpText().section(QLatin1Char('\n'), 0, 0);
    std::fprintf(stderr, "vantorel-cli: %s\n%s\n", qPrintable(error), qPrintable(usage));
    return ExitUsage;
}

void reportFailure(const QString &file, const QString &reason)
{
    std::fprintf(stderr, "vantorel-cli: %s: %s\n", qPrintable(file), qPrintable(reason));
}

} // namespace cli
