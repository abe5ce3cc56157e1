// The word store entries: GSTORE, XSTORE, USTORE, FSTORE, OSTORE.
//
// Indices are payload offsets divided by the element size, so one arena
// serves the integer, real and character views alike. Requests for more
// space can be refused on demand (the shared counter of alloc_hook.h) so that
// callers' failure paths can be exercised; shrinking and freeing never are.
#include "kt/host.h"

#include "../common/abi.h"
#include "alloc_hook.h"
#include "arena.h"
#include "errors.h"

namespace kt::host {
namespace {

Arena g_arena;

constexpr int32_t kRefused = 1, kBadRequest = 2;

bool valid_elsize(int32_t s) { return s == 1 || s == 4 || s == 8; }

// The index of the block whose payload starts at p: p / elsize, by a shift.
int32_t index_of(uint32_t p, int32_t elsize) { return static_cast<int32_t>(p >> __builtin_ctz(elsize)); }

uint64_t bytes_for(int32_t count, int32_t elsize) {
    return static_cast<uint64_t>(count < 0 ? 0 : count) * static_cast<uint64_t>(elsize);
}

// Payload offset of block `index`, or 0 when it names no live block.
[[gnu::always_inline]] inline uint32_t live_payload(int32_t index, int32_t elsize) {
    if (index <= 0 || !valid_elsize(elsize))
        return 0;
    uint64_t off = static_cast<uint64_t>(index) * static_cast<uint64_t>(elsize);
    if (off >= Arena::kReserveBytes || !g_arena.is_live(static_cast<uint32_t>(off)))
        return 0;
    return static_cast<uint32_t>(off);
}

int32_t finish(int32_t code, int32_t *status) {
    if (status)
        *status = code;
    return code;
}

void report_bad_block(const char *routine) { raise_error(1000, routine, ": no such block"); }

int32_t allocate(int32_t count, int32_t *index, int32_t elsize, int32_t sclass, int32_t *status) {
    if (!g_arena.ready()) // a request from another library's start-up code, before ours ran
        kt_store_init();
    if (count < 0 || !valid_elsize(elsize))
        return finish(kBadRequest, status);
    if (!alloc_granted())
        return finish(kRefused, status);
    uint32_t p = g_arena.allocate(bytes_for(count, elsize), sclass != 0);
    if (!p)
        return finish(kRefused, status);
    *index = index_of(p, elsize);
    return finish(0, status);
}

int32_t resize(int32_t newcount, int32_t oldcount, int32_t *index, int32_t elsize, const int32_t *sclass,
               int32_t *status) {
    if (*index == 0)
        return allocate(newcount, index, elsize, sclass ? *sclass : 0, status);
    if (newcount < 0)
        return finish(kBadRequest, status);
    uint32_t p = live_payload(*index, elsize);
    if (!p) {
        report_bad_block("xstore");
        return finish(kBadRequest, status);
    }
    // Every request for more than the caller had counts as a request for
    // space, whether or not the block happens to have room behind it.
    uint64_t bytes = bytes_for(newcount, elsize);
    if ((newcount > oldcount || bytes > g_arena.payload_size(p)) && !alloc_granted())
        return finish(kRefused, status);
    uint32_t q = g_arena.reallocate(p, bytes);
    if (!q)
        return finish(kRefused, status);
    if (sclass)
        g_arena.set_class_neg(q, *sclass != 0);
    *index = index_of(q, elsize);
    return finish(0, status);
}

} // namespace

} // namespace kt::host

using namespace kt::host;

extern "C" {

char *kt_store_base = nullptr;
char *common_memory_array = nullptr;

void kt_store_init(void) {
    g_arena.init();
    kt_store_base = g_arena.base();
    common_memory_array = g_arena.base();
}

int32_t GSTORE(const int32_t *count, int32_t *index, const int32_t *elsize, const int32_t *sclass,
               int32_t *status) {
    return allocate(*count, index, *elsize, *sclass, status);
}

int32_t XSTORE(const int32_t *newcount, int32_t *index, const int32_t *elsize, const int32_t *oldcount,
               int32_t *status) {
    return resize(*newcount, *oldcount, index, *elsize, nullptr, status);
}

int32_t USTORE(const int32_t *newcount, int32_t *index, const int32_t *elsize, const int32_t *sclass,
               const int32_t *oldcount, int32_t *status) {
    return resize(*newcount, *oldcount, index, *elsize, sclass, status);
}

int32_t FSTORE(const int32_t *count, int32_t *index, const int32_t *elsize) {
    (void)count;
    if (*index == 0)
        return 0;
    uint32_t p = live_payload(*index, *elsize);
    if (!p) {
        report_bad_block("fstore");
        return kBadRequest;
    }
    g_arena.release(p);
    *index = 0;
    return 0;
}

void OSTORE(void) { raise_error(2012, KT_NO_MEMORY_TEXT, ""); }

int32_t kt_store_class(int32_t index, int32_t elsize) {
    uint32_t p = live_payload(index, elsize);
    if (!p)
        return 1;
    return g_arena.class_neg(p) ? -1 : 0;
}

int64_t kt_store_capacity(int32_t index, int32_t elsize) {
    uint32_t p = live_payload(index, elsize);
    return p ? static_cast<int64_t>(g_arena.payload_size(p) / static_cast<uint64_t>(elsize)) : 0;
}

int32_t c_gstore(int32_t count, int32_t *index, int32_t elsize, int32_t sclass) {
    return allocate(count, index, elsize, sclass, nullptr);
}

int32_t c_xstore(int32_t newcount, int32_t *index, int32_t elsize, int32_t oldcount) {
    return XSTORE(&newcount, index, &elsize, &oldcount, nullptr);
}

void c_fstore(int32_t count, int32_t *index, int32_t elsize) { FSTORE(&count, index, &elsize); }

int64_t kt_host_store_bytes_in_use(void) { return g_arena.bytes_in_use(); }

int32_t kt_host_store_check(void) { return g_arena.check(); }

} // extern "C"

KT_FORTRAN_ALIAS(GSTORE, gstore_)
KT_FORTRAN_ALIAS(XSTORE, xstore_)
KT_FORTRAN_ALIAS(USTORE, ustore_)
KT_FORTRAN_ALIAS(FSTORE, fstore_)
KT_FORTRAN_ALIAS(OSTORE, ostore_)

namespace {
// Reserve the store when the library is loaded, before any caller runs.
[[maybe_unused]] const bool g_store_ready = (kt_store_init(), true);
} // namespace
