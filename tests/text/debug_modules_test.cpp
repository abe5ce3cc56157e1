#include "text_test_util.h"

using namespace kt::text_test;

namespace {

class DebugModules : public ::testing::Test {
protected:
    void SetUp() override { SDBI(); }
    void TearDown() override {
        SDBI();
        const int32_t off = 0;
        VSDEBUG(&off);
    }
    int32_t set(const std::string &name, int32_t value) { return set_n(name, value, len(name)); }
    int32_t set_n(const std::string &name, int32_t value, int32_t n) {
        Exact e(name);
        int32_t status = 9;
        int32_t r = SDBE(e.get(), &n, &value, &status, e.n);
        EXPECT_EQ(status, r);
        return r;
    }
};

TEST_F(DebugModules, SetsTheNamedElement) {
    struct Case {
        std::string name;
        int32_t element;
    } cases[] = {{"lu", 14},      {"mxs", 1},       {"mxs1", 2},     {"LU", 14},    {"dams", 88},
                 {"deprec8", 87}, {"schedule", 58}, {"vsystem", 46}, {"pl_set", 19}};
    int32_t value = 3;
    for (const auto &c : cases) {
        SDBI();
        EXPECT_EQ(set(c.name, value), 0) << c.name;
        for (int32_t i = 1; i <= 100; ++i)
            EXPECT_EQ(SDBCBL[i - 1], i == c.element ? value : 0) << c.name << " element " << i;
        ++value;
    }
}

TEST_F(DebugModules, NamesMustBeGivenWhole) {
    struct Case {
        std::string name;
        int32_t n;
    } cases[] = {{"mx", 2}, {"lux", 3},      {"schedule1", 9},          {"", 0},      {"lu", 0}, {"lu", -1},
                 {" ", 1},  {"        ", 8}, {std::string(1, '\0'), 1}, {"deprec", 6}};
    for (const auto &c : cases) {
        EXPECT_EQ(set_n(c.name, 5, c.n), 1) << "'" << c.name << "' n " << c.n;
        for (int32_t i = 1; i <= 100; ++i)
            EXPECT_EQ(SDBCBL[i - 1], 0) << "'" << c.name << "' changed element " << i;
    }
    // Blank-padded names as Fortran passes them are found.
    EXPECT_EQ(set("lu      ", 7), 0);
    EXPECT_EQ(SDBCBL[13], 7);
    EXPECT_EQ(set("mxs ", 8), 0);
    EXPECT_EQ(SDBCBL[0], 8);
}

TEST_F(DebugModules, SystemFlagFollowsBitZeroOfVsystem) {
    EXPECT_EQ(set("vsystem", 1), 0);
    EXPECT_EQ(kt_host_vsdebug(), 1);
    EXPECT_EQ(set("trace", 99), 0);
    EXPECT_EQ(kt_host_vsdebug(), 1) << "vsystem keeps bit 0 set";
    EXPECT_EQ(set("vsystem", 2), 0);
    EXPECT_EQ(kt_host_vsdebug(), 0);
    EXPECT_EQ(set("vsystem", 3), 0);
    SDBI();
    EXPECT_EQ(kt_host_vsdebug(), 1) << "SDBI alone tells the host nothing";
    EXPECT_EQ(set("fft", 1), 0);
    EXPECT_EQ(kt_host_vsdebug(), 0);
    // A failed SDBE leaves the host's flag alone.
    EXPECT_EQ(set("vsystem", 1), 0);
    EXPECT_EQ(set("nosuch", 0), 1);
    EXPECT_EQ(kt_host_vsdebug(), 1);
}

} // namespace
