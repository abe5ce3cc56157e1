/** @file
 * Symbol tables: chained hash tables of one-word keys and one-word records
 * on the process heap.
 *
 * A key is a `const char *` (a string, or any pointer or integer cast to
 * it); a record is a `void *`. The table owns its entries, never the keys
 * or records. Invariants: bin_count >= 1; entry_count is the number of
 * entries in all chains; a bin is the head of a null-terminated chain;
 * bin_count stays odd after growth. Entries are never moved in memory, so
 * a record slot handed out by st_find / st_find_or_add stays valid until
 * its entry is deleted.
 *
 * The hash function maps (key, modulus) to a bin in 0..modulus-1; the
 * compare function gives 0 for equal keys, and for a key and itself. st_numhash, st_ptrhash,
 * st_strhash and st_numcmp (== st_ptrcmp) are recognised and computed
 * inline. A table hashed by st_strhash (or the library's case-insensitive
 * string hash) chooses a key's bin from that hash mixed, not from the
 * function's answer: the bin of a key, and so the order of a walk
 * (st_foreach, st_gen), is no part of the interface; no caller may rely on
 * iteration order.
 *
 * Large string-hashed tables also keep a private lookup index: a second
 * set of chains through the same entries, with about one entry per bucket,
 * so that a lookup without move-to-front reads one or two entries whatever
 * the density limit. bins, bin_count and the growth points stay as above;
 * the index needs memory of its own only as an aid, and a table that cannot
 * get it works on without.
 *
 * Out of memory: error 2012 is reported through the host. st_copy,
 * st_init_table* and st_init_gen then give null; the adding functions give
 * ST_OUT_OF_MEMORY and leave the table as it was. A table that cannot grow
 * keeps working with longer chains.
 *
 * Not reentrant: callers serialise access to a table. */
#ifndef KT_ST_H
#define KT_ST_H

#include "kt/abi.h"

KT_BEGIN_C

/** Key comparison: 0 for equal keys, non-zero otherwise. */
typedef int (*st_compare_func)(const char *a, const char *b);
/** Key hash: a bin in 0..modulus-1. */
typedef int (*st_hash_func)(const char *key, int modulus);

/** One entry of a bin's chain. */
typedef struct st_table_entry st_table_entry;
/** One entry of a bin's chain. */
struct st_table_entry {
    const char *key;            /**< the key, as given */
    void *record;               /**< the record, as given */
    st_table_entry *next;       /**< next entry of the chain, or null */
    unsigned cached_hash;       /**< tables hashed by st_strhash: the key's hash before
                                   reduction to a bin, so chains and growth need not
                                   read the key; otherwise 0 */
    st_table_entry *index_next; /**< private: next entry of the same lookup-index
                                   bucket (tables with a lookup index) */
};

/** A table: its bins and how it hashes, compares and grows. */
typedef struct st_table {
    st_table_entry **bins;   /**< bin_count chain heads */
    double growth;           /**< factor applied to bin_count when the table grows */
    st_compare_func compare; /**< key comparison */
    st_hash_func hash;       /**< key hash */
    int bin_count;           /**< number of bins, >= 1 */
    int entry_count;         /**< entries in all chains */
    int density_limit;       /**< grow when entry_count / bin_count reaches it */
    int move_to_front;       /**< nonzero: a hit moves its entry to the head of its bin */
    st_table_entry **index;  /**< private: buckets of the lookup index, or null */
    int index_bits;          /**< private: the index has 2^index_bits buckets */
} st_table;

/** Position of a walk over a table. */
typedef struct st_generator {
    st_table *table;       /**< the table walked */
    st_table_entry *entry; /**< next entry to hand out, null: search from index */
    int index;             /**< next bin to search */
} st_generator;

/** Answers of an st_foreach callback; any other value offers the same entry again. */
enum st_retval {
    ST_CONTINUE = 0, /**< go on with the next entry */
    ST_STOP = 1,     /**< end the walk */
    ST_DELETE = 2    /**< delete this entry and go on */
};

/** Result of the adding functions when no entry could be allocated. */
enum { ST_OUT_OF_MEMORY = -1 };

/** st_foreach callback: an st_retval for the entry (key, record). */
typedef int (*st_foreach_func)(const char *key, void *record, void *arg);

/* Built-in hash and compare functions. Hashes of strings: h = h * 997 + c
 * over the bytes as signed chars, wrapping in 32 bits; then |h| mod modulus. */

/** The string hash above of a zero-terminated key. */
KT_API int st_strhash(const char *key, int modulus);
/** The key as an integer: |key| mod modulus. */
KT_API int st_numhash(const char *key, int modulus);
/** The key as an address: (key >> 2) mod modulus. */
KT_API int st_ptrhash(const char *key, int modulus);
/** The keys as integers or addresses: 0 equal, 1 not. */
KT_API int st_numcmp(const char *a, const char *b);
/** The same function as st_numcmp. */
KT_API int st_ptrcmp(const char *a, const char *b);

/** A new empty table with max(size, 1) bins; a density limit below 1
 * counts as 1. Null when out of memory. */
KT_API st_table *st_init_table_with_params(st_compare_func compare, st_hash_func hash, int size, int density_limit,
                                           double growth, int move_to_front);
/** A new empty table of 11 bins, density limit 5, growth 2.0, no
 * move-to-front; null when out of memory. */
KT_API st_table *st_init_table(st_compare_func compare, st_hash_func hash);
/** Frees the table and its entries, not the keys or records (null: nothing). */
KT_API void st_free_table(st_table *table);
/** A table with the same parameters and entries (keys and records shared);
 * null when out of memory, nothing left allocated. */
KT_API st_table *st_copy(st_table *table);

/** 1 and the record (when record is not null) if key is present, else 0. */
KT_API int st_lookup(st_table *table, const char *key, void **record);
/** 1 and the address of the entry's record if present, else 0. */
KT_API int st_find(st_table *table, const char *key, void ***slot);
/** 1: key present, record replaced; 0: new entry added. */
KT_API int st_insert(st_table *table, const char *key, void *record);
/** Adds an entry without looking for the key; 1. */
KT_API int st_add_direct(st_table *table, const char *key, void *record);
/** 1 when present; else adds an entry with record 0 and gives 0. Both give
 * the record slot (null only when out of memory). */
KT_API int st_find_or_add(st_table *table, const char *key, void ***slot);
/** 1 when found: the entry is removed, *key receives the stored key and
 * *record (when not null) the record; else 0. */
KT_API int st_delete(st_table *table, const char **key, void **record);
/** 1 when every entry was visited, 0 when the callback stopped the walk. */
KT_API int st_foreach(st_table *table, st_foreach_func callback, void *arg);

/* Generators walk bin by bin, each chain from its head; they must not
 * outlive a change to the table. */

/** A generator at the table's first entry; null when out of memory. */
KT_API st_generator *st_init_gen(st_table *table);
/** 1 and the next key (and record, when not null), or 0 at the end. */
KT_API int st_gen(st_generator *gen, const char **key, void **record);
/** Frees the generator. */
KT_API void st_free_gen(st_generator *gen);

KT_END_C

#endif
