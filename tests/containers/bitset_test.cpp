// Bit sets: the bst_ functions, Bst and its iterator, against a vector of bool.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "container_test_util.h"
#include "kt/containers.h"

using kt_cont_test::Capture;

namespace {

TEST(BitSetFunctions, WordCountsFollowTheBitCount) {
    unsigned a[3] = {1, 2, 3}, b[3] = {7, 8, 9};
    bst_copy(b, a, 33); // two words
    EXPECT_EQ(b[0], 1u);
    EXPECT_EQ(b[1], 2u);
    EXPECT_EQ(b[2], 9u);
    bst_empty(a, 32); // one word
    EXPECT_EQ(a[0], 0u);
    EXPECT_EQ(a[1], 2u);
    bst_empty(a, 0); // no word: nothing
    bst_copy(a, b, -5);
    EXPECT_EQ(a[1], 2u);
    EXPECT_EQ(bst_test_empty(a, 0), 1);
    EXPECT_EQ(bst_test_empty(a, 32), 1);
    EXPECT_EQ(bst_test_empty(a, 33), 0);
}

// Set bits in order are checked on random sets below; here the ends of a
// walk and the bits outside the set.
TEST(Bst, WalksEndForGoodAndBitsOutsideAreNoMembers) {
    Bst set(3, nullptr);
    set.bits[0] = 0xFFFFFFF8u; // bits 3..31 are not part of the set
    Bst_Iterator it;
    EXPECT_EQ(it.first(&set), -1);
    set.bits[0] |= 4u;
    EXPECT_EQ(it.first(&set), 2);
    EXPECT_EQ(it.iterate(), -1);
    EXPECT_EQ(it.iterate(), -1) << "an ended walk stays ended";
    EXPECT_EQ(it.first(&set), 2) << "first starts over";
    EXPECT_EQ(set.is_member(3), 0) << "outside the set";
    EXPECT_EQ(set.is_member(-1), 0);
    Bst_Iterator unbound;
    EXPECT_EQ(unbound.iterate(), -1);
}

TEST(Bst, DebugListsWordsThenBits) {
    struct Case {
        int nbits;
        std::vector<int> set;
        const char *expected;
    } cases[] = {
        {3, {1}, " 2\n010\n"},
        {34, {0, 31, 33}, " 2147483649 2\n1000000000000000000000000000000101\n"},
        {0, {}, "\n\n"},
    };
    for (const Case &c : cases) {
        Bst set(c.nbits, nullptr);
        bst_empty(set.bits, set.nbits);
        for (int i : c.set)
            bst_set(set.bits, set.nbits, i);
        Capture out(std::cout);
        set.debug();
        EXPECT_EQ(out.text(), c.expected) << c.nbits;
    }
}

TEST(Bst, RandomSetsAgainstAVectorOfBool) {
    std::mt19937 rng(3);
    for (int round = 0; round < 50; ++round) {
        int nbits = 1 + static_cast<int>(rng() % 300);
        Bst set(nbits, nullptr);
        bst_empty(set.bits, nbits);
        std::vector<bool> model(static_cast<size_t>(nbits));
        for (int k = 0; k < nbits; ++k) {
            int i = static_cast<int>(rng() % static_cast<unsigned>(nbits));
            bool on = rng() % 3 != 0;
            on ? bst_set(set.bits, nbits, i) : bst_clr(set.bits, nbits, i);
            model[static_cast<size_t>(i)] = on;
        }
        std::vector<int> want, got;
        for (int i = 0; i < nbits; ++i) {
            // A set bit tests as its mask within its word: bit 31 is INT_MIN.
            const int mask = model[static_cast<size_t>(i)] ? static_cast<int>(1u << (i % 32)) : 0;
            ASSERT_EQ(bst_test(set.bits, nbits, i), mask) << i;
            ASSERT_EQ(set.is_member(i), mask) << i;
            if (mask)
                want.push_back(i);
        }
        Bst_Iterator it;
        for (int i = it.first(&set); i >= 0; i = it.iterate())
            got.push_back(i);
        ASSERT_EQ(got, want) << nbits;
        EXPECT_EQ(bst_test_empty(set.bits, nbits), want.empty() ? 1 : 0);
    }
}

TEST(Bst, RefusedWordsShowAsNoStoreAndNoMembers) {
    PWSRegion region;
    region.fail_after(0);
    Bst set(100, &region);
    EXPECT_EQ(set.bits, nullptr);
    EXPECT_EQ(set.nostore(), 1);
    EXPECT_EQ(set.is_member(3), 0);
    Bst_Iterator it;
    EXPECT_EQ(it.first(&set), -1);
    region.fail_after(-1);
}

} // namespace
