// Symbol tables at their edges: the built-in hashes, growth points,
// move-to-front, walks that delete, generators and copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "kt/st.h"

namespace {

const char *num(intptr_t v) { return reinterpret_cast<const char *>(v); }
void *rec(intptr_t v) { return reinterpret_cast<void *>(v); }
intptr_t val(const void *p) { return reinterpret_cast<intptr_t>(p); }

// Keys of one chain, head first.
std::vector<intptr_t> chain(const st_table *t, int bin) {
    std::vector<intptr_t> keys;
    for (const st_table_entry *e = t->bins[bin]; e; e = e->next)
        keys.push_back(val(e->key));
    return keys;
}

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

TEST(StTableTest, ParametersAndDefaults) {
    st_table *t = st_init_table_with_params(st_numcmp, st_numhash, 0, 0, 3.0, 1);
    EXPECT_EQ(t->bin_count, 1);
    EXPECT_EQ(t->density_limit, 1); // 0 would grow on every addition
    EXPECT_EQ(t->growth, 3.0);
    EXPECT_EQ(t->move_to_front, 1);
    st_free_table(t);
    t = st_init_table(strcmp, st_strhash);
    EXPECT_EQ(t->bin_count, 11);
    EXPECT_EQ(t->density_limit, 5);
    EXPECT_EQ(t->growth, 2.0);
    EXPECT_EQ(t->move_to_front, 0);
    EXPECT_EQ(t->entry_count, 0);
    st_free_table(t);
    st_free_table(nullptr);
}

TEST(StTableTest, GrowthPointsKeepBinCountsOdd) {
    st_table *t = st_init_table(st_numcmp, st_numhash);
    struct Point {
        int entries, bins;
    } points[] = {{55, 11}, {56, 23}, {115, 23}, {116, 47}, {235, 47}, {236, 95}, {476, 191}};
    intptr_t added = 0;
    for (const Point &p : points) {
        while (added < p.entries) {
            ++added;
            EXPECT_EQ(st_insert(t, num(added), rec(added * 3)), 0);
        }
        EXPECT_EQ(t->bin_count, p.bins) << p.entries;
        EXPECT_EQ(t->entry_count, p.entries);
    }
    for (intptr_t k = 1; k <= added; ++k) {
        void *r = nullptr;
        ASSERT_EQ(st_lookup(t, num(k), &r), 1) << k;
        EXPECT_EQ(val(r), k * 3);
    }
    EXPECT_EQ(st_lookup(t, num(added + 1), nullptr), 0);
    st_free_table(t);
}

TEST(StTableTest, GrowthFactorsThatCannotEnlargeLeaveTheBins) {
    for (double growth : {1.0, 0.5, -2.0, 0.0}) {
        st_table *t = st_init_table_with_params(st_numcmp, st_numhash, 3, 1, growth, 0);
        for (intptr_t k = 1; k <= 50; ++k)
            st_insert(t, num(k), rec(k));
        EXPECT_EQ(t->bin_count, 3) << growth;
        EXPECT_EQ(t->entry_count, 50);
        for (intptr_t k = 1; k <= 50; ++k)
            EXPECT_EQ(st_lookup(t, num(k), nullptr), 1);
        st_free_table(t);
    }
}

TEST(StTableTest, InsertFindAndFindOrAdd) {
    st_table *t = st_init_table(strcmp, st_strhash);
    std::string key = "resistor", probe = key;
    EXPECT_EQ(st_insert(t, key.c_str(), rec(1)), 0);
    EXPECT_EQ(st_insert(t, probe.c_str(), rec(2)), 1); // an equal key, not the same pointer
    EXPECT_EQ(t->entry_count, 1);
    void *r = nullptr;
    EXPECT_EQ(st_lookup(t, "resistor", &r), 1);
    EXPECT_EQ(val(r), 2);

    void **slot = nullptr;
    EXPECT_EQ(st_find_or_add(t, "diode", &slot), 0);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(*slot, nullptr);
    *slot = rec(42);
    EXPECT_EQ(st_lookup(t, "diode", &r), 1);
    EXPECT_EQ(val(r), 42);
    void **again = nullptr;
    EXPECT_EQ(st_find_or_add(t, "diode", &again), 1);
    EXPECT_EQ(again, slot);
    EXPECT_EQ(st_find(t, "diode", &again), 1);
    EXPECT_EQ(again, slot);
    EXPECT_EQ(st_find(t, "capacitor", &again), 0);

    EXPECT_EQ(st_add_direct(t, "diode", rec(7)), 1); // a second entry, unchecked
    EXPECT_EQ(t->entry_count, 3);

    const char *k = probe.c_str();
    EXPECT_EQ(st_delete(t, &k, &r), 1);
    EXPECT_EQ(k, key.c_str()); // the stored key comes back
    EXPECT_EQ(val(r), 2);
    EXPECT_EQ(st_delete(t, &k, nullptr), 0);
    EXPECT_EQ(t->entry_count, 2);
    st_free_table(t);
}

TEST(StTableTest, MoveToFrontAndDeletingInsideAChain) {
    st_table *t = st_init_table_with_params(st_numcmp, st_numhash, 1, 100, 2.0, 1);
    for (intptr_t k : {1, 2, 3, 4})
        st_insert(t, num(k), rec(k));
    EXPECT_EQ(chain(t, 0), (std::vector<intptr_t>{4, 3, 2, 1}));
    st_lookup(t, num(1), nullptr);
    EXPECT_EQ(chain(t, 0), (std::vector<intptr_t>{1, 4, 3, 2}));
    void **slot = nullptr;
    st_find(t, num(3), &slot);
    EXPECT_EQ(chain(t, 0), (std::vector<intptr_t>{3, 1, 4, 2}));
    st_insert(t, num(2), rec(20)); // a hit through insert moves too
    EXPECT_EQ(chain(t, 0), (std::vector<intptr_t>{2, 3, 1, 4}));
    const char *k = num(1);
    st_delete(t, &k, nullptr);
    EXPECT_EQ(chain(t, 0), (std::vector<intptr_t>{2, 3, 4}));
    k = num(4);
    st_delete(t, &k, nullptr);
    EXPECT_EQ(chain(t, 0), (std::vector<intptr_t>{2, 3}));
    st_free_table(t);

    t = st_init_table_with_params(st_numcmp, st_numhash, 1, 100, 2.0, 0);
    for (intptr_t k2 : {1, 2, 3})
        st_insert(t, num(k2), rec(k2));
    st_lookup(t, num(1), nullptr);
    EXPECT_EQ(chain(t, 0), (std::vector<intptr_t>{3, 2, 1}));
    st_free_table(t);
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

struct Visit {
    std::vector<intptr_t> seen;
    int answer_for_all = ST_CONTINUE;
    intptr_t stop_at = 0, repeat_once = 0;
};

int visit(const char *key, void *, void *arg) {
    auto *v = static_cast<Visit *>(arg);
    v->seen.push_back(val(key));
    if (val(key) == v->stop_at)
        return ST_STOP;
    if (val(key) == v->repeat_once) {
        v->repeat_once = 0;
        return 7; // any other answer offers the entry again
    }
    return v->answer_for_all;
}

TEST(StTableTest, ForeachAnswers) {
    auto make = [] {
        st_table *t = st_init_table_with_params(st_numcmp, st_numhash, 3, 5, 2.0, 0);
        for (intptr_t k = 1; k <= 9; ++k)
            st_insert(t, num(k), rec(k));
        return t;
    };
    st_table *t = make();
    Visit all_deleted;
    all_deleted.answer_for_all = ST_DELETE;
    EXPECT_EQ(st_foreach(t, visit, &all_deleted), 1);
    EXPECT_EQ(all_deleted.seen.size(), 9u);
    EXPECT_EQ(t->entry_count, 0);
    for (int b = 0; b < t->bin_count; ++b)
        EXPECT_EQ(t->bins[b], nullptr);
    st_free_table(t);

    t = make();
    Visit stop;
    stop.stop_at = 5;
    EXPECT_EQ(st_foreach(t, visit, &stop), 0);
    EXPECT_EQ(stop.seen.back(), 5);
    EXPECT_EQ(t->entry_count, 9);
    st_free_table(t);

    t = make();
    Visit repeat;
    repeat.repeat_once = 4;
    EXPECT_EQ(st_foreach(t, visit, &repeat), 1);
    EXPECT_EQ(repeat.seen.size(), 10u);
    auto at = std::find(repeat.seen.begin(), repeat.seen.end(), 4);
    ASSERT_NE(at, repeat.seen.end());
    EXPECT_EQ(*(at + 1), 4);
    st_free_table(t);
}

int delete_odd(const char *key, void *, void *) { return val(key) % 2 ? ST_DELETE : ST_CONTINUE; }

TEST(StTableTest, GeneratorVisitsEveryEntryOnceInBinOrder) {
    st_table *t = st_init_table(st_numcmp, st_numhash);
    for (intptr_t k = 1; k <= 200; ++k)
        st_insert(t, num(k), rec(k + 1000));
    st_foreach(t, delete_odd, nullptr);
    EXPECT_EQ(t->entry_count, 100);
    std::vector<intptr_t> expected;
    for (int b = 0; b < t->bin_count; ++b)
        for (intptr_t k : chain(t, b))
            expected.push_back(k);
    std::vector<intptr_t> got;
    st_generator *g = st_init_gen(t);
    const char *k = nullptr;
    void *r = nullptr;
    while (st_gen(g, &k, &r)) {
        got.push_back(val(k));
        EXPECT_EQ(val(r), val(k) + 1000);
    }
    EXPECT_EQ(st_gen(g, &k, nullptr), 0); // stays at the end
    st_free_gen(g);
    EXPECT_EQ(got, expected);
    std::set<intptr_t> distinct(got.begin(), got.end());
    EXPECT_EQ(distinct.size(), 100u);
    st_free_table(t);
}

TEST(StTableTest, CopyHasTheSameParametersAndReversedChains) {
    st_table *t = st_init_table_with_params(st_numcmp, st_numhash, 7, 3, 1.5, 1);
    for (intptr_t k = 1; k <= 20; ++k)
        st_insert(t, num(k), rec(-k));
    st_table *c = st_copy(t);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->bin_count, t->bin_count);
    EXPECT_EQ(c->entry_count, t->entry_count);
    EXPECT_EQ(c->density_limit, 3);
    EXPECT_EQ(c->growth, 1.5);
    EXPECT_EQ(c->move_to_front, 1);
    for (int b = 0; b < t->bin_count; ++b) {
        std::vector<intptr_t> original = chain(t, b), copied = chain(c, b);
        std::reverse(copied.begin(), copied.end());
        EXPECT_EQ(copied, original) << b;
    }
    st_insert(c, num(99), rec(99)); // independent of the original
    EXPECT_EQ(st_lookup(t, num(99), nullptr), 0);
    void *r = nullptr;
    EXPECT_EQ(st_lookup(c, num(20), &r), 1);
    EXPECT_EQ(val(r), -20);
    st_free_table(c);
    st_free_table(t);
}

} // namespace
