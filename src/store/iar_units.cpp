// Integer array records on binary units: the 2 header cells as stored, then
// the elements; a two-level record is the outer record, then each inner one.
//
// The data index read back is meaningless and replaced. A failed read frees
// whatever it allocated, so the caller is left holding nothing. A transfer
// the system fails is reported (error 2064 with its reason), so that it is
// not taken for the end of the records.
#include <cerrno>

#include "common/fortran_alias.h"
#include "host/host_calls.h"
#include "iar_cells.h"
#include "kt/iar.h"

using namespace kt::iar;

namespace {

constexpr int32_t kSystemFailure = 3; // MMREAD and MMWRIT

// The code of an MMREAD or MMWRIT, reporting a system failure.
int32_t checked(int32_t code, const char *routine, const int32_t *unit) {
    if (code == kSystemFailure) {
        errno = kt_host_unit_error(*unit);
        c_ersys(2064, routine);
    }
    return code;
}

} // namespace

extern "C" {

int32_t IARW(const int32_t *unit, const int32_t *record, int32_t *status) {
    int32_t r = *record, code = 0, failed = 1;
    if (r != 0 && checked(MMWRIT(unit, &kHeaderCells, &r, &kIntSize, &code), "iarw", unit) == 0)
        failed = checked(MMWRIT(unit, &count_of(r), &data_of(r), &kIntSize, &code), "iarw", unit) != 0;
    *status = failed;
    return failed;
}

int32_t IARR(const int32_t *unit, int32_t *record) {
    int32_t header = 0, status = 0;
    *record = 0;
    if (checked(MMREAD(unit, &kHeaderCells, &header, &kIntSize, &kClass, &status), "iarr", unit) != 0)
        return 0;
    int32_t block = 0;
    if (checked(MMREAD(unit, &count_of(header), &block, &kIntSize, &kClass, &status), "iarr", unit) != 0) {
        kt::store_free(kHeaderCells, &header, kIntSize);
        return 0;
    }
    data_of(header) = block;
    *record = header;
    return header;
}

int32_t IARW2(const int32_t *unit, const int32_t *record, int32_t *status) {
    int32_t r = *record;
    *status = 1;
    if (r == 0)
        return 1;
    // A 0 element has no unit form; refuse before writing anything.
    for (int32_t i = 1, n = count_of(r); i <= n; ++i)
        if (*element_ptr(r, i) == 0)
            return 1;
    if (IARW(unit, record, status) != 0)
        return 1;
    for (int32_t i = 1, n = count_of(r); i <= n; ++i)
        if (IARW(unit, element_ptr(r, i), status) != 0)
            return 1;
    return 0;
}

int32_t IARR2(const int32_t *unit, int32_t *record) {
    int32_t r = IARR(unit, record);
    if (r == 0)
        return 0;
    int32_t n = count_of(r);
    for (int32_t i = 1; i <= n; ++i)
        *element_ptr(r, i) = 0;
    for (int32_t i = 1; i <= n; ++i) {
        if (IARR(unit, element_ptr(r, i)) == 0) {
            IARFS2(record);
            return 0;
        }
    }
    return r;
}

} // extern "C"

KT_FORTRAN_ALIAS(IARW, iarw_);
KT_FORTRAN_ALIAS(IARR, iarr_);
KT_FORTRAN_ALIAS(IARW2, iarw2_);
KT_FORTRAN_ALIAS(IARR2, iarr2_);
