// The lenient reader on arbitrary bytes of any length: it must read every
// text without touching a byte past it, its C twin must agree, and a text
// that is a plain number followed by a blank gives what strtod gives.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "kt/text.h"
#include "text_checks.h"

using namespace kt::text_test;

namespace {} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    Exact e(text);
    double v = S2DCNV(e.get(), &e.n, e.n);
    double twin = c_s2dcnv(e.get(), e.n);
    require(std::memcmp(&v, &twin, sizeof v) == 0);
    require(!std::isnan(v));
    if (!text.empty() && plain_number(text)) {
        Exact blank_after(text + " V");
        require(S2DCNV(blank_after.get(), &blank_after.n, blank_after.n) == std::strtod(text.c_str(), nullptr));
        require(v == std::strtod(text.c_str(), nullptr));
    }
    return 0;
}
