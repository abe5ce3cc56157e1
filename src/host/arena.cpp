#include "arena.h"

#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kt::host {

namespace {

constexpr uint64_t kCommitStep = uint64_t{1} << 22;

int fls32(uint32_t v) { return 31 - __builtin_clz(v); }

uint64_t chunk_for(uint64_t bytes) {
    uint64_t size = (bytes + 8 + 7) & ~uint64_t{7};
    return size < 16 ? 16 : size;
}

[[noreturn]] void fatal(const char *what) {
    std::fprintf(stderr, "error 2012: cannot %s the word store\n", what);
    std::abort();
}

} // namespace

void Arena::init() {
    if (base_)
        return;
    void *p = mmap(nullptr, kReserveBytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    // One bit per 8 bytes; pages of it are only touched where blocks live.
    void *bits = mmap(nullptr, kReserveBytes / 64, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                      -1, 0);
    if (p == MAP_FAILED || bits == MAP_FAILED)
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
    committed_ = want;
    return true;
}

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
    next_free(c) = head;
    prev_free(c) = 0;
    if (head)
        prev_free(head) = c;
    heads_[fl][sl] = c;
    fl_bitmap_ |= 1u << fl;
    sl_bitmap_[fl] |= 1u << sl;
}

void Arena::remove_free(uint32_t c) {
    uint32_t next = next_free(c), prev = prev_free(c);
    if (next)
        prev_free(next) = prev;
    if (prev) {
        next_free(prev) = next;
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

uint32_t Arena::cache_take(uint32_t size) {
    if (size > kCacheMaxChunk)
        return 0;
    uint32_t bin = (size - 16) / 8, c = cache_heads_[bin];
    if (c) {
        cache_heads_[bin] = next_free(c);
        --cache_counts_[bin];
        --cached_;
        size_flags(c) &= ~kCached;
    }
    return c;
}

bool Arena::cache_put(uint32_t c, uint32_t size) {
    if (size > kCacheMaxChunk)
        return false;
    uint32_t bin = (size - 16) / 8;
    if (cache_counts_[bin] >= kCacheDepth)
        return false;
    // Singly linked, so that neither a put nor a take touches another chunk.
    next_free(c) = cache_heads_[bin];
    cache_heads_[bin] = c;
    ++cache_counts_[bin];
    ++cached_;
    size_flags(c) |= kCached;
    return true;
}

void Arena::cache_unlink(uint32_t c) {
    uint32_t bin = (size_of(c) - 16) / 8;
    uint32_t *link = &cache_heads_[bin];
    while (*link != c) // at most kCacheDepth steps
        link = &next_free(*link);
    *link = next_free(c);
    --cache_counts_[bin];
    --cached_;
    size_flags(c) &= ~kCached;
}

bool Arena::cache_drain() {
    if (!cached_)
        return false;
    for (uint32_t bin = 0; bin < static_cast<uint32_t>(kCacheBins); ++bin)
        while (uint32_t c = cache_take(16 + 8 * bin)) {
            size_flags(c) &= ~(kUsed | kClassNeg);
            make_free(c, size_of(c));
        }
    return true;
}

uint32_t Arena::carve_top(uint32_t size) {
    uint64_t end = uint64_t{top_} + size;
    if (!commit(end))
        return 0;
    uint32_t c = top_;
    // The chunk below top is always in use, so the new chunk's neighbour is.
    size_flags(c) = size | kPrevUsed | kUsed;
    top_ = static_cast<uint32_t>(end);
    return c;
}

uint32_t Arena::claim(uint32_t c, bool class_neg) {
    uint32_t &sf = size_flags(c);
    sf = (sf & ~kClassNeg) | kUsed | (class_neg ? kClassNeg : 0);
    in_use_ += size_of(c);
    set_start(c + kHeader);
    return c + kHeader;
}

uint32_t Arena::allocate(uint64_t bytes, bool class_neg) {
    if (bytes > kReserveBytes)
        return 0;
    uint32_t size = static_cast<uint32_t>(chunk_for(bytes));
    if (uint32_t c = cache_take(size))
        return claim(c, class_neg);
    uint32_t c = find_free(size);
    if (!c)
        c = carve_top(size);
    // Only when the arena is full do the cached chunks go back to be merged:
    // the caches are bounded, and draining them often costs more than it saves.
    if (!c && cache_drain()) {
        c = find_free(size);
        if (!c)
            c = carve_top(size);
    }
    if (!c)
        return 0;
    if (!(size_flags(c) & kUsed)) { // from the free lists

        uint32_t have = size_of(c);
        size_flags(c) = have | kPrevUsed;
        uint32_t next = c + have;
        if (next < top_)
            size_flags(next) |= kPrevUsed;
        size_flags(c) |= kUsed;
        trim(c, size);
    }
    return claim(c, class_neg);
}

void Arena::make_free(uint32_t c, uint32_t size) {
    uint32_t flags = size_flags(c) & kPrevUsed;
    if (!flags) {
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
    if (!(size_flags(next) & kUsed)) {
        remove_free(next);
        size += size_of(next);
        next = c + size;
        if (next == top_) {
            top_ = c;
            return;
        }
    }
    size_flags(c) = size | kPrevUsed;
    prev_size(next) = size;
    size_flags(next) &= ~kPrevUsed;
    insert_free(c);
}

void Arena::trim(uint32_t c, uint32_t size) {
    uint32_t have = size_of(c);
    if (have - size < kMinChunk)
        return;
    size_flags(c) = size | (size_flags(c) & kFlags);
    uint32_t rest = c + size;
    size_flags(rest) = (have - size) | kPrevUsed;
    make_free(rest, have - size);
}

void Arena::release(uint32_t payload) {
    uint32_t c = payload - kHeader;
    uint32_t size = size_of(c);
    in_use_ -= size;
    clear_start(payload);
    if (cache_put(c, size))
        return;
    size_flags(c) &= ~(kUsed | kClassNeg);
    make_free(c, size);
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
        return payload;
    }
    // Growth by small steps (appending) gets half as much again to spare, so
    // that repeated appends neither copy nor come back for every step.
    uint64_t roomy = size < uint64_t{have} + have / 4 ? chunk_for(uint64_t{have} + have / 2 - kHeader) : size;
    uint32_t next = c + have;
    if (next != top_ && (size_flags(next) & kCached) && uint64_t{have} + size_of(next) >= size) {
        // A cached neighbour is space nobody holds: take it back first.
        cache_unlink(next);
        size_flags(next) &= ~(kUsed | kClassNeg);
        make_free(next, size_of(next)); // may merge it into the top
    }
    if (next == top_) {
        uint64_t want = commit(uint64_t{c} + roomy) ? roomy : size;
        if (!commit(uint64_t{c} + want))
            return 0;
        size_flags(c) = static_cast<uint32_t>(want) | (size_flags(c) & kFlags);
        top_ = c + static_cast<uint32_t>(want);
        in_use_ += static_cast<int64_t>(want) - have;
        return payload;
    }
    if (!(size_flags(next) & kUsed) && uint64_t{have} + size_of(next) >= size) {
        uint32_t joined = have + size_of(next);
        remove_free(next);
        size_flags(c) = joined | (size_flags(c) & kFlags);
        uint32_t after = c + joined;
        if (after < top_)
            size_flags(after) |= kPrevUsed;
        trim(c, roomy < joined ? static_cast<uint32_t>(roomy) : joined);
        in_use_ += size_of(c) - have;
        return payload;
    }
    uint32_t moved = allocate(roomy - kHeader, size_flags(c) & kClassNeg);
    if (!moved && roomy > size)
        moved = allocate(size - kHeader, size_flags(c) & kClassNeg);
    if (!moved)
        return 0;
    std::memcpy(base_ + moved, base_ + payload, have - kHeader);
    release(payload);
    return moved;
}

void Arena::set_class_neg(uint32_t payload, bool neg) {
    uint32_t &sf = size_flags(payload - kHeader);
    sf = neg ? (sf | kClassNeg) : (sf & ~kClassNeg);
}

} // namespace kt::host
