// Compiled paths: the tokens of a whole path as an integer array record,
// each code followed by its values; the end token is not stored.
//
// The tokens are gathered in a managed list that is freed on every road
// out, so the result is a complete record or 0 and nothing is left behind.
// Only the first broken sequence rule is reported; reading still goes on to
// the end, where a later syntax error gives 0 without another message.
#include "../common/abi.h"
#include "kt/host.h"
#include "kt/iar.h"
#include "kt/names.h"
#include "kt/store.h"
#include "path_token.h"

namespace {

constexpr int32_t kWildStep = KT_PATH_WILDCARD | KT_PATH_STEP;
constexpr int32_t kWildLeaf = KT_PATH_WILDCARD | KT_PATH_LEAF;
constexpr int32_t kErrUpAfterWildStep = 7056, kErrLeafAfterWildLeaf = 7003;

int32_t values_of(int32_t code) {
    return (code & KT_PATH_ONE_VALUE ? 1 : 0) + (code & KT_PATH_TWO_VALUES ? 2 : 0);
}

} // namespace

extern "C" {

int32_t SEPTHI(char *text, const int32_t *n, const int32_t *table, int32_t *out, int32_t text_len) {
    (void)text_len; // the explicit count rules
    *out = 0;
    int32_t list = 0, capacity = 10, kind = 1;
    if (LSTI(&capacity, &kind, &list) == 0) {
        OSTORE();
        return 0;
    }
    int32_t pos = 1, len = *n < 0 ? 0 : *n;
    bool seen_wild_step = false, seen_wild_leaf = false, broken = false, ok = true;
    kt_path_token tok;
    for (;;) {
        int32_t code = kt::names::read_path_token(text, len, &pos, *table, tok);
        if (code == KT_PATH_SYNTAX_ERROR) {
            ok = false;
            break;
        }
        if (code == KT_PATH_END)
            break;
        int32_t values = values_of(code);
        if (LSTE(&list, &code) == 0 || (values > 0 && LSTE(&list, &tok.v1) == 0) ||
            (values > 1 && LSTE(&list, &tok.v2) == 0)) {
            OSTORE();
            ok = false;
            break;
        }
        if (!broken && seen_wild_step && (code == KT_PATH_UP || code == KT_PATH_ROOT)) {
            ER(&kErrUpAfterWildStep);
            broken = true;
        } else if (!broken && seen_wild_leaf && (code & KT_PATH_LEAF)) {
            ER(&kErrLeafAfterWildLeaf);
            broken = true;
        }
        seen_wild_step = seen_wild_step || (code & kWildStep) == kWildStep;
        seen_wild_leaf = seen_wild_leaf || (code & kWildLeaf) == kWildLeaf;
    }
    int32_t record = 0;
    if (ok && !broken) {
        int32_t count = kt_icell(list + 2);
        if (IARIE(kt_iptr(kt_icell(list + 1) + 1), &count, &record) == 0)
            OSTORE();
    }
    LSTD(&list);
    *out = record;
    return record;
}

} // extern "C"

KT_FORTRAN_ALIAS(SEPTHI, septhi_)
