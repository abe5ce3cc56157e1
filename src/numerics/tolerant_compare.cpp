// Tolerant comparison of two real arrays: DEQREL and FEQREL accept a pair
// when |a - b| <= max(|a|, |b|) * |tol|; DEQUAL and FEQUAL do the same
// except that, when one of the two is exactly 0, they accept it when the
// other is within |tol| of 0. Single-precision values are compared in
// double. An infinity agrees only with the same infinity (by the formulas
// it would match everything, or nothing), and identical finite values
// agree even under a NaN tolerance.
#include <cmath>
#include <cstdint>

#include "common/fortran_alias.h"
#include "kt/numerics.h"

namespace {

bool relative_equal(double a, double b, double t) {
    if (a == b || !std::isfinite(a) || !std::isfinite(b))
        return a == b;
    return std::fabs(a - b) <= std::fmax(std::fabs(a), std::fabs(b)) * t;
}

bool mixed_equal(double a, double b, double t) {
    if (a == b || !std::isfinite(a) || !std::isfinite(b))
        return a == b;
    const double x = std::fabs(a), y = std::fabs(b);
    if (x == 0)
        return y <= t;
    if (y == 0)
        return x <= t;
    return relative_equal(a, b, t);
}

template <typename T, bool (*Equal)(double, double, double)>
int32_t all_equal(const T *a, const T *b, int32_t n, T tol) {
    const double t = std::fabs(static_cast<double>(tol));
    for (int32_t i = 0; i < n; ++i)
        if (!Equal(a[i], b[i], t))
            return KT_FALSE;
    return KT_TRUE;
}

} // namespace

extern "C" {

int32_t DEQUAL(const double *a, const double *b, const int32_t *n, const double *tol) {
    return all_equal<double, mixed_equal>(a, b, *n, *tol);
}
KT_FORTRAN_ALIAS(DEQUAL, dequal_);

int32_t DEQREL(const double *a, const double *b, const int32_t *n, const double *tol) {
    return all_equal<double, relative_equal>(a, b, *n, *tol);
}
KT_FORTRAN_ALIAS(DEQREL, deqrel_);

int32_t FEQUAL(const float *a, const float *b, const int32_t *n, const float *tol) {
    return all_equal<float, mixed_equal>(a, b, *n, *tol);
}
KT_FORTRAN_ALIAS(FEQUAL, fequal_);

int32_t FEQREL(const float *a, const float *b, const int32_t *n, const float *tol) {
    return all_equal<float, relative_equal>(a, b, *n, *tol);
}
KT_FORTRAN_ALIAS(FEQREL, feqrel_);

int32_t c_dequal(const double *a, const double *b, int32_t n, double tol) { return DEQUAL(a, b, &n, &tol) != 0; }
int32_t c_deqrel(const double *a, const double *b, int32_t n, double tol) { return DEQREL(a, b, &n, &tol) != 0; }
int32_t c_fequal(const float *a, const float *b, int32_t n, float tol) { return FEQUAL(a, b, &n, &tol) != 0; }
int32_t c_feqrel(const float *a, const float *b, int32_t n, float tol) { return FEQREL(a, b, &n, &tol) != 0; }

} // extern "C"
