// Hexadecimal tracing of channel traffic to the standard error stream, for
// channels whose trace flag is set.
//
// Header line: "R:op for handle H, msg_type=T" (T > 0) or "R:op for handle
// H", R the role letter S, C or P. Dump: lines of " " and up to 20 bytes as
// "xx,".
#ifndef KT_SRC_SYSTEM_CHANNEL_TRACE_H
#define KT_SRC_SYSTEM_CHANNEL_TRACE_H

#include <cstdint>

#include "channel_table.h"

namespace kt::system {

inline bool tracing(const Channel &c) { return (c.flags & kTrace) != 0; }
void trace_event(const Channel &c, const char *operation, int32_t handle, int32_t type);
void trace_bytes(const void *data, int64_t n);

} // namespace kt::system

#endif
