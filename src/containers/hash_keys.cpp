// The key classes of Hash: zero-terminated strings (with private key
// copies), and one-word keys shared by the int and pointer tables.
//
// `create` looks the key up before it takes anything from the bank, and
// takes the entry and the key copy before it links anything, so a refused
// request leaves the table exactly as it was.
//
// String keys choose their bucket from a hash of all their bytes, not from
// string_hash: that byte sum gives whole families of names one value (net_12
// and net_21, x1/x23 and x2/x13), which no choice of bucket can separate.
// string_hash keeps its published value for the callers that compute it.
//
// A short key's copy lives at the end of its entry's bank item, so that a
// lookup that reaches the entry finds the bytes on the same cache line and
// a new entry costs one request, not two. Longer keys get a block of their
// own. A key is inline exactly when it points at that room; a key a caller
// set with set_key never does.
//
// The library's own string tables compare keys inline, by known hash
// first, and keep a lookup index when large; a caller's class derived from
// them may bring its own compare, under which equal keys need not have
// equal hashes, and goes through the virtual compare instead.
#include <iostream>
#include <typeinfo>

#include "common/bucket_hash.h"
#include "hash_index.h"
#include "kt/containers_hash.h"

// The value shares the last word with the cached hash: entries stay three words.
static_assert(sizeof(Hash_entry_cString_int) == 3 * sizeof(void *), "string-int entries are three words");

namespace {

const Hash_entry_cString *string_entry(const Hash_entry *e) { return static_cast<const Hash_entry_cString *>(e); }
const char *key_of(const Hash_entry *e) { return string_entry(e)->key(); }
intptr_t word_of(const Hash_entry *e) { return static_cast<const Hash_entry_word *>(e)->word(); }

constexpr unsigned kInlineKey = 16;    // bytes of key room, terminator included
constexpr unsigned kInlineUpTo = 4096; // larger entries get no room: it would not pay

unsigned with_key_room(unsigned entry_size) { return entry_size <= kInlineUpTo ? entry_size + kInlineKey : entry_size; }

} // namespace

// ---- string keys -----------------------------------------------------------

Hash_Key_cString::Hash_Key_cString(unsigned entry_size, PWSRegion *home)
    : Hash(with_key_room(at_least<Hash_entry_cString>(entry_size)), home) {
    inline_keys = at_least<Hash_entry_cString>(entry_size) <= kInlineUpTo;
}

Hash_Key_cString::~Hash_Key_cString() {
    Hash_Iterator it(this);
    while (Hash_entry *e = it())
        free_key(static_cast<Hash_entry_cString *>(e));
}

char *Hash_Key_cString::key_room(void *item) const {
    return static_cast<char *>(item) + bank->item_size() - kInlineKey;
}

char *Hash_Key_cString::copy_key(void *item, size_t bytes) {
    if (inline_keys && bytes <= kInlineKey)
        return key_room(item);
    KT_Status status;
    return static_cast<char *>(region->AllocMem(bytes, status));
}

void Hash_Key_cString::free_key(Hash_entry_cString *e) {
    if (inline_keys && e->key() == key_room(e))
        return;
    KT_Status status;
    region->FreeMem(e->key(), status);
}

uint32_t Hash_Key_cString::string_hash(const char *s) {
    uint32_t h = 0;
    const auto *p = reinterpret_cast<const signed char *>(s);
    // Four bytes a round: shifts 0, 8, 16, 24, then again from 0.
    for (;;) {
        if (!p[0])
            return h;
        h += static_cast<uint32_t>(int32_t{p[0]});
        if (!p[1])
            return h;
        h += static_cast<uint32_t>(int32_t{p[1]}) << 8;
        if (!p[2])
            return h;
        h += static_cast<uint32_t>(int32_t{p[2]}) << 16;
        if (!p[3])
            return h;
        h += static_cast<uint32_t>(int32_t{p[3]}) << 24;
        p += 4;
    }
}

int Hash_Key_cString::compare(const Hash_entry *a, const Hash_entry *b) const {
    // Equal keys have equal hashes: differing known hashes settle it.
    uint32_t ha = string_entry(a)->known_hash(), hb = string_entry(b)->known_hash();
    if (ha != 0 && hb != 0 && ha != hb)
        return 1;
    const char *x = key_of(a), *y = key_of(b);
    // Most entries of a chain differ in the first byte: no call for those.
    if (*x != *y)
        return 1;
    return *x == '\0' || std::strcmp(x + 1, y + 1) == 0 ? 0 : 1;
}

uint32_t Hash_Key_cString::bucket_hash(const char *key) { return kt::bucket::key_hash(key, std::strlen(key)); }

int Hash_Key_cString::hash_fcn(const Hash_entry *e) const {
    uint32_t h = string_entry(e)->known_hash();
    if (h == 0)
        h = bucket_hash(key_of(e));
    return kt::bucket::scale(h, buckets.size());
}

void Hash_Key_cString::debug_key(const Hash_entry *e) const { ktout << key_of(e); }

bool Hash_Key_cString::byte_equality() {
    if (equality_ < 0) {
        const std::type_info &t = typeid(*this);
        equality_ = t == typeid(Hash_Key_cString) || t == typeid(Hash_cString_int) || t == typeid(StringTable);
        keeps_index = equality_ == 1;
    }
    return equality_ == 1;
}

Hash_entry_cString *Hash_Key_cString::scan(const char *key, uint32_t h, int b) const {
    // An entry linked by a derived class's base_enter may not know its hash yet.
    auto same = [key, h](const Hash_entry *e) {
        const uint32_t known = string_entry(e)->known_hash();
        const char *k = key_of(e);
        return (known == h || known == 0) && *k == *key && (*k == '\0' || std::strcmp(k + 1, key + 1) == 0);
    };
    if (index)
        return static_cast<Hash_entry_cString *>(index->find(h, same));
    for (Hash_entry *e = bucket(b); e; e = e->next)
        if (same(e))
            return static_cast<Hash_entry_cString *>(e);
    return nullptr;
}

Hash_entry_cString *Hash_Key_cString::create(const char *key, int &created) {
    created = 0;
    if (!key || !usable())
        return nullptr;
    const size_t bytes = std::strlen(key) + 1;
    Hash_entry_cString probe(const_cast<char *>(key));
    probe.set_known_hash(kt::bucket::key_hash(key, bytes - 1));
    int b = 0;
    void *item = nullptr;
    if (equality_ == 1 || (equality_ < 0 && byte_equality())) {
        b = kt::bucket::scale(probe.known_hash(), buckets.size());
        if (index) // a new entry goes to this bucket: let its miss overlap the lookup's
            __builtin_prefetch(&bucket(b), 1);
        if (Hash_entry_cString *old = scan(key, probe.known_hash(), b))
            return old;
        item = take_item();
    } else if (Hash_entry *old = find_or_take(&probe, b, item)) {
        return static_cast<Hash_entry_cString *>(old);
    }
    if (!item)
        return nullptr;
    char *copy = copy_key(item, bytes);
    if (!copy) {
        bank->free(item);
        eflag = 1;
        return nullptr;
    }
    std::memcpy(copy, key, bytes);
    auto *e = ::new (item) Hash_entry_cString(copy);
    e->set_known_hash(probe.known_hash());
    link(e, b);
    created = 1;
    return e;
}

Hash_entry_cString *Hash_Key_cString::find(const char *key) const {
    if (!key)
        return nullptr;
    const uint32_t h = bucket_hash(key);
    if (equality_ == 1 && usable())
        return scan(key, h, kt::bucket::scale(h, buckets.size()));
    Hash_entry_cString probe(const_cast<char *>(key));
    probe.set_known_hash(h);
    return static_cast<Hash_entry_cString *>(base_find(&probe));
}

void Hash_Key_cString::free(Hash_entry_cString *e) {
    if (!e || !usable())
        return;
    base_free(e);
    free_key(e);
    bank->free(e);
}

// ---- one-word keys ---------------------------------------------------------

int Hash_Key_word::compare(const Hash_entry *a, const Hash_entry *b) const { return word_of(a) == word_of(b) ? 0 : 1; }

int Hash_Key_word::hash_fcn(const Hash_entry *e) const {
    intptr_t n = buckets.size();
    intptr_t r = word_of(e) % n;
    return static_cast<int>(r < 0 ? r + n : r);
}

Hash_entry_word *Hash_Key_word::create_word(intptr_t key, int &created) {
    created = 0;
    if (!usable())
        return nullptr;
    Hash_entry_word probe(key);
    int b = 0;
    void *item = nullptr;
    if (Hash_entry *old = find_or_take(&probe, b, item))
        return static_cast<Hash_entry_word *>(old);
    if (!item)
        return nullptr;
    auto *e = ::new (item) Hash_entry_word(key);
    link(e, b);
    created = 1;
    return e;
}

Hash_entry_word *Hash_Key_word::find_word(intptr_t key) const {
    Hash_entry_word probe(key);
    return static_cast<Hash_entry_word *>(base_find(&probe));
}

void Hash_Key_word::free_word(Hash_entry_word *e) {
    if (!e || !usable())
        return;
    base_free(e);
    bank->free(e);
}

void Hash_Key_int::debug_key(const Hash_entry *e) const { ktout << static_cast<int>(word_of(e)); }

void Hash_Key_voidp::debug_key(const Hash_entry *e) const { ktout << reinterpret_cast<const void *>(word_of(e)); }
