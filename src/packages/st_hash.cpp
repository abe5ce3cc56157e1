// The built-in hash and compare functions of the symbol tables.
//
// Each hash takes a magnitude and reduces it modulo the bin count. The
// magnitude is computed unsigned, so the one value whose absolute value a
// signed word cannot hold (-2^31 for strings) still lands in range.
#include <cstdint>

#include "kt/st.h"
#include "low_strhash.h"
#include "st_inline.h"

namespace {

inline uint32_t lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<uint32_t>(c - 'A' + 'a') : static_cast<uint32_t>(static_cast<signed char>(c)); }

inline uint32_t as_signed_char(char c) { return static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c))); }

template <typename Fold> int string_hash(const char *key, int modulus, Fold fold) {
    uint32_t h = 0;
    for (const char *p = key; *p; ++p)
        h = h * 997u + fold(*p);
    uint32_t magnitude = (h & 0x80000000u) ? 0u - h : h;
    return kt::packages::reduce(magnitude, modulus);
}

} // namespace

extern "C" {

int st_strhash(const char *key, int modulus) { return string_hash(key, modulus, as_signed_char); }

int low_strhash(const char *key, int modulus) { return string_hash(key, modulus, lower_ascii); }

int st_numhash(const char *key, int modulus) { return kt::packages::num_bin(key, modulus); }

int st_ptrhash(const char *key, int modulus) { return kt::packages::ptr_bin(key, modulus); }

int st_numcmp(const char *a, const char *b) { return a != b; }

// One function under two names: a table recognises either by identity.
KT_API decltype(st_numcmp) st_ptrcmp __attribute__((alias("st_numcmp")));

} // extern "C"
