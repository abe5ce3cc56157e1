// Helpers of the text tests: calling upper-case entries with std::string
// arguments, and a fixture that checks every test returns the word store
// to where it started.
#ifndef KT_TESTS_TEXT_TEXT_TEST_UTIL_H
#define KT_TESTS_TEXT_TEXT_TEST_UTIL_H

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "kt/host.h"
#include "kt/text.h"
#include "support/store_view.h"
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

// Fixture: strings made with keep() are freed at the end, and the store
// must then hold exactly what it held before the test.
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        baseline_ = kt_host_store_bytes_in_use();
        kt_host_reset_errors();
    }
    void TearDown() override {
        for (int32_t &s : strings_)
            STRFS(&s);
        EXPECT_EQ(kt_host_store_bytes_in_use(), baseline_) << "word-store blocks leaked";
    }
    int32_t keep(int32_t s) {
        strings_.push_back(s);
        return s;
    }
    int32_t keep(const std::string &text) { return keep(kt::test::make_string(text)); }
    int64_t baseline_ = 0;
    std::vector<int32_t> strings_;
};

} // namespace kt::text_test

#endif
