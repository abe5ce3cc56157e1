// The validating integer reader against a model that accumulates in 64
// bits and wraps at the end; the unchecked reader must agree on every text
// the validating one accepts.
#include <cstdint>
#include <cstdlib>

#include "kt/text.h"
#include "text_checks.h"

using namespace kt::text_test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    Exact e(text);
    int32_t value = 99;
    int32_t code = VBCS2I(e.get(), &e.n, &value, e.n);
    size_t i = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    uint64_t acc = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            require(code == 1 && value == static_cast<int32_t>(static_cast<uint32_t>(acc)));
            return 0;
        }
        acc = (acc * 10 + static_cast<uint64_t>(text[i] - '0')) & 0xffffffffu;
    }
    uint32_t magnitude = static_cast<uint32_t>(acc);
    int32_t expected = static_cast<int32_t>(!text.empty() && text[0] == '-' ? 0u - magnitude : magnitude);
    require(code == 0 && value == expected);
    require(S2ICNV(e.get(), &e.n, e.n) == expected);
    int32_t twin = 0;
    require(c_vbcs2i(e.get(), e.n, &twin) == 0 && twin == expected);
    return 0;
}
