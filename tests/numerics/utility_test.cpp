// Integer and array helpers of spectrum work: bit reversal, powers of two,
// reversal in place, extremes of a curve.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "kt/numerics.h"

namespace {

int32_t bitrev(int32_t i, int32_t nbits) { return BITREV(&i, &nbits); }
int32_t pow2(int32_t n) { return POW2(&n); }
int32_t ilog2(int32_t n) { return ILOG2(&n); }

TEST(BitReversal, ReversesTheLowBits) {
    struct Case {
        int32_t i, nbits, expect;
    } cases[] = {
        {6, 3, 3},
        {1, 4, 8},
        {0, 5, 0},
        {5, 0, 0},
        {5, -2, 0},
        {0xF0, 4, 0},
        {0x1234, 16, 0x2C48},
        {1, 31, 1 << 30},
        {1, 32, INT32_MIN},
        {1, 33, 0},
        {3, 1000, 0},
        {INT32_MAX, 31, INT32_MAX},
        {-1, 2, -2} /* odd negatives count -1 per step */,
    };
    for (const Case &c : cases)
        EXPECT_EQ(bitrev(c.i, c.nbits), c.expect) << c.i << " " << c.nbits;
}

TEST(BitReversal, IsAnInvolutionOnEveryFieldWidth) {
    for (int32_t nbits = 1; nbits <= 12; ++nbits)
        for (int32_t i = 0; i < (1 << nbits); ++i)
            ASSERT_EQ(bitrev(bitrev(i, nbits), nbits), i) << nbits;
}

// Around every power of two, against doubling in 64 bits; 2^31 does not
// fit and gives 0.
TEST(PowersOfTwo, SmallestPowerAtLeastN) {
    std::vector<int32_t> ns{INT32_MIN, -5, 0, INT32_MAX};
    for (int32_t k = 0; k <= 30; ++k)
        ns.insert(ns.end(), {(1 << k) - 1, 1 << k, (1 << k) + 1});
    for (int32_t n : ns) {
        int64_t power = 1;
        int32_t log = 0;
        for (; power < n; power *= 2)
            ++log;
        EXPECT_EQ(pow2(n), power > (1 << 30) ? 0 : power) << n;
        EXPECT_EQ(ilog2(n), log) << n;
    }
}

// The first N elements reversed, nothing past them, nothing for N < 1.
TEST(ArrayReverse, OddEvenAndEmpty) {
    for (int32_t n = -3; n <= 6; ++n) {
        std::vector<double> a{1, 2, 3, 4, 5, 6, 7};
        AR8REV(a.data(), &n);
        for (int32_t i = 0; i < 7; ++i)
            EXPECT_EQ(a[i], i < n ? n - i : i + 1) << n << " " << i;
    }
}

TEST(MinMax, ExtremesOfACurve) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    struct Case {
        std::vector<float> x;
        int32_t n;
        float lo, hi; // NaN: expect NaN
    } cases[] = {
        {{3, -1, 7, 2}, 4, -1, 7}, {{5, 9}, 1, 5, 5},
        {{}, 0, inf, -inf}, // empty: nothing read (no element to read)
        {{}, -3, inf, -inf},       {{-2, -2, -2}, 3, -2, -2},
        {{1, nan, 4}, 3, 4, 4},   // after a NaN minimum every value replaces it
        {{1, 4, nan}, 3, nan, 4}, // the minimum takes v unless v > minimum
        {{nan, 4, 2}, 3, 2, nan},
    };
    for (const Case &c : cases) {
        float lo = 0, hi = 0;
        MNMXS(c.x.data(), &c.n, &lo, &hi);
        EXPECT_TRUE(std::isnan(c.lo) ? std::isnan(lo) : lo == c.lo) << lo;
        EXPECT_TRUE(std::isnan(c.hi) ? std::isnan(hi) : hi == c.hi) << hi;
    }
}

} // namespace
