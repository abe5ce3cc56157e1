// Hash tables: the bucket and rehash rule, the key hashes, chain order
// against a model that follows the same rules, diagnostics, and tables
// whose construction was refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "container_test_util.h"
#include "kt/containers_hash.h"

using kt_cont_test::Capture;
using kt_cont_test::Grants;

namespace {

bool is_prime(int n) {
    if (n < 2)
        return false;
    for (int d = 2; d * d <= n; ++d)
        if (n % d == 0)
            return false;
    return true;
}

uint32_t reference_string_hash(const std::string &s) {
    uint32_t h = 0;
    int shift = 0;
    for (char c : s) {
        h += static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c))) << shift;
        shift = (shift + 8) % 32;
    }
    return h;
}

// The table's rules on plain vectors: chains from their heads, new entries
// at the front, a rehash when more than `threshold` entries are taken.
template <class Key> struct ChainModel {
    std::vector<std::vector<Key>> buckets = std::vector<std::vector<Key>>(5);
    int threshold = 16, taken = 0;
    int (*bucket_of)(const Key &, int);

    explicit ChainModel(int (*f)(const Key &, int)) : bucket_of(f) {}

    std::vector<Key> order() const {
        std::vector<Key> all;
        for (auto &chain : buckets)
            all.insert(all.end(), chain.begin(), chain.end());
        return all;
    }
    bool has(const Key &k) const {
        for (const Key &x : buckets[static_cast<size_t>(bucket_of(k, size()))])
            if (x == k)
                return true;
        return false;
    }
    int size() const { return static_cast<int>(buckets.size()); }
    void push_front(const Key &k) {
        auto &chain = buckets[static_cast<size_t>(bucket_of(k, size()))];
        chain.insert(chain.begin(), k);
    }
    bool create(const Key &k) {
        if (has(k))
            return false;
        if (++taken > threshold) {
            std::vector<Key> all = order();
            threshold *= 4;
            int b = threshold / 4;
            while (!is_prime(b))
                ++b;
            buckets.assign(static_cast<size_t>(b), {});
            for (const Key &x : all)
                push_front(x);
        }
        push_front(k);
        return true;
    }
    void erase(const Key &k) {
        auto &chain = buckets[static_cast<size_t>(bucket_of(k, size()))];
        for (auto it = chain.begin(); it != chain.end(); ++it) {
            if (*it == k) {
                chain.erase(it);
                --taken;
                return;
            }
        }
    }
};

int int_bucket(const int &k, int n) { return (k % n + n) % n; }
int string_bucket(const std::string &k, int n) {
    return static_cast<int>(reference_string_hash(k) % static_cast<uint32_t>(n));
}

std::vector<int> int_keys(const Hash &table) {
    std::vector<int> keys;
    Hash_Iterator it(&table);
    while (Hash_entry *e = it())
        keys.push_back(static_cast<Hash_entry_int *>(e)->key());
    return keys;
}

TEST(Hash, StringKeysKeepTheirCaseAndNullIsRefused) {
    Hash_cString_int table(nullptr);
    int created = -1;
    Hash_entry_cString_int *e = table.create("alpha", created);
    EXPECT_EQ(table.find("alpha"), e);
    EXPECT_EQ(table.find("Alpha"), nullptr) << "case matters";
    table.save_value(e, 42);
    int v = 0;
    table.get_value(e, v);
    EXPECT_EQ(v, 42);
    EXPECT_EQ(table.create(nullptr, created), nullptr);
    EXPECT_EQ(created, 0);
    EXPECT_EQ(table.find(nullptr), nullptr);
}

TEST(Hash, StringHashAddsSignExtendedBytesAtCyclingShifts) {
    struct Case {
        const char *key;
        uint32_t hash;
    } cases[] = {
        {"", 0},
        {"ab", 97 + 98 * 256},
        {"\xff", 0xFFFFFFFFu},
        {"abcde", 97u + (98u << 8) + (99u << 16) + (100u << 24) + 101u},
        {"\x80\x01", 0xFFFFFF80u + 256u},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Hash_Key_cString::string_hash(c.key), c.hash) << c.key;
}

// Families of names that share a byte sum (net_12, net_21; x1/x23, x2/x13)
// still spread evenly: 20000 keys in 16411 buckets leave no long chain.
TEST(Hash, NumberedAndHierarchicalNamesSpreadOverTheBuckets) {
    const std::function<std::string(int)> families[] = {
        [](int i) { return "net_" + std::to_string(i); },
        [](int i) {
            return "x" + std::to_string(i / 1000) + "/x" + std::to_string(i / 10 % 100) + "/n" + std::to_string(i % 10);
        },
    };
    for (const auto &name : families) {
        Hash_cString_int table(nullptr);
        int created = 0;
        for (int i = 0; i < 20000; ++i)
            table.create(name(i).c_str(), created);
        Capture out(std::cout);
        table.stats();
        const std::string text = out.text(), label = "largest bucket  = ";
        const int largest = std::stoi(text.substr(text.find(label) + label.size()));
        EXPECT_EQ(table.bucket_count(), 16411);
        EXPECT_LE(largest, 12) << name(1);
    }
}

// Random creates and frees of int keys: chain order, bucket counts and the
// entries taken follow the model exactly.
TEST(Hash, RandomIntTrafficFollowsTheChainModel) {
    std::mt19937 rng(23);
    PWSRegion region;
    Hash_Key_int table(&region);
    ChainModel<int> model(int_bucket);
    for (int step = 0; step < 6000; ++step) {
        int key = step % 1000 == 7 ? (step % 2000 == 7 ? INT_MIN : INT_MAX) : static_cast<int>(rng() % 3001) - 1500;
        int created = -1;
        if (rng() % 4 != 0) {
            Hash_entry_int *e = table.create(key, created);
            ASSERT_NE(e, nullptr);
            ASSERT_EQ(e->key(), key);
            ASSERT_EQ(created, model.create(key) ? 1 : 0);
        } else {
            Hash_entry_int *e = table.find(key);
            ASSERT_EQ(e != nullptr, model.has(key));
            table.free(e);
            model.erase(key);
        }
        ASSERT_EQ(table.bucket_count(), model.size());
        ASSERT_EQ(table.rehash_threshold(), model.threshold);
        ASSERT_EQ(table.allocated(), model.taken);
        if (step % 50 == 0) {
            ASSERT_EQ(int_keys(table), model.order());
        }
    }
    EXPECT_EQ(int_keys(table), model.order());
}

// A string table of a class outside the library: it keeps the virtual
// compare and hash of its base, not the library's own inline ones.
class OutsideStrings : public Hash_cString_int {
public:
    using Hash_cString_int::Hash_cString_int;
};

// The same for string keys, with the values checked against a map; which
// bucket a string lands in is the table's own affair, so the walk is
// compared as a set.
template <class Table> void random_string_traffic() {
    SCOPED_TRACE(typeid(Table).name());
    std::mt19937 rng(29);
    PWSRegion region;
    {
        Table table(&region);
        ChainModel<std::string> model(string_bucket);
        std::unordered_map<std::string, int> values;
        for (int step = 0; step < 5000; ++step) {
            // Long keys take several rounds of the bucket hash; the empty key none.
            // Keys of 12 to 16 characters straddle the room for a key in its entry.
            const char *prefixes[] = {"n", "n", "n", "subckt_pin_", "subcircuit_instance."};
            std::string key = prefixes[rng() % 5] + std::to_string(rng() % 2000);
            if (step % 1000 == 999)
                key.clear();
            if (rng() % 7 == 0)
                key += '\xe9'; // bytes above 0x7f count negative
            int created = -1;
            if (rng() % 4 != 0) {
                Hash_entry_cString_int *e = table.create(key.c_str(), created);
                ASSERT_NE(e, nullptr);
                ASSERT_EQ(created, model.create(key) ? 1 : 0);
                if (created) {
                    ASSERT_EQ(table.value(e), 0) << "a new entry's value starts at 0";
                    int v = static_cast<int>(rng());
                    table.save_value(e, v);
                    values[key] = v;
                }
                ASSERT_EQ(table.value(e), values[key]);
            } else {
                Hash_entry_cString_int *e = table.find(key.c_str());
                ASSERT_EQ(e != nullptr, model.has(key));
                table.free(e);
                model.erase(key);
                values.erase(key);
            }
            ASSERT_EQ(table.bucket_count(), model.size());
        }
        std::vector<std::string> keys, expected = model.order();
        Hash_Iterator it(&table);
        while (Hash_entry *e = it())
            keys.push_back(table.key(static_cast<Hash_entry_cString *>(e)));
        std::sort(keys.begin(), keys.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(keys, expected);
    }
    EXPECT_EQ(region.bytes_in_use(), 0) << "key copies, entries and buckets all given back";
}

TEST(Hash, RandomStringTrafficFollowsTheChainModel) {
    random_string_traffic<Hash_cString_int>();
    random_string_traffic<OutsideStrings>();
}

// Entry sizes below the key class's own entry are raised to it: with any
// size every key is kept, walked once, and nothing stays in the region.
constexpr int kSizedKeys = 3000;
char g_cells[kSizedKeys];
std::string g_texts[kSizedKeys];

template <class Table, class Key> void check_entry_size(unsigned size, Key (*key_of)(int)) {
    SCOPED_TRACE(testing::Message() << typeid(Table).name() << " entry size " << size);
    PWSRegion region;
    {
        Table table(size, &region);
        int created = 0;
        for (int i = 0; i < kSizedKeys; ++i)
            ASSERT_NE(table.create(key_of(i), created), nullptr) << i;
        std::set<Hash_entry *> walked;
        Hash_Iterator it(&table);
        while (Hash_entry *e = it())
            walked.insert(e);
        EXPECT_EQ(it(), nullptr) << "an ended walk stays ended";
        EXPECT_EQ(walked.size(), size_t{kSizedKeys});
        for (int i = 0; i < kSizedKeys; ++i)
            ASSERT_EQ(walked.count(table.find(key_of(i))), 1u) << i;
    }
    EXPECT_EQ(region.bytes_in_use(), 0);
}

int int_key(int i) { return i * 7919 - 4000; }
// One address is negative as a signed word.
void *pointer_key(int i) { return i == 0 ? reinterpret_cast<void *>(~uintptr_t{0} - 15) : &g_cells[i]; }
const char *string_key(int i) { return (g_texts[i] = "key" + std::to_string(i)).c_str(); }

TEST(Hash, EntrySizesBelowTheEntryTypeAreRaised) {
    for (unsigned size : {0u, 1u, 8u, 16u, unsigned(sizeof(Hash_entry_cString))}) {
        check_entry_size<Hash_Key_int>(size, int_key);
        check_entry_size<Hash_Key_voidp>(size, pointer_key);
        check_entry_size<Hash_Key_cString>(size, string_key);
    }
}

// Stats, dump and debug listings; without room for its histogram, stats
// keeps the summary.
TEST(Hash, Listings) {
    Hash_Key_int ints(nullptr);
    Hash_cString_int strings(nullptr);
    const std::string summary = "No. of entries = 3\n"
                                "No. of buckets = 5\n"
                                "No. of entries in the smallest bucket = 0\n"
                                "No. of entries in the largest bucket  = 2\n";
    int created = 0;
    Hash_entry_int *two = ints.create(2, created), *seven = ints.create(7, created), *three = ints.create(3, created);
    strings.create("ab", created);
    strings.create("x", created);
    Capture out(std::cout);
    ints.stats();
    EXPECT_EQ(out.text(), summary + "No. of buckets with 0 entries: 3\n"
                                    "No. of buckets with 1 entries: 1\n"
                                    "No. of buckets with 2 entries: 1\n");
    {
        Capture none_left(std::cout);
        Grants none(PWS::GetMallocRegion(), 0);
        ints.stats();
        EXPECT_EQ(none_left.text(), summary);
    }
    {
        Capture dump(std::cout);
        ints.dump();
        EXPECT_EQ(dump.text(), "7\n2\n3\n");
    }
    {
        Capture dump(std::cout);
        strings.dump();
        EXPECT_TRUE(dump.text() == "x\nab\n" || dump.text() == "ab\nx\n") << dump.text();
    }
    Capture debug(std::cout);
    ints.debug();
    std::ostringstream expected;
    expected << "Bucket 2:\n  entry @ " << static_cast<void *>(seven) << ": 7\n  entry @ " << static_cast<void *>(two)
             << ": 2\nBucket 3:\n  entry @ " << static_cast<void *>(three) << ": 3\n";
    EXPECT_EQ(debug.text(), expected.str());
}

TEST(Hash, RefusedConstructionLeavesAnInertTable) {
    // The buckets, the bank object, the bank's block list and its first block
    // are the requests of a constructor; refusing any leaves no buckets.
    for (int granted = 0; granted < 4; ++granted) {
        PWSRegion region;
        {
            Grants grants(&region, granted);
            Hash_cString_int table(&region);
            region.fail_after(-1);
            EXPECT_EQ(table.nostore(), 1) << granted;
            EXPECT_EQ(table.bucket_count(), 0);
            int created = -1;
            EXPECT_EQ(table.create("a", created), nullptr);
            EXPECT_EQ(created, 0);
            EXPECT_EQ(table.find("a"), nullptr);
            Hash_Iterator it(&table);
            EXPECT_EQ(it(), nullptr);
            Capture out(std::cout);
            table.dump();
            table.debug();
            EXPECT_EQ(out.text(), "");
        }
        EXPECT_EQ(region.bytes_in_use(), 0);
    }
}

// Large string tables look keys up in an index of their own, made once
// they hold 16384 entries and grown as they go on: random traffic against a
// model; and a table refused its index finds every key all the same.
TEST(Hash, LargeStringTablesAgainstAModel) {
    std::mt19937 rng(37);
    PWSRegion region;
    {
        Hash_cString_int table(&region), refused(&region);
        std::unordered_map<std::string, int> model;
        int created = -1;
        for (int step = 0; step < 150000; ++step) {
            std::string key = "net_" + std::to_string(rng() % 50000);
            if (rng() % 4 != 0) {
                Hash_entry_cString_int *e = table.create(key.c_str(), created);
                ASSERT_NE(e, nullptr);
                ASSERT_EQ(created, model.count(key) ? 0 : 1) << key;
                if (created)
                    table.save_value(e, model[key] = step);
                ASSERT_EQ(table.value(e), model[key]);
            } else {
                Hash_entry_cString_int *e = table.find(key.c_str());
                ASSERT_EQ(e != nullptr, model.count(key) == 1) << key;
                table.free(e);
                model.erase(key);
            }
        }
        EXPECT_GT(model.size(), 32768u) << "the index has grown";
        for (int i = 0; i < 20000; ++i) {
            // The 16384th key fits in its entry: the index is all it asks for, and is refused.
            Grants grants(&region, i == 16383 ? 0 : -1);
            ASSERT_NE(refused.create(("n" + std::to_string(i)).c_str(), created), nullptr) << i;
        }
        EXPECT_EQ(refused.nostore(), 0) << "the index is no storage the table needs";
        for (int i = 0; i < 20000; ++i)
            ASSERT_NE(refused.find(("n" + std::to_string(i)).c_str()), nullptr) << i;
    }
    EXPECT_EQ(region.bytes_in_use(), 0);
}

// A table keyed by ints that makes and links its own entries, as a key
// class outside the library would.
class OwnTable : public Hash {
public:
    explicit OwnTable(PWSRegion *r) : Hash(sizeof(Hash_entry_int), r) {}
    int compare(const Hash_entry *a, const Hash_entry *b) const override { return key(a) == key(b) ? 0 : 1; }
    int hash_fcn(const Hash_entry *e) const override { return key(e) % bucket_count(); }
    void debug_key(const Hash_entry *) const override {}
    Hash_entry *make(int k) { return new (bank) Hash_entry_int(k); }
    void drop(Hash_entry *e) {
        base_free(e);
        Hash_entry::operator delete(e, bank);
    }
    static int key(const Hash_entry *e) { return static_cast<const Hash_entry_int *>(e)->key(); }
};

TEST(Hash, DerivedTablesEnterTheirOwnEntries) {
    PWSRegion region;
    {
        OwnTable table(&region);
        int created = -1;
        EXPECT_EQ(table.base_enter(nullptr, created), nullptr);
        EXPECT_EQ(created, 0);
        std::vector<Hash_entry *> entries;
        for (int k = 0; k < 40; ++k) {
            entries.push_back(table.make(k));
            EXPECT_EQ(table.base_enter(entries.back(), created), entries.back());
            EXPECT_EQ(created, 1) << k;
        }
        EXPECT_GT(table.bucket_count(), 5) << "entering rehashes like creating";
        Hash_entry *twin = table.make(7);
        EXPECT_EQ(table.base_enter(twin, created), entries[7]);
        EXPECT_EQ(created, 0);
        table.drop(twin); // never linked: unlinking finds nothing
        for (int k = 0; k < 40; ++k)
            EXPECT_EQ(table.base_find(entries[static_cast<size_t>(k)]), entries[static_cast<size_t>(k)]) << k;
        for (Hash_entry *e : entries)
            table.drop(e);
        EXPECT_EQ(table.allocated(), 0);
        EXPECT_EQ(new (static_cast<Bank *>(nullptr)) Hash_entry_int(1), nullptr);
        Hash_entry::operator delete(nullptr, nullptr);
    }
    EXPECT_EQ(region.bytes_in_use(), 0);
}

TEST(Hash, TableObjectsLiveInRegions) {
    PWSRegion region;
    auto *table = new (&region) Hash_cString_int(&region);
    ASSERT_NE(table, nullptr);
    int created = 0;
    table->create("k", created);
    Hash *base = table;
    delete base;
    EXPECT_EQ(region.bytes_in_use(), 0);
}

} // namespace
