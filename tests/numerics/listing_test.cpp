// Listings through the host's output: line lengths and values per line,
// the notation of each listing, the dumps' layout, columns, interrupts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "kt/host.h"
#include "kt/numerics.h"

namespace {

class ListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        kt_host_capture_output(1);
        kt_host_clear_output();
    }
    void TearDown() override {
        kt_host_set_interrupt(0);
        int32_t width = 80;
        OOSETO("bsize", &width, 5);
        kt_host_clear_output();
        kt_host_capture_output(0);
    }
    static std::vector<std::string> lines() {
        std::vector<std::string> out;
        std::istringstream in(kt_host_output());
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    }
};

TEST_F(ListingTest, VoutFourValuesOfTwentyCharacters) {
    const std::vector<double> a{1.5, -2.25e-7, 0, 123456.789, -1e100, 3};
    const int32_t n = 6;
    VOUT(a.data(), &n);
    auto l = lines();
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0], "  1.500000000000E+00 -2.250000000000E-07  0.000000000000E+00  1.234567890000E+05");
    EXPECT_EQ(l[1], "-1.000000000000E+100  3.000000000000E+00") << "a three-digit exponent fills the field";
    EXPECT_EQ(l[0].size(), 80u);
}

TEST_F(ListingTest, VoutsFiveValuesOfThirteenCharacters) {
    std::vector<float> a(11);
    for (int i = 0; i < 11; ++i)
        a[i] = static_cast<float>(i) * 0.5f - 1;
    const int32_t n = 11;
    VOUTS(a.data(), &n);
    auto l = lines();
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0], " -1.00000E+00 -5.00000E-01  0.00000E+00  5.00000E-01  1.00000E+00");
    EXPECT_EQ(l[2], "  4.00000E+00");
}

TEST_F(ListingTest, ComplexVectorsTwoToALine) {
    const std::vector<double> z{1, -2, 0.5, 0.25, -3e-3, 4e10};
    const int32_t n = 3;
    VOUTZ(z.data(), &n);
    const std::vector<double> re{1, 0.5, -3e-3}, im{-2, 0.25, 4e10};
    VOUTZ2(re.data(), im.data(), &n);
    auto l = lines();
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[0], "  ( 1.00000E+00,-2.00000E+00)( 5.00000E-01, 2.50000E-01)");
    EXPECT_EQ(l[1], "  (-3.00000E-03, 4.00000E+10)");
    EXPECT_EQ(l[2], l[0]);
    EXPECT_EQ(l[3], l[1]);
}

TEST_F(ListingTest, Voutz2StopsOnInterrupt) {
    const std::vector<double> re{1, 2, 3, 4}, im{0, 0, 0, 0};
    const int32_t n = 4;
    kt_host_set_interrupt(1);
    VOUTZ2(re.data(), im.data(), &n);
    EXPECT_TRUE(lines().empty());
    kt_host_set_interrupt(0);
    VOUTZ2(re.data(), im.data(), &n);
    EXPECT_EQ(lines().size(), 2u);
}

TEST_F(ListingTest, NothingForNoValues) {
    const double a[1] = {1};
    const float f[1] = {1};
    for (int32_t n : {0, -2}) {
        VOUT(a, &n);
        VOUTS(f, &n);
        VOUTZ(a, &n);
        VOUTZ2(a, a, &n);
        VOUTX(a, &n);
    }
    EXPECT_TRUE(lines().empty());
}

TEST_F(ListingTest, NonFiniteValuesKeepTheirField) {
    const std::vector<double> a{std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()};
    const int32_t n = 2;
    VOUT(a.data(), &n);
    auto l = lines();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].size(), 40u);
    EXPECT_NE(l[0].find("NAN"), std::string::npos);
    EXPECT_NE(l[0].find("-INF"), std::string::npos);
}

TEST_F(ListingTest, VoutxUsesTheHostsSixteenDigits) {
    const std::vector<double> a{0.1, 2, 1.0 / 3, -4, 5};
    const int32_t n = 5;
    VOUTX(a.data(), &n);
    auto l = lines();
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0], "  0.1  2  0.3333333333333333  -4");
    EXPECT_EQ(l[1], "  5");
}

TEST_F(ListingTest, DumpVectors) {
    const std::vector<double> d{1.5, -2};
    const std::vector<float> f{0.25f, 3};
    const std::vector<double> z{1, 2, 3, 4};
    const int32_t n = 2, yes = 1, no = 0;
    DMPD1("vec", &yes, d.data(), &n, 3);
    DMPR1("ignored", &no, f.data(), &n, 7);
    DMPDC1("z  ", &yes, z.data(), &n, 3);
    auto l = lines();
    ASSERT_EQ(l.size(), 5u);
    EXPECT_EQ(l[0], "vec:");
    EXPECT_EQ(l[1], "  1.5  -2  ");
    EXPECT_EQ(l[2], "  0.25  3  ");
    EXPECT_EQ(l[3], "z  :") << "the title keeps its declared length";
    EXPECT_EQ(l[4], "  (1,2)  (3,4)  ");
}

// Column-major storage: element (i, j) of an m-by-n matrix is a[i + j*m].
TEST_F(ListingTest, DumpMatricesRowByRow) {
    const std::vector<double> d{1, 2, 3, 4, 5, 6};
    const std::vector<float> f{1, 2, 3, 4, 5, 6};
    const std::vector<float> c{1, -1, 2, -2, 3, -3, 4, -4};
    const std::vector<double> z{1, -1, 2, -2, 3, -3, 4, -4};
    const int32_t two = 2, three = 3, one = 1, no = 0;
    DMPD2("m", &one, d.data(), &two, &three, 1);
    DMPR2("", &no, f.data(), &three, &two, 0);
    DMPC2("", &no, c.data(), &two, &two, 0);
    DMPDC2("", &no, z.data(), &two, &two, 0);
    auto l = lines();
    ASSERT_EQ(l.size(), 10u);
    EXPECT_EQ(l[0], "m:");
    EXPECT_EQ(l[1], "  1  3  5  ");
    EXPECT_EQ(l[2], "  2  4  6  ");
    EXPECT_EQ(l[3], "  1  4  ");
    EXPECT_EQ(l[4], "  2  5  ");
    EXPECT_EQ(l[5], "  3  6  ");
    EXPECT_EQ(l[6], "  (1,-1)  (3,-3)  ");
    EXPECT_EQ(l[7], "  (2,-2)  (4,-4)  ");
    EXPECT_EQ(l[8], l[6]);
    EXPECT_EQ(l[9], l[7]);
}

TEST_F(ListingTest, DumpEdges) {
    const double d[1] = {7};
    const int32_t zero = 0, two = 2, no = 0;
    DMPD1("", &no, d, &zero, 0);
    DMPD2("", &no, d, &zero, &two, 0);
    DMPD2("", &no, d, &two, &zero, 0);
    auto l = lines();
    EXPECT_EQ(l, (std::vector<std::string>{"  ", "  ", "  "}));
}

// With width 80 and W = 10, P = 7: texts go 4 to a line (slots 1, 3, 5, 7).
TEST_F(ListingTest, ColumnsAcrossTheOutputWidth) {
    std::string texts;
    for (int i = 1; i <= 9; ++i)
        texts += "name" + std::to_string(i) + "     ";
    const int32_t n = 9, w = 10;
    WRCOL(texts.data(), &n, &w, static_cast<int32_t>(texts.size()));
    auto l = lines();
    const std::string gap(10, ' ');
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0], "name1     " + gap + "name2     " + gap + "name3     " + gap + "name4     ");
    EXPECT_EQ(l[2], "name9     " + gap);

    kt_host_clear_output();
    int32_t width = 30;
    OOSETO("bsize", &width, 5);
    const int32_t two = 2;
    WRCOL(texts.data(), &two, &w, static_cast<int32_t>(texts.size()));
    EXPECT_EQ(lines(), (std::vector<std::string>{"name1     ", "name2     ", ""}))
        << "P = 2: one text to a line, and the final line comes out empty";
}

TEST_F(ListingTest, ColumnsOfNothing) {
    const int32_t zero = 0, w = 4, n = 3;
    WRCOL("abcd", &zero, &w, 4);
    WRCOL("abcd", &n, &zero, 4);
    EXPECT_EQ(lines(), (std::vector<std::string>{"", ""}));
}

} // namespace
