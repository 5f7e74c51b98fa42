// The x87 extended format in integer arithmetic.
//
// Format notes:
//   - 80 bits: a sign, a 15-bit exponent biased by 16383, and a 64-bit
//     significand whose top bit (the integer bit) is explicit. A number is
//     significand * 2^(exponent - 16383 - 63).
//   - Exponent 0 holds zero and the denormals (integer bit clear), which
//     stand at the scale of exponent 1. The x87 also reads an exponent of 0
//     with the integer bit set (a "pseudo-denormal") at that scale.
//   - Exponent 0x7FFF holds infinity (significand 0x8000000000000000) and the
//     NaNs; bit 62 set makes a NaN quiet. The "indefinite" NaN that invalid
//     operations produce is negative, with significand 0xC000000000000000.
//   - Any other exponent with the integer bit clear (unnormals, and
//     pseudo-infinities and pseudo-NaNs at 0x7FFF) is an invalid operand
//     since the 80387: operations on it give the indefinite NaN.
//
// Every operation rounds to nearest, ties to even, as the x87 does with its
// precision control at 64 bits (the default on Linux; Windows sets 53 bits,
// which is why the chart cannot simply ask the compiler for long double).
// Results below the normal range are denormalized and then rounded once;
// results beyond it become infinity. NaN operands propagate as the x87
// propagates them: a quiet NaN wins over a signaling one, and between two
// of a kind the larger significand wins; the result is always quiet.
//
// Example: 456 / 7125 is 0.064 exactly, which has no finite binary form. Its
// 64-bit significand rounds down, to 0x83126E978D4FDF3B with exponent 0x3FFB,
// so multiplying by 1000 gives 63.99999999999999999... which truncates to 63.
#include "extended.h"

#include "wideint.h"

#include <bit>
#include <limits>
#include <utility>

using wideint::U128;

namespace {

constexpr int ExponentBias = 16383;
constexpr uint16_t MaxExponent = 0x7FFF;      // infinity and NaN
constexpr uint16_t SignBit = 0x8000;
constexpr uint64_t IntegerBit = uint64_t(1) << 63;
constexpr uint64_t QuietBit = uint64_t(1) << 62;
constexpr uint64_t IndefiniteSignificand = IntegerBit | QuietBit;

// A number taken apart, with denormals normalized, so that the arithmetic
// sees one shape of finite number.
struct Unpacked {
    enum Kind { Zero, Finite, Infinity, Nan, Invalid } kind = Zero;
    bool negative = false;
    int exponent = 0;          // unbiased exponent of the significand's top bit (Finite)
    uint64_t significand = 0;  // top bit set (Finite); the raw significand (Nan)
};

Unpacked unpack(uint16_t signExponent, uint64_t significand)
{
    Unpacked u;
    u.negative = (signExponent & SignBit) != 0;
    const int exponent = signExponent & MaxExponent;
    u.significand = significand;
    if (exponent == MaxExponent) {
        if (!(significand & IntegerBit))
            u.kind = Unpacked::Invalid;
        else
            u.kind = (significand << 1) == 0 ? Unpacked::Infinity : Unpacked::Nan;
    } else if (exponent == 0) {
        if (significand == 0) {
            u.kind = Unpacked::Zero;
        } else {
            // A denormal stands at the scale of exponent 1.
            const int shift = std::countl_zero(significand);
            u.kind = Unpacked::Finite;
            u.significand = significand << shift;
            u.exponent = 1 - ExponentBias - shift;
        }
    } else if (!(significand & IntegerBit)) {
        u.kind = Unpacked::Invalid;
    } else {
        u.kind = Unpacked::Finite;
        u.exponent = exponent - ExponentBias;
    }
    return u;
}

// Shifts a 128-bit significand right by count bits, folding every bit that
// falls off into the lowest bit, so that rounding still sees that the value
// was not exact.
U128 shiftRightSticky(U128 v, int count)
{
    if (count <= 0)
        return v;
    if (count >= 128)
        return {0, (v.hi | v.lo) != 0 ? 1u : 0u};
    if (count >= 64) {
        const int inHi = count - 64;
        const uint64_t lost = v.lo | (inHi == 0 ? 0 : v.hi << (64 - inHi));
        return {0, (v.hi >> inHi) | (lost != 0 ? 1u : 0u)};
    }
    const uint64_t lost = v.lo << (64 - count);
    return {v.hi >> count, (v.lo >> count) | (v.hi << (64 - count)) | (lost != 0 ? 1u : 0u)};
}

U128 shiftLeft(U128 v, int count)
{
    if (count == 0)
        return v;
    if (count >= 64)
        return {v.lo << (count - 64), 0};
    return {(v.hi << count) | (v.lo >> (64 - count)), v.lo << count};
}

int countLeadingZeros(U128 v)
{
    return v.hi != 0 ? std::countl_zero(v.hi) : 64 + std::countl_zero(v.lo);
}

} // namespace

Extended Extended::fromBits(uint16_t signExponent, uint64_t significand)
{
    Extended e;
    e.m_signExponent = signExponent;
    e.m_significand = significand;
    return e;
}

namespace {

Extended zero(bool negative)
{
    return Extended::fromBits(negative ? SignBit : 0, 0);
}

Extended infinity(bool negative)
{
    return Extended::fromBits(uint16_t((negative ? SignBit : 0) | MaxExponent), IntegerBit);
}

Extended indefinite()
{
    return Extended::fromBits(SignBit | MaxExponent, IndefiniteSignificand);
}

Extended quiet(const Unpacked &nan)
{
    return Extended::fromBits(uint16_t((nan.negative ? SignBit : 0) | MaxExponent),
                              nan.significand | QuietBit);
}

// The result of an operation with a NaN or an invalid encoding among its
// operands, by the x87's rules.
Extended propagateNan(const Unpacked &a, const Unpacked &b)
{
    if (a.kind == Unpacked::Invalid || b.kind == Unpacked::Invalid)
        return indefinite();
    if (a.kind != Unpacked::Nan)
        return quiet(b);
    if (b.kind != Unpacked::Nan)
        return quiet(a);
    const bool aQuiet = (a.significand & QuietBit) != 0;
    const bool bQuiet = (b.significand & QuietBit) != 0;
    if (aQuiet != bQuiet)
        return quiet(aQuiet ? a : b);
    if (a.significand != b.significand)
        return quiet(a.significand > b.significand ? a : b);
    // Equal significands: the positive one.
    return quiet(a.negative ? b : a);
}

bool isNanOrInvalid(const Unpacked &u)
{
    return u.kind == Unpacked::Nan || u.kind == Unpacked::Invalid;
}

// Rounds (v.hi:v.lo) * 2^(exponent - 127), whose top bit is set, to 64 bits
// of significand and packs it. Below the normal range the significand is
// first shifted down to the denormal scale, so that it is rounded once, at
// the bit that the format keeps.
Extended roundPack(bool negative, int exponent, U128 v)
{
    int biased = exponent + ExponentBias;
    if (biased >= MaxExponent)
        return infinity(negative);
    if (biased <= 0) {
        v = shiftRightSticky(v, 1 - biased);
        biased = 0;
    }
    constexpr uint64_t Half = uint64_t(1) << 63;
    const bool roundUp = v.lo > Half || (v.lo == Half && (v.hi & 1));
    if (roundUp) {
        ++v.hi;
        if (v.hi == 0) {
            // 0xFFFF...F rounded up to the next power of two.
            v.hi = IntegerBit;
            if (++biased >= MaxExponent)
                return infinity(negative);
        } else if (biased == 0 && (v.hi & IntegerBit)) {
            // A denormal rounded up to the smallest normal number.
            biased = 1;
        }
    }
    if (v.hi == 0)
        return zero(negative);
    return Extended::fromBits(uint16_t((negative ? SignBit : 0) | biased), v.hi);
}

// a + b for finite non-zero operands.
Extended addFinite(Unpacked a, Unpacked b)
{
    if (a.exponent < b.exponent || (a.exponent == b.exponent && a.significand < b.significand))
        std::swap(a, b);
    // Now |a| >= |b|. With 64 bits below the kept ones, the bits of b that
    // fall off can only matter as "something was there".
    const U128 x{a.significand, 0};
    const U128 y = shiftRightSticky(U128{b.significand, 0}, a.exponent - b.exponent);
    if (a.negative == b.negative) {
        // x.lo is 0, so only the high halves can carry.
        U128 sum{x.hi + y.hi, y.lo};
        if (sum.hi >= x.hi)
            return roundPack(a.negative, a.exponent, sum);
        sum = shiftRightSticky(sum, 1);
        sum.hi |= IntegerBit;
        return roundPack(a.negative, a.exponent + 1, sum);
    }
    if (x.hi == y.hi && y.lo == 0)
        return zero(false);  // an exact zero is positive when rounding to nearest
    const U128 difference{x.hi - y.hi - (y.lo != 0 ? 1 : 0), 0 - y.lo};
    // An exponent gap of 2 or more loses at most one leading bit here, so the
    // folded bit stays far below the rounding point; a smaller gap shifted
    // nothing out, and then the difference is exact.
    const int shift = countLeadingZeros(difference);
    return roundPack(a.negative, a.exponent - shift, shiftLeft(difference, shift));
}

Extended add(const Unpacked &a, const Unpacked &b)
{
    if (isNanOrInvalid(a) || isNanOrInvalid(b))
        return propagateNan(a, b);
    if (a.kind == Unpacked::Infinity || b.kind == Unpacked::Infinity) {
        if (a.kind == Unpacked::Infinity && b.kind == Unpacked::Infinity && a.negative != b.negative)
            return indefinite();
        return infinity(a.kind == Unpacked::Infinity ? a.negative : b.negative);
    }
    if (a.kind == Unpacked::Zero && b.kind == Unpacked::Zero)
        return zero(a.negative && b.negative);
    if (a.kind == Unpacked::Zero)
        return roundPack(b.negative, b.exponent, U128{b.significand, 0});
    if (b.kind == Unpacked::Zero)
        return roundPack(a.negative, a.exponent, U128{a.significand, 0});
    return addFinite(a, b);
}

} // namespace

Extended Extended::fromInt(int64_t value)
{
    if (value == 0)
        return Extended();
    const bool negative = value < 0;
    // Through unsigned arithmetic, so that INT64_MIN has a magnitude too.
    const uint64_t magnitude = negative ? 0 - uint64_t(value) : uint64_t(value);
    const int shift = std::countl_zero(magnitude);
    return fromBits(uint16_t((negative ? SignBit : 0) | (ExponentBias + 63 - shift)),
                    magnitude << shift);
}

Extended Extended::fromDouble(double value)
{
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const int exponent = int(bits >> 52) & 0x7FF;
    const uint64_t fraction = bits & ((uint64_t(1) << 52) - 1);
    const uint16_t sign = negative ? SignBit : 0;
    if (exponent == 0x7FF) {
        if (fraction == 0)
            return infinity(negative);
        // Loading a signaling NaN makes it quiet.
        return fromBits(uint16_t(sign | MaxExponent), IntegerBit | QuietBit | (fraction << 11));
    }
    if (exponent == 0) {
        if (fraction == 0)
            return zero(negative);
        // A double denormal is fraction * 2^-1074: normal in this format.
        const int shift = std::countl_zero(fraction);
        return fromBits(uint16_t(sign | (ExponentBias + 63 - shift - 1074)), fraction << shift);
    }
    return fromBits(uint16_t(sign | (exponent - 1023 + ExponentBias)), IntegerBit | (fraction << 11));
}

Extended operator+(Extended a, Extended b)
{
    return add(unpack(a.m_signExponent, a.m_significand), unpack(b.m_signExponent, b.m_significand));
}

Extended operator-(Extended a, Extended b)
{
    Unpacked negated = unpack(b.m_signExponent, b.m_significand);
    // A NaN keeps its sign: the x87 does not flip it for a subtraction.
    if (negated.kind != Unpacked::Nan)
        negated.negative = !negated.negative;
    return add(unpack(a.m_signExponent, a.m_significand), negated);
}

Extended operator*(Extended a, Extended b)
{
    const Unpacked x = unpack(a.m_signExponent, a.m_significand);
    const Unpacked y = unpack(b.m_signExponent, b.m_significand);
    if (isNanOrInvalid(x) || isNanOrInvalid(y))
        return propagateNan(x, y);
    const bool negative = x.negative != y.negative;
    if (x.kind == Unpacked::Infinity || y.kind == Unpacked::Infinity) {
        if (x.kind == Unpacked::Zero || y.kind == Unpacked::Zero)
            return indefinite();
        return infinity(negative);
    }
    if (x.kind == Unpacked::Zero || y.kind == Unpacked::Zero)
        return zero(negative);
    // Two significands in [2^63, 2^64) give a product in [2^126, 2^128).
    U128 product = wideint::mulWide(x.significand, y.significand);
    int exponent = x.exponent + y.exponent + 1;
    if (!(product.hi & IntegerBit)) {
        product = shiftLeft(product, 1);
        --exponent;
    }
    return roundPack(negative, exponent, product);
}

Extended operator/(Extended a, Extended b)
{
    const Unpacked x = unpack(a.m_signExponent, a.m_significand);
    const Unpacked y = unpack(b.m_signExponent, b.m_significand);
    if (isNanOrInvalid(x) || isNanOrInvalid(y))
        return propagateNan(x, y);
    const bool negative = x.negative != y.negative;
    if (x.kind == Unpacked::Infinity)
        return y.kind == Unpacked::Infinity ? indefinite() : infinity(negative);
    if (y.kind == Unpacked::Infinity)
        return zero(negative);
    if (y.kind == Unpacked::Zero)
        return x.kind == Unpacked::Zero ? indefinite() : infinity(negative);
    if (x.kind == Unpacked::Zero)
        return zero(negative);
    // Place the dividend so that the first quotient has exactly 64 bits: the
    // dividend's high half must stay below the divisor.
    uint64_t high = x.significand, low = 0;
    int exponent = x.exponent - y.exponent - 1;
    if (x.significand >= y.significand) {
        high = x.significand >> 1;
        low = x.significand << 63;
        ++exponent;
    }
    uint64_t remainder = 0;
    const uint64_t quotient = wideint::divWide(high, low, y.significand, &remainder);
    // 64 more quotient bits, and whether anything remains beyond them.
    uint64_t rest = 0;
    const uint64_t below = wideint::divWide(remainder, 0, y.significand, &rest);
    return roundPack(negative, exponent, U128{quotient, below | (rest != 0 ? 1u : 0u)});
}

double Extended::toDouble() const
{
    const Unpacked u = unpack(m_signExponent, m_significand);
    const uint64_t sign = u.negative ? uint64_t(1) << 63 : 0;
    switch (u.kind) {
    case Unpacked::Zero:
        return std::bit_cast<double>(sign);
    case Unpacked::Infinity:
        return std::bit_cast<double>(sign | uint64_t(0x7FF) << 52);
    case Unpacked::Nan:
        // The top 52 bits below the integer bit, made quiet.
        return std::bit_cast<double>(sign | uint64_t(0x7FF) << 52 | uint64_t(1) << 51
                                     | ((u.significand >> 11) & ((uint64_t(1) << 52) - 1)));
    case Unpacked::Invalid:
        return std::bit_cast<double>(uint64_t(0xFFF8) << 48);
    case Unpacked::Finite:
        break;
    }
    // Keep 53 bits of the significand; below the normal range of a double,
    // fewer, down to the denormal scale of 2^-1074.
    int biased = u.exponent + 1023;
    const int dropped = biased >= 1 ? 11 : 11 + (1 - biased);
    if (biased < 1)
        biased = 0;
    const U128 kept = shiftRightSticky(U128{u.significand, 0}, dropped);
    uint64_t mantissa = kept.hi;  // the 53 (or fewer) bits kept
    constexpr uint64_t Half = uint64_t(1) << 63;
    if (kept.lo > Half || (kept.lo == Half && (mantissa & 1)))
        ++mantissa;
    if (mantissa >> 53) {
        // Rounded up to the next power of two.
        mantissa >>= 1;
        ++biased;
    } else if (biased == 0 && (mantissa >> 52)) {
        // A denormal rounded up to the smallest normal double.
        biased = 1;
    }
    if (biased >= 0x7FF)
        return std::bit_cast<double>(sign | uint64_t(0x7FF) << 52);
    return std::bit_cast<double>(sign | uint64_t(biased) << 52 | (mantissa & ((uint64_t(1) << 52) - 1)));
}

int64_t Extended::truncToInt64() const
{
    constexpr int64_t Indefinite = std::numeric_limits<int64_t>::min();
    const Unpacked u = unpack(m_signExponent, m_significand);
    if (u.kind == Unpacked::Zero)
        return 0;
    if (u.kind != Unpacked::Finite)
        return Indefinite;
    if (u.exponent < 0)
        return 0;
    // 2^63 and beyond do not fit; -2^63 does, and is the same bits as the
    // indefinite value anyway.
    if (u.exponent >= 63)
        return Indefinite;
    const uint64_t magnitude = u.significand >> (63 - u.exponent);
    return u.negative ? int64_t(0 - magnitude) : int64_t(magnitude);
}

int32_t Extended::truncToInt32() const
{
    // Modulo 2^32, which C++20 defines for the narrowing conversion.
    return int32_t(truncToInt64());
}

bool Extended::isZero() const
{
    return (m_signExponent & MaxExponent) == 0 && m_significand == 0;
}

bool Extended::isNegative() const
{
    const Unpacked u = unpack(m_signExponent, m_significand);
    return u.negative && (u.kind == Unpacked::Finite || u.kind == Unpacked::Infinity);
}
