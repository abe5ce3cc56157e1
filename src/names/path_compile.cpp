// Compiled paths: the tokens of a whole path as an integer array record,
// each code followed by its values; the end token is not stored.
//
// The cells gather in a buffer on the stack; a path that outgrows it goes
// on in a managed list, freed on every road out, so the result is a
// complete record or 0 and nothing is left behind. Only the first broken
// sequence rule is reported; reading still goes on to the end, where a
// later syntax error gives 0 without another message.
#include "common/fortran_alias.h"
#include "host/host_calls.h"
#include "kt/host.h"
#include "kt/iar.h"
#include "kt/names.h"
#include "kt/store.h"
#include "path_token.h"

namespace {

constexpr int32_t kWildStep = KT_PATH_WILDCARD | KT_PATH_STEP;
constexpr int32_t kWildLeaf = KT_PATH_WILDCARD | KT_PATH_LEAF;
constexpr int32_t kErrUpAfterWildStep = 7056, kErrLeafAfterWildLeaf = 7003;

// The flag 0x01 means one value and 0x02 two, never both.
constexpr int32_t values_of(int32_t code) { return code & (KT_PATH_ONE_VALUE | KT_PATH_TWO_VALUES); }
static_assert(values_of(KT_PATH_QUALIFIED) == 2 && values_of(KT_PATH_NAME) == 1 && values_of(KT_PATH_ANY) == 0);

// The cells of the record being built. Typical paths fit the buffer and
// cost no store request before the record itself.
class Cells {
public:
    Cells() = default;
    Cells(const Cells &) = delete;
    Cells &operator=(const Cells &) = delete;
    ~Cells() {
        if (list_ != 0)
            LSTD(&list_);
    }

    // Appends a token's code and its values; false when the store refuses.
    bool add(int32_t code, int32_t v1, int32_t v2) {
        if (used_ + 3 > kBuffered && !spill())
            return false;
        buffer_[used_] = code;
        buffer_[used_ + 1] = v1;
        buffer_[used_ + 2] = v2;
        used_ += 1 + values_of(code);
        return true;
    }

    // The record of all cells, or 0 when the store refuses.
    int32_t record() {
        int32_t record = 0;
        if (list_ == 0) {
            IARIE(buffer_, &used_, &record);
        } else if (spill()) {
            int32_t count = kt_icell(list_ + 2);
            IARIE(kt_iptr(kt_icell(list_ + 1) + 1), &count, &record);
        }
        return record;
    }

private:
    static constexpr int32_t kBuffered = 64;

    // Moves the buffered cells to the end of the list.
    bool spill() {
        int32_t capacity = 2 * kBuffered, kind = 1;
        if (list_ == 0 && LSTI(&capacity, &kind, &list_) == 0)
            return false;
        if (used_ > 0 && LSTEA(&list_, buffer_, &used_) == 0)
            return false;
        used_ = 0;
        return true;
    }

    int32_t buffer_[kBuffered];
    int32_t used_ = 0, list_ = 0;
};

} // namespace

extern "C" {

int32_t SEPTHI(char *text, const int32_t *n, const int32_t *table, int32_t *out, int32_t text_len) {
    (void)text_len; // the explicit count rules
    *out = 0;
    Cells cells;
    kt::names::Lookahead ahead;
    kt_path_token tok;
    kt::names::TokenReader reader(text, *n, *table, tok, ahead);
    int32_t pos = 1;
    // What the tokens so far forbid: ".." and root after a wildcard step,
    // leaf names after "*". Only the first broken rule is reported.
    bool no_up = false, no_leaf = false, broken = false;
    for (;;) {
        int32_t code = reader.read(&pos);
        if (code == KT_PATH_SYNTAX_ERROR)
            return 0;
        if (code == KT_PATH_END)
            break;
        if (!cells.add(code, tok.v1, tok.v2)) {
            OSTORE();
            return 0;
        }
        if (broken)
            continue;
        if (no_up && (code == KT_PATH_UP || code == KT_PATH_ROOT)) {
            kt::raise(kErrUpAfterWildStep);
            broken = true;
        } else if (no_leaf && (code & KT_PATH_LEAF)) {
            kt::raise(kErrLeafAfterWildLeaf);
            broken = true;
        }
        if (code & KT_PATH_WILDCARD) {
            no_up |= (code & kWildStep) == kWildStep;
            no_leaf |= (code & kWildLeaf) == kWildLeaf;
        }
    }
    if (broken)
        return 0;
    int32_t record = cells.record();
    if (record == 0)
        OSTORE();
    *out = record;
    return record;
}

} // extern "C"

KT_FORTRAN_ALIAS(SEPTHI, septhi_);
