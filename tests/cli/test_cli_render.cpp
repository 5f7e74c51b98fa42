// vantorel-cli render, run as a process: the picture is the window's client
// area after the actions, pixel for pixel.
#include "run_cli.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString Saves = QStringLiteral(VANTOREL_TEST_DATA "/saves/");

bool isBlack(const QImage &image, int x, int y)
{
    return (image.pixel(x, y) & 0xFFFFFF) == 0;
}

// Black rows of the chart square at column x.
std::vector<int> blackRows(const QImage &image, int x)
{
    std::vector<int> rows;
    for (int y = 41; y <= 498; ++y)
        if (isBlack(image, x, y))
            rows.push_back(y);
    return rows;
}

class Render : public ::testing::Test {
protected:
    QString out(const char *name) { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(Render, DrawsTheGridOfTheTypedMaximum)
{
    const CliRun run = runCli({"render", "--max", "7125", "-o", out("grid.png")});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QImage image(out("grid.png"));
    ASSERT_EQ(image.size(), QSize(540, 540));
    EXPECT_EQ(blackRows(image, 300), (std::vector<int>{56, 119, 182, 245, 308, 371, 434, 497}));
    // The strips hide the lines outside the chart square.
    EXPECT_FALSE(isBlack(image, 20, 497));
}

TEST_F(Render, ACompressedSaveIsDrawnOverAPlainOne)
{
    const QString both = out("both.png");
    ASSERT_EQ(runCli({"render", "--max", "1000", "-o", both, Saves + "unc-test.sav",
                      Saves + "COTM162_C3C122_01.SAV"}).exitCode, 0);
    const QString plain = out("plain.png");
    ASSERT_EQ(runCli({"render", "--max", "1000", "-o", plain, Saves + "unc-test.sav"}).exitCode, 0);
    const QString compressed = out("compressed.png");
    ASSERT_EQ(runCli({"render", "--max", "1000", "-o", compressed, Saves + "COTM162_C3C122_01.SAV"}).exitCode, 0);

    // Every curve pixel of the plain save's picture is still there under
    // the compressed save's curve.
    const QImage a(plain), b(both), c(compressed);
    const QRgb face = a.pixel(300, 300);
    int plainPixels = 0, kept = 0, added = 0;
    for (int y = 42; y < 497; ++y) {
        for (int x = 42; x < 498; ++x) {
            if (isBlack(a, x, y) || a.pixel(x, y) == face)
                continue;
            ++plainPixels;
            kept += b.pixel(x, y) != face;
        }
        for (int x = 42; x < 498; ++x)
            added += b.pixel(x, y) != face && a.pixel(x, y) == face && !isBlack(b, x, y);
    }
    EXPECT_GT(plainPixels, 100);
    EXPECT_EQ(kept, plainPixels);
    EXPECT_GT(added, 100);
    EXPECT_NE(b, c);
}

TEST_F(Render, SizeSetsTheClientArea)
{
    ASSERT_EQ(runCli({"render", "--size", "800x600", "--max", "1000", "-o", out("big.png")}).exitCode, 0);
    const QImage image(out("big.png"));
    ASSERT_EQ(image.size(), QSize(800, 600));
    EXPECT_TRUE(isBlack(image, 400, 600 - 43));  // the baseline moves with the height
    EXPECT_TRUE(isBlack(image, 400, 41));
}

TEST_F(Render, WritesChartPngByDefault)
{
    const CliRun run = runCli({"render"}, m_dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(QFile::exists(out("chart.png")));
}

TEST_F(Render, BadInputWritesNoPicture)
{
    struct Case {
        const char *name;
        QStringList arguments;
        int exitCode;
        const char *message;
    } cases[] = {
        {"missing save", {Saves + "unc-test.sav", m_dir.filePath("missing.SAV")}, 1, "missing.SAV: "},
        {"a folder", {m_dir.path()}, 1, "is a directory"},
        {"bad size", {"--size", "0x10"}, 2, "--size"},
        {"size not a size", {"--size", "big"}, 2, "--size"},
        {"unknown option", {"--colour", "red"}, 2, "Usage: vantorel-cli render"},
    };
    for (const Case &c : cases) {
        const QString png = out("bad.png");
        const CliRun run = runCli(QStringList{"render", "-o", png} + c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
        EXPECT_TRUE(run.err.contains(c.message)) << c.name << ": " << run.err.constData();
        EXPECT_FALSE(QFile::exists(png)) << c.name;
    }
}
