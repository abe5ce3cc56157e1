// The list package at its edges: an empty list, a generator while the
// ends change, and reordering one list to match another. Random traffic
// against a model is the list fuzz target's, replayed over its corpus.
#include <gtest/gtest.h>

#include "ls_support.h"

using namespace kt::test;
using V = std::vector<intptr_t>;

namespace {

TEST(ListTest, EmptyListGivesNothingAndClearsOutputs) {
    lsList l = lsCreate();
    lsGeneric d = word(99);
    lsHandle h = reinterpret_cast<lsHandle>(&d);
    EXPECT_EQ(lsFirstItem(l, &d, &h), LS_NOMORE);
    EXPECT_EQ(d, nullptr);
    EXPECT_EQ(h, nullptr);
    d = word(99);
    EXPECT_EQ(lsLastItem(l, &d, nullptr), LS_NOMORE);
    EXPECT_EQ(d, nullptr);
    EXPECT_EQ(lsQueryHandle(nullptr), nullptr);
    EXPECT_EQ(lsSort(l, compare_values), LS_OK);
    EXPECT_EQ(lsUniq(l, compare_values, nullptr), LS_OK);
    EXPECT_EQ(values_of(l), V{});
    lsDestroy(l, nullptr);
}

// Items added or taken at the ends away from a generator, or given new
// data, leave it where it was.
TEST(ListTest, GeneratorKeepsItsPlaceWhileTheEndsChange) {
    lsList l = make_ls({1, 2, 3});
    lsGeneric d = nullptr;
    lsHandle three = nullptr;
    lsLastItem(l, &d, &three);
    lsGen g = lsStart(l);
    lsNext(g, nullptr, nullptr);
    lsNewBegin(l, word(0), nullptr);
    lsNewEnd(l, word(4), nullptr);
    lsReplaceData(three, word(30));
    EXPECT_EQ(lsDelBegin(l, &d), LS_OK);
    EXPECT_EQ(lsDelEnd(l, &d), LS_OK);
    V seen;
    while (lsNext(g, &d, nullptr) == LS_OK)
        seen.push_back(value(d));
    while (lsPrev(g, &d, nullptr) == LS_OK)
        seen.push_back(value(d));
    EXPECT_EQ(seen, (V{2, 30, 30, 2, 1}));
    lsFinish(g);
    EXPECT_EQ(values_of(l), (V{1, 2, 30}));
    lsDestroy(l, nullptr);
}

int equal_values(lsGeneric a, lsGeneric b) { return a == b; }
// Only the low 16 bits of a match answer count: 0x10000 means "no".
int equal_in_high_bits(lsGeneric a, lsGeneric b) { return a == b ? 0x10001 : 0x10000; }

TEST(ListTest, ReorderToMatch) {
    struct Case {
        const char *name;
        V a, b, expected;
        lsStatus result;
        lsMatchFunc match;
    } cases[] = {
        {"B longer than A", {'a', 'b'}, {'x', 'b', 'y', 'a'}, {'x', 'y', 'a', 'b'}, LS_BADSTATE, equal_values},
        {"same length, all matched", {3, 1, 2}, {1, 2, 3}, {3, 1, 2}, LS_OK, equal_values},
        {"same length, one unmatched", {3, 1, 9}, {1, 2, 3}, {2, 3, 1}, LS_BADSTATE, equal_values},
        {"B shorter, all matched", {5, 2, 7, 1}, {1, 2}, {2, 1}, LS_BADPARAM, equal_values},
        {"B shorter, one unmatched", {5, 2, 7}, {1, 2}, {1, 2}, LS_BADSTATE, equal_values},
        {"low 16 bits decide", {2, 1}, {1, 2}, {2, 1}, LS_OK, equal_in_high_bits},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        lsList a = lsCreate(), b = lsCreate();
        for (intptr_t v : c.a)
            lsNewEnd(a, word(v), nullptr);
        for (intptr_t v : c.b)
            lsNewEnd(b, word(v), nullptr);
        EXPECT_EQ(lsReorderToMatch(a, b, c.match), c.result);
        EXPECT_EQ(values_of(b), c.expected);
        lsDestroy(a, nullptr);
        lsDestroy(b, nullptr);
    }
}

TEST(ListDeathTest, ReorderWithoutAListEndsTheProcess) {
    lsList a = make_ls({1});
    EXPECT_EXIT(lsReorderToMatch(a, nullptr, equal_values), testing::ExitedWithCode(1), "error 1008.*22 lsreord");
    EXPECT_EXIT(lsReorderToMatch(nullptr, a, equal_values), testing::ExitedWithCode(1), "error 1008.*22 lsreord");
    lsDestroy(a, nullptr);
}

} // namespace
