// Complex scalars: the textbook formulas, results in an operand's own
// storage, division by zero, and divisors at the ends of the range.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <complex>
#include <limits>
#include <random>

#include "kt/numerics.h"

namespace {

using C = std::complex<double>;

C get(const double *r) { return {r[0], r[1]}; }

// Each entry also runs with its result in an operand's own storage, which
// must not change the result.
C binary(void (*op)(double *, const double *, const double *), const double *a, const double *b) {
    double out[2], ra[2] = {a[0], a[1]}, rb[2] = {b[0], b[1]};
    op(out, a, b);
    op(ra, ra, b);
    op(rb, a, rb);
    EXPECT_EQ(get(ra), get(out)) << "into A";
    EXPECT_EQ(get(rb), get(out)) << "into B";
    return get(out);
}

C unary(void (*op)(double *, const double *), const double *a) {
    double out[2], r[2] = {a[0], a[1]};
    op(out, a);
    op(r, r);
    EXPECT_EQ(get(r), get(out)) << "in place";
    return get(out);
}

TEST(ComplexArithmetic, AgreesWithStdComplexOnRandomValues) {
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> part(-100, 100);
    for (int i = 0; i < 1000; ++i) {
        double a[2] = {part(rng), part(rng)}, b[2] = {part(rng), part(rng)}, r[2] = {part(rng), part(rng)};
        const C ca = get(a), cb = get(b), cr = get(r);
        ASSERT_EQ(binary(CMXMUL, a, b), C(a[0] * b[0] - a[1] * b[1], a[1] * b[0] + a[0] * b[1]));
        ASSERT_LT(std::abs(binary(CMXDIV, a, b) - ca / cb), 1e-14 * std::abs(ca / cb));
        ASSERT_LT(std::abs(unary(CMXINV, b) - 1.0 / cb), 1e-14 * std::abs(1.0 / cb));
        ASSERT_EQ(unary(CMXSQRT, a), std::sqrt(ca));
        double piv[2] = {r[0], r[1]}, same[2] = {a[0], a[1]}, expect[2] = {a[0], a[1]};
        CMXPIV(piv, a, b);
        ASSERT_EQ(piv[0], (r[0] - a[0] * b[0]) + a[1] * b[1]);
        ASSERT_LT(std::abs(get(piv) - (cr - ca * cb)), 1e-12 * (1 + std::abs(cr - ca * cb)));
        CMXPIV(expect, a, a);
        CMXPIV(same, same, same);
        ASSERT_EQ(get(same), get(expect)) << "r - r*r in place";
        ASSERT_EQ(CMXABS(a), std::sqrt(a[0] * a[0] + a[1] * a[1]));
    }
}

TEST(ComplexArithmetic, DivisionByZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double a[2] = {5, 7};
    const double zeros[][2] = {{0, 0}, {-0.0, 0}, {nan, 0}, {0, nan}, {nan, nan}};
    for (const auto &b : zeros) {
        double r[2] = {9, 9};
        CMXDIV(r, a, b);
        EXPECT_EQ(r[0], 0);
        EXPECT_EQ(r[1], 0);
    }
    double r[2] = {9, 9};
    const double zero[2] = {0, 0};
    CMXINV(r, zero);
    EXPECT_FALSE(std::isfinite(r[0]));
    EXPECT_FALSE(std::isfinite(r[1]));
}

// Divisors whose squared magnitude leaves the range still divide.
TEST(ComplexArithmetic, TinyAndHugeDivisors) {
    struct Case {
        double divisor, dividend; // scales of B and A, chosen so that A/B and 1/B fit or not
        bool inverse_fits;
    } cases[] = {
        {1e-170, 1, true}, {1e-300, 1e-10, true}, {4e-320, 1e-300, false}, {1e170, 1, true}, {1e300, 1e10, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.divisor);
        const double b[2] = {3 * c.divisor, -4 * c.divisor};
        const double a[2] = {1 * c.dividend, 2 * c.dividend};
        const C expect = get(a) / get(b);
        double r[2];
        CMXDIV(r, a, b);
        EXPECT_LT(std::abs(get(r) - expect), 1e-12 * std::abs(expect));
        if (c.inverse_fits) {
            CMXINV(r, b);
            const C inv = 1.0 / get(b);
            EXPECT_LT(std::abs(get(r) - inv), 1e-12 * std::abs(inv));
        }
        EXPECT_NEAR(CMXABS(b) / std::abs(get(b)), 1.0, 1e-15);
    }
    const double inf = std::numeric_limits<double>::infinity();
    const double b[2] = {inf, 1}, a[2] = {1, 1};
    double r[2];
    CMXDIV(r, a, b);
    EXPECT_TRUE(std::isnan(r[0]) && std::isnan(r[1])) << "an infinite divisor keeps the textbook result";
}

} // namespace
