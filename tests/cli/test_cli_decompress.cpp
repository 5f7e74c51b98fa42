// vantorel-cli decompress, run as a process: the image of compressed and plain
// saves, one clear line for each way a save can be unusable, no partial OUT
// behind, and the usage conventions.
#include "run_cli.h"

#include "core/implode_writer.h"
#include "explode.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString Saves = QStringLiteral(VANTOREL_TEST_DATA "/saves/");


QByteArray bytesOf(const std::vector<uint8_t> &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

class CliDecompress : public ::testing::Test {
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    // What the folder holds besides the files the test put there: a failed
    // run must leave nothing, not even its temporary file.
    QStringList files() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir m_dir;
};

TEST_F(CliDecompress, ACompressedSaveBecomesItsImage)
{
    const QString save = Saves + QStringLiteral("COTM162_C3C122_01.SAV");
    const CliRun run = runCli({QStringLiteral("decompress"), save, path(QStringLiteral("image"))});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    EXPECT_TRUE(run.out.isEmpty());

    const QString expected = path(QStringLiteral("expected"));
    ASSERT_EQ(ExplodeFile(QFile::encodeName(save).constData(), QFile::encodeName(expected).constData()), 1);
    const QByteArray image = readAll(path(QStringLiteral("image")));
    EXPECT_EQ(image.size(), 2664877);
    EXPECT_TRUE(image == readAll(expected));
    EXPECT_EQ(files(), QStringList({QStringLiteral("expected"), QStringLiteral("image")}));
}

TEST_F(CliDecompress, APlainSaveIsCopiedAsItIs)
{
    const QString save = Saves + QStringLiteral("unc-test.sav");
    const CliRun run = runCli({QStringLiteral("decompress"), save, path(QStringLiteral("image"))});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(readAll(path(QStringLiteral("image"))) == readAll(save));
}

TEST_F(CliDecompress, AnExistingOutIsReplacedOnlyByAWholeImage)
{
    const QString out = path(QStringLiteral("image"));
    writeAll(out, "the image of an earlier run");

    ImplodeWriter good(6);
    good.literals("Civ3 image");
    writeAll(path(QStringLiteral("good.SAV")), bytesOf(good.finish()));
    std::vector<uint8_t> cut = ImplodeWriter(6).literals("Civ3 image that ends too soon").finish();
    cut.resize(cut.size() - 3);
    writeAll(path(QStringLiteral("cut.SAV")), bytesOf(cut));

    EXPECT_EQ(runCli({QStringLiteral("decompress"), path(QStringLiteral("cut.SAV")), out}).exitCode, 1);
    EXPECT_EQ(readAll(out), "the image of an earlier run");

    EXPECT_EQ(runCli({QStringLiteral("decompress"), path(QStringLiteral("good.SAV")), out}).exitCode, 0);
    EXPECT_EQ(readAll(out), "Civ3 image");
    EXPECT_EQ(files(), QStringList({QStringLiteral("cut.SAV"), QStringLiteral("good.SAV"), QStringLiteral("image")}));
}

struct BadSave {
    const char *what;
    QByteArray content;  // the save's bytes; a null array: no file at all
    const char *reason;  // what follows "vantorel-cli: SAVE: "
};

TEST_F(CliDecompress, EachUnusableSaveGetsOneLineAndNoOut)
{
    ImplodeWriter reaching(6);
    reaching.literal('C').copy(10, 5);
    QByteArray truncated = readAll(Saves + QStringLiteral("COTM163_C3C122_01.SAV"));
    truncated.truncate(100000);

    const BadSave cases[] = {
        {"a missing file", QByteArray(), "cannot be read: No such file or directory"},
        {"an empty file", QByteArray(""), "not a saved game: the file is empty"},
        {"a picture", QByteArray("\x89PNG\r\n\x1a\n", 8), "not a compressed save"},
        {"coded literals", QByteArray("\x01\x06\x01\xff", 4), "not a compressed save"},
        {"a save cut short", truncated, "truncated stream: the file ends before the end code"},
        {"a copy before the first byte", bytesOf(reaching.finish()),
         "damaged stream: a copy reaches outside the decoded bytes"},
    };
    for (const BadSave &c : cases) {
        SCOPED_TRACE(c.what);
        const QString save = path(QStringLiteral("bad.SAV"));
        QFile::remove(save);
        if (!c.content.isNull())
            writeAll(save, c.content);
        const QString out = path(QStringLiteral("image"));

        const CliRun run = runCli({QStringLiteral("decompress"), save, out});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err.toStdString(), "vantorel-cli: " + save.toStdString() + ": " + c.reason + "\n");
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_EQ(files(), c.content.isNull() ? QStringList() : QStringList({QStringLiteral("bad.SAV")}));
    }

    const CliRun folder = runCli({QStringLiteral("decompress"), m_dir.path(), path(QStringLiteral("image"))});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_EQ(folder.err.toStdString(), "vantorel-cli: " + m_dir.path().toStdString() + ": cannot be read: it is a folder\n");
}

TEST_F(CliDecompress, AnOutThatCannotBeWrittenIsNamed)
{
    const QString out = path(QStringLiteral("no-such-folder/image"));
    const CliRun run =
        runCli({QStringLiteral("decompress"), Saves + QStringLiteral("COTM162_C3C122_01.SAV"), out});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.toStdString(), "vantorel-cli: " + out.toStdString() + ": cannot be written: No such file or directory\n");

    // A folder in OUT's place: the image is made, but cannot take its place.
    QDir(m_dir.path()).mkdir(QStringLiteral("folder"));
    const CliRun onFolder = runCli(
        {QStringLiteral("decompress"), Saves + QStringLiteral("COTM162_C3C122_01.SAV"), path(QStringLiteral("folder"))});
    EXPECT_EQ(onFolder.exitCode, 1);
    EXPECT_TRUE(onFolder.err.startsWith("vantorel-cli: " + QFile::encodeName(path(QStringLiteral("folder"))) +
                                        ": cannot be written: "))
        << onFolder.err.toStdString();
    EXPECT_EQ(files(), QStringList());
}

struct Usage {
    QStringList arguments;
    int exitCode;
    const char *error;  // first line on stderr, empty when none
};

TEST_F(CliDecompress, WrongArgumentsGiveTheUsageLine)
{
    const QString save = Saves + QStringLiteral("COTM162_C3C122_01.SAV");
    const Usage cases[] = {
        {{}, 2, "vantorel-cli: missing arguments"},
        {{save}, 2, "vantorel-cli: missing arguments"},
        {{save, path(QStringLiteral("a")), path(QStringLiteral("b"))}, 2, "vantorel-cli: too many arguments"},
        {{QStringLiteral("--frobnicate"), save, path(QStringLiteral("a"))}, 2,
         "vantorel-cli: Unknown option 'frobnicate'."},
    };
    for (const Usage &c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const CliRun run = runCli(QStringList{QStringLiteral("decompress")} + c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        const QList<QByteArray> lines = run.err.split('\n');
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines[0].toStdString(), c.error);
        EXPECT_EQ(lines[1].toStdString(), "Usage: vantorel-cli decompress [options] SAVE OUT");
    }
    EXPECT_EQ(files(), QStringList());

    const CliRun help = runCli({QStringLiteral("decompress"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: vantorel-cli decompress [options] SAVE OUT\n")) << help.out.toStdString();
    EXPECT_TRUE(help.err.isEmpty());
}

} // namespace
