// The lookup index of large string-hashed symbol tables (see st_index.h).
//
// Small tables go without: their chains are short and cached, and they
// cost no allocation beyond the table, its bins and one per entry. From
// kIndexFrom entries on the index keeps at most one entry per bucket on
// average; when the table outgrows it, it is made again with four buckets
// per entry, since every remaking walks all entries at a cache miss each. Its allocations are never
// reported: a table without an index is only slower.
#include "st_index.h"

#include "common/prefetch.h"
#include "heap.h"

namespace kt::packages {

namespace {

constexpr int kIndexFrom = 64, kMaxBits = 30, kBucketsPerEntry = 4;
// Chain heads are asked for this many bins ahead, so that their misses overlap.
constexpr int kPrefetchBins = 8;

// Relinks every entry of the table into cleared buckets of 2^bits.
void relink(st_table *t, st_table_entry **buckets, int bits) {
    t->index = buckets;
    t->index_bits = bits;
    for (int i = 0; i < t->bin_count; ++i) {
        if (i + kPrefetchBins < t->bin_count)
            kt::prefetch(t->bins[i + kPrefetchBins]);
        for (st_table_entry *e = t->bins[i]; e; e = e->next) {
            st_table_entry **head = index_bucket(t, e->cached_hash);
            e->index_next = *head;
            *head = e;
        }
    }
}

// Makes an index of kBucketsPerEntry buckets per entry or more, in place of
// the one the table has; keeps the old one when memory is short.
void remake(st_table *t) {
    int bits = 1;
    while (bits < kMaxBits && (int64_t{1} << bits) < kBucketsPerEntry * int64_t{t->entry_count})
        ++bits;
    if (t->index && bits <= t->index_bits)
        return;
    auto **buckets = static_cast<st_table_entry **>(allocate_cleared(size_t{1} << bits, sizeof(st_table_entry *)));
    if (!buckets)
        return;
    release(t->index);
    relink(t, buckets, bits);
}

} // namespace

void index_build(st_table *t) {
    if (!t->index && t->entry_count >= kIndexFrom)
        remake(t);
}

void index_add(st_table *t, st_table_entry *e) {
    if (!t->index) {
        // Tried again only at powers of two, so a table that was refused
        // its index asks for it log n times, not on every addition.
        if (t->entry_count >= kIndexFrom && (t->entry_count & (t->entry_count - 1)) == 0)
            remake(t); // links e too
        return;
    }
    if (t->entry_count > (1 << t->index_bits) && t->index_bits < kMaxBits) {
        st_table_entry **old = t->index;
        remake(t);
        if (t->index != old)
            return; // e linked with the rest
    }
    st_table_entry **head = index_bucket(t, e->cached_hash);
    e->index_next = *head;
    *head = e;
}

void index_remove(st_table *t, const st_table_entry *e) {
    if (!t->index)
        return;
    for (st_table_entry **link = index_bucket(t, e->cached_hash); *link; link = &(*link)->index_next)
        if (*link == e) {
            *link = e->index_next;
            return;
        }
}

} // namespace kt::packages
