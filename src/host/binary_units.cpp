// MMWRIT and MMREAD: word-store blocks moved to and from binary units as
// raw cells in native byte order.
//
// Results: 0 done, 1 a bad unit or argument or (MMREAD) the end of the
// file before the block was whole, 2 store refused, 3 the system failed the
// transfer (kt_host_unit_error tells why; the unit moves nothing more).
// A failed MMREAD leaves nothing allocated.
#include "common/fortran_alias.h"
#include "store_requester.h"
#include "kt/host.h"
#include "units.h"

using namespace kt::host;

namespace {

constexpr int32_t kBadRequest = 1, kSystemFailure = 3;

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
    DescriptorWriter *w = unit_writer(*unit, UnitKind::BinaryWrite);
    if (!w || *count < 0 || !valid_elsize(*elsize) || (*index == 0 && *count > 0))
        return finish(kBadRequest, status);
    size_t bytes = static_cast<size_t>(*count) * static_cast<size_t>(*elsize);
    if (!w->write(static_cast<const char *>(kt_block_ptr(*index, *elsize)), bytes))
        return finish(kSystemFailure, status);
    return finish(0, status);
}

int32_t MMREAD(const int32_t *unit, const int32_t *count, int32_t *index, const int32_t *elsize, const int32_t *sclass,
               int32_t *status) {
    kt::StoreRequester as("MMREAD");
    DescriptorReader *r = unit_reader(*unit);
    if (!r || *count < 0 || !valid_elsize(*elsize))
        return finish(kBadRequest, status);
    if (r->error() != 0)
        return finish(kSystemFailure, status);
    int32_t block = 0;
    if (GSTORE(count, &block, elsize, sclass, nullptr) != 0)
        return finish(2, status);
    int64_t bytes = int64_t{*count} * *elsize;
    int64_t got = r->read(static_cast<char *>(kt_block_ptr(block, *elsize)), bytes);
    if (got != bytes) {
        FSTORE(count, &block, elsize);
        return finish(got < 0 ? kSystemFailure : kBadRequest, status);
    }
    *index = block;
    return finish(0, status);
}

} // extern "C"

KT_FORTRAN_ALIAS(MMWRIT, mmwrit_);
KT_FORTRAN_ALIAS(MMREAD, mmread_);
