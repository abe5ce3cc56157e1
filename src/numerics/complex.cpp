// Complex scalars held as two doubles, real part first.
//
// Every operation reads all its operands before it writes the result, so
// the result may be any operand's storage. Division and inversion use the
// textbook formulas; only where the divisor's squared magnitude leaves the
// normal range (and the divisor is finite and not zero) would they turn a
// representable quotient into infinity, zero or NaN, and there the divisor
// is first scaled by a power of two, which is exact.
#include <cfloat>
#include <cmath>
#include <complex>
#include <cstdint>

#include "common/fortran_alias.h"
#include "kt/numerics.h"
#include "magnitude.h"

namespace {

struct Complex {
    double re, im;
};

Complex load(const double *z) { return {z[0], z[1]}; }
void store(double *r, Complex v) {
    r[0] = v.re;
    r[1] = v.im;
}

bool normal_square(double s) { return s >= DBL_MIN && s <= DBL_MAX; }

// A finite, non-zero divisor whose squared magnitude over- or underflows.
bool needs_scaling(Complex d, double square) {
    return !normal_square(square) && std::isfinite(d.re) && std::isfinite(d.im) && (d.re != 0 || d.im != 0);
}

// Exponent e with the larger part of d in [1, 2) after scaling by 2^-e.
int scale_exponent(Complex d) { return std::ilogb(std::fmax(std::fabs(d.re), std::fabs(d.im))); }

// Compares equal to zero, as a NaN part does too.
bool zero_or_nan(double v) { return !(v < 0) && !(v > 0); }

[[gnu::cold]] Complex scaled_quotient(Complex a, Complex b) {
    const int e = scale_exponent(b);
    const double c = std::scalbn(b.re, -e), d = std::scalbn(b.im, -e);
    const double q = 1.0 / (c * c + d * d);
    return {std::scalbn((a.re * c + a.im * d) * q, -e), std::scalbn((a.im * c - a.re * d) * q, -e)};
}

} // namespace

extern "C" {

double CMXABS(const double *z) { return kt::numerics::magnitude(z[0], z[1]); }
KT_FORTRAN_ALIAS(CMXABS, cmxabs_);

void CMXINV(double *r, const double *z) {
    const Complex v = load(z);
    const double s = v.re * v.re + v.im * v.im;
    if (needs_scaling(v, s)) {
        store(r, scaled_quotient({1.0, 0.0}, v));
        return;
    }
    store(r, {v.re / s, -(v.im / s)});
}
KT_FORTRAN_ALIAS(CMXINV, cmxinv_);

void CMXMUL(double *r, const double *a, const double *b) {
    const Complex x = load(a), y = load(b);
    store(r, {x.re * y.re - x.im * y.im, x.im * y.re + x.re * y.im});
}
KT_FORTRAN_ALIAS(CMXMUL, cmxmul_);

void CMXDIV(double *r, const double *a, const double *b) {
    const Complex x = load(a), y = load(b);
    if (zero_or_nan(y.re) && zero_or_nan(y.im)) {
        store(r, {0.0, 0.0});
        return;
    }
    const double s = y.re * y.re + y.im * y.im;
    if (needs_scaling(y, s)) {
        store(r, scaled_quotient(x, y));
        return;
    }
    const double q = 1.0 / s;
    store(r, {(x.re * y.re + x.im * y.im) * q, (x.im * y.re - x.re * y.im) * q});
}
KT_FORTRAN_ALIAS(CMXDIV, cmxdiv_);

void CMXPIV(double *r, const double *a, const double *b) {
    const Complex x = load(a), y = load(b), acc = load(r);
    store(r, {(acc.re - x.re * y.re) + x.im * y.im, (acc.im - x.re * y.im) - x.im * y.re});
}
KT_FORTRAN_ALIAS(CMXPIV, cmxpiv_);

void CMXSQRT(double *r, const double *z) {
    const std::complex<double> root = std::sqrt(std::complex<double>(z[0], z[1]));
    store(r, {root.real(), root.imag()});
}
KT_FORTRAN_ALIAS(CMXSQRT, cmxsqrt_);

} // extern "C"
