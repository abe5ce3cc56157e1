// RLCNVR: the real slot list's own number reader, for text held one
// character per word (the character in the low byte).
//
// The text is read up to its first letter of "afpnumkmgtedAFPNUMKMGTED":
//   e E d D  an exponent: the whole text is the number, the letter read as
//            D and a blank right after it as '+'  ('2.5e 3' is 2500);
//   others   a scale letter ending the number, which is then multiplied by
//            the letter's factor (M is milli; M followed by E or e is mega);
//            what follows the letter is ignored ('10PF', '1KOHM').
// The number is an optional sign (after leading blanks), digits with an
// optional point and, in the exponent case, D with an optional sign and
// digits. Its value is that of the longest prefix of this form: '10V' is
// 10, a trailing exponent letter adds nothing ('1.5E' is 1.5), and a text
// without digits (or a scale letter with none before it) is 0. Texts of
// any length are read whole.
#include <string>

#include "common/fortran_alias.h"
#include "common/ascii.h"
#include "text/decimal.h"
#include "kt/slot_list.h"
#include "text/scale_words.h"

using namespace kt::text;

namespace {

constexpr char kLetters[] = "afpnumkmgtedAFPNUMKMGTED";
constexpr int32_t kHalf = 12;
constexpr int32_t kExponentE = 11, kExponentD = 12;
// Multipliers by code: the doubles nearest to the decimal factors.
constexpr double kFactor[11] = {1.0, 1e-18, 1e-15, 1e-12, 1e-9, 1e-6, 1e-3, 1e3, 1e6, 1e9, 1e12};

// Code of a letter (its first position in kLetters, the upper-case half
// folded onto the lower), 0 for any other character.
int32_t letter_code(char c) {
    for (int32_t k = 0; k < 2 * kHalf; ++k)
        if (kLetters[k] == c)
            return k < kHalf ? k + 1 : k + 1 - kHalf;
    return 0;
}

// Value of the longest numeric prefix of s[0..end), 0 when it has no digits.
double prefix_value(const std::string &s, int32_t end) {
    const char *t = s.data();
    int32_t i = 0;
    while (i < end && t[i] == kBlank)
        ++i;
    DecimalNumber d;
    if (i < end && is_sign(t[i]))
        d.negative = t[i++] == '-';
    i = scan_mantissa(t, i, end, d);
    if (d.integer_len + d.fraction_len == 0)
        return 0.0;
    if (i < end && t[i] == 'D') {
        int32_t k = i + 1;
        char sign = '+';
        if (k < end && is_sign(t[k]))
            sign = t[k++];
        int32_t first = k;
        while (k < end && is_digit(t[k]))
            ++k;
        if (k > first) {
            d.exponent_sign = sign;
            d.exponent = t + first;
            d.exponent_len = static_cast<size_t>(k - first);
        }
    }
    return decimal_value(d);
}

} // namespace

extern "C" {

double RLCNVR(const int32_t *text, const int32_t *n) {
    const int32_t len = *n;
    if (len <= 0)
        return 0.0;
    std::string s(static_cast<size_t>(len), kBlank);
    int32_t p = -1, code = 0;
    for (int32_t i = 0; i < len; ++i) {
        s[static_cast<size_t>(i)] = static_cast<char>(text[i] & 0xFF);
        if (p < 0 && (code = letter_code(s[static_cast<size_t>(i)])) != 0)
            p = i;
    }
    if (p < 0)
        return prefix_value(s, len);
    if (code == kExponentE || code == kExponentD) {
        s[static_cast<size_t>(p)] = 'D';
        if (p + 1 < len && s[static_cast<size_t>(p) + 1] == kBlank)
            s[static_cast<size_t>(p) + 1] = '+';
        return prefix_value(s, len);
    }
    if (code == kMilli && p + 1 < len && (s[static_cast<size_t>(p) + 1] == 'e' || s[static_cast<size_t>(p) + 1] == 'E'))
        code = kMega;
    return prefix_value(s, p) * kFactor[code];
}
KT_FORTRAN_ALIAS(RLCNVR, rlcnvr_);

} // extern "C"
