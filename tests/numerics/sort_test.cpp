// Sorting: every quicksort against std::sort over the input shapes the
// simulator meets (random, sorted, reversed, organ pipe, sawtooth, few
// distinct keys), the caller's stack, the generic sort, and the cost on
// inputs built to defeat the pivot choice. NaN keys, the marker order,
// complex keys and the stable exchange sorts on random keys are the sort
// fuzz target's, replayed over its corpus.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "kt/numerics.h"
#include "numerics/quicksort.h"

namespace {

constexpr int32_t kUnwritten = -777;

// Keys whose differences overflow 32 bits.
const int32_t kExtremes[] = {INT32_MIN, INT32_MIN + 1, -7, -1, 0, 1, 7, INT32_MAX};

// Key i of n in each input shape.
struct Shape {
    const char *name;
    int32_t (*key)(int32_t i, int32_t n, std::mt19937 &rng);
};
const Shape kShapes[] = {
    {"random", [](int32_t, int32_t, std::mt19937 &rng) { return static_cast<int32_t>(rng()); }},
    {"sorted", [](int32_t i, int32_t n, std::mt19937 &) { return i * 3 - n; }},
    {"reversed", [](int32_t i, int32_t n, std::mt19937 &) { return n - i; }},
    {"organ pipe", [](int32_t i, int32_t n, std::mt19937 &) { return std::min(i, n - 1 - i); }},
    {"sawtooth", [](int32_t i, int32_t, std::mt19937 &) { return i % 97; }},
    {"few keys", [](int32_t, int32_t, std::mt19937 &rng) { return static_cast<int32_t>(rng() % 4); }},
    {"all equal", [](int32_t, int32_t, std::mt19937 &) { return 42; }},
    {"extremes", [](int32_t, int32_t, std::mt19937 &rng) { return kExtremes[rng() % 8]; }},
};

std::vector<int32_t> make_keys(const Shape &shape, int32_t n, uint32_t seed = 1) {
    std::mt19937 rng(seed + static_cast<uint32_t>(n));
    std::vector<int32_t> v(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i)
        v[i] = shape.key(i, n, rng);
    return v;
}

const int32_t kSizes[] = {0, 1, 2, 3, 9, 10, 11, 39, 40, 41, 100, 1000, 30000};

// Runs a quicksort with a stack filled with kUnwritten; returns the stack.
template <typename Sort> std::vector<int32_t> with_stack(int32_t n, Sort sort) {
    std::vector<int32_t> stk(static_cast<size_t>(std::max(n, 1)) + 1, kUnwritten);
    sort(stk.data());
    EXPECT_EQ(stk.back(), kUnwritten) << "stack written past N entries";
    return stk;
}

int32_t depth_used(const std::vector<int32_t> &stk) {
    int32_t d = 0;
    while (d < static_cast<int32_t>(stk.size()) && stk[d] != kUnwritten)
        ++d;
    return d;
}

std::vector<int32_t> identity(int32_t n) {
    std::vector<int32_t> idx(static_cast<size_t>(n));
    std::iota(idx.begin(), idx.end(), 1);
    return idx;
}

// IDX must be a permutation of 1..n with keys in order.
template <typename T> void expect_sorted_index(const std::vector<T> &keys, const std::vector<int32_t> &idx) {
    std::vector<int32_t> seen = idx;
    std::sort(seen.begin(), seen.end());
    ASSERT_EQ(seen, identity(static_cast<int32_t>(keys.size()))) << "not a permutation";
    for (size_t i = 1; i < idx.size(); ++i)
        ASSERT_FALSE(keys[idx[i] - 1] < keys[idx[i - 1] - 1]) << "out of order at " << i;
}

TEST(Quicksort, EveryShapeAndSizeAgainstStdSort) {
    for (const Shape &shape : kShapes) {
        for (int32_t n : kSizes) {
            SCOPED_TRACE(testing::Message() << shape.name << " n=" << n);
            const std::vector<int32_t> keys = make_keys(shape, n);
            std::vector<int32_t> expect = keys;
            std::sort(expect.begin(), expect.end());
            std::vector<float> fkeys(keys.begin(), keys.end()), fexpect = fkeys;
            std::sort(fexpect.begin(), fexpect.end());
            std::vector<double> dkeys(keys.begin(), keys.end());

            std::vector<int32_t> a = keys;
            auto stk = with_stack(n, [&](int32_t *s) { QSORTI(a.data(), s, &n); });
            EXPECT_EQ(a, expect);
            EXPECT_EQ(stk[0], n > 0 ? n : kUnwritten) << "N < 1 writes nothing";
            if (n <= 10) { // one partition at most, and nothing pushed
                EXPECT_EQ(depth_used(stk), std::min(n, 1));
            }

            std::vector<float> f = fkeys;
            with_stack(n, [&](int32_t *s) { QSORTS(f.data(), s, &n); });
            EXPECT_EQ(f, fexpect);

            std::vector<int32_t> idx = identity(n);
            with_stack(n, [&](int32_t *s) { QSRTII(keys.data(), idx.data(), s, &n); });
            expect_sorted_index(keys, idx);
            idx = identity(n);
            with_stack(n, [&](int32_t *s) { QSRTIS(fkeys.data(), idx.data(), s, &n); });
            expect_sorted_index(fkeys, idx);
            idx = identity(n);
            with_stack(n, [&](int32_t *s) { QSRTID(dkeys.data(), idx.data(), s, &n); });
            expect_sorted_index(dkeys, idx);
        }
    }
}

// Left part first, right ends on the stack: with even splits the stack
// stays near log2 N deep; the old pivot rule made it N deep on sorted input.
TEST(Quicksort, StackStaysLogarithmicOnEveryShape) {
    const int32_t n = 200000;
    for (const Shape &shape : kShapes) {
        std::vector<int32_t> a = make_keys(shape, n);
        auto stk = with_stack(n, [&](int32_t *s) { QSORTI(a.data(), s, &n); });
        EXPECT_TRUE(std::is_sorted(a.begin(), a.end())) << shape.name;
        EXPECT_LE(depth_used(stk), 2 * 18) << shape.name;
    }
}

// Fewer than 10 positions take exchange passes only, which never move
// equal keys past each other; all-equal keys are never exchanged at all.
TEST(Quicksort, ShortPartsAndEqualKeysKeepTheirOrder) {
    const std::vector<int32_t> keys{2, 1, 2, 1, 2, 1, 2, 1, 2};
    int32_t n = 9;
    std::vector<int32_t> idx = identity(n);
    auto stk = with_stack(n, [&](int32_t *s) { QSRTII(keys.data(), idx.data(), s, &n); });
    EXPECT_EQ(idx, (std::vector<int32_t>{2, 4, 6, 8, 1, 3, 5, 7, 9}));
    EXPECT_EQ(depth_used(stk), 1);

    for (int32_t m : {10, 11, 1000}) {
        std::vector<double> same(static_cast<size_t>(m), 2.5);
        idx = identity(m);
        with_stack(m, [&](int32_t *s) { QSRTID(same.data(), idx.data(), s, &m); });
        EXPECT_EQ(idx, identity(m)) << m;
        // -0.0 and 0.0 are equal keys: the array keeps its bit patterns.
        std::vector<float> zeros(static_cast<size_t>(m));
        for (int32_t i = 0; i < m; ++i)
            zeros[i] = i % 3 ? 0.0f : -0.0f;
        with_stack(m, [&](int32_t *s) { QSORTS(zeros.data(), s, &m); });
        for (int32_t i = 0; i < m; ++i)
            ASSERT_EQ(std::signbit(zeros[i]), i % 3 == 0) << m << " " << i;
    }
}

// Random texts, their stability and the byte order are the sort fuzz
// target's; here the counts it never makes.
TEST(ExchangeSort, TextCountsAndLengths) {
    struct Case {
        std::string texts;
        int32_t n, l;
        std::string expect;
    } cases[] = {
        {"xy", 0, 2, "xy"},
        {"ba", 2, 0, "ba"},
        {"b1a1b2a2", 4, 1, "11abb2a2"}, // only the first 4 one-byte texts take part
    };
    for (Case c : cases) {
        QSORTC(c.texts.data(), &c.n, &c.l, static_cast<int32_t>(c.texts.size()));
        EXPECT_EQ(c.texts, c.expect);
    }
}

int64_t g_compares = 0;
int16_t compare_words(int32_t a, int32_t b) {
    ++g_compares;
    return static_cast<int16_t>(a < b ? -1 : a > b ? 1 : 0);
}
int16_t always_less(int32_t, int32_t) { return -1; }
int16_t always_more(int32_t, int32_t) { return 1; }

TEST(GenericSort, WordsAgainstStdSortWithBoundedCost) {
    for (const Shape &shape : kShapes) {
        for (int32_t n : {0, 1, 2, 3, 10, 100, 32767}) {
            std::vector<int32_t> a = make_keys(shape, n, 5), expect = a;
            std::sort(expect.begin(), expect.end());
            g_compares = 0;
            qsortg(a.data(), static_cast<int16_t>(n), compare_words);
            EXPECT_EQ(a, expect) << shape.name << " " << n;
            const double bound = 4.0 * n * std::log2(std::max(n, 2)) + 10;
            EXPECT_LE(static_cast<double>(g_compares), bound) << shape.name << " " << n;
        }
    }
    std::vector<int32_t> a{3, 1, 2};
    g_compares = 0;
    qsortg(a.data(), -5, compare_words);
    EXPECT_EQ(g_compares, 0);
    EXPECT_EQ(a, (std::vector<int32_t>{3, 1, 2}));
}

// A comparison that contradicts itself gives no order but no stray access.
TEST(GenericSort, InconsistentComparisonStaysInside) {
    for (auto cmp : {always_less, always_more}) {
        std::vector<int32_t> a(1000);
        std::iota(a.begin(), a.end(), 0);
        qsortg(a.data(), 1000, cmp);
        std::sort(a.begin(), a.end());
        for (int32_t i = 0; i < 1000; ++i)
            ASSERT_EQ(a[i], i);
    }
}

// An adversary that settles key values only as the sort compares them
// (gas turning solid) drives any sampled pivot towards the smallest key.
// The partitioning budget must still keep the work near n log n.
struct Adversary {
    std::vector<int32_t> value, items;
    int32_t gas, solid = 0, candidate = -1;
    int64_t compares = 0;
    explicit Adversary(int32_t n) : value(static_cast<size_t>(n), n), items(static_cast<size_t>(n)), gas(n) {
        std::iota(items.begin(), items.end(), 0);
    }
    bool less(int32_t x, int32_t y) {
        ++compares;
        if (value[x] == gas && value[y] == gas)
            value[x == candidate ? x : y] = solid++;
        if (value[x] == gas)
            candidate = x;
        else if (value[y] == gas)
            candidate = y;
        return value[x] < value[y];
    }
};

// Items are the adversary's item numbers; it orders them itself.
struct AdversaryKeys {
    using Key = int32_t;
    int32_t *items;
    Adversary *adversary;
    static Key key_of(int32_t item) { return item; }
    bool less(Key x, Key y) const { return adversary->less(x, y); }
    static bool by_value(Key) { return false; }
};

TEST(Quicksort, AdversarialInputCostsNLogN) {
    for (int32_t n : {1000, 40000}) {
        Adversary adversary(n);
        std::vector<int32_t> stk(static_cast<size_t>(n));
        kt::numerics::quicksort(AdversaryKeys{adversary.items.data(), &adversary}, stk.data(), n);
        for (int32_t i = 1; i < n; ++i)
            ASSERT_LE(adversary.value[adversary.items[i - 1]], adversary.value[adversary.items[i]]) << i;
        EXPECT_LE(static_cast<double>(adversary.compares), 12.0 * n * std::log2(n)) << n;
    }
}

} // namespace
