// Element sizes of the word store's three views, in bytes: the elsize of
// every store request and the stride of kt_block_ptr. Index i of a block of
// size s starts at byte s * (i - 1), so the three must stay 4, 8 and 1.
#ifndef KT_SRC_COMMON_CELLS_H
#define KT_SRC_COMMON_CELLS_H

#include <cstdint>

namespace kt {

constexpr int32_t kIntSize = 4, kRealSize = 8, kCharSize = 1;

} // namespace kt

#endif
