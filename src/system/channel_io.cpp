// Whole reads and writes on descriptors for the channels.
#include "channel_io.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <ctime>

#include "kt/host.h"

namespace kt::system {
namespace {

constexpr int64_t kMaxTransfer = int64_t{1} << 30;
constexpr int64_t kDiscardChunk = 16384;

// Waits without limit until fd is ready for `events`; false when it never will be.
bool wait_ready(int fd, short events) {
    pollfd p{fd, events, 0};
    int r;
    do
        r = poll(&p, 1, -1);
    while (r < 0 && errno == EINTR);
    return r > 0 && !(p.revents & POLLNVAL);
}

bool would_block(int err) { return err == EAGAIN || err == EWOULDBLOCK; }

int64_t write_loop(int fd, iovec *parts, int count, bool socket) {
    int64_t done = 0;
    while (count > 0) {
        if (parts->iov_len == 0) {
            ++parts;
            --count;
            continue;
        }
        int64_t r = kt_io_writev(fd, parts, count, socket ? MSG_NOSIGNAL : 0);
        if (r > 0) {
            done += r;
            for (auto left = static_cast<size_t>(r); left > 0;) {
                size_t step = std::min(left, parts->iov_len);
                parts->iov_base = static_cast<char *>(parts->iov_base) + step;
                parts->iov_len -= step;
                left -= step;
                if (parts->iov_len == 0 && left > 0) {
                    ++parts;
                    --count;
                }
            }
            continue;
        }
        if (r < 0 && errno == EINTR) {
            errno = 0;
            continue;
        }
        if (r < 0 && would_block(errno) && wait_ready(fd, POLLOUT))
            continue;
        break;
    }
    return done;
}

// Blocks SIGPIPE for the calling thread while alive, and swallows a SIGPIPE
// that a failed write raised meanwhile.
class SigpipeBlocked {
public:
    SigpipeBlocked() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
        sigset_t pending;
        sigpending(&pending);
        was_pending_ = sigismember(&pending, SIGPIPE) == 1;
    }
    ~SigpipeBlocked() {
        int saved = errno;
        sigset_t pending;
        sigpending(&pending);
        if (!was_pending_ && sigismember(&pending, SIGPIPE) == 1) {
            timespec zero{0, 0};
            sigtimedwait(&pipe_, nullptr, &zero);
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
        errno = saved;
    }
    SigpipeBlocked(const SigpipeBlocked &) = delete;
    SigpipeBlocked &operator=(const SigpipeBlocked &) = delete;

private:
    sigset_t pipe_, old_;
    bool was_pending_ = false;
};

} // namespace

int64_t read_full(int fd, void *buf, int64_t n) {
    auto *p = static_cast<char *>(buf);
    int64_t done = 0;
    while (done < n) {
        int64_t r = kt_io_read(fd, p + done, std::min(n - done, kMaxTransfer));
        if (r > 0) {
            done += r;
            continue;
        }
        if (r < 0 && errno == EINTR) {
            errno = 0;
            continue;
        }
        if (r < 0 && would_block(errno) && wait_ready(fd, POLLIN))
            continue;
        break; // end of stream or failure
    }
    return done;
}

bool discard(int fd, int64_t n) {
    char scratch[kDiscardChunk];
    while (n > 0) {
        int64_t chunk = std::min(n, kDiscardChunk);
        if (read_full(fd, scratch, chunk) != chunk)
            return false;
        n -= chunk;
    }
    return true;
}

int64_t write_full(int fd, iovec *parts, int count, WriteKind &kind) {
    if (kind != WriteKind::Other) {
        errno = 0;
        int64_t done = write_loop(fd, parts, count, true);
        if (done > 0 || errno != ENOTSOCK) {
            if (done > 0)
                kind = WriteKind::Socket;
            return done;
        }
        kind = WriteKind::Other;
    }
    SigpipeBlocked guard;
    return write_loop(fd, parts, count, false);
}

void close_descriptor(int fd) {
    if (fd >= 0)
        kt_io_close(fd);
}

int poll_timeout(double seconds) {
    if (!(seconds >= 0))
        return -1;
    if (seconds >= INT_MAX / 1000)
        return INT_MAX;
    double whole = std::trunc(seconds);
    int64_t micros = static_cast<int64_t>((seconds - whole) * 1e6);
    int64_t ms = static_cast<int64_t>(whole) * 1000 + (micros + 999) / 1000;
    return static_cast<int>(std::min<int64_t>(ms, INT_MAX));
}

} // namespace kt::system
