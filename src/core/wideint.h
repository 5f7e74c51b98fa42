// 128-bit products and quotients from 64-bit halves, for the extended
// arithmetic. Neither MSVC nor every 32-bit target has a 128-bit integer type,
// so these are written with 32-bit digits, which every C++ compiler handles.
#pragma once

#include <bit>
#include <cstdint>

namespace wideint {

// An unsigned 128-bit number as two halves.
struct U128 {
    uint64_t hi = 0;
    uint64_t lo = 0;
};

// a * b, exactly: four 32 x 32 products, carries gathered in the middle.
inline U128 mulWide(uint64_t a, uint64_t b)
{
    constexpr uint64_t Low32 = 0xFFFFFFFFu;
    const uint64_t a0 = a & Low32, a1 = a >> 32;
    const uint64_t b0 = b & Low32, b1 = b >> 32;
    const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    // At most 3 * (2^32 - 1): it cannot overflow.
    const uint64_t middle = (p00 >> 32) + (p01 & Low32) + (p10 & Low32);
    return {p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32), (middle << 32) | (p00 & Low32)};
}

// (hi:lo) / divisor, returning the quotient and leaving the remainder in
// *remainder. Needs hi < divisor, so that the quotient fits in 64 bits (and
// divisor != 0).
//
// This is long division in base 2^32 (Knuth's algorithm D, in the two-digit
// form of Hacker's Delight's divlu): the divisor is shifted until its top bit
// is set, so that each estimated quotient digit is at most two too large,
// and the estimate is corrected before each digit is subtracted.
inline uint64_t divWide(uint64_t hi, uint64_t lo, uint64_t divisor, uint64_t *remainder)
{
    constexpr uint64_t Base = uint64_t(1) << 32;
    constexpr uint64_t Low32 = Base - 1;

    const int shift = std::countl_zero(divisor);
    divisor <<= shift;
    const uint64_t d1 = divisor >> 32, d0 = divisor & Low32;
    // The dividend shifted alike: n32 holds its top 64 bits, n1 and n0 the
    // two digits below.
    const uint64_t n32 = shift == 0 ? hi : (hi << shift) | (lo >> (64 - shift));
    const uint64_t n10 = lo << shift;
    const uint64_t n1 = n10 >> 32, n0 = n10 & Low32;

    uint64_t q1 = n32 / d1;
    uint64_t rest = n32 - q1 * d1;
    while (q1 >= Base || q1 * d0 > ((rest << 32) | n1)) {
        --q1;
        rest += d1;
        if (rest >= Base)
            break;
    }
    // Wraps modulo 2^64 on the way, but the true value is below the divisor.
    const uint64_t n21 = (n32 << 32) + n1 - q1 * divisor;

    uint64_t q0 = n21 / d1;
    rest = n21 - q0 * d1;
    while (q0 >= Base || q0 * d0 > ((rest << 32) | n0)) {
        --q0;
        rest += d1;
        if (rest >= Base)
            break;
    }
    *remainder = ((n21 << 32) + n0 - q0 * divisor) >> shift;
    return (q1 << 32) | q0;
}

} // namespace wideint
