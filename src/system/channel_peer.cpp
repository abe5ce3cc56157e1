// c_gtpeer: the host name, dotted address and port at the other end of a
// descriptor. For a descriptor that is not a socket the local host stands
// in, with port -1.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "kt/system.h"

namespace {

constexpr int32_t kNameSize = 257;

// strncpy's contract: zero-filled when shorter, not terminated when cut.
void bounded_copy(char *dest, int32_t len, const char *text) {
    if (dest && len > 0)
        std::strncpy(dest, text, static_cast<size_t>(len));
}

// Official name and first IPv4 address of a host name.
bool look_up_name(const char *host, char *name, size_t name_size, char *addr, size_t addr_size) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_flags = AI_CANONNAME;
    addrinfo *found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found)
        return false;
    std::strncpy(name, found->ai_canonname ? found->ai_canonname : host, name_size - 1);
    name[name_size - 1] = '\0';
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in *>(found->ai_addr)->sin_addr, addr,
              static_cast<socklen_t>(addr_size));
    freeaddrinfo(found);
    return true;
}

} // namespace

extern "C" {

int32_t c_gtpeer(int32_t fd, char *name, int32_t namelen, int32_t *port, char *addr, int32_t addrlen) {
    errno = 0;
    sockaddr_storage peer{};
    socklen_t len = sizeof peer;
    int r = getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &len);
    if (r != 0 && errno != ENOTSOCK && errno != EBADF)
        return 1;
    char host[NI_MAXHOST] = "", dotted[INET_ADDRSTRLEN] = "", local[kNameSize] = "";
    bool found = false;
    if (r == 0 && peer.ss_family == AF_INET) {
        const auto *in = reinterpret_cast<const sockaddr_in *>(&peer);
        if (port)
            *port = ntohs(in->sin_port);
        found = getnameinfo(reinterpret_cast<const sockaddr *>(in), sizeof *in, host, sizeof host, nullptr, 0,
                            NI_NAMEREQD) == 0;
        if (found)
            inet_ntop(AF_INET, &in->sin_addr, dotted, sizeof dotted);
    } else {
        if (port)
            *port = -1;
        if (c_gethnm(local, kNameSize) >= 0)
            found = look_up_name(local, host, sizeof host, dotted, sizeof dotted);
    }
    bounded_copy(name, namelen, found ? host : local);
    bounded_copy(addr, addrlen, found ? dotted : "");
    return 0;
}

} // extern "C"
