// The MIME package as a desktop sees it: Qt's MIME database, fed with our
// package file next to the system's own, the way update-mime-database merges
// them once the .deb is installed. The point of interest is *.sav, which the
// system already gives to SPSS data files.
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const char CivSave[] = "application/x-civ3-save";
const char SpssData[] = "application/x-spss-sav";

// A private XDG data folder holding only the system's base package and ours,
// compiled by the real update-mime-database. It has to be in place before the
// first QMimeDatabase of the process, which reads the environment once; every
// case makes sure of it first. Returns what went wrong, or nothing.
QString prepareDatabase()
{
    static QTemporaryDir dataDir;
    static const QString error = [] {
        const QString base =
            QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                   QStringLiteral("mime/packages/freedesktop.org.xml"));
        if (base.isEmpty())
            return QStringLiteral("shared-mime-info is not installed");
        const QString mimeDir = dataDir.filePath(QStringLiteral("mime"));
        const QString packages = mimeDir + QStringLiteral("/packages");
        if (!dataDir.isValid() || !QDir().mkpath(packages)
            || !QFile::copy(base, packages + QStringLiteral("/freedesktop.org.xml"))
            || !QFile::copy(QStringLiteral(VANTOREL_MIME_PACKAGE),
                            packages + QStringLiteral("/io.github.vantorel.Vantorel.xml")))
            return QStringLiteral("cannot set up ") + dataDir.path();

        qputenv("XDG_DATA_HOME", dataDir.path().toLocal8Bit());
        qputenv("XDG_DATA_DIRS", dataDir.path().toLocal8Bit());
        // A package with a mistake is reported on stderr, yet the tool
        // succeeds, so any message counts as a failure.
        QProcess update;
        update.start(QStringLiteral("update-mime-database"), {mimeDir});
        if (!update.waitForFinished(60000) || update.exitStatus() != QProcess::NormalExit)
            return QStringLiteral("update-mime-database did not run: ") + update.errorString();
        const QString messages = QString::fromLocal8Bit(update.readAllStandardError());
        if (update.exitCode() != 0 || !messages.isEmpty())
            return QStringLiteral("update-mime-database: ") + messages;
        return QString();
    }();
    return error;
}

class MimeDatabase : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString error = prepareDatabase();
        ASSERT_TRUE(error.isEmpty()) << qPrintable(error);
    }
};

// Writes a file for a case; every case has a folder of its own, as several
// share a name. Returns the path, or nothing.
QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return {};
    return file.fileName();
}

// The first bytes of a save the game stored uncompressed, of one it imploded
// (uncoded literals, 4 KiB dictionary), and of an SPSS data file.
const QByteArray PlainSave = QByteArray("CIV3\x00\x1a\x18\x00", 8) + QByteArray(56, '\x01');
const QByteArray ImplodedSave =
    QByteArray("\x00\x06\x86\x24\xb1\x32\x03\x80", 8) + QByteArray(56, '\x5a');
const QByteArray SpssFile =
    QByteArray("$FL2@(#) SPSS DATA FILE MS Windows 24.0.0.0") + QByteArray(32, ' ');

struct FileCase {
    const char *what;
    const char *name;
    QByteArray content;
    const char *expected;
};

TEST_F(MimeDatabase, TellsSavesFromSpssByNameAndContent)
{
    const FileCase cases[] = {
        {"a plain save", "game.SAV", PlainSave, CivSave},
        {"an imploded save", "game.SAV", ImplodedSave, CivSave},
        {"an imploded save named in lower case", "game.sav", ImplodedSave, CivSave},
        {"a plain save without an extension", "game", PlainSave, CivSave},
        {"an SPSS file", "survey.sav", SpssFile, SpssData},
        {"an SPSS file named in upper case", "SURVEY.SAV", SpssFile, SpssData},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QMimeDatabase db;
    for (const FileCase &c : cases) {
        QTemporaryDir own(dir.filePath(QStringLiteral("XXXXXX")));
        const QString path = writeFile(own, QString::fromLatin1(c.name), c.content);
        ASSERT_FALSE(path.isEmpty()) << c.what;
        EXPECT_EQ(db.mimeTypeForFile(path).name().toStdString(), c.expected)
            << c.what << " (" << c.name << ')';
    }
}

// The name alone must settle it, with no second candidate left: desktops
// that break ties between equal globs by content, or alphabetically, would
// otherwise hand an imploded save (no magic) to whichever type they like.
TEST_F(MimeDatabase, NamesAloneMeanASave)
{
    const QMimeDatabase db;
    for (const char *name :
         {"game.SAV", "game.sav", "Game.Sav", "/home/me/Civ3/Saves/Auto/Autosave.SAV"}) {
        QStringList names;
        for (const QMimeType &type : db.mimeTypesForFileName(QString::fromLatin1(name)))
            names << type.name();
        EXPECT_EQ(names.join(u',').toStdString(), CivSave) << name;
    }
}

TEST_F(MimeDatabase, ContentAloneTellsAPlainSaveFromSpss)
{
    const QMimeDatabase db;
    EXPECT_EQ(db.mimeTypeForData(PlainSave).name().toStdString(), CivSave);
    EXPECT_EQ(db.mimeTypeForData(SpssFile).name().toStdString(), SpssData);
}

TEST_F(MimeDatabase, RealSavesOfTheTestDataAreSaves)
{
    const QMimeDatabase db;
    const QDir saves(QStringLiteral(VANTOREL_TEST_DATA "/saves"));
    const QStringList names = saves.entryList({QStringLiteral("*.sav")}, QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString &name : names)
        EXPECT_EQ(db.mimeTypeForFile(saves.filePath(name)).name().toStdString(), CivSave)
            << qPrintable(name);
}

TEST_F(MimeDatabase, TheTypeReadsAsASave)
{
    const QMimeType type = QMimeDatabase().mimeTypeForName(QString::fromLatin1(CivSave));
    ASSERT_TRUE(type.isValid());
    EXPECT_EQ(type.comment().toStdString(), "Civilization III saved game");
    EXPECT_EQ(type.iconName().toStdString(), "io.github.vantorel.Vantorel");
}

} // namespace
