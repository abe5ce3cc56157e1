// Anonymous mappings at a huge-page boundary, for the allocators that hold
// large spans of memory (the word-store arena, region chunks): the kernel
// can then back them with huge pages, and memory walked at random costs no
// TLB miss at every step.
#ifndef KT_SRC_HOST_HUGE_MAP_H
#define KT_SRC_HOST_HUGE_MAP_H

#include <cstddef>

namespace kt::host {

constexpr size_t kHugePage = size_t{2} << 20;

// `bytes` of private anonymous memory starting at a kHugePage boundary,
// with protection `prot` and the extra mmap `flags`; null when refused.
void *map_huge_aligned(size_t bytes, int prot, int flags);

} // namespace kt::host

#endif
