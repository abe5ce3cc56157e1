// Abbreviation matching on keywords and texts held in blocks of exactly
// their size, so that reading past either is caught: the result must match
// the model, the C twin must agree, and KEYWSC must accept exactly the
// keyword up to its first blank.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "kt/text.h"
#include "text_checks.h"

using namespace kt::text_test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    std::string rest(reinterpret_cast<const char *>(data) + 1, size - 1);
    size_t split = data[0] % (rest.size() + 1);
    std::string keyword = rest.substr(0, split), text = rest.substr(split);
    Exact k(keyword), t(text);
    int32_t r = KWACMP(k.get(), t.get(), &t.n, k.n, t.n);
    require((r == 0) == reference_abbreviation(keyword, text));
    if (keyword.find('\0') == std::string::npos)
        require((c_kwacmp(keyword.c_str(), t.get(), t.n) == 0) == (r == 0));
    int32_t eq = KEYWSC(k.get(), t.get(), &t.n, k.n, t.n);
    require((eq == 0) == same_ignoring_case(keyword.substr(0, keyword.find(' ')), text));
    return 0;
}
