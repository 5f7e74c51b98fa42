// The chart's geometry and arithmetic, free of any user interface: where the
// grid lines and the curve's points fall for a given plot size, the reference
// curve, the reading of the maximum-score text and the curve colours.
// The window draws with these; the command-line tool and the tests use them
// without a display.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace chart {

// Slot i holds history entry i for i from 1 to 540; slot 0 is never used.
inline constexpr int Entries = 540;
using ScoreTable = std::array<int32_t, Entries + 1>;

inline constexpr int PlotLeft = 41;      // x of the plot's left edge and of the origin
inline constexpr int PlotTop = 41;       // y of MaxScore
inline constexpr int HeightMargin = 84;  // client height less this is GraphHeight
inline constexpr int WidthMargin = 82;   // client width less this is GraphWidth
inline constexpr int FlatEntries = 19;   // entries drawn whatever they hold

// Colours are 0x00BBGGRR, red in the low byte.
inline constexpr int32_t Black = 0x000000;
inline constexpr int32_t White = 0xFFFFFF;

// Grid: one line per whole 1000 points from the baseline up to maxScore.
int32_t gridLineCount(int32_t maxScore);                     // maxScore / 1000 + 1
int32_t gridSpacing(int32_t graphHeight, int32_t maxScore);  // needs maxScore > 0

// Horizontal position of entry i (1 to 540).
int32_t entryX(int32_t graphWidth, int i);

// Whether the curve goes on to entry i: entries 1 to 19 always, later ones
// until the first slot that holds 0.
bool curveReaches(const ScoreTable &slots, int i);

// The running mean of the slots, in the precision the chart uses.
class RunningMean {
public:
    double add(int32_t slot);  // takes the next entry's slot, returns the mean so far
    int count() const { return m_count; }
    double sum() const { return m_sum; }

private:
    double m_sum = 0;
    int m_count = 0;
};

// Vertical position of a mean (needs maxScore > 0).
int32_t meanY(double mean, int32_t graphHeight, int32_t maxScore);

// Fills slots 1 to 540 with the reference curve for maxScore (needs > 0).
void fillReferenceCurve(int32_t maxScore, ScoreTable &slots);

// Reads the maximum-score box's text as the C library's atol reads decimal
// text, with digits past 32 bits wrapping modulo 2^32.
int32_t readMaxScore(std::string_view text);

// A new curve colour from the standard library's rand (never seeded): three
// draws, blue from the first, each component 0 to 254.
int32_t nextCurveColor();

} // namespace chart
