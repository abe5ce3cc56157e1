// Result file identifiers: dir/name.ext.CC (class 1), dir/name.CC.ext
// (class 2) and dir/name.CC (class 3), where CC is wf or one of p d e i r
// followed by 1, 2 or 3 (letters in either case); kt_pl also counts as a
// code after the last dot.
//
// Only text(1..n) is read. A text without any "." is no identifier, and
// MKRFID writes no more than the declared room of its name text.
#include <cstring>
#include <string>

#include "common/fortran_alias.h"
#include "common/ascii.h"
#include "common/blank_trim.h"
#include "common/nonneg.h"
#include "kt/names.h"

using kt::nonneg;
using kt::significant_length;
using kt::text::lower_ascii;

namespace {

struct Text {
    const char *t;
    int32_t n;
    char at(int32_t k) const { return t[k - 1]; }
};

// Last position before `before` that holds c; 0 when none.
int32_t last_of(const Text &x, char c, int32_t before) {
    for (int32_t k = before - 1; k >= 1; --k)
        if (x.at(k) == c)
            return k;
    return 0;
}

int32_t first_of(const Text &x, char c, int32_t from) {
    for (int32_t k = from; k <= x.n; ++k)
        if (x.at(k) == c)
            return k;
    return 0;
}

bool letter_code(char a, char b) {
    a = lower_ascii(a);
    return (a == 'p' || a == 'd' || a == 'e' || a == 'i' || a == 'r') && b >= '1' && b <= '3';
}
bool wf_code(char a, char b) { return lower_ascii(a) == 'w' && lower_ascii(b) == 'f'; }

bool kt_pl_at(const Text &x, int32_t k) {
    static const char word[] = "kt_pl";
    if (k < 1 || k + 4 > x.n)
        return false;
    for (int32_t i = 0; i < 5; ++i)
        if (lower_ascii(x.at(k + i)) != word[i])
            return false;
    return true;
}

int32_t layout_class(const Text &x) {
    int32_t s = last_of(x, '/', x.n + 1), d1 = last_of(x, '.', x.n + 1);
    if (d1 == 0 || d1 < s)
        return 0;
    int32_t d2 = last_of(x, '.', d1);
    bool code_after_d1 = d1 + 2 <= x.n;
    if (d2 < s)
        return code_after_d1 && (letter_code(x.at(d1 + 1), x.at(d1 + 2)) || wf_code(x.at(d1 + 1), x.at(d1 + 2))) ? 3
                                                                                                                 : 0;
    bool middle_code = d1 == d2 + 3;
    if (kt_pl_at(x, d1 + 1))
        return 1;
    if (middle_code && letter_code(x.at(d2 + 1), x.at(d2 + 2)))
        return 2;
    if (code_after_d1 && letter_code(x.at(d1 + 1), x.at(d1 + 2)))
        return 1;
    if (middle_code && wf_code(x.at(d2 + 1), x.at(d2 + 2)))
        return 2;
    if (code_after_d1 && wf_code(x.at(d1 + 1), x.at(d1 + 2)))
        return 1;
    return 0;
}

// Kind of the code at k, k+1 (k + 1 <= n).
int32_t kind_at(const Text &x, int32_t k) {
    if (kt_pl_at(x, k))
        return 2;
    char a = lower_ascii(x.at(k)), b = x.at(k + 1);
    if (wf_code(a, b))
        return 1;
    int32_t digit = b - '0';
    if (digit < 1 || digit > 3)
        return 0;
    switch (a) {
    case 'p':
        return 1 + digit;
    case 'd':
        return 4 + digit;
    case 'e':
        return digit < 3 ? 7 + digit : 0;
    case 'i':
        return digit < 3 ? 9 + digit : 0;
    case 'r':
        return digit < 3 ? 11 + digit : 0;
    default:
        return 0;
    }
}

struct Parts {
    int32_t s1 = 0, e1 = 0, s2 = 0, e2 = 0, code = 0; // code: position of its first character
};

// The parts of an identifier by its class; code 0 when it has none.
Parts parse(const Text &x) {
    Parts p;
    int32_t cls = layout_class(x);
    if (cls == 0)
        return p;
    int32_t s = last_of(x, '/', x.n + 1);
    if (cls == 3) {
        int32_t s2 = last_of(x, '/', s);
        if ((s2 == 0 && x.at(1) == '.') || s - 1 > x.n - 5 || x.at(x.n - 2) != '.')
            return p;
        return {s2 + 1, s - 1, s + 1, x.n - 3, x.n - 1};
    }
    if (s == 0 && x.at(1) == '.')
        return p;
    int32_t f = first_of(x, '.', s + 1);
    if (cls == 2) {
        if (f - 1 > x.n - 5 || x.at(f + 3) != '.')
            return p;
        return {s + 1, f - 1, f + 4, x.n, f + 1};
    }
    int32_t g = first_of(x, '.', f + 1);
    if (g == 0 || g - 1 > x.n - 3)
        return p;
    return {s + 1, f - 1, f + 1, g - 1, g + 1};
}

int32_t count_of(const char *t, int32_t n, char c) {
    int32_t count = 0;
    for (int32_t i = 0; i < n; ++i)
        count += t[i] == c;
    return count;
}

// Puts the directory of `ref` before name(1..len) when it fits in `room`.
int32_t make_relative(const Text &ref, char *name, int32_t len, int32_t room) {
    int32_t cls = layout_class(ref), prefix = 0, slashes = count_of(name, len, '/');
    if (cls == 1 || cls == 2) {
        if (slashes > 0)
            return 0;
        prefix = last_of(ref, '/', ref.n + 1);
    } else if (cls == 3) {
        if (slashes > 1)
            return 0;
        prefix = last_of(ref, '/', last_of(ref, '/', ref.n + 1));
    }
    if (int64_t{len} + prefix > room)
        return 0;
    if (prefix > 0) {
        std::string dir(ref.t, static_cast<size_t>(prefix)); // ref may share name's storage
        std::memmove(name + prefix, name, static_cast<size_t>(len));
        std::memcpy(name, dir.data(), dir.size());
    }
    return len + prefix;
}

int32_t parse_fid(const char *text, int32_t n, int32_t *s1, int32_t *e1, int32_t *s2, int32_t *e2, int32_t *kind) {
    Text x{text, nonneg(n)};
    Parts p = parse(x);
    *s1 = p.s1;
    *e1 = p.e1;
    *s2 = p.s2;
    *e2 = p.e2;
    *kind = p.code ? kind_at(x, p.code) : 0;
    return *kind;
}

} // namespace

extern "C" {

int32_t FIDFMT(const char *text, const int32_t *n, int32_t text_len) {
    (void)text_len; // the explicit count rules
    return layout_class(Text{text, nonneg(*n)});
}

int32_t PRSFID(const char *text, const int32_t *n, int32_t *s1, int32_t *e1, int32_t *s2, int32_t *e2, int32_t *kind,
               int32_t text_len) {
    (void)text_len;
    return parse_fid(text, *n, s1, e1, s2, e2, kind);
}

int32_t c_prsfid(const char *text, int32_t n, int32_t *s1, int32_t *e1, int32_t *s2, int32_t *e2, int32_t *kind) {
    return parse_fid(text, n, s1, e1, s2, e2, kind);
}

int32_t MKRFID(const char *ref, const int32_t *ref_n, char *name, const int32_t *capacity, int32_t *out,
               int32_t ref_len, int32_t name_len) {
    (void)ref_len;
    int32_t room = nonneg(*capacity) < nonneg(name_len) ? nonneg(*capacity) : nonneg(name_len);
    *out = make_relative(Text{ref, nonneg(*ref_n)}, name, significant_length(name, room), room);
    return *out;
}

int32_t c_mkrfid(const char *ref, int32_t ref_n, char *name, int32_t capacity, int32_t *out) {
    int32_t room = capacity > 0 ? capacity - 1 : 0; // keeps a byte for the zero
    int32_t len = 0;
    while (len < room && name[len] != '\0')
        ++len;
    *out = make_relative(Text{ref, nonneg(ref_n)}, name, significant_length(name, len), room);
    if (*out > 0)
        name[*out] = '\0';
    return *out;
}

} // extern "C"

KT_FORTRAN_ALIAS(FIDFMT, fidfmt_);
KT_FORTRAN_ALIAS(PRSFID, prsfid_);
KT_FORTRAN_ALIAS(MKRFID, mkrfid_);
