// Fuzzes the symbol tables with operation sequences read from the input,
// mirrored on a std::unordered_map, with allocation refusals mixed in.
// Byte 0 chooses the table's shape; then each operation is two bytes: an
// operation code and a key number.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "kt/st.h"
#include "packages/heap.h"

namespace {

const std::vector<std::string> &names() {
    static const std::vector<std::string> v = [] {
        std::vector<std::string> n;
        for (int i = 0; i < 256; ++i)
            n.push_back("k" + std::to_string(i * 37 % 256));
        return n;
    }();
    return v;
}

void check(bool ok) {
    if (!ok)
        std::abort();
}

struct Fixture {
    bool strings;
    std::unordered_map<int, intptr_t> model;
    st_table *t;

    const char *key(int k) const {
        return strings ? names()[static_cast<size_t>(k)].c_str()
                       : reinterpret_cast<const char *>(static_cast<intptr_t>(k) - 100);
    }
    int number(const char *key) const {
        if (!strings)
            return static_cast<int>(reinterpret_cast<intptr_t>(key) + 100);
        for (int k = 0; k < 256; ++k)
            if (names()[static_cast<size_t>(k)].c_str() == key)
                return k;
        std::abort();
    }

    void verify_all() const {
        int counted = 0;
        for (int b = 0; b < t->bin_count; ++b) {
            for (const st_table_entry *e = t->bins[b]; e; e = e->next) {
                ++counted;
                auto it = model.find(number(e->key));
                check(it != model.end() && reinterpret_cast<intptr_t>(e->record) == it->second);
            }
        }
        check(counted == t->entry_count && counted == static_cast<int>(model.size()));
    }
};

int delete_even(const char *, void *record, void *) {
    return reinterpret_cast<intptr_t>(record) % 2 ? ST_CONTINUE : ST_DELETE;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    const uint8_t shape = data[0];
    Fixture f{(shape & 1) != 0, {}, nullptr};
    st_compare_func cmp = f.strings ? strcmp : st_numcmp;
    st_hash_func hash = f.strings ? st_strhash : (shape & 2) ? st_ptrhash : st_numhash;
    f.t = st_init_table_with_params(cmp, hash, shape >> 4, (shape >> 2) & 3, 1.0 + (shape >> 6), (shape >> 3) & 1);
    check(f.t != nullptr);
    intptr_t next_record = 1;
    for (size_t i = 1; i + 1 < size; i += 2) {
        const int k = data[i + 1];
        const char *key = f.key(k);
        auto found = f.model.find(k);
        const bool present = found != f.model.end();
        const intptr_t r = next_record++;
        switch (data[i] % 9) {
        case 0:
        case 1: {
            int got = st_insert(f.t, key, reinterpret_cast<void *>(r));
            if (got != ST_OUT_OF_MEMORY) {
                check(got == (present ? 1 : 0));
                f.model[k] = r;
            } else {
                check(!present);
            }
            break;
        }
        case 2: {
            void **slot = nullptr;
            int got = st_find_or_add(f.t, key, &slot);
            if (got == ST_OUT_OF_MEMORY) {
                check(!present && !slot);
                break;
            }
            check(got == (present ? 1 : 0) && slot &&
                  reinterpret_cast<intptr_t>(*slot) == (present ? found->second : 0));
            *slot = reinterpret_cast<void *>(r);
            f.model[k] = r;
            break;
        }
        case 3: {
            const char *stored = key;
            void *record = nullptr;
            check(st_delete(f.t, &stored, &record) == (present ? 1 : 0));
            if (present) {
                check(stored == key && reinterpret_cast<intptr_t>(record) == found->second);
                f.model.erase(found);
            }
            break;
        }
        case 4: {
            void *record = nullptr;
            check(st_lookup(f.t, key, &record) == (present ? 1 : 0));
            check(!present || reinterpret_cast<intptr_t>(record) == found->second);
            break;
        }
        case 5:
            // Refuse the next one or two allocations.
            kt_packages_fail_alloc_after(k % 3, 1 + k % 2);
            break;
        case 6:
            check(st_foreach(f.t, delete_even, nullptr) == 1);
            for (auto it = f.model.begin(); it != f.model.end();)
                it = it->second % 2 ? std::next(it) : f.model.erase(it);
            break;
        case 7: {
            st_table *c = st_copy(f.t);
            if (c) {
                Fixture copy{f.strings, f.model, c};
                copy.verify_all();
                st_free_table(c);
            }
            break;
        }
        default: {
            st_generator *g = st_init_gen(f.t);
            if (!g)
                break;
            const char *gk = nullptr;
            void *gr = nullptr;
            size_t n = 0;
            while (st_gen(g, &gk, &gr)) {
                ++n;
                check(f.model.at(f.number(gk)) == reinterpret_cast<intptr_t>(gr));
            }
            check(n == f.model.size());
            st_free_gen(g);
            break;
        }
        }
        f.verify_all();
    }
    kt_packages_fail_alloc_after(-1, 0);
    st_free_table(f.t);
    return 0;
}
