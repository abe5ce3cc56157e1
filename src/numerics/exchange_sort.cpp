// The stable exchange sorts for short arrays: QSORTD (doubles, with the
// permutation applied to an index) and QSORTC (fixed-length texts).
//
// Every pass runs to the end, so the cost is always quadratic; equal keys
// never exchange, so they keep their order. Texts compare as unsigned
// bytes over their whole length.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/fortran_alias.h"
#include "kt/numerics.h"

extern "C" {

void QSORTD(double *a, int32_t *idx, const int32_t *n) {
    const int32_t count = *n;
    for (int32_t i = 0; i < count; ++i)
        idx[i] = i + 1;
    for (int32_t m = count; m >= 2; --m) {
        for (int32_t i = 0; i < m - 1; ++i) {
            if (a[i] > a[i + 1]) {
                std::swap(a[i], a[i + 1]);
                std::swap(idx[i], idx[i + 1]);
            }
        }
    }
}
KT_FORTRAN_ALIAS(QSORTD, qsortd_);

void QSORTC(char *texts, const int32_t *n, const int32_t *l, int32_t texts_len) {
    (void)texts_len; // n and l give the extent
    const int32_t count = *n;
    if (*l <= 0)
        return; // empty texts are all equal
    const size_t len = static_cast<size_t>(*l);
    for (int32_t m = count; m >= 2; --m) {
        char *text = texts;
        for (int32_t i = 0; i < m - 1; ++i, text += len) {
            if (std::memcmp(text, text + len, len) > 0)
                std::swap_ranges(text, text + len, text + len);
        }
    }
}
KT_FORTRAN_ALIAS(QSORTC, qsortc_);

} // extern "C"
