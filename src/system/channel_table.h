// The process-wide channel table and the channel record.
//
// A handle is an index into the table: valid when 0 <= handle < slot count.
// A slot is free when its record's flags are 0. The table starts with two
// slots, grows by one when no slot is free, and never shrinks; records are
// re-initialised, never freed. A record owns its name and buffer (heap).
//
// Receive state: fill is the number of bytes of the current incoming frame
// held in the buffer (0: nothing peeked); while fill > 0, `peeked` holds
// that frame's type, payload length, header length and size on the wire as
// they were when it was peeked, so that option changes before the read
// cannot make the reader lose its place in the stream. The buffer also serves sending,
// so a write drops a peeked frame: the rest of it is read and thrown away
// first, and the next read starts at the following frame.
//
// A read or write that fails after moving part of a frame leaves the
// stream out of step with the framing; that direction is then marked
// broken and refuses every later transfer with -7, so that no later frame
// is ever read from, or sent into, the middle of another.
#ifndef KT_SRC_SYSTEM_CHANNEL_TABLE_H
#define KT_SRC_SYSTEM_CHANNEL_TABLE_H

#include <cstdint>

#include "channel_framing.h"
#include "channel_io.h"

namespace kt::system {

enum ChannelFlag : int32_t {
    kServer = 1,
    kClient = 2,
    kPeer = 4,
    kReadable = 64,
    kWritable = 128,
    kListening = 256,
    kTrace = 1024,
};
constexpr int32_t kConnected = kReadable | kWritable;                 // 192
constexpr int32_t kWaitable = kReadable | kListening;                 // 320
constexpr int32_t kConfigurable = kReadable | kWritable | kListening; // 448

enum ChannelResult : int32_t {
    kNoMemory = -2,
    kNoServerSocket = -3,
    kNoConnection = -4,
    kTimedOut = -5,
    kWrongState = -6,
    kIoFailed = -7,
    kInvalid = -8,
    kTooLong = -9,
};

struct PeekedFrame {
    int32_t type = 0;
    int32_t payload = 0;
    int32_t header = 0;
    int64_t bytes = 0;
};

struct Channel {
    char *name = nullptr;
    unsigned char *buffer = nullptr;
    int32_t header_length = kShortHeader;
    int32_t max_message = kShortMaxMessage;
    int32_t block_size = 1;
    int32_t capacity = 0;
    int32_t fill = 0;
    int32_t flags = 0;
    int32_t remote_port = -1;
    int32_t local_port = -1;
    int32_t read_fd = -1;
    int32_t write_fd = -1;
    WriteKind write_kind = WriteKind::Unknown;
    PeekedFrame peeked;
    bool read_broken = false;
    bool write_broken = false;
};

// The record of a valid handle, or null.
Channel *channel(int32_t handle);
// A free slot, its record fresh: the handle, or kNoMemory.
int32_t allocate_channel();
// A new handle holding a copy of the prototype's name, ports, descriptors,
// header length and max message length, block size, fill and flags: the
// handle, or kNoMemory.
int32_t open_from(int32_t prototype);
// Frees name and buffer and gives every field its fresh value.
void reinitialise(Channel &c);
// Replaces the name with a copy of text; false when no memory (name kept).
bool set_name(Channel &c, const char *text);
// Grows the buffer to at least `bytes`; false when that is impossible.
bool ensure_capacity(Channel &c, int64_t bytes);
// Bytes on the wire of a frame of `length` bytes (header and payload).
int64_t frame_size(const Channel &c, int64_t length);
int32_t channel_slot_count();

} // namespace kt::system

#endif
