// The one-block element storage beneath Arr and Stk.
#ifndef KT_SRC_HOST_ELEMENT_BLOCK_H
#define KT_SRC_HOST_ELEMENT_BLOCK_H

#include <climits>
#include <cstdint>

#include "kt/region.h"

namespace kt::host {

// Resizes `data`, `capacity` elements of `elsize` bytes in `region`, to n
// elements keeping the contents. False, with nothing changed, when n is out
// of range or the region refuses.
inline bool resize_elements(PWSRegion *region, void *&data, int &capacity, int64_t n, int elsize) {
    if (n < 0 || n > INT_MAX / elsize)
        return false;
    KT_Status status;
    size_t size = static_cast<size_t>(elsize);
    void *moved = region->ResizeMem(data, size * static_cast<size_t>(capacity), size * static_cast<size_t>(n), status);
    if (!moved)
        return false;
    data = moved;
    capacity = static_cast<int>(n);
    return true;
}

} // namespace kt::host

#endif
