// Tolerant comparisons: the mixed and relative rules, both precisions,
// the c_ twins, negative tolerances, infinities and NaNs.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "kt/numerics.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Results {
    int32_t dequal, deqrel, fequal, feqrel;
};

// All eight entries on one pair of arrays; c_ twins must agree.
Results compare(const std::vector<double> &a, const std::vector<double> &b, double tol, int32_t n = INT32_MIN) {
    if (n == INT32_MIN)
        n = static_cast<int32_t>(a.size());
    std::vector<float> fa(a.begin(), a.end()), fb(b.begin(), b.end());
    const float ftol = static_cast<float>(tol);
    Results r{DEQUAL(a.data(), b.data(), &n, &tol), DEQREL(a.data(), b.data(), &n, &tol),
              FEQUAL(fa.data(), fb.data(), &n, &ftol), FEQREL(fa.data(), fb.data(), &n, &ftol)};
    EXPECT_EQ(c_dequal(a.data(), b.data(), n, tol), r.dequal ? 1 : 0);
    EXPECT_EQ(c_deqrel(a.data(), b.data(), n, tol), r.deqrel ? 1 : 0);
    EXPECT_EQ(c_fequal(fa.data(), fb.data(), n, ftol), r.fequal ? 1 : 0);
    EXPECT_EQ(c_feqrel(fa.data(), fb.data(), n, ftol), r.feqrel ? 1 : 0);
    return r;
}

TEST(TolerantCompare, MixedAndRelativeRules) {
    struct Case {
        const char *what;
        std::vector<double> a, b;
        double tol;
        int32_t mixed, relative; // -1 equal, 0 not
        int32_t n = INT32_MIN;   // the arrays' size unless given
    } cases[] = {
        {"near zero, absolute test", {0}, {1e-9}, 1e-6, -1, 0},
        {"zero second", {1e-9}, {0}, 1e-6, -1, 0},
        {"zero against too much", {0}, {2e-6}, 1e-6, 0, 0},
        {"relative within", {100}, {100.00001}, 1e-6, -1, -1},
        {"relative outside", {100}, {100.001}, 1e-6, 0, 0},
        {"negative tolerance", {100}, {100.00001}, -1e-6, -1, -1},
        {"both zero", {0}, {-0.0}, 0, -1, -1},
        {"opposite signs", {1}, {-1}, 1.5, 0, 0},
        {"opposite signs, wide", {1}, {-1}, 2.5, -1, -1},
        {"equal infinities", {kInf}, {kInf}, 1e-6, -1, -1},
        {"opposite infinities", {kInf}, {-kInf}, 1e-6, 0, 0},
        {"infinity against a number", {kInf}, {5}, 1e-6, 0, 0},
        {"number against infinity", {-5}, {-kInf}, 0.5, 0, 0},
        {"infinity against zero", {0}, {kInf}, 1e300, 0, 0},
        {"NaN never equal", {kNaN}, {kNaN}, 1e-6, 0, 0},
        {"NaN against zero", {kNaN}, {0}, 1.0, 0, 0},
        {"zero against NaN", {0}, {kNaN}, 1.0, 0, 0},
        {"identical under NaN tolerance", {3}, {3}, kNaN, -1, -1},
        {"first pair decides", {1, 5}, {2, 5}, 1e-3, 0, 0},
        {"last pair decides", {5, 1}, {5, 2}, 1e-3, 0, 0},
        {"all pairs", {1, 2, 0}, {1, 2.000001, 0}, 1e-5, -1, -1},
        {"no pairs", {1}, {2}, 0, -1, -1, 0},
        {"negative count", {1}, {2}, 0, -1, -1, -3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Results r = compare(c.a, c.b, c.tol, c.n);
        EXPECT_EQ(r.dequal, c.mixed);
        EXPECT_EQ(r.deqrel, c.relative);
        EXPECT_EQ(r.fequal, c.mixed);
        EXPECT_EQ(r.feqrel, c.relative);
    }
}

// The single-precision forms compute in double: rounded to float, the
// product big * tol below would reach |a - b| and accept the pair.
TEST(TolerantCompare, SinglePrecisionComputesInDouble) {
    const float a = 1.0f, b = 1.0f + 0x1p-23f, tol = 0x1p-23f;
    const int32_t n = 1;
    EXPECT_EQ(FEQREL(&a, &b, &n, &tol), -1);
    const float slightly_less = 0x1.fffffcp-24f;
    EXPECT_EQ(FEQREL(&a, &b, &n, &slightly_less), 0);
}

} // namespace
