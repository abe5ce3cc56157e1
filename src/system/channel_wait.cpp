// Waiting on channels: c_ippend for input, c_ipavail for room to write,
// and kt_select. All waits use poll(), so a descriptor number is never put
// into a descriptor set it does not fit.
#include <poll.h>
#include <sys/select.h>

#include <cerrno>
#include <climits>
#include <memory>

#include "channel_table.h"
#include "channel_io.h"
#include "kt/host.h"
#include "kt/system.h"

namespace kt::system {
namespace {

constexpr short kInputReady = POLLIN | POLLHUP | POLLERR;

// A poll result as the channel codes read it.
int32_t wait_failure(int r) { return r == 0 || errno == EINTR ? kTimedOut : kIoFailed; }

// Poll entries for up to n descriptors: on the stack for the usual few.
class PollSet {
public:
    explicit PollSet(int64_t n) : fds_(n <= kLocal ? local_ : nullptr) {
        if (!fds_) {
            heap_.reset(static_cast<pollfd *>(kt_host_alloc(static_cast<size_t>(n) * sizeof(pollfd))));
            fds_ = heap_.get();
        }
    }
    bool ok() const { return fds_ != nullptr; }
    // Adds fd once; its entry.
    pollfd &add(int fd, short events) {
        for (int64_t i = 0; i < count_; ++i)
            if (fds_[i].fd == fd) {
                fds_[i].events |= events;
                return fds_[i];
            }
        fds_[count_] = pollfd{fd, events, 0};
        return fds_[count_++];
    }
    pollfd *find(int fd) {
        for (int64_t i = 0; i < count_; ++i)
            if (fds_[i].fd == fd)
                return &fds_[i];
        return nullptr;
    }
    int wait(int timeout_ms) { return poll(fds_, static_cast<nfds_t>(count_), timeout_ms); }
    bool any_invalid() const {
        for (int64_t i = 0; i < count_; ++i)
            if (fds_[i].revents & POLLNVAL)
                return true;
        return false;
    }
    pollfd *begin() { return fds_; }
    pollfd *end() { return fds_ + count_; }

private:
    static constexpr int64_t kLocal = 16;
    pollfd local_[kLocal];
    struct HostFree {
        void operator()(pollfd *p) const { kt_host_free(p); }
    };
    std::unique_ptr<pollfd, HostFree> heap_;
    pollfd *fds_;
    int64_t count_ = 0;
};

int select_timeout(const timeval *tv) {
    if (!tv)
        return -1;
    int64_t ms = int64_t{tv->tv_sec} * 1000 + (tv->tv_usec + 999) / 1000;
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

} // namespace
} // namespace kt::system

using namespace kt::system;

extern "C" {

int32_t c_ippend(const int32_t *handles, int32_t n, double timeout, int32_t *ready) {
    if (n < 0 || (n > 0 && (!handles || !ready)))
        return kInvalid;
    PollSet set(n);
    if (!set.ok())
        return kNoMemory;
    // A peeked message is input already at hand: do not wait for more.
    bool peeked = false;
    for (int32_t i = 0; i < n; ++i) {
        Channel *c = channel(handles[i]);
        if (!c)
            return kInvalid;
        if (!(c->flags & kWaitable))
            return kWrongState;
        set.add(c->read_fd, POLLIN);
        peeked = peeked || c->fill > 0;
    }
    int r = set.wait(peeked ? 0 : poll_timeout(timeout));
    if (r < 0)
        return wait_failure(r);
    if (set.any_invalid())
        return kIoFailed;
    for (int32_t i = 0; i < n; ++i) {
        const Channel *c = channel(handles[i]);
        if (c->fill > 0)
            set.find(c->read_fd)->revents |= POLLIN;
    }
    int32_t count = 0;
    for (const pollfd &p : set)
        count += (p.revents & kInputReady) ? 1 : 0;
    if (count == 0)
        return kTimedOut;
    for (int32_t i = 0; i < n; ++i)
        ready[i] = set.find(channel(handles[i])->read_fd)->revents & kInputReady ? 1 : 0;
    return count;
}

int32_t c_ipavail(int32_t handle, double timeout) {
    Channel *c = channel(handle);
    if (!c)
        return kInvalid;
    if (!(c->flags & kWritable))
        return kWrongState;
    pollfd p{c->write_fd, POLLOUT, 0};
    int r = poll(&p, 1, poll_timeout(timeout));
    if (r <= 0)
        return wait_failure(r);
    return p.revents & POLLNVAL ? kIoFailed : r;
}

int kt_select(int nfds, fd_set *readset, fd_set *writeset, fd_set *exceptset, struct timeval *timeout) {
    if (nfds < 0 || (timeout && (timeout->tv_sec < 0 || timeout->tv_usec < 0))) {
        errno = EINVAL;
        return -1;
    }
    if (nfds > FD_SETSIZE)
        nfds = FD_SETSIZE; // the sets hold no more
    PollSet set(nfds);
    if (!set.ok()) {
        errno = ENOMEM;
        return -1;
    }
    for (int fd = 0; fd < nfds; ++fd) {
        short events = 0;
        if (readset && FD_ISSET(fd, readset))
            events |= POLLIN;
        if (writeset && FD_ISSET(fd, writeset))
            events |= POLLOUT;
        if (exceptset && FD_ISSET(fd, exceptset))
            events |= POLLPRI;
        if (events)
            set.add(fd, events);
    }
    int r = set.wait(select_timeout(timeout));
    if (r < 0)
        return -1;
    if (set.any_invalid()) {
        errno = EBADF;
        return -1;
    }
    int count = 0;
    for (const pollfd &p : set) {
        bool in = (p.events & POLLIN) && (p.revents & kInputReady);
        bool out = (p.events & POLLOUT) && (p.revents & (POLLOUT | POLLERR));
        bool pri = (p.events & POLLPRI) && (p.revents & POLLPRI);
        if (readset && !in)
            FD_CLR(p.fd, readset);
        if (writeset && !out)
            FD_CLR(p.fd, writeset);
        if (exceptset && !pri)
            FD_CLR(p.fd, exceptset);
        count += in + out + pri;
    }
    return count;
}

} // extern "C"
