// Squeezing white space in place against the model: the new length, the
// squeezed words, and every character past the new length untouched.
#include <cstdint>
#include <cstdlib>

#include "kt/text.h"
#include "text_checks.h"

using namespace kt::text_test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    std::string expected = reference_squeeze(text);
    Exact e(text);
    int32_t n = e.n;
    int32_t r = S2SCN(e.get(), &n, n);
    require(r == len(expected));
    std::string after = e.str();
    require(after.compare(0, expected.size(), expected) == 0);
    require(after.compare(expected.size(), std::string::npos, text, expected.size(), std::string::npos) == 0);
    return 0;
}
