// Reading the blank-padded texts of upper-case entries.
#ifndef KT_SRC_COMMON_FORTRAN_TEXT_H
#define KT_SRC_COMMON_FORTRAN_TEXT_H

#include <cstdint>
#include <string>
#include <string_view>

namespace kt {

// The significant part of a fixed-length text: up to a zero byte if one
// comes first (C callers), without trailing blanks. Used wherever the text
// names something (a file, an option, a routine).
inline std::string_view fortran_text(const char *text, int32_t len) {
    if (!text || len <= 0)
        return {};
    size_t n = 0;
    while (n < static_cast<size_t>(len) && text[n] != '\0')
        ++n;
    while (n > 0 && text[n - 1] == ' ')
        --n;
    return {text, n};
}

// A zero-terminated copy of the significant part, for the operating system.
inline std::string fortran_cstr(const char *text, int32_t len) { return std::string(fortran_text(text, len)); }

// Copies `value` into a fixed-length result, blank-filling the rest.
inline void fortran_assign(char *dest, int32_t len, std::string_view value) {
    for (int32_t i = 0; i < len; ++i)
        dest[i] = static_cast<size_t>(i) < value.size() ? value[static_cast<size_t>(i)] : ' ';
}

} // namespace kt

#endif
