// Objects made of two word-store blocks: a header of integer cells whose
// first cell names a data block (strings, lists, integer array records).
//
// Both blocks are made or neither: when the data block is refused the
// header is given back, so a refused request leaves nothing behind. The
// header is requested first, so requests are counted and tagged in the
// same order whichever object is made.
#ifndef KT_SRC_HOST_HEADED_BLOCK_H
#define KT_SRC_HOST_HEADED_BLOCK_H

#include <cstdint>

#include "common/cells.h"
#include "host_calls.h"
#include "kt/host.h"

namespace kt {

// A header of `header_cells` cells and a data block of `count` elements of
// `elsize` bytes, both of class `sclass`, the data block's index in header
// cell 1; the other header cells are the caller's to fill. The header's
// index, or 0 when the store refused either block.
inline int32_t store_get_headed(int32_t header_cells, int32_t count, int32_t elsize, int32_t sclass) {
    int32_t header = 0, data = 0;
    if (!store_get(header_cells, &header, kIntSize, sclass))
        return 0;
    if (!store_get(count, &data, elsize, sclass)) {
        store_free(header_cells, &header, kIntSize);
        return 0;
    }
    kt_set_icell(header + 1, data);
    return header;
}

// Frees the data block named by header cell 1 (`count` elements of
// `elsize` bytes), then the header, and clears *header.
inline void store_free_headed(int32_t header_cells, int32_t *header, int32_t count, int32_t elsize) {
    store_free(count, kt_iptr(*header + 1), elsize);
    store_free(header_cells, header, kIntSize);
}

} // namespace kt

#endif
