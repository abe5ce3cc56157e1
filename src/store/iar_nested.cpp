// Two-level integer array records: records whose elements name inner
// records (0 where none is held), owned by the outer record.
//
// A deep copy that cannot be completed frees the inner copies made so far
// and the outer copy; elements still 0 are skipped when freeing.
#include "common/fortran_alias.h"
#include "host/store_requester.h"
#include "iar_cells.h"
#include "kt/iar.h"

using namespace kt::iar;

extern "C" {

void IARFS2(int32_t *record) {
    int32_t r = *record;
    if (r == 0)
        return;
    for (int32_t i = 1, n = count_of(r); i <= n; ++i)
        IARFS(element_ptr(r, i));
    IARFS(record);
}

int32_t IARCP2(const int32_t *source, int32_t *copy) {
    kt::StoreRequester as("IARCP2");
    int32_t s = *source;
    *copy = 0;
    if (s == 0)
        return 0;
    int32_t d = 0;
    if (IARI(&count_of(s), &d) == 0)
        return 0;
    for (int32_t i = 1, n = count_of(s); i <= n; ++i) {
        int32_t inner = *element_ptr(s, i);
        if (inner != 0 && IARIE(element_ptr(inner, 1), &count_of(inner), element_ptr(d, i)) == 0) {
            IARFS2(&d);
            return 0;
        }
    }
    *copy = d;
    return d;
}

int32_t IARCM2(const int32_t *a, const int32_t *b, int32_t *flag) {
    int32_t ra = *a, rb = *b, differ = mismatched(ra, rb);
    for (int32_t i = 1, n = differ || ra == 0 ? 0 : count_of(ra); i <= n && !differ; ++i)
        IARCMP(element_ptr(ra, i), element_ptr(rb, i), &differ);
    *flag = differ;
    return differ;
}

} // extern "C"

KT_FORTRAN_ALIAS(IARFS2, iarfs2_);
KT_FORTRAN_ALIAS(IARCP2, iarcp2_);
KT_FORTRAN_ALIAS(IARCM2, iarcm2_);
