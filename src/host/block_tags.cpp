#include "block_tags.h"

#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>

#include "arena.h"
#include "huge_map.h"

namespace kt::host {

void BlockTags::init() {
    if (tags_)
        return;
    void *p = map_huge_aligned(Arena::kReserveBytes / 8 * sizeof(uint16_t), PROT_READ | PROT_WRITE, MAP_NORESERVE);
    if (!p) {
        std::fprintf(stderr, "error 2012: cannot reserve the word store's tags\n");
        std::abort();
    }
    tags_ = static_cast<uint16_t *>(p);
}

uint16_t BlockTags::intern_text(const char *name, Slot &slot) {
    if (!names_)
        names_ = new Names;
    auto [it, added] = names_->by_text.try_emplace(name, static_cast<uint16_t>(names_->list.size()));
    if (added && names_->list.size() > UINT16_MAX)
        it->second = 0;
    else if (added)
        names_->list.emplace_back(name);
    slot = {name, it->second};
    return it->second;
}

const char *BlockTags::name(uint16_t tag) const {
    return names_ && tag < names_->list.size() ? names_->list[tag].c_str() : "?";
}

} // namespace kt::host
