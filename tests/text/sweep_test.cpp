// Sweep lists: the points a sweep visits, its checks, copies and printed form.
#include <cmath>

#include "sweep_test_util.h"

using namespace kt::text_test;

namespace {

class Sweep : public StoreTest {
protected:
    int32_t hold(int32_t list) {
        lists_.push_back(list);
        return list;
    }
    void TearDown() override {
        for (int32_t &l : lists_)
            LPD(&l);
        StoreTest::TearDown();
    }
    std::vector<int32_t> lists_;
};

// Points counted on both sides of the tolerance that lets a span of a
// whole number of steps, give or take 1e-5 of a step, keep its end point;
// where given, the points themselves. Ranges of every kind against their
// closed forms are the Python binding's test.
TEST_F(Sweep, PointCountsAtTheToleranceBoundary) {
    struct Case {
        int32_t kind;
        double from, to, third;
        int32_t count;
        std::vector<double> points = {};
    } cases[] = {
        {1, 0, 10, 1, 11},
        {1, 0, 10 - 5e-6, 1, 11},
        {1, 0, 10 - 2e-5, 1, 10},
        {1, 0, 10.5, 1, 11},
        {1, 0, 11 - 5e-6, 1, 12},
        {1, 10, 0, 1, 11},
        {1, 0, 1e-9 * 10, 1e-9, 11},
        {1, 1e6, 1e6 + 3, 1, 4},
        {2, 0, 1, 5.99, 5},
        {3, 1, 2, 2.5, 2},
        {4, 1, 100, 2, 5},
        {4, 1, 100 * (1 + 1e-6), 2, 5},
        {4, 1, 100 * (1 + 1e-4), 2, 6},
        {4, 100, 1, 2, 5},
        {5, 1, 32, 3, 16},
        {5, 1, 32 * (1 + 1e-4), 3, 17},
        {5, 1, 8, 1, 4},
        {5, 8, 1, 1, 4},
        {5, 1, 9, 1, 5},
        {4, 2, 2, 1, 1},
        {1, -1, -1, 0.5, 1, {-1}},
        {2, 0, 10, 1.9, 1, {10}}, // a single point is forced onto "to"
        {2, 0, 10, 0.5, 0},
        // Spans beyond the range of a double still give points between the ends.
        {1, -1e308, 1e308, 1e308, 3, {-1e308, 0, 1e308}},
        {2, -1e308, 1e308, 3, 3, {-1e308, 0, 1e308}},
        {4, 1e-300, 1e300, 0.01, 7, {1e-300, 1e-200, 1e-100, 1, 1e100, 1e200, 1e300}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " " << c.from << " " << c.to << " " << c.third);
        int32_t l = hold(make_range(c.kind, c.from, c.to, c.third)), points = -1;
        double step = 0;
        LPGN(&l, &points, &step);
        EXPECT_EQ(points, c.count);
        std::vector<double> p = expanded(l);
        ASSERT_EQ(p.size(), static_cast<size_t>(c.count));
        if (p.size() >= 2) { // no point is visited twice
            EXPECT_GT(std::fabs(p[p.size() - 1] - p[p.size() - 2]), 1e-7 * std::fabs(p.back()));
        }
        for (size_t i = 0; i < c.points.size(); ++i) // logarithmic interior points: to the last few bits
            EXPECT_TRUE(c.kind < 3 ? p[i] == c.points[i] : std::fabs(p[i] - c.points[i]) <= 1e-12 * c.points[i])
                << "point " << i << ": " << p[i];
    }
}

// Whole decades and octaves between powers of ten and of two: exactly one
// point per step and one for the start, whichever way the logarithms round.
TEST_F(Sweep, WholeDecadesAndOctavesHaveNoExtraPoint) {
    for (int32_t kind : {4, 5}) {
        const double base = kind == 4 ? 10.0 : 2.0;
        for (int a = -6; a <= 6; ++a)
            for (int span = 1; span <= 12; ++span)
                for (double density : {1.0, 2.0, 3.0, 5.0, 7.0, 10.0, 24.0}) {
                    int32_t l = make_range(kind, std::pow(base, a), std::pow(base, a + span), density), points = 0;
                    double step = 0;
                    LPGN(&l, &points, &step);
                    EXPECT_EQ(points, static_cast<int32_t>(span * density) + 1)
                        << base << "^" << a << " to ^" << a + span << " at " << density;
                    LPD(&l);
                }
    }
}

// The codes of every kind of range, the points of random ranges over many
// magnitudes against the expansion, and the ordered copies are the sweep
// fuzz target's, replayed over its corpus; here the lists no command makes.
TEST_F(Sweep, ListsNoCommandMakes) {
    int32_t none = 0, code = -1, values = hold(make_sweep(6, {1, -1, 0}));
    EXPECT_EQ(LPCHK(&none, &code), 1);
    EXPECT_EQ(LPCHK(&values, &code), 0);
    // A range missing its third item is a range without a step.
    int32_t short_range = hold(make_sweep(1, {0, 1}));
    EXPECT_EQ(LPCHK(&short_range, &code), 2);
    EXPECT_EQ(c_lpchk(short_range, &code), 2);
    EXPECT_EQ(code, 2);
    // Expanded copies of names are the reliability table's; a range without
    // points has none.
    int32_t empty_range = hold(make_range(2, 0, 1, 0.5)), copy = 5, status = 0, order = 2;
    EXPECT_EQ(LPXPCP(&empty_range, &order, &copy, &status), 1);
    EXPECT_EQ(copy, 0);
    // Explicit lists give their items.
    int32_t listed = hold(make_sweep(6, {3, 1, 2})), i = 2, s = 0;
    double v = 0;
    EXPECT_EQ(LPGV(&listed, &i, &v, &status), 0);
    EXPECT_EQ(v, 1.0);
    EXPECT_TRUE(expanded(listed).empty()); // explicit lists are not expanded
    EXPECT_EQ(LPGS(&listed, &i, &s, &status), 1);

    int32_t a = keep("alpha"), b = keep("beta");
    int32_t names = hold(make_sweep(7, {}, {a, 0, b}));
    EXPECT_EQ(LPGV(&names, &i, &v, &status), 1);
    i = 3;
    ASSERT_EQ(LPGS(&names, &i, &s, &status), 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(kt::test::string_text(s), "beta");
    EXPECT_NE(s, b); // the list holds its own copies
    i = 2;
    EXPECT_EQ(LPGS(&names, &i, &s, &status), 0);
    EXPECT_EQ(s, 0);
    i = 4;
    EXPECT_EQ(LPGS(&names, &i, &s, &status), 1);
    EXPECT_EQ(status, 1);
}

TEST_F(Sweep, PrintsInTheCommandLanguage) {
    int32_t vdd = keep("VDD"), a = keep("a"), c = keep("c");
    int32_t dec = hold(make_sweep(4, {1, 1000, 10}, {}, vdd));
    EXPECT_EQ(printed(dec), "VDD from 1 to 1000 dec 10");
    EXPECT_EQ(printed(hold(make_range(1, 0, 1, 0.25))), "from 0 to 1 by 0.25");
    EXPECT_EQ(printed(hold(make_range(2, 0, 1, 5))), "from 0 to 1 lin 5");
    EXPECT_EQ(printed(hold(make_range(3, 1, 10, 5))), "from 1 to 10 log 5");
    EXPECT_EQ(printed(hold(make_range(5, 1, 8, 2))), "from 1 to 8 oct 2");
    EXPECT_EQ(printed(hold(make_sweep(7, {}, {a, 0, c}, vdd))), "VDD in a c");
    int32_t empty = 0;
    LPI(&empty);
    hold(empty);
    EXPECT_EQ(printed(empty), "");
    EXPECT_EQ(kt_host_error_count(), 0);
}

TEST_F(Sweep, BadContextKindAndUnfilledRecordsAreReported) {
    struct Case {
        int32_t context, kind;
        const char *text;
    } cases[] = {{4, 1, "lpie:lpctxt"}, {-1, 6, "lpie:lpctxt"}, {0, 0, "lpie:lptype"}, {14, 8, "lpie:lptype"}};
    for (const Case &c : cases) {
        kt_host_reset_errors();
        int32_t name = 0, data = 0, count = 0, list = 7;
        EXPECT_EQ(LPIE(&name, &c.context, &c.kind, &data, &count, &list), 0);
        EXPECT_EQ(list, 0);
        ASSERT_EQ(kt_host_error_count(), 1);
        EXPECT_EQ(kt_host_error_number(1), 1001);
        EXPECT_STREQ(kt_host_error_text(1), c.text);
    }
    for (int32_t context : {0, 1, 2, 3, 11, 12, 13, 14}) {
        int32_t l = hold(make_sweep(6, {1}, {}, 0, context));
        ASSERT_NE(l, 0);
        EXPECT_EQ(kt_icell(l + 2), context);
    }

    // A record whose kind cell was cleared cannot say what its data is.
    kt_host_reset_errors();
    int32_t l = hold(make_range(1, 0, 1, 1)), copy = 0, status = 0;
    kt_set_icell(l + 3, 0);
    EXPECT_EQ(LPCP(&l, &copy, &status), 1);
    EXPECT_EQ(copy, 0);
    EXPECT_EQ(printed(l), "");
    kt_set_icell(l + 3, 9);
    EXPECT_EQ(printed(l), "");
    ASSERT_EQ(kt_host_error_count(), 2);
    EXPECT_STREQ(kt_host_error_text(1), "lpcp");
    EXPECT_STREQ(kt_host_error_text(2), "lpq");
    int32_t data = kt_icell(l + 4), three = 3, size = 8;
    LPD(&lists_.back());
    EXPECT_STREQ(kt_host_error_text(3), "lpd");
    FSTORE(&three, &data, &size); // the block LPD could not size
}

TEST_F(Sweep, CopiesOwnTheirNamesAndStrings) {
    int32_t vdd = keep("VDD"), a = keep("in1"), b = keep("in2");
    int32_t source = make_sweep(7, {}, {a, b}, vdd, 12), copy = 0, status = -1;
    ASSERT_EQ(LPCP(&source, &copy, &status), 0);
    hold(copy);
    LPD(&source); // the copy must not share anything with it
    EXPECT_EQ(source, 0);
    EXPECT_EQ(printed(copy), "VDD in in1 in2");
    EXPECT_EQ(kt_icell(copy + 2), 12);
    // Copies into a caller's record are the reliability table's; onto itself too.
    ASSERT_EQ(LPCP(&copy, &copy, &status), 0);
    EXPECT_EQ(printed(copy), "VDD in in1 in2");
    int32_t none = 0;
    EXPECT_EQ(LPCP(&none, &copy, &status), 1);
}

} // namespace
