// Hash: the chained table shared by all key classes, its iterator and its
// diagnostics.
//
// A rehash first grows the bucket array in place; only when that succeeded
// are the chains spliced into one list (bucket 0 first, each chain from its
// head), the buckets cleared and the entries linked again in that order. A
// refused growth therefore leaves the table as it was, and the rehash needs
// no storage beyond the buckets themselves.
#include <climits>
#include <iostream>

#include "kt/containers_hash.h"
#include "kt/host.h"

namespace {

constexpr int kFirstThreshold = 16, kEntriesPerBlock = 100;

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

Hash::~Hash() { delete bank; }

int Hash::allocated() const { return bank ? bank->allocated() : 0; }

Hash_entry *Hash::find_or_take(const Hash_entry *probe, int &b, void *&item) {
    b = hash_fcn(probe);
    if (Hash_entry *old = scan_bucket(bucket(b), probe))
        return old;
    item = bank->get();
    if (!item)
        eflag = 1;
    else
        std::memset(item, 0, static_cast<size_t>(bank->item_size()));
    return nullptr;
}

Hash_entry *Hash::scan_bucket(Hash_entry *head, const Hash_entry *probe) const {
    for (Hash_entry *e = head; e; e = e->next)
        if (compare(e, probe) == 0)
            return e;
    return nullptr;
}

Hash_entry *Hash::base_find(const Hash_entry *probe) const {
    if (!usable() || !probe)
        return nullptr;
    return scan_bucket(bucket(hash_fcn(probe)), probe);
}

Hash_entry *Hash::base_enter(Hash_entry *e, int &created) {
    created = 0;
    if (!usable() || !e)
        return nullptr;
    int b = hash_fcn(e);
    if (Hash_entry *old = scan_bucket(bucket(b), e))
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
}

void Hash::base_free(Hash_entry *e) {
    if (!usable() || !e)
        return;
    for (Hash_entry **at = &bucket(hash_fcn(e)); *at; at = &(*at)->next) {
        if (*at == e) {
            *at = e->next;
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
