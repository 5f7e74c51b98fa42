// vantorel-cli history, run as a process: the table of the real saves, the
// running mean as the chart computes it, and the exit codes.
#include "run_cli.h"

#include "chart.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <map>
#include <string>
#include <vector>

namespace {

QString savePath(const QString &name)
{
    return QStringLiteral(VANTOREL_TEST_DATA "/saves/") + name;
}


// Civilization 1's score by turn, from a walked history.
std::map<int, int32_t> playerScores(const QString &csvPath)
{
    std::map<int, int32_t> scores;
    const QList<QByteArray> lines = readAll(csvPath).split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {  // after turn,date,civ_id,power,score,culture
        const QList<QByteArray> row = lines[i].split(',');
        if (row.size() >= 5 && row[2] == "1")
            scores[row[0].toInt()] = row[4].toInt();
    }
    return scores;
}

struct Row {
    int entry;
    int32_t score;
    std::string mean;
};

// The CSV's lines after the header; an empty result if the header is wrong.
std::vector<Row> rows(const QByteArray &csv)
{
    QList<QByteArray> lines = csv.split('\n');
    if (lines.isEmpty() || lines.takeFirst() != "entry,score,mean" || lines.takeLast() != "")
        return {};
    std::vector<Row> result;
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() != 3)
            return {};
        result.push_back({fields[0].toInt(), fields[1].toInt(), fields[2].toStdString()});
    }
    return result;
}

std::string shortest(double value)
{
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

struct RealSave {
    const char *name;
    const char *history;
    int entries;  // N in the section
};

class CliHistoryRealSave : public testing::TestWithParam<RealSave> {};

TEST_P(CliHistoryRealSave, PrintsThePlayersScoresAndTheirRunningMean)
{
    const RealSave &save = GetParam();
    const CliRun run = runCli({QStringLiteral("history"), savePath(QString::fromLatin1(save.name))});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.err, QByteArray());

    const std::vector<Row> table = rows(run.out);
    ASSERT_EQ(table.size(), size_t(chart::Entries));
    const std::map<int, int32_t> scores = playerScores(savePath(QString::fromLatin1(save.history)));
    chart::RunningMean mean;
    for (int i = 1; i <= chart::Entries; ++i) {
        const Row &row = table[size_t(i - 1)];
        const int32_t want = i < save.entries ? scores.at(i - 1) : 0;
        ASSERT_EQ(row.entry, i);
        ASSERT_EQ(row.score, want) << "entry " << i;
        ASSERT_EQ(row.mean, shortest(mean.add(want))) << "entry " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Saves, CliHistoryRealSave,
                         testing::Values(RealSave{"COTM162_C3C122_01.SAV", "COTM162_C3C122_01.hist.csv", 239},
                                         RealSave{"COTM163_C3C122_01.SAV", "COTM163_C3C122_01.hist.csv", 245},
                                         RealSave{"unc-test.sav", "unc-test.hist.csv", 259},
                                         RealSave{"space-race-victory.SAV", "space-race-victory.hist.csv", 434}),
                         [](const auto &info) {
                             std::string name = info.param.name;
                             name = name.substr(0, name.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// The first lines of COTM162 worked by hand: the player scored nothing for
// three turns, and the means are written without trailing digits.
TEST(CliHistory, FirstLinesOfCotm162)
{
    const CliRun run = runCli({QStringLiteral("history"), savePath(QStringLiteral("COTM162_C3C122_01.SAV"))});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.startsWith("entry,score,mean\n"
                                   "1,0,0\n"
                                   "2,0,0\n"
                                   "3,0,0\n"
                                   "4,23,5.75\n"
                                   "5,35,11.6\n"
                                   "6,42,16.666666666666668\n"))
        << run.out.left(200).constData();
}

// A save cut near its end still holds the whole history: the window charts
// it, so the table is printed, with a warning that the save is damaged.
TEST(CliHistory, DamagedSaveWithItsHistoryIntactPrintsWithAWarning)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString whole = savePath(QStringLiteral("COTM162_C3C122_01.SAV"));
    const QByteArray save = readAll(whole);
    const QString cut = scratch.filePath(QStringLiteral("cut.SAV"));
    writeAll(cut, save.left(save.size() * 98 / 100));

    const CliRun run = runCli({QStringLiteral("history"), cut});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.startsWith(("vantorel-cli: " + cut + ": warning: ").toUtf8())) << run.err.constData();
    EXPECT_EQ(run.out, runCli({QStringLiteral("history"), whole}).out);
}

TEST(CliHistory, NothingToPrintExitsOne)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString noTag = scratch.filePath(QStringLiteral("plain.SAV"));
    writeAll(noTag, QByteArray("CIV3 a plain save without the section, HIS T"));
    const QString empty = scratch.filePath(QStringLiteral("empty.SAV"));
    writeAll(empty, QByteArray());
    const QString rejected = scratch.filePath(QStringLiteral("coded.SAV"));
    writeAll(rejected, QByteArray("\x01\x06\x00\x00", 4));
    const QString cutEarly = scratch.filePath(QStringLiteral("cut.SAV"));
    writeAll(cutEarly, readAll(savePath(QStringLiteral("COTM163_C3C122_01.SAV"))).left(20000));

    const struct {
        QString path;
        QString reason;  // empty: any text the decoder gives
    } cases[] = {
        {noTag, QStringLiteral("no score history found")},
        {empty, QStringLiteral("empty file")},
        {scratch.path(), QStringLiteral("is a directory")},
        {scratch.filePath(QStringLiteral("missing.SAV")), QStringLiteral("No such file or directory")},
        {rejected, QString()},
        {cutEarly, QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const CliRun run = runCli({QStringLiteral("history"), c.path});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, QByteArray());
        const QByteArray prefix = ("vantorel-cli: " + c.path + ": ").toUtf8();
        if (c.reason.isEmpty()) {
            EXPECT_TRUE(run.err.startsWith(prefix)) << run.err.constData();
            EXPECT_FALSE(run.err.contains("no score history")) << run.err.constData();
        } else {
            EXPECT_EQ(run.err, prefix + c.reason.toUtf8() + '\n');
        }
    }
}

TEST(CliHistory, UsageErrorsExitTwo)
{
    const QString save = savePath(QStringLiteral("unc-test.sav"));
    const QStringList cases[] = {
        {QStringLiteral("history")},
        {QStringLiteral("history"), save, save},
        {QStringLiteral("history"), QStringLiteral("--frobnicate"), save},
    };
    for (const QStringList &arguments : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, QByteArray());
        EXPECT_TRUE(run.err.startsWith("vantorel-cli: ")) << run.err.constData();
    }
}

TEST(CliHistory, HelpNamesTheSave)
{
    const CliRun run = runCli({QStringLiteral("history"), QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("SAVE")) << run.out.constData();
}

} // namespace
