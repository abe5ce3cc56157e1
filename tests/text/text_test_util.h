// Helpers of the text tests: calling upper-case entries with std::string
// arguments, and the fixture that checks every test returns the word store
// to where it started.
#ifndef KT_TESTS_TEXT_TEXT_TEST_UTIL_H
#define KT_TESTS_TEXT_TEXT_TEST_UTIL_H

#include <random>
#include <string>

#include "kt/host.h"
#include "kt/text.h"
#include "support/store_test.h"
#include "text_models.h"

namespace kt::text_test {

// A text of 0..max_len characters drawn from the alphabet.
inline std::string random_text(std::mt19937 &rng, const std::string &alphabet, size_t max_len) {
    std::string t(rng() % (max_len + 1), ' ');
    for (char &c : t)
        c = alphabet[rng() % alphabet.size()];
    return t;
}

inline int32_t checked(const std::string &s, double &value) {
    Exact e(s);
    return VBCS2D(e.get(), &e.n, &value, e.n);
}

inline double lenient(const std::string &s) {
    Exact e(s);
    return S2DCNV(e.get(), &e.n, e.n);
}

using kt::test::StoreTest;

} // namespace kt::text_test

#endif
