// The "MaxScore:" box, the reference curve, the curve colours and Clear,
// driven by real typing and real focus changes.
#include "window_fixture.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cstdlib>

namespace {

// The colours a fresh process draws, in order. srand(1) puts rand back
// where an unseeded generator starts.
std::vector<vcl::TColor> coloursFromStart(int count)
{
    std::srand(1);
    std::vector<vcl::TColor> colours;
    for (int i = 0; i < count; ++i)
        colours.push_back(chart::nextCurveColor());
    std::srand(1);
    return colours;
}

class MaxScoreBox : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        form().Show();
        vcl::Application->ProcessMessages();
        box()->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(box()->hasFocus());
    }

    QPlainTextEdit *box() { return static_cast<QPlainTextEdit *>(form().MemoMaxScore->Widget()); }
    QPushButton *clearButton() { return static_cast<QPushButton *>(form().ButtonClear->Widget()); }
    QString label() { return form().LabelMax->Caption(); }
    void type(const QString &text) { QTest::keyClicks(box(), text); }
    // Inside the chart square, off the sunken frame's edges.
    bool curveDrawnIn(vcl::TColor colour)
    {
        for (int y = 42; y < 498; ++y)
            for (int x = 42; x < 498; ++x)
                if (pixelIs(x, y, colour))
                    return true;
        return false;
    }
};

} // namespace

TEST_F(MaxScoreBox, EveryTypedCharacterIsAChange)
{
    const auto colours = coloursFromStart(5);
    const std::pair<QString, int32_t> keys[] = {{"1", 1}, {"0", 10}, {"0", 100}, {"0", 1000}};
    for (size_t k = 0; k < std::size(keys); ++k) {
        type(keys[k].first);
        EXPECT_EQ(maxScore(), keys[k].second);
        EXPECT_EQ(curveColor(), colours[k]) << "keystroke " << k;
    }
    EXPECT_EQ(label(), "1000");
    EXPECT_EQ(history()[2], 1);
    EXPECT_EQ(history()[540], 2772);
    settle();
    std::vector<int> rows;
    for (int y : rowsOfColour(300, chart::Black))
        if (y >= 41 && y <= 498)
            rows.push_back(y);
    EXPECT_EQ(rows, (std::vector<int>{41, 497}));

    // Leaving the box is one more change, with a fifth colour.
    QTest::keyClick(box(), Qt::Key_Tab);
    EXPECT_TRUE(clearButton()->hasFocus());
    EXPECT_EQ(curveColor(), colours[4]);
    EXPECT_EQ(maxScore(), 1000);
}

TEST_F(MaxScoreBox, TheBoxReadsAsTheDesignedNumbers)
{
    struct Case {
        const char *typed;
        int32_t number;
    } cases[] = {
        {"1000", 1000}, {" 1000", 1000}, {"1,000", 1}, {"1e5", 1}, {"12abc", 12},
        {"-500", -500}, {"+50", 50},     {"  -3", -3}, {"", 0},    {"abc", 0},
        {"-", 0},       {"- 5", 0},      {"3000000000", -1294967296},
    };
    for (const Case &c : cases) {
        box()->clear();
        type(QString::fromLatin1(c.typed));
        EXPECT_EQ(maxScore(), c.number) << '"' << c.typed << '"';
        EXPECT_EQ(label(), QString::number(c.number)) << '"' << c.typed << '"';
    }
    // A second line is never read; the box joins its lines with CR LF.
    box()->clear();
    type("500");
    QTest::keyClick(box(), Qt::Key_Return);
    type("700");
    EXPECT_EQ(form().MemoMaxScore->Text(), "500\r\n700");
    EXPECT_EQ(maxScore(), 500);
}

TEST_F(MaxScoreBox, DeletingAndPastingAreChangesToo)
{
    type("1234");
    QTest::keyClick(box(), Qt::Key_Backspace);
    EXPECT_EQ(maxScore(), 123);
    box()->selectAll();
    box()->insertPlainText("9000");  // as a paste does: one edit
    EXPECT_EQ(maxScore(), 9000);
    EXPECT_EQ(label(), "9000");
}

TEST_F(MaxScoreBox, ReferenceCurveAtOneThousandPassesItsPoints)
{
    type("1000");
    settle();
    const auto points = lineVertices([&] { form().FormPaint(&form()); });
    ASSERT_EQ(points.size(), 2u + 540u);
    EXPECT_EQ(points[2], (vcl::TPoint{41, 497}));
    EXPECT_EQ(points[1 + 100], (vcl::TPoint{125, 465}));
    EXPECT_EQ(points[1 + 270], (vcl::TPoint{270, 355}));
    EXPECT_EQ(points[1 + 540], (vcl::TPoint{499, 39}));
}

TEST_F(MaxScoreBox, SmallMaximaDrawTheOpeningRunOnly)
{
    const std::pair<const char *, size_t> cases[] = {{"48", 19}, {"49", 540}};
    for (const auto &[typed, entries] : cases) {
        box()->clear();
        type(typed);
        const auto points = lineVertices([&] { form().FormPaint(&form()); });
        EXPECT_EQ(points.size() - 1, entries) << typed;  // one grid line, then the curve
    }
}

TEST_F(MaxScoreBox, EmptyOrNegativeBoxLeavesTheTableAndDrawsNoCurve)
{
    type("1000");
    const chart::ScoreTable curve = history();
    const std::pair<const char *, std::vector<int>> cases[] = {
        {"", {497}},      // emptied: the baseline alone
        {"-500", {497}},  // -999 to -1: the baseline alone
        {"-1000", {}},    // -1000 and below: no grid line
    };
    for (const auto &[typed, rows] : cases) {
        box()->clear();
        type(typed);
        settle();
        EXPECT_EQ(history(), curve) << '"' << typed << '"';
        EXPECT_EQ(label(), QString::number(maxScore()));
        std::vector<int> black;
        for (int y : rowsOfColour(300, chart::Black))
            if (y >= 41 && y <= 498)
                black.push_back(y);
        EXPECT_EQ(black, rows) << '"' << typed << '"';
        EXPECT_FALSE(curveDrawnIn(curveColor())) << '"' << typed << '"';
    }
}

TEST_F(MaxScoreBox, ClearPutsTheReferenceBackInWhite)
{
    type("10000");
    settle();
    history().fill(5);  // as a loaded save would leave it
    const QImage before = surface();

    // Pressed with the focus in the box: the box's exit runs first, then Clear.
    const auto colours = coloursFromStart(1);
    QTest::mouseClick(clearButton(), Qt::LeftButton);
    EXPECT_TRUE(clearButton()->hasFocus());
    EXPECT_EQ(history()[1], 8);
    EXPECT_EQ(curveColor(), chart::White);
    EXPECT_EQ(label(), "");
    EXPECT_EQ(maxScore(), 10000);
    EXPECT_EQ(form().MemoMaxScore->Text(), "10000");
    // The box's exit drew at once in a new colour; Clear itself draws nothing.
    EXPECT_TRUE(curveDrawnIn(colours[0]));
    settle();
    EXPECT_FALSE(curveDrawnIn(colours[0]));
    EXPECT_TRUE(curveDrawnIn(chart::White));
    EXPECT_NE(surface(), before);
}

TEST_F(MaxScoreBox, ClearWithoutAScaleLeavesTheTable)
{
    history().fill(42);
    curveColor() = 0x123456;
    form().ButtonClear->Click();
    EXPECT_EQ(curveColor(), chart::White);
    EXPECT_EQ(history()[1], 42);
    EXPECT_EQ(label(), "");
    settle();
    EXPECT_FALSE(curveDrawnIn(chart::White));
}

TEST_F(MaxScoreBox, ClearAloneDrawsNothingBeforeTheRepaint)
{
    type("1000");
    settle();
    box()->clearFocus();
    const QImage before = surface();
    form().ButtonClear->Click();
    EXPECT_EQ(surface(), before);
    settle();
    EXPECT_TRUE(curveDrawnIn(chart::White));
}

TEST_F(MaxScoreBox, TypingAfterALoadReplacesTheSavesScores)
{
    type("100");
    history().fill(7);  // a save's scores
    type("0");
    EXPECT_EQ(history()[540], 2772);
    EXPECT_EQ(history()[2], 1);
}
