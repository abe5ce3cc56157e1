// Heap memory of the list and hash-table packages and the matcher.
//
// Every block of the packages comes through allocate() and goes back through
// release(), the host's refusable heap (kt_host_alloc), so tests can refuse
// requests with kt_host_fail_alloc_after and reach the out-of-memory paths,
// and count the blocks left behind. kt_packages_fail_alloc_after is the
// older name of kt_host_fail_alloc_window, exported for the tests that use it.
#ifndef KT_SRC_PACKAGES_HEAP_H
#define KT_SRC_PACKAGES_HEAP_H

#include <cstddef>
#include <cstdint>

#include "kt/abi.h"
#include "kt/host.h"

// Grants `granted` more allocations, then refuses the next `refused` ones
// (-1: all of them) and grants again after that; granted -1: never refuse.
extern "C" KT_API void kt_packages_fail_alloc_after(int32_t granted, int32_t refused);

namespace kt::packages {

// Uninitialised block, or null when refused.
inline void *allocate(size_t bytes) { return kt_host_alloc(bytes); }
// Cleared array, or null when refused.
inline void *allocate_cleared(size_t count, size_t size) { return kt_host_calloc(count, size); }
inline void release(void *block) { kt_host_free(block); }

template <typename T> T *allocate_one() { return static_cast<T *>(allocate(sizeof(T))); }

// Error 2012, "NO_MEMORY - ...", through the host's numbered errors.
void report_no_memory();

} // namespace kt::packages

#endif
