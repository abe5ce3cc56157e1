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

} // namespace

void Arena::init() {
    if (base_)
        return;
    void *p = mmap(nullptr, kReserveBytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) {
        std::fputs("error 2012: cannot reserve the word store\n", stderr);
        std::abort();
    }
    base_ = static_cast<char *>(p);
    if (!commit(kFirstChunk + kCommitStep)) {
        std::fputs("error 2012: cannot commit the word store\n", stderr);
        std::abort();
    }
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
    // Round up to the next class boundary so that any chunk found fits.
    uint32_t rounded = size;
    if (size >= kSmall) {
        uint32_t step = (1u << (fls32(size) - kSlBits)) - 1;
        if (size > UINT32_MAX - step)
            return 0;
        rounded = size + step;
    }
    int fl, sl;
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

uint32_t Arena::carve_top(uint32_t size) {
    uint64_t end = uint64_t{top_} + size;
    if (!commit(end))
        return 0;
    uint32_t c = top_;
    // The chunk below top is always in use, so the new chunk's neighbour is.
    size_flags(c) = size | kPrevUsed;
    top_ = static_cast<uint32_t>(end);
    return c;
}

uint32_t Arena::allocate(uint64_t bytes, bool class_neg) {
    if (bytes > kReserveBytes)
        return 0;
    uint32_t size = static_cast<uint32_t>(chunk_for(bytes));
    uint32_t c = find_free(size);
    if (c) {
        uint32_t have = size_of(c);
        size_flags(c) = have | kPrevUsed;
        uint32_t next = c + have;
        if (next < top_)
            size_flags(next) |= kPrevUsed;
        trim(c, size);
    } else {
        c = carve_top(size);
        if (!c)
            return 0;
    }
    size_flags(c) |= kUsed | (class_neg ? kClassNeg : 0);
    in_use_ += size_of(c);
    return c + kHeader;
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
    size_flags(c) &= ~(kUsed | kClassNeg);
    make_free(c, size);
}

bool Arena::fits_in_place(uint32_t payload, uint64_t bytes) const {
    return chunk_for(bytes) <= size_of(payload - kHeader);
}

uint32_t Arena::reallocate(uint32_t payload, uint64_t bytes) {
    if (bytes > kReserveBytes)
        return 0;
    uint32_t c = payload - kHeader;
    uint32_t have = size_of(c);
    uint32_t size = static_cast<uint32_t>(chunk_for(bytes));
    if (size <= have) {
        in_use_ -= have;
        trim(c, size);
        in_use_ += size_of(c);
        return payload;
    }
    uint32_t next = c + have;
    if (next == top_) {
        if (!commit(uint64_t{c} + size))
            return 0;
        size_flags(c) = size | (size_flags(c) & kFlags);
        top_ = c + size;
        in_use_ += size - have;
        return payload;
    }
    if (!(size_flags(next) & kUsed) && uint64_t{have} + size_of(next) >= size) {
        uint32_t joined = have + size_of(next);
        remove_free(next);
        size_flags(c) = joined | (size_flags(c) & kFlags);
        uint32_t after = c + joined;
        if (after < top_)
            size_flags(after) |= kPrevUsed;
        trim(c, size);
        in_use_ += size_of(c) - have;
        return payload;
    }
    uint32_t moved = allocate(bytes, size_flags(c) & kClassNeg);
    if (!moved)
        return 0;
    std::memcpy(base_ + moved, base_ + payload, have - kHeader);
    release(payload);
    return moved;
}

bool Arena::is_live(uint32_t payload) const {
    if (!base_ || payload % 8 != 0 || payload < kFirstChunk + kHeader || payload >= top_)
        return false;
    uint32_t c = payload - kHeader;
    uint32_t sf = size_flags(c);
    uint32_t size = sf & ~kFlags;
    if (!(sf & kUsed) || size < kMinChunk || uint64_t{c} + size > top_)
        return false;
    // A stale index into the middle of a chunk rarely passes this: the
    // neighbour must agree that this chunk is in use.
    return c + size == top_ || (size_flags(c + size) & kPrevUsed);
}

uint64_t Arena::payload_size(uint32_t payload) const { return size_of(payload - kHeader) - kHeader; }

bool Arena::class_neg(uint32_t payload) const { return size_flags(payload - kHeader) & kClassNeg; }

void Arena::set_class_neg(uint32_t payload, bool neg) {
    uint32_t &sf = size_flags(payload - kHeader);
    sf = neg ? (sf | kClassNeg) : (sf & ~kClassNeg);
}

} // namespace kt::host
