// Moving bytes through descriptors for the channels: whole amounts, with
// interrupted calls retried, and without SIGPIPE ever ending the process.
//
// Reads and writes wait on a non-blocking descriptor instead of failing, so
// a frame is never left half-sent or half-read by EAGAIN. A read that ends
// early (end of stream or failure) is reported by its short count and never
// retried as if it were progress. Every read, write and close goes through
// the host's guarded calls (kt_io_read, kt_io_writev, kt_io_close), so that
// tests can break the descriptor under any one of them.
#ifndef KT_SRC_SYSTEM_CHANNEL_IO_H
#define KT_SRC_SYSTEM_CHANNEL_IO_H

#include <sys/uio.h>

#include <cstdint>

namespace kt::system {

// What a write descriptor was found to be: sockets are sent to with
// MSG_NOSIGNAL; anything else is written with SIGPIPE blocked.
enum class WriteKind : int8_t { Unknown, Socket, Other };

// Reads n bytes; the count read, fewer when the stream ended or failed.
int64_t read_full(int fd, void *buf, int64_t n);
// Reads and throws away n bytes; false when the stream ended or failed first.
bool discard(int fd, int64_t n);
// Writes the parts one after the other, with one call as a rule (the parts
// are consumed); the count written, fewer than their sum when the write failed.
int64_t write_full(int fd, iovec *parts, int count, WriteKind &kind);
// Closes a descriptor. Not retried after EINTR: Linux has released the
// descriptor already, and a retry could close one another thread was given.
void close_descriptor(int fd);
// The poll() time-out for a wait of `seconds`: whole seconds and the
// microseconds of the rest, rounded up to milliseconds; -1 (no limit) for a
// negative or not-a-number value; capped at INT_MAX.
int poll_timeout(double seconds);

} // namespace kt::system

#endif
