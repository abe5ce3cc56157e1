// Options of a channel: c_ipseto, c_ipgeto and c_ipgets. Only channels
// that are readable, writable or listening take option calls.
#include <algorithm>
#include <cstring>

#include "channel_table.h"
#include "kt/system.h"

namespace kt::system {
namespace {

enum Option : int32_t {
    kBlockSize = 1,
    kReadDescriptor = 2,
    kWriteDescriptor = 3,
    kNameLength = 4,
    kRemotePort = 5,
    kLocalPort = 6,
    kRole = 7,
    kTracing = 8,
    kMaxMessage = 10,
};

Channel *configurable(int32_t handle, int32_t &result) {
    Channel *c = channel(handle);
    result = !c ? kInvalid : !(c->flags & kConfigurable) ? kWrongState : 0;
    return result == 0 ? c : nullptr;
}

template <typename T> int32_t replace(T &field, T value) {
    T old = field;
    field = value;
    return old;
}

} // namespace
} // namespace kt::system

using namespace kt::system;

extern "C" {

int32_t c_ipseto(int32_t handle, int32_t option, int32_t value) {
    int32_t result;
    Channel *c = configurable(handle, result);
    if (!c)
        return result;
    switch (option) {
    case kBlockSize:
        // Frame sizes are multiples of the block size: it must be >= 1.
        return value >= 1 ? replace(c->block_size, value) : kInvalid;
    case kReadDescriptor:
        return replace(c->read_fd, value);
    case kWriteDescriptor:
        c->write_kind = WriteKind::Unknown;
        return replace(c->write_fd, value);
    case kTracing:
        return replace(c->flags, value != 0 ? c->flags | kTrace : c->flags & ~kTrace) & kTrace;
    case kMaxMessage:
        c->header_length = value <= kShortMaxMessage ? kShortHeader : kLongHeader;
        return replace(c->max_message, value);
    default:
        return kInvalid; // including 4..7, which cannot be set
    }
}

int32_t c_ipgeto(int32_t handle, int32_t option) {
    int32_t result;
    Channel *c = configurable(handle, result);
    if (!c)
        return result;
    switch (option) {
    case kBlockSize:
        return c->block_size;
    case kReadDescriptor:
        return c->read_fd;
    case kWriteDescriptor:
        return c->write_fd;
    case kNameLength:
        return c->name ? static_cast<int32_t>(std::strlen(c->name)) : 0;
    case kRemotePort:
        return c->remote_port;
    case kLocalPort:
        return c->local_port;
    case kRole:
        if (c->flags & kServer)
            return 1;
        if (c->flags & kClient)
            return 2;
        return c->flags & kPeer ? 3 : kInvalid;
    case kTracing:
        return c->flags & kTrace;
    case kMaxMessage:
        return c->max_message;
    default:
        return kInvalid;
    }
}

int32_t c_ipgets(int32_t handle, int32_t option, char *text, int32_t maxlen) {
    int32_t result;
    Channel *c = configurable(handle, result);
    if (!c)
        return result;
    if (option != kNameLength)
        return kInvalid;
    if (!c->name) {
        if (text && maxlen > 0)
            text[0] = '\0';
        return 0;
    }
    auto n = static_cast<int32_t>(std::strlen(c->name));
    if (text && maxlen > 0)
        std::memcpy(text, c->name, static_cast<size_t>(std::min(n, maxlen)));
    return n;
}

} // extern "C"
