// Helpers for the list package tests: data words from integers, and a
// full read of a list that checks its links in both directions.
#ifndef KT_TESTS_PACKAGES_LS_SUPPORT_H
#define KT_TESTS_PACKAGES_LS_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "kt/list.h"

namespace kt::test {

inline lsGeneric word(intptr_t v) { return reinterpret_cast<lsGeneric>(v); }
inline intptr_t value(lsGeneric g) { return reinterpret_cast<intptr_t>(g); }

// Reads the list front to back and back to front through generators and
// checks that both walks, the ends and the length agree and that every
// item names the list.
inline std::vector<intptr_t> values_of(lsList list) {
    std::vector<intptr_t> values;
    std::vector<lsHandle> handles, back;
    lsGen g = lsStart(list);
    lsGeneric d = nullptr;
    lsHandle h = nullptr;
    while (lsNext(g, &d, &h) == LS_OK) {
        values.push_back(value(d));
        handles.push_back(h);
        EXPECT_EQ(lsQueryHandle(h), list);
        EXPECT_EQ(lsFetchHandle(h), d);
    }
    EXPECT_EQ(d, nullptr);
    EXPECT_EQ(h, nullptr);
    lsFinish(g);
    g = lsEnd(list);
    while (lsPrev(g, &d, &h) == LS_OK)
        back.insert(back.begin(), h);
    lsFinish(g);
    EXPECT_EQ(back, handles);
    EXPECT_EQ(lsLength(list), static_cast<int>(values.size()));
    lsHandle first = nullptr, last = nullptr;
    lsStatus sf = lsFirstItem(list, &d, &first), sl = lsLastItem(list, &d, &last);
    EXPECT_EQ(sf, values.empty() ? LS_NOMORE : LS_OK);
    EXPECT_EQ(sl, values.empty() ? LS_NOMORE : LS_OK);
    EXPECT_EQ(first, values.empty() ? nullptr : handles.front());
    EXPECT_EQ(last, values.empty() ? nullptr : handles.back());
    return values;
}

inline lsList make_ls(std::initializer_list<intptr_t> values) {
    lsList l = lsCreate();
    for (intptr_t v : values)
        lsNewEnd(l, word(v), nullptr);
    return l;
}

inline int compare_values(lsGeneric a, lsGeneric b) {
    intptr_t x = value(a), y = value(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

} // namespace kt::test

#endif
