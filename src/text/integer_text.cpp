// Integer formatters: the decimal digits of a 32-bit value, left-justified
// and blank-padded in a field of the caller's length.
//
// Nothing is ever written outside the field: a field of length 0 or less
// holds no digit, not even the single 0. The magnitude is taken in 64 bits,
// so the most negative value formats as -2147483648.
#include <cstring>

#include "common/fortran_alias.h"
#include "common/ascii.h"
#include "kt/text.h"

using namespace kt::text;

namespace {

constexpr int32_t kMostDigits = 10;

// Count written, or 0 when the sign and digits do not fit the field.
int32_t format(bool negative, uint64_t magnitude, char *field, int32_t width) {
    if (width <= 0)
        return 0;
    std::memset(field, kBlank, static_cast<size_t>(width));
    char digits[kMostDigits];
    int32_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    int32_t count = n + (negative ? 1 : 0);
    if (count > width)
        return 0;
    char *out = field;
    if (negative)
        *out++ = '-';
    while (n > 0)
        *out++ = digits[--n];
    return count;
}

} // namespace

extern "C" {

int32_t VBCI2C(const int32_t *value, char *field, int32_t field_len) {
    int64_t v = *value;
    return format(v < 0, static_cast<uint64_t>(v < 0 ? -v : v), field, field_len);
}
KT_FORTRAN_ALIAS(VBCI2C, vbci2c_);

int32_t VBCU2C(const int32_t *value, char *field, int32_t field_len) {
    return format(false, static_cast<uint32_t>(*value), field, field_len);
}
KT_FORTRAN_ALIAS(VBCU2C, vbcu2c_);

} // extern "C"
