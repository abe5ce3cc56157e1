// String builders: make word-store strings from texts, cells and other
// strings, extend them in place and free them.
//
// Every string built here is well formed (terminating 0 at length + 1).
// A refused store request is reported with OSTORE; the builder then
// returns 0 having freed whatever it had obtained, and never writes into a
// block it did not get. UIXSTR leaves its string as it was.
#include <cstring>
#include <string>

#include "common/fortran_alias.h"
#include "host/store_requester.h"
#include "common/ascii.h"
#include "common/blank_trim.h"
#include "common/nonneg.h"
#include "kt/host.h"
#include "kt/store.h"
#include "word_string.h"

using namespace kt::store;
using kt::nonneg;
using namespace kt::text;

namespace {

constexpr int32_t kCell = 8;

// A new string of length n whose characters are a[0..na) then b[0..nb),
// made on behalf of `entry`.
int32_t build(const char *entry, const char *a, int32_t na, const char *b = nullptr, int32_t nb = 0) {
    int32_t n = na + nb, s = 0;
    kt::StoreRequester as(entry);
    if (STRGS(&n, &s) == 0) {
        OSTORE();
        return 0;
    }
    if (na > 0)
        std::memcpy(string_chars(s), a, static_cast<size_t>(na));
    if (nb > 0)
        std::memcpy(string_chars(s, na + 1), b, static_cast<size_t>(nb));
    return s;
}

// Trailing blanks dropped, but a text of one or more characters keeps one.
int32_t trimmed_length(const char *text, int32_t n) {
    int32_t len = kt::significant_length(text, n);
    return n > 0 && len == 0 ? 1 : len;
}

int32_t extend(int32_t s, const char *text, int32_t n) {
    n = nonneg(n);
    if (s == 0)
        return build("UIXSTR", text, n);
    int32_t old = string_length(s);
    // Text taken from the string itself would move with the block.
    std::string own_copy;
    const char *c = string_chars(s);
    if (n > 0 && text >= c && text <= c + old) {
        own_copy.assign(text, static_cast<size_t>(n));
        text = own_copy.data();
    }
    if (int64_t{old} + n >= INT32_MAX || !resize_keeping(s, old + n)) {
        OSTORE();
        return s;
    }
    if (n > 0)
        std::memcpy(string_chars(s, old + 1), text, static_cast<size_t>(n));
    return s;
}

} // namespace

extern "C" {

int32_t UIESTR(const char *text, const int32_t *n, int32_t text_len) {
    (void)text_len;
    return build("UIESTR", text, nonneg(*n));
}
KT_FORTRAN_ALIAS(UIESTR, uiestr_);

int32_t UIMSTR(const char *text, int32_t text_len) { return build("UIMSTR", text, trimmed_length(text, text_len)); }
KT_FORTRAN_ALIAS(UIMSTR, uimstr_);

int32_t UINSTR(const char *text, const int32_t *n, int32_t text_len) {
    (void)text_len;
    return build("UINSTR", text, trimmed_length(text, *n));
}
KT_FORTRAN_ALIAS(UINSTR, uinstr_);

int32_t UIRSTR(const double *cell) {
    char name[kCell];
    std::memcpy(name, cell, kCell);
    return build("UIRSTR", name, trimmed_length(name, kCell));
}
KT_FORTRAN_ALIAS(UIRSTR, uirstr_);

int32_t UICSTR(const int32_t *string) {
    int32_t s = *string;
    return s == 0 ? 0 : build("UICSTR", string_chars(s), string_length(s));
}
KT_FORTRAN_ALIAS(UICSTR, uicstr_);

int32_t UITSTR(const int32_t *string, const int32_t *n) {
    int32_t s = *string;
    if (s == 0)
        return 0;
    int32_t len = string_length(s), keep = nonneg(*n);
    return build("UITSTR", string_chars(s), keep < len ? keep : len);
}
KT_FORTRAN_ALIAS(UITSTR, uitstr_);

int32_t UIASTR(const int32_t *string, const char *text, int32_t text_len) {
    int32_t s = *string, added = nonneg(text_len);
    if (s == 0)
        return build("UIASTR", text, added);
    if (int64_t{string_length(s)} + added >= INT32_MAX) {
        OSTORE();
        return 0;
    }
    return build("UIASTR", string_chars(s), string_length(s), text, added);
}
KT_FORTRAN_ALIAS(UIASTR, uiastr_);

int32_t UIXSTR(const int32_t *string, const char *text, const int32_t *n, int32_t text_len) {
    (void)text_len;
    return extend(*string, text, *n);
}
KT_FORTRAN_ALIAS(UIXSTR, uixstr_);

int32_t UIDSTR(int32_t *string) {
    STRFS(string);
    return 0;
}
KT_FORTRAN_ALIAS(UIDSTR, uidstr_);

} // extern "C"
