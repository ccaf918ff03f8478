#include <gtest/gtest.h>
#include <stdint.h>

#include <vector>

#include "runtime/longdivision.h"

namespace {

// Where long division goes wrong: word borders, one either side of them,
// the top bit, and divisors whose top 32 bits estimate the quotient badly.
std::vector<uint64_t> Borders()
{
    std::vector<uint64_t> values = {0, 1, 2, 3, 7, 10, 1000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
                                    0x100000000, 0x100000001, 0x1FFFFFFFF, 0x180000000,
                                    0xFFFFFFFF00000000, 0xFFFFFFFF00000001, 0x8000000000000000,
                                    0x8000000000000001, 0x7FFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF,
                                    0x00000001FFFFFFFE, 0x0000000180000001, 0xFFFFFFFE00000001};
    for (int bit = 1; bit < 64; bit += 7)
        values.push_back((uint64_t)1 << bit), values.push_back(((uint64_t)1 << bit) - 1);
    return values;
}

// Numbers of every length, from a fixed seed.
uint64_t Next(uint64_t* state)
{
    *state ^= *state << 13;
    *state ^= *state >> 7;
    *state ^= *state << 17;
    return *state >> (*state % 64);
}

TEST(LongDivision, UnsignedAsTheProcessorDivides)
{
    std::vector<uint64_t> values = Borders();
    uint64_t state = 88172645463325252ull;
    for (int i = 0; i < 4000; ++i)
        values.push_back(Next(&state));
    for (uint64_t n : values) {
        for (uint64_t d : values) {
            if (d == 0)
                continue;
            uint64_t left = ~(uint64_t)0;
            ASSERT_EQ(n / d, DivideUnsigned64(n, d, &left)) << n << " / " << d;
            ASSERT_EQ(n % d, left) << n << " % " << d;
        }
    }
    EXPECT_EQ(7u, DivideUnsigned64(15, 2, nullptr));
}

TEST(LongDivision, SignedRoundsTowardZero)
{
    std::vector<int64_t> values;
    for (uint64_t v : Borders())
        values.push_back((int64_t)v), values.push_back(-(int64_t)(v >> 1));
    for (int64_t n : values) {
        for (int64_t d : values) {
            if (d == 0 || (n == INT64_MIN && d == -1))
                continue;
            int64_t left = 12345;
            ASSERT_EQ(n / d, DivideSigned64(n, d, &left)) << n << " / " << d;
            ASSERT_EQ(n % d, left) << n << " % " << d;
        }
    }
}

}  // namespace
