// Manual poisoning for AddressSanitizer, shared by the allocators of both
// libraries (the word-store arena, regions, item banks).
//
// An allocator that carves blocks out of memory it holds marks every byte
// it has not handed out (free space, the slack after a block, its own
// headers) as poisoned, so that the sanitizer reports an overrun into it
// or a use after the block was given back. Without the sanitizer every call
// here compiles to nothing.
#ifndef KT_SRC_COMMON_POISON_H
#define KT_SRC_COMMON_POISON_H

#include <sanitizer/asan_interface.h>

#include <cstddef>

namespace kt {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// Bytes [p, p + n) may not be touched until unpoisoned.
inline void poison(const void *p, size_t n) {
    if constexpr (kAddressSanitizer)
        __asan_poison_memory_region(p, n);
}

// Bytes [p, p + n) are handed out.
inline void unpoison(const void *p, size_t n) {
    if constexpr (kAddressSanitizer)
        __asan_unpoison_memory_region(p, n);
}

// Hands out exactly [p, p + n) of a block whose room ends at p + end.
inline void expose(const void *p, size_t n, size_t end) {
    if constexpr (kAddressSanitizer) {
        __asan_unpoison_memory_region(p, n);
        if (end > n)
            __asan_poison_memory_region(static_cast<const char *>(p) + n, end - n);
    }
}

} // namespace kt

#endif
