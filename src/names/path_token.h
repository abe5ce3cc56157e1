// The path token reader shared by SEPTH1, SEPTHI, kt_path_token_read and
// kt_path_next; inline, so that compiling a whole path costs no call per
// token.
//
// Invariants: only text(1..n) is read; every token except the end token at
// pos > n moves pos forward (a token that would not is a syntax error), so
// a caller that reads until the end token always stops. A syntax error
// leaves pos where it was and both values 0. Names are lower-cased in place
// before the table lookup unless they start with "@"; no name is looked up
// before the token is known to be well formed. A selection number is the
// number written: one outside the 32-bit range is a syntax error, never a
// wrapped value. A ")" in position 1 closes nothing and is a syntax error
// rather than the end of an empty path.
//
// Telling "f(" (a branch function) from "f(a.b" (a name) looks ahead to
// the next ")" or "."; a reader that keeps its Lookahead from token to
// token scans each character for that once per path, so reading a whole
// path is linear in its length.
#ifndef KT_SRC_NAMES_PATH_TOKEN_H
#define KT_SRC_NAMES_PATH_TOKEN_H

#include <cstdint>
#include <initializer_list>

#include "common/ascii.h"
#include "common/nonneg.h"
#include "kt/host.h"
#include "kt/names.h"
#include "kt/text.h"

namespace kt::names {

// What a reader of a whole path has seen ahead: text(from..at-1) holds no
// ")" and no ".", and text(at) is one of them (at = n + 1: the text ends
// first). from = 0: nothing seen yet. Only letters change in the text while
// a path is read, so what was seen stays true for the whole path.
struct Lookahead {
    int32_t from = 0, at = 0;
};

// What a character does to the name being scanned; most only extend it,
// which costs one table look-up, and the scan notes capitals on the way so
// that a name already in lower case is not lower-cased again.
enum NameClass : unsigned char { kNamePart = 0, kCapital = 1, kNameEnd, kDash, kDot, kAt };

struct NameClasses {
    unsigned char of[256] = {};
    constexpr NameClasses() {
        for (unsigned char c = 'A'; c <= 'Z'; ++c)
            of[c] = kCapital;
        for (unsigned char c : {'/', '(', ')', '['})
            of[c] = kNameEnd;
        of[static_cast<unsigned char>('-')] = kDash;
        of[static_cast<unsigned char>('.')] = kDot;
        of[static_cast<unsigned char>('@')] = kAt;
    }
};
inline constexpr NameClasses kNameClass{};

// Reads the tokens of text(1..n), positions 1-based; at(k) only for
// 1 <= k <= n. Values and names of a token go into tok as they are found.
class TokenReader {
public:
    TokenReader(char *text, int32_t n, int32_t table, kt_path_token &tok, Lookahead &ahead)
        : t_(text), n_(kt::nonneg(n)), table_(table), tok_(tok), ahead_(ahead) {}

    // Reads the token at *pos into tok and returns its code; see SEPTH1.
    [[gnu::always_inline]] int32_t read(int32_t *pos) {
        tok_ = kt_path_token{};
        int32_t p = *pos, next = p + 1, code;
        if (p > n_)
            return tok_.code = KT_PATH_END;
        if (p < 1)
            return tok_.code = kSyntax;
        switch (at(p)) {
        case ')':
            code = p == 1 ? kSyntax : KT_PATH_END;
            break;
        case '/':
            code = p == 1 ? KT_PATH_ROOT : KT_PATH_SEPARATOR;
            break;
        case '.':
            code = dots(p, &next);
            break;
        case '[':
        case ',':
            if (n_ - p >= 2) {
                code = selection(p, &next);
                break;
            }
            [[fallthrough]]; // too near the end: read as a name
        default:
            code = name_token(p, &next);
            break;
        }
        if (code == kSyntax || refused_) {
            refused_ = false;
            tok_ = kt_path_token{};
            return tok_.code = kSyntax;
        }
        *pos = next;
        return tok_.code = code;
    }

private:
    static constexpr int32_t kSyntax = KT_PATH_SYNTAX_ERROR;

    char at(int32_t k) const { return t_[k - 1]; }
    bool is(int32_t k, char c) const { return k >= 1 && k <= n_ && t_[k - 1] == c; }
    // text(s..e-1) is exactly "*", or starts with "*".
    bool is_star(int32_t s, int32_t e) const { return e - s == 1 && at(s) == '*'; }
    bool starts_with_star(int32_t s, int32_t e) const { return e > s && at(s) == '*'; }

    bool same_word(int32_t s, int32_t e, const char *word) const {
        int32_t i = 0;
        for (; s + i < e; ++i)
            if (word[i] == '\0' || kt::text::lower_ascii(at(s + i)) != word[i])
                return false;
        return word[i] == '\0';
    }

    // ".", ".." or "..." at p, with the "/" after it when there is one.
    int32_t dots(int32_t p, int32_t *next) const {
        int32_t count = is(p + 1, '.') ? is(p + 2, '.') ? 3 : 2 : 1;
        *next = is(p + count, '/') ? p + count + 1 : p + count;
        return count == 3 ? KT_PATH_ANY_LEVELS : count == 2 ? KT_PATH_UP : KT_PATH_HERE;
    }

    // The index of text(start..start+len-1) in the name table, lower-cased
    // first (when it may hold capitals) unless it starts with "@"; `slot` 0
    // for V1, 1 for V2. A name the table could not enter (reported by STE)
    // makes the token a syntax error rather than a token naming nothing.
    int32_t lookup(int32_t start, int32_t len, int slot, unsigned char capitals) {
        char *name = t_ + start - 1;
        if (capitals != 0 && len > 0 && name[0] != '@')
            for (int32_t i = 0; i < len; ++i)
                name[i] = kt::text::lower_ascii(name[i]);
        int32_t length = len, index = 0; // only the copy has its address taken
        STE(&table_, name, &length, &index, len);
        refused_ |= index == 0;
        tok_.name_start[slot] = start;
        tok_.name_length[slot] = len;
        return index;
    }

    // True when a ")" or the end of the text comes before any "." from j
    // on: the "(" before j then opens a branch function rather than a
    // name's part.
    bool closes_before_dot(int32_t j) {
        int32_t stop = j;
        if (ahead_.from != 0 && ahead_.from <= j && j <= ahead_.at) {
            stop = ahead_.at;
        } else {
            while (stop <= n_ && at(stop) != ')' && at(stop) != '.')
                ++stop;
            ahead_ = {j, stop};
        }
        return stop > n_ || at(stop) == ')';
    }

    // End of a selection field from k: the first "," or "]" (or ":" when
    // `colon`); 0 when the text ends first.
    int32_t field_end(int32_t k, bool colon) const {
        for (; k <= n_; ++k) {
            char c = at(k);
            if (c == ',' || c == ']' || (colon && c == ':'))
                return k;
        }
        return 0;
    }

    // A selection number as VBCS2I reads it (an optional sign, then digits;
    // an empty field or a lone sign is 0), read here in one pass, and
    // refused when the number written lies outside the 32-bit range, where
    // VBCS2I would give it modulo 2^32.
    bool number(int32_t s, int32_t e, int32_t *value) const {
        bool negative = s < e && at(s) == '-';
        if (s < e && (negative || at(s) == '+'))
            ++s;
        constexpr uint64_t kMagnitudeOfMin = uint64_t{1} << 31;
        uint64_t magnitude = 0;
        for (; s < e; ++s) {
            unsigned digit = static_cast<unsigned char>(at(s)) - unsigned{'0'};
            if (digit > 9)
                return false;
            magnitude = magnitude * 10 + digit;
            if (magnitude > kMagnitudeOfMin)
                return false;
        }
        if (!negative && magnitude == kMagnitudeOfMin)
            return false;
        *value = static_cast<int32_t>(negative ? 0 - magnitude : magnitude);
        return true;
    }

    // "[" or "," at p: an index, a wildcard or a range, up to "]" or the
    // next ",".
    int32_t selection(int32_t p, int32_t *next) {
        int32_t e1 = field_end(p + 1, true);
        if (e1 == 0)
            return kSyntax;
        bool any = is_star(p + 1, e1);
        if (!any && !number(p + 1, e1, &tok_.v1))
            return kSyntax;
        int32_t code = any ? KT_PATH_INDEX_ANY : KT_PATH_INDEX, end = e1;
        if (at(e1) == ':') {
            end = field_end(e1 + 1, false);
            if (end == 0)
                return kSyntax;
            if (any) {
                if (!number(e1 + 1, end, &tok_.v1))
                    return kSyntax;
                code = KT_PATH_RANGE_TO;
            } else if (is_star(e1 + 1, end)) {
                code = KT_PATH_RANGE_FROM;
            } else {
                if (!number(e1 + 1, end, &tok_.v2))
                    return kSyntax;
                code = KT_PATH_RANGE;
            }
        }
        *next = at(end) == ']' ? end + 1 : end;
        return code;
    }

    // A name, a.b form, wildcard or branch function starting at p (after
    // an optional "(" or "->").
    [[gnu::always_inline]] int32_t name_token(int32_t p, int32_t *next) {
        int32_t s = p;
        if (at(p) == '(')
            s = p + 1;
        else if (at(p) == '-' && is(p + 1, '>'))
            s = p + 2;
        int32_t k = s, dot = 0;
        bool arrow = false;
        unsigned char capitals = 0; // kCapital seen
        for (; k <= n_; ++k) {
            unsigned char kind = kNameClass.of[static_cast<unsigned char>(at(k))];
            if (kind <= kCapital) {
                capitals |= kind;
                continue;
            }
            if (kind == kNameEnd)
                break;
            if (kind == kDash) {
                if (is(k + 1, '>')) {
                    arrow = true;
                    break;
                }
            } else if (kind == kDot) {
                if (dot != 0)
                    return kSyntax;
                dot = k;
            } else {
                // "@": a quoted part is taken as written, terminators and all.
                if (!is(k + 1, '"'))
                    return kSyntax;
                int32_t q = k + 2;
                while (q <= n_ && at(q) != '"')
                    ++q;
                if (q > n_)
                    return kSyntax;
                k = q;
                capitals = kCapital; // not scanned: lower-case the name in any case
            }
        }
        if (arrow && dot != 0)
            return kSyntax;
        int32_t after = k > n_ || at(k) == '[' ? k : arrow ? k + 2 : k + 1;
        if (after == p)
            return kSyntax; // a "[" too near the end to be a selection
        bool paren = k <= n_ && at(k) == '(';

        int32_t code;
        if (dot != 0) {
            bool star_a = starts_with_star(s, dot), star_b = starts_with_star(dot + 1, k);
            bool exact_a = is_star(s, dot), exact_b = is_star(dot + 1, k);
            if (exact_a && exact_b) {
                code = KT_PATH_ANY_ANY;
            } else if (star_a) {
                if (!exact_a)
                    return kSyntax;
                tok_.v1 = lookup(dot + 1, k - dot - 1, 0, capitals);
                code = KT_PATH_ANY_NAME;
            } else if (star_b) {
                if (!exact_b)
                    return kSyntax;
                tok_.v1 = lookup(s, dot - s, 0, capitals);
                code = KT_PATH_NAME_ANY;
            } else {
                tok_.v1 = lookup(s, dot - s, 0, capitals);
                tok_.v2 = lookup(dot + 1, k - dot - 1, 1, capitals);
                code = KT_PATH_QUALIFIED;
            }
        } else if (starts_with_star(s, k)) {
            if (!is_star(s, k))
                return kSyntax;
            code = paren && closes_before_dot(k + 1) ? KT_PATH_ANY_BRANCH : KT_PATH_ANY;
        } else {
            tok_.v1 = lookup(s, k - s, 0, capitals);
            if (k > n_)
                code = KT_PATH_NAME;
            else if (at(s) == '/')
                code = KT_PATH_ROOT; // "(/" or "->/"
            else if (!paren || !closes_before_dot(k + 1))
                code = KT_PATH_NAME;
            else if (same_word(s, k, "across"))
                code = KT_PATH_ACROSS;
            else if (same_word(s, k, "through"))
                code = KT_PATH_THROUGH;
            else
                code = KT_PATH_BRANCH_FN;
        }
        *next = after;
        return code;
    }

    char *t_;
    int32_t n_, table_;
    kt_path_token &tok_;
    Lookahead &ahead_;
    bool refused_ = false; // a name of this token was refused by STE
};

} // namespace kt::names

#endif
