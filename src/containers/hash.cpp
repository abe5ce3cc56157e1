// Hash: the chained table shared by all key classes, its iterator and its
// diagnostics.
//
// A rehash first grows the bucket array in place; only when that succeeded
// are the chains spliced into one list (bucket 0 first, each chain from its
// head), the buckets cleared and the entries linked again in that order. A
// refused growth therefore leaves the table as it was, and the rehash needs
// no storage beyond the buckets themselves.
//
// String tables of kIndexFrom entries and more look keys up in an index of
// their own (hash_index.h) and keep the chains for everything else. The
// index is only a shortcut: when the region refuses it, the table goes on
// without one and tries again when its size next reaches a power of two.
#include <climits>
#include <iostream>

#include "hash_index.h"
#include "kt/containers_hash.h"
#include "kt/host.h"

namespace {

constexpr int kFirstThreshold = 16, kEntriesPerBlock = 100;
constexpr int kIndexFrom = 16384, kMaxIndexBits = 30, kSlotsPerEntry = 4;

} // namespace

void *Hash_entry::operator new(size_t size, Bank *bank) noexcept {
    (void)size;
    return bank ? bank->get() : nullptr;
}

void Hash_entry::operator delete(void *p, Bank *bank) {
    if (bank)
        bank->free(p);
}

int Hash::nbuckets(int n) {
    int b = n / 4;
    while (b < INT_MAX && !c_isprim(b, 0))
        ++b;
    return b;
}

Hash::Hash(unsigned entry_size, PWSRegion *home)
    : region(home ? home : PWS::GetMallocRegion()), buckets(sizeof(Hash_entry *), region, nbuckets(4 * 4)),
      bank(nullptr), threshold(kFirstThreshold), eflag(buckets.nostore()) {
    entry_size = at_least<Hash_entry>(entry_size);
    int item = entry_size > INT_MAX ? INT_MAX : static_cast<int>(entry_size);
    bank = new (region) Bank(item, region, kEntriesPerBlock);
    if (!eflag && !bank)
        eflag = 1;
    if (!eflag)
        eflag = bank->nostore();
    if (eflag)
        return; // no buckets: every operation fails cleanly
    buckets.size(buckets.max_size());
    for (int b = 0; b < buckets.size(); ++b)
        bucket(b) = nullptr;
}

Hash::~Hash() {
    Hash_index::release(index);
    delete bank;
}

int Hash::allocated() const { return bank ? bank->allocated() : 0; }

Hash_entry *Hash::find_or_take(const Hash_entry *probe, int &b, void *&item) {
    b = hash_fcn(probe);
    if (Hash_entry *old = lookup(probe, b))
        return old;
    item = take_item();
    return nullptr;
}

void *Hash::take_item() {
    void *item = bank->get();
    if (!item)
        eflag = 1;
    else
        std::memset(item, 0, static_cast<size_t>(bank->item_size()));
    return item;
}

Hash_entry *Hash::scan_bucket(Hash_entry *head, const Hash_entry *probe) const {
    for (Hash_entry *e = head; e; e = e->next)
        if (compare(e, probe) == 0)
            return e;
    return nullptr;
}

Hash_entry *Hash::lookup(const Hash_entry *probe, int b) const {
    if (index)
        return index->find(index_tag(probe), [this, probe](const Hash_entry *e) { return compare(e, probe) == 0; });
    return scan_bucket(bucket(b), probe);
}

Hash_entry *Hash::base_find(const Hash_entry *probe) const {
    if (!usable() || !probe)
        return nullptr;
    if (index)
        return lookup(probe, 0);
    return scan_bucket(bucket(hash_fcn(probe)), probe);
}

Hash_entry *Hash::base_enter(Hash_entry *e, int &created) {
    created = 0;
    if (!usable() || !e)
        return nullptr;
    int b = hash_fcn(e);
    if (Hash_entry *old = lookup(e, b))
        return old;
    created = 1;
    link(e, b);
    return e;
}

void Hash::link(Hash_entry *e, int b) {
    if (bank->allocated() > threshold) {
        rehash();
        b = hash_fcn(e);
    }
    e->next = bucket(b);
    bucket(b) = e;
    if (keeps_index && (index || bank->allocated() >= kIndexFrom))
        index_add(e);
}

uint32_t Hash::index_tag(const Hash_entry *e) {
    const auto *s = static_cast<const Hash_entry_cString *>(e);
    uint32_t h = s->known_hash();
    return h ? h : Hash_Key_cString::bucket_hash(s->key());
}

void Hash::index_add(Hash_entry *e) {
    auto *s = static_cast<Hash_entry_cString *>(e);
    const uint32_t tag = index_tag(e);
    s->set_known_hash(tag);
    if (index && index->has_room()) {
        index->insert(tag, e);
        return;
    }
    if (index) {
        Hash_index *bigger = index->bits() < kMaxIndexBits ? Hash_index::make(region, index->bits() + 1) : nullptr;
        if (bigger) {
            index->move_into(*bigger);
            bigger->insert(tag, e);
        }
        Hash_index::release(index);
        index = bigger;
        return;
    }
    const int n = allocated();
    if (n >= kIndexFrom && (n & (n - 1)) == 0)
        build_index(); // e is linked: it comes with the rest
}

void Hash::build_index() {
    int linked = 0;
    for (int k = 0; k < buckets.size(); ++k)
        for (const Hash_entry *e = bucket(k); e; e = e->next)
            ++linked;
    int bits = 1;
    while (bits < kMaxIndexBits && (int64_t{1} << bits) < int64_t{kSlotsPerEntry} * linked)
        ++bits;
    index = Hash_index::make(region, bits);
    if (!index)
        return;
    for (int k = 0; k < buckets.size(); ++k)
        for (Hash_entry *e = bucket(k); e; e = e->next)
            index->insert(index_tag(e), e);
}

void Hash::base_free(Hash_entry *e) {
    if (!usable() || !e)
        return;
    for (Hash_entry **at = &bucket(hash_fcn(e)); *at; at = &(*at)->next) {
        if (*at == e) {
            *at = e->next;
            if (index)
                index->remove(index_tag(e), e);
            return;
        }
    }
}

void Hash::rehash() {
    int old_count = buckets.size();
    threshold = threshold > INT_MAX / 4 ? INT_MAX : 4 * threshold;
    int b = nbuckets(threshold);
    if (b <= old_count)
        return;
    if (buckets.max_size(b) < 0) {
        eflag = 1; // the old buckets stay in use
        return;
    }
    Hash_entry *all = nullptr, **tail = &all;
    for (int k = 0; k < old_count; ++k) {
        *tail = bucket(k);
        while (*tail)
            tail = &(*tail)->next;
    }
    buckets.size(b);
    for (int k = 0; k < b; ++k)
        bucket(k) = nullptr;
    for (Hash_entry *e = all; e;) {
        Hash_entry *next = e->next;
        Hash_entry *&head = bucket(hash_fcn(e));
        e->next = head;
        head = e;
        e = next;
    }
}

Hash_entry *Hash_Iterator::operator()() {
    if (!hash_ || (bucket_ >= 0 && !cur_))
        return nullptr;
    if (cur_)
        cur_ = cur_->next;
    while (!cur_) {
        if (++bucket_ >= hash_->buckets.size())
            break;
        cur_ = hash_->bucket(bucket_);
    }
    return cur_;
}

void Hash::dump() const {
    Hash_Iterator it(this);
    while (Hash_entry *e = it()) {
        debug_key(e);
        std::cout << '\n';
    }
}

void Hash::debug() const {
    for (int b = 0; b < buckets.size(); ++b) {
        if (!bucket(b))
            continue;
        std::cout << "Bucket " << b << ":\n";
        for (Hash_entry *e = bucket(b); e; e = e->next) {
            std::cout << "  entry @ " << static_cast<const void *>(e) << ": ";
            debug_key(e);
            std::cout << '\n';
        }
    }
}

void Hash::stats() const {
    int entries = allocated(), smallest = entries, largest = 0;
    auto chain_length = [this](int b) {
        int n = 0;
        for (const Hash_entry *e = bucket(b); e; e = e->next)
            ++n;
        return n;
    };
    for (int b = 0; b < buckets.size(); ++b) {
        int n = chain_length(b);
        smallest = n < smallest ? n : smallest;
        largest = n > largest ? n : largest;
    }
    std::cout << "No. of entries = " << entries << '\n'
              << "No. of buckets = " << buckets.size() << '\n'
              << "No. of entries in the smallest bucket = " << smallest << '\n'
              << "No. of entries in the largest bucket  = " << largest << '\n';
    if (smallest > largest)
        return;
    Arr_int histogram(PWS::GetMallocRegion(), 10);
    if (histogram.size(largest - smallest + 1) < 0)
        return; // no room for the histogram: the summary has to do
    for (int k = 0; k < histogram.size(); ++k)
        histogram[k] = 0;
    for (int b = 0; b < buckets.size(); ++b)
        ++histogram[chain_length(b) - smallest];
    for (int k = 0; k < histogram.size(); ++k)
        std::cout << "No. of buckets with " << smallest + k << " entries: " << histogram[k] << '\n';
}
