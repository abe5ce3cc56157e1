// Counts handed in by callers: a negative count means none.
#ifndef KT_SRC_COMMON_NONNEG_H
#define KT_SRC_COMMON_NONNEG_H

#include <cstdint>

namespace kt {

constexpr int32_t nonneg(int32_t v) { return v < 0 ? 0 : v; }

} // namespace kt

#endif
