// Byte-order reversal of arrays of n items in place; n <= 0 does nothing.
#include <algorithm>
#include <cstring>

#include "common/fortran_alias.h"
#include "kt/system.h"

namespace {

// Items are copied through a local word: the buffer need not be aligned.
template <typename Word, Word (*Swap)(Word)> void swap_items(void *buf, int32_t n) {
    auto *p = static_cast<unsigned char *>(buf);
    for (int32_t i = 0; i < n; ++i, p += sizeof(Word)) {
        Word w;
        std::memcpy(&w, p, sizeof w);
        w = Swap(w);
        std::memcpy(p, &w, sizeof w);
    }
}

uint64_t swap64(uint64_t w) { return __builtin_bswap64(w); }
uint32_t swap32(uint32_t w) { return __builtin_bswap32(w); }
uint16_t swap16(uint16_t w) { return __builtin_bswap16(w); }

} // namespace

extern "C" {

void c_bswap8(void *buf, int32_t n) { swap_items<uint64_t, swap64>(buf, n); }
void c_bswap4(void *buf, int32_t n) { swap_items<uint32_t, swap32>(buf, n); }
void c_bswap2(void *buf, int32_t n) { swap_items<uint16_t, swap16>(buf, n); }

void c_bswap(void *buf, int32_t n, int32_t size) {
    switch (size) {
    case 8:
        c_bswap8(buf, n);
        return;
    case 4:
        c_bswap4(buf, n);
        return;
    case 2:
        c_bswap2(buf, n);
        return;
    default:
        break;
    }
    if (size <= 1)
        return;
    auto *p = static_cast<unsigned char *>(buf);
    for (int32_t i = 0; i < n; ++i, p += size)
        std::reverse(p, p + size);
}

void BSWAP8(void *buf, const int32_t *n) { c_bswap8(buf, *n); }
KT_FORTRAN_ALIAS(BSWAP8, bswap8_);
void BSWAP4(void *buf, const int32_t *n) { c_bswap4(buf, *n); }
KT_FORTRAN_ALIAS(BSWAP4, bswap4_);
void BSWAP2(void *buf, const int32_t *n) { c_bswap2(buf, *n); }
KT_FORTRAN_ALIAS(BSWAP2, bswap2_);
void BSWAP(void *buf, const int32_t *n, const int32_t *size) { c_bswap(buf, *n, *size); }
KT_FORTRAN_ALIAS(BSWAP, bswap_);

} // extern "C"
