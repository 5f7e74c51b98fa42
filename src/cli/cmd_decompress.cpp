// vantorel-cli decompress SAVE OUT: the plain image of a saved game, the bytes
// in which the window looks for the score history. A compressed save is
// decoded; a plain save (first byte "C") is copied as it is.
//
// The image is written to a new file next to OUT and renamed to OUT only once
// it is whole, so a failure leaves no partial OUT behind, and an OUT that
// existed before is kept as it was.
#include "commands.h"

#include "explode.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {

namespace {

// A new file in OUT's folder, removed again unless commit() renames it to
// OUT. It is created only here (never over an existing file), with the
// permissions of an OUT that exists, else the usual ones for a new file.
class PartFile {
public:
    explicit PartFile(const QString &out) : m_out(out) {}
    ~PartFile()
    {
        if (!m_committed && !m_path.isEmpty())
            QFile::remove(m_path);
    }

    // Creates the file and leaves it open in `file`. Returns an empty string,
    // or why the file cannot be created.
    QString create(QFile &file)
    {
        const QFileInfo out(m_out);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString name = QStringLiteral(".%1.part-%2")
                                     .arg(out.fileName())
                                     .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
            file.setFileName(out.absolutePath() + QLatin1Char('/') + name);
            if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                m_path = file.fileName();
                if (out.exists())
                    file.setPermissions(out.permissions());
                return {};
            }
            if (!file.exists())
                return file.errorString();
        }
        return QStringLiteral("no free name for a temporary file");
    }

    QString path() const { return m_path; }

    // Puts the finished image in OUT's place. Returns an empty string, or why
    // that failed.
    QString commit()
    {
        if (std::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(m_out).constData()) != 0)
            return QString::fromLocal8Bit(std::strerror(errno));
        m_committed = true;
        return {};
    }

private:
    QString m_out;
    QString m_path;
    bool m_committed = false;
};

// Copies the rest of `save` into `part`. Returns false after reporting why.
bool copyPlain(QFile &save, QFile &part, const QString &savePath, const QString &outPath)
{
    char buffer[1 << 16];
    for (;;) {
        const qint64 got = save.read(buffer, sizeof buffer);
        if (got < 0) {
            reportFailure(savePath, QStringLiteral("cannot be read: ") + save.errorString());
            return false;
        }
        if (got == 0)
            break;
        if (part.write(buffer, got) != got) {
            reportFailure(outPath, QStringLiteral("cannot be written: ") + part.errorString());
            return false;
        }
    }
    part.close();
    if (part.error() != QFileDevice::NoError) {
        reportFailure(outPath, QStringLiteral("cannot be written: ") + part.errorString());
        return false;
    }
    return true;
}

// Decodes `save` into `part`. Returns false after reporting why.
bool explodeInto(const QString &savePath, const QString &partPath, const QString &outPath)
{
    errno = 0;
    const ExplodeStatus status =
        explodeFileStatus(QFile::encodeName(savePath).constData(), QFile::encodeName(partPath).constData());
    const QString systemReason = errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QString();
    switch (status) {
    case ExplodeStatus::Ok:
        return true;
    case ExplodeStatus::CannotOpenOutput:
    case ExplodeStatus::WriteFailed:
        reportFailure(outPath, systemReason.isEmpty() ? QStringLiteral("cannot be written")
                                                      : QStringLiteral("cannot be written: ") + systemReason);
        return false;
    case ExplodeStatus::CannotOpenInput:
    case ExplodeStatus::ReadFailed:
        reportFailure(savePath, systemReason.isEmpty() ? QStringLiteral("cannot be read")
                                                       : QStringLiteral("cannot be read: ") + systemReason);
        return false;
    case ExplodeStatus::BadHeader:
    case ExplodeStatus::Truncated:
    case ExplodeStatus::BadDistance:
    case ExplodeStatus::TooLarge:
        break;
    }
    reportFailure(savePath, QString::fromLatin1(explodeStatusText(status)));
    return false;
}

} // namespace

int runDecompress(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the plain image of a saved game to OUT: a compressed save is decompressed, a "
        "plain one copied. OUT is replaced only once the image is whole."));
    parser.addPositionalArgument(QStringLiteral("SAVE"), QStringLiteral("a Civilization III saved game (.SAV)"));
    parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("the file to write the image to"));
    if (auto exitCode = parseArguments(parser, arguments, 2, 2))
        return *exitCode;
    const QString savePath = parser.positionalArguments().at(0);
    const QString outPath = parser.positionalArguments().at(1);

    QFile save(savePath);
    if (QFileInfo(savePath).isDir()) {
        reportFailure(savePath, QStringLiteral("cannot be read: it is a folder"));
        return ExitBadInput;
    }
    if (!save.open(QIODevice::ReadOnly)) {
        reportFailure(savePath, QStringLiteral("cannot be read: ") + save.errorString());
        return ExitBadInput;
    }
    char first = 0;
    const qint64 got = save.peek(&first, 1);
    if (got < 0) {
        reportFailure(savePath, QStringLiteral("cannot be read: ") + save.errorString());
        return ExitBadInput;
    }
    if (got == 0) {
        reportFailure(savePath, QStringLiteral("not a saved game: the file is empty"));
        return ExitBadInput;
    }

    PartFile partFile(outPath);
    QFile part;
    if (const QString error = partFile.create(part); !error.isEmpty()) {
        reportFailure(outPath, QStringLiteral("cannot be written: ") + error);
        return ExitBadInput;
    }
    if (first == 'C') {
        if (!copyPlain(save, part, savePath, outPath))
            return ExitBadInput;
    } else {
        part.close();
        save.close();
        if (!explodeInto(savePath, partFile.path(), outPath))
            return ExitBadInput;
    }
    if (const QString error = partFile.commit(); !error.isEmpty()) {
        reportFailure(outPath, QStringLiteral("cannot be written: ") + error);
        return ExitBadInput;
    }
    return ExitOk;
}

} // namespace cli
