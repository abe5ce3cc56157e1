// Heap memory of the list and hash-table packages.
//
// Every block of both packages comes through allocate(), so tests can make
// requests fail and reach the out-of-memory paths: kt_packages_fail_alloc_after
// is exported for them but declared only here, not in a public header.
// Invariant: g_grants_left < 0 means no refusal is pending.
#ifndef KT_SRC_PACKAGES_HEAP_H
#define KT_SRC_PACKAGES_HEAP_H

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "kt/abi.h"

// Grants `granted` more allocations, then refuses the next `refused` ones
// (-1: all of them) and grants again after that; granted -1: never refuse.
extern "C" KT_API void kt_packages_fail_alloc_after(int32_t granted, int32_t refused);

namespace kt::packages {

// Allocations left before refusals start (negative: no refusal pending),
// and refusals left after that (negative: unlimited).
extern int32_t g_grants_left;
extern int32_t g_refusals_left;

inline bool grant() {
    if (g_grants_left < 0)
        return true;
    if (g_grants_left > 0) {
        --g_grants_left;
        return true;
    }
    if (g_refusals_left == 0) {
        g_grants_left = -1;
        return true;
    }
    if (g_refusals_left > 0)
        --g_refusals_left;
    return false;
}

// Uninitialised block, or null when refused.
inline void *allocate(size_t bytes) { return grant() ? std::malloc(bytes) : nullptr; }
// Cleared array, or null when refused.
inline void *allocate_cleared(size_t count, size_t size) { return grant() ? std::calloc(count, size) : nullptr; }
inline void release(void *block) { std::free(block); }

template <typename T> T *allocate_one() { return static_cast<T *>(allocate(sizeof(T))); }

// Error 2012, "NO_MEMORY - ...", through the host's numbered errors.
void report_no_memory();

} // namespace kt::packages

#endif
