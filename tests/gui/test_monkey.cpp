// A long run of random user actions on the offscreen window: typing,
// deleting and pasting in the box, Tab, Clear, Open with good and bad files
// or cancelled, resizing and maximizing. After every action the window must
// still be consistent with its box, and no temporary file may be left.
//
// VANTOREL_MONKEY_SEED and VANTOREL_MONKEY_ACTIONS choose the run; the
// defaults keep it short enough for every CI run.
#include "window_fixture.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <random>

namespace {

int envInt(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

class Monkey : public WindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        m_oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", m_temp.path().toLocal8Bit());
        WindowTest::SetUp();
        form().Show();
        settle();
        makeFiles();
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        qputenv("TMPDIR", m_oldTmp);
    }

    // Good saves of both forms, and files that are not saves at all.
    void makeFiles()
    {
        const QString saves = QStringLiteral(VANTOREL_TEST_DATA "/saves/");
        m_files << saves + "unc-test.sav" << saves + "COTM163_C3C122_01.SAV";
        QFile compressed(saves + "COTM162_C3C122_01.SAV");
        ASSERT_TRUE(compressed.open(QIODevice::ReadOnly));
        const QByteArray stream = compressed.readAll();
        const auto write = [&](const QString &name, const QByteArray &bytes) {
            QFile file(m_files_dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            m_files << file.fileName();
        };
        write("truncated.SAV", stream.left(stream.size() / 2));
        write("empty.SAV", QByteArray());
        write("noise.SAV", QByteArray(5000, '\x5A'));
        write("plain-no-history.SAV", QByteArray("CIV3") + QByteArray(300, '\0'));
        QByteArray flipped = stream;
        for (qsizetype i = 100; i < flipped.size(); i += 997)
            flipped[i] = char(flipped[i] ^ 0x55);
        write("flipped.SAV", flipped);
        m_files << m_files_dir.path() << m_files_dir.filePath("missing.SAV");
    }

    QPlainTextEdit *box() { return static_cast<QPlainTextEdit *>(form().MemoMaxScore->Widget()); }

    QTemporaryDir m_temp;  // the system's temporary folder, for this run only
    QTemporaryDir m_filesDirHolder;
    QDir m_files_dir{m_filesDirHolder.path()};
    QStringList m_files;
    QByteArray m_oldTmp;
};

} // namespace

TEST_F(Monkey, RandomActionsKeepTheWindowConsistent)
{
    const int seed = envInt("VANTOREL_MONKEY_SEED", 20261211);
    const int actions = envInt("VANTOREL_MONKEY_ACTIONS", 1500);
    std::mt19937 random(seed);
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    const QString typable = QStringLiteral("0123456789-+ a,e\n");

    for (int step = 0; step < actions; ++step) {
        const int action = pick(11);
        const QString textBefore = box()->toPlainText();
        const bool boxHadFocus = QApplication::focusWidget() == box();
        bool refillsTable = false;  // the action ends with the reference curve in the table
        switch (action) {
        case 0:
        case 1:
        case 2:
            box()->setFocus();
            if (const QChar c = typable.at(pick(int(typable.size()))); c == QLatin1Char('\n'))
                QTest::keyClick(box(), Qt::Key_Return);
            else
                QTest::keyClicks(box(), QString(c));
            break;
        case 3:
            box()->setFocus();
            QTest::keyClick(box(), Qt::Key_Backspace);
            break;
        case 4:
            box()->selectAll();
            box()->insertPlainText(QString::number(int(random() % 2000000) - 1000));  // as a paste
            refillsTable = true;
            break;
        case 5:
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : box(), Qt::Key_Tab);
            refillsTable = boxHadFocus;
            break;
        case 6:
            QTest::mouseClick(static_cast<QPushButton *>(form().ButtonClear->Widget()), Qt::LeftButton);
            refillsTable = true;
            break;
        case 7:
        case 8: {
            const QString name = pick(4) == 0 ? QString() : m_files.at(pick(int(m_files.size())));
            vcl::TOpenDialog::ExecuteHook = [name](const vcl::TOpenDialog &) { return name; };
            if (pick(2))
                form().Open->Click();
            else
                form().ButtonOpen->Click();
            break;
        }
        case 9:
            form().Restore();
            form().SetClientSize(200 + pick(900), 150 + pick(700));
            break;
        case 10:
            form().Maximize();
            break;
        }
        refillsTable = refillsTable || box()->toPlainText() != textBefore;
        settle();

        // The box alone decides the scale, and the label shows it or, after
        // Clear, nothing.
        const int32_t expected = chart::readMaxScore(form().MemoMaxScore->Text().toStdString());
        ASSERT_EQ(maxScore(), expected) << "step " << step << ", action " << action;
        const QString label = form().LabelMax->Caption();
        ASSERT_TRUE(label.isEmpty() || label == QString::number(expected)) << "step " << step;
        if (refillsTable && expected > 0) {
            chart::ScoreTable reference = history();
            chart::fillReferenceCurve(expected, reference);
            ASSERT_EQ(history(), reference) << "step " << step << ": the table is the reference curve";
        }
        ASSERT_TRUE(QDir(m_temp.path()).isEmpty()) << "step " << step << ": a temporary file was left";
        ASSERT_EQ(form().ClientImage().size(), QSize(form().ClientWidth(), form().ClientHeight()));
    }
}
