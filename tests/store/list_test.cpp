#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/store_view.h"

using namespace kt::test;

namespace {

class ListTest : public ::testing::Test {
protected:
    void SetUp() override { baseline_ = kt_host_store_bytes_in_use(); }
    void TearDown() override {
        for (int32_t &l : lists_)
            LSTD(&l);
        EXPECT_EQ(kt_host_store_bytes_in_use(), baseline_) << "word store blocks leaked";
    }
    int32_t keep(int32_t l) {
        lists_.push_back(l);
        return l;
    }
    int64_t baseline_ = 0;
    std::vector<int32_t> lists_;
};

TEST_F(ListTest, CreationCapacityHasFloorOfTwo) {
    struct Case {
        int32_t asked, capacity;
    } cases[] = {{0, 2}, {1, 2}, {2, 2}, {10, 10}, {-5, 2}};
    for (const Case &c : cases) {
        int32_t kind = 7, l = 0;
        int32_t r = LSTI(&c.asked, &kind, &l);
        keep(l);
        ASSERT_NE(l, 0);
        EXPECT_EQ(r, l);
        EXPECT_EQ(list_capacity(l), c.capacity) << "asked " << c.asked;
        EXPECT_EQ(list_count(l), 0);
        EXPECT_EQ(list_kind(l), 7);
    }
}

TEST_F(ListTest, StorageClassFollowsKind) {
    for (int32_t kind : {1, 0, 2, -1}) {
        int32_t cap = 4, l = 0;
        LSTI(&cap, &kind, &l);
        keep(l);
        int32_t expected = kind == 1 ? 0 : -1;
        EXPECT_EQ(kt_store_class(l, 4), expected) << "header, kind " << kind;
        EXPECT_EQ(kt_store_class(kt_icell(l + 1), 4), expected) << "entries, kind " << kind;
    }
}

TEST_F(ListTest, AppendDoublesCapacity) {
    int32_t l = keep(make_list({}));
    const int32_t expected_capacity[] = {2, 2, 4, 4, 8, 8, 8, 8, 16};
    for (int32_t i = 1; i <= 9; ++i) {
        EXPECT_EQ(LSTE(&l, &i), i);
        EXPECT_EQ(list_capacity(l), expected_capacity[i - 1]) << "after append " << i;
    }
    EXPECT_EQ(list_values(l), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(ListTest, AppendArrayGrowsToTheLargerOfDoubleOrNeeded) {
    struct Case {
        int32_t n, count, capacity;
    } cases[] = {{5, 7, 7}, {1, 3, 4}, {0, 2, 2}, {-3, 2, 2}, {2, 4, 4}};
    const int32_t values[] = {10, 11, 12, 13, 14};
    for (const Case &c : cases) {
        int32_t l = keep(make_list({1, 2}));
        EXPECT_EQ(LSTEA(&l, values, &c.n), c.count) << "n " << c.n;
        EXPECT_EQ(list_capacity(l), c.capacity) << "n " << c.n;
        EXPECT_EQ(list_count(l), c.count);
        for (int32_t i = 0; i < c.n; ++i)
            EXPECT_EQ(list_values(l)[static_cast<size_t>(2 + i)], values[i]);
    }
}

TEST_F(ListTest, AppendListOntoItselfDoublesTheEntries) {
    for (int32_t size : {1, 2, 3, 8, 100}) {
        int32_t l = keep(make_list({}));
        std::vector<int32_t> expected;
        for (int32_t i = 0; i < size; ++i) {
            int32_t v = i * 7 + 1;
            LSTE(&l, &v);
            expected.push_back(v);
        }
        // Block the space behind the entries so growth must move them.
        int32_t blocker = 0, one = 1, four = 4, cls = 0, st = 0;
        GSTORE(&one, &blocker, &four, &cls, &st);
        EXPECT_EQ(LSTA(&l, &l), l);
        expected.insert(expected.end(), expected.begin(), expected.end());
        EXPECT_EQ(list_values(l), expected) << "size " << size;
        FSTORE(&one, &blocker, &four);
    }
}

TEST_F(ListTest, AppendSliceOfOwnEntriesWhileGrowing) {
    int32_t l = keep(make_list({5, 6, 7, 8}));
    ASSERT_EQ(list_capacity(l), 4);
    int32_t blocker = 0, one = 1, four = 4, cls = 0, st = 0;
    GSTORE(&one, &blocker, &four, &cls, &st);
    const int32_t *slice = kt_iptr(kt_icell(l + 1) + 2); // entries 2..4
    int32_t n = 3;
    EXPECT_EQ(LSTEA(&l, slice, &n), 7);
    EXPECT_EQ(list_values(l), (std::vector<int32_t>{5, 6, 7, 8, 6, 7, 8}));
    // One value read from the list's own last entry, appended to a full list.
    int32_t m = keep(make_list({1, 2}));
    EXPECT_EQ(LSTE(&m, kt_iptr(kt_icell(m + 1) + 2)), 3);
    EXPECT_EQ(list_values(m), (std::vector<int32_t>{1, 2, 2}));
    FSTORE(&one, &blocker, &four);
}

TEST_F(ListTest, AppendOtherListAndEmptySource) {
    int32_t a = keep(make_list({1, 2, 3})), b = keep(make_list({9})), e = keep(make_list({}));
    EXPECT_EQ(LSTA(&a, &b), b);
    EXPECT_EQ(list_values(b), (std::vector<int32_t>{9, 1, 2, 3}));
    EXPECT_EQ(LSTA(&e, &b), b);
    EXPECT_EQ(list_count(b), 4);
    int32_t none = 0;
    EXPECT_EQ(LSTA(&none, &b), b);
}

TEST_F(ListTest, ReserveMinimum) {
    struct Case {
        int32_t minimum, capacity;
    } cases[] = {{0, 2}, {2, 2}, {-4, 2}, {3, 5}, {10, 12}};
    for (const Case &c : cases) {
        int32_t l = keep(make_list({1})), out = -1;
        EXPECT_EQ(LSTGMS(&l, &c.minimum, &out), l);
        EXPECT_EQ(out, l);
        EXPECT_EQ(list_capacity(l), c.capacity) << "minimum " << c.minimum;
        EXPECT_EQ(list_values(l), std::vector<int32_t>{1});
    }
}

TEST_F(ListTest, TrimKeepsAtLeastTwo) {
    struct Case {
        int32_t entries, capacity;
    } cases[] = {{0, 2}, {1, 2}, {2, 2}, {5, 5}};
    for (const Case &c : cases) {
        int32_t cap = 16, kind = 1, l = 0;
        LSTI(&cap, &kind, &l);
        keep(l);
        for (int32_t i = 0; i < c.entries; ++i)
            LSTE(&l, &i);
        LSTT(&l);
        EXPECT_EQ(list_capacity(l), c.capacity);
        EXPECT_EQ(list_count(l), c.entries);
    }
}

TEST_F(ListTest, ZeroListIsLeftAlone) {
    int32_t zero = 0, v = 1;
    LSTT(&zero);
    LSTD(&zero);
    EXPECT_EQ(zero, 0);
    EXPECT_EQ(LSTE(&zero, &v), 0);
    EXPECT_EQ(LSTEA(&zero, &v, &v), 0);
}

TEST_F(ListTest, DeleteClearsTheVariable) {
    int32_t l = make_list({1, 2, 3});
    LSTD(&l);
    EXPECT_EQ(l, 0);
}

class ListOutputTest : public ListTest {
protected:
    void SetUp() override {
        ListTest::SetUp();
        kt_host_capture_output(1);
        kt_host_clear_output();
    }
    void TearDown() override {
        kt_host_capture_output(0);
        kt_host_clear_output();
        ListTest::TearDown();
    }
};

TEST_F(ListOutputTest, PrintsTitleAndEntries) {
    int32_t l = keep(make_list({3, -5, 70}));
    int32_t e = keep(make_list({}));
    LSTO(&l, "values:", 7);
    LSTO(&e, "empty ", 6);
    EXPECT_STREQ(kt_host_output(), "values: 3 -5 70\nempty \n");
}

TEST_F(ListOutputTest, CalledPrintsAtMostTwentyNamesInItsLayout) {
    for (int i = 25; i >= 1; --i) {
        char name[9];
        std::snprintf(name, sizeof name, "R%02d", i);
        kt_host_push_routine(name);
    }
    std::string journal = ::testing::TempDir() + "kt_called_journal.txt";
    ASSERT_EQ(kt_host_journal(journal.c_str()), 0);
    int32_t n = 50;
    CALLED(&n);
    kt_host_journal(nullptr);
    for (int i = 0; i < 25; ++i)
        kt_host_pop_routine();

    std::string expected;
    expected += " R01      R02      R03      R04      R05      R06      R07      R08     \n";
    expected += "         R09      R10      R11      R12      R13      R14      R15     \n";
    expected += "         R16      R17      R18      R19      R20     \n";
    EXPECT_EQ(kt_host_output(), expected);
    std::ifstream in(journal);
    std::stringstream got;
    got << in.rdbuf();
    EXPECT_EQ(got.str(), expected);
    std::remove(journal.c_str());
}

TEST_F(ListOutputTest, CalledWithNothingWritesEmptyRecord) {
    for (int32_t n : {0, -3}) {
        kt_host_clear_output();
        CALLED(&n);
        EXPECT_STREQ(kt_host_output(), "\n");
    }
}

} // namespace
