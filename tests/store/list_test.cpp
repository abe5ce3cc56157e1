#include <algorithm>
#include <random>

#include "host/host_test_util.h"
#include "support/store_test.h"

using namespace kt::test;

namespace {

class ListTest : public StoreTest {
protected:
    void TearDown() override {
        for (int32_t &l : lists_)
            LSTD(&l);
        StoreTest::TearDown();
    }
    int32_t hold(int32_t l) {
        lists_.push_back(l);
        return l;
    }
    std::vector<int32_t> lists_;
};

// A capacity of at least two; kind 1 lives in the permanent storage class.
TEST_F(ListTest, CreationCapacityAndStorageClass) {
    struct Case {
        int32_t asked, kind, capacity;
    } cases[] = {{0, 1, 2}, {1, 0, 2}, {2, 2, 2}, {10, -1, 10}, {-5, 7, 2}};
    for (const Case &c : cases) {
        int32_t l = 0;
        int32_t r = LSTI(&c.asked, &c.kind, &l);
        hold(l);
        ASSERT_NE(l, 0);
        EXPECT_EQ(r, l);
        EXPECT_EQ(list_capacity(l), c.capacity) << "asked " << c.asked;
        EXPECT_EQ(list_count(l), 0);
        EXPECT_EQ(list_kind(l), c.kind);
        EXPECT_EQ(kt_store_class(l, 4), c.kind == 1 ? 0 : -1) << "header, kind " << c.kind;
        EXPECT_EQ(kt_store_class(kt_icell(l + 1), 4), c.kind == 1 ? 0 : -1) << "entries, kind " << c.kind;
    }
}

// The library's own copy of LSTE, as C and Fortran callers reach it; C++
// callers (this file included) get the inline one of kt/store.h.
extern "C" int32_t lste_(const int32_t *list, const int32_t *value);

// Random appends (one value through either copy of LSTE, arrays, slices of
// the list itself, whole lists), reserves and trims against a vector and the
// capacity each operation promises, with every store request refused now
// and then: a refused growth gives 0 and leaves the list as it was, and an
// operation that needs no more room succeeds even then.
TEST_F(ListTest, MatchesAVectorAndItsCapacityRulesUnderRefusals) {
    std::mt19937 rng(0x15e);
    int32_t l = hold(make_list({})), other = hold(make_list({7, 8, 9}));
    std::vector<int32_t> model;
    int64_t capacity = 2;
    auto grown_by = [&](size_t n) {
        int64_t need = static_cast<int64_t>(model.size() + n);
        return need <= capacity ? capacity : std::max(2 * capacity, capacity + static_cast<int64_t>(n));
    };
    for (int step = 0; step < 3000 && !HasFailure(); ++step) {
        if (rng() % 100 == 0 || model.size() > 2000) { // start again now and then
            LSTD(&lists_[0]);
            lists_[0] = l = make_list({});
            model.clear();
            capacity = 2;
        }
        int32_t n = static_cast<int32_t>(rng() % 9) - 1, v = static_cast<int32_t>(rng()), minimum = n * 5;
        const int op = static_cast<int>(rng() % 5);
        const bool refusing = rng() % 6 == 0, self = rng() % 2;
        std::vector<int32_t> added;
        int64_t grown = capacity;
        int32_t success = l, result = 0;
        const int32_t *from = nullptr;
        if (op == 1 && !model.empty() && n > 0 && self) { // a slice of the list's own entries
            size_t at = rng() % model.size();
            n = static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(n), model.size() - at));
            added.assign(model.begin() + static_cast<ptrdiff_t>(at), model.begin() + static_cast<ptrdiff_t>(at) + n);
            from = kt_iptr(kt_icell(l + 1) + 1 + static_cast<int32_t>(at));
        } else if (op == 1) {
            added.assign(static_cast<size_t>(std::max(n, 0)), v);
            from = added.data();
        }
        {
            StoreGrants grants(refusing ? 0 : -1);
            switch (op) {
            case 0: // one value, through either copy
                added = {v};
                grown = grown_by(1);
                success = static_cast<int32_t>(model.size()) + 1;
                result = self ? LSTE(&l, &v) : lste_(&l, &v);
                break;
            case 1: // an array, or a slice of the list's own entries
                grown = grown_by(added.size());
                success = static_cast<int32_t>(model.size() + added.size());
                result = LSTEA(&l, from, &n);
                break;
            case 2: // a whole list: another, or the list itself
                added = self ? model : std::vector<int32_t>{7, 8, 9};
                grown = added.empty() ? capacity : grown_by(added.size());
                result = LSTA(self ? &l : &other, &l);
                break;
            case 3: { // reserve
                int32_t out = -1;
                result = LSTGMS(&l, &minimum, &out);
                EXPECT_EQ(out, result);
                grown = capacity >= minimum ? capacity : std::max(capacity + minimum, 2 * capacity);
                break;
            }
            default: // trim, which asks for no space
                LSTT(&l);
                result = l;
                grown = std::max<int64_t>(static_cast<int64_t>(model.size()), 2);
            }
        }
        const bool fails = refusing && grown > capacity;
        ASSERT_EQ(result, fails ? 0 : success) << "step " << step;
        if (!fails) {
            model.insert(model.end(), added.begin(), added.end());
            capacity = grown;
        }
        ASSERT_EQ(list_values(l), model) << "step " << step;
        ASSERT_EQ(list_capacity(l), capacity) << "step " << step;
    }
    EXPECT_EQ(kt_host_store_check(), 0);
}

TEST_F(ListTest, DeleteClearsTheVariableAndZeroIsLeftAlone) {
    int32_t l = make_list({1, 2, 3}), zero = 0, v = 1;
    LSTD(&l);
    EXPECT_EQ(l, 0);
    LSTT(&zero);
    LSTD(&zero);
    EXPECT_EQ(zero, 0);
    EXPECT_EQ(LSTE(&zero, &v), 0);
    EXPECT_EQ(LSTEA(&zero, &v, &v), 0);
}

// Lists print their title and entries; CALLED prints the innermost twenty
// active routines in its layout, to the journal too.
TEST_F(ListTest, ListsAndCalledRoutinesPrintInTheirLayouts) {
    kt_host_capture_output(1);
    kt_host_clear_output();
    int32_t l = hold(make_list({3, -5, 70})), e = hold(make_list({}));
    LSTO(&l, "values:", 7);
    LSTO(&e, "empty ", 6);
    EXPECT_STREQ(kt_host_output(), "values: 3 -5 70\nempty \n");
    kt_host_clear_output();
    for (int i = 25; i >= 1; --i) {
        char name[9];
        std::snprintf(name, sizeof name, "R%02d", i);
        kt_host_push_routine(name);
    }
    kt_host_test::TempFile journal("called_journal");
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
    EXPECT_EQ(kt_host_test::slurp(journal.path), expected);
    for (int32_t none : {0, -3}) { // nothing to print: an empty record
        kt_host_clear_output();
        CALLED(&none);
        EXPECT_STREQ(kt_host_output(), "\n");
    }
    kt_host_capture_output(0);
    kt_host_clear_output();
}

} // namespace
