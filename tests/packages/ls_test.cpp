// The list package at its edges: an empty list, a generator while the
// ends change, and reordering without a list. Random traffic against a
// model, reordering one list to match another included, is the list fuzz
// target's, replayed over its corpus.
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

TEST(ListDeathTest, ReorderWithoutAListEndsTheProcess) {
    lsList a = make_ls({1});
    EXPECT_EXIT(lsReorderToMatch(a, nullptr, equal_values), testing::ExitedWithCode(1), "error 1008.*22 lsreord");
    EXPECT_EXIT(lsReorderToMatch(nullptr, a, equal_values), testing::ExitedWithCode(1), "error 1008.*22 lsreord");
    lsDestroy(a, nullptr);
}

} // namespace
