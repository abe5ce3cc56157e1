// Bin computations of the built-in symbol-table hashes, shared by the
// exported functions and the inline paths of the table operations.
//
// A string hash is a 32-bit state h = h * 997 + c over the bytes (read as
// signed chars, or ASCII-lower-cased first), then its magnitude |h| mod the
// bin count. The magnitude does not depend on the bin count, so tables
// keep it in their entries. It is computed unsigned: the one state whose
// absolute value a signed word cannot hold (-2^31) still lands in range.
#ifndef KT_SRC_PACKAGES_ST_INLINE_H
#define KT_SRC_PACKAGES_ST_INLINE_H

#include <cstdint>

namespace kt::packages {

// magnitude mod modulus; a modulus below 1 names no bin but bin 0.
inline int reduce(uint64_t magnitude, int modulus) {
    return modulus > 0 ? static_cast<int>(magnitude % static_cast<uint64_t>(modulus)) : 0;
}

inline int reduce(uint32_t magnitude, int modulus) {
    return modulus > 0 ? static_cast<int>(magnitude % static_cast<uint32_t>(modulus)) : 0;
}

// |key| mod modulus, the key read as a signed word.
inline int num_bin(const char *key, int modulus) {
    auto v = static_cast<uint64_t>(reinterpret_cast<intptr_t>(key));
    return reduce((v >> 63) ? 0u - v : v, modulus);
}

inline int ptr_bin(const char *key, int modulus) { return reduce(reinterpret_cast<uintptr_t>(key) >> 2, modulus); }

inline uint32_t as_signed_char(char c) {
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
}

inline uint32_t lower_ascii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<uint32_t>(c - 'A' + 'a') : as_signed_char(c);
}

// Four bytes a step where the key has them: the same state, with one
// dependent multiplication per four bytes instead of one per byte.
template <uint32_t (*Fold)(char)> uint32_t string_magnitude(const char *key) {
    constexpr uint32_t k1 = 997u, k2 = k1 * k1, k3 = k2 * k1, k4 = k3 * k1;
    uint32_t h = 0;
    const char *p = key;
    for (; p[0] && p[1] && p[2] && p[3]; p += 4)
        h = h * k4 + (Fold(p[0]) * k3 + Fold(p[1]) * k2) + (Fold(p[2]) * k1 + Fold(p[3]));
    for (; *p; ++p)
        h = h * k1 + Fold(*p);
    return (h & 0x80000000u) ? 0u - h : h;
}

inline uint32_t str_magnitude(const char *key) { return string_magnitude<as_signed_char>(key); }
inline uint32_t low_str_magnitude(const char *key) { return string_magnitude<lower_ascii>(key); }

} // namespace kt::packages

#endif
