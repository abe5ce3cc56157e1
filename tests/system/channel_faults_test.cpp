// Channel transfers with the k-th read, write or close failing, short or
// interrupted: the frames delivered are a prefix of those whose send was
// reported whole, byte for byte (all of them when short or interrupted).
// Writes to a partner that has gone; a connect that is never answered.
// (Impossible or cut-short frames: fuzz/corpus/channel.)
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <chrono>

#include "kt/host.h"
#include "system/channel_harness.h"

using namespace kt::test;

namespace {

using Sent = std::pair<int32_t, std::string>; // type, payload

// The middle frame is large (sent from the caller's storage) and its
// payload is made of valid frames, so that a reader that lost its place
// in it would deliver them instead of failing.
std::vector<Sent> frames() {
    std::string nested = "X";
    for (int i = 0; i < 1500; ++i)
        nested += std::string("\x01\x00\x04", 3) + "A";
    return {{7, "abc"}, {9, nested}, {3, "end"}};
}

struct Transfer {
    std::vector<Sent> written, delivered;
    size_t first_pass = 0; // frames delivered while the fault was armed
    int64_t made = 0;      // operations of the armed kinds
    bool released = true;  // both descriptors closed afterwards
};

// Sends every frame from one end, closes it, then reads the other end
// until it fails; a read or write fault is then disarmed and the reading
// goes on, so that a reader that lost its place would show it.
Transfer transfer(int32_t ops, int32_t after, int32_t how) {
    Transfer run;
    int s[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, s) != 0)
        return run;
    int32_t proto = c_ipini(3, nullptr), a = c_ipocp(proto, s[0], s[0]), b = c_ipocp(proto, s[1], s[1]);
    for (int32_t h : {a, b})
        c_ipseto(h, 1, 4);
    kt_host_fail_io_after(ops, after, how);
    for (const auto &[type, payload] : frames())
        if (send_text(a, type, payload) == static_cast<int32_t>(payload.size()))
            run.written.push_back({type, payload});
    c_ipclos(a);
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < frames().size() + 1; ++i) {
            std::string buf(8000, '\0');
            int32_t type = 0, n = c_ipread(b, &type, buf.data(), static_cast<int32_t>(buf.size()));
            if (n < 0)
                break;
            run.delivered.push_back({type, buf.substr(0, static_cast<size_t>(n))});
        }
        run.first_pass = pass == 0 ? run.delivered.size() : run.first_pass;
        if (pass == 0 && ops != KT_IO_CLOSE) {
            run.made = kt_host_io_count(ops);
            kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
        }
    }
    c_ipclos(b);
    c_ipclos(proto);
    if (ops == KT_IO_CLOSE)
        run.made = kt_host_io_count(ops);
    kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
    run.released = fcntl(s[0], F_GETFD) == -1 && fcntl(s[1], F_GETFD) == -1;
    return run;
}

TEST(ChannelFaults, EveryOperationOfEachKind) {
    HangGuard guard;
    const std::vector<Sent> all = frames();
    for (int32_t ops : {KT_IO_READ, KT_IO_WRITE, KT_IO_CLOSE}) {
        int64_t count = transfer(ops, -1, KT_IO_FAIL).made;
        ASSERT_GT(count, 0);
        for (int32_t how : {KT_IO_FAIL, KT_IO_SHORT, KT_IO_EINTR}) {
            for (int32_t k = 0; k <= count; ++k) {
                SCOPED_TRACE("ops " + std::to_string(ops) + " how " + std::to_string(how) + " k " + std::to_string(k));
                Transfer r = transfer(ops, k, how);
                EXPECT_TRUE(r.released);
                ASSERT_LE(r.delivered.size(), r.written.size());
                for (size_t i = 0; i < r.delivered.size(); ++i)
                    EXPECT_TRUE(r.delivered[i] == r.written[i]) << "frame " << i;
                if (how == KT_IO_FAIL && ops == KT_IO_WRITE) {
                    EXPECT_EQ(r.written.size(), std::min<size_t>(k, all.size())); // one write per frame
                }
                if (how == KT_IO_FAIL && ops == KT_IO_READ && k + 1 < count) { // the last read meets the end
                    EXPECT_LT(r.first_pass, all.size());
                }
                if (how != KT_IO_FAIL || ops == KT_IO_CLOSE) {
                    EXPECT_EQ(r.written.size(), all.size());
                    EXPECT_EQ(r.delivered.size(), all.size());
                }
            }
        }
    }
}

// A listening socket whose backlog is full drops further connection
// requests, so a connect to it never completes on its own.
TEST(ChannelFaults, ConnectGivesUpAtTheTimeOut) {
    HangGuard guard;
    Listener server;
    ASSERT_EQ(listen(c_ipgeto(server.handle, 2), 0), 0);
    int32_t proto = c_ipini(2, nullptr);
    int32_t first = c_ipocct(proto, "127.0.0.1", server.port, kWaitSeconds); // fills the backlog
    ASSERT_GE(first, 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(c_ipocct(proto, "127.0.0.1", server.port, 0.3), -5);
    double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(took, 0.29);
    EXPECT_LT(took, 5.0);
    EXPECT_EQ(c_sfc2ht("127.0.0.1", server.port, 0.05), -4);
    for (int32_t h : {first, proto})
        c_ipclos(h);
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
            int32_t client = connect_to(server.port);
            ASSERT_GE(client, 0);
            linger reset{1, 0};
            if (gone[7] == 'r')
                setsockopt(c_ipgeto(client, 2), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            c_ipclos(client);
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
