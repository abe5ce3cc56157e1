// Transforms of real and complex arrays: the values of each code, the
// sentinels for zero and NaN magnitudes, continuous phase along the array
// and across calls, magnitudes at the ends of the floating range, labels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "kt/numerics.h"
#include "kt/store.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

class TransformTest : public ::testing::Test {
protected:
    void SetUp() override { CONSTI(); }
};

// Also run in place: the output may be the input's own storage, so element
// i must be read before it is written.
template <typename T> std::vector<T> complex_transform(const std::vector<T> &x, int32_t code) {
    std::vector<T> y(x.size() / 2, T(-7)), z = x;
    int32_t n = static_cast<int32_t>(y.size());
    if constexpr (sizeof(T) == 4) {
        TRX2S(x.data(), y.data(), &n, &code);
        TRX2S(z.data(), z.data(), &n, &code);
    } else {
        TRZ2D(x.data(), y.data(), &n, &code);
        TRZ2D(z.data(), z.data(), &n, &code);
    }
    EXPECT_EQ(std::memcmp(y.data(), z.data(), y.size() * sizeof(T)), 0) << "in place, code " << code;
    return y;
}

template <typename T> std::vector<T> real_transform(const std::vector<T> &x, int32_t code) {
    std::vector<T> y(x.size(), T(-7));
    int32_t n = static_cast<int32_t>(y.size());
    if constexpr (sizeof(T) == 4)
        TRS2S(x.data(), y.data(), &n, &code);
    else
        TRD2D(x.data(), y.data(), &n, &code);
    return y;
}

// Complex values exp(i * theta) * r, interleaved.
template <typename T> std::vector<T> polar(const std::vector<double> &theta, double r = 1.0) {
    std::vector<T> x;
    for (double t : theta) {
        x.push_back(static_cast<T>(r * std::cos(t)));
        x.push_back(static_cast<T>(r * std::sin(t)));
    }
    return x;
}

// Every code of either precision equals its formula in that precision;
// degrees are converted in double.
template <typename T> void expect_codes_match_formulas(uint32_t seed, T range) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<T> part(-range, range);
    std::vector<T> x(2000);
    for (T &v : x)
        v = part(rng);
    auto mag = complex_transform(x, 1), db = complex_transform(x, 2), rad = complex_transform(x, 3),
         re = complex_transform(x, 5), im = complex_transform(x, 6), deg = complex_transform(x, 7),
         lg = complex_transform(x, 9);
    for (size_t i = 0; i < mag.size(); ++i) {
        const T a = x[2 * i], b = x[2 * i + 1], m = std::sqrt(a * a + b * b);
        ASSERT_EQ(mag[i], m) << i;
        ASSERT_EQ(db[i], T(20) * std::log10(m)) << i;
        ASSERT_EQ(lg[i], std::log10(m)) << i;
        ASSERT_EQ(rad[i], std::atan2(b, a)) << i;
        ASSERT_DOUBLE_EQ(deg[i], static_cast<T>(static_cast<double>(std::atan2(b, a)) * (180.0 / kPi))) << i;
        ASSERT_EQ(re[i], a);
        ASSERT_EQ(im[i], b);
    }
}

TEST_F(TransformTest, ComplexCodesMatchTheirFormulas) {
    expect_codes_match_formulas<float>(5, 1e3f);
    expect_codes_match_formulas<double>(6, 1e6);
}

TEST_F(TransformTest, ZeroAndNaNMagnitudesGiveSentinelsForBothPrecisions) {
    struct Case {
        float re, im;
        int32_t code;
        float expect; // NaN: expect NaN
    } cases[] = {
        {3, 4, 2, 13.979400f}, {0, 0, 2, -1000},    {0, 0, 9, -1000}, {0, 0, 1, 0},
        {0, 0, 3, 0},          {0, 0, 7, 0},        {0, 1, 7, 90},    {-1, 0, 3, static_cast<float>(kPi)},
        {kNaN, 1, 2, -1000},   {1, kNaN, 9, -1000}, {kNaN, 0, 3, 0},  {kNaN, 1, 7, 0},
        {kNaN, 1, 1, kNaN},    {-0.0f, 0, 3, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.re << "," << c.im << " code " << c.code);
        float f = complex_transform(std::vector<float>{c.re, c.im}, c.code)[0];
        double d = complex_transform(std::vector<double>{c.re, c.im}, c.code)[0];
        if (std::isnan(c.expect)) {
            EXPECT_TRUE(std::isnan(f));
            EXPECT_TRUE(std::isnan(d));
        } else {
            EXPECT_NEAR(f, c.expect, 1e-4);
            EXPECT_NEAR(d, c.expect, 1e-4);
        }
    }
}

// Squares of these parts leave the floating range although their
// magnitudes do not; subnormal results keep fewer digits.
template <typename T> void expect_extreme_parts(std::initializer_list<T> parts, double digits, double db) {
    for (T part : parts) {
        const std::vector<T> x{part, part};
        const double mag = static_cast<double>(part) * std::sqrt(2.0);
        const bool subnormal = part < std::numeric_limits<T>::min();
        EXPECT_NEAR(complex_transform(x, 1)[0] / mag, 1.0, subnormal ? 1e-3 : digits) << part;
        EXPECT_NEAR(complex_transform(x, 2)[0], 20.0 * std::log10(mag), db) << part;
        EXPECT_NEAR(complex_transform(x, 3)[0], kPi / 4, 1e-3) << part;
        EXPECT_NEAR(complex_transform(x, 7)[0], 45.0, 1e-4) << part;
        if constexpr (sizeof(T) == 8) {
            EXPECT_NEAR(CMXABS(x.data()) / mag, 1.0, subnormal ? 1e-3 : digits) << part;
        }
    }
}

TEST_F(TransformTest, MagnitudesAtTheEndsOfTheRangeKeepTheirDigits) {
    expect_extreme_parts<float>({1e-30f, 3e-42f, 1e25f}, 1e-6, 1e-3);
    expect_extreme_parts<double>({1e-200, 1e200, 4e-320}, 1e-15, 1e-2);
}

// Codes 1, 2 and 9 give |x|, its dB and its logarithm in the array's own
// precision (-1000 for zero and NaN); every other code copies.
template <typename T> void expect_real_codes(const std::vector<T> &x) {
    for (int32_t code : {1, 2, 9, 0, 3, 4, 5, 42, -1}) {
        const std::vector<T> y = real_transform(x, code);
        for (size_t i = 0; i < x.size(); ++i) {
            const T m = std::fabs(x[i]), lg = m > 0 ? std::log10(m) : T(-1000);
            const T expect = code == 1 ? m : code == 2 ? (m > 0 ? T(20) * lg : lg) : code == 9 ? lg : x[i];
            EXPECT_TRUE(std::isnan(expect) ? std::isnan(y[i]) : y[i] == expect) << code << " " << x[i] << " " << y[i];
        }
    }
}

TEST_F(TransformTest, RealInputCodes) {
    expect_real_codes<float>({-2.5f, 0.0f, 100.0f, kNaN, -0.001f, 0.3f});
    expect_real_codes<double>({-2.5, 0.0, 100.0, std::nan(""), -0.001, 0.3});
}

// Unknown codes leave the complex output (and the phase workspace) alone;
// no elements, whatever the code, write nothing.
TEST_F(TransformTest, UnknownCodesAndNoElementsWriteNothing) {
    float xs[4] = {1, 2, 3, 4}, ys[2] = {9.5f, 9.5f}, w[2] = {8, 8};
    double xd[2] = {1, 2}, yd[1] = {9.5};
    for (int32_t code : {0, 10, -3, 1000}) {
        int32_t one = 1, two = 2;
        TRX2S(xs, ys, &two, &code);
        TRZ2D(xd, yd, &one, &code);
        TRX2SN(xs, ys, &one, &code, w, &two);
    }
    for (int32_t n : {0, -4}) {
        for (int32_t code = 0; code <= 9; ++code) {
            int32_t k = 1;
            TRS2S(xs, ys, &n, &code);
            TRD2D(xd, yd, &n, &code);
            TRX2S(xs, ys, &n, &code);
            TRZ2D(xd, yd, &n, &code);
            TRX2SN(xs, ys, &n, &code, w, &k);
        }
    }
    EXPECT_EQ(std::vector<float>(ys, ys + 2), (std::vector<float>{9.5f, 9.5f}));
    EXPECT_EQ(yd[0], 9.5);
    EXPECT_EQ(std::vector<float>(w, w + 2), (std::vector<float>{8, 8}));
}

// A phase that advances by less than 2 pi - T per step is recovered
// exactly, whatever the number of turns, in both directions.
TEST_F(TransformTest, ContinuousPhaseAlongTheArrayFollowsTheTurns) {
    std::mt19937 rng(11);
    for (double direction : {1.0, -1.0}) {
        std::uniform_real_distribution<double> step(0.0, 1.2);
        std::vector<double> theta{0.3};
        for (int i = 1; i < 500; ++i)
            theta.push_back(theta.back() + direction * step(rng));
        auto rad = complex_transform(polar<double>(theta, 2.0), 4);
        auto deg = complex_transform(polar<double>(theta, 0.5), 8);
        auto single = complex_transform(polar<float>(theta), 4);
        for (size_t i = 0; i < theta.size(); ++i) {
            ASSERT_NEAR(rad[i], theta[i], 1e-9) << i;
            ASSERT_NEAR(deg[i], theta[i] * 180 / kPi, 1e-7) << i;
            ASSERT_NEAR(single[i], theta[i], 1e-3) << i;
        }
        EXPECT_GT(std::fabs(rad.back()), 20 * kPi) << "the offset accumulates over many turns";
    }
}

// The threshold T is 1.6f * pi, a little above 1.6 * pi: a jump between
// the two is not corrected (double precision only can tell).
TEST_F(TransformTest, ContinuousPhaseJumpsAndZeros) {
    const double twopi = 2 * kPi, limit = static_cast<double>(1.6f) * kPi;
    const double below = 1.6 * kPi + 0.5 * (limit - 1.6 * kPi), above = limit + 1e-9;
    struct Case {
        const char *what;
        std::vector<double> phase; // NaN marks a zero magnitude
        std::vector<double> expect;
        bool single = true;
    } cases[] = {
        {"wrap upwards", {3.0, -3.0}, {3.0, -3.0 + twopi}},
        {"wrap downwards", {-3.0, 3.0}, {-3.0, 3.0 - twopi}},
        {"jump of 5.0 is below T", {3.0, -2.0}, {3.0, -2.0}},
        {"zero breaks the chain", {3.0, NAN, -3.0}, {3.0, 0.0, -3.0}},
        {"zero keeps the offset", {3.0, -3.0, NAN, 3.0}, {3.0, -3.0 + twopi, twopi, 3.0 + twopi}},
        {"first element never corrected", {-3.0, -2.9}, {-3.0, -2.9}},
        {"between 1.6 pi and T", {0.5 * below, -0.5 * below}, {0.5 * below, -0.5 * below}, false},
        {"just above T", {0.5 * above, -0.5 * above}, {0.5 * above, -0.5 * above + twopi}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<double> xd;
        for (double p : c.phase) {
            xd.push_back(std::isnan(p) ? 0.0 : std::cos(p));
            xd.push_back(std::isnan(p) ? 0.0 : std::sin(p));
        }
        std::vector<float> xf(xd.begin(), xd.end());
        auto d = complex_transform(xd, 4), dd = complex_transform(xd, 8);
        auto f = complex_transform(xf, 4);
        for (size_t i = 0; i < c.expect.size(); ++i) {
            EXPECT_NEAR(d[i], c.expect[i], 1e-12) << i;
            EXPECT_NEAR(dd[i], c.expect[i] * 180 / kPi, 1e-9) << i;
            if (c.single) {
                EXPECT_NEAR(f[i], c.expect[i], 1e-5) << i;
            }
        }
    }
}

// Each point's phase is continued from the previous curve of the family.
TEST_F(TransformTest, ContinuousPhaseAcrossCalls) {
    const int32_t n = 64;
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> start(-3.1, 3.1), step(-1.2, 1.2);
    std::vector<double> theta(n), delta(n);
    for (int i = 0; i < n; ++i) {
        theta[i] = start(rng);
        delta[i] = step(rng);
    }
    std::vector<float> w(2 * n, 12345.0f), y(n);
    int32_t count = n;
    for (int32_t k = 1; k <= 40; ++k) {
        auto x = polar<float>(theta, k % 3 == 0 ? 0.25 : 4.0);
        int32_t code = k % 2 ? 4 : 8;
        TRX2SN(x.data(), y.data(), &count, &code, w.data(), &k);
        const double scale = code == 8 ? 180 / kPi : 1.0;
        for (int i = 0; i < n; ++i)
            ASSERT_NEAR(y[i] / scale, theta[i], 2e-4 * (1 + std::fabs(theta[i]))) << "call " << k << " point " << i;
        for (int i = 0; i < n; ++i)
            theta[i] += delta[i];
    }
    // A new family (K <= 1) forgets the offsets.
    int32_t restart = 0, code = 4;
    auto x = polar<float>(theta);
    TRX2SN(x.data(), y.data(), &count, &code, w.data(), &restart);
    for (int i = 0; i < n; ++i)
        EXPECT_NEAR(y[i], std::atan2(std::sin(theta[i]), std::cos(theta[i])), 1e-5);
}

// Point 1 wraps from 3.0 to -3.0; point 2 goes 3.0, zero magnitude,
// -3.0 and is compared with phase 0 at the zero, so it never wraps.
TEST_F(TransformTest, ContinuousPhaseAcrossCallsWrapsAndTakesZerosAsPhaseZero) {
    const float c3 = std::cos(3.0f), s3 = std::sin(3.0f);
    const std::vector<std::vector<float>> calls = {{c3, s3, c3, s3}, {-1, 0, 0, 0}, {c3, -s3, c3, -s3}};
    const double expect[3][2] = {{3.0, 3.0}, {kPi, 0.0}, {-3.0 + 2 * kPi, -3.0}};
    std::vector<float> w(4), y(2);
    int32_t n = 2, code = 4;
    for (int32_t k = 1; k <= 3; ++k) {
        TRX2SN(calls[k - 1].data(), y.data(), &n, &code, w.data(), &k);
        EXPECT_NEAR(y[0], expect[k - 1][0], 1e-5) << "call " << k;
        EXPECT_NEAR(y[1], expect[k - 1][1], 1e-5) << "call " << k;
    }
}

// Only the low bit of the flag asks for the long label; unknown codes give
// a blank label and length -1.
TEST(TransformLabel, ShortAndLongLabels) {
    const char *brief[] = {"", "MAG", "DB", "RAD", "RAD", "RE", "IM", "DEG", "DEG", "LOG"};
    const char *full[] = {"",
                          "Magnitude",
                          "dB",
                          "Phase (rad)",
                          "Continuous Phase (rad)",
                          "Real Part",
                          "Imaginary Part",
                          "Phase (deg)",
                          "Continuous Phase (deg)",
                          "Logarithm"};
    for (int32_t code = -1; code <= 10; ++code) {
        for (int32_t flag : {0, 1, -1, 2}) {
            const bool known = code >= 0 && code <= 9;
            const std::string text = known ? (flag & 1 ? full : brief)[code] : "";
            char label[30];
            std::fill(label, label + 30, 'x');
            int32_t len = 99;
            TRSFKW(&code, &flag, label, &len, 24);
            EXPECT_EQ(std::string(label, 24), text + std::string(24 - text.size(), ' ')) << code << " " << flag;
            EXPECT_EQ(len, known ? static_cast<int32_t>(text.size()) : -1) << code << " " << flag;
            EXPECT_EQ(label[24], 'x') << "nothing beyond the declared length";
        }
    }
    char brief_area[5];
    int32_t code = 8, yes = 1, len = 0;
    TRSFKW(&code, &yes, brief_area, &len, 5);
    EXPECT_EQ(std::string(brief_area, 5), "Conti");
    EXPECT_EQ(len, 22) << "the label's own length, even when cut";
}

} // namespace
