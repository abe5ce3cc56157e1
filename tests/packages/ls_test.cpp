// The list package at its edges: empty lists, generators at the ends,
// sorting, duplicates, walks with stop and delete answers, reordering.
#include <gtest/gtest.h>

#include <utility>

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
    d = word(99);
    EXPECT_EQ(lsDelBegin(l, &d), LS_NOMORE);
    EXPECT_EQ(d, nullptr);
    EXPECT_EQ(lsDelEnd(l, &d), LS_NOMORE);
    lsGen g = lsStart(l);
    EXPECT_EQ(lsNext(g, &d, &h), LS_NOMORE);
    EXPECT_EQ(lsPrev(g, &d, &h), LS_NOMORE);
    d = word(99);
    EXPECT_EQ(lsDelBefore(g, &d), LS_BADSTATE);
    EXPECT_EQ(d, nullptr);
    d = word(99);
    EXPECT_EQ(lsDelAfter(g, &d), LS_BADSTATE);
    EXPECT_EQ(d, nullptr);
    lsFinish(g);
    EXPECT_EQ(lsQueryHandle(nullptr), nullptr);
    EXPECT_EQ(lsSort(l, compare_values), LS_OK);
    EXPECT_EQ(lsUniq(l, compare_values, nullptr), LS_OK);
    EXPECT_EQ(values_of(l), V{});
    lsDestroy(l, nullptr);
}

TEST(ListTest, EndsAndNewItems) {
    lsList l = lsCreate();
    lsHandle a = nullptr, b = nullptr;
    lsNewEnd(l, word(2), &a);
    lsNewBegin(l, word(1), &b);
    lsNewEnd(l, word(3), nullptr);
    EXPECT_EQ(values_of(l), (V{1, 2, 3}));
    EXPECT_EQ(value(lsFetchHandle(a)), 2);
    lsReplaceData(a, word(20));
    lsGeneric d = nullptr;
    EXPECT_EQ(lsDelEnd(l, &d), LS_OK);
    EXPECT_EQ(value(d), 3);
    EXPECT_EQ(lsDelBegin(l, &d), LS_OK);
    EXPECT_EQ(value(d), 1);
    EXPECT_EQ(values_of(l), (V{20}));
    lsDestroy(l, nullptr);
}

TEST(ListTest, PrevFromTheEndOfAOneItemList) {
    lsList l = lsCreate();
    lsHandle item = nullptr, got = nullptr;
    lsNewEnd(l, word(7), &item);
    lsGen g = lsEnd(l);
    lsGeneric d = nullptr;
    EXPECT_EQ(lsPrev(g, &d, &got), LS_OK);
    EXPECT_EQ(got, item);
    EXPECT_EQ(value(d), 7);
    EXPECT_EQ(lsPrev(g, &d, &got), LS_NOMORE);
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(lsNext(g, &d, &got), LS_OK); // the generator is at the front now
    EXPECT_EQ(got, item);
    lsFinish(g);
    lsDestroy(l, nullptr);
}

TEST(ListTest, InsertingAtAGenerator) {
    struct Case {
        const char *name;
        bool from_end;
        bool before;
        V expected;
    } cases[] = {
        {"InBefore at the end appends in order", true, true, {1, 2, 10, 11, 12}},
        {"InAfter at the end: each new item comes after the previous", true, false, {1, 2, 12, 11, 10}},
        {"InBefore at the front", false, true, {10, 11, 12, 1, 2}},
        {"InAfter at the front", false, false, {12, 11, 10, 1, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        lsList l = make_ls({1, 2});
        lsGen g = c.from_end ? lsEnd(l) : lsStart(l);
        for (intptr_t v : {10, 11, 12}) {
            lsHandle h = nullptr;
            (c.before ? lsInBefore : lsInAfter)(g, word(v), &h);
            EXPECT_EQ(value(lsFetchHandle(h)), v);
        }
        EXPECT_EQ(values_of(l), c.expected);
        lsFinish(g);
        lsDestroy(l, nullptr);
    }
}

TEST(ListTest, InsertAndDeleteInTheMiddleKeepTheGeneratorBetweenNeighbours) {
    lsList l = make_ls({1, 2, 3});
    lsGen g = lsStart(l);
    lsGeneric d = nullptr;
    lsNext(g, &d, nullptr); // between 1 and 2
    lsInBefore(g, word(5), nullptr);
    lsInAfter(g, word(6), nullptr);
    EXPECT_EQ(values_of(l), (V{1, 5, 6, 2, 3}));
    EXPECT_EQ(lsPrev(g, &d, nullptr), LS_OK);
    EXPECT_EQ(value(d), 5);
    EXPECT_EQ(lsDelAfter(g, &d), LS_OK); // deletes 5
    EXPECT_EQ(value(d), 5);
    EXPECT_EQ(lsDelBefore(g, &d), LS_OK); // deletes 1
    EXPECT_EQ(value(d), 1);
    EXPECT_EQ(lsDelBefore(g, &d), LS_BADSTATE);
    EXPECT_EQ(values_of(l), (V{6, 2, 3}));
    EXPECT_EQ(lsNext(g, &d, nullptr), LS_OK);
    EXPECT_EQ(value(d), 6);
    lsFinish(g);
    lsDestroy(l, nullptr);
}

TEST(ListTest, GeneratorFromAHandle) {
    lsList l = lsCreate();
    lsHandle mid = nullptr;
    lsNewEnd(l, word(1), nullptr);
    lsNewEnd(l, word(2), &mid);
    lsNewEnd(l, word(3), nullptr);
    struct Case {
        int option;
        intptr_t next; // what lsNext gives, 0: no generator
    } cases[] = {{LS_BEFORE, 2}, {LS_AFTER, 3}, {LS_BEFORE | LS_AFTER, 2}, {0, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.option);
        lsGeneric d = nullptr;
        lsGen g = lsGenHandle(mid, &d, c.option);
        EXPECT_EQ(value(d), 2);
        if (c.next == 0) {
            EXPECT_EQ(g, nullptr);
            continue;
        }
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(lsNext(g, &d, nullptr), LS_OK);
        EXPECT_EQ(value(d), c.next);
        lsFinish(g);
    }
    lsDestroy(l, nullptr);
}

TEST(ListTest, RemovingItemsByHandle) {
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        lsList l = lsCreate();
        lsHandle h[3];
        for (int i = 0; i < 3; ++i)
            lsNewEnd(l, word(i + 1), &h[i]);
        lsGeneric d = nullptr;
        EXPECT_EQ(lsRemoveItem(h[which], &d), LS_OK);
        EXPECT_EQ(value(d), which + 1);
        V expected;
        for (int i = 0; i < 3; ++i)
            if (i != which)
                expected.push_back(i + 1);
        EXPECT_EQ(values_of(l), expected);
        lsDestroy(l, nullptr);
    }
}

// Items sort by their upper digits only; the lower digit records the original position.
int compare_tens(lsGeneric a, lsGeneric b) { return static_cast<int>(value(a) / 10 - value(b) / 10); }

TEST(ListTest, SortIsAscendingStableAndRelinks) {
    struct Case {
        V input, expected;
        lsCompareFunc compare;
    } cases[] = {
        {{3, 1, 2}, {1, 2, 3}, compare_values},
        {{5}, {5}, compare_values},
        {{2, 1}, {1, 2}, compare_values},
        {{31, 10, 32, 11, 33, 12, 20}, {10, 11, 12, 20, 31, 32, 33}, compare_tens},
        {{29, 28, 27, 16, 15, 14, 13, 12, 11}, {16, 15, 14, 13, 12, 11, 29, 28, 27}, compare_tens},
        {{4, 4, 4, 1, 1}, {1, 1, 4, 4, 4}, compare_values},
    };
    for (const Case &c : cases) {
        lsList l = lsCreate();
        for (intptr_t v : c.input)
            lsNewEnd(l, word(v), nullptr);
        EXPECT_EQ(lsSort(l, c.compare), LS_OK);
        EXPECT_EQ(values_of(l), c.expected);
        lsDestroy(l, nullptr);
    }
}

std::vector<intptr_t> g_deleted;
void record_delete(lsGeneric d) { g_deleted.push_back(value(d)); }

TEST(ListTest, UniqRemovesAdjacentDuplicatesOnly) {
    struct Case {
        V input, expected, deleted;
    } cases[] = {
        {{1, 1, 2, 2, 2, 1}, {1, 2, 1}, {1, 2, 2}},
        {{7}, {7}, {}},
        {{7, 7}, {7}, {7}},
        {{1, 2, 3}, {1, 2, 3}, {}},
    };
    for (const Case &c : cases) {
        g_deleted.clear();
        lsList l = lsCreate();
        for (intptr_t v : c.input)
            lsNewEnd(l, word(v), nullptr);
        EXPECT_EQ(lsUniq(l, compare_values, record_delete), LS_OK);
        EXPECT_EQ(values_of(l), c.expected);
        EXPECT_EQ(g_deleted, c.deleted);
        lsDestroy(l, nullptr);
    }
}

TEST(ListTest, UniqKeepsTheFirstOfEachRun) {
    lsList l = make_ls({10, 11, 12, 20, 21});
    lsUniq(l, compare_tens, nullptr);
    EXPECT_EQ(values_of(l), (V{10, 20}));
    lsDestroy(l, nullptr);
}

// Answers, per visited value, what the walk should do; records the visits.
struct Script {
    std::vector<std::pair<intptr_t, lsStatus>> answers;
    V visited;
};

lsStatus scripted(lsGeneric data, lsGeneric arg) {
    auto *s = static_cast<Script *>(arg);
    s->visited.push_back(value(data));
    for (auto &[v, answer] : s->answers)
        if (v == value(data) || v == 0)
            return answer;
    return LS_OK;
}

TEST(ListTest, ForeachAndBackeachAnswers) {
    struct Case {
        const char *name;
        bool backwards;
        std::vector<std::pair<intptr_t, lsStatus>> answers;
        lsStatus result;
        V visited, left;
    } cases[] = {
        {"delete everything forwards", false, {{0, LS_DELETE}}, LS_OK, {1, 2, 3, 4}, {}},
        {"delete everything backwards", true, {{0, LS_DELETE}}, LS_OK, {4, 3, 2, 1}, {}},
        {"delete some forwards", false, {{2, LS_DELETE}, {4, LS_DELETE}}, LS_OK, {1, 2, 3, 4}, {1, 3}},
        {"delete some backwards", true, {{1, LS_DELETE}, {3, LS_DELETE}}, LS_OK, {4, 3, 2, 1}, {2, 4}},
        {"stop", false, {{2, LS_STOP}}, LS_STOP, {1, 2}, {1, 2, 3, 4}},
        {"stop backwards", true, {{3, LS_STOP}}, LS_STOP, {4, 3}, {1, 2, 3, 4}},
        {"bad answer", false, {{3, 17}}, LS_BADPARAM, {1, 2, 3}, {1, 2, 3, 4}},
        {"bad answer backwards", true, {{4, -1}}, LS_BADPARAM, {4}, {1, 2, 3, 4}},
        {"all go on", false, {}, LS_OK, {1, 2, 3, 4}, {1, 2, 3, 4}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        lsList l = make_ls({1, 2, 3, 4});
        Script s{c.answers, {}};
        EXPECT_EQ((c.backwards ? lsBackeach : lsForeach)(l, scripted, &s), c.result);
        EXPECT_EQ(s.visited, c.visited);
        EXPECT_EQ(values_of(l), c.left);
        lsDestroy(l, nullptr);
    }
}

lsGeneric times_ten(lsGeneric d) { return word(value(d) * 10); }

TEST(ListTest, CopyWithAndWithoutCallback) {
    lsList l = make_ls({1, 2, 3});
    lsList same = lsCopy(l, nullptr), scaled = lsCopy(l, times_ten);
    EXPECT_EQ(values_of(same), (V{1, 2, 3}));
    EXPECT_EQ(values_of(scaled), (V{10, 20, 30}));
    lsDelBegin(same, nullptr);
    EXPECT_EQ(values_of(l), (V{1, 2, 3}));
    g_deleted.clear();
    lsDestroy(scaled, record_delete);
    EXPECT_EQ(g_deleted, (V{10, 20, 30}));
    lsDestroy(same, nullptr);
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
