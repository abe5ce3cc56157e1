// STE: name tables keyed by a caller-chosen handle. Names are kept exactly
// (case and all) and numbered 1, 2, ... in order of first entry.
//
// The path tokenizer calls STE for every name of every path, so a hit must
// not allocate: keys are views into the table's own copies, which a deque
// never moves, and the table last used is remembered.
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

#include "../common/abi.h"
#include "kt/host.h"

namespace {

struct NameTable {
    std::deque<std::string> names; // index k is names[k - 1]
    std::unordered_map<std::string_view, int32_t> index;
};

struct Tables {
    std::unordered_map<int32_t, NameTable> by_handle; // nodes never move
    int32_t last_handle = 0;
    NameTable *last = nullptr;

    NameTable &get(int32_t handle) {
        if (last == nullptr || handle != last_handle) {
            last = &by_handle[handle];
            last_handle = handle;
        }
        return *last;
    }
};

Tables &tables() {
    static Tables t;
    return t;
}

} // namespace

extern "C" int32_t STE(const int32_t *table, const char *name, const int32_t *length, int32_t *index,
                       int32_t name_len) {
    (void)name_len;
    NameTable &t = tables().get(*table);
    std::string_view key(name, *length > 0 ? static_cast<size_t>(*length) : 0);
    auto it = t.index.find(key);
    if (it == t.index.end()) {
        t.names.emplace_back(key);
        it = t.index.emplace(t.names.back(), static_cast<int32_t>(t.names.size())).first;
    }
    *index = it->second;
    return it->second;
}

KT_FORTRAN_ALIAS(STE, ste_)
