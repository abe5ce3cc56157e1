// The refusal counter shared by every allocator and the refusable heap of
// kt_host_alloc (see alloc_hook.h and kt/host.h).
//
// Invariants: g_refusals_left counts the refusals still to come once the
// grants are used up (-1: unlimited); g_live is the number of blocks handed
// out by kt_host_alloc/calloc/realloc and not yet freed.
#include "alloc_hook.h"

#include <cstdlib>

#include "kt/host.h"

namespace kt::host {

int64_t g_grants = -1;

namespace {

int64_t g_refusals_left = 0;
int64_t g_refused = 0;
int64_t g_live = 0;

} // namespace

bool grant_counted() {
    int64_t left = g_grants;
    if (left < 0)
        return true;
    if (left > 0) {
        g_grants = left - 1;
        return true;
    }
    int64_t refusals = g_refusals_left;
    if (refusals == 0) { // the window of refusals is over
        g_grants = -1;
        return true;
    }
    if (refusals > 0)
        g_refusals_left = refusals - 1;
    ++g_refused;
    return false;
}

} // namespace kt::host

using namespace kt::host;

extern "C" {

void kt_host_fail_alloc_window(int32_t granted, int32_t refused) {
    g_refused = 0;
    g_refusals_left = refused < 0 ? -1 : refused;
    g_grants = granted < 0 || refused == 0 ? -1 : granted;
}

void kt_host_fail_alloc_after(int32_t n) { kt_host_fail_alloc_window(n, -1); }

void kt_host_fail_store_after(int32_t n) { kt_host_fail_alloc_window(n, -1); }

int64_t kt_host_alloc_refusals(void) { return g_refused; }

int32_t kt_host_alloc_grant(void) { return alloc_granted() ? 1 : 0; }

void *kt_host_alloc(size_t bytes) {
    if (!alloc_granted())
        return nullptr;
    void *p = std::malloc(bytes ? bytes : 1); // 0 bytes still gives a block to free
    if (p)
        ++g_live;
    return p;
}

void *kt_host_calloc(size_t count, size_t size) {
    if (!alloc_granted())
        return nullptr;
    void *p = count && size ? std::calloc(count, size) : std::malloc(1);
    if (p)
        ++g_live;
    return p;
}

void *kt_host_realloc(void *block, size_t bytes) {
    if (!block)
        return kt_host_alloc(bytes);
    if (!alloc_granted())
        return nullptr;
    return std::realloc(block, bytes ? bytes : 1);
}

void kt_host_free(void *block) {
    if (!block)
        return;
    --g_live;
    std::free(block);
}

int64_t kt_host_alloc_live(void) { return g_live; }

} // extern "C"
