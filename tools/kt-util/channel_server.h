// kt-util channel serve: an echo server for channel frames that no single
// client can stop, slow down for the others, or make grow without bound.
#ifndef KT_TOOLS_KT_UTIL_CHANNEL_SERVER_H
#define KT_TOOLS_KT_UTIL_CHANNEL_SERVER_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace ktutil {

struct ServerOptions {
    std::string listen = "127.0.0.1"; // the address listened on; 0.0.0.0: every interface
    int32_t port = 0;                 // 0: any free port
    int32_t block = 1;                // frames are padded to a multiple of it
    bool long_header = false;         // 5-byte header instead of 3
    int32_t connections = 0;          // end once this many have closed; 0: never
    int64_t max_frame = 1 << 20;      // largest frame length a client may declare
    double idle = 30;                 // seconds a connection may pass without traffic; 0: no limit
    int32_t max_connections = 1000;   // open at once; more are refused
};

// Serves until `connections` have closed (or forever): the exit status.
int serve(const ServerOptions &options);

// "type T, N bytes: text" when the payload is printable, else its first
// `shown` bytes in hex; the server's log and the client's replies use it.
std::string describe_frame(int32_t type, const std::string &payload, size_t shown = 64);

} // namespace ktutil

#endif
