#include "runtime/longdivision.h"

namespace {

// high:low divided by a divisor above high, so that the quotient fits 32
// bits: a single divide instruction on i386.
inline uint32_t DivideStep(uint32_t high, uint32_t low, uint32_t divisor, uint32_t* remainder)
{
#if defined(__i386__)
    uint32_t quotient;
    __asm__("divl %4" : "=a"(quotient), "=d"(*remainder) : "a"(low), "d"(high), "rm"(divisor));
    return quotient;
#else
    uint64_t dividend = ((uint64_t)high << 32) | low;
    *remainder = (uint32_t)(dividend % divisor);
    return (uint32_t)(dividend / divisor);
#endif
}

}  // namespace

// Nothing here may divide 64-bit numbers with / or %: on i386 that would
// call these very helpers.
uint64_t DivideUnsigned64(uint64_t dividend, uint64_t divisor, uint64_t* remainder)
{
    uint32_t divisorHigh = (uint32_t)(divisor >> 32);
    if (divisorHigh == 0) {
        // Long division by a 32-bit divisor: the high word first, then the
        // low word with what the high word left.
        uint32_t divisorLow = (uint32_t)divisor;
        uint32_t high = (uint32_t)(dividend >> 32), quotientHigh = 0, left = 0;
        if (high >= divisorLow)
            quotientHigh = DivideStep(0, high, divisorLow, &high);
        uint32_t quotientLow = DivideStep(high, (uint32_t)dividend, divisorLow, &left);
        if (remainder)
            *remainder = left;
        return ((uint64_t)quotientHigh << 32) | quotientLow;
    }
    // A divisor of 33 bits or more leaves a quotient of 32 bits at most. Half
    // the dividend divided by the divisor's top 32 bits (taken from its
    // highest set bit on) estimates it to within one too many; the estimate
    // less one is then at most one too few.
    int shift = __builtin_clz(divisorHigh);
    uint32_t top = (uint32_t)((divisor << shift) >> 32);
    uint64_t half = dividend >> 1;
    uint32_t unused = 0;
    uint32_t estimate = DivideStep((uint32_t)(half >> 32), (uint32_t)half, top, &unused);
    uint64_t quotient = ((uint64_t)estimate << shift) >> 31;
    if (quotient != 0)
        --quotient;
    uint64_t left = dividend - quotient * divisor;
    if (left >= divisor) {
        ++quotient;
        left -= divisor;
    }
    if (remainder)
        *remainder = left;
    return quotient;
}

int64_t DivideSigned64(int64_t dividend, int64_t divisor, int64_t* remainder)
{
    // Magnitudes in unsigned arithmetic, where the most negative number has
    // one too.
    uint64_t n = dividend < 0 ? 0 - (uint64_t)dividend : (uint64_t)dividend;
    uint64_t d = divisor < 0 ? 0 - (uint64_t)divisor : (uint64_t)divisor;
    uint64_t left = 0;
    uint64_t quotient = DivideUnsigned64(n, d, &left);
    if (remainder)
        *remainder = (int64_t)(dividend < 0 ? 0 - left : left);
    return (int64_t)((dividend < 0) != (divisor < 0) ? 0 - quotient : quotient);
}

#if defined(__i386__)
// The helpers the compiler calls, under the names it calls them by.
extern "C" {

unsigned long long __udivmoddi4(unsigned long long a, unsigned long long b, unsigned long long* r)
{
    uint64_t left = 0;
    uint64_t quotient = DivideUnsigned64(a, b, &left);
    if (r)
        *r = left;
    return quotient;
}

unsigned long long __udivdi3(unsigned long long a, unsigned long long b)
{
    return DivideUnsigned64(a, b, 0);
}

unsigned long long __umoddi3(unsigned long long a, unsigned long long b)
{
    uint64_t left = 0;
    DivideUnsigned64(a, b, &left);
    return left;
}

long long __divmoddi4(long long a, long long b, long long* r)
{
    int64_t left = 0;
    int64_t quotient = DivideSigned64(a, b, &left);
    if (r)
        *r = left;
    return quotient;
}

long long __divdi3(long long a, long long b)
{
    return DivideSigned64(a, b, 0);
}

long long __moddi3(long long a, long long b)
{
    int64_t left = 0;
    DivideSigned64(a, b, &left);
    return left;
}

}  // extern "C"
#endif
