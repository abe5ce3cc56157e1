// CMPR8 and CMPI4: whether two arrays agree element by element. Reals
// compare by value, so 0.0 equals -0.0 and a NaN equals nothing.
#include <cstdint>

#include "common/fortran_alias.h"
#include "kt/numerics.h"

namespace {

template <typename T> int32_t differ(const T *a, const T *b, int32_t n) {
    for (int32_t i = 0; i < n; ++i)
        if (!(a[i] == b[i]))
            return 1;
    return 0;
}

} // namespace

extern "C" {

int32_t CMPR8(const double *a, const double *b, const int32_t *n) { return differ(a, b, *n); }
KT_FORTRAN_ALIAS(CMPR8, cmpr8_);

int32_t CMPI4(const int32_t *a, const int32_t *b, const int32_t *n) { return differ(a, b, *n); }
KT_FORTRAN_ALIAS(CMPI4, cmpi4_);

} // extern "C"
