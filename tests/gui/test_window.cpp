// The main window as a user meets it: its layout, menu, focus, the Open and
// Exit commands, errors in handlers and a description that cannot be read.
#include "window_fixture.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdlib>

namespace {

const QString SavesDir = QStringLiteral(VANTOREL_TEST_DATA "/saves/");

class Window : public WindowTest {
protected:
    void showWindow()
    {
        form().Show();
        QApplication::setActiveWindow(form().Window());
        settle();
    }
    // Confirms `name` in the next file dialog; an empty name cancels it.
    void answerDialogWith(const QString &name)
    {
        vcl::TOpenDialog::ExecuteHook = [this, name](const vcl::TOpenDialog &dialog) {
            m_offered.push_back(dialog.FileName);
            ++m_dialogs;
            return name;
        };
    }
    std::vector<QString> m_offered;
    int m_dialogs = 0;
};

} // namespace

TEST_F(Window, IsLaidOutAsDesigned)
{
    EXPECT_EQ(form().Caption(), "Vantorel v.01");
    EXPECT_EQ(form().Window()->pos(), QPoint(191, 141));
    struct Place {
        vcl::TControl *control;
        QRect bounds;
    } places[] = {
        {form().PanelTop, {0, 0, 540, 41}},         {form().Label1, {40, 14, form().Label1->Width(), 13}},
        {form().MemoMaxScore, {96, 12, 57, 17}},    {form().PanelOpenButton, {458, 0, 41, 41}},
        {form().ButtonOpen, {16, 8, 25, 25}},       {form().PanelTopLeft, {0, 0, 41, 41}},
        {form().PanelTopRight, {499, 0, 41, 41}},   {form().ButtonClear, {224, 8, 75, 25}},
        {form().PanelRight, {499, 41, 41, 458}},    {form().PanelLeft, {0, 41, 41, 458}},
        {form().PanelMax, {0, 0, 41, 41}},          {form().LabelMax, {0, 0, 41, 13}},
        {form().Panel0, {0, 417, 41, 41}},          {form().LabelZero, {0, 29, 41, 12}},
        {form().PanelBottom, {0, 499, 540, 41}},    {form().PanelLeftCorner, {0, 0, 40, 41}},
        {form().PanelRightCorner, {499, 0, 41, 41}}, {form().BevelGraph, {41, 41, 458, 458}},
    };
    for (const Place &p : places) {
        EXPECT_EQ(p.control->BoundsRect(), p.bounds) << qPrintable(p.control->Name);
        if (p.control->Widget()) {
            EXPECT_EQ(p.control->Widget()->geometry(), p.bounds) << qPrintable(p.control->Name);
        }
    }
    // The labels stand level with the chart's top and bottom edges.
    EXPECT_EQ(form().LabelMax->Widget()->mapTo(form().Window(), QPoint(0, 0)).y() - form().MenuBar()->height(), 41);
    EXPECT_EQ(form().LabelZero->Caption(), "0");
    EXPECT_EQ(form().Label1->Caption(), "MaxScore:");
    EXPECT_EQ(form().LabelMax->Caption(), "");
    // The caption fits in front of the box.
    EXPECT_LE(form().Label1->Left() + form().Label1->Width(), 96);
}

TEST_F(Window, MenuHasFileWithOpenSeparatorAndExit)
{
    const QList<QAction *> top = form().MenuBar()->actions();
    ASSERT_EQ(top.size(), 1);
    EXPECT_EQ(top[0]->text(), "File");
    QMenu *file = top[0]->menu();
    ASSERT_NE(file, nullptr);
    const QList<QAction *> items = file->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "Open Civ III Save");
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->text(), "Exit");
    for (QAction *item : items)
        EXPECT_TRUE(item->shortcut().isEmpty());
}

TEST_F(Window, FocusStartsInTheBoxAndTabGoesToClearAndBack)
{
    showWindow();
    QWidget *box = form().MemoMaxScore->Widget();
    QWidget *clear = form().ButtonClear->Widget();
    EXPECT_EQ(QApplication::focusWidget(), box);
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), clear);
    QTest::keyClick(clear, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), box);
    QTest::keyClick(box, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), clear);
    // The picture button never takes it.
    EXPECT_EQ(form().ButtonOpen->Widget()->focusPolicy(), Qt::NoFocus);
}

TEST_F(Window, OpenThenCancelReadsNothingAndDrawsAColour)
{
    history().fill(321);
    std::srand(1);
    const vcl::TColor next = chart::nextCurveColor();
    std::srand(1);
    answerDialogWith(QString());
    form().Open->Click();
    EXPECT_EQ(m_dialogs, 1);
    EXPECT_EQ(history()[1], 321);
    EXPECT_EQ(curveColor(), next);
    EXPECT_EQ(form().OpenDialog->FileName, "");
}

TEST_F(Window, OpenLoadsAConfirmedSaveAndOffersItAgain)
{
    const QString save = SavesDir + "unc-test.sav";
    answerDialogWith(save);
    form().Open->Click();
    EXPECT_EQ(form().OpenDialog->FileName, save);
    EXPECT_NE(history()[100], 0);
    const chart::ScoreTable loaded = history();

    // Cancelled next time: the earlier curve stays, and the dialog had
    // offered the earlier file.
    answerDialogWith(QString());
    history()[100] = -1;
    form().Open->Click();
    ASSERT_EQ(m_offered.size(), 2u);
    EXPECT_EQ(m_offered[0], "");
    EXPECT_EQ(m_offered[1], save);
    EXPECT_EQ(history()[100], -1) << "the earlier file is not read again";
    (void)loaded;
}

TEST_F(Window, MenuAndPictureButtonOpenAlikeWithoutTouchingTheBox)
{
    showWindow();
    QTest::keyClicks(form().MemoMaxScore->Widget(), "1000");
    const QString save = SavesDir + "unc-test.sav";
    chart::ScoreTable viaMenu, viaButton;
    vcl::TColor colourMenu = 0, colourButton = 0;
    for (int round = 0; round < 2; ++round) {
        history().fill(0);
        std::srand(1);
        answerDialogWith(save);
        if (round == 0)
            form().Open->Click();
        else
            QTest::mouseClick(static_cast<QToolButton *>(form().ButtonOpen->Widget()), Qt::LeftButton);
        (round == 0 ? viaMenu : viaButton) = history();
        (round == 0 ? colourMenu : colourButton) = curveColor();
        // The box kept the focus and its handler did not run: the table
        // holds the save, not the reference curve, and one colour was drawn.
        EXPECT_EQ(QApplication::focusWidget(), form().MemoMaxScore->Widget());
        EXPECT_EQ(form().LabelMax->Caption(), "1000");
    }
    EXPECT_EQ(viaMenu, viaButton);
    EXPECT_EQ(colourMenu, colourButton);
    std::srand(1);
    EXPECT_EQ(colourMenu, chart::nextCurveColor());
}

TEST_F(Window, PlainLoadRepaintsWholeCompressedLoadDrawsOver)
{
    showWindow();
    QTest::keyClicks(form().MemoMaxScore->Widget(), "1000");
    settle();

    // A plain save: drawn at once in the colour of the box's last change,
    // then repainted whole in the colour Open drew.
    const vcl::TColor boxColour = curveColor();
    answerDialogWith(SavesDir + "unc-test.sav");
    form().Open->Click();
    const vcl::TColor plainColour = curveColor();
    settle();
    EXPECT_FALSE(rowsOfColour(200, plainColour).empty());
    EXPECT_TRUE(rowsOfColour(200, boxColour).empty()) << "the repaint cleared the first drawing";

    // A compressed save: its curve lands over the picture in the colour
    // current before the command, and the plain save's curve stays.
    answerDialogWith(SavesDir + "COTM162_C3C122_01.SAV");
    form().Open->Click();
    settle();
    const std::vector<int> plainRows = rowsOfColour(200, plainColour);
    ASSERT_FALSE(plainRows.empty());
    ASSERT_NE(curveColor(), plainColour);
    // Both curves are in the one colour here; the overlay shows as two
    // separate runs of it in the column.
    const auto runs = [&](const std::vector<int> &rows) {
        int count = rows.empty() ? 0 : 1;
        for (size_t i = 1; i < rows.size(); ++i)
            count += rows[i] != rows[i - 1] + 1;
        return count;
    };
    EXPECT_GE(runs(plainRows), 2);

    // The next repaint shows the second save alone, in the newest colour.
    form().Invalidate();
    settle();
    EXPECT_TRUE(rowsOfColour(200, plainColour).empty());
    EXPECT_EQ(runs(rowsOfColour(200, curveColor())), 1);
}

TEST_F(Window, ExitEndsTheMessageLoop)
{
    QTimer::singleShot(0, [] { FormMain->Exit->Click(); });
    vcl::Application->Run();  // returns only once the loop has ended
    EXPECT_FALSE(form().Visible());
}

TEST_F(Window, TheCloseBoxEndsTheMessageLoopToo)
{
    QTimer::singleShot(0, [] { FormMain->Window()->close(); });
    vcl::Application->Run();
    EXPECT_FALSE(form().Visible());
}

TEST_F(Window, AnExceptionInAHandlerIsShownAndTheProgramGoesOn)
{
    vcl::TOpenDialog::ExecuteHook = [](const vcl::TOpenDialog &) -> QString {
        throw vcl::Exception(QStringLiteral("The dialog broke"));
    };
    form().Open->Click();
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].kind, vcl::TMessageKind::Error);
    EXPECT_EQ(m_boxes[0].text, "The dialog broke.");
    // The window still answers.
    form().MemoMaxScore->SetText("1000");
    EXPECT_EQ(maxScore(), 1000);
}

TEST(WindowStart, ADescriptionThatCannotBeReadGivesOneBoxAndNoWindow)
{
    std::vector<QString> boxes;
    vcl::SetMessageBoxHook([&](vcl::TMessageKind, const QString &, const QString &text) { boxes.push_back(text); });
    vcl::Application->Initialize();
    const QString folder = vcl::Application->DescriptionFolder;
    vcl::Application->DescriptionFolder = QStringLiteral("/nonexistent");
    const int windowsBefore = int(QApplication::topLevelWidgets().size());
    // The entry's guard, as the program runs it.
    try {
        vcl::Application->CreateForm(FormMain);
        vcl::Application->Run();
    } catch (const vcl::Exception &exception) {
        vcl::Application->ShowException(exception);
    }
    vcl::Application->DescriptionFolder = folder;
    vcl::SetMessageBoxHook(nullptr);
    EXPECT_EQ(FormMain, nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Resource TFormMain not found.");
    EXPECT_EQ(int(QApplication::topLevelWidgets().size()), windowsBefore);
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible());
}

TEST_F(Window, TheRealDialogFiltersSavesInAnyCaseAndOffersTheLastOne)
{
    const QString last = SavesDir + "unc-test.sav";
    form().OpenDialog->FileName = last;
    QStringList filters;
    QString offered;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        offered = dialog->selectedFiles().value(0);
        dialog->reject();
    });
    EXPECT_FALSE(form().OpenDialog->Execute());
    EXPECT_EQ(form().OpenDialog->FileName, last) << "a cancelled dialog keeps the name";
    EXPECT_EQ(offered, last);
    ASSERT_EQ(filters.size(), 1);
    EXPECT_TRUE(filters[0].startsWith("Civ III Save (.SAV) ("));
    // The pattern takes saves named in upper and in lower case alike.
    const QString pattern = filters[0].section('(', 2).chopped(1);
    const QStringList listed = QDir(SavesDir).entryList({pattern}, QDir::Files | QDir::CaseSensitive);
    EXPECT_TRUE(listed.contains("unc-test.sav"));
    EXPECT_TRUE(listed.contains("COTM162_C3C122_01.SAV"));
    EXPECT_FALSE(listed.contains("unc-test.hist.csv"));
}
