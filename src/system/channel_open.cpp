// Making and ending channels: prototypes (c_ipini), connections from them
// (c_ipocss accepts, c_ipoccs and c_ipocct connect, c_ipocp wraps two
// descriptors) and c_ipclos. A connection is open once its readable or
// writable flag is set; a failure leaves no half-made connection and no
// descriptor behind. No accept or connect waits without limit unless the
// caller asks for it: c_ipoccs gives up after kConnectSeconds.
#include <netinet/in.h>
#include <sys/socket.h>

#include "channel_table.h"
#include "channel_trace.h"
#include "channel_io.h"
#include "kt/host.h"
#include "kt/system.h"

namespace kt::system {
namespace {

constexpr int32_t kNameSize = 257;
constexpr double kConnectSeconds = 30.0;

// A prototype of the role, in none of the states in `refused`.
Channel *prototype(int32_t handle, int32_t role, int32_t refused, int32_t &result) {
    Channel *p = channel(handle);
    result = !p ? kInvalid : !(p->flags & role) || (p->flags & refused) ? kWrongState : 0;
    return result == 0 ? p : nullptr;
}

// A new connection on descriptor fd made from the prototype, or kNoMemory
// with fd closed.
int32_t connect_socket(int32_t handle, int32_t fd) {
    int32_t h = open_from(handle);
    if (h < 0) {
        c_sfclds(fd);
        return h;
    }
    Channel &c = *channel(h);
    c.flags = (c.flags & ~kListening) | kConnected;
    c.read_fd = c.write_fd = fd;
    return h;
}

} // namespace
} // namespace kt::system

using namespace kt::system;

extern "C" {

int32_t c_ipini(int32_t kind, int32_t *port) {
    int32_t h = allocate_channel();
    if (h < 0)
        return h;
    Channel &c = *channel(h);
    switch (kind) {
    case 1: {
        int32_t any = 0;
        int32_t *wanted = port ? port : &any;
        int32_t fd = c_sfcrs(wanted);
        if (fd < 0)
            return kNoServerSocket;
        c.read_fd = c.write_fd = fd;
        c.local_port = *wanted;
        c.flags = kServer | kListening;
        return h;
    }
    case 2:
        c.flags = kClient;
        return h;
    case 3:
        c.flags = kPeer;
        return h;
    default:
        return kInvalid; // flags 0: the slot stays free
    }
}

int32_t c_ipocss(int32_t handle, double timeout) {
    int32_t result;
    Channel *p = prototype(handle, kServer, kConnected, result);
    if (!p)
        return result;
    int32_t fd = c_sfacs(p->read_fd, timeout);
    if (fd == -4)
        return kTimedOut;
    if (fd < 0)
        return kNoConnection;
    int32_t h = connect_socket(handle, fd);
    if (h < 0)
        return h;
    channel(handle)->flags &= ~kListening;
    Channel &c = *channel(h);
    char name[kNameSize], addr[16];
    int32_t port = -1;
    if (c_gtpeer(fd, name, kNameSize, &port, addr, sizeof addr) == 0) {
        name[kNameSize - 1] = '\0';
        set_name(c, name); // the connection works without its peer's name
        c.remote_port = port;
    }
    return h;
}

int32_t c_ipocct(int32_t handle, const char *host, int32_t port, double timeout) {
    int32_t result;
    if (!prototype(handle, kClient, kConfigurable, result))
        return result;
    int32_t fd = c_sfc2ht(host, port, timeout);
    if (fd == -4)
        return kTimedOut;
    if (fd < 0)
        return kNoConnection;
    int32_t h = connect_socket(handle, fd);
    if (h < 0)
        return h;
    Channel &c = *channel(h);
    if (host)
        set_name(c, host);
    c.remote_port = port;
    sockaddr_in local{};
    socklen_t len = sizeof local;
    if (getsockname(fd, reinterpret_cast<sockaddr *>(&local), &len) == 0 && local.sin_family == AF_INET)
        c.local_port = ntohs(local.sin_port);
    return h;
}

int32_t c_ipoccs(int32_t handle, const char *host, int32_t port) {
    int32_t h = c_ipocct(handle, host, port, kConnectSeconds);
    return h == kTimedOut ? kNoConnection : h;
}

int32_t c_ipocp(int32_t handle, int32_t rfd, int32_t wfd) {
    int32_t result;
    if (!prototype(handle, kPeer, kConnected, result))
        return result;
    int32_t h = open_from(handle);
    if (h < 0)
        return h;
    Channel &c = *channel(h);
    c.read_fd = rfd;
    c.write_fd = wfd;
    c.flags |= (rfd != -1 ? kReadable : 0) | (wfd != -1 ? kWritable : 0);
    char name[kNameSize];
    if (c_gethnm(name, kNameSize) >= 0)
        set_name(c, name);
    c.remote_port = -1;
    return h;
}

int32_t c_ipclos(int32_t handle) {
    Channel *c = channel(handle);
    if (!c)
        return kInvalid;
    if (tracing(*c))
        trace_event(*c, "ipclos", handle, 0);
    if (c->flags & (kServer | kClient)) {
        if (c->read_fd != -1) {
            if (c->flags & kConnected)
                c_sfclds(c->read_fd);
            else
                close_descriptor(c->read_fd); // a listening prototype
        }
    } else if (c->flags & kPeer) {
        close_descriptor(c->read_fd);
        if (c->write_fd != c->read_fd)
            close_descriptor(c->write_fd);
    }
    reinitialise(*c);
    return 0;
}

} // extern "C"
