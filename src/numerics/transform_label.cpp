// TRSFKW: the short and the long label of each transform code, as plot
// axes show them. Code 0 has an empty label (length 0); unknown codes have
// none (length -1). The label is blank-padded or cut to the caller's text.
#include <cstdint>
#include <string_view>

#include "common/fortran_alias.h"
#include "common/fortran_text.h"
#include "kt/numerics.h"

namespace {

struct Label {
    std::string_view brief, full;
};

// Indexed by transform code 0..9.
constexpr Label kLabels[] = {
    {"", ""},
    {"MAG", "Magnitude"},
    {"DB", "dB"},
    {"RAD", "Phase (rad)"},
    {"RAD", "Continuous Phase (rad)"},
    {"RE", "Real Part"},
    {"IM", "Imaginary Part"},
    {"DEG", "Phase (deg)"},
    {"DEG", "Continuous Phase (deg)"},
    {"LOG", "Logarithm"},
};
constexpr int32_t kCodes = sizeof kLabels / sizeof kLabels[0];

} // namespace

extern "C" {

void TRSFKW(const int32_t *code, const int32_t *long_label, char *label, int32_t *len, int32_t label_len) {
    if (*code < 0 || *code >= kCodes) {
        kt::fortran_assign(label, label_len, {});
        *len = -1;
        return;
    }
    const Label &l = kLabels[*code];
    std::string_view text = (*long_label & 1) ? l.full : l.brief;
    kt::fortran_assign(label, label_len, text);
    *len = static_cast<int32_t>(text.size());
}
KT_FORTRAN_ALIAS(TRSFKW, trsfkw_);

} // extern "C"
