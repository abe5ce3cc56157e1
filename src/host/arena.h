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
//   - every live payload starts 8-byte aligned, so any element size works.
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
    // Resizes in place when it can, else moves; returns the payload offset
    // (unchanged or new), or 0 when there is no room (block untouched).
    uint32_t reallocate(uint32_t payload, uint64_t bytes);
    // Whether growing to `bytes` would need new space (for refusal counting).
    bool fits_in_place(uint32_t payload, uint64_t bytes) const;
    void release(uint32_t payload);

    // True when `payload` is the start of a live block's payload.
    bool is_live(uint32_t payload) const;
    uint64_t payload_size(uint32_t payload) const;
    bool class_neg(uint32_t payload) const;
    void set_class_neg(uint32_t payload, bool neg);

    int64_t bytes_in_use() const { return in_use_; }

private:
    static constexpr uint32_t kUsed = 1, kPrevUsed = 2, kClassNeg = 4, kFlags = 7;
    static constexpr uint32_t kHeader = 8, kMinChunk = 16;
    static constexpr int kSlBits = 4, kSlCount = 1 << kSlBits;
    static constexpr uint32_t kSmall = 1u << (kSlBits + 3);
    static constexpr int kFlCount = 32 - (kSlBits + 3) + 1;
    static constexpr uint32_t kFirstChunk = 64;

    uint32_t &prev_size(uint32_t c) const { return *reinterpret_cast<uint32_t *>(base_ + c); }
    uint32_t &size_flags(uint32_t c) const { return *reinterpret_cast<uint32_t *>(base_ + c + 4); }
    uint32_t &next_free(uint32_t c) const { return *reinterpret_cast<uint32_t *>(base_ + c + 8); }
    uint32_t &prev_free(uint32_t c) const { return *reinterpret_cast<uint32_t *>(base_ + c + 12); }
    uint32_t size_of(uint32_t c) const { return size_flags(c) & ~kFlags; }

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
    uint32_t top_ = kFirstChunk;
    uint64_t committed_ = 0;
    int64_t in_use_ = 0;
    uint32_t fl_bitmap_ = 0;
    uint32_t sl_bitmap_[kFlCount] = {};
    uint32_t heads_[kFlCount][kSlCount] = {};
};

} // namespace kt::host

#endif
