/// @file
/// Chained hash tables in a region, and the string table.
///
/// A Hash keeps its buckets (an Arr of chain heads), the Bank that supplies
/// its entries and, for string keys, its private key copies in one region.
/// Invariants:
///   - the bucket count is the smallest prime >= threshold / 4 (5 for the
///     starting threshold 16); an insertion that finds more than `threshold`
///     entries taken from the bank rehashes first, quadrupling `threshold`;
///   - entries are never moved: entry pointers (and string-table ids) stay
///     valid across rehashes;
///   - string tables of a few hundred entries and more also keep a lookup
///     index beside the chains; a refused index only makes lookups slower,
///     so it never sets nostore();
///   - a table whose construction failed has no buckets and nostore() set;
///     every operation on it fails cleanly (null, -1, nothing listed);
///   - string keys choose their bucket from a mixed hash of their bytes,
///     so the order of a walk (Hash_Iterator, dump, debug) over a string
///     table is no part of the interface: no caller may rely on it.
/// The key classes create entries themselves and ask the base to link them.
#ifndef KT_CONTAINERS_HASH_H
#define KT_CONTAINERS_HASH_H

#include <cstddef>
#include <cstdint>

#include "kt/containers.h"

class Hash_index;

/// Every entry begins with the link to the next entry of its bucket's chain,
/// followed by one key word. Entries live in the table's Bank.
class KT_API Hash_entry {
public:
    Hash_entry *next = nullptr; ///< next entry of the chain, or null

    /// Entry memory comes from a bank and goes back to it; a null result
    /// (bank out of storage, or no bank) skips the constructor.
    static void *operator new(size_t size, Bank *bank) noexcept;
    /// Gives p back to the bank (no bank: nothing).
    static void operator delete(void *p, Bank *bank);
};

/// The entry keeps the bucket hash of its key (Hash_Key_cString::bucket_hash)
/// once the table has computed it (0: not known), so that chains and
/// rehashes need not read the keys of the entries they pass over.
class KT_API Hash_entry_cString : public Hash_entry {
public:
    /// An entry for key k, hash not yet known.
    explicit Hash_entry_cString(char *k) : key_(k) {}
    /// The key.
    char *key() const { return key_; }
    /// Replaces the key; the hash becomes unknown.
    void set_key(char *k) {
        key_ = k;
        hash_ = 0;
    }
    /// The key's hash, 0 when not known yet.
    uint32_t known_hash() const { return hash_; }
    /// Records the key's hash.
    void set_known_hash(uint32_t h) { hash_ = h; }

private:
    char *key_;
    uint32_t hash_ = 0;
};

/// Entry of a table keyed by one pointer-sized word: an int or a pointer.
class KT_API Hash_entry_word : public Hash_entry {
public:
    /// An entry for key word w.
    explicit Hash_entry_word(intptr_t w) : word_(w) {}
    /// The key word.
    intptr_t word() const { return word_; }

private:
    intptr_t word_;
};

/// Entry keyed by an int.
class KT_API Hash_entry_int : public Hash_entry_word {
public:
    /// An entry for key k.
    explicit Hash_entry_int(int k) : Hash_entry_word(k) {}
    /// The key.
    int key() const { return static_cast<int>(word()); }
};

/// Entry keyed by a pointer.
class KT_API Hash_entry_voidp : public Hash_entry_word {
public:
    /// An entry for key k.
    explicit Hash_entry_voidp(void *k) : Hash_entry_word(reinterpret_cast<intptr_t>(k)) {}
    /// The key.
    void *key() const { return reinterpret_cast<void *>(word()); }
};

/// Entry keyed by a string, with one int value.
class KT_API Hash_entry_cString_int : public Hash_entry_cString {
public:
    /// An entry for key k, value 0.
    explicit Hash_entry_cString_int(char *k) : Hash_entry_cString(k) {}
    int value = 0; ///< the caller's value
};

/// Base of the chained hash tables; the key classes below supply compare,
/// hash_fcn and debug_key.
class KT_API Hash : public Region_placed {
public:
    /// An empty table of entries of entry_size bytes in `region` (null: the
    /// heap region): 5 buckets, threshold 16. An entry size below that of
    /// the key class's own entry type is raised to it (every entry holds at
    /// least a link and a key). When the region refuses, the table has no
    /// buckets and nostore() is set.
    Hash(unsigned entry_size, PWSRegion *region);
    /// Releases the entries' bank (the keys' copies stay with the region).
    virtual ~Hash();
    Hash(const Hash &) = delete;
    Hash &operator=(const Hash &) = delete;

    /// 0 when the two entries' keys are equal, 1 otherwise.
    virtual int compare(const Hash_entry *a, const Hash_entry *b) const = 0;
    /// The entry's bucket, 0 .. bucket_count() - 1.
    virtual int hash_fcn(const Hash_entry *e) const = 0;
    /// Writes the entry's key to ktout.
    virtual void debug_key(const Hash_entry *e) const = 0;

    /// Links `e` unless an equal entry is present: the existing entry with
    /// created = 0, or `e`, now linked, with created = 1. Null (created = 0)
    /// on a table without buckets or for a null entry.
    Hash_entry *base_enter(Hash_entry *e, int &created);
    /// The entry equal to `probe`, or null (also on a table without buckets).
    Hash_entry *base_find(const Hash_entry *probe) const;
    /// Unlinks `e` from its chain (nothing when it is not there); does not release it.
    void base_free(Hash_entry *e);
    /// The first entry of the chain from `head` equal to `probe`, or null.
    Hash_entry *scan_bucket(Hash_entry *head, const Hash_entry *probe) const;

    /// 1 once storage was refused (sticky), else 0.
    int nostore() const { return eflag; }
    /// Number of buckets (0 for a table whose construction failed).
    int bucket_count() const { return buckets.size(); }
    /// Entries taken from the bank (linked, or made and not yet linked).
    int allocated() const;
    /// Entries the table may hold before the next insertion rehashes.
    int rehash_threshold() const { return threshold; }

    /// Every key, one a line, in iteration order (standard output).
    void dump() const;
    /// The chain length statistics (standard output).
    void stats() const;
    /// Every non-empty bucket with the addresses and keys of its entries.
    void debug() const;

protected:
    /// entry_size, raised to the size of the entry type T when smaller.
    template <class T> static unsigned at_least(unsigned entry_size) {
        return entry_size < sizeof(T) ? static_cast<unsigned>(sizeof(T)) : entry_size;
    }
    /// The head of bucket b's chain.
    Hash_entry *&bucket(int b) const { return static_cast<Hash_entry **>(buckets.start())[b]; }
    /// True when the table has buckets and a bank.
    bool usable() const { return bank != nullptr && buckets.size() > 0; }
    /// Links a new entry at the front of bucket b (rehashing first when due).
    void link(Hash_entry *e, int b);
    /// Looks the probe up, its bucket left in b: the equal entry; else
    /// null and, in `item`, a zero-filled item from the bank for a new entry
    /// (null when the bank is out of storage).
    Hash_entry *find_or_take(const Hash_entry *probe, int &b, void *&item);
    /// A zero-filled item from the bank; null (and eflag set) when refused.
    void *take_item();
    /// The entry equal to `probe`, whose bucket is b: from the index when
    /// the table has one, else from the chain.
    Hash_entry *lookup(const Hash_entry *probe, int b) const;

    PWSRegion *region; ///< region of the buckets, bank and key copies
    Arr buckets;       ///< chain heads
    Bank *bank;        ///< supplies the entries; null when refused
    int threshold;     ///< rehash when more entries than this are taken
    int eflag;         ///< sticky no-store flag
    /// Set by key classes whose entries are Hash_entry_cString and whose
    /// equal keys have equal known hashes: the table then keeps a lookup
    /// index once it is large.
    bool keeps_index = false;
    /// Set by string tables whose bank items end in room for a short key's
    /// copy (see Hash_Key_cString).
    bool inline_keys = false;
    Hash_index *index = nullptr; ///< lookup index of a large string table, or null

private:
    friend class Hash_Iterator;
    void rehash();
    /// The known hash of a string entry (computed when not known yet).
    static uint32_t index_tag(const Hash_entry *e);
    /// Puts a freshly linked entry into the index, making or growing it.
    void index_add(Hash_entry *e);
    /// Makes the index from the chains; nothing when refused.
    void build_index();
    /// The smallest prime >= n / 4.
    static int nbuckets(int n);
};

/// Visits every entry: bucket 0 to the last, each chain from its head; null
/// when all are visited, and on every call after that.
class KT_API Hash_Iterator {
public:
    /// Starts before the first entry of `hash`.
    explicit Hash_Iterator(const Hash *hash) : hash_(hash) {}
    /// The next entry, or null.
    Hash_entry *operator()();

private:
    const Hash *hash_;
    int bucket_ = -1;
    Hash_entry *cur_ = nullptr;
};

/// Zero-terminated string keys, compared byte for byte. The table owns a
/// copy of each key, made in its region when the entry is linked: a key of
/// up to 15 bytes is copied into room at the end of its entry's item
/// (entries of up to 4 KB), any other into a block of its own.
class KT_API Hash_Key_cString : public Hash {
public:
    /// An empty table of entries of entry_size bytes (see Hash).
    Hash_Key_cString(unsigned entry_size, PWSRegion *region);
    ~Hash_Key_cString() override;

    int compare(const Hash_entry *a, const Hash_entry *b) const override;
    int hash_fcn(const Hash_entry *e) const override;
    void debug_key(const Hash_entry *e) const override;

    /// The entry for `key`: made and linked (created = 1) or found (created
    /// = 0); null when storage was refused or the key is null.
    Hash_entry_cString *create(const char *key, int &created);
    /// The entry for `key`, or null (also for a null key).
    Hash_entry_cString *find(const char *key) const;
    /// Unlinks the entry, frees its key copy and gives it back to the bank.
    void free(Hash_entry_cString *e);
    /// The entry's key (the table's copy).
    const char *key(const Hash_entry_cString *e) const { return e->key(); }

    /// The string hash: the bytes, sign-extended and shifted left by 0, 8,
    /// 16, 24, 0, ... bits, summed modulo 2^32. Published for callers; the
    /// table itself does not use it (see bucket_hash).
    static uint32_t string_hash(const char *s);
    /// The hash the table chooses a key's bucket from: all the key's bytes,
    /// well mixed, never 0. Many names share one string_hash, so buckets
    /// chosen from it would hold long chains of equal hashes.
    static uint32_t bucket_hash(const char *s);

private:
    /// True when the table's class is one of this library's, whose compare
    /// is byte equality (decided at the first create). Such tables compare
    /// keys inline and keep a lookup index; a class of a caller's that
    /// brings its own compare gets the virtual calls.
    bool byte_equality();
    /// The entry whose key is `key` (bucket hash h, bucket b), or null; for
    /// tables of byte equality only.
    Hash_entry_cString *scan(const char *key, uint32_t h, int b) const;
    /// Where the copy of a short key of the entry in `item` goes.
    char *key_room(void *item) const;
    /// Room for a key copy of `bytes` (terminator included) for the entry
    /// made in `item`: in the item, or a block of the region; null when refused.
    char *copy_key(void *item, size_t bytes);
    /// Gives the entry's key copy back, unless it lives in the entry.
    void free_key(Hash_entry_cString *e);
    signed char equality_ = -1; ///< byte_equality(): -1 not decided yet
};

/// Keys of one pointer-sized word; shared by the int and pointer tables.
/// A key is mapped into the buckets by its remainder, made non-negative.
class KT_API Hash_Key_word : public Hash {
public:
    int compare(const Hash_entry *a, const Hash_entry *b) const override;
    int hash_fcn(const Hash_entry *e) const override;

protected:
    /// An empty table of entries of entry_size bytes (see Hash).
    Hash_Key_word(unsigned entry_size, PWSRegion *home) : Hash(at_least<Hash_entry_word>(entry_size), home) {}
    /// The entry for `key`: made and linked (created = 1) or found (created
    /// = 0); null when storage was refused.
    Hash_entry_word *create_word(intptr_t key, int &created);
    /// The entry for `key`, or null.
    Hash_entry_word *find_word(intptr_t key) const;
    /// Unlinks the entry and gives it back to the bank (null: nothing).
    void free_word(Hash_entry_word *e);
};

/// A table keyed by ints.
class KT_API Hash_Key_int : public Hash_Key_word {
public:
    /// @{
    /// An empty table of entries of entry_size bytes (derived entries) /
    /// of Hash_entry_int, in `home` (null: the heap region).
    Hash_Key_int(unsigned entry_size, PWSRegion *home) : Hash_Key_word(entry_size, home) {}
    explicit Hash_Key_int(PWSRegion *home) : Hash_Key_word(sizeof(Hash_entry_int), home) {}
    /// @}
    void debug_key(const Hash_entry *e) const override;
    /// As create_word.
    Hash_entry_int *create(int key, int &created) { return static_cast<Hash_entry_int *>(create_word(key, created)); }
    /// As find_word.
    Hash_entry_int *find(int key) const { return static_cast<Hash_entry_int *>(find_word(key)); }
    /// As free_word.
    void free(Hash_entry_int *e) { free_word(e); }
};

/// A table keyed by pointers.
class KT_API Hash_Key_voidp : public Hash_Key_word {
public:
    /// @{
    /// An empty table of entries of entry_size bytes (derived entries) /
    /// of Hash_entry_voidp, in `home` (null: the heap region).
    Hash_Key_voidp(unsigned entry_size, PWSRegion *home) : Hash_Key_word(entry_size, home) {}
    explicit Hash_Key_voidp(PWSRegion *home) : Hash_Key_word(sizeof(Hash_entry_voidp), home) {}
    /// @}
    void debug_key(const Hash_entry *e) const override;
    /// As create_word.
    Hash_entry_voidp *create(void *key, int &created) {
        return static_cast<Hash_entry_voidp *>(create_word(reinterpret_cast<intptr_t>(key), created));
    }
    /// As find_word.
    Hash_entry_voidp *find(void *key) const {
        return static_cast<Hash_entry_voidp *>(find_word(reinterpret_cast<intptr_t>(key)));
    }
    /// As free_word.
    void free(Hash_entry_voidp *e) { free_word(e); }
};

/// String keys with one int value per entry (0 in a new entry).
class KT_API Hash_cString_int : public Hash_Key_cString {
public:
    /// An empty table in `home` (null: the heap region).
    explicit Hash_cString_int(PWSRegion *home) : Hash_Key_cString(sizeof(Hash_entry_cString_int), home) {}
    /// As Hash_Key_cString::create.
    Hash_entry_cString_int *create(const char *key, int &created) {
        return static_cast<Hash_entry_cString_int *>(Hash_Key_cString::create(key, created));
    }
    /// As Hash_Key_cString::find.
    Hash_entry_cString_int *find(const char *key) const {
        return static_cast<Hash_entry_cString_int *>(Hash_Key_cString::find(key));
    }
    /// Stores the entry's value.
    void save_value(Hash_entry_cString *e, int v) { static_cast<Hash_entry_cString_int *>(e)->value = v; }
    /// The entry's value.
    int value(const Hash_entry_cString *e) const { return static_cast<const Hash_entry_cString_int *>(e)->value; }
    /// The entry's value, into v.
    void get_value(const Hash_entry_cString *e, int &v) const { v = value(e); }
};

/// Interns strings under dense ids 0, 1, 2, ... in order of first entry;
/// released ids are reused, the most recently released first. Every
/// operation sets the shared `status`: 0 done, 1 not found or invalid id,
/// 2 no storage.
class KT_API StringTable : public Hash_cString_int {
public:
    /// An empty table in `region` (null: the heap region); status 2 when
    /// the region refused its storage.
    explicit StringTable(PWSRegion *region);

    /// The string's id (existing or new), or -1.
    int enter(const char *s);
    /// The string's id, or -1.
    int find(const char *s) const;
    /// Releases the id and its string; an invalid or released id only sets status 1.
    void free(int id);
    /// The string of a live id, or null.
    const char *string_of(int id) const;
    /// Ids handed out so far, released ones included.
    int id_limit() const { return ids.size(); }

    static int status; ///< outcome of the last operation on any string table

private:
    Arr_Hash_entry_p ids;
    Stk_int free_ids;
};

#endif
