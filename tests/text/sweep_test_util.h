// Helpers of the sweep tests: lists made from plain values, their points
// and their printed form.
#ifndef KT_TESTS_TEXT_SWEEP_TEST_UTIL_H
#define KT_TESTS_TEXT_SWEEP_TEST_UTIL_H

#include <string>
#include <vector>

#include "kt/host.h"
#include "kt/sweep.h"
#include "text_test_util.h"

namespace kt::text_test {

// A list made by LPIE from a caller's block holding the items (reals, or
// string indices for kind 7); 0 when LPIE refuses.
inline int32_t make_sweep(int32_t kind, const std::vector<double> &reals, const std::vector<int32_t> &names = {},
                          int32_t name = 0, int32_t context = 0) {
    const bool of_names = kind == 7;
    int32_t n = static_cast<int32_t>(of_names ? names.size() : reals.size());
    int32_t block = 0, list = 0;
    c_gstore(n, &block, of_names ? 4 : 8, 0);
    for (int32_t i = 0; i < n; ++i) {
        if (of_names)
            kt_set_icell(block + 1 + i, names[static_cast<size_t>(i)]);
        else
            kt_set_rcell(block + 1 + i, reals[static_cast<size_t>(i)]);
    }
    LPIE(&name, &context, &kind, &block, &n, &list);
    c_fstore(n, &block, of_names ? 4 : 8);
    return list;
}

inline int32_t make_range(int32_t kind, double from, double to, double third) {
    return make_sweep(kind, {from, to, third});
}

// The points LPXP gives (the block freed again).
inline std::vector<double> expanded(int32_t list) {
    int32_t block = 0, n = 0;
    LPXP(&list, &block, &n);
    std::vector<double> v;
    for (int32_t i = 1; i <= n; ++i)
        v.push_back(kt_rcell(block + i));
    if (block != 0)
        c_fstore(n, &block, 8);
    return v;
}

inline std::string printed(int32_t list) {
    kt_host_capture_output(1);
    kt_host_clear_output();
    LPQ(&list);
    OOWRIT();
    std::string out = kt_host_output();
    kt_host_clear_output();
    kt_host_capture_output(0);
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

} // namespace kt::text_test

#endif
