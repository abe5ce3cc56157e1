#include "arena.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/poison.h"
#include "huge_map.h"

namespace kt::host {

namespace {

constexpr uint64_t kCommitStep = uint64_t{1} << 22;

int fls32(uint32_t v) { return 31 - __builtin_clz(v); }

[[noreturn]] void fatal(const char *what) {
    std::fprintf(stderr, "error 2012: cannot %s the word store\n", what);
    std::abort();
}

} // namespace

void Arena::init() {
    if (base_)
        return;
    void *p = map_huge_aligned(kReserveBytes, PROT_NONE, MAP_NORESERVE);
    // One bit per 8 bytes; pages of it are only touched where blocks live.
    void *bits = map_huge_aligned(kReserveBytes / 64, PROT_READ | PROT_WRITE, MAP_NORESERVE);
    if (!p || !bits)
        fatal("reserve");
    base_ = static_cast<char *>(p);
    starts_ = static_cast<uint64_t *>(bits);
    if (!commit(kFirstChunk + kCommitStep))
        fatal("commit");
}

bool Arena::commit(uint64_t end) {
    if (end <= committed_)
        return true;
    if (end > kReserveBytes)
        return false;
    uint64_t want = (end + kCommitStep - 1) / kCommitStep * kCommitStep;
    if (want > kReserveBytes)
        want = kReserveBytes;
    if (mprotect(base_ + committed_, want - committed_, PROT_READ | PROT_WRITE) != 0)
        return false;
    kt::poison(base_ + committed_, want - committed_);
    committed_ = want;
    return true;
}

// ---- segregated free lists -------------------------------------------------

void Arena::mapping(uint32_t size, int &fl, int &sl) {
    if (size < kSmall) {
        fl = 0;
        sl = static_cast<int>(size / (kSmall / kSlCount));
        return;
    }
    int f = fls32(size);
    sl = static_cast<int>((size >> (f - kSlBits)) ^ (1u << kSlBits));
    fl = f - (kSlBits + 3) + 1;
}

void Arena::insert_free(uint32_t c) {
    int fl, sl;
    mapping(size_of(c), fl, sl);
    uint32_t head = heads_[fl][sl];
    set_next_link(c, head);
    set_prev_link(c, 0);
    if (head)
        set_prev_link(head, c);
    heads_[fl][sl] = c;
    fl_bitmap_ |= 1u << fl;
    sl_bitmap_[fl] |= 1u << sl;
    free_bytes_ += size_of(c);
}

void Arena::remove_free(uint32_t c) {
    free_bytes_ -= size_of(c);
    uint32_t next = next_link(c), prev = prev_link(c);
    if (next)
        set_prev_link(next, prev);
    if (prev) {
        set_next_link(prev, next);
        return;
    }
    int fl, sl;
    mapping(size_of(c), fl, sl);
    heads_[fl][sl] = next;
    if (!next) {
        sl_bitmap_[fl] &= ~(1u << sl);
        if (!sl_bitmap_[fl])
            fl_bitmap_ &= ~(1u << fl);
    }
}

uint32_t Arena::find_free(uint32_t size) {
    int fl, sl;
    if (size >= kSmall) {
        // The rounded search below skips the request's own class, yet its
        // newest chunk often fits (a block freed and asked for again, or
        // freed neighbours merged); one look keeps that space in use.
        mapping(size, fl, sl);
        uint32_t head = heads_[fl][sl];
        if (head && size_of(head) >= size) {
            remove_free(head);
            return head;
        }
    }
    // Round up to the next class boundary so that any chunk found fits.
    uint32_t rounded = size;
    if (size >= kSmall) {
        uint32_t step = (1u << (fls32(size) - kSlBits)) - 1;
        if (size > UINT32_MAX - step)
            return 0;
        rounded = size + step;
    }
    mapping(rounded, fl, sl);
    if (fl >= kFlCount)
        return 0;
    uint32_t sl_map = sl_bitmap_[fl] & (~0u << sl);
    if (!sl_map) {
        uint32_t fl_map = fl + 1 < 32 ? fl_bitmap_ & (~0u << (fl + 1)) : 0;
        if (!fl_map)
            return 0;
        fl = __builtin_ctz(fl_map);
        sl_map = sl_bitmap_[fl];
    }
    sl = __builtin_ctz(sl_map);
    uint32_t c = heads_[fl][sl];
    remove_free(c);
    return c;
}

// ---- quick lists of cached chunks -----------------------------------------

bool Arena::drain_bin(int bin) {
    uint32_t c = quick_heads_[bin];
    if (!c)
        return false;
    quick_heads_[bin] = 0;
    while (c) {
        uint32_t next = next_link(c), size = size_of(c);
        cached_bytes_ -= size;
        set_sf(c, sf(c) & ~(kUsed | kClassNeg | kCached));
        make_free(c, size);
        c = next;
    }
    return true;
}

bool Arena::drain() {
    if (!cached_bytes_)
        return false;
    for (int bin = 0; bin < kQuickBins; ++bin)
        drain_bin(bin);
    return true;
}

// ---- chunks ----------------------------------------------------------------

uint32_t Arena::carve_top(uint32_t size) {
    uint64_t end = uint64_t{top_} + size;
    if (!commit(end))
        return 0;
    uint32_t c = top_;
    // The chunk below top is always in use, so the new chunk's neighbour is.
    set_sf(c, size | kPrevUsed | kUsed);
    top_ = static_cast<uint32_t>(end);
    return c;
}

void Arena::make_free(uint32_t c, uint32_t size) {
    if (!(sf(c) & kPrevUsed)) {
        uint32_t prev = c - prev_size(c);
        remove_free(prev);
        size += size_of(prev);
        c = prev;
    }
    uint32_t next = c + size;
    if (next == top_) {
        top_ = c;
        return;
    }
    if (!(sf(next) & kUsed)) {
        remove_free(next);
        size += size_of(next);
        next = c + size;
        if (next == top_) {
            top_ = c;
            return;
        }
    }
    set_sf(c, size | kPrevUsed);
    set_prev_size(next, size);
    set_sf(next, sf(next) & ~kPrevUsed);
    insert_free(c);
}

void Arena::trim(uint32_t c, uint32_t size) {
    uint32_t have = size_of(c);
    if (have - size < kMinChunk)
        return;
    set_sf(c, size | (sf(c) & kFlags));
    uint32_t rest = c + size;
    set_sf(rest, (have - size) | kPrevUsed);
    make_free(rest, have - size);
}

uint32_t Arena::allocate_elsewhere(uint64_t bytes, bool class_neg) {
    if (bytes > kReserveBytes)
        return 0;
    uint32_t size = static_cast<uint32_t>(chunk_for(bytes));
    uint32_t c = find_free(size);
    // Cached chunks go back to be merged before the arena takes more memory,
    // once they hold as much as it would take: draining is paid for by the
    // frees that filled the caches, and the caches never make the arena
    // grow by more than a commit step.
    if (!c && uint64_t{top_} + size > committed_ && cached_bytes_ >= int64_t{kCommitStep} && drain())
        return allocate(bytes, class_neg);
    if (c) {
        uint32_t have = size_of(c);
        set_sf(c, have | kPrevUsed | kUsed); // a free chunk's neighbours are in use
        if (c + have < top_)
            set_sf(c + have, sf(c + have) | kPrevUsed);
        trim(c, size);
    } else {
        c = carve_top(size);
    }
    // A full arena takes its cached chunks back whatever they hold.
    if (!c)
        return drain() ? allocate(bytes, class_neg) : 0;
    return hand_out(c, bytes, class_neg);
}

void Arena::merge_free(uint32_t c, uint32_t size) {
    set_sf(c, sf(c) & ~(kUsed | kClassNeg));
    make_free(c, size);
}

bool Arena::grow_in_place(uint32_t c, uint32_t size, uint64_t roomy) {
    uint32_t have = size_of(c), next = c + have;
    // A cached neighbour is space nobody holds: its list goes back first.
    if (next != top_ && (sf(next) & kCached) && uint64_t{have} + size_of(next) >= size)
        drain_bin(quick_bin(size_of(next)));
    if (next == top_) {
        uint64_t want = commit(uint64_t{c} + roomy) ? roomy : size;
        if (!commit(uint64_t{c} + want))
            return false;
        set_sf(c, static_cast<uint32_t>(want) | (sf(c) & kFlags));
        top_ = c + static_cast<uint32_t>(want);
        in_use_ += static_cast<int64_t>(want) - have;
        peak_ = in_use_ > peak_ ? in_use_ : peak_;
        return true;
    }
    if ((sf(next) & kUsed) || uint64_t{have} + size_of(next) < size)
        return false;
    uint32_t joined = have + size_of(next);
    remove_free(next);
    set_sf(c, joined | (sf(c) & kFlags));
    if (c + joined < top_)
        set_sf(c + joined, sf(c + joined) | kPrevUsed);
    trim(c, roomy < joined ? static_cast<uint32_t>(roomy) : joined);
    in_use_ += size_of(c) - have;
    peak_ = in_use_ > peak_ ? in_use_ : peak_;
    return true;
}

uint32_t Arena::reallocate(uint32_t payload, uint64_t bytes) {
    if (bytes > kReserveBytes)
        return 0;
    uint32_t c = payload - kHeader;
    uint32_t have = size_of(c);
    uint32_t size = static_cast<uint32_t>(chunk_for(bytes));
    if (size <= have) {
        // Small shrinks keep their room (a string cut and extended again);
        // a block cut to half or less gives the rest back.
        if (size <= have / 2) {
            in_use_ -= have;
            trim(c, size);
            in_use_ += size_of(c);
        }
        kt::expose(base_ + payload, bytes, have - kHeader);
        return payload;
    }
    // Growth by small steps (appending) gets half as much again to spare, so
    // that repeated appends neither copy nor come back for every step.
    uint64_t roomy = size < uint64_t{have} + have / 4 ? chunk_for(uint64_t{have} + have / 2 - kHeader) : size;
    if (grow_in_place(c, size, roomy)) {
        kt::expose(base_ + payload, bytes, payload_size(payload));
        return payload;
    }
    uint32_t moved = allocate(roomy - kHeader, sf(c) & kClassNeg);
    if (!moved && roomy > size)
        moved = allocate(size - kHeader, sf(c) & kClassNeg);
    if (!moved)
        return 0;
    // The whole old room is copied: what the caller used of it is not known here.
    kt::unpoison(base_ + payload, have - kHeader);
    std::memcpy(base_ + moved, base_ + payload, have - kHeader);
    release(payload);
    kt::expose(base_ + moved, bytes, payload_size(moved));
    return moved;
}

void Arena::set_class_neg(uint32_t payload, bool neg) {
    uint32_t c = payload - kHeader;
    set_sf(c, neg ? (sf(c) | kClassNeg) : (sf(c) & ~kClassNeg));
}

Arena::Space Arena::space() const {
    Space s;
    for (uint32_t c = kFirstChunk; c < top_; c += size_of(c)) {
        if ((sf(c) & (kUsed | kCached)) == kUsed)
            continue;
        s.free_bytes += size_of(c);
        ++s.free_chunks;
        s.largest_free = std::max<int64_t>(s.largest_free, size_of(c));
    }
    s.above_top = static_cast<int64_t>(committed_) - top_;
    return s;
}

// ---- consistency ------------------------------------------------------------

int Arena::broken(int rule, uint32_t at, const char *what) const {
    std::fprintf(stderr, "word store: rule %d broken at offset %u: %s\n", rule, at, what);
    return rule;
}

int Arena::check() const {
    if (top_ < kFirstChunk || top_ % 8 || top_ > committed_)
        return broken(1, top_, "top outside the committed space");
    std::vector<uint32_t> free_chunks, cached_chunks;
    int64_t live = 0, cached = 0, free = 0, live_count = 0;
    bool prev_used = true;
    for (uint32_t c = kFirstChunk; c < top_;) {
        uint32_t f = sf(c), size = size_of(c);
        if (size < kMinChunk || uint64_t{c} + size > top_)
            return broken(2, c, "chunk size out of range");
        if (bool(f & kPrevUsed) != prev_used)
            return broken(3, c, "kPrevUsed disagrees with the chunk below");
        bool used = f & kUsed, started = start_bit(c + kHeader);
        if (!used) {
            if (!prev_used)
                return broken(4, c, "two free neighbours");
            if (c + size == top_)
                return broken(4, c, "free chunk below top");
            if (prev_size(c + size) != size)
                return broken(5, c, "size not repeated above a free chunk");
            if (f & kCached)
                return broken(6, c, "free chunk marked cached");
            free_chunks.push_back(c);
            free += size;
        } else if (f & kCached) {
            if (size > kQuickMax)
                return broken(6, c, "cached chunk too large for the quick lists");
            cached_chunks.push_back(c);
            cached += size;
        } else {
            live += size;
            ++live_count;
        }
        if (started != (used && !(f & kCached)))
            return broken(7, c, "start bit disagrees with the chunk");
        prev_used = used;
        c += size;
    }
    int64_t bits = 0;
    // Words that hold a bit of some payload below the top: the map ends at the reserve.
    for (uint64_t w = 0; w < (top_ + 511) / 512; ++w)
        bits += __builtin_popcountll(starts_[w]);
    if (bits != live_count)
        return broken(7, top_, "start bits outside live payloads");
    if (live != in_use_ || cached != cached_bytes_ || free != free_bytes_)
        return broken(8, top_, "byte counters disagree with the chunks");
    if (live + cached + free != top_ - kFirstChunk)
        return broken(8, top_, "chunks do not tile the used space");

    size_t listed = 0;
    for (int fl = 0; fl < kFlCount; ++fl) {
        if (bool(fl_bitmap_ & (1u << fl)) != (sl_bitmap_[fl] != 0))
            return broken(9, 0, "first-level bitmap disagrees with the second");
        for (int sl = 0; sl < kSlCount; ++sl) {
            if (bool(sl_bitmap_[fl] & (1u << sl)) != (heads_[fl][sl] != 0))
                return broken(9, 0, "second-level bitmap disagrees with its list");
            uint32_t back = 0;
            for (uint32_t c = heads_[fl][sl]; c; back = c, c = next_link(c)) {
                int cf, cs;
                if (!std::binary_search(free_chunks.begin(), free_chunks.end(), c))
                    return broken(10, c, "free list holds what is not a free chunk");
                mapping(size_of(c), cf, cs);
                if (cf != fl || cs != sl || prev_link(c) != back)
                    return broken(10, c, "free chunk on the wrong list or badly linked");
                if (++listed > free_chunks.size())
                    return broken(10, c, "free lists hold a chunk twice");
            }
        }
    }
    if (listed != free_chunks.size())
        return broken(10, 0, "free chunk on no list");

    std::sort(cached_chunks.begin(), cached_chunks.end());
    listed = 0;
    for (int bin = 0; bin < kQuickBins; ++bin)
        for (uint32_t c = quick_heads_[bin]; c; c = next_link(c)) {
            if (!std::binary_search(cached_chunks.begin(), cached_chunks.end(), c) || quick_bin(size_of(c)) != bin)
                return broken(11, c, "quick list holds what is not a cached chunk of its size");
            if (++listed > cached_chunks.size())
                return broken(11, c, "quick lists hold a chunk twice");
        }
    if (listed != cached_chunks.size())
        return broken(11, 0, "cached chunk on no quick list");
    return 0;
}

} // namespace kt::host
