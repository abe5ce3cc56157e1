// Arena: the allocator behind the word store.
//
// One reservation of address space that never moves; pages are made
// accessible as the used part grows, backed by huge pages where the system
// allows, because the store is walked at random by whoever holds its
// indices. Chunks are laid end to end from a fixed start up to `top`; the
// space from `top` to the end of the reservation is untouched wilderness.
//
// Chunk layout (all offsets are bytes from the arena base, multiples of 8):
//   +0 prev_size   size of the previous chunk; meaningful only when it is free
//   +4 size_flags  chunk size | kUsed | kPrevUsed | kClassNeg | kCached
//   +8 payload     for a free chunk: next and previous free-list offsets;
//                  for a cached one: the next cached chunk of its size
//
// Invariants, numbered as Arena::check reports them:
//   1. kFirstChunk <= top <= the committed end;
//   2. chunks tile [kFirstChunk, top) exactly;
//   3. each chunk's kPrevUsed agrees with its neighbour below;
//   4. no two free chunks are neighbours, and the chunk just below `top` is
//      never free (freeing coalesces, into `top` too);
//   5. a free chunk's size is repeated in the prev_size of the chunk above;
//   6. a cached chunk (a freed small chunk kept whole for the next request
//      of its size) is marked used and kCached, so neighbours leave it alone;
//   7. a bit per 8 bytes marks where live payloads start, and nowhere else,
//      so an index is checked exactly without trusting the bytes around it;
//   8. live + cached + free chunk bytes match the counters and sum to
//      top - kFirstChunk;
//   9. the bitmaps of the segregated free lists agree with the lists;
//  10. every free chunk is on exactly one segregated list, the one of its
//      size class (two levels of classes, so a fit is found in O(1));
//  11. every cached chunk is on exactly one quick list, the one of its size.
//
// Freeing a small chunk touches nothing but that chunk; cached chunks are
// merged back (drained) before the arena commits more memory once they hold
// a commit step's worth, whatever they hold when it is full, and a quick
// list is drained when a block wants to grow into one of its chunks. Each
// cached chunk is drained at most once, so the cost of a request stays
// constant on average whatever the number of live blocks.
//
// Under AddressSanitizer every byte not handed out is poisoned: headers,
// free and cached chunks, the room after a block's requested bytes and the
// wilderness. The arena reads its own headers through accessors that the
// sanitizer does not check.
#ifndef KT_SRC_HOST_ARENA_H
#define KT_SRC_HOST_ARENA_H

#include <cstddef>
#include <cstdint>

#include "common/poison.h"

namespace kt::host {

class Arena {
public:
    static constexpr uint64_t kReserveBytes = uint64_t{1} << 31;
    static constexpr uint32_t kHeader = 8;

    // Reserves the address space; aborts the process when even that fails,
    // because nothing in the library can work without the store.
    void init();
    bool ready() const { return base_ != nullptr; }
    char *base() const { return base_; }

    // Payload offset of a new block of `bytes`, or 0 when there is no room.
    // A small request its quick list can serve is served here, inline.
    uint32_t allocate(uint64_t bytes, bool class_neg) {
        uint32_t p = take_quick(bytes, class_neg);
        return p != 0 ? p : allocate_elsewhere(bytes, class_neg);
    }
    // allocate, when the request is small and its quick list holds a chunk;
    // else 0, and nothing changes.
    uint32_t take_quick(uint64_t bytes, bool class_neg) {
        if (bytes > kQuickMax - kHeader)
            return 0;
        uint32_t size = static_cast<uint32_t>(chunk_for(bytes));
        uint32_t &head = quick_heads_[quick_bin(size)];
        uint32_t c = head;
        if (c == 0)
            return 0;
        head = next_link(c);
        cached_bytes_ -= size;
        return hand_out(c, bytes, class_neg);
    }
    // Resizes in place when it can, else moves; returns the payload offset
    // (unchanged or new), or 0 when there is no room (block untouched). A
    // resize that needs no more room than the block has always stays.
    uint32_t reallocate(uint32_t payload, uint64_t bytes);
    // Gives the block back; a small one waits whole on its quick list.
    void release(uint32_t payload) {
        uint32_t c = payload - kHeader, size = size_of(c);
        in_use_ -= size;
        clear_start(payload);
        poison_payload(payload, size - kHeader);
        if (size <= kQuickMax)
            quick_put(c, size);
        else
            merge_free(c, size);
    }

    // True when `payload` is the start of a live block's payload.
    bool is_live(uint32_t payload) const {
        return payload % 8 == 0 && payload >= kFirstChunk + kHeader && payload < top_ && start_bit(payload);
    }
    // Bytes the live block at `payload` can hold.
    uint64_t payload_size(uint32_t payload) const { return size_of(payload - kHeader) - kHeader; }
    bool class_neg(uint32_t payload) const { return sf(payload - kHeader) & kClassNeg; }
    void set_class_neg(uint32_t payload, bool neg);

    int64_t bytes_in_use() const { return in_use_; }
    // The most bytes_in_use() has been since the arena was made.
    int64_t peak_bytes() const { return peak_; }

    // The space no live block holds: chunks on the free and quick lists, and
    // what is committed above the last chunk.
    struct Space {
        int64_t free_bytes = 0, free_chunks = 0, largest_free = 0, above_top = 0;
    };
    Space space() const;
    // Calls f(payload, chunk bytes, class_neg) for every live block, in address order.
    template <class F> void each_live(F &&f) const {
        for (uint32_t c = kFirstChunk; c < top_; c += size_of(c))
            if ((sf(c) & (kUsed | kCached)) == kUsed)
                f(c + kHeader, size_of(c), (sf(c) & kClassNeg) != 0);
    }

    // Walks every chunk and every list: 0 when all the invariants above
    // hold, else the number of the first one found broken (a message on
    // standard error says where).
    int check() const;

private:
    static constexpr uint32_t kUsed = 1, kPrevUsed = 2, kClassNeg = 4, kFlags = 7;
    static constexpr uint32_t kCached = 1u << 31; // chunks never reach 2 GiB
    static constexpr uint32_t kSizeMask = ~(kFlags | kCached);
    static constexpr uint32_t kMinChunk = 16, kQuickMax = 4104;
    static constexpr int kQuickBins = (kQuickMax - kMinChunk) / 8 + 1;
    static constexpr int kSlBits = 4, kSlCount = 1 << kSlBits;
    static constexpr uint32_t kSmall = 1u << (kSlBits + 3);
    static constexpr int kFlCount = 32 - (kSlBits + 3) + 1;
    static constexpr uint32_t kFirstChunk = 64;

    // Header and link words, read and written past the sanitizer's checks.
    [[gnu::no_sanitize_address]] uint32_t word(uint32_t at) const {
        return *reinterpret_cast<const uint32_t *>(base_ + at);
    }
    [[gnu::no_sanitize_address]] void set_word(uint32_t at, uint32_t v) const {
        *reinterpret_cast<uint32_t *>(base_ + at) = v;
    }
    uint32_t prev_size(uint32_t c) const { return word(c); }
    void set_prev_size(uint32_t c, uint32_t v) const { set_word(c, v); }
    uint32_t sf(uint32_t c) const { return word(c + 4); }
    void set_sf(uint32_t c, uint32_t v) const { set_word(c + 4, v); }
    uint32_t next_link(uint32_t c) const { return word(c + 8); }
    void set_next_link(uint32_t c, uint32_t v) const { set_word(c + 8, v); }
    uint32_t prev_link(uint32_t c) const { return word(c + 12); }
    void set_prev_link(uint32_t c, uint32_t v) const { set_word(c + 12, v); }
    uint32_t size_of(uint32_t c) const { return sf(c) & kSizeMask; }

    bool start_bit(uint32_t payload) const { return (starts_[payload / 512] >> (payload / 8 % 64)) & 1; }
    void set_start(uint32_t payload) { starts_[payload / 512] |= uint64_t{1} << (payload / 8 % 64); }
    void clear_start(uint32_t payload) { starts_[payload / 512] &= ~(uint64_t{1} << (payload / 8 % 64)); }

    // The chunk that holds `bytes`: header included, 8-byte aligned, at least kMinChunk.
    static uint64_t chunk_for(uint64_t bytes) {
        uint64_t size = (bytes + kHeader + 7) & ~uint64_t{7};
        return size < kMinChunk ? kMinChunk : size;
    }
    static int quick_bin(uint32_t size) { return static_cast<int>((size - kMinChunk) / 8); }
    void quick_put(uint32_t c, uint32_t size) {
        // Singly linked, so that neither a put nor a take touches another chunk.
        uint32_t &head = quick_heads_[quick_bin(size)];
        set_next_link(c, head);
        set_sf(c, sf(c) | kCached);
        head = c;
        cached_bytes_ += size;
    }
    // allocate() beyond the quick lists.
    uint32_t allocate_elsewhere(uint64_t bytes, bool class_neg);
    // Marks used chunk c live, with exactly `bytes` of it handed out.
    uint32_t hand_out(uint32_t c, uint64_t bytes, bool class_neg) {
        set_sf(c, (sf(c) & ~(kClassNeg | kCached)) | kUsed | (class_neg ? kClassNeg : 0));
        in_use_ += size_of(c);
        peak_ = in_use_ > peak_ ? in_use_ : peak_;
        set_start(c + kHeader);
        expose_payload(c + kHeader, bytes);
        return c + kHeader;
    }
    // Poisoning under AddressSanitizer; nothing otherwise.
    void poison_payload(uint32_t payload, uint64_t bytes) const { kt::poison(base_ + payload, bytes); }
    void expose_payload(uint32_t payload, uint64_t bytes) const {
        kt::expose(base_ + payload, bytes, payload_size(payload));
    }
    // Frees a chunk that was live, merging it with its free neighbours.
    void merge_free(uint32_t c, uint32_t size);
    // Frees every chunk of one quick list / of all of them into the free
    // lists, merging; false when there was none.
    bool drain_bin(int bin);
    bool drain();

    static void mapping(uint32_t size, int &fl, int &sl);
    void insert_free(uint32_t c);
    void remove_free(uint32_t c);
    uint32_t find_free(uint32_t size);
    bool commit(uint64_t end);
    // A chunk of `size` carved from the wilderness (more committed if need
    // be), or 0.
    uint32_t carve_top(uint32_t size);
    // Marks chunk c (size) free, merging neighbours and top; c must be unused.
    void make_free(uint32_t c, uint32_t size);
    // Splits the tail of used chunk c down to `size` when the rest can hold a chunk.
    void trim(uint32_t c, uint32_t size);
    // Grows used chunk c in place to at least `size` (aiming at `roomy`);
    // false when the space behind it is held.
    bool grow_in_place(uint32_t c, uint32_t size, uint64_t roomy);

    int broken(int rule, uint32_t at, const char *what) const;

    char *base_ = nullptr;
    uint64_t *starts_ = nullptr;
    uint32_t top_ = kFirstChunk;
    uint64_t committed_ = 0;
    int64_t in_use_ = 0, peak_ = 0, cached_bytes_ = 0, free_bytes_ = 0;
    uint32_t quick_heads_[kQuickBins] = {};
    uint32_t fl_bitmap_ = 0;
    uint32_t sl_bitmap_[kFlCount] = {};
    uint32_t heads_[kFlCount][kSlCount] = {};
};

} // namespace kt::host

#endif
