// LPXPCP: a copy of a sweep list with a range turned into its explicit
// points (kind 6), optionally put in ascending or descending order.
//
// The points of a range are monotonic, so ordering them is at most a
// reversal; explicit values are sorted with the library's stable exchange
// sort. Names keep their order. The copy either succeeds whole or is freed:
// a caller never receives a half-converted or unsorted list with a failure
// status.
#include <algorithm>

#include "common/fortran_alias.h"
#include "host/store_requester.h"
#include "host/host_calls.h"
#include "kt/host.h"
#include "kt/numerics.h"
#include "kt/sweep.h"
#include "sweep_record.h"

using namespace kt::sweep;

namespace {

constexpr int32_t kDescending = 2;

// Replaces the copy's three range items by its points; false when the
// range has no points or the store refused them.
bool expand_in_place(int32_t copy) {
    int32_t block = 0, points = 0;
    if (LPXP(&copy, &block, &points) == 0)
        return false;
    int32_t size = cell(copy, kSize);
    kt::store_free(size, &cell(copy, kData), kRealSize);
    cell(copy, kData) = block;
    cell(copy, kCount) = points;
    cell(copy, kSize) = points;
    cell(copy, kKind) = kValues;
    return true;
}

bool sort_ascending(int32_t copy) {
    int32_t n = item_count(copy);
    if (n == 0)
        return true;
    int32_t work = 0, sclass = -1;
    if (!kt::store_get(n, &work, kIntSize, sclass))
        return false;
    QSORTD(reals(copy), kt_iptr(work + 1), &n);
    kt::store_free(n, &work, kIntSize);
    return true;
}

} // namespace

extern "C" {

int32_t LPXPCP(const int32_t *source, const int32_t *order, int32_t *dest, int32_t *status) {
    kt::StoreRequester as("LPXPCP");
    *dest = 0;
    if (LPCP(source, dest, status) != 0)
        return *status;
    const int32_t kind = kind_of(*source);
    bool ok = !is_range(kind) || expand_in_place(*dest);
    bool reverse = false;
    if (ok && *order != 0 && kind != kNames) {
        if (is_range(kind)) {
            Range r = range_of(*source);
            reverse = r.to < r.from;
        } else if (kind == kValues) {
            ok = sort_ascending(*dest);
        }
        if (*order == kDescending)
            reverse = !reverse;
    }
    if (!ok) {
        LPD(dest);
        *status = 1;
        return 1;
    }
    if (reverse && cell(*dest, kKind) == kValues) {
        double *v = reals(*dest);
        std::reverse(v, v + item_count(*dest));
    }
    *status = 0;
    return 0;
}
KT_FORTRAN_ALIAS(LPXPCP, lpxpcp_);

} // extern "C"
