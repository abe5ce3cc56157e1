// The slot list's number reader on arbitrary bytes of any length, held one
// per word: it must read every text without touching a word past it,
// ignore the upper bytes of each word, never give NaN, ignore whatever
// follows a scale letter, and read a plain number as strtod does.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "kt/slot_list.h"
#include "text_checks.h"

using namespace kt::text_test;

namespace {

double read(const std::string &text, uint32_t upper) {
    const int32_t n = len(text);
    std::unique_ptr<int32_t[]> words(new int32_t[text.empty() ? 1 : text.size()]);
    for (size_t i = 0; i < text.size(); ++i)
        words[i] = static_cast<int32_t>((upper << 8) | static_cast<unsigned char>(text[i]));
    return RLCNVR(words.get(), &n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    const double v = read(text, 0);
    require(!std::isnan(v));
    const double junk = read(text, 0xA5C3E1u);
    require(std::memcmp(&v, &junk, sizeof v) == 0);
    if (!text.empty() && plain_number(text)) {
        const double plain = std::strtod(text.c_str(), nullptr);
        require(v == plain);
        // A kilo after the number multiplies it, whatever follows.
        require(read(text + "k" + text, 0) == plain * 1e3);
        require(read(text + "MEG", 0) == plain * 1e6);
    }
    return 0;
}
