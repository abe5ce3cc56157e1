// Bit sets in caller-owned integer arrays.
//
// A set of capacity n is w = ceil(n / 32) words; element e is bit
// (e - 1) % 32 of word (e - 1) / 32. Whole-set operations run over all w
// words, so bits above n take part. The words are handled as unsigned so
// that bit 31 needs no special case. Elements below 1 would address words
// before the array and are ignored; n is not read by the element
// operations, so elements above n cannot be checked.
#include <cstdint>

#include "common/fortran_alias.h"
#include "kt/store.h"

namespace {

// Words of a set of capacity n; 0 for n <= 0.
int64_t words(const int32_t *n) { return *n > 0 ? (int64_t{*n} + 31) / 32 : 0; }

uint32_t word(const int32_t *set, int64_t i) { return static_cast<uint32_t>(set[i]); }
void put(int32_t *set, int64_t i, uint32_t v) { set[i] = static_cast<int32_t>(v); }

// Word offset and bit mask of element e (e >= 1).
struct Bit {
    int64_t word;
    uint32_t mask;
};
Bit bit_of(int32_t e) {
    uint32_t k = static_cast<uint32_t>(e) - 1;
    return {k / 32, uint32_t{1} << (k % 32)};
}

} // namespace

extern "C" {

void SETN(int32_t *set, const int32_t *n) {
    for (int64_t i = 0, w = words(n); i < w; ++i)
        set[i] = 0;
}
KT_FORTRAN_ALIAS(SETN, setn_);

void SETC(int32_t *set, const int32_t *n) {
    for (int64_t i = 0, w = words(n); i < w; ++i)
        put(set, i, ~word(set, i));
}
KT_FORTRAN_ALIAS(SETC, setc_);

void SETU(int32_t *a, const int32_t *b, const int32_t *n) {
    for (int64_t i = 0, w = words(n); i < w; ++i)
        put(a, i, word(a, i) | word(b, i));
}
KT_FORTRAN_ALIAS(SETU, setu_);

void SETI(int32_t *a, const int32_t *b, const int32_t *n) {
    for (int64_t i = 0, w = words(n); i < w; ++i)
        put(a, i, word(a, i) & word(b, i));
}
KT_FORTRAN_ALIAS(SETI, seti_);

void SETCP(const int32_t *source, int32_t *dest, const int32_t *n) {
    for (int64_t i = 0, w = words(n); i < w; ++i)
        dest[i] = source[i];
}
KT_FORTRAN_ALIAS(SETCP, setcp_);

void SETE(int32_t *set, const int32_t *n, const int32_t *e) {
    (void)n;
    if (*e < 1)
        return;
    Bit b = bit_of(*e);
    put(set, b.word, word(set, b.word) | b.mask);
}
KT_FORTRAN_ALIAS(SETE, sete_);

void SETR(int32_t *set, const int32_t *n, const int32_t *e) {
    (void)n;
    if (*e < 1)
        return;
    Bit b = bit_of(*e);
    put(set, b.word, word(set, b.word) & ~b.mask);
}
KT_FORTRAN_ALIAS(SETR, setr_);

int32_t SETM(const int32_t *set, const int32_t *n, const int32_t *e) {
    (void)n;
    if (*e < 1)
        return KT_FALSE;
    Bit b = bit_of(*e);
    return (word(set, b.word) & b.mask) ? KT_TRUE : KT_FALSE;
}
KT_FORTRAN_ALIAS(SETM, setm_);

int32_t SETISN(const int32_t *set, const int32_t *n) {
    for (int64_t i = 0, w = words(n); i < w; ++i)
        if (set[i] != 0)
            return KT_FALSE;
    return KT_TRUE;
}
KT_FORTRAN_ALIAS(SETISN, setisn_);

// SETEQ and SETEQM answer 1 for true, unlike the other questions here.
int32_t SETEQ(const int32_t *a, const int32_t *b, const int32_t *n) {
    for (int64_t i = 0, w = words(n); i < w; ++i)
        if (a[i] != b[i])
            return 0;
    return 1;
}
KT_FORTRAN_ALIAS(SETEQ, seteq_);

int32_t SETEQM(const int32_t *a, const int32_t *b, const int32_t *mask, const int32_t *n) {
    for (int64_t i = 0, w = words(n); i < w; ++i)
        if (((a[i] ^ b[i]) & mask[i]) != 0)
            return 0;
    return 1;
}
KT_FORTRAN_ALIAS(SETEQM, seteqm_);

} // extern "C"
