// Symbol tables: chained hash tables on the process heap (see kt/st.h).
//
// The built-in hash and compare functions are recognised by identity, and
// the chain walk is instantiated once per comparison so that tables keyed
// by numbers or pointers make no indirect call per entry. Tables hashed by
// a string hash keep each key's hash magnitude in its entry: a chain walk
// compares keys only where the magnitudes agree, and growth never reads a
// key again. Their bin is chosen from the magnitude mixed (string_bin), so
// it is not the string hash's own answer for the bin count. Large tables of
// that kind find their entries through a lookup index (st_index.cpp), with
// chains of about one entry, whatever the bins' density.
#include <climits>

#include "common/bucket_hash.h"
#include "common/prefetch.h"
#include "heap.h"
#include "kt/st.h"
#include "low_strhash.h"
#include "st_index.h"
#include "st_inline.h"

using namespace kt::packages;

namespace {

constexpr int kDefaultBins = 11, kDefaultDensity = 5;
// Walks over all bins ask for the chain heads this many bins ahead, so that
// the misses on scattered entries overlap instead of coming one by one.
constexpr int kPrefetchBins = 8;

void prefetch_head(st_table_entry *const *bins, int i, int count) {
    if (i + kPrefetchBins < count)
        kt::prefetch(bins[i + kPrefetchBins]);
}
constexpr double kDefaultGrowth = 2.0;

bool compares_identity(st_compare_func compare) { return compare == st_numcmp || compare == st_ptrcmp; }

// Tables hashed by a string hash keep each key's magnitude in its entry.
bool caches_hash(st_hash_func hash) { return hash == st_strhash || hash == low_strhash; }

// Such tables choose a key's bin from its magnitude mixed, not from the
// magnitude modulo the bin count: keys that differ only in their last
// characters would otherwise fill runs of neighbouring bins unevenly.
int string_bin(uint32_t magnitude, int bins) { return kt::bucket::scale(kt::bucket::mix(magnitude), bins); }

// Where a key goes: its bin, and the magnitude the bin was taken from when
// the table keeps it.
struct Place {
    int bin;
    uint32_t magnitude;
};

Place place_of(const st_table *t, const char *key) {
    const st_hash_func hash = t->hash;
    if (hash == st_ptrhash)
        return {ptr_bin(key, t->bin_count), 0};
    if (hash == st_numhash)
        return {num_bin(key, t->bin_count), 0};
    if (hash == st_strhash || hash == low_strhash) {
        uint32_t m = hash == st_strhash ? str_magnitude(key) : low_str_magnitude(key);
        return {string_bin(m, t->bin_count), m};
    }
    int b = hash(key, t->bin_count);
    // A caller's hash that answers out of range must not index past the bins.
    if (static_cast<unsigned>(b) >= static_cast<unsigned>(t->bin_count))
        b = static_cast<int>(static_cast<unsigned>(b) % static_cast<unsigned>(t->bin_count));
    return {b, 0};
}

// The link (bin head or an entry's next field) that holds the entry
// matching the probe, or the null link at the end of the chain.
template <typename Matches> st_table_entry **chain_link(st_table_entry **link, Matches matches) {
    while (*link && !matches(*link))
        link = &(*link)->next;
    return link;
}

// The probe key is the compare function's first argument. A key is equal
// to itself, so the same pointer needs no call.
st_table_entry **find_link(st_table *t, const char *key, const Place &at) {
    st_table_entry **head = &t->bins[at.bin];
    if (compares_identity(t->compare))
        return chain_link(head, [key](const st_table_entry *e) { return e->key == key; });
    const st_compare_func compare = t->compare;
    if (caches_hash(t->hash)) {
        const uint32_t m = at.magnitude;
        return chain_link(head, [=](const st_table_entry *e) {
            return e->cached_hash == m && (e->key == key || compare(key, e->key) == 0);
        });
    }
    return chain_link(head, [=](const st_table_entry *e) { return e->key == key || compare(key, e->key) == 0; });
}

// The entry of `key`, moved to the head of its bin when the table asks for it.
st_table_entry *find_entry(st_table *t, const char *key, const Place &at) {
    if (t->index && !t->move_to_front && caches_hash(t->hash)) {
        const st_compare_func compare = t->compare;
        return index_find(t, at.magnitude,
                          [=](const st_table_entry *e) { return e->key == key || compare(key, e->key) == 0; });
    }
    st_table_entry **link = find_link(t, key, at);
    st_table_entry *e = *link;
    st_table_entry **head = &t->bins[at.bin];
    if (e && t->move_to_front && link != head) {
        *link = e->next;
        e->next = *head;
        *head = e;
    }
    return e;
}

// Bin count after growth: the product truncated, made odd; never below 1.
int grown_bin_count(int bins, double growth) {
    double want = bins * growth;
    if (!(want >= 1.0))
        return 1;
    int n = want >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(want);
    return n % 2 == 0 ? n + 1 : n;
}

// Moves every entry to a larger bin array. Entries are relinked, never
// copied. A table that cannot get the array keeps its bins.
void grow(st_table *t) {
    int n = grown_bin_count(t->bin_count, t->growth);
    if (n <= t->bin_count)
        return;
    auto **bins = static_cast<st_table_entry **>(allocate_cleared(static_cast<size_t>(n), sizeof(st_table_entry *)));
    if (!bins) {
        report_no_memory();
        return;
    }
    st_table_entry **old = t->bins;
    int old_count = t->bin_count;
    t->bins = bins;
    t->bin_count = n;
    t->entry_count = 0;
    const bool cached = caches_hash(t->hash);
    for (int i = 0; i < old_count; ++i) {
        prefetch_head(old, i, old_count);
        for (st_table_entry *e = old[i], *next = nullptr; e; e = next) {
            next = e->next;
            int b = cached ? string_bin(e->cached_hash, n) : place_of(t, e->key).bin;
            e->next = bins[b];
            bins[b] = e;
            ++t->entry_count;
        }
    }
    release(old);
}

// Adds a new entry at the head of its bin, growing first when the chains
// are long enough on average. Null when no entry could be allocated.
st_table_entry *add_entry(st_table *t, const char *key, void *record, Place at) {
    if (t->entry_count / t->bin_count >= t->density_limit) {
        int before = t->bin_count;
        grow(t);
        if (t->bin_count != before)
            at.bin = caches_hash(t->hash) ? string_bin(at.magnitude, t->bin_count) : place_of(t, key).bin;
    }
    auto *e = allocate_one<st_table_entry>();
    if (!e) {
        report_no_memory();
        return nullptr;
    }
    *e = {key, record, t->bins[at.bin], at.magnitude, nullptr};
    t->bins[at.bin] = e;
    ++t->entry_count;
    if (caches_hash(t->hash))
        index_add(t, e);
    return e;
}

void free_chains(st_table_entry **bins, int count) {
    for (int i = 0; i < count; ++i) {
        prefetch_head(bins, i, count);
        for (st_table_entry *e = bins[i], *next = nullptr; e; e = next) {
            next = e->next;
            release(e);
        }
    }
}

// A table with `bins` cleared bins and the other fields from the arguments; null when out of memory.
st_table *new_table(st_compare_func compare, st_hash_func hash, int bins, int density, double growth,
                    int move_to_front) {
    auto *t = allocate_one<st_table>();
    auto **array =
        t ? static_cast<st_table_entry **>(allocate_cleared(static_cast<size_t>(bins), sizeof(st_table_entry *)))
          : nullptr;
    if (!array) {
        release(t);
        report_no_memory();
        return nullptr;
    }
    *t = st_table{array, growth, compare, hash, bins, 0, density, move_to_front, nullptr, 0};
    return t;
}

} // namespace

extern "C" {

st_table *st_init_table_with_params(st_compare_func compare, st_hash_func hash, int size, int density_limit,
                                    double growth, int move_to_front) {
    // A limit below 1 would grow the table on every addition, without end.
    return new_table(compare, hash, size < 1 ? 1 : size, density_limit < 1 ? 1 : density_limit, growth, move_to_front);
}

st_table *st_init_table(st_compare_func compare, st_hash_func hash) {
    return new_table(compare, hash, kDefaultBins, kDefaultDensity, kDefaultGrowth, 0);
}

void st_free_table(st_table *table) {
    if (!table)
        return;
    free_chains(table->bins, table->bin_count);
    release(table->bins);
    release(table->index);
    release(table);
}

st_table *st_copy(st_table *table) {
    st_table *copy = new_table(table->compare, table->hash, table->bin_count, table->density_limit, table->growth,
                               table->move_to_front);
    if (!copy)
        return nullptr;
    for (int i = 0; i < table->bin_count; ++i) {
        for (st_table_entry *e = table->bins[i]; e; e = e->next) {
            auto *c = allocate_one<st_table_entry>();
            if (!c) {
                report_no_memory();
                st_free_table(copy);
                return nullptr;
            }
            *c = {e->key, e->record, copy->bins[i], e->cached_hash, nullptr};
            copy->bins[i] = c;
        }
    }
    copy->entry_count = table->entry_count;
    if (caches_hash(copy->hash))
        index_build(copy);
    return copy;
}

int st_lookup(st_table *table, const char *key, void **record) {
    st_table_entry *e = find_entry(table, key, place_of(table, key));
    if (!e)
        return 0;
    if (record)
        *record = e->record;
    return 1;
}

int st_find(st_table *table, const char *key, void ***slot) {
    st_table_entry *e = find_entry(table, key, place_of(table, key));
    if (!e)
        return 0;
    if (slot)
        *slot = &e->record;
    return 1;
}

int st_insert(st_table *table, const char *key, void *record) {
    Place at = place_of(table, key);
    if (st_table_entry *e = find_entry(table, key, at)) {
        e->record = record;
        return 1;
    }
    return add_entry(table, key, record, at) ? 0 : ST_OUT_OF_MEMORY;
}

int st_add_direct(st_table *table, const char *key, void *record) {
    return add_entry(table, key, record, place_of(table, key)) ? 1 : ST_OUT_OF_MEMORY;
}

int st_find_or_add(st_table *table, const char *key, void ***slot) {
    Place at = place_of(table, key);
    st_table_entry *e = find_entry(table, key, at);
    int found = e != nullptr;
    if (!e)
        e = add_entry(table, key, nullptr, at);
    if (slot)
        *slot = e ? &e->record : nullptr;
    return e ? found : ST_OUT_OF_MEMORY;
}

int st_delete(st_table *table, const char **key, void **record) {
    st_table_entry **link = find_link(table, *key, place_of(table, *key));
    st_table_entry *e = *link;
    if (!e)
        return 0;
    index_remove(table, e);
    *link = e->next;
    --table->entry_count;
    *key = e->key;
    if (record)
        *record = e->record;
    release(e);
    return 1;
}

int st_foreach(st_table *table, st_foreach_func callback, void *arg) {
    for (int i = 0; i < table->bin_count; ++i) {
        st_table_entry **link = &table->bins[i];
        while (st_table_entry *e = *link) {
            switch (callback(e->key, e->record, arg)) {
            case ST_CONTINUE:
                link = &e->next;
                break;
            case ST_STOP:
                return 0;
            case ST_DELETE:
                index_remove(table, e);
                *link = e->next;
                --table->entry_count;
                release(e);
                break;
            default: // offered again
                break;
            }
        }
    }
    return 1;
}

st_generator *st_init_gen(st_table *table) {
    auto *gen = allocate_one<st_generator>();
    if (!gen) {
        report_no_memory();
        return nullptr;
    }
    *gen = {table, nullptr, 0};
    return gen;
}

int st_gen(st_generator *gen, const char **key, void **record) {
    if (!gen->entry) {
        const st_table *t = gen->table;
        int i = gen->index;
        while (i < t->bin_count && !t->bins[i])
            ++i;
        if (i >= t->bin_count) {
            gen->index = i;
            return 0;
        }
        gen->entry = t->bins[i];
        gen->index = i + 1;
    }
    st_table_entry *e = gen->entry;
    *key = e->key;
    if (record)
        *record = e->record;
    gen->entry = e->next;
    return 1;
}

void st_free_gen(st_generator *gen) { release(gen); }

} // extern "C"
