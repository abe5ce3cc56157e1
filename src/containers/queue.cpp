// Quu: the ring-buffer queue and its typed faces.
//
// Growth resizes the buffer in the region and then moves the part of a
// wrapped ring that lies before `head` to just past the old end, so element
// j stays at head + j. That is only sound when the new capacity is at least
// capacity + head, which every growth here requests; smaller sizes are refused.
#include <climits>

#include "kt/containers.h"

Quu::Quu(int item_bytes, int n) : Quu(item_bytes, PWS::GetMallocRegion(), n) {}

Quu::Quu(int item_bytes, PWSRegion *home, int n)
    : region(home ? home : PWS::GetMallocRegion()), itemsz(item_bytes > 0 ? item_bytes : 1), data(nullptr), capacity(0),
      count(0), head(0), eflag(0) {
    if (n < 0 || n > INT_MAX / itemsz) {
        eflag = n > 0;
        return;
    }
    KT_Status status;
    data = region->AllocMem(static_cast<size_t>(itemsz) * static_cast<size_t>(n), status);
    if (data)
        capacity = n;
    else if (n >= 1)
        eflag = 1;
}

Quu::~Quu() {
    KT_Status status;
    region->FreeMem(data, status);
}

int Quu::max_size(int n) {
    if (n == capacity)
        return capacity;
    if (n < 0 || int64_t{n} < int64_t{capacity} + head)
        return -1;
    if (n > INT_MAX / itemsz) {
        eflag = 1;
        return -1;
    }
    KT_Status status;
    size_t item = static_cast<size_t>(itemsz);
    auto *grown = static_cast<char *>(
        region->ResizeMem(data, item * static_cast<size_t>(capacity), item * static_cast<size_t>(n), status));
    if (!grown) {
        eflag = 1;
        return -1;
    }
    int64_t wrapped = int64_t{head} + count - capacity;
    if (wrapped > 0 && head > 0)
        std::memcpy(grown + item * static_cast<size_t>(capacity), grown, item * static_cast<size_t>(wrapped));
    data = grown;
    capacity = n;
    return n;
}

bool Quu::grow_for(int64_t needed) {
    int64_t want = int64_t{2} * capacity > needed ? int64_t{2} * capacity : needed;
    if (want > INT_MAX)
        want = needed;
    return needed <= INT_MAX && max_size(static_cast<int>(want)) >= 0;
}

int Quu::size(int n) {
    if (n < 0)
        return -1;
    if (n > capacity && !grow_for(n))
        return -1;
    count = n;
    return n;
}

int Quu::append(const void *items, int k) {
    if (k < 0 || (k > 0 && !items))
        return -1;
    int64_t needed = int64_t{count} + k;
    if (needed > capacity) {
        // Items taken from this very buffer are found again after it moved.
        const char *own = static_cast<const char *>(data), *from = static_cast<const char *>(items);
        size_t bytes = static_cast<size_t>(itemsz) * static_cast<size_t>(capacity);
        bool inside = own && from >= own && from < own + bytes;
        ptrdiff_t offset = inside ? from - own : 0;
        if (!grow_for(needed))
            return -1;
        if (inside)
            items = static_cast<const char *>(data) + offset;
    }
    if (k == 0)
        return count;
    // At most two pieces: up to the end of the buffer, then from its start.
    size_t item = static_cast<size_t>(itemsz);
    int first = slot(count);
    int run = capacity - first < k ? capacity - first : k;
    char *base = static_cast<char *>(data);
    std::memcpy(base + item * static_cast<size_t>(first), items, item * static_cast<size_t>(run));
    if (run < k)
        std::memcpy(base, static_cast<const char *>(items) + item * static_cast<size_t>(run),
                    item * static_cast<size_t>(k - run));
    count = static_cast<int>(needed);
    return count;
}

int Quu_int::queue(const int *values, int k) { return append(values, k); }

int Quu_voidp::queue(void *const *values, int k) { return append(values, k); }

// The single-element appends are inline in the header; these references
// make the library export them too, for callers that do not inline.
[[gnu::used]] static int (Quu_int::*const kQueueInt)(int) = &Quu_int::queue;
[[gnu::used]] static int (Quu_voidp::*const kQueuePointer)(void *) = &Quu_voidp::queue;
