// Searching: INDEXI and INDXIA (first equal entry of an integer array,
// plain or strided), INDEXD and INDEXS (a value in a real table, by linear
// search or by bisection of an ascending or descending table).
//
// Positions are 1-based and every result is also stored in POS. The
// bisection keeps lo and hi inside the table: on a sorted table it ends
// exactly when they cross, and a table that is not sorted (or holds NaNs)
// can give a meaningless position but never a read outside it. Ordered
// searches of an empty table find nothing (0).
#include <cstdint>

#include "common/fortran_alias.h"
#include "kt/numerics.h"

namespace {

int32_t found(int32_t *pos, int32_t result) {
    *pos = result;
    return result;
}

template <typename T> int32_t linear_search(const T *a, int32_t n, T x) {
    for (int32_t i = 0; i < n; ++i)
        if (a[i] == x)
            return i + 1;
    return n > 0 ? n + 1 : 1;
}

// The lower position i of the neighbouring pair with x between a(i) and
// a(i+1), the matching position, or 0 when x lies outside the table.
template <typename T> int32_t bisect(const T *a, int32_t n, bool ascending, T x) {
    auto at = [a](int64_t i) { return a[i - 1]; };
    const int64_t first = ascending ? 1 : n, last = ascending ? n : 1, step = ascending ? 1 : -1;
    if (at(first) > x || at(last) < x)
        return 0;
    int64_t lo = first, hi = last;
    while ((hi - lo) * step >= 0 && at(hi) >= at(lo)) {
        const int64_t mid = (lo + hi) / 2;
        if (at(mid) > x)
            hi = mid - step;
        else if (at(mid) == x)
            return static_cast<int32_t>(mid);
        else
            lo = mid + step;
    }
    return static_cast<int32_t>(ascending ? hi : hi - 1);
}

template <typename T> int32_t table_search(const T *a, int32_t n, int32_t dir, T x) {
    if (n == 1)
        return a[0] == x ? 1 : 0;
    if (dir == 0)
        return linear_search(a, n, x);
    if (n < 1)
        return 0;
    return bisect(a, n, dir > 0, x);
}

} // namespace

extern "C" {

int32_t INDEXI(const int32_t *a, const int32_t *n, const int32_t *v, int32_t *pos) {
    for (int32_t i = 0; i < *n; ++i)
        if (a[i] == *v)
            return found(pos, i + 1);
    return found(pos, 0);
}
KT_FORTRAN_ALIAS(INDEXI, indexi_);

int32_t INDXIA(const int32_t *a, const int32_t *n, const int32_t *stride, const int32_t *v, int32_t *pos) {
    for (int32_t k = 0; k < *n; ++k)
        if (a[int64_t{k} * *stride] == *v)
            return found(pos, k + 1);
    return found(pos, 0);
}
KT_FORTRAN_ALIAS(INDXIA, indxia_);

int32_t INDEXD(const double *a, const int32_t *n, const int32_t *dir, const double *x, int32_t *pos) {
    return found(pos, table_search(a, *n, *dir, *x));
}
KT_FORTRAN_ALIAS(INDEXD, indexd_);

int32_t INDEXS(const float *a, const int32_t *n, const int32_t *dir, const float *x, int32_t *pos) {
    return found(pos, table_search(a, *n, *dir, *x));
}
KT_FORTRAN_ALIAS(INDEXS, indexs_);

int32_t c_indexd(const double *a, int32_t n, int32_t dir, double x, int32_t *pos) {
    return INDEXD(a, &n, &dir, &x, pos);
}

int32_t c_indexs(const float *a, int32_t n, int32_t dir, float x, int32_t *pos) { return INDEXS(a, &n, &dir, &x, pos); }

} // extern "C"
