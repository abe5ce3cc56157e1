// Character helpers of the text routines. Only the 26 ASCII letters change
// case and only the blank (code 32) pads fixed-length text, whatever the
// locale says.
#ifndef KT_SRC_COMMON_ASCII_H
#define KT_SRC_COMMON_ASCII_H

#include <cstdint>
#include <cstring>

namespace kt::text {

constexpr char kBlank = ' ';

constexpr char upper_ascii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c; }
constexpr char lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }
constexpr bool is_sign(char c) { return c == '+' || c == '-'; }
// The letters that start an exponent in a real number.
constexpr bool is_exponent_letter(char c) { return c == 'D' || c == 'E' || c == 'd' || c == 'e'; }
constexpr bool is_letter(char c) { return upper_ascii(c) >= 'A' && upper_ascii(c) <= 'Z'; }

// Length of a keyword that ends before its first blank (the whole length
// when it has none).
inline int32_t up_to_first_blank(const char *text, int32_t len) {
    int32_t k = 0;
    while (k < len && text[k] != kBlank)
        ++k;
    return k;
}

} // namespace kt::text

#endif
