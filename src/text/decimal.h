// Decimal numbers turned into doubles. The real readers find a number's
// parts in their text (mantissa digits, an exponent written out or the
// power of a scale word) and convert them once, so a value is always the
// double nearest to the decimal number written, never a product of
// roundings: 4.7K is the double nearest 4700.
#ifndef KT_SRC_TEXT_DECIMAL_H
#define KT_SRC_TEXT_DECIMAL_H

#include <cstddef>
#include <cstdint>

namespace kt::text {

// mantissa x 10^(exponent + power), negated when `negative`.
struct DecimalNumber {
    bool negative = false;
    const char *mantissa = nullptr; // digits with at most one point, at least one digit
    size_t mantissa_len = 0;
    char exponent_sign = '+';
    const char *exponent = nullptr; // exponent digits (none when exponent_len is 0)
    size_t exponent_len = 0;
    int32_t power = 0; // of a scale word
};

double decimal_value(const DecimalNumber &d);

} // namespace kt::text

#endif
