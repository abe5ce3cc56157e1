// The host's socket operations: listening, connecting and accepting within
// a time-out, and closing, over IPv4 TCP.
//
// The listening socket is non-blocking so that a connection that goes away
// between the wake-up and accept() cannot block the caller; a connect is
// made non-blocking so that an address that never answers costs at most
// the time-out. Accepted and connected sockets are handed out blocking, as
// the channels expect.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>

#include "kt/host.h"

namespace {

constexpr int32_t kCreateFailed = -3, kTimedOut = -4;
constexpr double kConnectSeconds = 30.0;

void no_delay(int fd) {
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// Milliseconds left until `deadline`, rounded up; -1 when there is none.
int millis_left(bool limited, std::chrono::steady_clock::time_point deadline) {
    if (!limited)
        return -1;
    auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
        return 0;
    int64_t ms = (left.count() + 999) / 1000;
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

std::chrono::steady_clock::time_point deadline_after(double seconds) {
    // A billion seconds is no limit worth keeping.
    return std::chrono::steady_clock::now() +
           std::chrono::microseconds(static_cast<int64_t>(std::fmin(seconds, 1e9) * 1e6));
}

// The IPv4 address of a host name or dotted text; false when it has none.
bool resolve(const char *host, in_addr &out) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found)
        return false;
    out = reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

void set_blocking(int fd, bool blocking) {
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK);
}

// Connects fd to addr before the deadline: 0, or kCreateFailed, kTimedOut.
int32_t connect_within(int fd, const sockaddr_in &addr, bool limited, std::chrono::steady_clock::time_point deadline) {
    set_blocking(fd, false);
    if (connect(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0) {
        if (errno != EINPROGRESS && errno != EINTR)
            return kCreateFailed;
        // Interrupted or not, the connection goes on: wait for its outcome.
        for (;;) {
            int wait = millis_left(limited, deadline);
            if (wait == 0)
                return kTimedOut;
            pollfd p{fd, POLLOUT, 0};
            int r = poll(&p, 1, wait);
            if (r > 0)
                break;
            if (r < 0 && errno != EINTR)
                return kCreateFailed;
        }
        int err = 0;
        socklen_t len = sizeof err;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0)
            return kCreateFailed;
    }
    set_blocking(fd, true);
    return 0;
}

} // namespace

extern "C" {

int32_t c_sfcrsa(const char *address, int32_t *port) {
    if (!port || *port < 0 || *port > 65535)
        return kCreateFailed;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    if (address && *address && !resolve(address, addr.sin_addr))
        return kCreateFailed;
    addr.sin_port = htons(static_cast<uint16_t>(*port));
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return kCreateFailed;
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || listen(fd, SOMAXCONN) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len) != 0) {
        kt_io_close(fd);
        return kCreateFailed;
    }
    *port = ntohs(addr.sin_port);
    return fd;
}

int32_t c_sfcrs(int32_t *port) { return c_sfcrsa(nullptr, port); }

int32_t c_sfc2ht(const char *host, int32_t port, double timeout) {
    if (!host || port < 0 || port > 65535)
        return kCreateFailed;
    bool limited = timeout >= 0;
    auto deadline = deadline_after(timeout);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(*host ? host : "localhost", nullptr, &hints, &found) != 0)
        return kCreateFailed;
    int32_t result = kCreateFailed;
    for (addrinfo *a = found; a && result == kCreateFailed; a = a->ai_next) {
        int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            break;
        sockaddr_in addr;
        std::memcpy(&addr, a->ai_addr, sizeof addr);
        addr.sin_port = htons(static_cast<uint16_t>(port));
        result = connect_within(fd, addr, limited, deadline);
        if (result == 0) {
            no_delay(fd);
            result = fd;
        } else {
            kt_io_close(fd);
        }
    }
    freeaddrinfo(found);
    return result;
}

int32_t c_sfc2h(const char *host, int32_t port) {
    int32_t fd = c_sfc2ht(host, port, kConnectSeconds);
    return fd == kTimedOut ? kCreateFailed : fd;
}

int32_t c_sfacs(int32_t fd, double timeout) {
    if (fd < 0)
        return kCreateFailed;
    bool limited = timeout >= 0;
    auto deadline = deadline_after(timeout);
    for (;;) {
        int c = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (c >= 0) {
            no_delay(c);
            return c;
        }
        // A connection that was reset before we took it is not a failure
        // of the listening socket: wait for the next one.
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED)
            return kCreateFailed;
        pollfd p{fd, POLLIN, 0};
        int r = poll(&p, 1, millis_left(limited, deadline));
        if (r < 0 && errno != EINTR)
            return kCreateFailed;
        if (r > 0 && (p.revents & (POLLERR | POLLNVAL)))
            return kCreateFailed;
        if (r == 0 && millis_left(limited, deadline) == 0)
            return kTimedOut;
    }
}

int32_t c_sfclds(int32_t fd) {
    if (fd < 0)
        return -1;
    // Not retried on EINTR: Linux has released the descriptor already, and
    // a retry could close one that another thread has just been given.
    return kt_io_close(fd) == 0 || errno == EINTR ? 0 : -1;
}

} // extern "C"
