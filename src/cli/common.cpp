#include "commands.h"

#include <QRegularExpression>

#include <cstdio>

namespace cli {

namespace {

// Qt names the program by its path; the usage line names the command too.
QString helpText(const QCommandLineParser &parser, const QString &command)
{
    static const QRegularExpression program(QStringLiteral("^Usage: \\S+"));
    QString text = parser.helpText();
    text.replace(program, QStringLiteral("Usage: vantorel-cli ") + command);
    return text;
}

} // namespace

std::optional<int> parseArguments(QCommandLineParser &parser, const QStringList &arguments,
                                  int minPositional, int maxPositional)
{
    const QCommandLineOption help = parser.addHelpOption();
    QString error;
    if (!parser.parse(arguments)) {
        error = parser.errorText();
    } else if (parser.isSet(help)) {
        std::fputs(qPrintable(helpText(parser, arguments.value(0))), stdout);
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
    const QString usage = helpText(parser, arguments.value(0)).section(QLatin1Char('\n'), 0, 0);
    std::fprintf(stderr, "vantorel-cli: %s\n%s\n", qPrintable(error), qPrintable(usage));
    return ExitUsage;
}

void reportFailure(const QString &file, const QString &reason)
{
    std::fprintf(stderr, "vantorel-cli: %s: %s\n", qPrintable(file), qPrintable(reason));
}

} // namespace cli
