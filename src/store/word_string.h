// The layout of a word-store string, for every routine that reads or edits
// one: header cell 1 holds the character block's index, cell 2 the length
// n; the block holds n + 1 bytes and byte n + 1 is 0.
//
// resize_keeping() never loses the string: when the store refuses to
// lengthen it, the string stays exactly as it was. (STRXS instead frees a
// string it cannot grow.)
#ifndef KT_SRC_STORE_WORD_STRING_H
#define KT_SRC_STORE_WORD_STRING_H

#include <cstdint>
#include <string_view>

#include "common/cells.h"
#include "host/host_calls.h"
#include "kt/host.h"

namespace kt::store {

inline int32_t &string_block(int32_t s) { return *kt_iptr(s + 1); }
inline int32_t &string_length(int32_t s) { return *kt_iptr(s + 2); }
// Character i (1-based) of string s; i = length + 1 is the terminating 0.
inline char *string_chars(int32_t s, int32_t i = 1) { return kt_cptr(string_block(s) + i); }
// The text of string s.
inline std::string_view string_view_of(int32_t s) { return {string_chars(s), static_cast<size_t>(string_length(s))}; }

// Changes the length of string s to len, keeping the first min(old, len)
// characters and moving the terminating 0. Shrinking always succeeds;
// false when the store refuses to lengthen, the string unchanged.
inline bool resize_keeping(int32_t s, int32_t len) {
    if (len < 0 || len == INT32_MAX)
        return false;
    int32_t old_bytes = string_length(s) + 1, new_bytes = len + 1, block = string_block(s);
    if (!kt::store_resize(new_bytes, &block, kCharSize, old_bytes))
        return false;
    string_block(s) = block;
    string_length(s) = len;
    *string_chars(s, len + 1) = '\0';
    return true;
}

} // namespace kt::store

#endif
