// The lookup index of large string-hashed symbol tables: a second set of
// chains through the table's own entries (linked by index_next), with a
// power-of-two number of buckets chosen from the entry's cached hash mixed.
//
// Invariants: when t->index is not null, every entry of the table is in
// exactly one index chain, the one of its cached hash; the index has at
// least four buckets for each entry the table had when it was made or last
// grown. The index owns no entry; the bins stay the table's
// structure, and a table whose index could not be made or grown works on
// with what it has.
#ifndef KT_SRC_PACKAGES_ST_INDEX_H
#define KT_SRC_PACKAGES_ST_INDEX_H

#include <cstdint>

#include "common/bucket_hash.h"
#include "kt/st.h"

namespace kt::packages {

inline st_table_entry **index_bucket(const st_table *t, uint32_t magnitude) {
    return &t->index[kt::bucket::mix(magnitude) >> (32 - t->index_bits)];
}

// The entry whose key equals `key` (cached hash `magnitude`), or null;
// t->index must not be null.
template <typename Equal> st_table_entry *index_find(const st_table *t, uint32_t magnitude, Equal equal) {
    for (st_table_entry *e = *index_bucket(t, magnitude); e; e = e->index_next)
        if (e->cached_hash == magnitude && equal(e))
            return e;
    return nullptr;
}

// Puts a new entry into the index, growing the index first when the table
// has outgrown it; makes the index once the table is large enough. Call
// after the entry is counted in entry_count and linked into its bin.
void index_add(st_table *t, st_table_entry *e);

// Takes an entry that is about to be unlinked from its bin out of the index.
void index_remove(st_table *t, const st_table_entry *e);

// Makes the index of a table that has none and is large enough; nothing
// when memory is short.
void index_build(st_table *t);

} // namespace kt::packages

#endif
