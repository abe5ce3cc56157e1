// The host's socket operations: listening, connecting, accepting within a
// time-out and closing, over IPv4 TCP.
//
// The listening socket is non-blocking so that a connection that goes away
// between the wake-up and accept() cannot block the caller; accepted and
// connected sockets are blocking, as the channels expect.
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

} // namespace

extern "C" {

int32_t c_sfcrs(int32_t *port) {
    if (!port || *port < 0 || *port > 65535)
        return kCreateFailed;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return kCreateFailed;
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    addr.sin_port = htons(static_cast<uint16_t>(*port));
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || listen(fd, SOMAXCONN) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len) != 0) {
        close(fd);
        return kCreateFailed;
    }
    *port = ntohs(addr.sin_port);
    return fd;
}

int32_t c_sfc2h(const char *host, int32_t port) {
    if (!host || port < 0 || port > 65535)
        return kCreateFailed;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(*host ? host : "localhost", nullptr, &hints, &found) != 0)
        return kCreateFailed;
    int fd = -1;
    for (addrinfo *a = found; a && fd < 0; a = a->ai_next) {
        fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            break;
        sockaddr_in addr;
        std::memcpy(&addr, a->ai_addr, sizeof addr);
        addr.sin_port = htons(static_cast<uint16_t>(port));
        int r;
        do
            r = connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        while (r != 0 && errno == EINTR);
        if (r != 0) {
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    if (fd < 0)
        return kCreateFailed;
    no_delay(fd);
    return fd;
}

int32_t c_sfacs(int32_t fd, double timeout) {
    if (fd < 0)
        return kCreateFailed;
    bool limited = timeout >= 0;
    auto deadline = std::chrono::steady_clock::now();
    if (limited)
        deadline += std::chrono::microseconds(
            static_cast<int64_t>(std::fmin(timeout, 1e9) * 1e6)); // a billion seconds is no limit worth keeping
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
    return close(fd) == 0 || errno == EINTR ? 0 : -1;
}

} // extern "C"
