// Symbol tables: the built-in hashes, duplicate entries, a caller's hash
// that answers out of range, and random insert, delete, lookup and walk
// sequences on tables of various shapes against a std::unordered_map.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <unordered_map>
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

// After every step the counts and bins follow the model and the growth
// rule; new entries and, in move-to-front tables, found ones head their chain.
struct Shape {
    st_compare_func compare;
    st_hash_func hash;
    bool string_keys;
};

class TableModel {
public:
    TableModel(uint32_t seed, const Shape &shape) : rng_(seed), shape_(shape) {
        for (int i = 0; i < 300; ++i)
            names_.push_back("node" + std::to_string(i));
        // Factors of 1 and below cannot enlarge the table; sizes and limits
        // below 1 count as 1.
        const double growths[] = {1.5, 2.0, 3.0, 1.0, 0.5};
        int size = static_cast<int>(pick(20)), density = static_cast<int>(pick(7));
        double growth = growths[pick(5)];
        int move_to_front = static_cast<int>(pick(2));
        if (seed % 4 == 0) {
            table_ = st_init_table(shape.compare, shape.hash);
            size = 11;
            density = 5;
            growth = 2.0;
            move_to_front = 0;
        } else {
            table_ = st_init_table_with_params(shape.compare, shape.hash, size, density, growth, move_to_front);
        }
        EXPECT_EQ(table_->bin_count, std::max(size, 1));
        EXPECT_EQ(table_->density_limit, std::max(density, 1));
        EXPECT_EQ(table_->growth, growth);
        EXPECT_EQ(table_->move_to_front, move_to_front);
        bins_ = table_->bin_count;
    }
    ~TableModel() { st_free_table(table_); }
    TableModel(const TableModel &) = delete;
    TableModel &operator=(const TableModel &) = delete;

    void step() {
        size_t k = pick(names_.size());
        const char *key = key_of(k);
        const auto found = model_.find(k);
        const bool present = found != model_.end();
        const intptr_t r = next_record_++;
        const std::vector<const char *> chain_before = chain_with(key);
        bool probed = true;
        switch (pick(8)) {
        case 0:
        case 1:
            EXPECT_EQ(st_insert(table_, key, rec(r)), present ? 1 : 0);
            model_[k] = r;
            break;
        case 2: {
            void **slot = nullptr;
            EXPECT_EQ(st_find_or_add(table_, key, &slot), present ? 1 : 0);
            ASSERT_NE(slot, nullptr);
            EXPECT_EQ(val(*slot), present ? found->second : 0);
            *slot = rec(r);
            model_[k] = r;
            break;
        }
        case 3: {
            probed = false;
            const char *probe = probe_of(k);
            const char *stored = probe;
            void *out = nullptr;
            EXPECT_EQ(st_delete(table_, &stored, &out), present ? 1 : 0);
            if (present) {
                EXPECT_EQ(stored, key);
                EXPECT_EQ(val(out), found->second);
                model_.erase(found);
            }
            break;
        }
        case 4:
            probed = false;
            if (!present) {
                EXPECT_EQ(st_add_direct(table_, key, rec(r)), 1);
                model_[k] = r;
            }
            break;
        case 5:
            probed = false;
            if (pick(8) == 0)
                walk();
            else
                check_copy();
            break;
        default: {
            void *out = nullptr;
            void **slot = nullptr;
            if (pick(2)) {
                EXPECT_EQ(st_lookup(table_, probe_of(k), &out), present ? 1 : 0);
            } else {
                EXPECT_EQ(st_find(table_, probe_of(k), &slot), present ? 1 : 0);
                out = slot ? *slot : nullptr;
            }
            if (present) {
                EXPECT_EQ(val(out), found->second);
            }
            break;
        }
        }
        if (probed && present) {
            std::vector<const char *> expected = chain_before;
            if (table_->move_to_front) {
                expected.erase(std::find(expected.begin(), expected.end(), key));
                expected.insert(expected.begin(), key);
            }
            EXPECT_EQ(chain_with(key), expected);
        } else if (!present && model_.count(k)) {
            grow_model();
            EXPECT_EQ(chain_with(key).front(), key) << "a new entry heads its chain";
        }
        check();
    }

private:
    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }

    // The key stored for name k: the string itself, or the number k + 1 as a word.
    const char *key_of(size_t k) const {
        return shape_.string_keys ? names_[k].c_str() : reinterpret_cast<const char *>(static_cast<intptr_t>(k + 1));
    }
    // An equal key that is not the same pointer when keys are strings.
    const char *probe_of(size_t k) {
        if (!shape_.string_keys)
            return key_of(k);
        probe_ = names_[k];
        return probe_.c_str();
    }
    size_t index_of(const char *key) const {
        if (!shape_.string_keys)
            return static_cast<size_t>(reinterpret_cast<intptr_t>(key) - 1);
        return std::stoul(key + 4);
    }

    // Keys of one chain, head first; of all chains in bin order.
    static std::vector<const char *> chain(const st_table *t, int bin) {
        std::vector<const char *> keys;
        for (const st_table_entry *e = t->bins[bin]; e; e = e->next)
            keys.push_back(e->key);
        return keys;
    }
    static std::vector<const char *> bin_order(const st_table *t) {
        std::vector<const char *> keys;
        for (int b = 0; b < t->bin_count; ++b)
            for (const char *k : chain(t, b))
                keys.push_back(k);
        return keys;
    }
    // The chain that holds the stored key; empty when none does.
    std::vector<const char *> chain_with(const char *key) const {
        for (int b = 0; b < table_->bin_count; ++b) {
            std::vector<const char *> keys = chain(table_, b);
            if (std::find(keys.begin(), keys.end(), key) != keys.end())
                return keys;
        }
        return {};
    }

    // An entry was added: first the bins grew if the chains were long
    // enough on average, to the product truncated and made odd.
    void grow_model() {
        if ((static_cast<int>(model_.size()) - 1) / bins_ < table_->density_limit)
            return;
        const double want = bins_ * table_->growth;
        const int n = want < 1.0 ? 1 : static_cast<int>(want) | 1;
        bins_ = std::max(bins_, n);
    }

    // A walk answering by record: go on, delete, stop, or (once per entry)
    // anything else, which offers the same entry again.
    struct Walk {
        int code[5];
        std::vector<const char *> visited;
        std::set<intptr_t> offered_again;
    };
    static int answer(const char *key, void *record, void *arg) {
        auto *w = static_cast<Walk *>(arg);
        w->visited.push_back(key);
        int c = w->code[val(record) % 5];
        return c != 7 || w->offered_again.insert(val(record)).second ? c : ST_CONTINUE;
    }

    void walk() {
        const int codes[] = {ST_CONTINUE, ST_CONTINUE, ST_DELETE, ST_STOP, 7};
        Walk w{};
        for (int &c : w.code)
            c = codes[pick(5)];
        const std::vector<const char *> order = bin_order(table_);
        const int got = st_foreach(table_, answer, &w);
        std::vector<const char *> visited;
        int want = 1;
        for (const char *key : order) {
            auto it = model_.find(index_of(key));
            int c = w.code[it->second % 5];
            visited.push_back(key);
            if (c == 7) {
                visited.push_back(key);
                c = ST_CONTINUE;
            }
            if (c == ST_STOP) {
                want = 0;
                break;
            }
            if (c == ST_DELETE)
                model_.erase(it);
        }
        EXPECT_EQ(got, want);
        EXPECT_EQ(w.visited, visited);
    }

    // A copy has the same parameters and every chain reversed; its
    // generator gives each entry once, in bin order, and stays at the end.
    void check_copy() {
        st_table *c = st_copy(table_);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->entry_count, table_->entry_count);
        EXPECT_EQ(c->density_limit, table_->density_limit);
        EXPECT_EQ(c->growth, table_->growth);
        EXPECT_EQ(c->move_to_front, table_->move_to_front);
        for (int b = 0; b < c->bin_count; ++b) {
            std::vector<const char *> copied = chain(c, b);
            std::reverse(copied.begin(), copied.end());
            EXPECT_EQ(copied, chain(table_, b)) << b;
        }
        std::unordered_map<size_t, intptr_t> seen;
        std::vector<const char *> order;
        st_generator *g = st_init_gen(c);
        const char *key = nullptr;
        void *record = nullptr;
        while (st_gen(g, &key, &record)) {
            EXPECT_TRUE(seen.emplace(index_of(key), val(record)).second);
            order.push_back(key);
        }
        EXPECT_EQ(st_gen(g, &key, nullptr), 0);
        st_free_gen(g);
        EXPECT_EQ(seen, model_);
        EXPECT_EQ(order, bin_order(c));
        st_free_table(c);
    }

    void check() {
        ASSERT_EQ(table_->entry_count, static_cast<int>(model_.size()));
        ASSERT_EQ(table_->bin_count, bins_);
        int total = 0;
        for (int b = 0; b < table_->bin_count; ++b) {
            for (const st_table_entry *e = table_->bins[b]; e; e = e->next) {
                ++total;
                if (!shape_.string_keys) {
                    ASSERT_EQ(table_->hash(e->key, table_->bin_count), b);
                }
                auto it = model_.find(index_of(e->key));
                ASSERT_NE(it, model_.end());
                ASSERT_EQ(val(e->record), it->second);
            }
        }
        ASSERT_EQ(total, table_->entry_count);
        if (shape_.string_keys) {
            for (const auto &[k, r] : model_) {
                void *out = nullptr;
                ASSERT_EQ(st_lookup(table_, probe_of(k), &out), 1) << names_[k];
                ASSERT_EQ(val(out), r);
            }
        }
    }

    std::mt19937 rng_;
    Shape shape_;
    std::vector<std::string> names_;
    std::string probe_;
    std::unordered_map<size_t, intptr_t> model_;
    st_table *table_ = nullptr;
    int bins_ = 0; // what the bin count must be
    intptr_t next_record_ = 1;
};

TEST(StModelTest, RandomSequencesAgreeWithUnorderedMap) {
    const Shape shapes[] = {{strcmp, st_strhash, true}, {st_numcmp, st_numhash, false}, {st_ptrcmp, st_ptrhash, false}};
    for (const Shape &shape : shapes) {
        for (uint32_t seed = 1; seed <= 12; ++seed) {
            SCOPED_TRACE(seed);
            TableModel m(seed * 101, shape);
            for (int i = 0; i < 1500 && !testing::Test::HasFatalFailure(); ++i)
                m.step();
            if (testing::Test::HasFatalFailure())
                return;
        }
    }
}

} // namespace
