// The chart's numbers. Each step names its format: an extended step goes
// through Extended (64 bits of significand, rounded to nearest), a double
// step stores its result with toDouble, and every conversion to an integer
// truncates toward zero. The pixels depend on exactly this: at a plot height
// of 456, a MaxScore of 7125 spaces the grid 63 pixels apart, not 64.
#include "chart.h"

#include "extended.h"

#include <cstdlib>

namespace chart {

namespace {

Extended ext(int64_t value)
{
    return Extended::fromInt(value);
}

} // namespace

int32_t gridLineCount(int32_t maxScore)
{
    return maxScore / 1000 + 1;
}

int32_t gridSpacing(int32_t graphHeight, int32_t maxScore)
{
    // Truncated: above 1000 * graphHeight the spacing is 0 and every line
    // falls on the baseline.
    return ((ext(graphHeight) / ext(maxScore)) * ext(1000)).truncToInt32();
}

int32_t entryX(int32_t graphWidth, int i)
{
    // The product is 32-bit; an absurd width wraps it instead of overflowing.
    const auto product = int32_t(int64_t(graphWidth) * i);
    return PlotLeft + product / Entries;
}

bool curveReaches(const ScoreTable &slots, int i)
{
    return i <= Entries && (i <= FlatEntries || slots[size_t(i)] != 0);
}

double RunningMean::add(int32_t slot)
{
    m_sum = (Extended::fromDouble(m_sum) + ext(slot)).toDouble();
    ++m_count;
    return (Extended::fromDouble(m_sum) / ext(m_count)).toDouble();
}

int32_t meanY(double mean, int32_t graphHeight, int32_t maxScore)
{
    const double p = ((ext(graphHeight) / ext(maxScore)) * Extended::fromDouble(mean)).toDouble();
    return (ext(int64_t(graphHeight) + PlotTop) - Extended::fromDouble(p)).truncToInt32();
}

void fillReferenceCurve(int32_t maxScore, ScoreTable &slots)
{
    // (25/9) * maxScore * ((i/593)^2 + i/3200), in this order of steps: the
    // order fixes the roundings, and so the slots.
    const Extended c1 = ext(1) / ext(593);
    const Extended c2 = ext(1) / ext(3200);
    const Extended c3 = ext(1) / ext(9);
    const Extended max = ext(maxScore);
    const Extended twentyFive = ext(25);
    for (int i = 1; i <= Entries; ++i) {
        const Extended a = ext(i) * c1;
        const Extended q = a * a;
        const Extended s = q + ext(i) * c2;
        Extended r = s * max;
        r = r * twentyFive;
        r = r * c3;
        // From MaxScore 774654290 on, the last slots pass the 32-bit range;
        // they keep the low 32 bits of the truncated value and go negative.
        slots[size_t(i)] = r.truncToInt32();
    }
}

int32_t readMaxScore(std::string_view text)
{
    size_t at = 0;
    auto isBlank = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (at < text.size() && isBlank(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // Unsigned, so that digits past 32 bits wrap instead of overflowing.
    uint32_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = value * 10 + uint32_t(text[at] - '0');
    return int32_t(negative ? 0 - value : value);
}

int32_t nextCurveColor()
{
    // Three separate statements: the draws must happen in this order.
    const int blue = std::rand() % 255;
    const int green = std::rand() % 255;
    const int red = std::rand() % 255;
    return blue * 65536 + green * 256 + red;
}

} // namespace chart
