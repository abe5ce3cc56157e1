// The lookup index of large string-keyed Hash tables (see hash_index.h).
//
// One region block holds the index object and its slots, so that making and
// dropping an index is one request each.
#include "hash_index.h"

#include <cstring>
#include <new>

Hash_index::Hash_index(PWSRegion *region, int bits, Slot *slots)
    : region_(region), slots_(slots), mask_((size_t{1} << bits) - 1), bits_(bits) {}

Hash_index *Hash_index::make(PWSRegion *region, int bits) {
    const size_t slots = size_t{1} << bits;
    KT_Status status;
    void *block = region->AllocMem(sizeof(Hash_index) + slots * sizeof(Slot), status);
    if (!block)
        return nullptr;
    auto *first = reinterpret_cast<Slot *>(static_cast<char *>(block) + sizeof(Hash_index));
    std::memset(static_cast<void *>(first), 0, slots * sizeof(Slot));
    return ::new (block) Hash_index(region, bits, first);
}

void Hash_index::release(Hash_index *index) {
    if (!index)
        return;
    KT_Status status;
    index->region_->FreeMem(index, status);
}

void Hash_index::insert(uint32_t tag, Hash_entry *e) {
    size_t i = home(tag);
    while (slots_[i].entry)
        i = (i + 1) & mask_;
    slots_[i] = {e, tag};
    ++count_;
}

void Hash_index::remove(uint32_t tag, const Hash_entry *e) {
    size_t i = home(tag);
    for (;; i = (i + 1) & mask_) {
        if (!slots_[i].entry)
            return;
        if (slots_[i].entry == e)
            break;
    }
    // Close the gap: move back every later entry of the run whose home slot
    // does not lie between the gap and it (cyclically).
    for (size_t j = (i + 1) & mask_; slots_[j].entry; j = (j + 1) & mask_) {
        const size_t h = home(slots_[j].tag);
        const bool stays = i <= j ? (i < h && h <= j) : (i < h || h <= j);
        if (!stays) {
            slots_[i] = slots_[j];
            i = j;
        }
    }
    slots_[i] = {nullptr, 0};
    --count_;
}

void Hash_index::move_into(Hash_index &bigger) const {
    for (size_t i = 0; i <= mask_; ++i)
        if (slots_[i].entry)
            bigger.insert(slots_[i].tag, slots_[i].entry);
}
