// Test helpers that build and read integer array records.
#ifndef KT_TESTS_SUPPORT_IAR_VIEW_H
#define KT_TESTS_SUPPORT_IAR_VIEW_H

#include <vector>

#include "kt/host.h"
#include "kt/iar.h"

namespace kt::test {

inline std::vector<int32_t> iar_values(int32_t r) {
    std::vector<int32_t> v;
    for (int32_t i = 1; i <= kt_icell(r + 2); ++i)
        v.push_back(kt_icell(kt_icell(r + 1) + i));
    return v;
}

inline int32_t make_iar(const std::vector<int32_t> &values) {
    int32_t n = static_cast<int32_t>(values.size()), r = 0;
    IARIE(values.data(), &n, &r);
    return r;
}

// A two-level record whose inner records hold the given values.
inline int32_t make_iar2(const std::vector<std::vector<int32_t>> &inner) {
    std::vector<int32_t> names;
    for (const auto &v : inner)
        names.push_back(make_iar(v));
    return make_iar(names);
}

// Values of each inner record; a 0 element reads as {-999}.
inline std::vector<std::vector<int32_t>> iar2_values(int32_t r) {
    std::vector<std::vector<int32_t>> v;
    for (int32_t inner : iar_values(r))
        v.push_back(inner ? iar_values(inner) : std::vector<int32_t>{-999});
    return v;
}

} // namespace kt::test

#endif
