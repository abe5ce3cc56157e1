// Arena: the allocator behind the word store.
//
// One reservation of address space that never moves; pages are made
// accessible as the used part grows. Chunks are laid end to end from a fixed
// start up to `top`; the space from `top` to the end of the reservation is
// untouched wilderness.
//
// Chunk layout (all offsets are bytes from the arena base, multiples of 8):
//   +0 prev_size   size of the previous chunk; meaningful only when it is free
//   +4 size_flags  chunk size | kUsed | kPrevUsed | kClassNeg
//   +8 payload     for a free chunk: next and previous free-list offsets
//
// Invariants:
//   - no two free chunks are neighbours (freeing coalesces);
//   - the chunk just below `top` is in use (a free one is merged into top);
//   - a free chunk is on exactly one of the segregated lists, chosen by size
//     (two-level classes with bitmaps, so finding a fit costs O(1));
//   - every live payload starts 8-byte aligned, so any element size works;
//   - a bit per 8 bytes marks where live payloads start, so an index can be
//     checked exactly without trusting the bytes around it.
//
// Small chunks that are freed go first to a per-size cache (LIFO, at most
// kCacheDepth per size), still marked used so that neighbours leave them
// alone: the next request of that size takes one back without touching any
// other chunk. A cached chunk behind a growing block is taken back for it;
// the rest are emptied into the free lists, coalescing, when the arena is
// full. What the caches hold is bounded (about 4 MiB) and not in use.
#ifndef KT_SRC_HOST_ARENA_H
#define KT_SRC_HOST_ARENA_H

#include <cstddef>
#include <cstdint>

namespace kt::host {

class Arena {
public:
    static constexpr uint64_t kReserveBytes = uint64_t{1} << 31;

    // Reserves the address space; aborts the process when even that fails,
    // because nothing in the library can work without the store.
    void init();
    bool ready() const { return base_ != nullptr; }
    char *base() const { return base_; }

    // Payload offset of a new block of `bytes`, or 0 when there is no room.
    uint32_t allocate(uint64_t bytes, bool class_neg);
    // True when a resize to `bytes` leaves the block as it is: it fits, and
    // is not a shrink to half or less (which gives the rest back).
    bool keeps(uint32_t payload, uint64_t bytes) const {
        uint64_t have = size_of(payload - kHeader), size = bytes + kHeader;
        return size <= have && size > have / 2;
    }
    // Resizes in place when it can, else moves; returns the payload offset
    // (unchanged or new), or 0 when there is no room (block untouched).
    uint32_t reallocate(uint32_t payload, uint64_t bytes);
    void release(uint32_t payload);

    // True when `payload` is the start of a live block's payload.
    bool is_live(uint32_t payload) const {
        return payload % 8 == 0 && payload >= kFirstChunk + kHeader && payload < top_ && start_bit(payload);
    }
    uint64_t payload_size(uint32_t payload) const { return size_of(payload - kHeader) - kHeader; }
    bool class_neg(uint32_t payload) const { return size_flags(payload - kHeader) & kClassNeg; }
    void set_class_neg(uint32_t payload, bool neg);

    int64_t bytes_in_use() const { return in_use_; }

private:
    static constexpr uint32_t kUsed = 1, kPrevUsed = 2, kClassNeg = 4, kFlags = 7;
    static constexpr uint32_t kCached = 1u << 31; // chunks never reach 2 GiB
    static constexpr uint32_t kCacheMaxChunk = 1040, kCacheDepth = 64;
    static constexpr int kCacheBins = (kCacheMaxChunk - 16) / 8 + 1;
    static constexpr uint32_t kHeader = 8, kMinChunk = 16;
    static constexpr int kSlBits = 4, kSlCount = 1 << kSlBits;
    static constexpr uint32_t kSmall = 1u << (kSlBits + 3);
    static constexpr int kFlCount = 32 - (kSlBits + 3) + 1;
    static constexpr uint32_t kFirstChunk = 64;

    uint32_t &prev_size(uint32_t c) const { return *reinterpret_cast<uint32_t *>(base_ + c); }
    uint32_t &size_flags(uint32_t c) const { return *reinterpret_cast<uint32_t *>(base_ + c + 4); }
    uint32_t &next_free(uint32_t c) const { return *reinterpret_cast<uint32_t *>(base_ + c + 8); }
    uint32_t &prev_free(uint32_t c) const { return *reinterpret_cast<uint32_t *>(base_ + c + 12); }
    uint32_t size_of(uint32_t c) const { return size_flags(c) & ~(kFlags | kCached); }

    bool start_bit(uint32_t payload) const { return (starts_[payload / 512] >> (payload / 8 % 64)) & 1; }
    void set_start(uint32_t payload) { starts_[payload / 512] |= uint64_t{1} << (payload / 8 % 64); }
    void clear_start(uint32_t payload) { starts_[payload / 512] &= ~(uint64_t{1} << (payload / 8 % 64)); }

    // Takes a cached chunk of exactly `size`, or 0.
    uint32_t cache_take(uint32_t size);
    // Keeps a used chunk in the cache; false when its bin is full.
    bool cache_put(uint32_t c, uint32_t size);
    void cache_unlink(uint32_t c);
    // Frees every cached chunk into the free lists; false when there were none.
    bool cache_drain();
    uint32_t claim(uint32_t c, bool class_neg);

    static void mapping(uint32_t size, int &fl, int &sl);
    void insert_free(uint32_t c);
    void remove_free(uint32_t c);
    uint32_t find_free(uint32_t size);
    bool commit(uint64_t end);
    uint32_t carve_top(uint32_t size);
    // Marks chunk c (size) free, merging neighbours and top; c must be unused.
    void make_free(uint32_t c, uint32_t size);
    // Splits the tail of used chunk c down to `size` when the rest can hold a chunk.
    void trim(uint32_t c, uint32_t size);

    char *base_ = nullptr;
    uint64_t *starts_ = nullptr;
    uint32_t cache_heads_[kCacheBins] = {};
    uint32_t cache_counts_[kCacheBins] = {};
    uint32_t cached_ = 0;
    uint32_t top_ = kFirstChunk;
    uint64_t committed_ = 0;
    int64_t in_use_ = 0;
    uint32_t fl_bitmap_ = 0;
    uint32_t sl_bitmap_[kFlCount] = {};
    uint32_t heads_[kFlCount][kSlCount] = {};
};

} // namespace kt::host

#endif
