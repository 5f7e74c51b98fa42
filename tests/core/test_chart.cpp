// The chart's arithmetic at the designed client size of 540 x 540, where the
// plot is 458 wide and 456 high: the grid, the curve's points, the reference
// curve, the maximum-score box and the curve colours.
#include "chart.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int32_t Height = 456;  // GraphHeight at 540 x 540
constexpr int32_t Width = 458;   // GraphWidth at 540 x 540
constexpr int32_t Baseline = Height + chart::PlotTop;

// The y of every grid line, as the window draws them: from the baseline up,
// one spacing apart.
std::vector<int32_t> gridRows(int32_t maxScore)
{
    std::vector<int32_t> rows;
    const int32_t spacing = maxScore > 0 ? chart::gridSpacing(Height, maxScore) : 0;
    int32_t y = Baseline;
    for (int32_t k = 0; k < chart::gridLineCount(maxScore); ++k, y -= spacing)
        rows.push_back(y);
    return rows;
}

// The curve's points, (x, y) for each entry drawn, as the window draws them.
struct Point {
    int32_t x, y;
    bool operator==(const Point &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Point &p)
{
    return out << '(' << p.x << ", " << p.y << ')';
}

std::vector<Point> curve(const chart::ScoreTable &slots, int32_t maxScore)
{
    std::vector<Point> points;
    chart::RunningMean mean;
    for (int i = 1; chart::curveReaches(slots, i); ++i) {
        const double m = mean.add(slots[size_t(i)]);
        points.push_back({chart::entryX(Width, i), chart::meanY(m, Height, maxScore)});
    }
    return points;
}

// ---------------------------------------------------------------------------
// The grid

TEST(Grid, SpacingIsTruncatedInExtendedPrecision)
{
    struct Case {
        const char *name;
        int32_t maxScore;
        int32_t spacing;
    } const cases[] = {
        {"MaxScore 1000 puts the top line on y = 41", 1000, 456},
        {"MaxScore 10000 spaces the grid 45 pixels", 10000, 45},
        {"MaxScore 7125 spaces the grid 63 pixels, not 64", 7125, 63},
        {"MaxScore 455999 spaces the grid 1 pixel", 455999, 1},
        {"MaxScore 456000 spaces the grid 0 pixels, not 1", 456000, 0},
        {"the largest MaxScore spaces the grid 0 pixels", 2147483647, 0},
        {"MaxScore 1 spaces the grid 456000 pixels", 1, 456000},
    };
    for (const Case &c : cases)
        EXPECT_EQ(chart::gridSpacing(Height, c.maxScore), c.spacing) << c.name;
}

TEST(Grid, LineCountIsOnePerWholeThousandAndTheBaseline)
{
    struct Case {
        int32_t maxScore;
        int32_t lines;
    } const cases[] = {
        {0, 1}, {999, 1}, {1000, 2}, {7125, 8}, {10000, 11}, {455999, 456}, {456000, 457},
        {-1, 1}, {-999, 1}, {-1000, 0}, {-2000, -1}, {2147483647, 2147484},
    };
    for (const Case &c : cases)
        EXPECT_EQ(chart::gridLineCount(c.maxScore), c.lines) << "MaxScore " << c.maxScore;
}

TEST(Grid, RowsAtTheDesignedSize)
{
    using Rows = std::vector<int32_t>;
    EXPECT_EQ(gridRows(0), Rows{497}) << "the start: the baseline alone";
    EXPECT_EQ(gridRows(999), Rows{497});
    EXPECT_EQ(gridRows(1000), (Rows{497, 41}));
    EXPECT_EQ(gridRows(10000), (Rows{497, 452, 407, 362, 317, 272, 227, 182, 137, 92, 47}));
    EXPECT_EQ(gridRows(7125), (Rows{497, 434, 371, 308, 245, 182, 119, 56}));
    EXPECT_EQ(gridRows(-1), Rows{497}) << "a negative MaxScore above -1000: the baseline alone";
    EXPECT_EQ(gridRows(-1000), Rows{}) << "MaxScore -1000: no line";

    const Rows fine = gridRows(455999);
    ASSERT_EQ(fine.size(), 456u);
    EXPECT_EQ(fine.front(), 497);
    EXPECT_EQ(fine.back(), 42);

    const Rows flat = gridRows(456000);
    ASSERT_EQ(flat.size(), 457u);
    EXPECT_EQ(flat.front(), 497);
    EXPECT_EQ(flat.back(), 497) << "every line falls on the baseline";
}

TEST(Grid, SpacingInPlainDoubleWouldMissBy1)
{
    // Why the spacing is not computed in double: 456 / 7125 rounds up there,
    // and the product is exactly 64.
    EXPECT_EQ(int32_t(456.0 / 7125.0 * 1000.0), 64);
    EXPECT_EQ(chart::gridSpacing(Height, 7125), 63);
}

// ---------------------------------------------------------------------------
// The curve

TEST(Curve, EntryPositionsAcrossThePlot)
{
    struct Case {
        int entry;
        int32_t x;
    } const cases[] = {
        {1, 41}, {2, 42}, {19, 57}, {20, 57}, {270, 270}, {539, 498}, {540, 499},
    };
    for (const Case &c : cases)
        EXPECT_EQ(chart::entryX(Width, c.entry), c.x) << "entry " << c.entry;
}

TEST(Curve, EntryPositionsForAHugeWidthWrapInsteadOfOverflowing)
{
    // 32-bit arithmetic: 2^31 - 1 times 540 keeps its low 32 bits.
    EXPECT_EQ(chart::entryX(2147483647, 540), 41 + int32_t(uint32_t(-540)) / 540);
    EXPECT_EQ(chart::entryX(3840 - 82, 540), 3840 - 82 + 41);
}

class FiveThousands : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 1; i <= 5; ++i)
            m_slots[size_t(i)] = 1000;
    }
    chart::ScoreTable m_slots{};
};

TEST_F(FiveThousands, MeanFallsAfterTheFifthEntryAndTheCurveStopsAt19)
{
    const std::vector<Point> points = curve(m_slots, 1000);
    ASSERT_EQ(points.size(), 19u);
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(points[size_t(i - 1)].y, 41) << "entry " << i;
    EXPECT_EQ(points[5], (Point{46, 117}));   // entry 6
    EXPECT_EQ(points[9], (Point{49, 269}));   // entry 10
    EXPECT_EQ(points[18], (Point{57, 377}));  // entry 19
}

TEST_F(FiveThousands, SlotZeroIsNeverRead)
{
    m_slots[0] = 123456789;
    const std::vector<Point> points = curve(m_slots, 1000);
    ASSERT_EQ(points.size(), 19u);
    EXPECT_EQ(points[0].y, 41);
}

TEST(Curve, WhereTheCurveEnds)
{
    struct Case {
        const char *name;
        std::vector<int> zeros;  // slots holding 0; every other slot holds 500
        size_t points;
    } const cases[] = {
        {"a full table runs to entry 540", {}, 540},
        {"a 0 in slot 25 ends the curve at entry 24", {25}, 24},
        {"a 0 in slot 20 ends it at entry 19", {20}, 19},
        {"zeros in slots 1 to 19 do not end it", {1, 2, 3, 10, 19}, 540},
        {"a 0 in slot 540 ends it at entry 539", {540}, 539},
    };
    for (const Case &c : cases) {
        chart::ScoreTable slots;
        slots.fill(500);
        for (int i : c.zeros)
            slots[size_t(i)] = 0;
        EXPECT_EQ(curve(slots, 1000).size(), c.points) << c.name;
    }
}

TEST(Curve, ZerosInTheFirstEntriesPullTheMeanDown)
{
    chart::ScoreTable slots;
    slots.fill(1000);
    slots[1] = 0;
    const std::vector<Point> points = curve(slots, 1000);
    EXPECT_EQ(points[0].y, 497) << "a mean of 0 is on the baseline";
    EXPECT_EQ(points[1].y, 269) << "a mean of 500 is half way up";
}

TEST(Curve, NegativeMeansFallBelowTheBaselineAndLargeOnesAboveTheTop)
{
    EXPECT_EQ(chart::meanY(-1000, Height, 1000), 953);
    EXPECT_EQ(chart::meanY(2000, Height, 1000), -415);
}

TEST(Curve, APointBeyondThe32BitRangeKeepsTheLowBits)
{
    // 456 * 5e9 = 2.28e12 above the baseline: y = 497 - 2280000000000, whose
    // low 32 bits are kept.
    const int64_t y = 497 - int64_t(2280000000000);
    EXPECT_EQ(chart::meanY(5e9, Height, 1), int32_t(uint32_t(uint64_t(y))));
}

TEST(Curve, AMeanEqualToMaxScoreIsOnTheTopRow)
{
    // Every slot equal to MaxScore: the mean is MaxScore at every entry, and
    // the point must land on y = 41 whatever MaxScore is.
    std::vector<int32_t> maxScores;
    for (int32_t m = 1; m <= 3000; ++m)
        maxScores.push_back(m);
    for (int32_t m : {7125, 10000, 65536, 99999, 455999, 456000, 703298, 1000000, 2147483647})
        maxScores.push_back(m);
    for (int32_t maxScore : maxScores) {
        chart::RunningMean mean;
        for (int i = 1; i <= chart::Entries; ++i) {
            const int32_t y = chart::meanY(mean.add(maxScore), Height, maxScore);
            if (y != 41) {
                ADD_FAILURE() << "MaxScore " << maxScore << ", entry " << i << ": y = " << y;
                break;
            }
        }
    }
}

TEST(Curve, AMeanEqualToMaxScore13MissesTheTopInPlainDouble)
{
    // Why the position is not computed in double: (456 / 13) * 13 comes out
    // above 456 there, and truncation drops the point to row 40.
    const double p = (456.0 / 13.0) * 13.0;
    EXPECT_EQ(int32_t(double(Baseline) - p), 40);
    EXPECT_EQ(chart::meanY(13, Height, 13), 41);
}

TEST(Curve, RunningMeanStoresEachStepAsADouble)
{
    chart::RunningMean mean;
    EXPECT_EQ(mean.add(1), 1.0);
    EXPECT_EQ(mean.add(2), 1.5);
    EXPECT_EQ(mean.add(0), 1.0);
    EXPECT_EQ(mean.add(-7), -1.0);
    EXPECT_EQ(mean.count(), 4);
    EXPECT_EQ(mean.sum(), -4.0);
    // 1/3 as the double nearest to the extended quotient.
    chart::RunningMean third;
    third.add(1);
    third.add(0);
    EXPECT_EQ(third.add(0), 1.0 / 3.0);
}

// ---------------------------------------------------------------------------
// The reference curve

chart::ScoreTable referenceCurve(int32_t maxScore)
{
    chart::ScoreTable slots{};
    chart::fillReferenceCurve(maxScore, slots);
    return slots;
}

TEST(ReferenceCurve, SampleSlots)
{
    const int32_t maxScores[] = {1, 48, 49, 1000, 10000, 100000};
    struct Row {
        int entry;
        int32_t slots[6];  // one per MaxScore above
    } const rows[] = {
        {1, {0, 0, 0, 0, 8, 87}},
        {2, {0, 0, 0, 1, 17, 176}},
        {10, {0, 0, 0, 9, 94, 947}},
        {19, {0, 0, 0, 19, 193, 1934}},
        {20, {0, 0, 1, 20, 205, 2052}},
        {50, {0, 3, 3, 63, 631, 6315}},
        {100, {0, 7, 8, 165, 1657, 16579}},
        {200, {0, 23, 23, 489, 4895, 48958}},
        {270, {0, 38, 39, 810, 8102, 81023}},
        {300, {0, 46, 47, 971, 9713, 97135}},
        {400, {1, 77, 78, 1611, 16111, 161110}},
        {500, {2, 115, 118, 2408, 24088, 240885}},
        {539, {2, 132, 135, 2762, 27627, 276279}},
        {540, {2, 133, 135, 2772, 27721, 277218}},
    };
    for (size_t column = 0; column < std::size(maxScores); ++column) {
        const chart::ScoreTable slots = referenceCurve(maxScores[column]);
        for (const Row &row : rows)
            EXPECT_EQ(slots[size_t(row.entry)], row.slots[column])
                << "MaxScore " << maxScores[column] << ", entry " << row.entry;
    }
}

TEST(ReferenceCurve, SlotZeroIsLeftAlone)
{
    chart::ScoreTable slots{};
    slots[0] = -77;
    chart::fillReferenceCurve(1000, slots);
    EXPECT_EQ(slots[0], -77);
}

TEST(ReferenceCurve, DrawnCurveEndsAt19UpToMaxScore48)
{
    for (int32_t maxScore : {1, 2, 13, 47, 48}) {
        const std::vector<Point> points = curve(referenceCurve(maxScore), maxScore);
        ASSERT_EQ(points.size(), 19u) << "MaxScore " << maxScore;
        for (const Point &p : points)
            EXPECT_EQ(p.y, Baseline) << "MaxScore " << maxScore << " at x " << p.x;
    }
    const chart::ScoreTable from49 = referenceCurve(49);
    EXPECT_EQ(from49[20], 1);
    EXPECT_EQ(curve(from49, 49).size(), 540u);
}

// The exact slot, (25/9) * m * ((i/593)^2 + i/3200) with its fraction cut off,
// in integers: 25 m (3200 i^2 + 593^2 i) / (9 * 593^2 * 3200).
int64_t exactSlot(int64_t maxScore, int64_t i)
{
    return 25 * maxScore * (3200 * i * i + 351649 * i) / (int64_t(9) * 351649 * 3200);
}

TEST(ReferenceCurve, SlotsAreTheTruncatedExactValue)
{
    // Away from multiples of 593^2 the exact value is never a whole number,
    // and the extended steps always land on the right side of it.
    std::vector<int32_t> maxScores;
    for (int32_t m = 1; m <= 1500; ++m)
        maxScores.push_back(m);
    uint32_t lcg = 12345;
    for (int n = 0; n < 1500; ++n) {
        lcg = lcg * 1103515245u + 12345u;
        maxScores.push_back(int32_t(lcg % 10000000) + 1);
    }
    for (int32_t maxScore : maxScores) {
        if (maxScore % 351649 == 0)
            continue;
        const chart::ScoreTable slots = referenceCurve(maxScore);
        for (int i = 1; i <= chart::Entries; ++i)
            ASSERT_EQ(slots[size_t(i)], exactSlot(maxScore, i)) << "MaxScore " << maxScore << ", entry " << i;
    }
}

TEST(ReferenceCurve, WholeNumbersAtMultiplesOf593Squared)
{
    // There the exact value is a whole number, and the steps' roundings
    // decide whether the slot holds it or one less. Each row also fails if
    // one of the constants 1/593, 1/3200 or 1/9 is rounded to a double.
    struct Case {
        int32_t maxScore;
        int entry;
        int32_t slot;
    } const cases[] = {
        {703298, 448, 1388526},   // exactly 1388527
        {1054947, 384, 1580448},  // exactly 1580449
        {1054947, 256, 780566},   // exact
        {1406596, 160, 479805},   // exact
    };
    for (const Case &c : cases) {
        EXPECT_EQ(referenceCurve(c.maxScore)[size_t(c.entry)], c.slot)
            << "MaxScore " << c.maxScore << ", entry " << c.entry;
        EXPECT_LE(c.slot, exactSlot(c.maxScore, c.entry));
        EXPECT_GE(c.slot, exactSlot(c.maxScore, c.entry) - 1);
    }
}

TEST(ReferenceCurve, EntriesPastThe32BitRangeKeepTheLowBits)
{
    const chart::ScoreTable fits = referenceCurve(774654289);
    for (int i = 2; i <= chart::Entries; ++i)
        ASSERT_GT(fits[size_t(i)], fits[size_t(i - 1)]) << "entry " << i;
    EXPECT_GT(fits[540], 2147480000);

    const chart::ScoreTable wraps = referenceCurve(774654290);
    EXPECT_EQ(wraps[540], -2147483647);
    EXPECT_GT(wraps[539], 0);
}

TEST(ReferenceCurve, DrawnAtMaxScore1000)
{
    const std::vector<Point> points = curve(referenceCurve(1000), 1000);
    ASSERT_EQ(points.size(), 540u);
    EXPECT_EQ(points[0], (Point{41, 497}));     // entry 1
    EXPECT_EQ(points[99], (Point{125, 465}));   // entry 100
    EXPECT_EQ(points[269], (Point{270, 355}));  // entry 270
    EXPECT_EQ(points[539], (Point{499, 39}));   // entry 540, just above the top
}

// ---------------------------------------------------------------------------
// The maximum-score box

TEST(MaxScoreBox, ReadsLeadingDecimalText)
{
    struct Case {
        const char *name;
        std::string text;
        int32_t number;
    } const cases[] = {
        {"plain digits", "1000", 1000},
        {"a blank, then digits", " 1000", 1000},
        {"digit grouping stops the number", "1,000", 1},
        {"an exponent stops the number", "1e5", 1},
        {"letters stop the number", "12abc", 12},
        {"a minus sign", "-500", -500},
        {"a plus sign", "+50", 50},
        {"two blanks, then a minus sign", "  -3", -3},
        {"empty", "", 0},
        {"letters only", "abc", 0},
        {"a minus sign alone", "-", 0},
        {"a blank after the sign", "- 5", 0},
        {"a second line is never read", "500\r\n700", 500},
        {"leading line breaks and tabs are blanks", "\r\n\t\v\f 42", 42},
        {"two signs", "+-5", 0},
        {"digits past 32 bits wrap", "3000000000", -1294967296},
        {"2^32 wraps to 0", "4294967296", 0},
        {"the lowest 32-bit number", "-2147483648", -2147483647 - 1},
        {"leading zeros", "007", 7},
    };
    for (const Case &c : cases)
        EXPECT_EQ(chart::readMaxScore(c.text), c.number) << c.name;
}

// ---------------------------------------------------------------------------
// Curve colours

int32_t component(int32_t color, int shift)
{
    return (color >> shift) & 0xFF;
}

// Drawn before main runs, so before anything else in this process touches
// rand: the colours of a fresh run of the program.
std::vector<int32_t> colorsOf(int count)
{
    std::vector<int32_t> colors;
    for (int n = 0; n < count; ++n)
        colors.push_back(chart::nextCurveColor());
    return colors;
}
const std::vector<int32_t> freshRunColors = colorsOf(8);

TEST(CurveColor, AFreshRunDrawsTheSequenceOfAnUnseededRand)
{
    // The C standard makes an unseeded rand start as srand(1) does, so every
    // run of the program gets the same colours; nothing may seed it.
    std::srand(1);
    EXPECT_EQ(colorsOf(8), freshRunColors);
    std::srand(1);
    EXPECT_EQ(colorsOf(8), freshRunColors) << "a second run repeats it";
}

TEST(CurveColor, BlueComesFromTheFirstDraw)
{
    std::srand(7);
    const int r1 = std::rand(), r2 = std::rand(), r3 = std::rand(), r4 = std::rand();
    std::srand(7);
    const int32_t color = chart::nextCurveColor();
    EXPECT_EQ(component(color, 16), r1 % 255);
    EXPECT_EQ(component(color, 8), r2 % 255);
    EXPECT_EQ(component(color, 0), r3 % 255);
    EXPECT_EQ(std::rand(), r4) << "three draws per colour, no more";
}

TEST(CurveColor, NoComponentIs255)
{
    std::srand(1);
    for (int n = 0; n < 200000; ++n) {
        const int32_t color = chart::nextCurveColor();
        ASSERT_EQ(color >> 24, 0) << std::hex << color;
        for (int shift : {0, 8, 16})
            ASSERT_LT(component(color, shift), 255) << std::hex << color;
    }
}

} // namespace
