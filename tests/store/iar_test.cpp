// Integer array records: appends and comparisons at their edges, deep
// copies, units that refuse writes, and stamps. What records read from a
// unit and write back is checked by the iar fuzz target's replay.
#include "host/host_test_util.h"
#include "support/iar_view.h"
#include "support/store_test.h"

using namespace kt::test;
using kt_host_test::TempFile;

namespace {

using Values = std::vector<int32_t>;
using Values2 = std::vector<Values>;

using IarTest = StoreTest;

TEST_F(IarTest, CreateAndAppend) {
    for (int32_t n : {0, -3}) { // a negative size reads as 0
        int32_t r = -1;
        EXPECT_EQ(IARI(&n, &r), r);
        EXPECT_EQ(iar_values(r), Values{});
        IARFS(&r);
        EXPECT_EQ(r, 0);
        IARFS(&r); // a 0 record is left alone
    }

    int32_t p = make_iar({1, 2}), q = make_iar({7, 8, 9});
    EXPECT_EQ(IARA(&p, &q), q);
    EXPECT_EQ(p, 0);
    EXPECT_EQ(iar_values(q), (Values{7, 8, 9, 1, 2}));

    // A 0 second record takes the first over.
    p = make_iar({4});
    int32_t none = 0;
    int32_t taken = IARA(&p, &none);
    EXPECT_EQ(taken, none);
    EXPECT_EQ(p, 0);
    EXPECT_EQ(iar_values(none), Values{4});
    int32_t zero1 = 0, zero2 = 0;
    EXPECT_EQ(IARA(&zero1, &zero2), 0);
    EXPECT_EQ(kt_host_error_count(), 0);

    EXPECT_EQ(IARA(&zero1, &q), 0);
    EXPECT_EQ(kt_host_error_number(1), 1000);
    EXPECT_STREQ(kt_host_error_text(1), "iara: iarp1==_NULL");
    // The same record as both would be freed under its new owner.
    int32_t alias = q;
    EXPECT_EQ(IARA(&alias, &q), 0);
    EXPECT_EQ(kt_host_error_number(2), 1000);
    EXPECT_EQ(alias, q);
    EXPECT_EQ(iar_values(q), (Values{7, 8, 9, 1, 2}));
    IARFS(&q);
    IARFS(&none);
}

TEST_F(IarTest, Comparisons) {
    // Each pair compared as it stands and as the one inner record of a
    // two-level record.
    struct Case {
        Values a, b;
        int32_t flag;
    } cases[] = {
        {{}, {}, 0}, {{1, 2}, {1, 2}, 0}, {{1, 2}, {1, 3}, 1}, {{1, 2}, {1, 2, 3}, 1}, {{1, 2}, {2, 1}, 1},
    };
    for (const Case &c : cases) {
        int32_t a = make_iar2({c.a}), b = make_iar2({c.b}), flag = -1;
        EXPECT_EQ(IARCMP(kt_iptr(kt_icell(a + 1) + 1), kt_iptr(kt_icell(b + 1) + 1), &flag), c.flag);
        EXPECT_EQ(flag, c.flag);
        flag = -1;
        EXPECT_EQ(IARCM2(&a, &b, &flag), c.flag);
        EXPECT_EQ(flag, c.flag);
        IARFS2(&a);
        IARFS2(&b);
        EXPECT_EQ(a, 0);
    }
    int32_t a = make_iar2({{1}, {5}}), b = make_iar2({{1}}), zero = 0, flag = -1;
    EXPECT_EQ(IARCM2(&a, &b, &flag), 1);
    EXPECT_EQ(IARCMP(&zero, &zero, &flag), 0);
    EXPECT_EQ(IARCMP(&zero, &b, &flag), 1);
    EXPECT_EQ(IARCM2(&b, &zero, &flag), 1);
    IARFS2(&a);
    IARFS2(&b);
}

TEST_F(IarTest, DeepCopyIsEqualAndIndependent) {
    int32_t s = make_iar2({{3, 1, 4}, {}, {1, 5}}), d = -1, flag = -1;
    EXPECT_EQ(IARCP2(&s, &d), d);
    EXPECT_EQ(iar2_values(d), (Values2{{3, 1, 4}, {}, {1, 5}}));
    EXPECT_EQ(IARCM2(&s, &d, &flag), 0);
    for (int32_t i = 1; i <= 3; ++i)
        EXPECT_NE(kt_icell(kt_icell(d + 1) + i), kt_icell(kt_icell(s + 1) + i));
    kt_set_icell(kt_icell(kt_icell(kt_icell(d + 1) + 3) + 1) + 2, 9); // copy's inner 3, element 2
    EXPECT_EQ(IARCM2(&s, &d, &flag), 1);
    EXPECT_EQ(iar2_values(s)[2], (Values{1, 5}));
    IARFS2(&d);

    // An element holding no record stays empty in the copy.
    IARFS(kt_iptr(kt_icell(s + 1) + 2));
    EXPECT_NE(IARCP2(&s, &d), 0);
    EXPECT_EQ(kt_icell(kt_icell(d + 1) + 2), 0);
    EXPECT_EQ(IARCM2(&s, &d, &flag), 0);
    IARFS2(&d);
    IARFS2(&s);
}

TEST_F(IarTest, WriteFailuresGiveStatusOne) {
    TempFile f("iar_write_fail");
    kt_host_test::spit(f.path, "");
    int32_t r = make_iar({1}), r2 = make_iar2({{1}, {2}}), zero = 0, status = 0;
    int32_t unit = kt_host_open_unit(f.c_str(), "r"); // not open for writing
    EXPECT_EQ(IARW(&unit, &r, &status), 1);
    EXPECT_EQ(status, 1);
    status = 0;
    EXPECT_EQ(IARW2(&unit, &r2, &status), 1);
    EXPECT_EQ(status, 1);
    kt_host_close_unit(unit);

    // An element without a record has no unit form: nothing is written.
    unit = kt_host_open_unit(f.c_str(), "w");
    EXPECT_EQ(IARW(&unit, &zero, &status), 1);
    IARFS(kt_iptr(kt_icell(r2 + 1) + 2));
    EXPECT_EQ(IARW2(&unit, &r2, &status), 1);
    kt_host_close_unit(unit);
    EXPECT_EQ(kt_host_test::slurp(f.path), "");
    IARFS(&r);
    IARFS2(&r2);
}

TEST(IdsTest, Stamps) {
    int32_t a[3] = {0, 0, 11}, b[3] = {0, 0, 12};
    MAKIDS(a);
    MAKIDS(b);
    EXPECT_EQ(a[0], MACHC.i[17]);
    EXPECT_EQ(a[1], 940301);
    struct Case {
        int32_t n, a2, expected;
    } cases[] = {{2, 940301, 0}, {3, 940301, 3}, {1, 0, 0}, {2, 0, 2}, {0, 0, 0}};
    for (const Case &c : cases) {
        b[1] = c.a2;
        EXPECT_EQ(CHKIDS(a, b, &c.n), c.expected) << c.n;
    }
    b[0] = a[0] + 1;
    int32_t one = 1;
    EXPECT_EQ(CHKIDS(a, b, &one), 1);
}

} // namespace
