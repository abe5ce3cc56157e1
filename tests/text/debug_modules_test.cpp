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
    int32_t set(const std::string &name, int32_t value) {
        Exact e(name);
        int32_t status = 9;
        int32_t r = SDBE(e.get(), &e.n, &value, &status, e.n);
        EXPECT_EQ(status, r);
        return r;
    }
};

// Which names set which element, and the host's flag after each request,
// are the SDBE fuzz target's, replayed over its corpus; here SDBI, which
// clears the elements but tells the host nothing.
TEST_F(DebugModules, ClearingTellsTheHostNothing) {
    EXPECT_EQ(set("VSYSTEM", 3), 0);
    EXPECT_EQ(SDBCBL[45], 3);
    EXPECT_EQ(kt_host_vsdebug(), 1);
    SDBI();
    EXPECT_EQ(SDBCBL[45], 0);
    EXPECT_EQ(kt_host_vsdebug(), 1) << "SDBI alone tells the host nothing";
}

} // namespace
