// The VOUT listings: real and complex vectors in scientific notation, a
// fixed number of values per line, written through the host's output.
//
// A line is built in a string, so no value (a NaN, a three-digit
// exponent) can overrun it, and handed to the host as one text. VOUTZ2
// stops between lines when the host reports an interrupt.
#include <cstdint>
#include <cstdio>
#include <string>

#include "common/fortran_alias.h"
#include "host/host_calls.h"
#include "kt/host.h"
#include "kt/numerics.h"

namespace {

// One digit before the point, `digits` after it, right-aligned in `width`.
void append_scientific(std::string &line, double v, int width, int digits) {
    char buf[64];
    const int k = std::snprintf(buf, sizeof buf, "%*.*E", width, digits, v);
    line.append(buf, k > 0 ? static_cast<size_t>(k < static_cast<int>(sizeof buf) ? k : sizeof buf - 1) : 0);
}

void append_complex(std::string &line, double re, double im) {
    line += '(';
    append_scientific(line, re, 12, 5);
    line += ',';
    append_scientific(line, im, 12, 5);
    line += ')';
}

// Writes n values, per_line to a line, each line starting with `lead`.
template <typename Append>
void list_lines(int32_t n, int32_t per_line, const char *lead, bool interruptible, Append append) {
    std::string line;
    for (int32_t first = 0; first < n; first += per_line) {
        if (interruptible && (KTHTST() & 1))
            return;
        line.assign(lead);
        const int32_t end = n - first < per_line ? n : first + per_line;
        for (int32_t i = first; i < end; ++i)
            append(line, i);
        OOCV(line.data(), static_cast<int32_t>(line.size()));
        OOWRIT();
    }
}

} // namespace

extern "C" {

void VOUT(const double *a, const int32_t *n) {
    list_lines(*n, 4, "", false, [a](std::string &line, int32_t i) { append_scientific(line, a[i], 20, 12); });
}
KT_FORTRAN_ALIAS(VOUT, vout_);

void VOUTS(const float *a, const int32_t *n) {
    list_lines(*n, 5, "", false, [a](std::string &line, int32_t i) { append_scientific(line, a[i], 13, 5); });
}
KT_FORTRAN_ALIAS(VOUTS, vouts_);

void VOUTZ(const double *z, const int32_t *n) {
    list_lines(*n, 2, "  ", false,
               [z](std::string &line, int32_t i) { append_complex(line, z[2 * int64_t{i}], z[2 * int64_t{i} + 1]); });
}
KT_FORTRAN_ALIAS(VOUTZ, voutz_);

void VOUTZ2(const double *re, const double *im, const int32_t *n) {
    list_lines(*n, 2, "  ", true, [re, im](std::string &line, int32_t i) { append_complex(line, re[i], im[i]); });
}
KT_FORTRAN_ALIAS(VOUTZ2, voutz2_);

// The host formats these values itself, with 16 significant digits.
void VOUTX(const double *a, const int32_t *n) {
    const int32_t digits = 16;
    for (int32_t first = 0; first < *n; first += 4) {
        for (int32_t i = first; i < *n && i < first + 4; ++i) {
            kt::print("  ");
            OODB(&a[i], &digits);
        }
        OOWRIT();
    }
}
KT_FORTRAN_ALIAS(VOUTX, voutx_);

} // extern "C"
