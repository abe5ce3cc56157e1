// STE: name tables keyed by a caller-chosen handle. Names are kept exactly
// (case and all) and numbered 1, 2, ... in order of first entry.
//
// The path tokenizer calls STE for every name of every path, so a lookup
// is one hash of the name and a probe or two: an open-addressed slot array
// (a power of two, at most half full, so that probe runs stay short) holds
// each name's hash and index, and the name itself when it is short, as most
// are; longer names lie back to back in one character buffer. A hit
// allocates nothing, and the table last used is remembered. Memory comes
// through the refusable heap; a refused entry leaves the table as it was,
// is reported (2012) and gives index 0, which no name has.
#include <cstring>
#include <string>
#include <string_view>
#include <new>
#include <unordered_map>
#include <vector>

#include "common/fortran_alias.h"
#include "host/hook_allocator.h"
#include "errors.h"
#include "kt/host.h"

namespace {

template <typename T> T load(const char *p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

constexpr uint64_t kMul = 0x9E3779B97F4A7C15u;
constexpr size_t kShortest = 7; // names up to this long live in their slot
constexpr uint64_t kLongName = uint64_t{0xFF} << 56, kPlace = (uint64_t{1} << 56) - 1;

// A short name as one word: its bytes, zero-padded, and its length in the
// top byte, so that equal words mean equal names. Fixed-size loads (which
// may overlap) touch nothing outside the name.
[[gnu::always_inline]] inline uint64_t short_key(const char *p, size_t n) {
    uint64_t bytes = 0;
    if (n >= 4)
        bytes = load<uint32_t>(p) | uint64_t{load<uint32_t>(p + n - 4)} << (8 * (n - 4));
    else if (n > 0)
        bytes = static_cast<unsigned char>(p[0]) | uint64_t{static_cast<unsigned char>(p[n / 2])} << (8 * (n / 2)) |
                uint64_t{static_cast<unsigned char>(p[n - 1])} << (8 * (n - 1));
    return bytes | uint64_t{n} << 56;
}

// The high half of a product by kMul, where every bit of the word counts;
// its top bits pick the slot.
uint32_t high_half(uint64_t h) { return static_cast<uint32_t>(h >> 32); }

uint32_t long_hash(std::string_view s) {
    uint64_t h = s.size() * kMul;
    size_t i = 0;
    for (; i + 8 <= s.size(); i += 8)
        h = (h ^ load<uint64_t>(s.data() + i)) * kMul;
    if (i < s.size())
        h = (h ^ load<uint64_t>(s.data() + s.size() - 8)) * kMul; // overlaps the word before
    return high_half(h);
}

class NameTable {
public:
    // The index of a short name, 0 when it is not in the table; a leaf that
    // allocates nothing, for the usual call.
    [[gnu::always_inline]] int32_t find_short(std::string_view name) const { return probe_short(name).index; }

    int32_t enter(std::string_view name) {
        Probe p = probe(name);
        return p.index != 0 ? p.index : add(name, p.hash, p.key, p.slot);
    }

private:
    // A name's hash and index, and either the name itself (short_key) or
    // kLongName with the place in chars_ where it is kept as its length
    // (4 bytes) and its bytes. A lookup of a short name reads its slot and
    // nothing else.
    struct Slot {
        uint32_t hash;
        int32_t index; // 0: free
        uint64_t key;
    };

    // Where a name is, or the free slot where it would go (index 0).
    struct Probe {
        uint64_t key;
        uint32_t hash;
        int32_t index;
        size_t slot;
    };

    template <typename Same> [[gnu::always_inline]] Probe probe(uint64_t key, uint32_t hash, Same same) const {
        for (size_t i = hash >> shift_;; i = (i + 1) & mask_) {
            const Slot &slot = slots_[i];
            if (slot.index == 0 || (slot.hash == hash && same(slot.key)))
                return {key, hash, slot.index, i};
        }
    }

    [[gnu::always_inline]] Probe probe_short(std::string_view name) const {
        const uint64_t key = short_key(name.data(), name.size());
        return probe(key, high_half(key * kMul), [key](uint64_t kept) { return kept == key; });
    }

    Probe probe(std::string_view name) const {
        if (name.size() <= kShortest)
            return probe_short(name);
        return probe(0, long_hash(name), [this, name](uint64_t kept) { return is_long_name(kept, name); });
    }

    bool is_long_name(uint64_t key, std::string_view name) const {
        if ((key & ~kPlace) != kLongName)
            return false;
        const char *kept = chars_.data() + (key & kPlace);
        return load<uint32_t>(kept) == name.size() && std::memcmp(kept + 4, name.data(), name.size()) == 0;
    }

    // Room is made before anything changes, so a refusal leaves the table
    // as it was.
    int32_t add(std::string_view name, uint32_t hash, uint64_t key, size_t free_slot) {
        if (2 * (static_cast<size_t>(count_) + 1) > mask_) {
            grow();
            return enter(name);
        }
        if (name.size() > kShortest) {
            chars_.reserve(chars_.size() + sizeof(uint32_t) + name.size());
            key = kLongName | chars_.size();
            uint32_t length = static_cast<uint32_t>(name.size());
            chars_.append(reinterpret_cast<const char *>(&length), sizeof length);
            chars_.append(name);
        }
        slots_[free_slot] = {hash, ++count_, key};
        return count_;
    }

    void grow() {
        kt::HookVector<Slot> old(2 * slots_.size(), Slot{});
        old.swap(slots_);
        mask_ = slots_.size() - 1;
        --shift_;
        for (const Slot &s : old) {
            if (s.index == 0)
                continue;
            size_t i = s.hash >> shift_;
            while (slots_[i].index != 0)
                i = (i + 1) & mask_;
            slots_[i] = s;
        }
    }

    kt::HookString chars_; // the long names, each after its length
    kt::HookVector<Slot> slots_ = kt::HookVector<Slot>(16, Slot{});
    size_t mask_ = 15;
    int shift_ = 28; // 32 - log2 of the number of slots
    int32_t count_ = 0;
};

// The table last used, apart from the map, so that the usual call reads two
// plain words and no guard of a function's static.
NameTable *g_last = nullptr;
int32_t g_last_handle = 0;

struct Tables {
    using Map = std::unordered_map<int32_t, NameTable, std::hash<int32_t>, std::equal_to<int32_t>,
                                   kt::HookAllocator<std::pair<const int32_t, NameTable>>>;
    Map by_handle; // nodes never move

    ~Tables() { g_last = nullptr; }

    NameTable &get(int32_t handle) {
        if (g_last == nullptr || handle != g_last_handle) {
            g_last = &by_handle[handle];
            g_last_handle = handle;
        }
        return *g_last;
    }
};

Tables &tables() {
    static Tables t;
    return t;
}

// Every call that is not a hit in the table last used: another table, a
// new name, the first call.
[[gnu::noinline]] int32_t enter_name(int32_t table, std::string_view name) {
    try {
        return tables().get(table).enter(name);
    } catch (const std::bad_alloc &) {
        kt::host::raise_error(2012, KT_NO_MEMORY_TEXT, "");
        return 0;
    }
}

} // namespace

extern "C" int32_t STE(const int32_t *table, const char *name, const int32_t *length, int32_t *index,
                       int32_t name_len) {
    (void)name_len;
    std::string_view key(name, *length > 0 ? static_cast<size_t>(*length) : 0);
    int32_t found = 0;
    if (const NameTable *last = g_last; last != nullptr && *table == g_last_handle && key.size() <= kShortest)
        found = last->find_short(key);
    *index = found != 0 ? found : enter_name(*table, key);
    return *index;
}

KT_FORTRAN_ALIAS(STE, ste_);
