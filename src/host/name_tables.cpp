// STE: name tables keyed by a caller-chosen handle. Names are kept exactly
// (case and all) and numbered 1, 2, ... in order of first entry.
#include <string>
#include <unordered_map>
#include <vector>

#include "../common/abi.h"
#include "kt/host.h"

namespace {

struct NameTable {
    std::unordered_map<std::string, int32_t> index;
};

std::unordered_map<int32_t, NameTable> &tables() {
    static std::unordered_map<int32_t, NameTable> t;
    return t;
}

} // namespace

extern "C" int32_t STE(const int32_t *table, const char *name, const int32_t *length, int32_t *index,
                       int32_t name_len) {
    (void)name_len;
    NameTable &t = tables()[*table];
    std::string key(name, *length > 0 ? static_cast<size_t>(*length) : 0);
    auto it = t.index.try_emplace(std::move(key), static_cast<int32_t>(t.index.size()) + 1).first;
    *index = it->second;
    return it->second;
}

KT_FORTRAN_ALIAS(STE, ste_)
