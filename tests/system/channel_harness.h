// Channel test helpers: a hang guard, loopback and pipe channels, reads.
#ifndef KT_TESTS_SYSTEM_CHANNEL_HARNESS_H
#define KT_TESTS_SYSTEM_CHANNEL_HARNESS_H

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "kt/system.h"

namespace kt::test {

constexpr double kWaitSeconds = 10.0;

// Ends the test process should a test block for a minute: a hang must fail.
struct HangGuard {
    HangGuard() { alarm(60); }
    ~HangGuard() { alarm(0); }
};

// A listening server prototype on a free port.
struct Listener {
    int32_t port = 0;
    int32_t handle = c_ipini(1, &port);
    ~Listener() { c_ipclos(handle); } // a refused close of a failed start changes nothing
};

// A client connection to 127.0.0.1:port (the prototype is closed again).
inline int32_t connect_to(int32_t port) {
    int32_t proto = c_ipini(2, nullptr);
    int32_t h = c_ipoccs(proto, "127.0.0.1", port);
    c_ipclos(proto);
    return h;
}

struct Message {
    int32_t result = 0; // c_ipread's result, or the failing wait's or peek's
    int32_t type = -1;
    std::string payload;
};

// Reads one message after waiting for it at most `seconds`.
inline Message read_message(int32_t h, double seconds = kWaitSeconds) {
    Message m;
    int32_t ready = 0, len = 0;
    m.result = c_ippend(&h, 1, seconds, &ready);
    if (m.result > 0)
        m.result = c_ippeek(h, nullptr, &len);
    if (m.result != 0)
        return m;
    m.payload.resize(static_cast<size_t>(len));
    m.result = c_ipread(h, &m.type, m.payload.data(), len);
    return m;
}

inline int32_t send_text(int32_t h, int32_t type, const std::string &text) {
    return c_ipwrit(h, type, text.data(), static_cast<int32_t>(text.size()));
}

// Sets the block size and header length of a channel.
inline void set_framing(int32_t h, int32_t block, bool long_header) {
    c_ipseto(h, 1, block);
    c_ipseto(h, 10, long_header ? 40000 : 32764);
}

// A peer channel over two pipes whose other ends the test holds.
struct PipeChannel {
    int in[2] = {-1, -1};  // the channel reads in[0]; the test writes in[1]
    int out[2] = {-1, -1}; // the channel writes out[1]; the test reads out[0]
    int32_t proto = -1, handle = -1;
    PipeChannel() {
        if (pipe(in) != 0 || pipe(out) != 0)
            return;
        proto = c_ipini(3, nullptr);
        handle = c_ipocp(proto, in[0], out[1]);
    }
    ~PipeChannel() {
        if (handle >= 0)
            c_ipclos(handle); // closes in[0] and out[1]
        else {
            close(in[0]);
            close(out[1]);
        }
        c_ipclos(proto);
        close(in[1]);
        close(out[0]);
    }
    // The bytes the channel has written so far (what is in the pipe).
    std::string written() const {
        std::string s;
        int flags = fcntl(out[0], F_GETFL);
        fcntl(out[0], F_SETFL, flags | O_NONBLOCK);
        char buf[4096];
        ssize_t n;
        while ((n = read(out[0], buf, sizeof buf)) > 0)
            s.append(buf, static_cast<size_t>(n));
        fcntl(out[0], F_SETFL, flags);
        return s;
    }
    void feed(const std::string &bytes) const {
        ssize_t n = write(in[1], bytes.data(), bytes.size());
        (void)n;
    }
};

} // namespace kt::test

#endif
