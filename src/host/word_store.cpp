// The word store entries: GSTORE, XSTORE, USTORE, FSTORE, OSTORE.
//
// Indices are payload offsets divided by the element size, so one arena
// serves the integer, real and character views alike. Requests for more
// space can be refused on demand (the shared counter of alloc_hook.h) so that
// callers' failure paths can be exercised; shrinking and freeing never are. Once
// requesters are recorded, every new block is tagged with its requester
// (kt_store_requester, else the entry that made it) for the store report,
// and a moved block keeps its tag. Recording is off unless asked for: the
// tag's store lands in another cache line than the block's header, which
// costs a measurable share of a request.
#include "word_store.h"

#include <cstdlib>

#include "kt/host.h"

#include "common/fortran_alias.h"
#include "common/nonneg.h"
#include "alloc_hook.h"
#include "errors.h"

namespace kt::host {
namespace {

Arena g_arena;
BlockTags g_tags;
bool g_tagging = false; // once on, stays on: tags written before are never stale

constexpr int32_t kRefused = 1, kBadRequest = 2;

// The tags of the store's own entries, interned in this order when the store
// is made, so that a request naming no requester costs no lookup.
constexpr const char *kOwnNames[] = {"GSTORE", "XSTORE", "USTORE", "c_gstore"};
enum OwnTag : uint16_t { kByGstore = 1, kByXstore, kByUstore, kByCGstore };

bool valid_elsize(int32_t s) { return s == 1 || s == 4 || s == 8; }

// The index of the block whose payload starts at p: p / elsize, by a shift.
int32_t index_of(uint32_t p, int32_t elsize) { return static_cast<int32_t>(p >> __builtin_ctz(elsize)); }

uint64_t bytes_for(int32_t count, int32_t elsize) {
    return static_cast<uint64_t>(kt::nonneg(count)) * static_cast<uint64_t>(elsize);
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

// One body for every entry, which each reaches by a jump.
[[gnu::noinline]] int32_t allocate(int32_t count, int32_t *index, int32_t elsize, int32_t sclass, int32_t *status,
                                   OwnTag own) {
    if (!g_arena.ready()) // a request from another library's start-up code, before ours ran
        kt_store_init();
    if (count < 0 || !valid_elsize(elsize))
        return finish(kBadRequest, status);
    if (!alloc_granted())
        return finish(kRefused, status);
    uint32_t p = g_arena.allocate(bytes_for(count, elsize), sclass != 0);
    if (!p)
        return finish(kRefused, status);
    if (const char *requester = kt_store_requester; g_tagging)
        g_tags.set(p, requester ? g_tags.intern(requester) : static_cast<uint16_t>(own));
    *index = index_of(p, elsize);
    return finish(0, status);
}

// The usual request, a small block that its quick list holds while no
// refusal is armed and no tags are kept: served without saving a register.
// 0 sends the request the whole way, as it does before the store is made
// (every quick list is empty then).
[[gnu::always_inline]] inline int32_t quick_request(int32_t count, int32_t *index, int32_t elsize, int32_t sclass,
                                                    int32_t *status) {
    if (count < 0 || !valid_elsize(elsize) || g_grants >= 0 || g_tagging)
        return 0;
    uint32_t p = g_arena.take_quick(bytes_for(count, elsize), sclass != 0);
    if (p == 0)
        return 0;
    *index = index_of(p, elsize);
    finish(0, status);
    return 1;
}

int32_t resize(int32_t newcount, int32_t oldcount, int32_t *index, int32_t elsize, const int32_t *sclass,
               int32_t *status, OwnTag own) {
    if (*index == 0)
        return allocate(newcount, index, elsize, sclass ? *sclass : 0, status, own);
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
    if (q != p && g_tagging)
        g_tags.set(q, g_tags.get(p));
    if (sclass)
        g_arena.set_class_neg(q, *sclass != 0);
    *index = index_of(q, elsize);
    return finish(0, status);
}

} // namespace

const Arena &store_arena() { return g_arena; }
const BlockTags &store_tags() { return g_tags; }
bool store_tagging() { return g_tagging; }

} // namespace kt::host

using namespace kt::host;

extern "C" {

char *kt_store_base = nullptr;
char *common_memory_array = nullptr;
const char *kt_store_requester = nullptr;

void kt_store_init(void) {
    g_arena.init();
    if (const char *report = std::getenv("KT_STORE_REPORT"); report && *report)
        kt_host_store_tag_requesters();
    kt_store_base = g_arena.base();
    common_memory_array = g_arena.base();
}

int32_t GSTORE(const int32_t *count, int32_t *index, const int32_t *elsize, const int32_t *sclass, int32_t *status) {
    if (quick_request(*count, index, *elsize, *sclass, status))
        return 0;
    return allocate(*count, index, *elsize, *sclass, status, kByGstore);
}

int32_t XSTORE(const int32_t *newcount, int32_t *index, const int32_t *elsize, const int32_t *oldcount,
               int32_t *status) {
    return resize(*newcount, *oldcount, index, *elsize, nullptr, status, kByXstore);
}

int32_t USTORE(const int32_t *newcount, int32_t *index, const int32_t *elsize, const int32_t *sclass,
               const int32_t *oldcount, int32_t *status) {
    return resize(*newcount, *oldcount, index, *elsize, sclass, status, kByUstore);
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
    if (quick_request(count, index, elsize, sclass, nullptr))
        return 0;
    return allocate(count, index, elsize, sclass, nullptr, kByCGstore);
}

int32_t c_xstore(int32_t newcount, int32_t *index, int32_t elsize, int32_t oldcount) {
    return XSTORE(&newcount, index, &elsize, &oldcount, nullptr);
}

void c_fstore(int32_t count, int32_t *index, int32_t elsize) { FSTORE(&count, index, &elsize); }

int64_t kt_host_store_bytes_in_use(void) { return g_arena.bytes_in_use(); }

int32_t kt_host_store_check(void) { return g_arena.check(); }

void kt_host_store_tag_requesters(void) {
    if (g_tagging)
        return;
    g_tags.init();
    for (const char *name : kOwnNames)
        g_tags.intern(name);
    g_tagging = true;
}

} // extern "C"

KT_FORTRAN_ALIAS(GSTORE, gstore_);
KT_FORTRAN_ALIAS(XSTORE, xstore_);
KT_FORTRAN_ALIAS(USTORE, ustore_);
KT_FORTRAN_ALIAS(FSTORE, fstore_);
KT_FORTRAN_ALIAS(OSTORE, ostore_);

namespace {
// Reserve the store when the library is loaded, before any caller runs.
[[maybe_unused]] const bool g_store_ready = (kt_store_init(), true);
} // namespace
