// Case-insensitive comparison and case mapping of the host: UISCMP, LCASES,
// kt_stricmp; and the cell copy MOVEI4.
#include <cstring>

#include "common/fortran_alias.h"
#include "kt/host.h"

namespace {

inline int lower(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

} // namespace

extern "C" {

int32_t UISCMP(const char *t1, const int32_t *n1, const char *t2, const int32_t *n2, int32_t t1_len, int32_t t2_len) {
    (void)t1_len;
    (void)t2_len;
    int32_t a = *n1 > 0 ? *n1 : 0, b = *n2 > 0 ? *n2 : 0;
    int32_t n = a < b ? a : b;
    for (int32_t i = 0; i < n; ++i) {
        int d = lower(static_cast<unsigned char>(t1[i])) - lower(static_cast<unsigned char>(t2[i]));
        if (d)
            return d;
    }
    return a - b;
}

void LCASES(char *text, const int32_t *n, int32_t text_len) {
    (void)text_len;
    for (int32_t i = 0; i < *n; ++i)
        text[i] = static_cast<char>(lower(static_cast<unsigned char>(text[i])));
}

void MOVEI4(const int32_t *source, int32_t *dest, const int32_t *count) {
    if (*count > 0)
        std::memmove(dest, source, static_cast<size_t>(*count) * sizeof(int32_t));
}

int kt_stricmp(const char *a, const char *b) {
    const auto *p = reinterpret_cast<const unsigned char *>(a);
    const auto *q = reinterpret_cast<const unsigned char *>(b);
    for (;; ++p, ++q) {
        int d = lower(*p) - lower(*q);
        if (d || !*p)
            return d;
    }
}

} // extern "C"

KT_FORTRAN_ALIAS(UISCMP, uiscmp_);
KT_FORTRAN_ALIAS(LCASES, lcases_);
KT_FORTRAN_ALIAS(MOVEI4, movei4_);
