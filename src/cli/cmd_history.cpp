// vantorel-cli history SAVE: the score table that opening SAVE in the window
// gives, with the running mean the chart draws, as CSV on stdout.
#include "commands.h"

#include "chart.h"
#include "savefile.h"
#include "scorehistory.h"

#include <QFile>

#include <charconv>
#include <cstdio>
#include <string>

namespace cli {

namespace {

// One line per entry: its number, its slot and the running mean of entries 1
// to it. The mean is written as the shortest decimal that reads back to the
// same double, so a script sees exactly the number the chart plots.
std::string historyCsv(const chart::ScoreTable &table)
{
    std::string csv = "entry,score,mean\n";
    chart::RunningMean mean;
    char number[64];
    for (int i = 1; i <= chart::Entries; ++i) {
        const int32_t slot = table[size_t(i)];
        csv += std::to_string(i);
        csv += ',';
        csv += std::to_string(slot);
        csv += ',';
        const auto written = std::to_chars(number, number + sizeof number, mean.add(slot));
        csv.append(number, written.ptr);
        csv += '\n';
    }
    return csv;
}

} // namespace

int runHistory(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints the score table that opening SAVE in Vantorel gives, as CSV: one line per entry "
        "1 to 540 with the entry's score and the running mean of the entries up to it. The "
        "scores are civilization 1's, the player of a single-player game, turn by turn."));
    parser.addPositionalArgument(QStringLiteral("SAVE"),
                                 QStringLiteral("a Civilization III saved game (.SAV)"));
    if (auto exitCode = parseArguments(parser, arguments, 1, 1))
        return *exitCode;

    const QString save = parser.positionalArguments().constFirst();
    const SaveImage image = openSaveImage(QFile::encodeName(save).toStdString());

    // The window starts from an empty table and, like it, only an image that
    // begins with "C" is searched.
    chart::ScoreTable table{};
    const bool found = image.looksLikeSave()
        && readScoreHistory(image.bytes.data(), image.bytes.size(), table);
    if (!found) {
        // A reason of the file's own comes first: "no score history" would
        // hide that the file could not be read or decoded.
        reportFailure(save, image.error.empty() ? QStringLiteral("no score history found")
                                                : QString::fromStdString(image.error));
        return ExitBadInput;
    }
    if (!image.complete) {
        // The window charts such a save too, so the table is printed; the
        // warning says that it may be cut short.
        reportFailure(save, QStringLiteral("warning: %1; the table comes from the part that "
                                           "could be decoded")
                                .arg(QString::fromStdString(image.error)));
    }

    const std::string csv = historyCsv(table);
    std::fwrite(csv.data(), 1, csv.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        reportFailure(QStringLiteral("stdout"), QStringLiteral("cannot write the table"));
        return ExitBadInput;
    }
    return ExitOk;
}

} // namespace cli
