// The cells of a field table as the field routines read them.
//
// Header cell 1 is the field count n, cell 2 the field-record block (3n
// cells). Record k: name string, value count m, values block (m cells).
// The record block moves when a field is appended and a values block when
// its count changes, so references returned here are used at once, never
// kept across a store request.
#ifndef KT_SRC_STORE_FIELD_RECORD_H
#define KT_SRC_STORE_FIELD_RECORD_H

#include <cstdint>
#include <string_view>

#include "common/c_text.h"
#include "common/cells.h"
#include "common/nonneg.h"
#include "host/host_calls.h"
#include "kt/host.h"
#include "kt/store.h"
#include "word_string.h"

namespace kt::store {

inline int32_t &field_count(int32_t t) { return *kt_iptr(t + 1); }
inline int32_t &field_records(int32_t t) { return *kt_iptr(t + 2); }
inline int32_t &field_name(int32_t t, int32_t k) { return *kt_iptr(field_records(t) + 3 * k - 2); }
inline int32_t &value_count(int32_t t, int32_t k) { return *kt_iptr(field_records(t) + 3 * k - 1); }
inline int32_t &values_block(int32_t t, int32_t k) { return *kt_iptr(field_records(t) + 3 * k); }
inline int32_t &value_cell(int32_t t, int32_t k, int32_t j) { return *kt_iptr(values_block(t, k) + j); }

inline bool valid_field(int32_t t, int32_t k) { return t != 0 && k >= 1 && k <= field_count(t); }

// Field k's values become the m strings of `block`: the old strings and
// their block go.
inline void replace_values(int32_t t, int32_t k, int32_t block, int32_t m) {
    int32_t q = value_count(t, k);
    for (int32_t j = 1; j <= q; ++j)
        STRFS(&value_cell(t, k, j));
    kt::store_free(q, &values_block(t, k), kt::kIntSize);
    values_block(t, k) = block;
    value_count(t, k) = m;
}

// A field name as lookups and CFZFLD take it: the text up to its first
// blank, or the whole text when it has none or begins with one.
inline std::string_view cut_name(const char *text, int32_t len) {
    std::string_view s(text, static_cast<size_t>(kt::nonneg(len)));
    size_t blank = s.find(' ');
    return blank == std::string_view::npos || blank == 0 ? s : s.substr(0, blank);
}

using kt::c_text;
using kt::terminated_length;

} // namespace kt::store

#endif
