// The portable x87 arithmetic: fixed cases whose bits are known, which must
// hold on every machine, and, where long double is the x87 format, the same
// operations compared bit for bit with the hardware over random operands.
#include "extended.h"
#include "wideint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr uint64_t Top = uint64_t(1) << 63;
constexpr int64_t Int64Min = std::numeric_limits<int64_t>::min();
constexpr int64_t Int64Max = std::numeric_limits<int64_t>::max();

Extended bits(uint16_t signExponent, uint64_t significand)
{
    return Extended::fromBits(signExponent, significand);
}

Extended integer(int64_t value)
{
    return Extended::fromInt(value);
}

Extended real(double value)
{
    return Extended::fromDouble(value);
}

std::string hex(Extended e)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04X:%016llX", unsigned(e.signExponent()),
                  static_cast<unsigned long long>(e.significand()));
    return text;
}

uint64_t doubleBits(double d)
{
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

// ---------------------------------------------------------------------------
// Fixed cases: the expected bits are worked out from the format, so they hold
// on every machine.

struct OperationCase {
    const char *name;
    Extended a;
    char op;
    Extended b;
    Extended expected;
};

Extended apply(char op, Extended a, Extended b)
{
    switch (op) {
    case '+': return a + b;
    case '-': return a - b;
    case '*': return a * b;
    default: return a / b;
    }
}

const Extended Infinity = bits(0x7FFF, Top);
const Extended MinusInfinity = bits(0xFFFF, Top);
const Extended Indefinite = bits(0xFFFF, 0xC000000000000000);
const Extended Largest = bits(0x7FFE, ~uint64_t(0));
const Extended SmallestNormal = bits(0x0001, Top);
const Extended SmallestDenormal = bits(0x0000, 1);

const OperationCase operationCases[] = {
    {"456 / 7125 rounds down, to just below 0.064", integer(456), '/', integer(7125),
     bits(0x3FFB, 0x83126E978D4FDF3B)},
    {"1 / 3 rounds up in the last bit", integer(1), '/', integer(3), bits(0x3FFD, 0xAAAAAAAAAAAAAAAB)},
    {"2 / 3 rounds up in the last bit", integer(2), '/', integer(3), bits(0x3FFE, 0xAAAAAAAAAAAAAAAB)},
    {"1 / 9 rounds down", integer(1), '/', integer(9), bits(0x3FFB, 0xE38E38E38E38E38E)},
    {"7 / 7 is exact", integer(7), '/', integer(7), integer(1)},
    {"-6 / 4 keeps the sign", integer(-6), '/', integer(4), real(-1.5)},
    {"a tie below an even significand stays", bits(0x403E, 0xFFFFFFFFFFFFFFFE), '+', real(0.5),
     bits(0x403E, 0xFFFFFFFFFFFFFFFE)},
    {"a tie below an odd significand rounds up and carries into the exponent",
     bits(0x403E, 0xFFFFFFFFFFFFFFFF), '+', real(0.5), bits(0x403F, Top)},
    {"just above a tie rounds up", bits(0x403E, 0xFFFFFFFFFFFFFFFE), '+', real(0.5000001),
     bits(0x403E, 0xFFFFFFFFFFFFFFFF)},
    {"a far smaller addend only tips a tie", bits(0x3FFF, Top | 1), '+', bits(0x3FBF, Top),
     bits(0x3FFF, Top | 2)},
    // Past a tie by less than a 113-bit format keeps: rounding first to such
    // a format (a 128-bit long double) lands on the tie, which then goes to
    // even, one unit short.
    {"a product just past a tie rounds up", bits(0x3FFF, 0xF2A74DE452E6B439), '*',
     bits(0x3FFF, 0x9149002BEC073374), bits(0x4000, 0x89B5F4FD2AE3745F)},
    {"a quotient just past a tie rounds up", bits(0x3FFF, 0x9397E6C087128A6F), '/',
     bits(0x3FFF, 0xD0B8599C724C60B2), bits(0x3FFE, 0xB506D1D357AEEF7F)},
    {"1 less 1 - 2^-64 cancels to 2^-64 exactly", integer(1), '-', bits(0x3FFE, ~uint64_t(0)),
     bits(0x3FBF, Top)},
    {"a sum of opposite numbers is +0", integer(-5), '+', integer(5), Extended()},
    {"a difference of equal negatives is +0", integer(-5), '-', integer(-5), Extended()},
    {"-0 plus -0 is -0", bits(0x8000, 0), '+', bits(0x8000, 0), bits(0x8000, 0)},
    {"-0 times 3 is -0", bits(0x8000, 0), '*', integer(3), bits(0x8000, 0)},
    {"(2^64 - 1)^2 rounds to 2^128 - 2^65", bits(0x403E, ~uint64_t(0)), '*', bits(0x403E, ~uint64_t(0)),
     bits(0x407E, 0xFFFFFFFFFFFFFFFE)},
    {"the largest number doubled overflows to infinity", Largest, '*', integer(2), Infinity},
    {"the largest number plus its last unit overflows", Largest, '+', bits(0x7FBE, Top), Infinity},
    {"a negative divided by zero is -infinity", integer(-1), '/', Extended(), MinusInfinity},
    {"0 / 0 is the indefinite NaN", Extended(), '/', Extended(), Indefinite},
    {"infinity less infinity is the indefinite NaN", Infinity, '-', Infinity, Indefinite},
    {"0 times infinity is the indefinite NaN", Extended(), '*', Infinity, Indefinite},
    {"a finite number over infinity is 0", integer(5), '/', MinusInfinity, bits(0x8000, 0)},
    {"half the smallest normal is a denormal", SmallestNormal, '*', real(0.5), bits(0x0000, Top >> 1)},
    {"half the smallest denormal ties down to 0", SmallestDenormal, '*', real(0.5), Extended()},
    {"three quarters of the smallest denormal rounds up to it", SmallestDenormal, '*', real(0.75),
     SmallestDenormal},
    {"half of three denormal units ties to two", bits(0x0000, 3), '*', real(0.5), bits(0x0000, 2)},
    {"a denormal rounds up into the normal range", bits(0x0001, ~uint64_t(0)), '*', real(0.5),
     SmallestNormal},
    {"two denormals add up to the smallest normal", bits(0x0000, Top - 1), '+', SmallestDenormal,
     SmallestNormal},
    {"a pseudo-denormal counts at the scale of exponent 1", bits(0x0000, Top), '+', integer(0),
     SmallestNormal},
    {"an unnormal is an invalid operand", bits(0x3FFF, Top >> 1), '+', integer(1), Indefinite},
    {"a pseudo-infinity is an invalid operand", integer(1), '*', bits(0x7FFF, 0), Indefinite},
    {"a quiet NaN passes through with its payload", bits(0x7FFF, 0xC000000000001234), '+', integer(1),
     bits(0x7FFF, 0xC000000000001234)},
    {"a signaling NaN comes out quiet", integer(1), '*', bits(0xFFFF, 0x8000000000001234),
     bits(0xFFFF, 0xC000000000001234)},
    {"a quiet NaN wins over a signaling one", bits(0x7FFF, 0x8000000000009999), '/',
     bits(0x7FFF, 0xC000000000000001), bits(0x7FFF, 0xC000000000000001)},
    {"between two quiet NaNs the larger significand wins", bits(0x7FFF, 0xC000000000000001), '-',
     bits(0xFFFF, 0xC000000000000002), bits(0xFFFF, 0xC000000000000002)},
};

TEST(ExtendedOperations, GiveTheKnownBits)
{
    for (const OperationCase &c : operationCases) {
        const Extended got = apply(c.op, c.a, c.b);
        EXPECT_EQ(hex(got), hex(c.expected)) << c.name;
    }
}

TEST(ExtendedConversions, FromIntIsExact)
{
    struct Case {
        int64_t value;
        Extended expected;
    } const cases[] = {
        {0, bits(0x0000, 0)},
        {1, bits(0x3FFF, Top)},
        {-1, bits(0xBFFF, Top)},
        {1000, bits(0x4008, 0xFA00000000000000)},
        {Int64Max, bits(0x403D, 0xFFFFFFFFFFFFFFFE)},
        {Int64Min, bits(0xC03E, Top)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(hex(Extended::fromInt(c.value)), hex(c.expected)) << c.value;
}

TEST(ExtendedConversions, FromDoubleIsExact)
{
    struct Case {
        double value;
        Extended expected;
    } const cases[] = {
        {0.1, bits(0x3FFB, 0xCCCCCCCCCCCCD000)},
        {-0.0, bits(0x8000, 0)},
        {std::numeric_limits<double>::max(), bits(0x43FE, 0xFFFFFFFFFFFFF800)},
        {std::numeric_limits<double>::min(), bits(0x3C01, Top)},
        {std::numeric_limits<double>::denorm_min(), bits(0x3BCD, Top)},  // 2^-1074, normal here
        {-std::numeric_limits<double>::infinity(), MinusInfinity},
        {std::numeric_limits<double>::quiet_NaN(), bits(0x7FFF, 0xC000000000000000)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(hex(Extended::fromDouble(c.value)), hex(c.expected)) << c.value;
}

TEST(ExtendedConversions, ToDoubleRoundsToNearestEven)
{
    struct Case {
        const char *name;
        Extended value;
        uint64_t expected;  // the double's bits
    } const cases[] = {
        {"1 + 2^-53 ties down to 1", bits(0x3FFF, 0x8000000000000400), 0x3FF0000000000000},
        {"1 + 3 * 2^-53 ties up", bits(0x3FFF, 0x8000000000000C00), 0x3FF0000000000002},
        {"1 + 2^-53 + 2^-63 rounds up", bits(0x3FFF, 0x8000000000000401), 0x3FF0000000000001},
        {"1/3 rounds down", integer(1) / integer(3), 0x3FD5555555555555},
        {"the largest double stays", bits(0x43FE, 0xFFFFFFFFFFFFF800), 0x7FEFFFFFFFFFFFFF},
        {"just below the largest double's tie rounds down", bits(0x43FE, 0xFFFFFFFFFFFFFBFF),
         0x7FEFFFFFFFFFFFFF},
        {"the largest double's tie overflows", bits(0x43FE, 0xFFFFFFFFFFFFFC00), 0x7FF0000000000000},
        {"2^1024 is too large", bits(0x43FF, Top), 0x7FF0000000000000},
        {"2^-1075 ties down to 0", bits(0x3BCC, Top), 0x0000000000000000},
        {"1.5 * 2^-1075 rounds up to the smallest denormal", bits(0x3BCC, 0xC000000000000000),
         0x0000000000000001},
        {"-3 * 2^-1075 ties to the even denormal", bits(0xBBCD, 0xC000000000000000), 0x8000000000000002},
        {"just below 2^-1022 rounds up to the smallest normal", bits(0x3C00, ~uint64_t(0)),
         0x0010000000000000},
        {"a tiny extended is 0", SmallestDenormal, 0},
        {"-0 stays -0", bits(0x8000, 0), 0x8000000000000000},
        {"a NaN keeps its sign and top payload bits", bits(0xFFFF, 0x8000000000000800 | (Top >> 2)),
         0xFFF8000000000001 | (uint64_t(1) << 50)},
        {"an unnormal is the indefinite NaN", bits(0x3FFF, 1), 0xFFF8000000000000},
    };
    for (const Case &c : cases)
        EXPECT_EQ(doubleBits(c.value.toDouble()), c.expected) << c.name;
}

TEST(ExtendedConversions, TruncateTowardZero)
{
    struct Case {
        const char *name;
        Extended value;
        int64_t expected64;
        int32_t expected32;
    } const cases[] = {
        {"2.9", real(2.9), 2, 2},
        {"-2.9", real(-2.9), -2, -2},
        {"0.999", real(0.999), 0, 0},
        {"just below 64, from 456 / 7125 * 1000", integer(456) / integer(7125) * integer(1000), 63, 63},
        {"a denormal", SmallestDenormal, 0, 0},
        {"3000000000 keeps its low 32 bits", integer(3000000000), 3000000000, -1294967296},
        {"2^32 + 7 keeps 7", integer((int64_t(1) << 32) + 7), (int64_t(1) << 32) + 7, 7},
        {"2^63 - 1 fits", integer(Int64Max), Int64Max, -1},
        {"2^63 - 0.5 fits", bits(0x403D, ~uint64_t(0)), Int64Max, -1},
        {"-2^63 fits", integer(Int64Min), Int64Min, 0},
        {"-2^63 - 0.5 truncates to -2^63", bits(0xC03E, Top) - real(0.5), Int64Min, 0},
        {"2^63 is out of range", bits(0x403E, Top), Int64Min, 0},
        {"-2^64 is out of range", bits(0xC03F, Top), Int64Min, 0},
        {"infinity", Infinity, Int64Min, 0},
        {"a NaN", Indefinite, Int64Min, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.value.truncToInt64(), c.expected64) << c.name;
        EXPECT_EQ(c.value.truncToInt32(), c.expected32) << c.name;
    }
}

TEST(ExtendedTests, ZeroAndNegative)
{
    EXPECT_TRUE(Extended().isZero());
    EXPECT_TRUE(bits(0x8000, 0).isZero());
    EXPECT_FALSE(SmallestDenormal.isZero());
    EXPECT_TRUE(integer(-3).isNegative());
    EXPECT_TRUE(MinusInfinity.isNegative());
    EXPECT_FALSE(integer(3).isNegative());
    EXPECT_FALSE(bits(0x8000, 0).isNegative());  // -0 is not below zero
    EXPECT_FALSE(Indefinite.isNegative());
}

// ---------------------------------------------------------------------------
// The 128-bit helpers under the arithmetic, on cases that exercise their
// carries and the quotient-digit corrections.

TEST(WideInt, MultiplyCarriesThroughTheMiddle)
{
    const wideint::U128 all = wideint::mulWide(~uint64_t(0), ~uint64_t(0));
    EXPECT_EQ(all.hi, 0xFFFFFFFFFFFFFFFEu);
    EXPECT_EQ(all.lo, 1u);
    const wideint::U128 mixed = wideint::mulWide(0xFFFFFFFF00000001u, 0x00000001FFFFFFFFu);
    EXPECT_EQ(mixed.hi, 0x1FFFFFFFDu);
    EXPECT_EQ(mixed.lo, 0x00000002FFFFFFFFu);
}

TEST(WideInt, DivideNeedsCorrectedDigits)
{
    struct Case {
        uint64_t hi, lo, divisor, quotient, remainder;
    } const cases[] = {
        // The largest quotient: each digit's first estimate is 2^32.
        {0xFFFFFFFFFFFFFFFE, 0xFFFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFE},
        // Both estimated digits two too large.
        {0xA2CF179F66E47927, 0x469A8A20B05C4A59, 0xA9606598F23562B7, 0xF612D56FF7F79CAE,
         10791474052940344823u},
        // The first digit two too large, the second right.
        {0x7FA62224BF4150B4, 0xB3AC7BDBDEA3D039, 0x8C6835EAF556E4D5, 0xE8BD0F3685A9D9C1,
         637207208627256996},
        // An unnormalized divisor is shifted first.
        {0, 1000, 7, 142, 6},
        {2, 0, 3, 0xAAAAAAAAAAAAAAAA, 2},
    };
    for (const Case &c : cases) {
        uint64_t remainder = 0;
        EXPECT_EQ(wideint::divWide(c.hi, c.lo, c.divisor, &remainder), c.quotient) << c.divisor;
        EXPECT_EQ(remainder, c.remainder) << c.divisor;
    }
}

#ifdef __SIZEOF_INT128__
TEST(WideInt, AgreesWithTheCompilersInt128)
{
    using u128 = unsigned __int128;
    std::mt19937_64 random(20240601);
    for (int n = 0; n < 1000000; ++n) {
        // Divisors of every width, some with long runs of ones or zeros.
        const uint64_t a = random() >> (random() % 64);
        uint64_t d = (random() | 1) >> (random() % 64);
        if (n % 4 == 0)
            d = (~uint64_t(0) >> (random() % 64)) ^ (random() % 3);
        if (d == 0)
            d = 1;
        const wideint::U128 p = wideint::mulWide(a, d);
        ASSERT_EQ((u128(p.hi) << 64) | p.lo, u128(a) * d);
        const uint64_t hi = random() % d;
        const uint64_t lo = random();
        uint64_t remainder = 0;
        const uint64_t q = wideint::divWide(hi, lo, d, &remainder);
        const u128 dividend = (u128(hi) << 64) | lo;
        ASSERT_EQ(q, uint64_t(dividend / d)) << hi << ' ' << lo << ' ' << d;
        ASSERT_EQ(remainder, uint64_t(dividend % d)) << hi << ' ' << lo << ' ' << d;
    }
}
#else
TEST(WideInt, AgreesWithTheCompilersInt128)
{
    GTEST_SKIP() << "no 128-bit integer type here";
}
#endif

// ---------------------------------------------------------------------------
// Random comparisons with the x87 itself, where long double is its format.

class AgainstX87 : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::numeric_limits<long double>::digits != 64 || std::numeric_limits<long double>::radix != 2)
            GTEST_SKIP() << "long double is not the x87 extended format here";
    }

    static long double toLong(Extended e)
    {
        unsigned char raw[sizeof(long double)] = {};
        const uint64_t significand = e.significand();
        const uint16_t signExponent = e.signExponent();
        std::memcpy(raw, &significand, 8);
        std::memcpy(raw + 8, &signExponent, 2);
        long double value;
        std::memcpy(&value, raw, sizeof value);
        return value;
    }

    static Extended fromLong(long double value)
    {
        unsigned char raw[sizeof(long double)];
        std::memcpy(raw, &value, sizeof value);
        uint64_t significand;
        uint16_t signExponent;
        std::memcpy(&significand, raw, 8);
        std::memcpy(&signExponent, raw + 8, 2);
        return Extended::fromBits(signExponent, significand);
    }

    static bool same(Extended a, Extended b)
    {
        return a.signExponent() == b.signExponent() && a.significand() == b.significand();
    }

    // Operands from a few families, each aimed at a part of the arithmetic.
    Extended next(int family)
    {
        const uint16_t sign = (m_random() & 1) ? 0x8000 : 0;
        switch (family) {
        case 0: {  // the chart's own: integers and doubles of moderate size
            if (m_random() & 1)
                return integer(int64_t(m_random() % 20000001) - 10000000);
            return real(double(int64_t(m_random() % 2000001) - 1000000) / double(m_random() % 999 + 1));
        }
        case 1:  // normal numbers within 2^±80 of 1
            return bits(uint16_t(sign | (0x3FFF - 80 + m_random() % 161)), m_random() | Top);
        case 2: {  // close to 1, so that sums cancel and ties are near
            const uint64_t tail = m_random() >> (m_random() % 64);
            const uint64_t significand = (m_random() & 1) ? Top | tail : ~uint64_t(0) - tail;
            return bits(uint16_t(sign | (0x3FFF - m_random() % 3)), significand);
        }
        case 3:  // the edges of the range: overflow, underflow and denormals
            if (m_random() % 4 == 0)
                return bits(sign, m_random() >> (m_random() % 64));
            return bits(uint16_t(sign | ((m_random() & 1) ? m_random() % 200 : 0x7FFE - m_random() % 200)),
                        m_random() | Top);
        default: {  // special values and encodings
            static const uint64_t nanSignificands[] = {0xC000000000000000, 0x8000000000000001,
                                                       0xC000000000000001, 0xFFFFFFFFFFFFFFFF,
                                                       0x8000000000000001, 0xC000000000000000};
            switch (m_random() % 6) {
            case 0: return bits(sign, 0);
            case 1: return bits(uint16_t(sign | 0x7FFF), Top);
            case 2: return bits(uint16_t(sign | 0x7FFF), nanSignificands[m_random() % 6]);
            case 3: return bits(uint16_t(sign | (m_random() % 0x7FFF)), m_random() >> 1);  // unnormal
            case 4: return bits(sign, m_random() | Top);                                   // pseudo-denormal
            default: return bits(uint16_t(sign | (0x3FFF + m_random() % 10)), m_random() | Top);
            }
        }
        }
    }

    void compareOperation(char op, int rounds)
    {
        for (int n = 0; n < rounds; ++n) {
            const int familyA = int(m_random() % 5), familyB = int(m_random() % 5);
            const Extended a = next(familyA), b = next(familyB);
            long double x = toLong(a), y = toLong(b), want;
            switch (op) {
            case '+': want = x + y; break;
            case '-': want = x - y; break;
            case '*': want = x * y; break;
            default: want = x / y; break;
            }
            const Extended got = apply(op, a, b);
            ASSERT_TRUE(same(got, fromLong(want)))
                << hex(a) << ' ' << op << ' ' << hex(b) << " = " << hex(fromLong(want)) << ", not " << hex(got);
        }
    }

    std::mt19937_64 m_random{0x5EED};
};

constexpr int Rounds = 1000000;

TEST_F(AgainstX87, Addition)
{
    compareOperation('+', Rounds);
}

TEST_F(AgainstX87, Subtraction)
{
    compareOperation('-', Rounds);
}

TEST_F(AgainstX87, Multiplication)
{
    compareOperation('*', Rounds);
}

TEST_F(AgainstX87, Division)
{
    compareOperation('/', Rounds);
}

TEST_F(AgainstX87, ChainsOfTheChartsSteps)
{
    // A running mean and a scaled position, step by step, as the chart does
    // them: each intermediate stays in extended until it is stored.
    for (int n = 0; n < Rounds / 10; ++n) {
        const int64_t height = int64_t(m_random() % 4000);
        const int64_t maxScore = int64_t(m_random() % 2000000000) + 1;
        const double mean = double(int64_t(m_random() % 4000000001) - 2000000000) / double(m_random() % 540 + 1);
        const Extended got = integer(height) / integer(maxScore) * real(mean);
        const long double want = static_cast<long double>(height) / static_cast<long double>(maxScore)
                                 * static_cast<long double>(mean);
        ASSERT_TRUE(same(got, fromLong(want))) << height << ' ' << maxScore << ' ' << mean;
    }
}

TEST_F(AgainstX87, FromIntAndFromDouble)
{
    for (int n = 0; n < Rounds; ++n) {
        const int64_t i = int64_t(m_random() >> (m_random() % 64));
        ASSERT_TRUE(same(Extended::fromInt(i), fromLong(static_cast<long double>(i)))) << i;
        ASSERT_TRUE(same(Extended::fromInt(-i), fromLong(static_cast<long double>(-i)))) << -i;
        uint64_t raw = m_random();
        if (n % 8 == 0)
            raw &= 0x800FFFFFFFFFFFFF;  // denormals
        else if (n % 8 == 1)
            raw |= 0x7FF0000000000000;  // infinities and NaNs, signaling ones too
        double d;
        std::memcpy(&d, &raw, sizeof d);
        ASSERT_TRUE(same(Extended::fromDouble(d), fromLong(static_cast<long double>(d)))) << std::hex << raw;
    }
}

TEST_F(AgainstX87, ToDouble)
{
    for (int n = 0; n < Rounds; ++n) {
        Extended e = next(int(m_random() % 5));
        if (n % 3 == 0)  // the range where doubles run out: overflow and denormals
            e = bits(uint16_t((m_random() & 0x8000) | ((m_random() & 1) ? 0x3FFF - 1022 - m_random() % 70
                                                                         : 0x3FFF + 1023 - m_random() % 3)),
                     m_random() | Top);
        const volatile long double value = toLong(e);
        const double want = static_cast<double>(value);
        ASSERT_EQ(doubleBits(e.toDouble()), doubleBits(want)) << hex(e);
    }
}

TEST_F(AgainstX87, Truncation)
{
    for (int n = 0; n < Rounds; ++n) {
        Extended e = next(int(m_random() % 5));
        if (n % 2 == 0)  // around the edges of the 64-bit range
            e = bits(uint16_t((m_random() & 0x8000) | (0x3FFF + 60 + m_random() % 5)), m_random() | Top);
        const long double value = toLong(e);
        // Out of range the hardware gives the integer indefinite, which a C++
        // cast does not promise; so it is only asked about values in range.
        int64_t want = Int64Min;
        if (value > -9223372036854775809.0L && value < 9223372036854775808.0L)
            want = static_cast<int64_t>(value);
        ASSERT_EQ(e.truncToInt64(), want) << hex(e);
        ASSERT_EQ(e.truncToInt32(), int32_t(want)) << hex(e);
    }
}

} // namespace
