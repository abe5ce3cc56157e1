// Bank: fixed-size items carved from region blocks, recycled through a
// free list threaded through the free items themselves.
//
// A free item's word k (k < its depth: its words, at most kDepth) holds the
// item k + 1 below it on the list, as it was when the item was freed; only
// the head of the list ever changes, so that stays true. A get asks for the
// deepest of them ahead: items freed in random order are then found with
// several misses under way rather than one after the other.
//
// Under AddressSanitizer the items not handed out (free, or not yet carved)
// are poisoned, so a use of an item after free() is reported; the links of
// free items are read past the sanitizer.
#include <climits>
#include <iostream>

#include "common/poison.h"
#include "common/prefetch.h"
#include "kt/containers.h"

namespace {

// A free item's first word is a link, so an item holds at least one pointer
// and items stay aligned for one.
int item_size_for(int itemsz) {
    constexpr int word = static_cast<int>(sizeof(void *));
    if (itemsz < word)
        return word;
    if (itemsz > INT_MAX - word)
        return INT_MAX / word * word;
    return (itemsz + word - 1) / word * word;
}

[[gnu::no_sanitize_address]] void *word_of(const void *item, int k) { return static_cast<void *const *>(item)[k]; }
void *link_of(const void *item) { return word_of(item, 0); }

constexpr int kDepth = 3;
int depth_of(int itemsz) {
    const int words = itemsz / static_cast<int>(sizeof(void *));
    return words < kDepth ? words : kDepth;
}

} // namespace

Bank::Bank(int item_bytes, PWSRegion *home, int per_block)
    : region(home ? home : PWS::GetMallocRegion()), itemsz(item_size_for(item_bytes)),
      incr(per_block < 1 ? 1 : per_block), blocks(region, 10), eflag(blocks.nostore()), n_alloc(0), n_total(0),
      free_p(nullptr), p(nullptr), n(0), m(0) {
    if (eflag)
        return;
    KT_Status status;
    auto *block =
        static_cast<char *>(region->AllocMem(static_cast<size_t>(itemsz) * static_cast<size_t>(incr), status));
    if (!block || !record_block(block, incr)) {
        eflag = 1;
        return;
    }
    kt::poison(block, static_cast<size_t>(itemsz) * static_cast<size_t>(incr));
    p = block;
    m = n_total = incr;
}

Bank::~Bank() {
    KT_Status status;
    for (int k = 0; k + 1 < blocks.size(); k += 2)
        region->FreeMem(reinterpret_cast<void *>(blocks[k]), status);
}

// Records a block as an (address, item count) pair; a block that cannot be
// recorded is given back at once, or nothing would ever free it.
bool Bank::record_block(char *block, int items) {
    const intptr_t pair[2] = {reinterpret_cast<intptr_t>(block), items};
    if (blocks.enter(pair, 2) >= 0)
        return true;
    KT_Status status;
    region->FreeMem(block, status);
    return false;
}

void *Bank::get_from_new_block() {
    if (n_total > INT_MAX - incr) {
        eflag = 1;
        return nullptr;
    }
    KT_Status status;
    auto *block =
        static_cast<char *>(region->AllocMem(static_cast<size_t>(itemsz) * static_cast<size_t>(incr), status));
    if (!block || !record_block(block, incr)) {
        eflag = 1;
        return nullptr;
    }
    kt::poison(block, static_cast<size_t>(itemsz) * static_cast<size_t>(incr));
    p = block;
    n_total += incr;
    m = incr;
    n = 1;
    return block;
}

void *Bank::get() {
    void *item = free_p;
    if (item) {
        free_p = link_of(item);
        if (int depth = depth_of(itemsz); depth > 1)
            kt::prefetch(word_of(item, depth - 1));
    } else if (n < m) {
        item = p + static_cast<size_t>(itemsz) * static_cast<size_t>(n);
        ++n;
    } else {
        item = get_from_new_block();
        if (!item)
            return nullptr;
    }
    kt::unpoison(item, static_cast<size_t>(itemsz));
    ++n_alloc;
    return item;
}

void Bank::free(void *item) {
    if (!item)
        return;
    auto **below = static_cast<void **>(item);
    below[0] = free_p;
    for (int k = 1, depth = depth_of(itemsz); k < depth; ++k)
        below[k] = free_p ? word_of(free_p, k - 1) : nullptr;
    kt::poison(item, static_cast<size_t>(itemsz));
    free_p = item;
    --n_alloc;
}

void Bank::dump() const {
    std::ostream &os = std::cerr;
    os << "The bank at " << static_cast<const void *>(this) << ":\n"
       << "region = " << static_cast<const void *>(region) << '\n'
       << "itemsz = " << itemsz << '\n'
       << "incr   = " << incr << '\n'
       << "eflag  = " << eflag << '\n'
       << "n_alloc= " << n_alloc << '\n'
       << "n_total= " << n_total << '\n'
       << "p      = " << static_cast<const void *>(p) << '\n'
       << "n      = " << n << '\n'
       << "m      = " << m << '\n';
    for (int k = 0; k + 1 < blocks.size(); k += 2)
        os << "block  @ " << reinterpret_cast<const void *>(blocks[k]) << ' ' << blocks[k + 1] << '\n';
    os << "free_p = ";
    for (void *item = free_p; item; item = link_of(item))
        os << "         " << item << '\n';
    os << "         " << static_cast<const void *>(nullptr) << '\n' << '\n';
}
