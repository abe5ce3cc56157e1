// Test helpers that read word-store structures through the host's views.
#ifndef KT_TESTS_SUPPORT_STORE_VIEW_H
#define KT_TESTS_SUPPORT_STORE_VIEW_H

#include <string>
#include <vector>

#include "kt/host.h"
#include "kt/store.h"

namespace kt::test {

inline int32_t list_count(int32_t l) { return kt_icell(l + 2); }
inline int32_t list_capacity(int32_t l) { return kt_icell(l + 3); }
inline int32_t list_kind(int32_t l) { return kt_icell(l + 4); }

inline std::vector<int32_t> list_values(int32_t l) {
    std::vector<int32_t> v;
    for (int32_t i = 1; i <= list_count(l); ++i)
        v.push_back(kt_icell(kt_icell(l + 1) + i));
    return v;
}

inline int32_t string_length(int32_t s) { return kt_icell(s + 2); }

inline std::string string_text(int32_t s) {
    return std::string(kt_cptr(kt_icell(s + 1) + 1), static_cast<size_t>(string_length(s)));
}

// The terminating byte after the last character.
inline char string_terminator(int32_t s) { return kt_ccell(kt_icell(s + 1) + string_length(s) + 1); }

inline int32_t make_string(const std::string &text) {
    int32_t n = static_cast<int32_t>(text.size()), s = 0;
    STRGEA(text.data(), &n, &s, n);
    return s;
}

inline int32_t make_list(std::initializer_list<int32_t> values, int32_t capacity = 2, int32_t kind = 1) {
    int32_t l = 0;
    LSTI(&capacity, &kind, &l);
    for (int32_t v : values)
        LSTE(&l, &v);
    return l;
}

// Restores unlimited store grants even when an assertion leaves a test early.
struct StoreGrants {
    explicit StoreGrants(int32_t n) { kt_host_fail_store_after(n); }
    ~StoreGrants() { kt_host_fail_store_after(-1); }
};

} // namespace kt::test

#endif
