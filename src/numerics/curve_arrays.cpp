// Array helpers of spectrum work: in-place reversal and the extremes of a
// single-precision curve.
//
// MNMXS keeps the comparison rules callers have relied on: the minimum
// takes v unless v > minimum, the maximum takes v when v >= maximum, so a
// NaN becomes the minimum but never the maximum. An empty array (n <= 0)
// reads nothing and gives the extremes of no values, +Inf and -Inf, so
// that min > max tells the caller there was nothing.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "common/fortran_alias.h"
#include "kt/numerics.h"

extern "C" {

void AR8REV(double *a, const int32_t *n) {
    if (*n > 1)
        std::reverse(a, a + *n);
}
KT_FORTRAN_ALIAS(AR8REV, ar8rev_);

void MNMXS(const float *x, const int32_t *n, float *xmin, float *xmax) {
    if (*n <= 0) {
        *xmin = std::numeric_limits<float>::infinity();
        *xmax = -std::numeric_limits<float>::infinity();
        return;
    }
    float lo = x[0], hi = x[0];
    for (int32_t k = 1; k < *n; ++k) {
        const float v = x[k];
        if (!(v > lo))
            lo = v;
        if (v >= hi)
            hi = v;
    }
    *xmin = lo;
    *xmax = hi;
}
KT_FORTRAN_ALIAS(MNMXS, mnmxs_);

} // extern "C"
