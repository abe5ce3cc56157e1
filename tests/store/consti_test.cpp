// The shared constants: zeros until CONSTI runs, then each constant the
// double nearest its exact value, under the C and the Fortran name.
#include <gtest/gtest.h>

#include <cmath>

#include "kt/store.h"

extern "C" double mathc_[8];

namespace {

// Runs first in this binary, and ctest runs each test in its own process.
TEST(Constants, ZeroUntilFilledThenNearestDoubles) {
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(MATHC[i], 0.0) << "loading the library runs no code";
        EXPECT_EQ(mathc_[i], 0.0);
    }
    c_consti();
    const long double pi = 3.141592653589793238462643383279502884L;
    const long double exact[8] = {pi,       2 * pi,         pi / 2,          pi / 4,
                                  180 / pi, std::exp(1.0L), std::sqrt(2.0L), std::sqrt(0.5L)};
    // This program refers to both names, so each has its own copy here.
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(MATHC[i], static_cast<double>(exact[i])) << i;
        EXPECT_EQ(mathc_[i], static_cast<double>(exact[i])) << "the Fortran name sees the constants too";
    }
    EXPECT_EQ(MATHC[4], 57.29577951308232);
    // A caller that overwrote one gets it back.
    MATHC[1] = -1;
    CONSTI();
    EXPECT_EQ(MATHC[1], 2 * MATHC[0]);
}

} // namespace
