// The x87 80-bit extended format (64-bit significand) in portable code.
//
// The chart's pixels depend on rounding at 64 bits of significand, as the
// x87 unit of the original platform computes it: a MaxScore of 7125 gives a
// grid spacing of 63, not 64, and a mean equal to MaxScore of 13 lands on the
// top row, where double arithmetic misses it by one. `long double` is that
// format only on x86 with GCC or Clang; MSVC makes it a double and aarch64 a
// 128-bit quad. So the few operations the chart needs are done here in
// integer arithmetic, giving the same bits everywhere.
#pragma once

#include <cstdint>

class Extended {
public:
    Extended() = default;                 // +0
    static Extended fromInt(int64_t value);   // exact
    static Extended fromDouble(double value); // exact

    // Each rounds to nearest, ties to even, at 64 bits of significand.
    // Denormals, infinities and NaNs behave as on the x87 with its
    // exceptions masked (see extended.cpp).
    friend Extended operator+(Extended a, Extended b);
    friend Extended operator-(Extended a, Extended b);
    friend Extended operator*(Extended a, Extended b);
    friend Extended operator/(Extended a, Extended b);

    // Rounds to the nearest double, ties to even (as storing to a double does).
    double toDouble() const;
    // Truncates toward zero. A value outside the 64-bit range (or not a
    // number) gives INT64_MIN, the x87 "integer indefinite".
    int64_t truncToInt64() const;
    // The low 32 bits of truncToInt64(), as the chart keeps them.
    int32_t truncToInt32() const;

    bool isZero() const;      // +0 or -0
    bool isNegative() const;  // below zero: not -0, not a NaN

    // The raw format, for tests: sign and 15-bit biased exponent, and the
    // 64-bit significand with its explicit integer bit.
    uint16_t signExponent() const { return m_signExponent; }
    uint64_t significand() const { return m_significand; }
    static Extended fromBits(uint16_t signExponent, uint64_t significand);

private:
    uint16_t m_signExponent = 0;
    uint64_t m_significand = 0;
};
