// Kinded name records: 2 integer cells, the kind and a word-store string
// (0: none) that the record owns. A record is either complete or absent:
// RSCIEA frees what it made when a store request is refused.
#include "common/fortran_alias.h"
#include "common/cells.h"
#include "host/host_calls.h"
#include "kt/host.h"
#include "kt/names.h"
#include "kt/store.h"
#include "store/word_string.h"

namespace {

using kt::kIntSize;
constexpr int32_t kCells = 2;

int32_t &kind_of(int32_t r) { return *kt_iptr(r + 1); }
int32_t &name_of(int32_t r) { return *kt_iptr(r + 2); }

int32_t name_length(int32_t s) { return s ? kt::store::string_length(s) : 0; }
const char *name_chars(int32_t s) { return kt::store::string_chars(s); }

struct Prefix {
    const char *text;
    int32_t len;
};

Prefix prefix_of(int32_t kind) {
    static const Prefix prefixes[] = {{"ip ", 3}, {"pf ", 3}, {"df ", 3}, {"of ", 3}, {"file ", 5}};
    return kind >= 1 && kind <= 5 ? prefixes[kind - 1] : Prefix{"", 0};
}

} // namespace

extern "C" {

int32_t RSCIEA(const int32_t *kind, const int32_t *string, int32_t *record) {
    int32_t r = 0;
    *record = 0;
    if (!kt::store_get(kCells, &r, kIntSize, 0)) {
        kt::raise_no_store("rsciea");
        return 0;
    }
    kind_of(r) = *kind;
    name_of(r) = 0;
    if (*string != 0 && STRDUPR(string, &name_of(r)) == 0) {
        kt::raise_no_store("rsciea");
        RSCD(&r);
        return 0;
    }
    *record = r;
    return r;
}

void RSCD(int32_t *record) {
    int32_t r = *record;
    if (r == 0)
        return;
    STRFS(&name_of(r));
    kt::store_free(kCells, record, kIntSize);
    *record = 0;
}

int32_t RSCCMP(const int32_t *a, const int32_t *b) {
    int32_t ra = *a, rb = *b;
    if (ra == 0 || rb == 0)
        return ra == rb ? 0 : 1;
    if (kind_of(ra) != kind_of(rb))
        return 1;
    int32_t sa = name_of(ra), sb = name_of(rb), n = name_length(sa);
    if (n != name_length(sb))
        return 1;
    if (n <= 0)
        return 0;
    const char *ca = name_chars(sa), *cb = name_chars(sb);
    for (int32_t i = 0; i < n; ++i)
        if (ca[i] != cb[i])
            return 1;
    return 0;
}

void RSCO(const int32_t *record) {
    int32_t r = *record;
    if (r == 0)
        return;
    Prefix p = prefix_of(kind_of(r));
    if (p.len > 0)
        OOCS(p.text, p.len);
    int32_t s = name_of(r), n = name_length(s);
    if (n > 0)
        OOCA(name_chars(s), &n, n);
}

} // extern "C"

KT_FORTRAN_ALIAS(RSCIEA, rsciea_);
KT_FORTRAN_ALIAS(RSCD, rscd_);
KT_FORTRAN_ALIAS(RSCCMP, rsccmp_);
KT_FORTRAN_ALIAS(RSCO, rsco_);
