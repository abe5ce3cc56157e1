// The checking reader on arbitrary bytes: the result is 0, a position
// within the text or just past it, or 51 for a text over 50 characters; a
// rejection leaves the value alone; an accepted text gives exactly what
// strtod gives for the same number with its scale word as an exponent; and
// the lenient reader agrees on every accepted text.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "kt/text.h"
#include "text_checks.h"

using namespace kt::text_test;

namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    Exact e(text);
    const double untouched = -1234.5;
    double v = untouched;
    int32_t code = VBCS2D(e.get(), &e.n, &v, e.n);
    if (e.n > 50) {
        require(code == 51);
        require(same_bits(v, untouched));
        return 0;
    }
    require(code >= 0 && code <= e.n + 1);
    if (code != 0) {
        require(same_bits(v, untouched));
        return 0;
    }
    double expected = std::strtod(expanded_literal(text).c_str(), nullptr);
    require(same_bits(v, expected));
    require(same_bits(S2DCNV(e.get(), &e.n, e.n), expected));
    return 0;
}
