// MMWRIT and MMREAD: word-store blocks moved to and from binary units as
// raw cells in native byte order.
#include <cstdio>

#include "../common/abi.h"
#include "kt/host.h"
#include "units.h"

using namespace kt::host;

namespace {

bool valid_elsize(int32_t s) { return s == 1 || s == 4 || s == 8; }

int32_t finish(int32_t code, int32_t *status) {
    if (status)
        *status = code;
    return code;
}

} // namespace

extern "C" {

int32_t MMWRIT(const int32_t *unit, const int32_t *count, const int32_t *index, const int32_t *elsize,
               int32_t *status) {
    std::FILE *f = unit_file(*unit, UnitKind::BinaryWrite);
    if (!f || *count < 0 || !valid_elsize(*elsize) || (*index == 0 && *count > 0))
        return finish(1, status);
    size_t n = static_cast<size_t>(*count);
    if (n && std::fwrite(kt_block_ptr(*index, *elsize), static_cast<size_t>(*elsize), n, f) != n)
        return finish(1, status);
    return finish(0, status);
}

int32_t MMREAD(const int32_t *unit, const int32_t *count, int32_t *index, const int32_t *elsize,
               const int32_t *sclass, int32_t *status) {
    std::FILE *f = unit_file(*unit, UnitKind::BinaryRead);
    if (!f || *count < 0 || !valid_elsize(*elsize))
        return finish(1, status);
    int32_t block = 0;
    if (GSTORE(count, &block, elsize, sclass, nullptr) != 0)
        return finish(2, status);
    size_t n = static_cast<size_t>(*count);
    if (n && std::fread(kt_block_ptr(block, *elsize), static_cast<size_t>(*elsize), n, f) != n) {
        FSTORE(count, &block, elsize);
        return finish(1, status);
    }
    *index = block;
    return finish(0, status);
}

} // extern "C"

KT_FORTRAN_ALIAS(MMWRIT, mmwrit_)
KT_FORTRAN_ALIAS(MMREAD, mmread_)
