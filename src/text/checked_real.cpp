// VBCS2D, the checking reader of engineering numbers.
//
// The accepted language: an optional sign; digits with an optional point
// and optional further digits, or a point and at least one digit; then the
// end, or an exponent (D or E, an optional sign, at least one digit), or
// one scale word (A F P N U M K G T, MU, ME, MEG) and the end. It is the
// language of a nine-state machine read one character at a time (start,
// after the sign, integer digits, leading point, fraction digits, exponent
// letter, exponent sign, exponent digits, scale word); the parse below
// walks the same states as straight-line loops.
//
// A text is rejected at the position where that machine stops: the first
// character no state can take, or n + 1 when the text ends early. The
// machine reads a scale word whole before it judges it, so a rejected M
// followed by U, E or EG is reported at the word's last character ('MU'
// gives 2, '1KMEG' gives 5).
//
// An accepted text is converted once, the scale word taken as a power of
// ten: the value is the double nearest to the number written. Nothing is
// copied, so no text can overrun a working buffer.
#include "common/fortran_alias.h"
#include "common/ascii.h"
#include "decimal.h"
#include "kt/text.h"
#include "scale_words.h"

using namespace kt::text;

namespace {

constexpr int32_t kLongestText = 50;

// The scale word whose letter is at 0-based index i: its position in the
// scale table, with i moved to the word's last character (MU, ME, MEG).
int32_t scale_word(const char *s, int32_t n, int32_t &i) {
    int32_t scale = scale_position(s[i]);
    if (scale != kMilli || i + 1 >= n)
        return scale;
    char next = upper_ascii(s[i + 1]);
    if (next == 'U') {
        ++i;
        return kMicro;
    }
    if (next == 'E') {
        ++i;
        if (i + 1 < n && upper_ascii(s[i + 1]) == 'G')
            ++i;
        return kMega;
    }
    return kMilli;
}

// The 1-based position reported for a stop at 0-based index i.
int32_t rejected_at(const char *s, int32_t n, int32_t i) {
    if (i < n && scale_position(s[i]) != 0)
        scale_word(s, n, i);
    return i + 1;
}

// 0 and the number of an accepted text, or the rejected position.
int32_t parse(const char *s, int32_t n, DecimalNumber &d) {
    d.negative = s[0] == '-';
    int32_t i = scan_mantissa(s, is_sign(s[0]) ? 1 : 0, n, d);
    if (d.integer_len + d.fraction_len == 0)
        return rejected_at(s, n, i); // no digit: a sign or a point alone
    if (i == n)
        return 0;
    if (is_exponent_letter(s[i])) {
        if (++i < n && is_sign(s[i]))
            d.exponent_sign = s[i++];
        const int32_t exp_start = i;
        while (i < n && is_digit(s[i]))
            ++i;
        if (i == exp_start || i < n)
            return rejected_at(s, n, i);
        d.exponent = s + exp_start;
        d.exponent_len = static_cast<size_t>(i - exp_start);
        return 0;
    }
    if (scale_position(s[i]) != 0) {
        d.power = kScalePower[scale_word(s, n, i)];
        return ++i < n ? rejected_at(s, n, i) : 0;
    }
    return rejected_at(s, n, i);
}

int32_t checked_read(const char *text, int32_t n, double *value) {
    if (n > kLongestText)
        return kLongestText + 1;
    if (n <= 0) {
        *value = 0.0; // the empty text
        return 0;
    }
    DecimalNumber d;
    int32_t code = parse(text, n, d);
    if (code == 0)
        *value = decimal_value(d);
    return code;
}

} // namespace

extern "C" {

int32_t VBCS2D(const char *text, const int32_t *n, double *value, int32_t text_len) {
    (void)text_len; // the explicit count rules
    return checked_read(text, *n, value);
}
KT_FORTRAN_ALIAS(VBCS2D, vbcs2d_);

int32_t c_vbcs2d(const char *text, int32_t n, double *value) { return checked_read(text, n, value); }

} // extern "C"
