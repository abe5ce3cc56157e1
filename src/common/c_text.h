// The zero-terminated texts of c_ entries, where a null pointer reads as
// the empty text and a length never exceeds INT32_MAX.
#ifndef KT_SRC_COMMON_C_TEXT_H
#define KT_SRC_COMMON_C_TEXT_H

#include <cstdint>
#include <cstring>

namespace kt {

inline const char *c_text(const char *text) { return text ? text : ""; }

inline int32_t terminated_length(const char *text) {
    if (!text)
        return 0;
    size_t n = std::strlen(text);
    return n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n);
}

} // namespace kt

#endif
