// Frames on a channel: c_ipwrit sends one, c_ippeek reads the header block
// of the next one into the buffer, c_ipread delivers its payload.
//
// Frame: type byte, length L = header + payload big-endian in 2 or 4
// bytes, payload, padding to a multiple of the block size. A header whose
// L is below the header length (or negative) is refused and the stream is
// not read further for it. A frame is read header block first (one read
// as a rule), then straight into the caller's storage.
#include <sys/uio.h>

#include <algorithm>
#include <cstring>

#include "channel_table.h"
#include "channel_trace.h"
#include "channel_io.h"
#include "kt/system.h"

namespace kt::system {
namespace {

constexpr int32_t kCopiedPayload = 4096;

// Makes the header block of the next frame present in the buffer.
int32_t load_header(Channel &c) {
    if (c.fill > 0)
        return 0;
    if (c.read_broken)
        return kIoFailed;
    int64_t block = frame_size(c, c.header_length);
    if (!ensure_capacity(c, block))
        return kNoMemory;
    int64_t got = read_full(c.read_fd, c.buffer, block);
    if (got != block) {
        c.read_broken = got > 0;
        return kIoFailed;
    }
    int64_t length = read_frame_length(c.buffer, c.header_length);
    if (length < c.header_length)
        return kIoFailed;
    c.peeked = {c.buffer[0], static_cast<int32_t>(length - c.header_length), c.header_length, frame_size(c, length)};
    c.fill = static_cast<int32_t>(block);
    return 0;
}

// Drops a peeked frame: what of it is still in the stream is read and
// thrown away. When that fails the stream has ended, and the next peek says so.
void drop_peeked(Channel &c) {
    if (c.fill == 0)
        return;
    if (!discard(c.read_fd, c.peeked.bytes - c.fill))
        c.read_broken = true;
    c.fill = 0;
}

} // namespace
} // namespace kt::system

using namespace kt::system;

extern "C" {

int32_t c_ipwrit(int32_t handle, int32_t type, const void *data, int32_t len) {
    Channel *c = channel(handle);
    if (!c)
        return kInvalid;
    if (!(c->flags & kWritable))
        return kWrongState;
    if (len < 0 || (len > 0 && !data))
        return kInvalid;
    if (c->write_broken)
        return kIoFailed;
    if (tracing(*c)) {
        trace_event(*c, "ipwrit", handle, type);
        trace_bytes(data, len);
    }
    int64_t length = int64_t{c->header_length} + len;
    if (length > max_frame_length(c->header_length))
        return kTooLong;
    int64_t size = frame_size(*c, length);
    int64_t padding = size - length;
    // A small payload is copied behind the header so that the frame leaves
    // in one piece; a large one is sent from the caller's storage.
    bool copy = len <= kCopiedPayload;
    if (!ensure_capacity(*c, copy ? size : c->header_length + padding))
        return kNoMemory;
    drop_peeked(*c); // the buffer now carries this frame
    write_header(c->buffer, c->header_length, type, length);
    unsigned char *after = c->buffer + c->header_length;
    if (copy && len > 0)
        std::memcpy(after, data, static_cast<size_t>(len));
    unsigned char *pad = copy ? after + len : after;
    std::memset(pad, 0, static_cast<size_t>(padding)); // padding must not carry earlier traffic
    iovec parts[3] = {{c->buffer, static_cast<size_t>(copy ? size : c->header_length)},
                      {const_cast<void *>(data), copy ? 0 : static_cast<size_t>(len)},
                      {pad, copy ? 0 : static_cast<size_t>(padding)}};
    int64_t written = write_full(c->write_fd, parts, 3, c->write_kind);
    if (written == size)
        return len;
    c->write_broken = written > 0;
    return kIoFailed;
}

int32_t c_ippeek(int32_t handle, int32_t *type, int32_t *len) {
    Channel *c = channel(handle);
    if (!c)
        return kInvalid;
    if (!(c->flags & kReadable))
        return kWrongState;
    int32_t r = load_header(*c);
    if (r != 0)
        return r;
    const PeekedFrame &f = c->peeked;
    if (tracing(*c)) {
        trace_event(*c, "ippeek", handle, f.type);
        trace_bytes(c->buffer + f.header, std::min(f.payload, c->fill - f.header));
    }
    if (type)
        *type = f.type;
    if (len)
        *len = f.payload;
    return 0;
}

int32_t c_ipread(int32_t handle, int32_t *type, void *data, int32_t maxlen) {
    Channel *c = channel(handle);
    if (!c)
        return kInvalid;
    if (!(c->flags & kReadable))
        return kWrongState;
    int32_t trace = c->flags & kTrace, t = 0, payload = 0;
    c->flags &= ~kTrace;
    int32_t r = c_ippeek(handle, &t, &payload);
    c->flags |= trace;
    if (r != 0)
        return r;
    auto *out = static_cast<unsigned char *>(data);
    int64_t wanted = out ? std::clamp<int64_t>(maxlen, 0, payload) : 0;
    const PeekedFrame &f = c->peeked;
    int64_t in_buffer = c->fill - f.header;
    int64_t copied = std::min(wanted, in_buffer);
    if (copied > 0)
        std::memcpy(out, c->buffer + f.header, static_cast<size_t>(copied));
    int64_t rest = f.bytes - c->fill;
    bool ok = true;
    if (rest > 0) {
        int64_t direct = wanted - copied;
        if (direct > 0) {
            ok = read_full(c->read_fd, out + copied, direct) == direct;
            rest -= direct;
        }
        ok = ok && discard(c->read_fd, rest);
    }
    c->fill = 0;
    if (!ok) {
        c->read_broken = true;
        return kIoFailed;
    }
    if (tracing(*c)) {
        trace_event(*c, "ipread", handle, t);
        trace_bytes(out, wanted);
    }
    if (type)
        *type = t;
    return payload;
}

} // extern "C"
