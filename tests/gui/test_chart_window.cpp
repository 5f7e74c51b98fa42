// The chart as the window draws it: grid rows, curve vertices, the
// difference between drawing at once and invalidating, and other sizes.
#include "window_fixture.h"

#include <QWidget>

#include <numeric>

namespace {

std::vector<int> arithmeticRows(int from, int step, int count)
{
    std::vector<int> rows;
    for (int k = count - 1; k >= 0; --k)
        rows.push_back(from - k * step);
    return rows;
}

struct GridCase {
    const char *name;
    int32_t maxScore;
    std::vector<int> rows;  // black rows of the chart square, top to bottom
};

class GridRows : public WindowTest, public ::testing::WithParamInterface<GridCase> {};

} // namespace

TEST_P(GridRows, AtTheDesignedSize)
{
    const GridCase &c = GetParam();
    maxScore() = c.maxScore;
    form().Invalidate();
    settle();
    ASSERT_EQ(form().ClientWidth(), 540);
    ASSERT_EQ(form().ClientHeight(), 540);
    // Column 300 lies right of the flat opening run of an empty history.
    std::vector<int> rows;
    for (int y : rowsOfColour(300, chart::Black))
        if (y >= 41 && y <= 498)
            rows.push_back(y);
    EXPECT_EQ(rows, c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Window, GridRows,
    ::testing::Values(GridCase{"Start", 0, {497}},
                      GridCase{"Max999", 999, {497}},
                      GridCase{"Max1000", 1000, {41, 497}},
                      GridCase{"Max10000", 10000, arithmeticRows(497, 45, 11)},
                      GridCase{"Max7125", 7125, {56, 119, 182, 245, 308, 371, 434, 497}},
                      GridCase{"Max455999", 455999, arithmeticRows(497, 1, 456)},
                      GridCase{"Max456000", 456000, {497}},
                      GridCase{"MinusOne", -1, {497}},
                      GridCase{"MinusThousand", -1000, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(WindowTest, GridLinesSpanTheWholeClientWidth)
{
    maxScore() = 1000;
    form().Invalidate();
    settle();
    for (int x : {0, 41, 270, 498, 539})
        EXPECT_TRUE(pixelIs(x, 497, chart::Black)) << "x = " << x;
}

TEST_F(WindowTest, EntriesStandAtTheirColumns)
{
    maxScore() = 1000;
    history().fill(1000);
    const auto points = lineVertices([&] { form().FormPaint(&form()); });
    // The grid's two lines come first, then one point per entry.
    ASSERT_EQ(points.size(), 2u + 540u);
    const auto entry = [&](int i) { return points[1 + i]; };
    const std::pair<int, int> columns[] = {{1, 41}, {2, 42}, {19, 57}, {20, 57}, {270, 270}, {539, 498}, {540, 499}};
    for (const auto &[i, x] : columns) {
        EXPECT_EQ(entry(i).X, x) << "entry " << i;
        EXPECT_EQ(entry(i).Y, 41) << "entry " << i;
    }
}

TEST_F(WindowTest, FirstSegmentRisesFromTheOrigin)
{
    maxScore() = 1000;
    history().fill(1000);
    std::vector<std::pair<bool, vcl::TPoint>> trace;
    form().Canvas->OnTrace = [&](bool isLine, vcl::TPoint p) { trace.push_back({isLine, p}); };
    form().FormPaint(&form());
    form().Canvas->OnTrace = nullptr;
    // grid: move, line, move, line; then the move to the origin.
    ASSERT_GT(trace.size(), 6u);
    EXPECT_FALSE(trace[4].first);
    EXPECT_EQ(trace[4].second, (vcl::TPoint{41, 497}));
    EXPECT_EQ(trace[5].second, (vcl::TPoint{41, 41}));
    // The vertical segment is on the surface, in the curve's colour.
    curveColor() = 0x0000FF;
    form().FormPaint(&form());
    EXPECT_TRUE(pixelIs(41, 300, 0x0000FF));
}

TEST_F(WindowTest, FiveThousandsThenZerosPullTheMeanDown)
{
    maxScore() = 1000;
    history().fill(0);
    for (int i = 1; i <= 5; ++i)
        history()[i] = 1000;
    const auto points = lineVertices([&] { form().FormPaint(&form()); });
    const std::vector<vcl::TPoint> curve(points.begin() + 2, points.end());
    ASSERT_EQ(curve.size(), 19u);  // slot 20 holds 0: the curve ends at entry 19
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(curve[i - 1].Y, 41) << "entry " << i;
    EXPECT_EQ(curve[5].Y, 117);
    EXPECT_EQ(curve[9].Y, 269);
    EXPECT_EQ(curve[18].Y, 377);
}

TEST_F(WindowTest, TheFirstEmptyEntryAfterTheOpeningEndsTheCurve)
{
    maxScore() = 1000;
    struct Case {
        const char *name;
        std::function<void(chart::ScoreTable &)> fill;
        size_t entries;
    } cases[] = {
        {"zero in slot 25", [](auto &t) { t.fill(500); t[25] = 0; }, 24},
        {"zeros in slots 1 to 19 only pull the mean down",
         [](auto &t) { t.fill(500); std::fill(t.begin() + 1, t.begin() + 20, 0); }, 540},
        {"all zero draws the opening run", [](auto &t) { t.fill(0); }, 19},
        {"negative scores are summed, not an end", [](auto &t) { t.fill(-5); }, 540},
    };
    for (const Case &c : cases) {
        c.fill(history());
        const auto points = lineVertices([&] { form().FormPaint(&form()); });
        EXPECT_EQ(points.size() - 2, c.entries) << c.name;
    }
}

TEST_F(WindowTest, SlotZeroIsNeverRead)
{
    maxScore() = 1000;
    history().fill(700);
    const auto before = lineVertices([&] { form().FormPaint(&form()); });
    history()[0] = 123456789;
    const auto after = lineVertices([&] { form().FormPaint(&form()); });
    EXPECT_EQ(before, after);
}

TEST_F(WindowTest, HugeMeansAreClippedWithoutHanging)
{
    // A mean millions of times MaxScore puts points far off the surface; the
    // segments to them must cost no more than the surface they cross.
    maxScore() = 1;
    history().fill(2000000000);
    form().FormPaint(&form());
    maxScore() = 2147483647;  // 2.1 million grid lines, all on the baseline
    form().FormPaint(&form());
    EXPECT_TRUE(pixelIs(300, 497, chart::Black));
}

TEST_F(WindowTest, DirectPaintDrawsOverAndInvalidateClears)
{
    maxScore() = 1000;
    form().Invalidate();
    settle();
    ASSERT_TRUE(pixelIs(300, 41, chart::Black));

    // Drawn at once: the line of the earlier scale stays beside the new ones.
    maxScore() = 10000;
    form().FormPaint(&form());
    EXPECT_TRUE(pixelIs(300, 41, chart::Black));
    EXPECT_TRUE(pixelIs(300, 452, chart::Black));

    // An invalidation clears the whole area before painting again.
    form().Invalidate();
    EXPECT_TRUE(pixelIs(300, 41, chart::Black)) << "nothing is cleared before the handler returns";
    settle();
    EXPECT_FALSE(pixelIs(300, 41, chart::Black));
    EXPECT_TRUE(pixelIs(300, 452, chart::Black));
    EXPECT_TRUE(pixelIs(300, 200, form().Color()));
}

TEST_F(WindowTest, StripsCoverTheSurfaceOutsideTheChartSquare)
{
    maxScore() = 1000;
    history().fill(1000);
    curveColor() = 0x0000FF;
    form().Invalidate();
    settle();
    const QImage shown = form().ClientImage();
    ASSERT_EQ(shown.size(), QSize(540, 540));
    // The grid line runs across the whole surface but shows only between the strips.
    EXPECT_EQ(shown.pixel(300, 497) & 0xFFFFFF, 0u);
    EXPECT_NE(shown.pixel(20, 497) & 0xFFFFFF, 0u);
    EXPECT_NE(shown.pixel(520, 497) & 0xFFFFFF, 0u);
    // The curve's end point at x = 499 lies under the right strip.
    EXPECT_EQ(shown.pixel(498, 41), vcl::toQRgb(0x0000FF));
    EXPECT_NE(shown.pixel(499, 41), vcl::toQRgb(0x0000FF));
}

TEST_F(WindowTest, MaximizingEnlargesTheChartAndKeepsTheStrips)
{
    form().Show();
    form().Maximize();
    settle();
    const int w = form().ClientWidth();
    const int h = form().ClientHeight();
    ASSERT_GT(w, 540);
    ASSERT_GT(h, 540);

    maxScore() = 1000;
    history().fill(1000);
    const auto points = lineVertices([&] { form().FormPaint(&form()); });
    EXPECT_EQ(FormMainProbe::GraphWidth(form()), w - 82);
    EXPECT_EQ(FormMainProbe::GraphHeight(form()), h - 84);
    EXPECT_EQ(points.back(), (vcl::TPoint{w - 41, 41}));
    EXPECT_EQ(points.front(), (vcl::TPoint{w, h - 43}));

    struct Strip {
        vcl::TControl *control;
        QRect bounds;
    } strips[] = {
        {form().PanelTop, {0, 0, w, 41}},
        {form().PanelBottom, {0, h - 41, w, 41}},
        {form().PanelLeft, {0, 41, 41, h - 82}},
        {form().PanelRight, {w - 41, 41, 41, h - 82}},
        {form().BevelGraph, {41, 41, w - 82, h - 82}},
        {form().PanelTopRight, {w - 41, 0, 41, 41}},
        {form().PanelOpenButton, {w - 82, 0, 41, 41}},
        {form().Panel0, {0, h - 82 - 41, 41, 41}},
        {form().PanelRightCorner, {w - 41, 0, 41, 41}},
        {form().ButtonClear, {224, 8, 75, 25}},
    };
    for (const Strip &s : strips) {
        EXPECT_EQ(s.control->BoundsRect(), s.bounds) << qPrintable(s.control->Name);
        if (s.control->Widget()) {
            EXPECT_EQ(s.control->Widget()->geometry(), s.bounds) << qPrintable(s.control->Name);
        }
    }

    // The resize drew at once, then the queued repaint drew again: the
    // baseline is at the new height.
    EXPECT_TRUE(pixelIs(w / 2, h - 43, chart::Black));
    form().Restore();
    settle();
    EXPECT_EQ(form().ClientWidth(), 540);
    EXPECT_EQ(form().ClientHeight(), 540);
}
