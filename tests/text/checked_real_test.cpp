#include <cmath>
#include <cstdlib>
#include <random>

#include "text_test_util.h"

using namespace kt::text_test;

namespace {

// The position of the first character the reader cannot take, which
// leaves the value alone; a rejected scale word is reported where the
// reader stands after it.
TEST(CheckedReader, RejectsAtTheFirstCharacterItCannotTake) {
    struct Case {
        std::string text;
        int32_t position;
    } cases[] = {
        {"1.5KOHM", 5}, {"1MIL", 3},  {"+", 2},  {"1E+", 4},    {"1MEGA", 5}, {"1\xb5", 2},
        {"1MU5", 4},    {"1KMEG", 5}, {"MU", 2}, {"1E5MEG", 6}, {"1KME", 4},  {"1KMU", 4},
    };
    for (const Case &c : cases) {
        double v = 42.0;
        EXPECT_EQ(checked(c.text, v), c.position) << c.text;
        EXPECT_EQ(v, 42.0) << c.text;
    }
}

// Over 50 characters are not looked at; no characters read as 0.
TEST(CheckedReader, CountsAndTheTwin) {
    double v = 42.0;
    EXPECT_EQ(checked(std::string(51, 'x'), v), 51);
    EXPECT_EQ(v, 42.0);
    EXPECT_EQ(checked("", v), 0);
    EXPECT_EQ(v, 0.0);
    int32_t negative = -3;
    v = 42.0;
    EXPECT_EQ(VBCS2D("junk", &negative, &v, 4), 0);
    EXPECT_EQ(v, 0.0);
    EXPECT_EQ(c_vbcs2d("10KOHM", 2, &v), 0) << "only the first n characters";
    EXPECT_EQ(v, 10.0);
    EXPECT_EQ(c_vbcs2d("10KOHM", 6, &v), 4);
    EXPECT_EQ(c_vbcs2d("10K", 3, &v), 0);
    EXPECT_EQ(v, 10000.0);
}

// ---- generated numbers ------------------------------------------------------

const char *const kScaleWords[][2] = {{"A", "E-18"}, {"F", "E-15"}, {"P", "E-12"}, {"N", "E-9"},
                                      {"U", "E-6"},  {"MU", "E-6"}, {"M", "E-3"},  {"K", "E3"},
                                      {"ME", "E6"},  {"MEG", "E6"}, {"G", "E9"},   {"T", "E12"}};

std::string digits(std::mt19937 &rng, size_t n) {
    std::string d(n, '0');
    for (char &c : d)
        c = static_cast<char>('0' + rng() % 10);
    return d;
}

// A valid text and the same number as a plain literal for strtod: a sign,
// digits around a point (now and then nearly all the 50 characters a text
// may have), then an exponent, a scale word or nothing, in mixed case.
std::pair<std::string, std::string> random_number(std::mt19937 &rng) {
    const char *const signs[] = {"+", "-", ""};
    const char *sign = signs[rng() % 3];
    const size_t most = rng() % 8 ? 18 : 48;
    std::string mantissa = digits(rng, rng() % most), after = digits(rng, rng() % most);
    mantissa += rng() % 3 == 0 ? "." + after : rng() % 2 ? "." : "";
    if (mantissa.empty() || mantissa == ".")
        mantissa = "." + after + "5";
    std::string text = sign + mantissa, literal = (*sign == '-' ? "-" : "") + mantissa;
    const int32_t tail = static_cast<int32_t>(rng() % 3);
    if (tail == 0) {
        const std::string exponent_sign = signs[rng() % 3], exponent = digits(rng, 1 + rng() % 3);
        text += (rng() % 2 ? "E" : "D") + exponent_sign + exponent;
        literal += "E" + exponent_sign + exponent;
    } else if (tail == 1) {
        const auto &w = kScaleWords[rng() % 12];
        text += w[0];
        literal += w[1];
    }
    for (char &c : text)
        if (rng() % 2)
            c = lower(c);
    return {text, literal};
}

// Where random texts are rejected, against a model of the grammar, is the
// Python binding's test; here long mantissas and exponents, exactly.
TEST(CheckedReader, MatchesACorrectConversionOnRandomNumbers) {
    std::mt19937 rng(4711);
    for (int i = 0; i < 200000; ++i) {
        auto [text, literal] = random_number(rng);
        if (text.size() > 50)
            continue;
        double v = 0, expected = std::strtod(literal.c_str(), nullptr);
        ASSERT_EQ(checked(text, v), 0) << text;
        ASSERT_EQ(std::memcmp(&v, &expected, sizeof v), 0)
            << text << " read as " << v << ", " << literal << " is " << expected;
        ASSERT_EQ(lenient(text), expected) << text << ": the lenient reader means the same number";
    }
}

} // namespace
