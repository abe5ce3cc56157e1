#include "huge_map.h"

#include <sys/mman.h>

#include <cstdint>

namespace kt::host {

void *map_huge_aligned(size_t bytes, int prot, int flags) {
    void *p = mmap(nullptr, bytes + kHugePage, prot, MAP_PRIVATE | MAP_ANONYMOUS | flags, -1, 0);
    if (p == MAP_FAILED)
        return nullptr;
    auto start = reinterpret_cast<uintptr_t>(p), aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start)
        munmap(p, aligned - start);
    munmap(reinterpret_cast<void *>(aligned + bytes), start + kHugePage - aligned);
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void *>(aligned), bytes, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void *>(aligned);
}

} // namespace kt::host
