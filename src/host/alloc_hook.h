// The one refusal counter of every allocator, for the host's own allocators
// (word store, regions), which ask it inline; libkt_util asks it through
// kt_host_alloc_grant and kt_host_alloc (kt/host.h).
//
// Invariant: g_grants < 0 means no refusal is pending, so the common case
// is one load. Plain integers: the library is single-threaded by design.
#ifndef KT_SRC_HOST_ALLOC_HOOK_H
#define KT_SRC_HOST_ALLOC_HOOK_H

#include <cstdint>

namespace kt::host {

extern int64_t g_grants;
bool grant_counted();

// Consumes one grant; false when the request must be refused.
inline bool alloc_granted() { return g_grants < 0 || grant_counted(); }

} // namespace kt::host

#endif
