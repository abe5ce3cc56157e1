// CNSX2D: the 16-digit hexadecimal image of a double, read back.
//
// The first eight digits fill the higher-addressed 32-bit word of the
// double unless the host's machine description (MACHC element 19) says 1,
// so on this little-endian host the text is the usual most-significant-
// digit-first image of the 64 bits. A text shorter than 16 characters is
// rejected at its first missing position, never read past.
#include <cstring>

#include "common/fortran_alias.h"
#include "common/ascii.h"
#include "kt/host.h"
#include "kt/text.h"

using namespace kt::text;

namespace {

constexpr int32_t kDigits = 16, kWordDigits = 8, kByteOrderElement = 19;

int32_t hex_value(char c) {
    c = lower_ascii(c);
    if (is_digit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

extern "C" {

int32_t CNSX2D(const char *text, double *value, int32_t text_len) {
    uint32_t words[2] = {0, 0};
    const int first_word = MACHC.i[kByteOrderElement - 1] == 1 ? 0 : 1;
    for (int32_t i = 0; i < kDigits; ++i) {
        int32_t digit = i < text_len ? hex_value(text[i]) : -1;
        if (digit < 0)
            return i + 1;
        uint32_t &word = words[i < kWordDigits ? first_word : 1 - first_word];
        word = word * 16u + static_cast<uint32_t>(digit);
    }
    std::memcpy(value, words, sizeof words);
    return 0;
}
KT_FORTRAN_ALIAS(CNSX2D, cnsx2d_);

} // extern "C"
