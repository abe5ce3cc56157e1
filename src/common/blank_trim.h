// Trailing blanks of fixed-length texts. Only the blank (code 32) pads
// such a text; tabs and other white space are part of it.
#ifndef KT_SRC_COMMON_BLANK_TRIM_H
#define KT_SRC_COMMON_BLANK_TRIM_H

#include <cstdint>

namespace kt {

// Length of a text without its trailing blanks; 0 for a negative length.
inline int32_t significant_length(const char *text, int32_t len) {
    while (len > 0 && text[len - 1] == ' ')
        --len;
    return len < 0 ? 0 : len;
}

} // namespace kt

#endif
