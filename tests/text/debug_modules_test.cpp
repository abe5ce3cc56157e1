#include "text_test_util.h"

using namespace kt::text_test;

namespace {

// Which names set which element, and the host's flag after each request,
// are the SDBE fuzz target's, replayed over its corpus; here SDBI, which
// clears the elements but tells the host nothing.
TEST(DebugModules, ClearingTellsTheHostNothing) {
    SDBI();
    Exact name("VSYSTEM");
    int32_t value = 3, status = 9, off = 0;
    EXPECT_EQ(SDBE(name.get(), &name.n, &value, &status, name.n), 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(SDBCBL[45], 3);
    EXPECT_EQ(kt_host_vsdebug(), 1);
    SDBI();
    EXPECT_EQ(SDBCBL[45], 0);
    EXPECT_EQ(kt_host_vsdebug(), 1) << "SDBI alone tells the host nothing";
    VSDEBUG(&off);
}

} // namespace
