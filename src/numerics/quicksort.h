// The loop shared by the quicksorts (QSORTI, QSORTS, QSRTII, QSRTIS,
// QSRTID), over a key policy: the items moved (keys or indices), the key
// of an item, and the order of keys.
//
// One loop serves all five. A part of 10 or more positions is split
// around a pivot key p into the keys less than p and the others, the left
// part is sorted first and the upper end of the right part waits on the
// caller's stack STK (STK(1) = N, then one entry per pending part, so the
// depth never exceeds N). Parts under 10 positions are finished by
// exchange passes. A part whose keys are all equal is finished without an
// exchange.
//
// The pivot is the median of three sampled keys, or of three medians of
// three on larger parts, so sorted, reversed and organ-pipe inputs split
// evenly. Partitioning needs a key less than p and p itself in the part;
// every pivot is checked against the samples for that, and when the
// samples are all equal the first key that differs from the part's first
// key decides, so parts with few distinct keys still split. A budget of
// partitioning work bounds the cost on inputs built to defeat the samples:
// once spent, parts are heap-sorted, in place, still without extra storage.
// Partitioning classifies each key by one fixed test against p, so any
// key array, even one with NaNs, leaves every index inside the part.
#ifndef KT_SRC_NUMERICS_QUICKSORT_H
#define KT_SRC_NUMERICS_QUICKSORT_H

#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

namespace kt::numerics {

constexpr int32_t kExchangePart = 10; // parts shorter than this take exchange passes
constexpr int32_t kNintherPart = 40;  // parts at least this long take nine samples

template <typename Keys> using KeyOf = typename Keys::Key;

// Key of the item at 1-based position i.
template <typename Keys> KeyOf<Keys> key_at(const Keys &k, int32_t i) { return k.key_of(k.items[i - 1]); }

template <typename Keys> void exchange(const Keys &k, int32_t i, int32_t j) {
    std::swap(k.items[i - 1], k.items[j - 1]);
}

template <typename Keys, typename Key = KeyOf<Keys>> Key median3(const Keys &k, Key x, Key y, Key z) {
    if (k.less(y, x))
        std::swap(x, y);
    if (k.less(z, y))
        y = k.less(z, x) ? x : z;
    return y;
}

// A pivot key p with some key of [lo, hi] less than p and p itself in the
// part; none when all keys of the part are equal.
template <typename Keys, typename Key = KeyOf<Keys>>
std::optional<Key> choose_pivot(const Keys &k, int32_t lo, int32_t hi) {
    Key s[9];
    int count = 0;
    Key candidate;
    if (hi - lo + 1 >= kNintherPart) {
        const int32_t step = (hi - lo) / 8;
        for (int j = 0; j < 9; ++j)
            s[j] = key_at(k, lo + j * step);
        count = 9;
        candidate =
            median3(k, median3(k, s[0], s[1], s[2]), median3(k, s[3], s[4], s[5]), median3(k, s[6], s[7], s[8]));
    } else {
        s[0] = key_at(k, lo);
        s[1] = key_at(k, lo + (hi - lo) / 2);
        s[2] = key_at(k, hi);
        count = 3;
        candidate = median3(k, s[0], s[1], s[2]);
    }
    // The candidate serves when a sample lies below it; else the least
    // sample above it does, with the candidate below.
    std::optional<Key> above;
    for (int j = 0; j < count; ++j) {
        if (k.less(s[j], candidate))
            return candidate;
        if (k.less(candidate, s[j]) && (!above || k.less(s[j], *above)))
            above = s[j];
    }
    if (above)
        return above;
    const Key first = key_at(k, lo);
    for (int32_t i = lo + 1; i <= hi; ++i) {
        const Key v = key_at(k, i);
        if (k.less(v, first))
            return first;
        if (k.less(first, v))
            return v;
    }
    return std::nullopt;
}

// Splits [lo, hi] into keys below the pivot (below(key) true), then the
// others; returns the first position of the others. Both sides are
// non-empty. The loop is: exchange positions l and r, move l up past keys
// below, r down past the others, until l > r. After each exchange but the
// first, the two keys just exchanged are known to pass, so the scans start
// beyond them; the positions reached are the same.
template <typename Keys, typename Below> int32_t partition(const Keys &k, int32_t lo, int32_t hi, Below below) {
    int32_t l = lo, r = hi;
    exchange(k, l, r);
    for (;;) {
        while (below(key_at(k, l)))
            ++l;
        while (!below(key_at(k, r)))
            --r;
        if (l > r)
            return l;
        exchange(k, l, r);
        ++l;
        --r;
    }
}

// Exchange passes over [lo, hi]: each pass compares neighbours upwards and
// exchanges them when the upper key is less, which carries the greatest
// item of the pass to its top; a pass without exchange ends the sort. The
// item being carried is kept in a register and each step selects instead
// of branching, which keeps random keys from stalling the pipeline.
template <typename Keys> void exchange_passes(const Keys &k, int32_t lo, int32_t hi) {
    auto *items = k.items;
    for (int32_t top = hi; top > lo; --top) {
        auto carried = items[lo - 1];
        auto carried_key = k.key_of(carried);
        bool exchanged = false;
        for (int32_t i = lo; i < top; ++i) {
            const auto next = items[i];
            const auto next_key = k.key_of(next);
            const bool swap = k.less(next_key, carried_key);
            items[i - 1] = swap ? next : carried;
            carried = swap ? carried : next;
            carried_key = swap ? carried_key : next_key;
            exchanged |= swap;
        }
        items[top - 1] = carried;
        if (!exchanged)
            return;
    }
}

// Heap sort of [lo, hi]: position lo + j - 1 is heap node j.
template <typename Keys> void sift_down(const Keys &k, int32_t lo, int64_t node, int64_t size) {
    auto at = [lo](int64_t j) { return static_cast<int32_t>(lo + j - 1); };
    for (int64_t child = 2 * node; child <= size; child = 2 * node) {
        if (child < size && k.less(key_at(k, at(child)), key_at(k, at(child + 1))))
            ++child;
        if (!k.less(key_at(k, at(node)), key_at(k, at(child))))
            return;
        exchange(k, at(node), at(child));
        node = child;
    }
}

template <typename Keys> void heap_sort(const Keys &k, int32_t lo, int32_t hi) {
    const int64_t size = int64_t{hi} - lo + 1;
    for (int64_t node = size / 2; node >= 1; --node)
        sift_down(k, lo, node, size);
    for (int64_t end = size; end > 1; --end) {
        exchange(k, lo, static_cast<int32_t>(lo + end - 1));
        sift_down(k, lo, 1, end - 1);
    }
}

// Partitioning work allowed before parts are heap-sorted: about three
// times what evenly split parts need.
inline int64_t partition_budget(int32_t n) { return 3 * int64_t{n} * (std::ilogb(static_cast<double>(n)) + 2); }

// Splits around p, comparing with the plain < when the order allows it
// for this pivot (it does for every pivot of a value order).
template <typename Keys, typename Key = KeyOf<Keys>> int32_t split(const Keys &k, int32_t lo, int32_t hi, Key p) {
    if (k.by_value(p))
        return partition(k, lo, hi, [p](Key x) { return x < p; });
    return partition(k, lo, hi, [&k, p](Key x) { return k.less(x, p); });
}

// Keys: items (pointer to the first of the items moved), key_of(item),
// less(x, y) ordering keys, and by_value(p): whether less(x, p) is x < p
// for every key x.
template <typename Keys> void quicksort(const Keys &k, int32_t *stk, int32_t n) {
    if (n < 1)
        return;
    stk[0] = n;
    int32_t depth = 1, last = n, lo = 1, hi = n;
    int64_t budget = partition_budget(n);
    for (;;) {
        if (hi - lo + 1 >= kExchangePart) {
            if (std::optional<KeyOf<Keys>> p = choose_pivot(k, lo, hi)) {
                if (budget > 0) {
                    budget -= hi - lo + 1;
                    const int32_t l = split(k, lo, hi, *p);
                    if (last != hi) {
                        stk[depth++] = hi;
                        last = hi;
                    }
                    hi = l - 1;
                    continue;
                }
                heap_sort(k, lo, hi);
            }
        } else {
            exchange_passes(k, lo, hi);
        }
        // [lo, hi] is finished; the next part runs up to the stack's top.
        if (hi == last)
            --depth;
        if (depth < 1)
            return;
        lo = hi + 1;
        hi = last = stk[depth - 1];
    }
}

} // namespace kt::numerics

#endif
