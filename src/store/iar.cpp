// One-level integer array records: create, free, append, compare.
//
// Every creator leaves nothing allocated when the store refuses a request,
// and IARA leaves both records as they were.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/fortran_alias.h"
#include "common/nonneg.h"
#include "host/store_requester.h"
#include "host/host_calls.h"
#include "iar_cells.h"
#include "kt/iar.h"

using namespace kt::iar;

namespace {

constexpr int32_t kMisuse = 1000;

// A record of n elements in one block made on behalf of `entry`, left
// uninitialised for the caller to fill.
int32_t make_record(const char *entry, const int32_t *n, int32_t *record) {
    int32_t count = kt::nonneg(*n), header = 0;
    kt::StoreRequester as(entry);
    *record = 0;
    if (count > INT32_MAX - kHeaderCells)
        return 0;
    int32_t cells = kHeaderCells + count;
    if (!kt::store_get(cells, &header, kIntSize, kClass))
        return 0;
    data_of(header) = header + kHeaderCells;
    count_of(header) = count;
    *record = header;
    return header;
}

} // namespace

extern "C" {

int32_t IARI(const int32_t *n, int32_t *record) {
    int32_t r = make_record("IARI", n, record);
    for (int32_t i = 1; r != 0 && i <= count_of(r); ++i)
        *element_ptr(r, i) = 0;
    return r;
}

int32_t IARIE(const int32_t *source, const int32_t *n, int32_t *record) {
    int32_t r = make_record("IARIE", n, record);
    if (r != 0 && count_of(r) > 0) // a new block: it cannot overlap the source
        std::memcpy(element_ptr(r, 1), source, static_cast<size_t>(count_of(r)) * sizeof(int32_t));
    return r;
}

void IARFS(int32_t *record) {
    int32_t r = *record;
    if (r == 0)
        return;
    if (!data_inline(r))
        kt::store_free(count_of(r), &data_of(r), kIntSize);
    kt::store_free(kHeaderCells, record, kIntSize);
    *record = 0;
}

int32_t IARA(int32_t *first, int32_t *second) {
    int32_t p = *first, q = *second;
    if (q == 0) {
        *first = 0;
        *second = p;
        return p;
    }
    if (p == 0) {
        kt::raise(kMisuse, "iara: iarp1==_NULL");
        return 0;
    }
    if (p == q) {
        // Moving a record into itself would free it under its new owner.
        kt::raise(kMisuse, "iara: iarp1==iarp2");
        return 0;
    }
    int32_t np = count_of(p), nq = count_of(q);
    if (int64_t{np} + nq > INT32_MAX)
        return 0;
    int32_t total = np + nq, block = data_of(q);
    if (data_inline(q)) {
        // q's index names the record, so its block cannot move: the data
        // goes to a block of its own and q's block shrinks to the header,
        // which the store grants in place.
        block = 0;
        if (!kt::store_get(total, &block, kIntSize, kClass))
            return 0;
        MOVEI4(element_ptr(q, 1), kt_iptr(block + 1), &nq);
        int32_t header = q, cells = kHeaderCells + nq;
        kt::store_resize(kHeaderCells, &header, kIntSize, cells);
    } else if (!kt::store_resize(total, &block, kIntSize, count_of(q))) {
        return 0;
    }
    data_of(q) = block;
    count_of(q) = total;
    MOVEI4(element_ptr(p, 1), element_ptr(q, nq + 1), &np);
    IARFS(first);
    return q;
}

int32_t IARCMP(const int32_t *a, const int32_t *b, int32_t *flag) {
    int32_t ra = *a, rb = *b, differ = mismatched(ra, rb);
    if (!differ && ra != 0) {
        const int32_t *x = element_ptr(ra, 1);
        differ = !std::equal(x, x + count_of(ra), element_ptr(rb, 1));
    }
    *flag = differ;
    return differ;
}

} // extern "C"

KT_FORTRAN_ALIAS(IARI, iari_);
KT_FORTRAN_ALIAS(IARIE, iarie_);
KT_FORTRAN_ALIAS(IARFS, iarfs_);
KT_FORTRAN_ALIAS(IARA, iara_);
KT_FORTRAN_ALIAS(IARCMP, iarcmp_);
