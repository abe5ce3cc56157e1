// S2DCNV, the lenient reader of engineering numbers: it never reports.
//
// The leading run of numeric characters (+ - . digits) is kept; what stops
// it decides the rest of the working text:
//   an exponent letter: D, then the next character (a blank read as +), then
//     the remaining characters unchanged  ('1.5e 3' -> '1.5D+3');
//   a scale letter: its exponent, the rest ignored ('10KOHM' -> '10D3'; M is
//     milli at the end, mega before D or E, micro otherwise);
//   anything else, or the end: nothing more.
// The value is that of the longest prefix of the working text that is a
// real number: optional sign, digits with an optional point, then an
// optional exponent written as D or E with an optional sign, or as a bare
// sign ('2.5-3' is 0.0025), followed by digits. Without such a prefix (an
// empty text, a lone sign, a scale letter with no digits) the value is 0.
//
// The working text is never built: the parts of that prefix are found in
// the caller's text, so texts of any length are read whole.
#include "common/fortran_alias.h"
#include "common/ascii.h"
#include "decimal.h"
#include "kt/text.h"
#include "scale_words.h"

using namespace kt::text;

namespace {

bool is_numeric(char c) { return is_digit(c) || is_sign(c) || c == '.'; }

// Records the exponent digits from s[first] on, if there are any.
void exponent_digits(const char *s, int32_t first, int32_t end, char sign, DecimalNumber &d) {
    int32_t k = first;
    while (k < end && is_digit(s[k]))
        ++k;
    if (k == first)
        return;
    d.exponent_sign = sign;
    d.exponent = s + first;
    d.exponent_len = static_cast<size_t>(k - first);
}

double lenient_value(const char *s, int32_t n) {
    if (n <= 0)
        return 0.0;
    int32_t run = 0;
    while (run < n && is_numeric(s[run]))
        ++run;
    DecimalNumber d;
    const bool sign = run > 0 && is_sign(s[0]);
    d.negative = sign && s[0] == '-';
    int32_t i = scan_mantissa(s, sign ? 1 : 0, run, d);
    if (d.integer_len + d.fraction_len == 0)
        return 0.0;
    if (i < run) {
        // A sign inside the run starts an exponent written without a letter.
        if (is_sign(s[i]))
            exponent_digits(s, i + 1, run, s[i], d);
        return decimal_value(d);
    }
    if (run == n)
        return decimal_value(d);
    const char stop = s[run];
    if (is_exponent_letter(stop)) {
        int32_t k = run + 1;
        char exp_sign = '+';
        if (k < n && (is_sign(s[k]) || s[k] == kBlank))
            exp_sign = s[k++] == '-' ? '-' : '+';
        exponent_digits(s, k, n, exp_sign, d);
        return decimal_value(d);
    }
    int32_t scale = scale_position(stop);
    if (scale == kMilli)
        scale = run + 1 == n ? kMilli : is_exponent_letter(s[run + 1]) ? kMega : kMicro;
    d.power = kScalePower[scale];
    return decimal_value(d);
}

} // namespace

extern "C" {

double S2DCNV(const char *text, const int32_t *n, int32_t text_len) {
    (void)text_len; // the explicit count rules
    return lenient_value(text, *n);
}
KT_FORTRAN_ALIAS(S2DCNV, s2dcnv_);

double c_s2dcnv(const char *text, int32_t n) { return lenient_value(text, n); }

} // extern "C"
