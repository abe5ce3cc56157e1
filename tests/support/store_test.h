// Fixture of the tests of word-store structures: errors cleared before each
// test, strings made with keep() freed after it, and the store then holding
// exactly what it held before.
#ifndef KT_TESTS_SUPPORT_STORE_TEST_H
#define KT_TESTS_SUPPORT_STORE_TEST_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/store_view.h"

namespace kt::test {

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        kt_host_reset_errors();
        baseline_ = kt_host_store_bytes_in_use();
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
    int32_t keep(const std::string &text) { return keep(make_string(text)); }
    int64_t baseline_ = 0;
    std::vector<int32_t> strings_;
};

} // namespace kt::test

#endif
