// Typed arrays: slot numbers, the ascending free-slot list, iteration order,
// copies and appends, against hand-worked cases and a model of slots.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <vector>

#include "container_test_util.h"
#include "kt/containers.h"

namespace {

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

// Random enters and removes against a model of the slots: the lowest free
// slot is reused, the free-slot list stays ascending, iteration returns the
// live values in slot order, and removing outside the slots changes nothing.
TEST(TypedArray, RandomTrafficAgainstASlotModel) {
    std::mt19937 rng(11);
    PWSRegion region;
    Arr_intptr_t a(&region, 1);
    std::vector<std::optional<intptr_t>> slots;
    for (int step = 0; step < 20000; ++step) {
        if (rng() % 5 < 3 || slots.empty()) {
            auto v = static_cast<intptr_t>(rng());
            size_t s = 0;
            while (s < slots.size() && slots[s])
                ++s;
            ASSERT_EQ(a.enter(v), static_cast<int>(s) + 1);
            if (s == slots.size())
                slots.emplace_back();
            slots[s] = v;
        } else {
            size_t i = rng() % slots.size();
            a.remove(static_cast<int>(i)); // may hit a free slot: ignored
            a.remove(step % 2 ? -1 : a.max_size());
            slots[i].reset();
        }
        if (step % 97 == 0) {
            std::vector<intptr_t> live;
            std::vector<int> free;
            for (size_t s = 0; s < slots.size(); ++s) {
                if (slots[s])
                    live.push_back(*slots[s]);
                else
                    free.push_back(static_cast<int>(s) + 1);
            }
            ASSERT_EQ(walk(a), live);
            ASSERT_EQ(a.size(), static_cast<int>(live.size()));
            ASSERT_EQ(free_list(a), free);
            ASSERT_EQ(a.lastEmpty(), free.empty() ? 0 : free.back());
        }
    }
}

TEST(TypedArray, BulkEnterAppendsOrFillsFreeSlotsFirst) {
    PWSRegion region;
    Arr_intptr_t a(&region, 2);
    const intptr_t three[] = {1, 2, 3};
    EXPECT_EQ(a.enter(three, 3), 3);
    EXPECT_EQ(a.enter(three, 3), 6);
    EXPECT_EQ(a.enter(three, 0), 6);
    EXPECT_EQ(a.enter(three, -1), -1);
    a.remove(1);
    a.remove(4);
    const intptr_t more[] = {7, 8, 9};
    EXPECT_EQ(a.enter(more, 3), 7);
    EXPECT_EQ(walk(a), (std::vector<intptr_t>{1, 7, 3, 1, 8, 3, 9}));
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
