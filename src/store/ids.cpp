// Identification stamps: word 1 names the host build, word 2 the layout
// version of stored records.
#include "common/fortran_alias.h"
#include "kt/host.h"
#include "kt/iar.h"

extern "C" {

void MAKIDS(int32_t *stamp) {
    stamp[0] = MACHC.i[17];
    stamp[1] = 940301;
}

int32_t CHKIDS(const int32_t *a, const int32_t *b, const int32_t *n) {
    if (a[0] != b[0])
        return 1;
    for (int32_t i = 2; i <= *n; ++i)
        if (a[i - 1] != b[i - 1])
            return i;
    return 0;
}

} // extern "C"

KT_FORTRAN_ALIAS(MAKIDS, makids_);
KT_FORTRAN_ALIAS(CHKIDS, chkids_);
