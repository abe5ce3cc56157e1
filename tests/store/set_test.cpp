// Bit sets in caller arrays: word counts at the 32-element boundaries,
// whole-word operations on the bits above n, the odd true values of
// SETEQ and SETEQM, element operations that do not read n.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <vector>

#include "kt/abi.h"
#include "kt/store.h"

namespace {

constexpr int32_t kGuard = 0x5A5A5A5A;

// A set of capacity n with a guard word after its w words.
struct Set {
    explicit Set(int32_t capacity)
        : n(capacity), words(static_cast<size_t>(capacity > 0 ? (capacity + 31) / 32 : 0) + 1, 0) {
        words.back() = kGuard;
    }
    int32_t *data() { return words.data(); }
    int32_t w() const { return static_cast<int32_t>(words.size()) - 1; }
    bool guard_intact() const { return words.back() == kGuard; }
    int32_t n;
    std::vector<int32_t> words;
};

bool member(const Set &s, int32_t e) { return SETM(s.words.data(), &s.n, &e) == KT_TRUE; }

TEST(Sets, ElementsLandInTheDocumentedBits) {
    struct Case {
        int32_t n, e, word, bit;
    } cases[] = {{32, 1, 0, 0}, {32, 32, 0, 31}, {33, 33, 1, 0}, {64, 63, 1, 30}, {100, 97, 3, 0}};
    for (const Case &c : cases) {
        Set s(c.n);
        SETN(s.data(), &c.n);
        SETE(s.data(), &c.n, &c.e);
        EXPECT_EQ(static_cast<uint32_t>(s.words[c.word]), uint32_t{1} << c.bit) << c.e;
        EXPECT_EQ(member(s, c.e), true);
        SETR(s.data(), &c.n, &c.e);
        EXPECT_EQ(s.words[c.word], 0);
        EXPECT_EQ(SETM(s.data(), &c.n, &c.e), KT_FALSE);
        EXPECT_TRUE(s.guard_intact());
    }
}

TEST(Sets, WordCountsAndComplement) {
    for (int32_t n : {1, 31, 32, 33, 64, 65}) {
        Set s(n);
        SETN(s.data(), &n);
        EXPECT_EQ(SETISN(s.data(), &n), KT_TRUE);
        SETC(s.data(), &n);
        for (int32_t i = 0; i < s.w(); ++i)
            EXPECT_EQ(s.words[i], -1) << "all bits, also above n = " << n;
        EXPECT_EQ(SETISN(s.data(), &n), KT_FALSE);
        EXPECT_TRUE(s.guard_intact()) << n;
    }
}

TEST(Sets, NoWordsForNonPositiveCapacity) {
    for (int32_t n : {0, -5}) {
        int32_t a[1] = {7}, b[1] = {9}, mask[1] = {-1};
        SETN(a, &n);
        SETC(a, &n);
        SETU(a, b, &n);
        SETI(a, b, &n);
        SETCP(b, a, &n);
        EXPECT_EQ(a[0], 7);
        EXPECT_EQ(SETISN(a, &n), KT_TRUE);
        EXPECT_EQ(SETEQ(a, b, &n), 1);
        EXPECT_EQ(SETEQM(a, b, mask, &n), 1);
    }
}

TEST(Sets, EqualityCountsBitsAboveN) {
    int32_t n = 33;
    Set a(n), b(n);
    int32_t e = 5;
    SETE(a.data(), &n, &e);
    SETE(b.data(), &n, &e);
    EXPECT_EQ(SETEQ(a.data(), b.data(), &n), 1);
    b.words[1] |= 1 << 7; // element 40, above n
    EXPECT_EQ(SETEQ(a.data(), b.data(), &n), 0);
    std::vector<int32_t> mask{-1, 1};
    EXPECT_EQ(SETEQM(a.data(), b.data(), mask.data(), &n), 1) << "masked off";
    mask[1] = 1 << 7;
    EXPECT_EQ(SETEQM(a.data(), b.data(), mask.data(), &n), 0);
}

// Union, intersection and copy against std::set on random sets.
TEST(Sets, OperationsAgainstAReference) {
    std::mt19937 rng(31);
    for (int round = 0; round < 50; ++round) {
        int32_t n = 1 + static_cast<int32_t>(rng() % 200);
        Set a(n), b(n), c(n);
        SETN(a.data(), &n);
        SETN(b.data(), &n);
        std::set<int32_t> ra, rb;
        for (int k = 0; k < n / 2; ++k) {
            int32_t x = 1 + static_cast<int32_t>(rng() % n), y = 1 + static_cast<int32_t>(rng() % n);
            SETE(a.data(), &n, &x);
            SETE(b.data(), &n, &y);
            ra.insert(x);
            rb.insert(y);
        }
        SETCP(a.data(), c.data(), &n);
        EXPECT_EQ(SETEQ(a.data(), c.data(), &n), 1);
        SETU(c.data(), b.data(), &n);
        for (int32_t e = 1; e <= n; ++e)
            ASSERT_EQ(member(c, e), ra.count(e) || rb.count(e)) << e;
        SETCP(a.data(), c.data(), &n);
        SETI(c.data(), b.data(), &n);
        for (int32_t e = 1; e <= n; ++e)
            ASSERT_EQ(member(c, e), ra.count(e) && rb.count(e)) << e;
        EXPECT_TRUE(a.guard_intact() && b.guard_intact() && c.guard_intact());
    }
}

// The element operations never read n, and ignore elements below 1
// instead of touching the word before the set.
TEST(Sets, ElementOperationsIgnoreNAndNonPositiveElements) {
    std::vector<int32_t> words{kGuard, 0, 0, kGuard};
    int32_t *set = words.data() + 1;
    int32_t garbage_n = -99;
    for (int32_t e : {0, -1, -32, INT32_MIN}) {
        SETE(set, &garbage_n, &e);
        EXPECT_EQ(SETM(set, &garbage_n, &e), KT_FALSE);
        SETR(set, &garbage_n, &e);
    }
    EXPECT_EQ(words, (std::vector<int32_t>{kGuard, 0, 0, kGuard}));
    int32_t e = 64;
    SETE(set, &garbage_n, &e);
    EXPECT_EQ(words[2], INT32_MIN);
    EXPECT_EQ(SETM(set, &garbage_n, &e), KT_TRUE);
}

} // namespace
