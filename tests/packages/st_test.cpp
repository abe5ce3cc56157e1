// Symbol tables at their edges: the built-in hashes, duplicate entries,
// and a caller's hash that answers out of range.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "kt/st.h"

namespace {

const char *num(intptr_t v) { return reinterpret_cast<const char *>(v); }
void *rec(intptr_t v) { return reinterpret_cast<void *>(v); }
intptr_t val(const void *p) { return reinterpret_cast<intptr_t>(p); }

TEST(StHashTest, BuiltInHashes) {
    struct Case {
        const char *name;
        int got, expected;
    } cases[] = {
        {"strhash ab", st_strhash("ab", 1000), (97 * 997 + 98) % 1000},
        {"strhash empty", st_strhash("", 7), 0},
        {"strhash signed bytes", st_strhash("\xff", 1000), 1},
        {"strhash of -2^31 stays in range", st_strhash("\"6(|+E", 1000), 648},
        {"strhash modulus 1", st_strhash("anything", 1), 0},
        {"numhash", st_numhash(num(-17), 5), 2},
        {"numhash of INT32_MIN", st_numhash(num(INT32_MIN), 1000), 648},
        {"numhash of the most negative word", st_numhash(num(INTPTR_MIN), 1000),
         static_cast<int>((static_cast<uint64_t>(1) << 63) % 1000)},
        {"ptrhash", st_ptrhash(num(0x1000), 1000), 0x400 % 1000},
        {"numcmp equal", st_numcmp(num(4), num(4)), 0},
        {"numcmp different", st_numcmp(num(4), num(5)), 1},
        {"ptrcmp is numcmp", st_ptrcmp == st_numcmp, 1},
        {"modulus 0 names bin 0", st_strhash("ab", 0), 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.got, c.expected) << c.name;
    // Against the plain definition, on keys of every length up to 20.
    std::mt19937 rng(5);
    for (int i = 0; i < 2000; ++i) {
        std::string key(rng() % 21, ' ');
        for (char &c : key)
            c = static_cast<char>(1 + rng() % 255);
        uint32_t h = 0;
        for (char c : key)
            h = h * 997u + static_cast<uint32_t>(static_cast<signed char>(c));
        const uint32_t magnitude = (h & 0x80000000u) ? 0u - h : h;
        ASSERT_EQ(st_strhash(key.c_str(), 65521), static_cast<int>(magnitude % 65521u)) << key;
    }
}

TEST(StTableTest, AddDirectMakesASecondEntryAndSlotsStayPut) {
    st_table *t = st_init_table(strcmp, st_strhash);
    std::string key = "diode", probe = key;
    void **slot = nullptr, **again = nullptr;
    EXPECT_EQ(st_find_or_add(t, key.c_str(), &slot), 0);
    EXPECT_EQ(st_find(t, probe.c_str(), &again), 1);
    EXPECT_EQ(again, slot);
    EXPECT_EQ(st_find_or_add(t, probe.c_str(), &again), 1);
    EXPECT_EQ(again, slot);
    EXPECT_EQ(st_add_direct(t, probe.c_str(), rec(7)), 1); // a second entry, unchecked
    EXPECT_EQ(t->entry_count, 2);
    for (int left : {1, 0}) {
        const char *k = probe.c_str();
        EXPECT_EQ(st_delete(t, &k, nullptr), 1);
        EXPECT_EQ(t->entry_count, left);
    }
    st_free_table(t);
    st_free_table(nullptr);
}

// A caller's hash that answers outside 0..modulus-1 must not index past the bins.
int wild_hash(const char *key, int modulus) { return val(key) % 2 ? -val(key) : modulus + static_cast<int>(val(key)); }

TEST(StTableTest, OutOfRangeHashesStayInTheTable) {
    st_table *t = st_init_table_with_params(st_numcmp, wild_hash, 5, 2, 2.0, 0);
    for (intptr_t k = 1; k <= 100; ++k)
        st_insert(t, num(k), rec(k));
    for (intptr_t k = 1; k <= 100; ++k)
        EXPECT_EQ(st_lookup(t, num(k), nullptr), 1);
    st_free_table(t);
}

} // namespace
