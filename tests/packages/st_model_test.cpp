// Random insert, delete, lookup and walk sequences on symbol tables of
// various shapes, mirrored on a std::unordered_map. After every step the
// counts must agree, each entry of a number or pointer table must sit in the
// bin its hash names, and every key of a string table (which chooses bins
// its own way) must be found.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "kt/st.h"

namespace {

struct Shape {
    st_compare_func compare;
    st_hash_func hash;
    bool string_keys;
};

class TableModel {
public:
    TableModel(uint32_t seed, const Shape &shape) : rng_(seed), shape_(shape) {
        for (int i = 0; i < 300; ++i)
            names_.push_back("node" + std::to_string(i * 7919 % 1000));
        for (size_t i = 0; i < names_.size(); ++i)
            index_[names_[i].c_str()] = i;
        const double growths[] = {1.5, 2.0, 3.0};
        table_ = st_init_table_with_params(shape.compare, shape.hash, static_cast<int>(pick(20)),
                                           1 + static_cast<int>(pick(6)), growths[pick(3)], static_cast<int>(pick(2)));
        initial_bins_ = table_->bin_count;
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
            if (!present) {
                EXPECT_EQ(st_add_direct(table_, key, rec(r)), 1);
                model_[k] = r;
            }
            break;
        case 5:
            if (pick(8) == 0)
                delete_some();
            else
                check_copy();
            break;
        default: {
            void *out = nullptr;
            EXPECT_EQ(st_lookup(table_, probe_of(k), &out), present ? 1 : 0);
            if (present) {
                EXPECT_EQ(val(out), found->second);
            }
            break;
        }
        }
        check();
    }

private:
    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
    static void *rec(intptr_t v) { return reinterpret_cast<void *>(v); }
    static intptr_t val(const void *p) { return reinterpret_cast<intptr_t>(p); }

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
        auto it = index_.find(key);
        return it == index_.end() ? names_.size() : it->second;
    }

    static int delete_third(const char *, void *record, void *) {
        return reinterpret_cast<intptr_t>(record) % 3 == 0 ? ST_DELETE : ST_CONTINUE;
    }

    void delete_some() {
        EXPECT_EQ(st_foreach(table_, delete_third, nullptr), 1);
        for (auto it = model_.begin(); it != model_.end();)
            it = it->second % 3 == 0 ? model_.erase(it) : std::next(it);
    }

    void check_copy() {
        st_table *c = st_copy(table_);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->entry_count, table_->entry_count);
        std::unordered_map<size_t, intptr_t> seen;
        st_generator *g = st_init_gen(c);
        const char *key = nullptr;
        void *record = nullptr;
        while (st_gen(g, &key, &record))
            EXPECT_TRUE(seen.emplace(index_of(key), val(record)).second);
        st_free_gen(g);
        EXPECT_EQ(seen, model_);
        st_free_table(c);
    }

    void check() {
        ASSERT_EQ(table_->entry_count, static_cast<int>(model_.size()));
        if (table_->bin_count != initial_bins_) {
            ASSERT_EQ(table_->bin_count % 2, 1); // grown tables have odd bin counts
        }
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
    std::unordered_map<const char *, size_t> index_; // stored key -> name number
    std::string probe_;
    std::unordered_map<size_t, intptr_t> model_;
    st_table *table_ = nullptr;
    int initial_bins_ = 0;
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
