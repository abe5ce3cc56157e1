// Searching: first equal entries, strided arrays, linear search and short
// tables, element-wise equality.
#include <gtest/gtest.h>

#include <vector>

#include "kt/numerics.h"

namespace {

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

// Bisection of ascending and descending tables against a plain scan, and
// tables out of order, are the sort fuzz target's, replayed over its
// corpus; here linear search and the shortest tables.
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
