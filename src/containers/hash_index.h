// The lookup index of large string-keyed Hash tables: open addressing over
// the entries' known hashes, beside the bucket chains.
//
// A chain holds three to four entries before a rehash, and a lookup reads
// each one it passes at a cache miss; a slot of the index holds the hash
// with the entry, so a lookup reads one slot run and only the entry it
// finds.
//
// Invariants: every entry in the index is linked in the table, once, under
// its known hash; at most half the slots are taken; no empty slot lies
// between an entry and the slot its hash points at (removal shifts the run
// back, there are no tombstones). The index owns no entry; the chains stay
// the table's structure.
#ifndef KT_SRC_CONTAINERS_HASH_INDEX_H
#define KT_SRC_CONTAINERS_HASH_INDEX_H

#include <cstddef>
#include <cstdint>

#include "kt/containers_hash.h"

class Hash_index {
public:
    /// A cleared index of 2^bits slots in `region`, or null when refused.
    static Hash_index *make(PWSRegion *region, int bits);
    /// Gives the index back to its region (null: nothing).
    static void release(Hash_index *index);

    int bits() const { return bits_; }
    /// True when one more entry keeps the slots at most half taken.
    bool has_room() const { return 2 * (size_t{count_} + 1) <= mask_ + 1; }

    /// The entry tagged `tag` for which equal(entry) holds, or null.
    template <typename Equal> Hash_entry *find(uint32_t tag, Equal equal) const {
        for (size_t i = home(tag);; i = (i + 1) & mask_) {
            const Slot &s = slots_[i];
            if (!s.entry)
                return nullptr;
            if (s.tag == tag && equal(s.entry))
                return s.entry;
        }
    }
    /// Where a lookup of `tag` starts, for an early prefetch.
    const void *first_slot(uint32_t tag) const { return &slots_[home(tag)]; }
    /// Adds e under tag; has_room() must hold.
    void insert(uint32_t tag, Hash_entry *e);
    /// Takes e out (nothing when it is not there).
    void remove(uint32_t tag, const Hash_entry *e);
    /// Adds every entry of this index to `bigger`, which has room for them.
    void move_into(Hash_index &bigger) const;

private:
    struct Slot {
        Hash_entry *entry; // null: free
        uint32_t tag;
    };
    Hash_index(PWSRegion *region, int bits, Slot *slots);
    // Hashes are well mixed: the high bits choose the slot.
    size_t home(uint32_t tag) const { return tag >> (32 - bits_); }

    PWSRegion *region_;
    Slot *slots_;
    size_t mask_;
    int bits_;
    uint32_t count_ = 0;
};

#endif
