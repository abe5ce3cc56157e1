// Keyword tests: reserved words of the modelling language, keyword and
// abbreviation matching, and orderings of names and packed names.
//
// Every character comparison is the host's UISCMP, so these tests inherit
// its case rule. A keyword ends before its first blank. No comparison
// reads past either text: an abbreviation longer than its keyword is a
// non-match.
#include <cstring>

#include "common/fortran_alias.h"
#include "common/ascii.h"
#include "common/c_text.h"
#include "common/nonneg.h"
#include "kt/host.h"
#include "kt/text.h"

using namespace kt::text;

namespace {

struct ReservedWord {
    const char *word;
    bool only_without_flag; // INF and UNDEF are words only when the flag is 0
};

// In the order they are tested; the repeated words change no result.
constexpr ReservedWord kReserved[] = {
    {"UNIT", false},      {"PIN", false},       {"NUMBER", false},     {"STRING", false},
    {"VAL", false},       {"BRANCH", false},    {"STATE", false},      {"EXTERNAL", false},
    {"EXPORT", false},    {"TEMPLATE", false},  {"FUNCTION", false},   {"FOREIGN", false},
    {"ELEMENT", false},   {"COMPONENT", false}, {"ENCRYPTED", false},  {"SIMVAR", false},
    {"NUMBER", false},    {"STRING", false},    {"ENUM", false},       {"STRUC", false},
    {"UNION", false},     {"ALTER", false},     {"TEMPLATE", false},   {"ELEMENT", false},
    {"COMPONENT", false}, {"ENCRYPTED", false}, {"PARAMETERS", false}, {"STATES", false},
    {"WHEN", false},      {"VALUES", false},    {"EQUATIONS", false},  {"CONTROL_SECTION", false},
    {"IF", false},        {"INF", true},        {"UNDEF", true},       {"CONFLICT_RESOLUTION", false},
    {"RETURN", false},
};

constexpr int32_t kCell = 8;

int32_t compare(const char *a, int32_t na, const char *b, int32_t nb) { return UISCMP(a, &na, b, &nb, na, nb); }

int32_t keyword_equals(const char *keyword, int32_t keyword_len, const char *text, int32_t n) {
    return compare(keyword, up_to_first_blank(keyword, keyword_len), text, n);
}

int32_t reserved(const char *text, int32_t len, int32_t flag) {
    for (const ReservedWord &r : kReserved) {
        if (r.only_without_flag && flag != 0)
            continue;
        if (keyword_equals(r.word, static_cast<int32_t>(std::strlen(r.word)), text, len) == 0)
            return 1;
    }
    return 0;
}

int32_t abbreviation(const char *keyword, int32_t keyword_len, const char *text, int32_t n) {
    int32_t len = up_to_first_blank(keyword, keyword_len), minimum = 0;
    for (int32_t i = 1; i <= len; ++i) {
        char c = keyword[i - 1];
        if (!is_letter(c))
            continue; // digits and punctuation neither end nor extend the part to type
        if (lower_ascii(c) == c)
            break;
        minimum = i;
    }
    if (minimum == 0)
        minimum = len;
    int32_t k = n > minimum ? n : minimum;
    if (k > keyword_len)
        return compare(keyword, kt::nonneg(keyword_len), text, n); // longer than the keyword
    return compare(keyword, k, text, n);
}

// A text that VBCS2I reads completely counts as a number.
bool as_number(const char *text, int32_t n, int32_t &value) { return VBCS2I(text, &n, &value, n) == 0; }

int32_t order(int32_t a, int32_t b) { return a < b ? -1 : a > b ? 1 : 0; }

} // namespace

extern "C" {

int32_t KORMKW(const char *text, const int32_t *flag, int32_t text_len) { return reserved(text, text_len, *flag); }
KT_FORTRAN_ALIAS(KORMKW, kormkw_);

int32_t c_kormkw(const char *text, int32_t flag) { return reserved(text, kt::terminated_length(text), flag); }

int32_t KEYWSC(const char *keyword, const char *text, const int32_t *n, int32_t keyword_len, int32_t text_len) {
    (void)text_len; // the explicit count rules
    return keyword_equals(keyword, keyword_len, text, *n);
}
KT_FORTRAN_ALIAS(KEYWSC, keywsc_);

int32_t c_keywsc(const char *keyword, const char *text, int32_t n) {
    return keyword_equals(keyword, kt::terminated_length(keyword), text, n);
}

int32_t KWACMP(const char *keyword, const char *text, const int32_t *n, int32_t keyword_len, int32_t text_len) {
    (void)text_len;
    return abbreviation(keyword, keyword_len, text, *n);
}
KT_FORTRAN_ALIAS(KWACMP, kwacmp_);

int32_t c_kwacmp(const char *keyword, const char *text, int32_t n) {
    return abbreviation(keyword, kt::terminated_length(keyword), text, n);
}

int32_t ALSCMP(const char *text1, const int32_t *p, const char *text2, const int32_t *q, int32_t text1_len,
               int32_t text2_len) {
    (void)text1_len;
    (void)text2_len;
    int32_t a = 0, b = 0;
    bool number1 = as_number(text1, *p, a), number2 = as_number(text2, *q, b);
    if (number1 && number2)
        return order(a, b);
    if (number1 != number2)
        return number1 ? 1 : -1; // names sort before numbers
    int32_t m = *p < *q ? *p : *q;
    int32_t r = compare(text1, m, text2, m);
    return r != 0 ? r : order(*p, *q);
}
KT_FORTRAN_ALIAS(ALSCMP, alscmp_);

int32_t R8SCMP(const double *a, const double *b) {
    char ca[kCell], cb[kCell];
    std::memcpy(ca, a, kCell);
    std::memcpy(cb, b, kCell);
    return compare(ca, kCell, cb, kCell);
}
KT_FORTRAN_ALIAS(R8SCMP, r8scmp_);

int32_t R8KEYW(const double *cell, const char *text, int32_t text_len) {
    char name[kCell];
    std::memcpy(name, cell, kCell);
    int32_t k = up_to_first_blank(name, kCell);
    if (k == 0) {
        // A cell starting with a blank matches a text equal to it when both
        // are padded with blanks to the longer length.
        bool equal = true;
        int32_t longest = text_len > kCell ? text_len : kCell;
        for (int32_t i = 0; i < longest && equal; ++i) {
            char a = i < kCell ? name[i] : kBlank, b = i < text_len ? text[i] : kBlank;
            equal = a == b;
        }
        if (equal)
            return 0;
    }
    return compare(name, k, text, text_len);
}
KT_FORTRAN_ALIAS(R8KEYW, r8keyw_);

} // extern "C"
