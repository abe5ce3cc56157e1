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
