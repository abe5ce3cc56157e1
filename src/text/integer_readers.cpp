// Integer readers: VBCS2I validates, S2ICNV and INCONV trust their caller.
//
// All three take an optional leading sign and accumulate in unsigned 32-bit
// arithmetic, so an over-long number wraps modulo 2^32 as documented rather
// than overflowing a signed integer.
#include "common/fortran_alias.h"
#include "common/ascii.h"
#include "kt/text.h"

using namespace kt::text;

namespace {

struct Sign {
    bool negative;
    int32_t first; // 0-based position of the first digit
};

Sign read_sign(int32_t first_char) {
    if (first_char == '-')
        return {true, 1};
    if (first_char == '+')
        return {false, 1};
    return {false, 0};
}

int32_t apply(bool negative, uint32_t magnitude) { return static_cast<int32_t>(negative ? 0u - magnitude : magnitude); }

// Unchecked: every character after the sign counts as code - 48.
template <typename Char> int32_t unchecked(const Char *text, int32_t n) {
    if (n <= 0)
        return 0;
    Sign sign = read_sign(static_cast<int32_t>(static_cast<unsigned char>(text[0])));
    uint32_t acc = 0;
    for (int32_t i = sign.first; i < n; ++i)
        acc = acc * 10u + (static_cast<uint32_t>(text[i]) - 48u);
    return apply(sign.negative, acc);
}

int32_t validated(const char *text, int32_t n, int32_t *value) {
    Sign sign = read_sign(n > 0 ? text[0] : 0);
    *value = 0;
    if (n <= sign.first)
        return 0; // an empty text or a lone sign reads as 0
    uint32_t acc = 0;
    for (int32_t i = sign.first; i < n; ++i) {
        // After a bad character the caller finds the magnitude read so far.
        *value = static_cast<int32_t>(acc);
        if (!is_digit(text[i]))
            return 1;
        acc = acc * 10u + static_cast<uint32_t>(text[i] - '0');
    }
    *value = apply(sign.negative, acc);
    return 0;
}

} // namespace

extern "C" {

int32_t VBCS2I(const char *text, const int32_t *n, int32_t *value, int32_t text_len) {
    (void)text_len; // the explicit count rules
    return validated(text, *n, value);
}
KT_FORTRAN_ALIAS(VBCS2I, vbcs2i_);

int32_t c_vbcs2i(const char *text, int32_t n, int32_t *value) { return validated(text, n, value); }

int32_t S2ICNV(const char *text, const int32_t *n, int32_t text_len) {
    (void)text_len;
    return unchecked(reinterpret_cast<const unsigned char *>(text), *n);
}
KT_FORTRAN_ALIAS(S2ICNV, s2icnv_);

int32_t INCONV(const int32_t *text, const int32_t *n) { return unchecked(text, *n); }
KT_FORTRAN_ALIAS(INCONV, inconv_);

} // extern "C"
