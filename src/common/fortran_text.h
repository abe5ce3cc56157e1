// Reading the blank-padded texts of upper-case entries.
#ifndef KT_SRC_COMMON_FORTRAN_TEXT_H
#define KT_SRC_COMMON_FORTRAN_TEXT_H

#include <cstdint>
#include <string>
#include <string_view>

#include "blank_trim.h"

namespace kt {

// The significant part of a fixed-length text: up to a zero byte if one
// comes first (C callers), without trailing blanks. Used wherever the text
// names something (a file, an option, a routine).
inline std::string_view fortran_text(const char *text, int32_t len) {
    if (!text || len <= 0)
        return {};
    int32_t n = 0;
    while (n < len && text[n] != '\0')
        ++n;
    return {text, static_cast<size_t>(significant_length(text, n))};
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
