// Bin computations of the built-in symbol-table hashes, shared by the
// exported functions and the inline paths of the table operations.
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

inline int ptr_bin(const char *key, int modulus) {
    return reduce(reinterpret_cast<uintptr_t>(key) >> 2, modulus);
}

} // namespace kt::packages

#endif
