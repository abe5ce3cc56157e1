// Running out of heap memory in the list and hash-table packages. The
// packages' allocations are refused on demand: the list package must
// report error 2012 and end the process with its line number; the symbol
// tables must report the error, leave the table usable and leak nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// The operations that allocate, given a list and a generator over it.
void create(lsList, lsGen) { lsCreate(); }
void new_begin(lsList l, lsGen) { lsNewBegin(l, word(1), nullptr); }
void new_end(lsList l, lsGen) { lsNewEnd(l, word(1), nullptr); }
void start(lsList l, lsGen) { lsStart(l); }
void end(lsList l, lsGen) { lsEnd(l); }
void copy(lsList l, lsGen) { lsCopy(l, nullptr); }
void in_before(lsList, lsGen g) { lsInBefore(g, word(3), nullptr); }
void in_after(lsList, lsGen g) { lsInAfter(g, word(3), nullptr); }
void gen_handle(lsList l, lsGen) {
    lsHandle h = nullptr;
    lsFirstItem(l, nullptr, &h);
    lsGenHandle(h, nullptr, LS_AFTER);
}

TEST(ListMemoryDeathTest, EveryAllocationReportsItsLine) {
    struct Case {
        const char *name;
        int line;
        std::vector<intptr_t> items;
        int steps;   // of a generator over the list; -1: none
        int granted; // allocations before the refusals
        void (*act)(lsList, lsGen);
    } cases[] = {
        {"lsCreate", 82, {}, -1, 0, create},
        {"lsNewBegin", 173, {}, -1, 0, new_begin},
        {"lsNewEnd", 204, {1}, -1, 0, new_end},
        {"lsStart", 383, {1}, -1, 0, start},
        {"lsEnd", 401, {1}, -1, 0, end},
        {"lsGenHandle", 425, {1}, -1, 0, gen_handle},
        {"lsInBefore in the middle", 548, {1, 2}, 1, 0, in_before},
        {"lsInAfter in the middle", 596, {1, 2}, 1, 0, in_after},
        {"lsInBefore at the front makes a new first item", 173, {1}, 0, 0, in_before},
        {"lsInAfter at the end makes a new last item", 204, {1}, 1, 0, in_after},
        {"lsCopy of two items: the second item", 204, {1, 2}, -1, 2, copy},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto run = [&c] {
            lsList l = lsCreate();
            for (intptr_t v : c.items)
                lsNewEnd(l, word(v), nullptr);
            lsGen g = c.steps < 0 ? nullptr : lsStart(l);
            for (int k = 0; k < c.steps; ++k)
                lsNext(g, nullptr, nullptr);
            kt_packages_fail_alloc_after(c.granted, -1);
            c.act(l, g);
        };
        std::string expected =
            std::string(kNoMemory) + "\n(.|\n)*error 1008: assertion failed: " + std::to_string(c.line) + " list";
        EXPECT_EXIT(run(), testing::ExitedWithCode(1), expected);
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
