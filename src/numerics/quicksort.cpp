// The quicksorts: QSORTI, QSORTS (keys moved in place), QSRTII, QSRTIS,
// QSRTID (an index permutation reordered), and QSRTIZ built on QSRTID.
// The sorting loop itself is in quicksort.h; here are the key policies.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "common/fortran_alias.h"
#include "kt/host.h"
#include "kt/numerics.h"
#include "quicksort.h"

using kt::numerics::quicksort;

namespace {

// Keys moved in place: the items are the keys.
template <typename T> struct InPlace {
    using Key = T;
    T *items;
    static Key key_of(T item) { return item; }
    static bool less(Key x, Key y) { return x < y; }
    static bool by_value(Key) { return true; }
};

// Keys reached through an index: the items are 1-based positions in a.
template <typename T, typename Order> struct Indexed {
    using Key = T;
    int32_t *items;
    const T *a;
    Order order;
    Key key_of(int32_t item) const { return a[item - 1]; }
    bool less(Key x, Key y) const { return order(x, y); }
    bool by_value(Key p) const { return order.by_value(p); }
};

struct ValueOrder {
    template <typename T> bool operator()(T x, T y) const { return x < y; }
    template <typename T> bool by_value(T) const { return true; }
};

// -M before every other key, +M after every other key, the rest by value.
struct MarkerOrder {
    double m;
    int rank(double v) const { return v == -m ? 0 : v == m ? 2 : 1; }
    bool operator()(double x, double y) const {
        const int rx = rank(x), ry = rank(y);
        return rx != ry ? rx < ry : rx == 1 && x < y;
    }
    // Against a pivot strictly between -M and M the markers sit on their
    // own sides by value too, so the plain < gives the same answer.
    bool by_value(double p) const { return -m < p && p < m; }
};

MarkerOrder marker_order() { return {MACHC.d[4]}; }

} // namespace

extern "C" {

void QSORTI(int32_t *a, int32_t *stk, const int32_t *n) { quicksort(InPlace<int32_t>{a}, stk, *n); }
KT_FORTRAN_ALIAS(QSORTI, qsorti_);

void QSORTS(float *a, int32_t *stk, const int32_t *n) { quicksort(InPlace<float>{a}, stk, *n); }
KT_FORTRAN_ALIAS(QSORTS, qsorts_);

void QSRTII(const int32_t *a, int32_t *idx, int32_t *stk, const int32_t *n) {
    quicksort(Indexed<int32_t, ValueOrder>{idx, a, {}}, stk, *n);
}
KT_FORTRAN_ALIAS(QSRTII, qsrtii_);

void QSRTIS(const float *a, int32_t *idx, int32_t *stk, const int32_t *n) {
    quicksort(Indexed<float, ValueOrder>{idx, a, {}}, stk, *n);
}
KT_FORTRAN_ALIAS(QSRTIS, qsrtis_);

void QSRTID(const double *a, int32_t *idx, int32_t *stk, const int32_t *n) {
    quicksort(Indexed<double, MarkerOrder>{idx, a, marker_order()}, stk, *n);
}
KT_FORTRAN_ALIAS(QSRTID, qsrtid_);

// By real part; runs of exactly equal real parts by |imaginary part|.
void QSRTIZ(const double *z, double *w, int32_t *idx, int32_t *stk, const int32_t *n, const int32_t *dir) {
    const int32_t count = *n;
    if (count < 1)
        return;
    for (int32_t i = 0; i < count; ++i)
        w[i] = z[2 * int64_t{i}];
    QSRTID(w, idx, stk, n);
    for (int32_t i = 0; i < count; ++i)
        w[i] = std::fabs(z[2 * int64_t{i} + 1]);
    auto real_of = [&](int32_t position) { return z[2 * (int64_t{idx[position]} - 1)]; };
    for (int32_t start = 0; start < count;) {
        int32_t end = start + 1;
        while (end < count && real_of(end) == real_of(start))
            ++end;
        if (end - start >= 2) {
            const int32_t run = end - start;
            QSRTID(w, idx + start, stk, &run);
        }
        start = end;
    }
    if (*dir < 0)
        std::reverse(idx, idx + count);
}
KT_FORTRAN_ALIAS(QSRTIZ, qsrtiz_);

} // extern "C"
