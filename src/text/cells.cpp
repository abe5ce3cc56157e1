// Eight-character cells: 8 bytes read either as one double or as eight
// blank-padded characters. Moves between the two views copy bytes and
// never convert a value, so a name packed by VBS2D comes back unchanged.
#include <cstring>
#include <string_view>

#include "common/fortran_alias.h"
#include "common/fortran_text.h"
#include "common/ascii.h"
#include "kt/text.h"

using namespace kt::text;

namespace {

constexpr int32_t kCell = 8;

// The first min(n, 8) characters, blank-padded to eight.
void pack(char (&cell)[kCell], const char *text, int32_t n) {
    std::memset(cell, kBlank, kCell);
    if (n > 0)
        std::memcpy(cell, text, static_cast<size_t>(n < kCell ? n : kCell));
}

} // namespace

extern "C" {

double VBS2D(const char *text, const int32_t *n, int32_t text_len) {
    (void)text_len;
    char cell[kCell];
    pack(cell, text, *n);
    double d;
    std::memcpy(&d, cell, kCell);
    return d;
}
KT_FORTRAN_ALIAS(VBS2D, vbs2d_);

void VBD2C(char *result, int32_t result_len, const double *cell) {
    char bytes[kCell];
    std::memcpy(bytes, cell, kCell);
    kt::fortran_assign(result, result_len, std::string_view(bytes, kCell));
}
KT_FORTRAN_ALIAS(VBD2C, vbd2c_);

void VBS2C(char *result, int32_t result_len, const char *text, const int32_t *n, int32_t text_len) {
    (void)text_len;
    char cell[kCell];
    pack(cell, text, *n);
    kt::fortran_assign(result, result_len, std::string_view(cell, kCell));
}
KT_FORTRAN_ALIAS(VBS2C, vbs2c_);

void VBC2S(const char *text, const int32_t *n, char *dest, int32_t text_len, int32_t dest_len) {
    (void)text_len;
    if (dest_len <= 0)
        return;
    int32_t m = *n < dest_len ? *n : dest_len;
    if (m < 0)
        m = 0;
    // Source and destination may overlap: move first, then pad.
    if (m > 0)
        std::memmove(dest, text, static_cast<size_t>(m));
    std::memset(dest + m, kBlank, static_cast<size_t>(dest_len - m));
}
KT_FORTRAN_ALIAS(VBC2S, vbc2s_);

} // extern "C"
