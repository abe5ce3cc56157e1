// A std::allocator-compatible allocator over kt_host_alloc, so that the
// library's and the host's own containers take memory through the one
// refusable hook: a refused request throws std::bad_alloc, which each user
// turns into the failure result its interface already has.
#ifndef KT_SRC_HOST_HOOK_ALLOCATOR_H
#define KT_SRC_HOST_HOOK_ALLOCATOR_H

#include <cstddef>
#include <new>
#include <string>
#include <vector>

#include "kt/host.h"

namespace kt {

template <typename T> struct HookAllocator {
    using value_type = T;

    HookAllocator() noexcept = default;
    template <typename U> HookAllocator(const HookAllocator<U> &) noexcept {}

    T *allocate(size_t n) {
        if (n > static_cast<size_t>(-1) / sizeof(T))
            throw std::bad_alloc();
        void *p = kt_host_alloc(n * sizeof(T));
        if (!p)
            throw std::bad_alloc();
        return static_cast<T *>(p);
    }
    void deallocate(T *p, size_t) noexcept { kt_host_free(p); }

    template <typename U> bool operator==(const HookAllocator<U> &) const noexcept { return true; }
    template <typename U> bool operator!=(const HookAllocator<U> &) const noexcept { return false; }
};

using HookString = std::basic_string<char, std::char_traits<char>, HookAllocator<char>>;
template <typename T> using HookVector = std::vector<T, HookAllocator<T>>;

} // namespace kt

#endif
