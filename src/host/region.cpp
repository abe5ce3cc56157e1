// Memory regions: PWSRegion, PWS and KT_Status.
//
// Block header (16 bytes, just below every payload): the owning region and
// one word holding the usable size with two flags, kLarge (the block is a
// heap allocation of its own, linked into the region's list of large blocks)
// and kFree (the block is on a free list). Blocks of up to kSmallMax bytes
// come from chunks in steps of kGranule: a bump pointer runs through the
// newest chunk and each size has a LIFO free list, so getting and giving back
// a small block never searches. Larger blocks are separate heap allocations
// kept on a doubly linked list, so they can be resized with realloc and
// released one by one or all together.
//
// Under AddressSanitizer the unused space of the chunks, the free blocks,
// the headers of small blocks and the room after what each small block was
// asked for are poisoned, so overruns into them and uses after FreeMem are
// reported; blocks of their own are the sanitizer's heap blocks already.
// Headers and free-list links are therefore read and written only through
// accessors the sanitizer does not check.
#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "common/poison.h"
#include "alloc_hook.h"
#include "kt/host.h"
#include "huge_map.h"
#include "kt/region.h"

using kt::host::kHugePage;
using kt::host::map_huge_aligned;

namespace {

constexpr uint32_t kRegionMagic = 0x50575352; // "PWSR"
constexpr uint64_t kLarge = uint64_t{1} << 63, kFree = uint64_t{1} << 62, kSizeMask = kFree - 1;
constexpr size_t kFirstChunk = 16 * 1024, kMaxChunk = 2 * 1024 * 1024;
constexpr size_t kLargest = size_t{1} << 48; // no request is larger than this

struct Header {
    PWSRegion *owner;
    uint64_t word;
};
static_assert(sizeof(Header) == 16, "payloads must stay 16-byte aligned");

Header *header_of(void *payload) { return static_cast<Header *>(payload) - 1; }
void *payload_of(Header *h) { return h + 1; }

[[gnu::no_sanitize_address]] Header load(const Header *h) { return *h; }
[[gnu::no_sanitize_address]] void store(Header *h, Header v) { *h = v; }
[[gnu::no_sanitize_address]] void *next_free(void *block) { return *static_cast<void **>(block); }
[[gnu::no_sanitize_address]] void set_next_free(void *block, void *next) { *static_cast<void **>(block) = next; }

size_t usable(const Header &h) { return static_cast<size_t>(h.word & kSizeMask); }

} // namespace

struct PWSRegion::Chunk {
    Chunk *next;
    size_t bytes; // odd: mapped on its own (bytes - 1 long), else from malloc
};

struct PWSRegion::Large {
    Large *prev;
    Large *next;
};

KT_Status::~KT_Status() = default;

PWSRegion::PWSRegion() : magic_(kRegionMagic), heap_(false), next_chunk_(kFirstChunk) {}

PWSRegion::PWSRegion(HeapTag) : magic_(kRegionMagic), heap_(true) {}

PWSRegion::~PWSRegion() {
    release_all();
    magic_ = 0;
}

void PWSRegion::release_all() {
    for (Chunk *c = chunks_; c;) {
        Chunk *next = c->next;
        // The memory goes back to the system or the heap as it was taken.
        kt::unpoison(c, c->bytes & ~size_t{1});
        if (c->bytes & 1)
            munmap(c, c->bytes - 1);
        else
            std::free(c);
        c = next;
    }
    for (Large *l = large_; l;) {
        Large *next = l->next;
        std::free(l);
        l = next;
    }
    chunks_ = nullptr;
    large_ = nullptr;
    cur_ = end_ = nullptr;
    std::memset(free_, 0, sizeof free_);
    in_use_ = live_blocks_ = 0;
}

bool PWSRegion::grant() { return kt::host::alloc_granted(); }

void PWSRegion::fail_after(int64_t n) {
    kt_host_fail_alloc_after(n < 0 ? -1 : static_cast<int32_t>(n > INT32_MAX ? INT32_MAX : n));
}

bool PWSRegion::new_chunk(size_t need) {
    size_t bytes = next_chunk_ > need + sizeof(Chunk) ? next_chunk_ : need + sizeof(Chunk);
    // Chunks of a huge page and more are mapped on their own, aligned so that
    // the kernel can back them with huge pages: a region that holds millions
    // of entries is then walked without a TLB miss at every step.
    bool mapped = bytes >= kHugePage;
    if (mapped)
        bytes = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    auto *c = static_cast<Chunk *>(mapped ? map_huge_aligned(bytes, PROT_READ | PROT_WRITE, 0) : std::malloc(bytes));
    if (!c)
        return false;
    // The tail of the old chunk becomes a free block of the largest size it holds.
    size_t rest = static_cast<size_t>(end_ - cur_);
    if (rest >= sizeof(Header) + kGranule) {
        size_t cls = (rest - sizeof(Header)) / kGranule;
        auto *h = reinterpret_cast<Header *>(cur_);
        store(h, {this, cls * kGranule | kFree});
        set_next_free(payload_of(h), free_[cls]);
        free_[cls] = payload_of(h);
    }
    c->next = chunks_;
    c->bytes = mapped ? bytes + 1 : bytes;
    chunks_ = c;
    cur_ = reinterpret_cast<char *>(c + 1);
    end_ = reinterpret_cast<char *>(c) + bytes;
    kt::poison(cur_, static_cast<size_t>(end_ - cur_));
    if (next_chunk_ < kMaxChunk)
        next_chunk_ *= 2;
    return true;
}

void *PWSRegion::alloc_small(size_t cls) {
    size_t bytes = cls * kGranule;
    void *p = free_[cls];
    if (p) {
        free_[cls] = next_free(p);
        store(header_of(p), {this, bytes});
    } else {
        size_t need = sizeof(Header) + bytes;
        if (static_cast<size_t>(end_ - cur_) < need && !new_chunk(need))
            return nullptr;
        auto *h = reinterpret_cast<Header *>(cur_);
        cur_ += need;
        store(h, {this, bytes});
        p = payload_of(h);
    }
    in_use_ += static_cast<int64_t>(bytes);
    ++live_blocks_;
    return p;
}

void *PWSRegion::alloc_large(size_t bytes) {
    auto *l = static_cast<Large *>(std::malloc(sizeof(Large) + sizeof(Header) + bytes));
    if (!l)
        return nullptr;
    l->prev = nullptr;
    l->next = large_;
    if (large_)
        large_->prev = l;
    large_ = l;
    auto *h = reinterpret_cast<Header *>(l + 1);
    store(h, {this, bytes | kLarge});
    in_use_ += static_cast<int64_t>(bytes);
    ++live_blocks_;
    return payload_of(h);
}

void *PWSRegion::alloc_heap(size_t bytes) {
    auto *h = static_cast<Header *>(std::malloc(sizeof(Header) + bytes));
    if (!h)
        return nullptr;
    store(h, {this, bytes});
    in_use_ += static_cast<int64_t>(bytes);
    ++live_blocks_;
    return payload_of(h);
}

// A small block handing out exactly `bytes`.
void *PWSRegion::small_block(size_t bytes) {
    size_t cls = bytes == 0 ? 1 : (bytes + kGranule - 1) / kGranule;
    void *p = alloc_small(cls);
    if (p)
        kt::expose(p, bytes, cls * kGranule);
    return p;
}

void *PWSRegion::AllocMem(size_t bytes, KT_Status &status) {
    void *p = nullptr;
    if (bytes <= kLargest && grant()) {
        if (heap_)
            p = alloc_heap(bytes);
        else if (bytes <= kSmallMax)
            p = small_block(bytes);
        else
            p = alloc_large(bytes);
    }
    if (!p)
        status.code = 1;
    return p;
}

void PWSRegion::FreeMem(void *block, KT_Status &status) {
    if (!block)
        return;
    Header *h = header_of(block);
    Header hd = load(h);
    if (hd.owner != this || (hd.word & kFree)) {
        status.code = 2;
        return;
    }
    size_t bytes = usable(hd);
    in_use_ -= static_cast<int64_t>(bytes);
    --live_blocks_;
    if (heap_) {
        std::free(h);
    } else if (hd.word & kLarge) {
        auto *l = reinterpret_cast<Large *>(h) - 1;
        (l->prev ? l->prev->next : large_) = l->next;
        if (l->next)
            l->next->prev = l->prev;
        std::free(l);
    } else {
        size_t cls = bytes / kGranule;
        store(h, {this, hd.word | kFree});
        set_next_free(block, free_[cls]);
        free_[cls] = block;
        kt::poison(block, bytes);
    }
}

void *PWSRegion::ResizeMem(void *block, size_t old_bytes, size_t new_bytes, KT_Status &status) {
    if (!block)
        return AllocMem(new_bytes, status);
    Header *h = header_of(block);
    Header hd = load(h);
    if (hd.owner != this || (hd.word & kFree)) {
        status.code = 2;
        return nullptr;
    }
    bool growing = new_bytes > old_bytes;
    if (new_bytes > kLargest || (growing && !grant())) {
        status.code = 1;
        return nullptr;
    }
    size_t have = usable(hd);
    bool small = !heap_ && !(hd.word & kLarge);
    if (new_bytes <= have) {
        // Shrinks stay in place, whatever kind of block.
        if (small)
            kt::expose(block, new_bytes, have);
        return block;
    }
    if (small) {
        void *moved = new_bytes <= kSmallMax ? small_block(new_bytes) : alloc_large(new_bytes);
        if (!moved) {
            status.code = 1;
            return nullptr;
        }
        // The whole old block is copied: what the caller used of it is not known here.
        kt::unpoison(block, have);
        std::memcpy(moved, block, have);
        KT_Status ignored;
        FreeMem(block, ignored);
        return moved;
    }
    // A heap allocation of its own: realloc, and relink it when it moved.
    void *base = heap_ ? static_cast<void *>(h) : static_cast<void *>(reinterpret_cast<Large *>(h) - 1);
    size_t extra = heap_ ? sizeof(Header) : sizeof(Large) + sizeof(Header);
    void *moved = std::realloc(base, extra + new_bytes);
    if (!moved) {
        status.code = 1;
        return nullptr;
    }
    if (!heap_) {
        auto *l = static_cast<Large *>(moved);
        (l->prev ? l->prev->next : large_) = l;
        if (l->next)
            l->next->prev = l;
        h = reinterpret_cast<Header *>(l + 1);
    } else {
        h = static_cast<Header *>(moved);
    }
    store(h, {this, (hd.word & kLarge) | new_bytes});
    in_use_ += static_cast<int64_t>(new_bytes) - static_cast<int64_t>(have);
    return payload_of(h);
}

PWSRegion *PWS::GetMallocRegion() {
    // Built in place and never destroyed: blocks may be given back during
    // the destruction of other static objects.
    alignas(PWSRegion) static unsigned char storage[sizeof(PWSRegion)];
    static PWSRegion *const heap = new (storage) PWSRegion(PWSRegion::HeapTag{});
    return heap;
}

PWSRegion *PWS::WhichRegion(void *block, KT_Status &status) {
    if (!block) {
        status.code = 2;
        return nullptr;
    }
    Header hd = load(header_of(block));
    if ((hd.word & kFree) || !hd.owner || hd.owner->magic_ != kRegionMagic) {
        status.code = 2;
        return nullptr;
    }
    return hd.owner;
}
