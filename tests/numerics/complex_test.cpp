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

TEST(ComplexArithmetic, AgreesWithStdComplexOnRandomValues) {
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> part(-100, 100);
    for (int i = 0; i < 1000; ++i) {
        double a[2] = {part(rng), part(rng)}, b[2] = {part(rng), part(rng)}, r[2] = {part(rng), part(rng)};
        const C ca = get(a), cb = get(b), cr = get(r);
        double out[2];
        CMXMUL(out, a, b);
        ASSERT_EQ(out[0], a[0] * b[0] - a[1] * b[1]);
        ASSERT_EQ(out[1], a[1] * b[0] + a[0] * b[1]);
        CMXDIV(out, a, b);
        ASSERT_LT(std::abs(get(out) - ca / cb), 1e-14 * std::abs(ca / cb));
        CMXINV(out, b);
        ASSERT_LT(std::abs(get(out) - 1.0 / cb), 1e-14 * std::abs(1.0 / cb));
        double piv[2] = {r[0], r[1]};
        CMXPIV(piv, a, b);
        ASSERT_EQ(piv[0], (r[0] - a[0] * b[0]) + a[1] * b[1]);
        ASSERT_LT(std::abs(get(piv) - (cr - ca * cb)), 1e-12 * (1 + std::abs(cr - ca * cb)));
        CMXSQRT(out, a);
        ASSERT_EQ(get(out), std::sqrt(ca));
        ASSERT_EQ(CMXABS(a), std::sqrt(a[0] * a[0] + a[1] * a[1]));
    }
}

// R may share storage with any operand.
TEST(ComplexArithmetic, ResultInAnOperandsStorage) {
    const double a0[2] = {3, -2}, b0[2] = {0.5, 4};
    const C ca = get(a0), cb = get(b0);
    struct Case {
        const char *what;
        void (*op)(double *, const double *, const double *);
        C expect;
    } cases[] = {{"mul", CMXMUL, ca * cb}, {"div", CMXDIV, ca / cb}};
    for (const Case &c : cases) {
        double a[2] = {a0[0], a0[1]}, b[2] = {b0[0], b0[1]};
        c.op(a, a, b);
        EXPECT_LT(std::abs(get(a) - c.expect), 1e-14) << c.what << " into A";
        double a2[2] = {a0[0], a0[1]}, b2[2] = {b0[0], b0[1]};
        c.op(b2, a2, b2);
        EXPECT_LT(std::abs(get(b2) - c.expect), 1e-14) << c.what << " into B";
    }
    double z[2] = {a0[0], a0[1]};
    CMXINV(z, z);
    EXPECT_LT(std::abs(get(z) - 1.0 / ca), 1e-15);
    z[0] = -4, z[1] = 0;
    CMXSQRT(z, z);
    EXPECT_EQ(get(z), C(0, 2));
    double r[2] = {1, 1};
    CMXPIV(r, r, r); // r - r*r
    EXPECT_EQ(get(r), C(1, -1));
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
