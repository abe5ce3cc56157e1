// Binary units: blocks written with MMWRIT come back through MMREAD as new
// blocks; bad units and refused space leave nothing behind.
#include <gtest/gtest.h>

#include "host/host_test_util.h"

using namespace kt_host_test;

namespace {

class BinaryUnits : public ::testing::Test {
protected:
    void SetUp() override { baseline_ = kt_host_store_bytes_in_use(); }
    void TearDown() override {
        kt_host_fail_store_after(-1);
        EXPECT_EQ(kt_host_store_bytes_in_use(), baseline_) << "blocks left behind";
    }
    // Writes blocks of the given counts, patterned by their position, to a new file.
    static void write_file(const TempFile &f, std::initializer_list<int32_t> counts, int32_t s) {
        int32_t unit = kt_host_open_unit(f.c_str(), "w"), id = 0;
        ASSERT_GE(unit, 1);
        for (int32_t n : counts) {
            int32_t block = alloc(n, s), status = -1;
            fill(block, s, n, ++id);
            EXPECT_EQ(MMWRIT(&unit, &n, &block, &s, &status), 0);
            EXPECT_EQ(status, 0);
            release(block, s);
        }
        kt_host_close_unit(unit);
    }
    int64_t baseline_ = 0;
};

TEST_F(BinaryUnits, BlocksRoundTripForEveryElementSize) {
    for (int32_t s : {1, 4, 8})
        for (int32_t n : {0, 1, 37}) {
            SCOPED_TRACE(testing::Message() << n << " x " << s);
            TempFile f("round");
            write_file(f, {n, 5}, s);
            EXPECT_EQ(static_cast<int64_t>(slurp(f.path).size()), int64_t{n + 5} * s);
            int32_t unit = kt_host_open_unit(f.c_str(), "r"), a = 0, b = 0, neg = -1, zero = 0, five = 5, status = -1;
            ASSERT_GE(unit, 1);
            kt_host_fail_store_after(0); // refused its block, a read takes no data
            EXPECT_NE(MMREAD(&unit, &n, &a, &s, &neg, &status), 0);
            EXPECT_NE(status, 0);
            kt_host_fail_store_after(-1);
            EXPECT_EQ(a, 0);
            EXPECT_EQ(MMREAD(&unit, &n, &a, &s, &neg, &status), 0);
            EXPECT_EQ(status, 0);
            EXPECT_EQ(MMREAD(&unit, &five, &b, &s, &zero, &status), 0);
            kt_host_close_unit(unit);
            ASSERT_TRUE(a != 0 && b != 0);
            EXPECT_TRUE(intact(a, s, n, 1));
            EXPECT_TRUE(intact(b, s, 5, 2));
            EXPECT_GE(kt_store_capacity(a, s), n);
            EXPECT_EQ(kt_store_class(a, s), -1);
            EXPECT_EQ(kt_store_class(b, s), 0);
            release(a, s);
            release(b, s);
        }
}

// Reads past the end and reads after a device failure are checked by the
// iar fuzz target's replay (its blocks_* seeds) and the I/O fault table.
TEST_F(BinaryUnits, BadUnitsAndRequestsFail) {
    TempFile fw("badw"), fr("badr");
    write_file(fr, {4}, 4);
    int32_t w = kt_host_open_unit(fw.c_str(), "w"), r = kt_host_open_unit(fr.c_str(), "r");
    int32_t closed = kt_host_open_unit(fw.c_str(), "w");
    ASSERT_TRUE(w >= 1 && r >= 1);
    kt_host_close_unit(closed);
    int32_t block = alloc(4, 4), four = 4, s = 4, cls = 0, status = 0, index = 0;
    const int64_t before = kt_host_store_bytes_in_use();
    for (int32_t unit : {0, 1, 6, 99, -1, closed, r}) {
        status = 0;
        EXPECT_NE(MMWRIT(&unit, &four, &block, &s, &status), 0) << unit;
        EXPECT_NE(status, 0);
    }
    for (int32_t unit : {0, 6, 99, closed, w}) {
        status = 0;
        EXPECT_NE(MMREAD(&unit, &four, &index, &s, &cls, &status), 0) << unit;
        EXPECT_NE(status, 0);
    }
    int32_t minus = -1, three = 3, none = 0;
    EXPECT_NE(MMWRIT(&w, &minus, &block, &s, &status), 0);
    EXPECT_NE(MMWRIT(&w, &four, &block, &three, &status), 0);
    EXPECT_NE(MMWRIT(&w, &four, &none, &s, &status), 0);
    EXPECT_EQ(MMWRIT(&w, &none, &none, &s, nullptr), 0) << "nothing, from no block, without a status cell";
    EXPECT_EQ(MMWRIT(&closed, &four, &block, &s, nullptr), 1) << "a code without a status cell";
    EXPECT_NE(MMREAD(&r, &minus, &index, &s, &cls, &status), 0);
    EXPECT_NE(MMREAD(&r, &four, &index, &three, &cls, &status), 0);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(kt_host_store_bytes_in_use(), before);
    kt_host_close_unit(w);
    kt_host_close_unit(r);
    EXPECT_EQ(slurp(fw.path), "") << "failed writes left data";
    release(block, 4);

    for (const char *mode : {"", "rw", "a", "wb", "R"})
        EXPECT_LT(kt_host_open_unit(fr.c_str(), mode), 0) << mode;
    EXPECT_LT(kt_host_open_unit(fr.c_str(), nullptr), 0);
    EXPECT_LT(kt_host_open_unit((fr.path + ".missing").c_str(), "r"), 0);
    EXPECT_LT(kt_host_open_unit(::testing::TempDir().c_str(), "r"), 0) << "a directory cannot be read";
    EXPECT_EQ(kt_host_unit_error(r), -1) << "closed";
    EXPECT_EQ(kt_host_close_unit(r), 0);
    EXPECT_LT(kt_host_open_unit("", "w"), 0);
    EXPECT_LT(kt_host_open_unit(nullptr, "w"), 0);
}

} // namespace
