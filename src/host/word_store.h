// The word store's allocator and its block tags, read by the store report.
// Only word_store.cpp changes them.
#ifndef KT_SRC_HOST_WORD_STORE_H
#define KT_SRC_HOST_WORD_STORE_H

#include "arena.h"
#include "block_tags.h"

namespace kt::host {

const Arena &store_arena();
const BlockTags &store_tags();
// Whether new blocks are being tagged (kt_host_store_tag_requesters).
bool store_tagging();

} // namespace kt::host

#endif
