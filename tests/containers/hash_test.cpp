// Hash tables and the string table: the key hashes, random traffic of every
// key class against a map and the rehash rule, entry sizes, diagnostics,
// refused construction, and ids a string table does not hold. Which bucket
// a key lands in is the table's own affair: nothing here depends on the
// order of a walk. Dense string ids and their reuse against a model are the
// containers fuzz target's, replayed over its corpus.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <typeinfo>
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

// The numbers stats() prints, in order: entries, buckets, the smallest and
// the largest chain, then how many buckets have each length from the
// smallest to the largest, which must add up to the buckets and entries.
std::vector<int> checked_stats(const Hash &table) {
    Capture out(std::cout);
    table.stats();
    std::istringstream in(out.text());
    std::vector<int> n;
    for (std::string line; std::getline(in, line);)
        n.push_back(std::stoi(line.substr(line.rfind(' ') + 1)));
    EXPECT_EQ(n.size(), static_cast<size_t>(5 + n.at(3) - n.at(2))) << out.text();
    int buckets = 0, entries = 0;
    for (size_t k = 4; k < n.size(); ++k) {
        buckets += n[k];
        entries += n[k] * (n[2] + static_cast<int>(k) - 4);
    }
    EXPECT_EQ(buckets, n[1]);
    EXPECT_EQ(entries, n[0]);
    EXPECT_GT(n.at(4) * n.back(), 0) << "the smallest and the largest chain exist";
    return n;
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
    Hash_cString_int table(nullptr);
    int created = -1;
    EXPECT_EQ(table.create(nullptr, created), nullptr);
    EXPECT_EQ(created, 0);
    EXPECT_EQ(table.find(nullptr), nullptr);
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
        const std::vector<int> stats = checked_stats(table);
        EXPECT_EQ(stats[1], 16411);
        EXPECT_LE(stats[3], 12) << name(1);
    }
}

// A string table of a class outside the library: it keeps the virtual
// compare and hash of its base, not the library's own inline ones.
class OutsideStrings : public Hash_cString_int {
public:
    using Hash_cString_int::Hash_cString_int;
};

template <class Key> Key pass(Key key) { return key; }
const char *pass(const std::string &key) { return key.c_str(); }
int key_of(const Hash_Key_int &, Hash_entry *e) { return static_cast<Hash_entry_int *>(e)->key(); }
void *key_of(const Hash_Key_voidp &, Hash_entry *e) { return static_cast<Hash_entry_voidp *>(e)->key(); }
std::string key_of(const Hash_Key_cString &t, Hash_entry *e) { return t.key(static_cast<Hash_entry_cString *>(e)); }

// Both ends of the int range, and otherwise keys around 0.
int draw(std::mt19937 &rng, int step, unsigned range, int) {
    if (step % 1000 == 7)
        return step % 2000 == 7 ? INT_MIN : INT_MAX;
    return static_cast<int>(rng() % range) - static_cast<int>(range / 2);
}

// Addresses in an array, and one that is negative as a signed word.
char g_cells[4000];
void *draw(std::mt19937 &rng, int step, unsigned range, void *) {
    return step % 1000 == 7 ? reinterpret_cast<void *>(~uintptr_t{0} - 15) : &g_cells[rng() % range];
}

// Keys differing in case only; long keys take several rounds of the
// bucket hash, the empty key none; bytes above 0x7f count negative. Keys
// of 12 to 16 characters straddle the room for a key in its entry.
std::string draw(std::mt19937 &rng, int step, unsigned range, std::string) {
    const char *heads[] = {"n", "N", "subckt_pin_", "subcircuit_instance."};
    std::string key = heads[rng() % 4] + std::to_string(rng() % range);
    if (step % 1000 == 999)
        key.clear();
    if (rng() % 7 == 0)
        key += '\xe9';
    return key;
}

template <class Table> Table make_table(unsigned size, PWSRegion *region) {
    if constexpr (std::is_constructible_v<Table, unsigned, PWSRegion *>)
        return Table(size, region);
    else
        return Table(region);
}

// Random creates and frees against a map: created flags, values, finds,
// the entries taken and a walk that meets every key once; the bucket count
// follows the rehash rule (threshold 16, times 4 at every rehash, then the
// smallest prime >= threshold / 4). Large string tables also keep an index
// of their own, made at 16384 entries and grown as they go on. Entry sizes
// below the key class's own entry are raised to it.
template <class Table, class Key> void random_traffic(uint32_t seed, int steps, unsigned range, unsigned size = 0) {
    SCOPED_TRACE(testing::Message() << typeid(Table).name() << " entry size " << size);
    constexpr bool kValues = std::is_base_of_v<Hash_cString_int, Table>;
    std::mt19937 rng(seed);
    PWSRegion region;
    {
        Table table = make_table<Table>(size, &region);
        std::map<Key, int> model;
        int threshold = 16, buckets = 5;
        for (int step = 0; step < steps; ++step) {
            const Key key = draw(rng, step, range, Key());
            int created = -1;
            if (rng() % 4 != 0) {
                auto *e = table.create(pass(key), created);
                ASSERT_NE(e, nullptr);
                ASSERT_EQ(key_of(table, e), key);
                ASSERT_EQ(created, model.count(key) ? 0 : 1);
                if (created && static_cast<int>(model.size()) + 1 > threshold) {
                    threshold *= 4;
                    for (buckets = threshold / 4; !is_prime(buckets);)
                        ++buckets;
                }
                if constexpr (kValues) {
                    if (created) {
                        ASSERT_EQ(table.value(e), 0) << "a new entry's value starts at 0";
                        table.save_value(e, model[key] = static_cast<int>(rng()));
                    }
                    int v = 0;
                    table.get_value(e, v);
                    ASSERT_EQ(v, model[key]);
                } else {
                    model[key] = 0;
                }
            } else {
                auto *e = table.find(pass(key));
                ASSERT_EQ(e != nullptr, model.count(key) == 1);
                table.free(e);
                model.erase(key);
            }
            ASSERT_EQ(table.bucket_count(), buckets);
            ASSERT_EQ(table.rehash_threshold(), threshold);
            ASSERT_EQ(table.allocated(), static_cast<int>(model.size()));
            if (step % (steps / 20) == 0 || step == steps - 1) {
                std::vector<Key> walked, keys;
                Hash_Iterator it(&table);
                while (Hash_entry *e = it())
                    walked.push_back(key_of(table, e));
                ASSERT_EQ(it(), nullptr) << "an ended walk stays ended";
                std::sort(walked.begin(), walked.end());
                for (auto &kv : model)
                    keys.push_back(kv.first);
                ASSERT_EQ(walked, keys);
            }
        }
    }
    EXPECT_EQ(region.bytes_in_use(), 0) << "key copies, entries and buckets all given back";
}

TEST(Hash, RandomTrafficAgainstAMap) {
    random_traffic<Hash_Key_int, int>(23, 6000, 3001);
    random_traffic<OutsideStrings, std::string>(29, 5000, 2000);
    random_traffic<Hash_cString_int, std::string>(37, 150000, 40000);
    // Sizes below the entry type's are raised; entries of 5000 bytes get no room for a key.
    for (unsigned size : {0u, 1u, 8u, 16u, unsigned(sizeof(Hash_entry_cString)), 5000u}) {
        random_traffic<Hash_Key_int, int>(size, 2000, 3001, size);
        random_traffic<Hash_Key_voidp, void *>(size, 2000, 4000, size);
        random_traffic<Hash_Key_cString, std::string>(size, 2000, 2000, size);
    }
}

// A table refused its index finds every key all the same.
TEST(Hash, ARefusedIndexIsNoStorageTheTableNeeds) {
    PWSRegion region;
    {
        Hash_cString_int refused(&region);
        int created = -1;
        for (int i = 0; i < 20000; ++i) {
            // The 16384th key fits in its entry: the index is all it asks for, and is refused.
            Grants grants(&region, i == 16383 ? 0 : -1);
            ASSERT_NE(refused.create(("n" + std::to_string(i)).c_str(), created), nullptr) << i;
        }
        EXPECT_EQ(refused.nostore(), 0);
        for (int i = 0; i < 20000; ++i)
            ASSERT_NE(refused.find(("n" + std::to_string(i)).c_str()), nullptr) << i;
    }
    EXPECT_EQ(region.bytes_in_use(), 0);
}

std::multiset<std::string> lines_of(const std::string &text) {
    std::multiset<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.insert(line);
    return lines;
}

// Stats, dump and debug listings; without room for its histogram, stats
// keeps the summary.
TEST(Hash, Listings) {
    Hash_Key_int ints(nullptr);
    Capture empty(std::cout);
    ints.stats();
    EXPECT_EQ(empty.text(), "No. of entries = 0\n"
                            "No. of buckets = 5\n"
                            "No. of entries in the smallest bucket = 0\n"
                            "No. of entries in the largest bucket  = 0\n"
                            "No. of buckets with 0 entries: 5\n");
    Hash_cString_int strings(nullptr);
    int created = 0;
    std::multiset<std::string> debug_lines;
    for (int k : {2, 7, 3}) {
        std::ostringstream line;
        line << "  entry @ " << static_cast<void *>(ints.create(k, created)) << ": " << k;
        debug_lines.insert(line.str());
    }
    strings.create("ab", created);
    strings.create("x", created);
    const std::vector<int> stats = checked_stats(ints);
    EXPECT_EQ(stats[0], 3);
    {
        Capture summary(std::cout);
        Grants none(PWS::GetMallocRegion(), 0);
        ints.stats();
        EXPECT_EQ(lines_of(summary.text()).size(), 4u) << summary.text();
    }
    {
        Capture dump(std::cout);
        ints.dump();
        strings.dump();
        EXPECT_EQ(lines_of(dump.text()), (std::multiset<std::string>{"2", "3", "7", "ab", "x"}));
    }
    Capture debug(std::cout);
    ints.debug();
    for (const std::string &line : lines_of(debug.text()))
        if (line.rfind("Bucket ", 0) == 0)
            debug_lines.insert(line);
    EXPECT_EQ(lines_of(debug.text()), debug_lines);
    EXPECT_EQ(debug_lines.size(), 3u + static_cast<size_t>(stats[1] - stats[4])) << "a heading per bucket in use";
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
    // Table objects themselves live in regions too.
    auto *table = new (&region) Hash_cString_int(&region);
    ASSERT_NE(table, nullptr);
    int created = 0;
    table->create("k", created);
    Hash *base = table;
    delete base;
    EXPECT_EQ(region.bytes_in_use(), 0);
}

TEST(StringTable, InvalidIdsOnlySetStatusOne) {
    StringTable table(nullptr);
    EXPECT_EQ(table.enter("x"), 0);
    EXPECT_EQ(table.id_limit(), 1);
    for (int id : {-1, 1, 100}) {
        StringTable::status = 0;
        table.free(id);
        EXPECT_EQ(StringTable::status, 1) << id;
    }
    table.free(0);
    EXPECT_EQ(StringTable::status, 0);
    table.free(0);
    EXPECT_EQ(StringTable::status, 1) << "released twice";
    EXPECT_EQ(table.enter(nullptr), -1);
    EXPECT_EQ(StringTable::status, 1);
    EXPECT_EQ(table.find(nullptr), -1);
    EXPECT_EQ(table.string_of(-3), nullptr);
}

} // namespace
