// Running out of heap memory in the list and hash-table packages. The
// packages' allocations are refused on demand: the list package must
// report error 2012 and end the process with its line number; the symbol
// tables must report the error, leave the table usable and leak nothing.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "kt/host.h"
#include "kt/list.h"
#include "kt/st.h"
#include "ls_support.h"
#include "packages/heap.h"

using namespace kt::test;

namespace {

// Grants n allocations, then refuses `refused` (-1: all); restores
// unlimited allocations even when an assertion leaves a test early.
struct HeapGrants {
    explicit HeapGrants(int32_t n, int32_t refused = -1) { kt_packages_fail_alloc_after(n, refused); }
    ~HeapGrants() { kt_packages_fail_alloc_after(-1, 0); }
    HeapGrants(const HeapGrants &) = delete;
    HeapGrants &operator=(const HeapGrants &) = delete;
};

bool reported_no_memory() {
    for (int32_t k = 1; k <= kt_host_error_count(); ++k)
        if (kt_host_error_number(k) == 2012 && std::string(kt_host_error_text(k)) == KT_NO_MEMORY_TEXT)
            return true;
    return false;
}

const char kNoMemory[] = "error 2012: NO_MEMORY - Memory exhausted - increase swap space!";

// Sets up with memory to spare, then refuses every allocation from here on.
void refuse_from_now() { kt_packages_fail_alloc_after(0, -1); }

// A generator over a new list of the items, `steps` items from its start.
lsGen gen_over(std::initializer_list<intptr_t> items, int steps) {
    lsGen g = lsStart(make_ls(items));
    while (steps-- > 0)
        lsNext(g, nullptr, nullptr);
    return g;
}

TEST(ListMemoryDeathTest, EveryAllocationReportsItsLine) {
    struct Case {
        const char *name;
        int line;
        std::function<void()> act;
    } cases[] = {
        {"lsCreate", 82, [] { refuse_from_now(), lsCreate(); }},
        {"lsNewBegin", 173,
         [] {
             lsList l = make_ls({});
             refuse_from_now(), lsNewBegin(l, word(1), nullptr);
         }},
        {"lsNewEnd", 204,
         [] {
             lsList l = make_ls({1});
             refuse_from_now(), lsNewEnd(l, word(1), nullptr);
         }},
        {"lsStart", 383,
         [] {
             lsList l = make_ls({1});
             refuse_from_now(), lsStart(l);
         }},
        {"lsEnd", 401,
         [] {
             lsList l = make_ls({1});
             refuse_from_now(), lsEnd(l);
         }},
        {"lsGenHandle", 425,
         [] {
             lsList l = lsCreate();
             lsHandle h = nullptr;
             lsNewEnd(l, word(1), &h);
             refuse_from_now();
             lsGenHandle(h, nullptr, LS_AFTER);
         }},
        {"lsInBefore in the middle", 548,
         [] {
             lsGen g = gen_over({1, 2}, 1);
             refuse_from_now(), lsInBefore(g, word(3), nullptr);
         }},
        {"lsInAfter in the middle", 596,
         [] {
             lsGen g = gen_over({1, 2}, 1);
             refuse_from_now(), lsInAfter(g, word(3), nullptr);
         }},
        {"lsInBefore at the front makes a new first item", 173,
         [] {
             lsGen g = gen_over({1}, 0);
             refuse_from_now(), lsInBefore(g, word(3), nullptr);
         }},
        {"lsInAfter at the end makes a new last item", 204,
         [] {
             lsGen g = gen_over({1}, 1);
             refuse_from_now(), lsInAfter(g, word(3), nullptr);
         }},
        {"lsCopy of two items: the second item", 204,
         [] {
             lsList l = make_ls({1, 2});
             kt_packages_fail_alloc_after(2, -1);
             lsCopy(l, nullptr);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string expected =
            std::string(kNoMemory) + "\n(.|\n)*error 1008: assertion failed: " + std::to_string(c.line) + " list";
        EXPECT_EXIT(c.act(), testing::ExitedWithCode(1), expected);
    }
}

TEST(ListMemoryTest, WalksSortsAndRemovalsAllocateNothing) {
    lsList l = make_ls({5, 3, 1, 4, 2, 2}), other = make_ls({4, 1});
    lsHandle h = nullptr;
    lsFirstItem(l, nullptr, &h);
    {
        HeapGrants none(0);
        lsSort(l, compare_values);
        lsUniq(l, compare_values, nullptr);
        lsForeach(
            l, [](lsGeneric, lsGeneric) -> lsStatus { return LS_OK; }, nullptr);
        lsBackeach(
            l, [](lsGeneric d, lsGeneric) -> lsStatus { return value(d) == 3 ? LS_DELETE : LS_OK; }, nullptr);
        lsRemoveItem(h, nullptr);
        EXPECT_EQ(lsReorderToMatch(l, other, [](lsGeneric a, lsGeneric b) { return a == b ? 1 : 0; }), LS_BADPARAM);
    }
    EXPECT_EQ(values_of(other), (std::vector<intptr_t>{1, 4}));
    EXPECT_EQ(values_of(l), (std::vector<intptr_t>{1, 2, 4}));
    lsDestroy(other, nullptr);
    lsDestroy(l, nullptr);
}

const char *num(intptr_t v) { return reinterpret_cast<const char *>(v); }

TEST(StMemoryTest, RefusedAllocationsAreReportedAndLeaveTheTableUsable) {
    kt_host_reset_errors();
    {
        HeapGrants none(0);
        EXPECT_EQ(st_init_table(st_numcmp, st_numhash), nullptr);
    }
    EXPECT_TRUE(reported_no_memory());
    {
        HeapGrants one(1); // the table but not its bins
        EXPECT_EQ(st_init_table_with_params(st_numcmp, st_numhash, 5, 5, 2.0, 0), nullptr);
    }

    st_table *t = st_init_table(st_numcmp, st_numhash);
    for (intptr_t k = 1; k <= 55; ++k)
        st_insert(t, num(k), nullptr);
    kt_host_reset_errors();
    {
        HeapGrants none(0);
        EXPECT_EQ(st_insert(t, num(100), nullptr), ST_OUT_OF_MEMORY);
        EXPECT_EQ(st_add_direct(t, num(100), nullptr), ST_OUT_OF_MEMORY);
        void **slot = reinterpret_cast<void **>(&t);
        EXPECT_EQ(st_find_or_add(t, num(100), &slot), ST_OUT_OF_MEMORY);
        EXPECT_EQ(slot, nullptr);
        EXPECT_EQ(st_init_gen(t), nullptr);
        EXPECT_EQ(st_copy(t), nullptr);
        EXPECT_EQ(st_insert(t, num(7), nullptr), 1); // a hit needs no memory
    }
    EXPECT_TRUE(reported_no_memory());
    EXPECT_EQ(t->entry_count, 55);
    EXPECT_EQ(t->bin_count, 11);
    EXPECT_EQ(st_lookup(t, num(100), nullptr), 0);

    kt_host_reset_errors();
    {
        HeapGrants bins_only(1); // grows, then cannot make the entry
        EXPECT_EQ(st_insert(t, num(56), nullptr), ST_OUT_OF_MEMORY);
    }
    EXPECT_EQ(t->bin_count, 23);
    EXPECT_EQ(t->entry_count, 55);
    EXPECT_EQ(st_lookup(t, num(56), nullptr), 0);
    EXPECT_TRUE(reported_no_memory());
    for (intptr_t k = 1; k <= 55; ++k)
        EXPECT_EQ(st_lookup(t, num(k), nullptr), 1) << k;
    for (intptr_t k = 56; k <= 115; ++k)
        st_insert(t, num(k), nullptr);
    kt_host_reset_errors();
    {
        HeapGrants no_bins(0, 1); // cannot grow: keeps its 23 bins, adds the entry
        EXPECT_EQ(st_insert(t, num(116), nullptr), 0);
    }
    EXPECT_TRUE(reported_no_memory());
    EXPECT_EQ(t->bin_count, 23);
    EXPECT_EQ(t->entry_count, 116);
    EXPECT_EQ(st_insert(t, num(117), nullptr), 0); // grows now
    EXPECT_EQ(t->bin_count, 47);
    for (intptr_t k = 1; k <= 117; ++k)
        EXPECT_EQ(st_lookup(t, num(k), nullptr), 1) << k;
    st_free_table(t);
}

TEST(StMemoryTest, CopyGivesUpCleanlyAtEveryRefusal) {
    st_table *t = st_init_table(strcmp, st_strhash);
    const char *keys[] = {"a", "b", "c", "d", "e", "f", "g"};
    for (const char *k : keys)
        st_insert(t, k, nullptr);
    bool copied = false;
    for (int32_t granted = 0; granted < 20 && !copied; ++granted) {
        kt_host_reset_errors();
        st_table *c = nullptr;
        {
            HeapGrants g(granted);
            c = st_copy(t);
        }
        copied = c != nullptr;
        EXPECT_EQ(reported_no_memory(), !copied) << granted;
        if (c) {
            EXPECT_EQ(granted, 2 + 7); // table, bins, one per entry
            EXPECT_EQ(c->entry_count, 7);
        }
        st_free_table(c); // LeakSanitizer checks the abandoned copies
    }
    EXPECT_TRUE(copied);
    st_free_table(t);
}

} // namespace
