// Bit sets and typed arrays: the bst_ functions, Bst and its iterator
// against a vector of bool; the ascending free-slot list, bulk enters,
// copies and appends, and the other element types of the arrays.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

#include "container_test_util.h"
#include "kt/containers.h"

using kt_cont_test::Capture;

namespace {

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
    unsigned word = 5; // no bits, no words
    bst_empty(&word, 0);
    bst_copy(&word, set.bits, -5);
    EXPECT_EQ(word, 5u);
    EXPECT_EQ(bst_test_empty(&word, 0), 1);
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
        // Copies and clears touch the words the bits need and no more.
        const size_t words = static_cast<size_t>(nbits + 31) / 32;
        std::vector<unsigned> copy(words + 1, 7u);
        bst_copy(copy.data(), set.bits, nbits);
        EXPECT_TRUE(std::equal(set.bits, set.bits + words, copy.begin()));
        bst_empty(copy.data(), nbits);
        EXPECT_EQ(bst_test_empty(copy.data(), nbits), 1);
        std::vector<unsigned> cleared(words + 1, 0u);
        cleared.back() = 7u;
        EXPECT_EQ(copy, cleared);
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

template <class A> std::vector<typename A::value_type> walk(const A &a) {
    std::vector<typename A::value_type> v;
    Arr_slot_iterator<A> it(&a);
    while (auto *p = it())
        v.push_back(*p);
    return v;
}

// The free-slot list from startEmpty on, as slot numbers.
std::vector<int> free_list(const Arr_intptr_t &a) {
    std::vector<int> v;
    for (int s = a.startEmpty(); s != 0; s = Arr_intptr_t::link_of(a[s - 1]))
        v.push_back(s);
    return v;
}

Arr_intptr_t filled(PWSRegion *region, int n) {
    Arr_intptr_t a(region, 4);
    for (int i = 0; i < n; ++i)
        a.enter(100 + i);
    return a;
}

// Slot reuse against a model is the containers fuzz target's; here the
// ascending free-slot list and removals outside the slots.
TEST(TypedArray, BulkEnterAppendsOrFillsFreeSlotsFirst) {
    PWSRegion region;
    Arr_intptr_t a(&region, 2);
    const intptr_t three[] = {1, 2, 3};
    EXPECT_EQ(a.enter(three, 3), 3);
    EXPECT_EQ(a.enter(three, 3), 6);
    EXPECT_EQ(a.enter(three, 0), 6);
    EXPECT_EQ(a.enter(three, -1), -1);
    for (int i : {4, 1, 2, 1, -1, a.max_size()})
        a.remove(i);
    EXPECT_EQ(free_list(a), (std::vector<int>{2, 3, 5}));
    EXPECT_EQ(a.lastEmpty(), 5);
    const intptr_t more[] = {7, 8, 9, 10};
    EXPECT_EQ(a.enter(more, 4), 7);
    EXPECT_EQ(walk(a), (std::vector<intptr_t>{1, 7, 8, 1, 9, 3, 10}));
    // Values taken from the array's own storage survive its growth.
    while (a.max_size() > a.size())
        a.enter(0);
    int n = a.size();
    EXPECT_EQ(a.enter(&a[0], n), 2 * n);
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(a[n + i], a[i]);
}

TEST(TypedArray, CopiesAssignmentAndAppend) {
    PWSRegion region;
    Arr_intptr_t a = filled(&region, 5);
    a.remove(1);
    a.remove(3);
    Arr_intptr_t copy(a);
    EXPECT_EQ(copy.region(), PWS::GetMallocRegion()) << "copies live in the heap's region";
    EXPECT_EQ(walk(copy), (std::vector<intptr_t>{100, 102, 104}));
    EXPECT_EQ(copy.startEmpty(), 0) << "a copy is compact";
    PWSRegion *heap = PWS::GetMallocRegion();
    const int64_t before = heap->bytes_in_use();
    {
        kt_cont_test::Grants none(heap, 0);
        Arr_intptr_t refused(a);
        EXPECT_EQ(refused.nostore(), 1);
        EXPECT_EQ(refused.size(), 0);
    }
    EXPECT_EQ(heap->bytes_in_use(), before);

    Arr_intptr_t b = filled(&region, 2);
    b.remove(0);
    b = a;
    EXPECT_EQ(walk(b), walk(a));
    b = b;
    EXPECT_EQ(walk(b), walk(a)) << "assigning to itself changes nothing";
    b += a;
    EXPECT_EQ(walk(b), (std::vector<intptr_t>{100, 102, 104, 100, 102, 104}));
    a += a;
    EXPECT_EQ(walk(a), (std::vector<intptr_t>{100, 100, 102, 102, 104, 104}))
        << "the two free slots are filled first, then the rest appended";
}

TEST(TypedArray, IntAndEntryPointerFacesShareTheBehaviour) {
    Arr_int ints;
    EXPECT_EQ(ints.region(), PWS::GetMallocRegion());
    for (int v : {4, 5, 6, 7})
        ints.enter(v);
    ints.remove(2);
    EXPECT_EQ(ints.enter(9), 3);
    EXPECT_EQ(walk(ints), (std::vector<int>{4, 5, 9, 7}));

    Arr_Hash_entry_p entries(3);
    auto *p = reinterpret_cast<Hash_entry *>(&ints);
    EXPECT_EQ(entries.enter(p), 1);
    EXPECT_EQ(entries.enter(nullptr), 2);
    entries.remove(0);
    EXPECT_EQ(walk(entries), (std::vector<Hash_entry *>{nullptr}));
    EXPECT_EQ(entries.enter(p), 1);
    Arr_Hash_entry_p_iterator it(&entries);
    EXPECT_EQ(*it(), p);
}

} // namespace
