// The hexadecimal image reader on texts of any length: it rejects the
// first character that is not a hexadecimal digit (or the first missing
// one), leaving the value alone, and otherwise yields exactly the 64 bits
// written, most significant digit first; what follows the 16 digits is
// never looked at.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "kt/text.h"
#include "text_checks.h"

using namespace kt::text_test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    Exact e(text);
    const uint64_t untouched = 0x0123456789abcdefu;
    double v;
    std::memcpy(&v, &untouched, sizeof v);
    int32_t code = CNSX2D(e.get(), &v, e.n);
    uint64_t bits = 0, got = 0;
    std::memcpy(&got, &v, sizeof got);
    for (int32_t i = 0; i < 16; ++i) {
        int digit = -1;
        if (i < e.n) {
            char c = lower(text[static_cast<size_t>(i)]);
            digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        }
        if (digit < 0) {
            require(code == i + 1 && got == untouched);
            return 0;
        }
        bits = bits << 4 | static_cast<uint64_t>(digit);
    }
    require(code == 0 && got == bits);
    return 0;
}
