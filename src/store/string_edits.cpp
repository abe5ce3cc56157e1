// Editing word-store strings in place: deleting a range, deleting every
// copy of a character, substituting %{name} references; and the accessors
// that give C callers the location of a string's characters.
//
// Every edit keeps the string well formed (terminating 0 at length + 1).
// STRSUB finds all references first (the scan never looks into inserted
// values, so they depend on the original text only), then moves each
// character once; a substitution that lengthens the string asks the store
// once for the final length, and when that is refused the string is left
// exactly as it was.
#include <cstring>
#include <string>
#include <vector>

#include "common/fortran_alias.h"
#include "common/ascii.h"
#include "common/c_text.h"
#include "host/host_calls.h"
#include "kt/host.h"
#include "kt/store.h"
#include "word_string.h"

using namespace kt::store;
using namespace kt::text;

namespace {

constexpr int32_t kReferenceExtra = 3; // '%', '{' and '}' around the name

// 0-based starts of the references to `name` in the first m characters.
std::vector<int32_t> find_references(const char *c, int32_t m, const char *name, int32_t name_len) {
    std::vector<int32_t> refs;
    int32_t i = 0;
    while (i < m) {
        const void *hit = std::memchr(c + i, '%', static_cast<size_t>(m - i));
        if (!hit)
            break;
        i = static_cast<int32_t>(static_cast<const char *>(hit) - c);
        if (i + 1 >= m || c[i + 1] != '{') {
            i += 2; // a '%' not opening a reference hides the character after it
            continue;
        }
        const void *close = std::memchr(c + i + 2, '}', static_cast<size_t>(m - i - 2));
        if (!close)
            break;
        int32_t end = static_cast<int32_t>(static_cast<const char *>(close) - c), len = end - i - 2;
        if (len == name_len && UISCMP(c + i + 2, &len, name, &name_len, len, name_len) == 0)
            refs.push_back(i);
        i = end + 1;
    }
    return refs;
}

// Replaces the references (not lengthening the string): every kept
// character moves down, never up.
void substitute_shrinking(int32_t s, const std::vector<int32_t> &refs, int32_t ref_len, const char *value,
                          int32_t value_len, int32_t new_len) {
    char *c = string_chars(s);
    int32_t m = string_length(s), read = 0, write = 0;
    for (int32_t at : refs) {
        std::memmove(c + write, c + read, static_cast<size_t>(at - read));
        write += at - read;
        std::memmove(c + write, value, static_cast<size_t>(value_len));
        write += value_len;
        read = at + ref_len;
    }
    std::memmove(c + write, c + read, static_cast<size_t>(m - read));
    resize_keeping(s, new_len);
}

// Replaces the references after the string has been lengthened, from the
// end backwards so that every kept character moves up, never down.
void substitute_growing(int32_t s, const std::vector<int32_t> &refs, int32_t ref_len, const char *value,
                        int32_t value_len, int32_t old_len) {
    char *c = string_chars(s);
    int32_t read_end = old_len, write_end = string_length(s);
    for (auto it = refs.rbegin(); it != refs.rend(); ++it) {
        int32_t tail = read_end - (*it + ref_len);
        write_end -= tail;
        std::memmove(c + write_end, c + *it + ref_len, static_cast<size_t>(tail));
        write_end -= value_len;
        std::memcpy(c + write_end, value, static_cast<size_t>(value_len));
        read_end = *it;
    }
}

int32_t substitute(int32_t *string, const char *name, int32_t name_len, const char *value, int32_t value_len,
                   int32_t *count) {
    *count = 0;
    int32_t s = *string;
    if (s == 0)
        return 0;
    int32_t m = string_length(s);
    if (value_len < 0)
        value_len = 0;
    std::vector<int32_t> refs = find_references(string_chars(s), m, name, name_len);
    if (refs.empty())
        return 0;
    const int32_t ref_len = name_len + kReferenceExtra;
    int64_t new_len = m + static_cast<int64_t>(refs.size()) * (value_len - ref_len);
    // A value taken from the string itself would move with it.
    std::string own_copy;
    const char *c = string_chars(s);
    if (value_len > 0 && value >= c && value <= c + m) {
        own_copy.assign(value, static_cast<size_t>(value_len));
        value = own_copy.data();
    }
    if (new_len <= m) {
        substitute_shrinking(s, refs, ref_len, value, value_len, static_cast<int32_t>(new_len));
    } else {
        if (new_len >= INT32_MAX || !resize_keeping(s, static_cast<int32_t>(new_len))) {
            kt::raise_no_store("strsub");
            return *count = -1;
        }
        substitute_growing(s, refs, ref_len, value, value_len, m);
    }
    return *count = static_cast<int32_t>(refs.size());
}

} // namespace

extern "C" {

int32_t STRDLR(const int32_t *string, const int32_t *from, const int32_t *to, int32_t *count) {
    *count = 0;
    int32_t s = *string;
    if (s == 0)
        return 0;
    int32_t m = string_length(s), last = *to < m ? *to : m;
    if (*from < 1 || *from > last)
        return 0;
    char *c = string_chars(s);
    std::memmove(c + *from - 1, c + last, static_cast<size_t>(m - last));
    resize_keeping(s, m - (last - *from + 1));
    return *count = last - *from + 1;
}
KT_FORTRAN_ALIAS(STRDLR, strdlr_);

int32_t STRDLC(const int32_t *string, const char *ch, int32_t *count, int32_t ch_len) {
    *count = 0;
    int32_t s = *string;
    if (s == 0 || ch_len < 1)
        return 0;
    char *c = string_chars(s);
    int32_t m = string_length(s), kept = 0;
    for (int32_t i = 0; i < m; ++i)
        if (c[i] != ch[0])
            c[kept++] = c[i];
    resize_keeping(s, kept);
    return *count = m - kept;
}
KT_FORTRAN_ALIAS(STRDLC, strdlc_);

int32_t STRSUB(int32_t *string, const char *name, const char *value, int32_t *count, int32_t name_len,
               int32_t value_len) {
    return substitute(string, name, name_len, value, value_len, count);
}
KT_FORTRAN_ALIAS(STRSUB, strsub_);

int32_t c_strsub(int32_t string, const char *name, const char *value, int32_t *count) {
    int32_t ignored = 0;
    return substitute(&string, kt::c_text(name), kt::terminated_length(name), kt::c_text(value),
                      kt::terminated_length(value), count ? count : &ignored);
}

int32_t STRAD(const int32_t *string) { return *string == 0 ? 0 : string_block(*string); }
KT_FORTRAN_ALIAS(STRAD, strad_);

int32_t c_strad(int32_t string) { return STRAD(&string); }

char *cstrp(int32_t string) { return string == 0 ? nullptr : string_chars(string); }

} // extern "C"
