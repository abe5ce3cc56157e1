// The process-wide channel table: allocation of slots, copies of
// prototypes, and the record's name and buffer. All of its memory comes
// from the host's refusable heap, so a refusal shows as kNoMemory or false
// with the table as it was.
#include "channel_table.h"

#include <cstring>
#include <new>

#include "kt/host.h"

namespace kt::system {
namespace {

Channel **g_slots = nullptr;
int32_t g_count = 0;

constexpr int32_t kFirstSlots = 2;

// A fresh record, or null. Records are trivially destructible: freeing
// one is giving back its block.
Channel *new_record() {
    void *block = kt_host_alloc(sizeof(Channel));
    return block ? new (block) Channel : nullptr;
}

bool create_table() {
    auto **slots = static_cast<Channel **>(kt_host_calloc(kFirstSlots, sizeof(Channel *)));
    if (!slots)
        return false;
    for (int32_t i = 0; i < kFirstSlots; ++i) {
        slots[i] = new_record();
        if (!slots[i]) {
            for (int32_t j = 0; j < i; ++j)
                kt_host_free(slots[j]);
            kt_host_free(slots);
            return false;
        }
    }
    g_slots = slots;
    g_count = kFirstSlots;
    return true;
}

// One more slot with a fresh record: its index, or -1.
int32_t grow_table() {
    Channel *record = new_record();
    if (!record)
        return -1;
    auto **slots =
        static_cast<Channel **>(kt_host_realloc(g_slots, (static_cast<size_t>(g_count) + 1) * sizeof(Channel *)));
    if (!slots) {
        kt_host_free(record);
        return -1;
    }
    g_slots = slots;
    g_slots[g_count] = record;
    return g_count++;
}

char *copy_text(const char *text) {
    size_t n = std::strlen(text) + 1;
    auto *copy = static_cast<char *>(kt_host_alloc(n));
    if (copy)
        std::memcpy(copy, text, n);
    return copy;
}

} // namespace

Channel *channel(int32_t handle) { return handle >= 0 && handle < g_count ? g_slots[handle] : nullptr; }

int32_t channel_slot_count() { return g_count; }

void reinitialise(Channel &c) {
    kt_host_free(c.name);
    kt_host_free(c.buffer);
    c = Channel{};
}

int32_t allocate_channel() {
    if (g_count == 0 && !create_table())
        return kNoMemory;
    for (int32_t i = 0; i < g_count; ++i) {
        if (g_slots[i]->flags == 0) {
            reinitialise(*g_slots[i]);
            return i;
        }
    }
    int32_t slot = grow_table();
    return slot < 0 ? kNoMemory : slot;
}

int32_t open_from(int32_t prototype) {
    int32_t h = allocate_channel();
    if (h < 0)
        return h;
    const Channel &p = *g_slots[prototype];
    Channel &c = *g_slots[h];
    if (p.name && !(c.name = copy_text(p.name)))
        return kNoMemory; // flags still 0: the slot stays free
    c.remote_port = p.remote_port;
    c.local_port = p.local_port;
    c.read_fd = p.read_fd;
    c.write_fd = p.write_fd;
    c.header_length = p.header_length;
    // With the header length goes the limit that chose it, so that option
    // 10 of a connection tells how it frames.
    c.max_message = p.max_message;
    c.block_size = p.block_size;
    c.fill = p.fill;
    c.flags = p.flags;
    return h;
}

bool set_name(Channel &c, const char *text) {
    char *copy = copy_text(text);
    if (!copy)
        return false;
    kt_host_free(c.name);
    c.name = copy;
    return true;
}

bool ensure_capacity(Channel &c, int64_t bytes) {
    if (bytes <= c.capacity)
        return true;
    if (bytes > INT32_MAX)
        return false;
    auto *grown = static_cast<unsigned char *>(kt_host_realloc(c.buffer, static_cast<size_t>(bytes)));
    if (!grown)
        return false;
    c.buffer = grown;
    c.capacity = static_cast<int32_t>(bytes);
    return true;
}

int64_t frame_size(const Channel &c, int64_t length) { return padded_size(length, c.block_size); }

} // namespace kt::system
