/* Symbol tables: chained hash tables of one-word keys and one-word records
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
 * inline.
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

typedef int (*st_compare_func)(const char *a, const char *b);
typedef int (*st_hash_func)(const char *key, int modulus);

typedef struct st_table_entry st_table_entry;
struct st_table_entry {
    const char *key;
    void *record;
    st_table_entry *next;
    unsigned cached_hash;   /* tables hashed by st_strhash: the key's hash before
                               reduction to a bin, so chains and growth need not
                               read the key; otherwise 0 */
};

typedef struct st_table {
    st_table_entry **bins;
    double growth;          /* factor applied to bin_count when the table grows */
    st_compare_func compare;
    st_hash_func hash;
    int bin_count;
    int entry_count;
    int density_limit;      /* grow when entry_count / bin_count reaches it */
    int move_to_front;      /* nonzero: a hit moves its entry to the head of its bin */
} st_table;

typedef struct st_generator {
    st_table *table;
    st_table_entry *entry;  /* next entry to hand out, null: search from index */
    int index;              /* next bin to search */
} st_generator;

/* Answers of an st_foreach callback; any other value offers the same entry again. */
enum st_retval { ST_CONTINUE = 0, ST_STOP = 1, ST_DELETE = 2 };

/* Result of the adding functions when no entry could be allocated. */
enum { ST_OUT_OF_MEMORY = -1 };

typedef int (*st_foreach_func)(const char *key, void *record, void *arg);

/* Built-in hash and compare functions. Hashes of strings: h = h * 997 + c
 * over the bytes as signed chars, wrapping in 32 bits; then |h| mod modulus. */
KT_API int st_strhash(const char *key, int modulus);
KT_API int st_numhash(const char *key, int modulus); /* |key| mod modulus */
KT_API int st_ptrhash(const char *key, int modulus); /* (key >> 2) mod modulus */
KT_API int st_numcmp(const char *a, const char *b);  /* 0 equal, 1 not */
KT_API int st_ptrcmp(const char *a, const char *b);  /* the same function */

/* max(size, 1) bins; a density limit below 1 counts as 1. */
KT_API st_table *st_init_table_with_params(st_compare_func compare, st_hash_func hash, int size,
                                           int density_limit, double growth, int move_to_front);
/* 11 bins, density limit 5, growth 2.0, no move-to-front. */
KT_API st_table *st_init_table(st_compare_func compare, st_hash_func hash);
KT_API void st_free_table(st_table *table);
KT_API st_table *st_copy(st_table *table);

/* 1 and the record (when record is not null) if key is present, else 0. */
KT_API int st_lookup(st_table *table, const char *key, void **record);
/* 1 and the address of the entry's record if present, else 0. */
KT_API int st_find(st_table *table, const char *key, void ***slot);
/* 1: key present, record replaced; 0: new entry added. */
KT_API int st_insert(st_table *table, const char *key, void *record);
/* Adds an entry without looking for the key; 1. */
KT_API int st_add_direct(st_table *table, const char *key, void *record);
/* 1 when present; else adds an entry with record 0 and gives 0. Both give
 * the record slot (null only when out of memory). */
KT_API int st_find_or_add(st_table *table, const char *key, void ***slot);
/* 1 when found: the entry is removed, *key receives the stored key and
 * *record (when not null) the record; else 0. */
KT_API int st_delete(st_table *table, const char **key, void **record);
/* 1 when every entry was visited, 0 when the callback stopped the walk. */
KT_API int st_foreach(st_table *table, st_foreach_func callback, void *arg);

/* Generators walk bin by bin, each chain from its head; they must not
 * outlive a change to the table. */
KT_API st_generator *st_init_gen(st_table *table);
/* 1 and the next key (and record, when not null), or 0 at the end. */
KT_API int st_gen(st_generator *gen, const char **key, void **record);
KT_API void st_free_gen(st_generator *gen);

KT_END_C

#endif
