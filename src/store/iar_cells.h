// The header cells of an integer array record, shared by the files of the
// record family. A live record's data block always holds count_of(r) cells.
// Records made here keep their data in the header's own block, right behind
// the two header cells (one store request instead of two); records read
// from a unit or grown by IARA have a data block of their own. Callers see
// the same cells either way.
#ifndef KT_SRC_STORE_IAR_CELLS_H
#define KT_SRC_STORE_IAR_CELLS_H

#include "common/cells.h"
#include "kt/host.h"

namespace kt::iar {

using kt::kIntSize;
constexpr int32_t kHeaderCells = 2, kClass = 0;

inline int32_t &data_of(int32_t r) { return *kt_iptr(r + 1); }
inline int32_t &count_of(int32_t r) { return *kt_iptr(r + 2); }
// True when r's data lies in r's own block. A separate block can never
// start there: the store puts a block header between any two blocks.
inline bool data_inline(int32_t r) { return data_of(r) == r + kHeaderCells; }
// Element i (1-based) of record r.
inline int32_t *element_ptr(int32_t r, int32_t i) { return kt_iptr(data_of(r) + i); }

// True when a and b cannot be equal: only one is 0, or their lengths differ.
// Two 0 records are equal.
inline bool mismatched(int32_t a, int32_t b) { return a == 0 || b == 0 ? a != b : count_of(a) != count_of(b); }

} // namespace kt::iar

#endif
