// Exact conversion of the readers' decimal numbers.
//
// Most engineering numbers have few digits and a small exponent: when the
// mantissa digits form an integer w <= 2^53 and the decimal exponent e lies
// within +-22, both w and 10^|e| are exact doubles and one multiplication
// or division rounds correctly. Every other number is written out as a
// literal for std::from_chars, which rounds correctly and ignores the
// locale; a value beyond the range of doubles goes to strtod in the "C"
// locale, which gives the correctly rounded infinity, zero or subnormal
// (from_chars leaves its result alone there).
#include "decimal.h"

#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <memory>
#include <string>
#include <system_error>

namespace kt::text {

namespace {

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int32_t kLargestExactPower = 22, kMostDigits = 19, kMostExponentDigits = 6;
constexpr uint64_t kLargestExactInteger = uint64_t{1} << 53;

// Appends the digits to w; false when the mantissa gets too long for w.
bool accumulate(const char *digits, size_t n, uint64_t &w, size_t &count) {
    count += n;
    if (count > kMostDigits)
        return false;
    for (size_t k = 0; k < n; ++k)
        w = w * 10 + static_cast<uint64_t>(digits[k] - '0');
    return true;
}

bool exact_value(const DecimalNumber &d, double &out) {
    uint64_t w = 0;
    size_t digits = 0;
    if (!accumulate(d.integer, d.integer_len, w, digits) || !accumulate(d.fraction, d.fraction_len, w, digits))
        return false;
    if (d.exponent_len > kMostExponentDigits)
        return false;
    int32_t e = 0;
    for (size_t k = 0; k < d.exponent_len; ++k)
        e = e * 10 + (d.exponent[k] - '0');
    e = (d.exponent_sign == '-' ? -e : e) + d.power - static_cast<int32_t>(d.fraction_len);
    if (w > kLargestExactInteger || e < -kLargestExactPower || e > kLargestExactPower)
        return false;
    double v = static_cast<double>(w);
    v = e < 0 ? v / kPowersOfTen[-e] : v * kPowersOfTen[e];
    out = d.negative ? -v : v;
    return true;
}

double out_of_range(const char *first, const char *last) {
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    std::string text(first, last);
    return strtod_l(text.c_str(), nullptr, c_locale);
}

double nearest_double(const char *first, const char *last) {
    double value = 0.0;
    std::from_chars_result r = std::from_chars(first, last, value);
    if (r.ec == std::errc::result_out_of_range)
        return out_of_range(first, last);
    return r.ec == std::errc() ? value : 0.0;
}

void append(char *text, size_t &n, const char *part, size_t len) {
    if (len > 0)
        std::memcpy(text + n, part, len);
    n += len;
}

// -integer.fraction e sign exponent, or -integer.fraction e power.
double literal_value(const DecimalNumber &d) {
    char power[16];
    std::to_chars_result p = std::to_chars(power, power + sizeof power, d.power);
    size_t power_len = d.exponent_len > 0 ? 0 : static_cast<size_t>(p.ptr - power);
    size_t size = 1 + d.integer_len + 1 + d.fraction_len + 2 + d.exponent_len + power_len;
    char local[96];
    std::unique_ptr<char[]> heap;
    char *text = size <= sizeof local ? local : (heap.reset(new char[size]), heap.get());
    size_t n = 0;
    if (d.negative)
        text[n++] = '-';
    append(text, n, d.integer, d.integer_len);
    text[n++] = '.';
    append(text, n, d.fraction, d.fraction_len);
    text[n++] = 'e';
    if (d.exponent_len > 0) {
        text[n++] = d.exponent_sign;
        append(text, n, d.exponent, d.exponent_len);
    } else {
        append(text, n, power, power_len);
    }
    return nearest_double(text, text + n);
}

} // namespace

double decimal_value(const DecimalNumber &d) {
    double v;
    return exact_value(d, v) ? v : literal_value(d);
}

} // namespace kt::text
