// Searching: first equal entries, strided arrays, bisection of ascending
// and descending tables against a linear reference, element-wise equality.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "kt/numerics.h"

namespace {

// The position the bisection promises: the match, else the lower i of the
// pair with x between a(i) and a(i+1), else 0 outside the table.
template <typename T> int32_t reference_position(const std::vector<T> &a, int32_t dir, T x) {
    const int32_t n = static_cast<int32_t>(a.size());
    const T lowest = dir > 0 ? a.front() : a.back(), highest = dir > 0 ? a.back() : a.front();
    if (x < lowest || x > highest)
        return 0;
    for (int32_t i = 1; i <= n; ++i)
        if (a[i - 1] == x)
            return -i; // any matching position is acceptable
    for (int32_t i = 1; i < n; ++i)
        if ((a[i - 1] < x && x < a[i]) || (a[i - 1] > x && x > a[i]))
            return i;
    return -1000;
}

template <typename T> int32_t index_of(const std::vector<T> &a, int32_t dir, T x) {
    int32_t n = static_cast<int32_t>(a.size()), pos = -99, r;
    if constexpr (sizeof(T) == 8)
        r = INDEXD(a.data(), &n, &dir, &x, &pos);
    else
        r = INDEXS(a.data(), &n, &dir, &x, &pos);
    EXPECT_EQ(r, pos) << "the result is also stored";
    int32_t pos2 = -99;
    if constexpr (sizeof(T) == 8)
        EXPECT_EQ(c_indexd(a.data(), n, dir, x, &pos2), r);
    else
        EXPECT_EQ(c_indexs(a.data(), n, dir, x, &pos2), r);
    EXPECT_EQ(pos2, r);
    return r;
}

// Ordered tables are checked against the linear reference below.
TEST(TableSearch, LinearAndShortTables) {
    const std::vector<double> up{1, 2, 4, 8};
    EXPECT_EQ(index_of(up, 0, 7.0), 5) << "linear search: N + 1 when absent";
    EXPECT_EQ(index_of(up, 0, 4.0), 3);
    EXPECT_EQ(index_of(std::vector<double>{3}, 1, 3.0), 1);
    EXPECT_EQ(index_of(std::vector<double>{3}, 0, 4.0), 0) << "one entry: 0 when absent, whatever DIR";
    EXPECT_EQ(index_of(std::vector<float>{3}, -1, 2.0f), 0);
    for (int32_t dir : {1, -1}) {
        EXPECT_EQ(index_of(std::vector<double>{}, dir, 1.0), 0) << "an empty ordered table holds nothing";
        EXPECT_EQ(index_of(std::vector<float>{}, dir, 1.0f), 0);
    }
    EXPECT_EQ(index_of(std::vector<double>{}, 0, 1.0), 1) << "linear search of nothing: N + 1";
    double one = 1;
    int32_t negative = -4, dir = 0, pos = 0;
    EXPECT_EQ(INDEXD(&one, &negative, &dir, &one, &pos), 1);
}

TEST(TableSearch, BisectionAgreesWithLinearReference) {
    std::mt19937 rng(21);
    for (int round = 0; round < 300; ++round) {
        const int32_t n = 2 + static_cast<int32_t>(rng() % 60);
        std::vector<double> a(static_cast<size_t>(n));
        for (double &v : a)
            v = static_cast<double>(rng() % 40); // duplicates included
        std::sort(a.begin(), a.end());
        a.erase(std::unique(a.begin(), a.end()), a.end());
        if (a.size() < 2)
            continue;
        std::vector<float> af(a.begin(), a.end());
        for (int32_t dir : {1, -1}) {
            if (dir < 0) {
                std::reverse(a.begin(), a.end());
                std::reverse(af.begin(), af.end());
            }
            for (double x = -1.5; x <= 41; x += 0.5) {
                const int32_t expect = reference_position(a, dir, x);
                const int32_t got = index_of(a, dir, x), gotf = index_of(af, dir, static_cast<float>(x));
                if (expect < 0) {
                    ASSERT_EQ(a[got - 1], x) << "match";
                    ASSERT_EQ(af[gotf - 1], static_cast<float>(x));
                } else {
                    ASSERT_EQ(got, expect) << "dir " << dir << " x " << x;
                    ASSERT_EQ(gotf, expect);
                }
            }
            // A NaN leaves no order (unsorted tables are the sort fuzz
            // target's), but the search must stay inside the table.
            std::vector<double> poisoned = a;
            poisoned[rng() % poisoned.size()] = std::numeric_limits<double>::quiet_NaN();
            for (double x = -1.5; x <= 41; x += 2.5) {
                const int32_t r = index_of(poisoned, dir, x);
                ASSERT_TRUE(r >= 0 && r <= static_cast<int32_t>(a.size())) << r;
            }
        }
    }
}

TEST(IntegerSearch, FirstMatchPlainAndStrided) {
    const std::vector<int32_t> a{1, 9, 2, 9, 3, 9};
    struct Case {
        int32_t n, stride, v, expect;
    } cases[] = {
        {3, 2, 3, 3}, {3, 2, 9, 0}, {6, 1, 9, 2}, {6, 1, 4, 0}, {0, 1, 1, 0}, {-2, 1, 1, 0}, {3, 0, 1, 1}, {2, 3, 9, 2},
    };
    for (const Case &c : cases) {
        int32_t pos = -1;
        EXPECT_EQ(INDXIA(a.data(), &c.n, &c.stride, &c.v, &pos), c.expect) << c.n << " " << c.stride << " " << c.v;
        EXPECT_EQ(pos, c.expect);
        if (c.stride == 1) {
            pos = -1;
            EXPECT_EQ(INDEXI(a.data(), &c.n, &c.v, &pos), c.expect);
            EXPECT_EQ(pos, c.expect);
        }
    }
    // A negative stride walks back from the element passed.
    const int32_t n = 3, back = -2, v = 1;
    int32_t pos = 0;
    EXPECT_EQ(INDXIA(a.data() + 4, &n, &back, &v, &pos), 3);
}

// Random arrays, NaNs and zeros of either sign are the sort fuzz target's.
TEST(ArrayEquality, CountsThatCompareNothing) {
    const double a[1] = {1}, b[1] = {2};
    const int32_t ia[1] = {1}, ib[1] = {2};
    for (int32_t n : {0, -1}) {
        EXPECT_EQ(CMPR8(a, b, &n), 0);
        EXPECT_EQ(CMPI4(ia, ib, &n), 0);
    }
}

} // namespace
