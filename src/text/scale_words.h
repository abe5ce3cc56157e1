// The scale letters of engineering notation and the exponents they stand
// for. Position k (1-based) of "AFPNUMKMGT" pairs with exponent k; the
// second M is mega, reached only through the words ME and MEG. The real
// readers substitute the exponent into the literal rather than multiply,
// so 4.7K is the double nearest to 4700.
#ifndef KT_SRC_TEXT_SCALE_WORDS_H
#define KT_SRC_TEXT_SCALE_WORDS_H

#include <cstdint>

namespace kt::text {

enum ScalePosition : int32_t { kAtto = 1, kFemto, kPico, kNano, kMicro, kMilli, kKilo, kMega, kGiga, kTera };

// Power of ten of scale position k (0: no scale word).
constexpr int32_t kScalePower[11] = {0, -18, -15, -12, -9, -6, -3, 3, 6, 9, 12};

// First position of an (upper- or lower-case) letter in "AFPNUMKMGT"; 0 when absent.
constexpr int32_t scale_position(char c) {
    switch (c) {
    case 'A':
    case 'a':
        return kAtto;
    case 'F':
    case 'f':
        return kFemto;
    case 'P':
    case 'p':
        return kPico;
    case 'N':
    case 'n':
        return kNano;
    case 'U':
    case 'u':
        return kMicro;
    case 'M':
    case 'm':
        return kMilli;
    case 'K':
    case 'k':
        return kKilo;
    case 'G':
    case 'g':
        return kGiga;
    case 'T':
    case 't':
        return kTera;
    default:
        return 0;
    }
}

} // namespace kt::text

#endif
