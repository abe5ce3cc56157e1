// STE: name tables keyed by a caller-chosen handle. Names are kept exactly
// (case and all) and numbered 1, 2, ... in order of first entry.
//
// The path tokenizer calls STE for every name of every path, so a lookup
// is one hash of the name and a probe or two: an open-addressed slot array
// (a power of two, at most three quarters full) holds each name's hash,
// index and place in one character buffer where the names lie back to
// back, each after its length. A hit allocates nothing, and the table last
// used is remembered.
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "../common/abi.h"
#include "kt/host.h"

namespace {

template <typename T> T load(const char *p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The bytes of a name as one word, read with fixed-size loads (which may
// overlap) so that nothing outside the name is touched; names of the same
// length give different words when their bytes differ.
uint64_t tail_word(const char *p, size_t n) { // n <= 8
    if (n >= 4)
        return load<uint32_t>(p) | uint64_t{load<uint32_t>(p + n - 4)} << 32;
    if (n > 0)
        return static_cast<unsigned char>(p[0]) | uint64_t{static_cast<unsigned char>(p[n / 2])} << 8 |
               uint64_t{static_cast<unsigned char>(p[n - 1])} << 16;
    return 0;
}

// A word at a time; the last step folds the high half of the product,
// where every byte counts, into the bits that pick the slot.
uint32_t hash_name(std::string_view s) {
    constexpr uint64_t kMul = 0x9E3779B97F4A7C15u;
    uint64_t h = s.size() * kMul;
    size_t i = 0;
    for (; i + 8 < s.size(); i += 8)
        h = (h ^ load<uint64_t>(s.data() + i)) * kMul;
    h = (h ^ tail_word(s.data() + i, s.size() - i)) * kMul;
    h = (h ^ (h >> 32)) * kMul;
    return static_cast<uint32_t>(h >> 32);
}

class NameTable {
  public:
    int32_t enter(std::string_view name) {
        uint32_t hash = hash_name(name);
        for (size_t i = hash & mask_;; i = (i + 1) & mask_) {
            const Slot &slot = slots_[i];
            if (slot.index == 0)
                return add(name, hash, i);
            if (slot.hash == hash && is_name(slot.offset, name))
                return slot.index;
        }
    }

  private:
    // A name's hash, its index and where it is kept: a lookup reads the
    // slot and the kept name, nothing else.
    struct Slot {
        uint32_t hash;
        int32_t index; // 0: free
        size_t offset;
    };

    // A name is kept as its length (4 bytes) and its bytes. Names are
    // short and a matching hash nearly always means the same name, so a
    // plain loop beats a call to memcmp.
    bool is_name(size_t offset, std::string_view name) const {
        const char *kept = chars_.data() + offset;
        if (load<uint32_t>(kept) != name.size())
            return false;
        for (size_t i = 0; i < name.size(); ++i)
            if (kept[4 + i] != name[i])
                return false;
        return true;
    }

    int32_t add(std::string_view name, uint32_t hash, size_t free_slot) {
        uint32_t length = static_cast<uint32_t>(name.size());
        slots_[free_slot] = {hash, ++count_, chars_.size()};
        chars_.append(reinterpret_cast<const char *>(&length), sizeof length);
        chars_.append(name);
        if (4 * static_cast<size_t>(count_) > 3 * mask_)
            grow();
        return count_;
    }

    void grow() {
        std::vector<Slot> old(2 * slots_.size(), Slot{});
        old.swap(slots_);
        mask_ = slots_.size() - 1;
        for (const Slot &s : old) {
            if (s.index == 0)
                continue;
            size_t i = s.hash & mask_;
            while (slots_[i].index != 0)
                i = (i + 1) & mask_;
            slots_[i] = s;
        }
    }

    std::string chars_; // every name after its length, back to back
    std::vector<Slot> slots_ = std::vector<Slot>(16, Slot{});
    size_t mask_ = 15;
    int32_t count_ = 0;
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
    std::string_view key(name, *length > 0 ? static_cast<size_t>(*length) : 0);
    *index = tables().get(*table).enter(key);
    return *index;
}

KT_FORTRAN_ALIAS(STE, ste_)
