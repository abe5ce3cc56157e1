// Bit sets: the bst_ functions on caller words, the region-backed Bst and
// its iterator.
#include <iostream>

#include "kt/containers.h"

namespace {

int words_for(int nbits) { return nbits > 0 ? static_cast<int>((int64_t{nbits} + 31) / 32) : 0; }

} // namespace

extern "C" {

void bst_empty(unsigned *set, int nbits) {
    int w = words_for(nbits);
    if (w >= 1)
        std::memset(set, 0, static_cast<size_t>(w) * sizeof(unsigned));
}

void bst_copy(unsigned *dst, const unsigned *src, int nbits) {
    int w = words_for(nbits);
    if (w >= 1)
        std::memmove(dst, src, static_cast<size_t>(w) * sizeof(unsigned));
}

void bst_set(unsigned *set, int nbits, int i) {
    (void)nbits;
    set[i / 32] |= 1u << (i % 32);
}

void bst_clr(unsigned *set, int nbits, int i) {
    (void)nbits;
    set[i / 32] &= ~(1u << (i % 32));
}

int bst_test(const unsigned *set, int nbits, int i) {
    (void)nbits;
    return static_cast<int>(set[i / 32] & (1u << (i % 32)));
}

int bst_test_empty(const unsigned *set, int nbits) {
    for (int k = 0, w = words_for(nbits); k < w; ++k)
        if (set[k] != 0)
            return 0;
    return 1;
}

} // extern "C"

Bst::Bst(int size, PWSRegion *home) : bits(nullptr), nbits(size), region(home) {
    if (!region)
        region = PWS::GetMallocRegion();
    int w = words_for(nbits);
    if (w >= 1) {
        KT_Status status;
        bits = static_cast<unsigned *>(region->AllocMem(static_cast<size_t>(w) * sizeof(unsigned), status));
    }
}

Bst::~Bst() {
    KT_Status status;
    region->FreeMem(bits, status);
}

void Bst::debug() const {
    int w = bits ? words_for(nbits) : 0;
    for (int k = 0; k < w; ++k)
        std::cout << ' ' << bits[k];
    std::cout << '\n';
    for (int i = 0; bits && i < nbits; ++i)
        std::cout << (is_member(i) ? '1' : '0');
    std::cout << '\n';
}

int Bst_Iterator::first(const Bst *set) {
    set_ = set;
    index_ = -1;
    return iterate();
}

int Bst_Iterator::iterate() {
    if (!set_ || !set_->bits || index_ >= set_->nbits)
        return -1;
    int nbits = set_->nbits;
    int i = index_ + 1;
    // Whole zero words are skipped at once; bits past nbits in the last
    // word are never reported (the words start uncleared).
    while (i < nbits) {
        unsigned rest = set_->bits[i / 32] >> (i % 32);
        if (rest != 0) {
            i += __builtin_ctz(rest);
            break;
        }
        i = (i / 32 + 1) * 32;
    }
    if (i >= nbits) {
        index_ = nbits;
        return -1;
    }
    index_ = i;
    return i;
}
