// The fixed pools of ten slots behind the real and string slot lists, and
// what happens when one overflows.
#ifndef KT_SRC_SWEEP_SLOT_POOL_H
#define KT_SRC_SWEEP_SLOT_POOL_H

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host/host_calls.h"
#include "kt/host.h"

namespace kt::text {

constexpr int32_t kSlots = 10;
constexpr int32_t kFreeSlot = -1;

// Every slot is taken: the caller cannot go on without the handle it
// asked for, so the message is reported and the process stops. The exit
// status tells whoever ran it that the run failed.
[[noreturn]] inline void slot_pool_overflow(const char *text) {
    kt::raise(1000, text);
    std::exit(EXIT_FAILURE);
}

inline void free_all_slots(int32_t *cells) {
    for (int32_t i = 0; i < kSlots; ++i)
        cells[i] = kFreeSlot;
}

// Slot number (1-based) of the lowest free cell of a pool; a full pool
// stops the process with the overflow text.
inline int32_t lowest_free_slot(const int32_t *cells, const char *overflow_text) {
    for (int32_t i = 0; i < kSlots; ++i)
        if (cells[i] == kFreeSlot)
            return i + 1;
    slot_pool_overflow(overflow_text);
}

} // namespace kt::text

#endif
