// Block tags: the entry that asked for each live word-store block.
//
// One 16-bit tag per 8 bytes of the arena, at payload offset / 8, so that
// tagging a new block is one store and a freed block needs no clearing:
// only the tags of live payloads are ever read. The table is reserved with
// the arena and its pages are touched only where blocks start.
//
// A tag numbers a requester's name. Names are static strings, looked up by
// address in a small direct-mapped cache, and by text on a miss, so that
// names equal in text share one tag whichever library holds them. Tag 0
// is "?", shared by every name beyond the 65535th.
#ifndef KT_SRC_HOST_BLOCK_TAGS_H
#define KT_SRC_HOST_BLOCK_TAGS_H

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace kt::host {

class BlockTags {
public:
    // Reserves the table; aborts the process when that fails, as the arena does.
    void init();

    void set(uint32_t payload, uint16_t tag) { tags_[payload / 8] = tag; }
    uint16_t get(uint32_t payload) const { return tags_[payload / 8]; }

    // The tag of a name; the same name (by text) always gets the same tag.
    uint16_t intern(const char *name) {
        Slot &slot = cache_[(reinterpret_cast<uintptr_t>(name) >> 2) % kCacheSlots];
        return slot.name == name ? slot.tag : intern_text(name, slot);
    }
    // "?" for tag 0 and for a tag never handed out.
    const char *name(uint16_t tag) const;

private:
    static constexpr int kCacheSlots = 64;
    struct Slot {
        const char *name = nullptr;
        uint16_t tag = 0;
    };
    uint16_t intern_text(const char *name, Slot &slot);

    // Made on first use and never destroyed, so that the store can be used
    // and reported on before and after static construction and destruction;
    // the class itself needs no constructor to run.
    struct Names {
        std::vector<std::string> list{"?"};
        std::unordered_map<std::string, uint16_t> by_text;
    };

    uint16_t *tags_ = nullptr;
    Slot cache_[kCacheSlots];
    Names *names_ = nullptr;
};

} // namespace kt::host

#endif
