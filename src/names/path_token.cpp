// Path tokens: one call reads one token of a hierarchical object path.
//
// Invariants: only text(1..n) is read; every token except the end token at
// pos > n moves pos forward (a token that would not is a syntax error), so
// a caller that reads until the end token always stops. A syntax error
// leaves pos where it was and both values 0. Names are lower-cased in place
// before the table lookup unless they start with "@"; no name is looked up
// before the token is known to be well formed.
#include "path_token.h"

#include <initializer_list>

#include "../common/abi.h"
#include "../text/ascii.h"
#include "kt/host.h"
#include "kt/text.h"

using kt::text::lower_ascii;

namespace {

constexpr int32_t kSyntax = KT_PATH_SYNTAX_ERROR;

// The text seen 1-based; at(k) only for 1 <= k <= n.
struct Text {
    char *t;
    int32_t n;
    char at(int32_t k) const { return t[k - 1]; }
    bool is(int32_t k, char c) const { return k >= 1 && k <= n && t[k - 1] == c; }
};

int32_t lookup(const Text &x, int32_t table, int32_t start, int32_t len, kt_path_token &tok, int slot) {
    char *name = x.t + start - 1;
    if (len > 0 && name[0] != '@')
        LCASES(name, &len, len);
    int32_t index = 0;
    STE(&table, name, &len, &index, len);
    tok.name_start[slot] = start;
    tok.name_length[slot] = len;
    return index;
}

// The characters that end a name or change how it is read; the scan over
// all others is one table look-up each.
struct NameStops {
    bool stop[256] = {};
    NameStops() {
        for (unsigned char c : {'/', '(', ')', '[', '-', '.', '@'})
            stop[c] = true;
    }
};
const NameStops kNameStops;

// text(s..e-1) is exactly "*".
bool is_star(const Text &x, int32_t s, int32_t e) { return e - s == 1 && x.at(s) == '*'; }
bool starts_with_star(const Text &x, int32_t s, int32_t e) { return e > s && x.at(s) == '*'; }

bool same_word(const Text &x, int32_t s, int32_t e, const char *word) {
    int32_t i = 0;
    for (; s + i < e; ++i)
        if (word[i] == '\0' || lower_ascii(x.at(s + i)) != word[i])
            return false;
    return word[i] == '\0';
}

// True when a ")" or the end of the text comes before any "." from j on:
// the "(" before j then opens a branch function rather than a name's part.
bool closes_before_dot(const Text &x, int32_t j) {
    for (; j <= x.n; ++j) {
        if (x.at(j) == ')')
            return true;
        if (x.at(j) == '.')
            return false;
    }
    return true;
}

// End of a selection field from k: the first "," or "]" (or ":" when
// `colon`); 0 when the text ends first.
int32_t field_end(const Text &x, int32_t k, bool colon) {
    for (; k <= x.n; ++k) {
        char c = x.at(k);
        if (c == ',' || c == ']' || (colon && c == ':'))
            return k;
    }
    return 0;
}

bool read_number(const Text &x, int32_t s, int32_t e, int32_t *value) {
    int32_t len = e - s;
    return VBCS2I(x.t + s - 1, &len, value, len) == 0;
}

// "[" or "," at p: an index, a wildcard or a range, up to "]" or the next ",".
int32_t selection(const Text &x, int32_t p, kt_path_token &tok, int32_t *pos) {
    int32_t e1 = field_end(x, p + 1, true);
    if (e1 == 0)
        return kSyntax;
    bool any = is_star(x, p + 1, e1);
    if (!any && !read_number(x, p + 1, e1, &tok.v1))
        return kSyntax;
    int32_t code = any ? KT_PATH_INDEX_ANY : KT_PATH_INDEX, end = e1;
    if (x.at(e1) == ':') {
        end = field_end(x, e1 + 1, false);
        if (end == 0)
            return kSyntax;
        if (any) {
            if (!read_number(x, e1 + 1, end, &tok.v1))
                return kSyntax;
            code = KT_PATH_RANGE_TO;
        } else if (is_star(x, e1 + 1, end)) {
            code = KT_PATH_RANGE_FROM;
        } else {
            if (!read_number(x, e1 + 1, end, &tok.v2))
                return kSyntax;
            code = KT_PATH_RANGE;
        }
    }
    *pos = x.at(end) == ']' ? end + 1 : end;
    return code;
}

// A name, a.b form, wildcard or branch function starting at p (after an
// optional "(" or "->").
int32_t name_token(const Text &x, int32_t p, int32_t table, kt_path_token &tok, int32_t *pos) {
    int32_t s = p;
    if (x.at(p) == '(')
        s = p + 1;
    else if (x.at(p) == '-' && x.is(p + 1, '>'))
        s = p + 2;
    int32_t k = s, dot = 0;
    bool arrow = false;
    while (k <= x.n) {
        char c = x.at(k);
        if (!kNameStops.stop[static_cast<unsigned char>(c)]) {
            ++k;
            continue;
        }
        if (c == '/' || c == '(' || c == ')' || c == '[')
            break;
        if (c == '-' && x.is(k + 1, '>')) {
            arrow = true;
            break;
        }
        if (c == '.') {
            if (dot != 0)
                return kSyntax;
            dot = k;
        } else if (c == '@') {
            // A quoted part is taken as written, terminators and all.
            if (!x.is(k + 1, '"'))
                return kSyntax;
            int32_t q = k + 2;
            while (q <= x.n && x.at(q) != '"')
                ++q;
            if (q > x.n)
                return kSyntax;
            k = q;
        }
        ++k;
    }
    if (arrow && dot != 0)
        return kSyntax;
    int32_t next = k > x.n || x.at(k) == '[' ? k : arrow ? k + 2 : k + 1;
    if (next == p)
        return kSyntax; // a "[" too near the end to be a selection
    bool paren = k <= x.n && x.at(k) == '(';

    int32_t code;
    if (dot != 0) {
        bool star_a = starts_with_star(x, s, dot), star_b = starts_with_star(x, dot + 1, k);
        bool exact_a = is_star(x, s, dot), exact_b = is_star(x, dot + 1, k);
        if (exact_a && exact_b) {
            code = KT_PATH_ANY_ANY;
        } else if (star_a) {
            if (!exact_a)
                return kSyntax;
            tok.v1 = lookup(x, table, dot + 1, k - dot - 1, tok, 0);
            code = KT_PATH_ANY_NAME;
        } else if (star_b) {
            if (!exact_b)
                return kSyntax;
            tok.v1 = lookup(x, table, s, dot - s, tok, 0);
            code = KT_PATH_NAME_ANY;
        } else {
            tok.v1 = lookup(x, table, s, dot - s, tok, 0);
            tok.v2 = lookup(x, table, dot + 1, k - dot - 1, tok, 1);
            code = KT_PATH_QUALIFIED;
        }
    } else if (starts_with_star(x, s, k)) {
        if (!is_star(x, s, k))
            return kSyntax;
        code = paren && closes_before_dot(x, k + 1) ? KT_PATH_ANY_BRANCH : KT_PATH_ANY;
    } else {
        tok.v1 = lookup(x, table, s, k - s, tok, 0);
        if (k > x.n)
            code = KT_PATH_NAME;
        else if (x.at(s) == '/')
            code = KT_PATH_ROOT; // "(/" or "->/"
        else if (!paren || !closes_before_dot(x, k + 1))
            code = KT_PATH_NAME;
        else if (same_word(x, s, k, "across"))
            code = KT_PATH_ACROSS;
        else if (same_word(x, s, k, "through"))
            code = KT_PATH_THROUGH;
        else
            code = KT_PATH_BRANCH_FN;
    }
    *pos = next;
    return code;
}

// A "." step, with the "/" after it when there is one.
int32_t dots(const Text &x, int32_t p, int32_t count, int32_t code, int32_t *pos) {
    *pos = x.is(p + count, '/') ? p + count + 1 : p + count;
    return code;
}

} // namespace

namespace kt::names {

int32_t read_path_token(char *text, int32_t n, int32_t *pos, int32_t table, kt_path_token &tok) {
    tok = kt_path_token{};
    Text x{text, n < 0 ? 0 : n};
    int32_t p = *pos, next = p, code;
    if (p > x.n)
        return tok.code = KT_PATH_END;
    if (p < 1)
        return tok.code = kSyntax;
    char c = x.at(p);
    int32_t rest = x.n - p + 1;
    if (c == ')') {
        code = KT_PATH_END;
        next = p + 1;
    } else if (c == '/') {
        code = p == 1 ? KT_PATH_ROOT : KT_PATH_SEPARATOR;
        next = p + 1;
    } else if (c == '.') {
        if (rest >= 3 && x.at(p + 1) == '.' && x.at(p + 2) == '.')
            code = dots(x, p, 3, KT_PATH_ANY_LEVELS, &next);
        else if (rest >= 2 && x.at(p + 1) == '.')
            code = dots(x, p, 2, KT_PATH_UP, &next);
        else
            code = dots(x, p, 1, KT_PATH_HERE, &next);
    } else if (rest >= 3 && (c == '[' || c == ',')) {
        code = selection(x, p, tok, &next);
    } else {
        code = name_token(x, p, table, tok, &next);
    }
    if (code == kSyntax) {
        tok = kt_path_token{};
        tok.code = kSyntax;
        return kSyntax;
    }
    *pos = next;
    return tok.code = code;
}

} // namespace kt::names

extern "C" {

int32_t SEPTH1(char *text, const int32_t *n, int32_t *pos, const int32_t *table, int32_t *v1, int32_t *v2,
               int32_t *code, int32_t text_len) {
    (void)text_len; // the explicit count rules
    kt_path_token tok;
    kt::names::read_path_token(text, *n, pos, *table, tok);
    *v1 = tok.v1;
    *v2 = tok.v2;
    *code = tok.code;
    return tok.code;
}

int32_t kt_path_token_read(char *text, int32_t n, int32_t *pos, int32_t table, kt_path_token *token) {
    return kt::names::read_path_token(text, n, pos, table, *token);
}

} // extern "C"

KT_FORTRAN_ALIAS(SEPTH1, septh1_)
