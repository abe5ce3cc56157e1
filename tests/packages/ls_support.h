// Helpers for the list package tests: data words from integers, and a
// read of a list that checks its links in both directions.
#ifndef KT_TESTS_PACKAGES_LS_SUPPORT_H
#define KT_TESTS_PACKAGES_LS_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "kt/list.h"

namespace kt::test {

inline lsGeneric word(intptr_t v) { return reinterpret_cast<lsGeneric>(v); }
inline intptr_t value(lsGeneric g) { return reinterpret_cast<intptr_t>(g); }

// Reads the list front to back; the backward links and the length must
// tell the same story. Handles and the ends against a model are the list
// fuzz target's.
inline std::vector<intptr_t> values_of(lsList list) {
    std::vector<intptr_t> values, back;
    lsGeneric d = nullptr;
    lsGen g = lsStart(list);
    while (lsNext(g, &d, nullptr) == LS_OK)
        values.push_back(value(d));
    lsFinish(g);
    g = lsEnd(list);
    while (lsPrev(g, &d, nullptr) == LS_OK)
        back.insert(back.begin(), value(d));
    lsFinish(g);
    EXPECT_EQ(back, values);
    EXPECT_EQ(lsLength(list), static_cast<int>(values.size()));
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
