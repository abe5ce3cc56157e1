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

// integer.fraction x 10^(exponent + power), negated when `negative`; at
// least one digit in the integer and fraction parts together.
struct DecimalNumber {
    bool negative = false;
    const char *integer = nullptr; // digits before the point
    size_t integer_len = 0;
    const char *fraction = nullptr; // digits after the point
    size_t fraction_len = 0;
    char exponent_sign = '+';
    const char *exponent = nullptr; // exponent digits (none when exponent_len is 0)
    size_t exponent_len = 0;
    int32_t power = 0; // of a scale word
};

double decimal_value(const DecimalNumber &d);

// Reads digits with at most one point from s[i..end) into the integer and
// fraction parts of d; returns the index after them.
inline int32_t scan_mantissa(const char *s, int32_t i, int32_t end, DecimalNumber &d) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    d.integer = s + i;
    while (i < end && digit(s[i]))
        ++i;
    d.integer_len = static_cast<size_t>(s + i - d.integer);
    if (i < end && s[i] == '.') {
        d.fraction = s + ++i;
        while (i < end && digit(s[i]))
            ++i;
        d.fraction_len = static_cast<size_t>(s + i - d.fraction);
    }
    return i;
}

} // namespace kt::text

#endif
