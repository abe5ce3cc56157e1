// Integer helpers of spectrum work: bit reversal and powers of two.
//
// BITREV works modulo 2^32 like the 32-bit arithmetic it stands for, so
// no width of field or sign of I can overflow; past 64 steps every
// further step only doubles a result that is already 0 mod 2^32.
// POW2 and ILOG2 compute directly instead of doubling a 32-bit counter,
// which never ended for n above 2^30.
#include <cstdint>

#include "common/fortran_alias.h"
#include "kt/numerics.h"

namespace {

constexpr int32_t kLargestPower = int32_t{1} << 30;

// Smallest k >= 0 with 2^k >= n, for n >= 1.
int32_t ceil_log2(int32_t n) {
    int32_t k = 0;
    while ((int64_t{1} << k) < n)
        ++k;
    return k;
}

} // namespace

extern "C" {

int32_t BITREV(const int32_t *i, const int32_t *nbits) {
    int32_t v = *i;
    uint32_t r = 0;
    const int32_t steps = *nbits < 64 ? *nbits : 64;
    for (int32_t k = 0; k < steps; ++k) {
        // v - 2 * (v / 2): the lowest bit, -1 for odd negative values.
        r = 2 * r + static_cast<uint32_t>(v % 2);
        v /= 2;
    }
    return static_cast<int32_t>(r);
}
KT_FORTRAN_ALIAS(BITREV, bitrev_);

int32_t POW2(const int32_t *n) {
    if (*n <= 1)
        return 1;
    if (*n > kLargestPower)
        return 0; // 2^31 does not fit
    return int32_t{1} << ceil_log2(*n);
}
KT_FORTRAN_ALIAS(POW2, pow2_);

int32_t ILOG2(const int32_t *n) { return *n <= 1 ? 0 : ceil_log2(*n); }
KT_FORTRAN_ALIAS(ILOG2, ilog2_);

} // extern "C"
