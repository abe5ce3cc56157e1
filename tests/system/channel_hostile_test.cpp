// A hostile partner written with raw sockets: what a channel reads after
// an impossible or cut-short frame, and writes to a partner that has gone
// or reset. The channel must answer -7, never loop, never hang and never
// die of SIGPIPE. (Each kind of broken stream alone: fuzz/corpus/channel.)
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "system/channel_harness.h"

using namespace kt::test;

namespace {

int raw_connect(int32_t port) {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        close(s);
        return -1;
    }
    return s;
}

// The partner connects, sends `bytes` and closes (with a reset when asked).
pid_t raw_partner(int32_t port, const std::string &bytes, bool reset = false) {
    return fork_child([=] {
        int s = raw_connect(port);
        if (s < 0)
            return 1;
        if (!bytes.empty() && send(s, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
            return 2;
        if (reset) {
            linger lg{1, 0};
            setsockopt(s, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
        }
        close(s);
        return 0;
    });
}

std::string bytes(std::initializer_list<int> v) {
    std::string s;
    for (int b : v)
        s += static_cast<char>(b);
    return s;
}

struct Case {
    const char *what;
    std::string sent;
    // Expected results of successive reads (read_message) until the stream ends.
    std::vector<int32_t> reads;
};

TEST(ChannelHostile, BrokenStreams) {
    HangGuard guard;
    std::string valid = bytes({5, 0, 5, 'h', 'i'});
    const Case cases[] = {
        {"length 2 below the 3-byte header, then a valid frame", bytes({7, 0, 2}) + valid, {-7, 2, -7}},
        {"frame cut short after its header", bytes({7, 0, 103}) + std::string(10, 'x'), {-7, -7}},
        {"valid frame, then garbage", valid + bytes({1, 0, 1}), {2, -7, -7}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Listener server;
        pid_t pid = raw_partner(server.port, c.sent);
        int32_t h = c_ipocss(server.handle, kWaitSeconds);
        ASSERT_GE(h, 0);
        for (int32_t expected : c.reads)
            EXPECT_EQ(read_message(h).result, expected);
        c_ipclos(h);
        EXPECT_EQ(wait_child(pid), 0);
    }
}

// Writing to a partner that has gone fails with -7, and keeps failing;
// SIGPIPE would end this test process.
TEST(ChannelHostile, WritingToAPartnerThatHasGone) {
    HangGuard guard;
    std::string payload(30000, 'z');
    for (const char *gone : {"socket reset", "socket closed", "pipe reader closed"}) {
        SCOPED_TRACE(gone);
        Listener server;
        PipeChannel p;
        int32_t h = p.handle;
        if (gone[0] == 's') {
            // Gone before the accept: a reset connection has no peer name then.
            EXPECT_EQ(wait_child(raw_partner(server.port, "", gone[7] == 'r')), 0);
            h = c_ipocss(server.handle, kWaitSeconds);
            ASSERT_GE(h, 0);
        } else {
            close(p.out[0]);
            p.out[0] = -1;
        }
        int32_t result = 0;
        for (int i = 0; i < 1000 && result >= 0; ++i)
            result = send_text(h, 1, payload);
        EXPECT_EQ(result, -7);
        EXPECT_EQ(send_text(h, 1, payload), -7);
        if (h != p.handle)
            c_ipclos(h);
    }
    sigset_t pending;
    sigpending(&pending);
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
}

} // namespace
