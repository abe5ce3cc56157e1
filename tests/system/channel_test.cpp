// Channels over loopback and peer channels over pipes: framing, peeks,
// truncation, waits, options, state errors and tracing.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/socket.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <random>

#include "system/channel_harness.h"

using namespace kt::test;

namespace {

std::string pattern(size_t n, unsigned seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 131 + seed * 7 + (i >> 8)) & 0xff);
    return s;
}

// The frame a message makes on the wire: the type's low byte, the length
// of header and payload (2 bytes, or 4 for the long header, most
// significant first), the payload, and zero bytes up to a whole number of
// blocks.
std::string wire_frame(int32_t type, const std::string &payload, int32_t block, bool long_header) {
    const int header = long_header ? 5 : 3;
    const size_t n = static_cast<size_t>(header) + payload.size();
    std::string frame(1, static_cast<char>(type & 0xff));
    for (int shift = 8 * (header - 2); shift >= 0; shift -= 8)
        frame += static_cast<char>(n >> shift & 0xff);
    frame += payload;
    const size_t b = static_cast<size_t>(block);
    frame.resize((frame.size() + b - 1) / b * b, '\0');
    return frame;
}

// Random frames, each with its own type, size, block size and header
// length, must be written as the model frames them and read back byte for
// byte, in order, after peeks or into shorter buffers (never written past),
// while later frames wait in the reader's buffer. A read into nothing, or a
// write between peek and read, drops the message whole; a peeked frame is
// read as framed when peeked. The 3-byte header refuses more than 32764
// payload bytes, sending nothing.
TEST(ChannelPipe, RandomFramingRoundTrips) {
    struct Frame {
        int32_t type, block, maxlen;
        bool long_header, peek, drop;
        std::string payload;
    };
    const int32_t blocks[] = {1, 1, 1, 2, 3, 4, 8, 16, 512};
    std::mt19937 rng(1);
    PipeChannel writer, reader;
    for (int batch = 0; batch < 400; ++batch) {
        std::vector<Frame> frames;
        std::string expected;
        size_t wire = 0; // at most what the pipe holds: nobody reads it yet
        while (frames.size() < 12) {
            Frame f{static_cast<int32_t>(rng() % 300),
                    blocks[rng() % 9],
                    0,
                    rng() % 4 == 0,
                    rng() % 3 == 0,
                    rng() % 4 == 0,
                    ""}; // drop: only after a peek
            uint32_t kind = rng() % 100;
            size_t size = kind < 70 ? rng() % 65 : kind < 96 ? rng() % 2000 : 32000 + rng() % 8000;
            // 32764 bytes fit the 3-byte header, 32765 do not.
            size = kind == 96 || kind == 97 ? 32668 + kind : size;
            f.payload = pattern(size, static_cast<unsigned>(rng()));
            const uint32_t cut = rng() % 12; // 0: no buffer, 1: none of it, 2: some of it, else all
            f.maxlen = static_cast<int32_t>(cut == 2 ? rng() % (size + 1) : size);
            f.maxlen = cut == 0 ? -1 : cut == 1 ? 0 : f.maxlen;
            if ((wire += f.payload.size() + 517) > 60000 && !frames.empty())
                break;
            set_framing(writer.handle, f.block, f.long_header);
            if (!f.long_header && f.payload.size() > 32764) {
                ASSERT_EQ(send_text(writer.handle, f.type, f.payload), -9);
                continue;
            }
            ASSERT_EQ(send_text(writer.handle, f.type, f.payload), static_cast<int32_t>(f.payload.size()));
            expected += wire_frame(f.type, f.payload, f.block, f.long_header);
            frames.push_back(f);
        }
        const std::string written = writer.written();
        ASSERT_TRUE(written == expected) << "batch " << batch;
        reader.feed(written);
        for (const Frame &f : frames) {
            SCOPED_TRACE(std::to_string(batch) + "/" + std::to_string(&f - frames.data()));
            set_framing(reader.handle, f.block, f.long_header);
            const int32_t size = static_cast<int32_t>(f.payload.size());
            int32_t type = -1, len = -1;
            if (f.peek) {
                ASSERT_EQ(c_ippeek(reader.handle, &type, &len), 0);
                EXPECT_EQ(type, f.type & 0xff);
                ASSERT_EQ(len, size);
                ASSERT_EQ(c_ippeek(reader.handle, nullptr, nullptr), 0);
                set_framing(reader.handle, blocks[rng() % 9], rng() % 2);
                if (f.drop) {
                    EXPECT_EQ(send_text(reader.handle, 5, "reply"), 5);
                    continue;
                }
            }
            if (f.maxlen < 0) {
                EXPECT_EQ(c_ipread(reader.handle, nullptr, nullptr, 10), size);
                continue;
            }
            std::string got(static_cast<size_t>(f.maxlen) + 1, '#');
            ASSERT_EQ(c_ipread(reader.handle, &type, got.data(), f.maxlen), size);
            EXPECT_EQ(type, f.type & 0xff);
            EXPECT_TRUE(got == f.payload.substr(0, static_cast<size_t>(f.maxlen)) + '#');
        }
        reader.written(); // the replies
    }
    int32_t ready = 0;
    EXPECT_EQ(c_ippend(&reader.handle, 1, 0.0, &ready), -5) << "no frame duplicated or left over";
}

TEST(ChannelWait, PendOverSeveralChannels) {
    HangGuard guard;
    PipeChannel a, b, c;
    int32_t handles[3] = {a.handle, b.handle, c.handle}, ready[3] = {9, 9, 9};
    EXPECT_EQ(c_ippend(handles, 3, 0.0, ready), -5);
    EXPECT_EQ(ready[0], 9); // untouched by a time-out

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(c_ippend(handles, 3, 0.05, ready), -5);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));

    send_text(b.handle, 4, "to b");
    b.feed(b.written());
    EXPECT_EQ(c_ippend(handles, 3, 0.0, ready), 1);
    EXPECT_EQ(std::vector<int32_t>(ready, ready + 3), (std::vector<int32_t>{0, 1, 0}));

    // A peeked message is input at hand even when nothing more is in the pipe.
    int32_t type = 0, len = 0;
    ASSERT_EQ(c_ippeek(b.handle, &type, &len), 0);
    EXPECT_EQ(c_ippend(handles, 3, -1.0, ready), 1);
    EXPECT_EQ(ready[1], 1);
    char buf[8];
    EXPECT_EQ(c_ipread(b.handle, &type, buf, sizeof buf), 4);

    // No limit: returns when a partner writes, 100 ms later.
    start = std::chrono::steady_clock::now();
    std::thread partner([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        c.feed(std::string("\x05\x00\x03", 3));
    });
    EXPECT_EQ(c_ippend(handles, 3, -1.0, ready), 1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(95));
    EXPECT_EQ(std::vector<int32_t>(ready, ready + 3), (std::vector<int32_t>{0, 0, 1}));
    partner.join();

    // Two handles on one descriptor count once, both marked.
    int32_t twice[2] = {c.handle, c.handle};
    EXPECT_EQ(c_ippend(twice, 2, 0.0, ready), 1);
    EXPECT_EQ(ready[0] + ready[1], 2);
}

TEST(ChannelWait, PendHandlesDescriptorsBeyondTheSelectLimit) {
    const int high = FD_SETSIZE + 500;
    rlimit lim{};
    getrlimit(RLIMIT_NOFILE, &lim);
    lim.rlim_cur = std::max<rlim_t>(lim.rlim_cur, std::min<rlim_t>(lim.rlim_max, high + 1));
    int fds[2];
    if (setrlimit(RLIMIT_NOFILE, &lim) != 0 || lim.rlim_cur <= static_cast<rlim_t>(high))
        GTEST_SKIP() << "cannot open descriptor " << high;
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(dup2(fds[0], high), high);
    close(fds[0]);
    int32_t proto = c_ipini(3, nullptr), h = c_ipocp(proto, high, -1), ready = 0;
    EXPECT_EQ(c_ippend(&h, 1, 0.0, &ready), -5);
    ASSERT_EQ(write(fds[1], "\x01\x00\x03", 3), 3);
    Message m = read_message(h); // after a wait for it
    EXPECT_EQ(m.type, 1);
    EXPECT_EQ(m.result, 0);
    c_ipclos(h);
    c_ipclos(proto);
    close(fds[1]);
    EXPECT_EQ(fcntl(high, F_GETFD), -1); // closed with the channel
}

TEST(ChannelWait, AvailReportsRoomToWrite) {
    PipeChannel p;
    EXPECT_EQ(c_ipavail(p.handle, 0.0), 1);
    EXPECT_EQ(c_ipavail(p.handle, 1e12), 1) << "a time-out beyond any poll limit";
    int flags = fcntl(p.out[1], F_GETFL);
    fcntl(p.out[1], F_SETFL, flags | O_NONBLOCK);
    char block[4096] = {};
    while (write(p.out[1], block, sizeof block) > 0) {
    }
    fcntl(p.out[1], F_SETFL, flags);
    EXPECT_EQ(c_ipavail(p.handle, 0.0), -5);
    EXPECT_EQ(c_ipavail(p.handle, 0.02), -5);
    p.written(); // drains the pipe
    EXPECT_EQ(c_ipavail(p.handle, 1.0), 1);
}

TEST(ChannelWait, KtSelectReportsReadyDescriptors) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    fd_set rs, ws;
    FD_ZERO(&rs);
    FD_ZERO(&ws);
    FD_SET(fds[0], &rs);
    FD_SET(fds[1], &ws);
    timeval tv{0, 0};
    EXPECT_EQ(kt_select(std::max(fds[0], fds[1]) + 1, &rs, &ws, nullptr, &tv), 1);
    EXPECT_FALSE(FD_ISSET(fds[0], &rs));
    EXPECT_TRUE(FD_ISSET(fds[1], &ws));
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    FD_SET(fds[0], &rs);
    EXPECT_EQ(kt_select(fds[0] + 1, &rs, nullptr, nullptr, nullptr), 1);
    EXPECT_TRUE(FD_ISSET(fds[0], &rs));
    // More descriptors than the sets hold are cut to the sets; only the
    // conditions asked for are reported.
    fd_set es;
    FD_ZERO(&es);
    FD_SET(fds[0], &es);
    FD_ZERO(&ws);
    FD_SET(fds[1], &ws);
    EXPECT_EQ(kt_select(FD_SETSIZE + 5, &rs, &ws, &es, &tv), 2);
    EXPECT_TRUE(FD_ISSET(fds[0], &rs));
    EXPECT_TRUE(FD_ISSET(fds[1], &ws));
    EXPECT_FALSE(FD_ISSET(fds[0], &es));
    close(fds[0]);
    close(fds[1]);
    FD_SET(fds[0], &rs);
    EXPECT_EQ(kt_select(fds[0] + 1, &rs, nullptr, nullptr, &tv), -1);
    EXPECT_EQ(errno, EBADF);
    // Negative times, then a negative count.
    timeval invalid[] = {{-1, 0}, {0, -1}, {0, 0}};
    for (int i = 0; i < 3; ++i) {
        errno = 0;
        EXPECT_EQ(kt_select(i < 2 ? 1 : -1, nullptr, nullptr, nullptr, &invalid[i]), -1);
        EXPECT_EQ(errno, EINVAL);
    }
}

TEST(ChannelWait, NonBlockingDescriptorsStillCarryWholeMessages) {
    HangGuard guard;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    for (int fd : fds)
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    int32_t proto = c_ipini(3, nullptr);
    int32_t reader = c_ipocp(proto, fds[0], -1), writer = c_ipocp(proto, -1, fds[1]);
    // More than the pipe holds: the writer meets a full pipe, the reader an empty one.
    std::vector<std::string> sent;
    for (char c = 'a'; c < 'h'; ++c)
        sent.push_back(std::string(30000, c));
    std::thread send([&] {
        for (const std::string &s : sent)
            EXPECT_EQ(send_text(writer, 3, s), static_cast<int32_t>(s.size()));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the pipe fills meanwhile
    for (const std::string &s : sent) {
        Message m = read_message(reader);
        EXPECT_GE(m.result, 0);
        EXPECT_EQ(m.payload, s);
    }
    send.join();
    // Half a frame at hand: the read waits for the other half.
    const std::string frame = wire_frame(4, "late half", 1, false);
    ASSERT_EQ(write(fds[1], frame.data(), 6), 6);
    std::thread rest([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_EQ(write(fds[1], frame.data() + 6, frame.size() - 6), static_cast<ssize_t>(frame.size() - 6));
    });
    Message m = read_message(reader);
    rest.join();
    EXPECT_EQ(m.type, 4);
    EXPECT_EQ(m.payload, "late half");
    c_ipclos(writer);
    c_ipclos(reader);
    c_ipclos(proto);
}

TEST(ChannelState, RefusedCalls) {
    int32_t client = c_ipini(2, nullptr), peer = c_ipini(3, nullptr);
    Listener server;
    PipeChannel p;
    int32_t read_only = c_ipocp(peer, dup(p.in[0]), -1);
    int32_t write_only = c_ipocp(peer, -1, dup(p.out[1]));
    int32_t ready = 0, type = 0, len = 0, taken = server.port, too_high = 70000, stale = c_ipini(3, nullptr);
    c_ipclos(stale);
    char buf[4];
    struct Case {
        const char *what;
        int32_t result, expected;
    } cases[] = {
        {"handle -1", c_ipgeto(-1, 1), -8},
        {"handle far beyond the table", c_ipseto(1 << 20, 1, 1), -8},
        {"write, bad handle", c_ipwrit(-3, 1, "", 0), -8},
        {"close, bad handle", c_ipclos(1 << 20), -8},
        {"kind 4", c_ipini(4, nullptr), -8},
        {"server on a port in use", c_ipini(1, &taken), -3},
        {"server on port 70000", c_ipini(1, &too_high), -3},
        {"options of a client prototype", c_ipgeto(client, 1), -6},
        {"pend on a client prototype", c_ippend(&client, 1, 0.0, &ready), -6},
        {"accept on a client prototype", c_ipocss(client, 0.0), -6},
        {"connect from a server prototype", c_ipoccs(server.handle, "127.0.0.1", server.port), -6},
        {"wrap from a client prototype", c_ipocp(client, 0, 1), -6},
        {"wrap from a connection", c_ipocp(p.handle, 0, 1), -6},
        {"write to a read-only channel", c_ipwrit(read_only, 1, "a", 1), -6},
        {"peek a write-only channel", c_ippeek(write_only, &type, &len), -6},
        {"read a write-only channel", c_ipread(write_only, &type, buf, 4), -6},
        {"avail on a read-only channel", c_ipavail(read_only, 0.0), -6},
        {"negative length", c_ipwrit(p.handle, 1, "a", -1), -8},
        {"length without data", c_ipwrit(p.handle, 1, nullptr, 1), -8},
        {"set option 4", c_ipseto(p.handle, 4, 1), -8},
        {"set option 7", c_ipseto(p.handle, 7, 1), -8},
        {"get option 9", c_ipgeto(p.handle, 9), -8},
        {"get option 0", c_ipgeto(p.handle, 0), -8},
        {"block size 0", c_ipseto(p.handle, 1, 0), -8},
        {"gets option 5", c_ipgets(p.handle, 5, buf, 4), -8},
        {"accept times out", c_ipocss(server.handle, 0.05), -5},
        {"nobody listening", c_ipoccs(client, "127.0.0.1", 1), -4},
        {"pend, negative count", c_ippend(&p.handle, -1, 0.0, &ready), -8},
        {"pend, no handles", c_ippend(nullptr, 1, 0.0, &ready), -8},
        {"pend, no flags", c_ippend(&p.handle, 1, 0.0, nullptr), -8},
        {"pend, closed handle", c_ippend(&stale, 1, 0.0, &ready), -6},
        {"avail, bad handle", c_ipavail(-1, 0.0), -8},
        {"gets, bad handle", c_ipgets(-1, 4, nullptr, 0), -8},
        {"nothing to wait for", c_ippend(nullptr, 0, 0.0, nullptr), -5},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.result, c.expected) << c.what;
    EXPECT_EQ(c_ipgeto(p.handle, 1), 1); // the refused block size left it alone
    EXPECT_EQ(taken, server.port);
    int32_t anywhere = c_ipini(1, nullptr); // no port asked for: any free one
    ASSERT_GE(anywhere, 0);
    EXPECT_GT(c_ipgeto(anywhere, 6), 0);
    for (int32_t h : {anywhere, read_only, write_only, client, peer})
        c_ipclos(h);
    // The descriptors can be swapped and back.
    for (int32_t option : {2, 3}) {
        int32_t mine = c_ipgeto(p.handle, option);
        EXPECT_EQ(c_ipseto(p.handle, option, 99), mine);
        EXPECT_EQ(c_ipseto(p.handle, option, mine), 99);
    }
    // Descriptors closed behind the channel's back are failures, not waits.
    close(p.in[0]);
    close(p.out[1]);
    EXPECT_EQ(c_ippend(&p.handle, 1, 1.0, &ready), -7);
    EXPECT_EQ(c_ipavail(p.handle, 1.0), -7);
}

// Roles, ports, descriptors and names of a server prototype, its
// connection, a client and a peer; the far end's names and port.
TEST(ChannelState, OptionsNamesAndRoles) {
    HangGuard guard;
    Listener server;
    PipeChannel p;
    char name[64] = "abc", addr[16], host[257];
    ASSERT_GE(c_gethnm(host, sizeof host), 0);
    int32_t ready = 0, port = 0;
    EXPECT_EQ(c_ipgets(server.handle, 4, name, 4), 0); // a prototype has no name
    EXPECT_STREQ(name, "");
    EXPECT_EQ(c_ipgets(server.handle, 4, nullptr, 0), 0);
    const std::vector<int32_t> listening = {c_ipgeto(server.handle, 7), c_ipgeto(server.handle, 6),
                                            c_ipgeto(server.handle, 3), c_ipgeto(server.handle, 4)};
    EXPECT_EQ(listening, (std::vector<int32_t>{1, server.port, c_ipgeto(server.handle, 2), 0}));
    // A listening prototype is waited on for connections.
    EXPECT_EQ(c_ippend(&server.handle, 1, 0.0, &ready), -5);
    const int32_t client = connect_to(server.port);
    ASSERT_GE(client, 0);
    EXPECT_EQ(c_ippend(&server.handle, 1, kWaitSeconds, &ready), 1);
    const int32_t conn = c_ipocss(server.handle, kWaitSeconds);
    ASSERT_GE(conn, 0);
    // After its first accept the prototype takes no option call and no wait.
    EXPECT_EQ(c_ipgeto(server.handle, 1), -6);
    EXPECT_EQ(c_ippend(&server.handle, 1, 0.0, &ready), -6);

    const int32_t local = c_ipgeto(client, 6), sock = c_ipgeto(conn, 2), hostlen = static_cast<int32_t>(strlen(host));
    EXPECT_GT(local, 0);
    const struct {
        int32_t handle, option, expected;
    } options[] = {{conn, 7, 1},      {client, 7, 2},           {p.handle, 7, 3},        {conn, 6, server.port},
                   {conn, 5, local},  {client, 5, server.port}, {p.handle, 5, -1},       {client, 4, 9},
                   {conn, 4, 9},      {p.handle, 2, p.in[0]},   {p.handle, 3, p.out[1]}, {conn, 1, 1},
                   {conn, 10, 32764}, {p.handle, 4, hostlen}};
    for (const auto &o : options)
        EXPECT_EQ(c_ipgeto(o.handle, o.option), o.expected) << o.handle << ", option " << o.option;
    EXPECT_EQ(c_ipgets(client, 4, name, sizeof name), 9);
    EXPECT_STREQ(name, "127.0.0.1");
    EXPECT_EQ(c_ipgets(conn, 4, name, sizeof name), 9);
    EXPECT_STREQ(name, "localhost");
    std::memset(name, '#', sizeof name);
    EXPECT_EQ(c_ipgets(client, 4, name, 3), 9);
    EXPECT_EQ(c_ipgets(client, 4, nullptr, 0), 9);
    EXPECT_EQ(std::string(name, 4), "127#"); // cut, not terminated

    // Setting gives the old value back; tracing reads as 1024 when on.
    for (auto [option, value, old, now] :
         {std::array{8, 1, 0, 1024}, {8, 5, 1024, 1024}, {8, 0, 1024, 0}, {1, 16, 1, 16}}) {
        EXPECT_EQ(c_ipseto(conn, option, value), old) << option << " " << value;
        EXPECT_EQ(c_ipgeto(conn, option), now) << option << " " << value;
    }

    // The far end of a connection by name, address and port.
    EXPECT_EQ(c_gtpeer(sock, name, sizeof name, &port, addr, sizeof addr), 0);
    EXPECT_STREQ(name, "localhost");
    EXPECT_STREQ(addr, "127.0.0.1");
    EXPECT_EQ(port, local);
    // Not a socket: the local host, port -1.
    std::memset(name, 'x', sizeof name);
    EXPECT_EQ(c_gtpeer(p.in[0], name, sizeof name, &port, addr, sizeof addr), 0);
    EXPECT_EQ(port, -1);
    EXPECT_STREQ(name, host);
    // A socket that is not connected.
    int s = socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_EQ(c_gtpeer(s, name, sizeof name, &port, addr, sizeof addr), 1);
    close(s);
    // A short name buffer: cut, not terminated.
    std::memset(name, '#', sizeof name);
    EXPECT_EQ(c_gtpeer(sock, name, 4, &port, addr, sizeof addr), 0);
    EXPECT_EQ(std::string(name, 5), "loca#");
    // Every output may be left out.
    for (int32_t fd : {sock, p.in[0]})
        EXPECT_EQ(c_gtpeer(fd, nullptr, 0, nullptr, nullptr, 0), 0) << fd;
    c_ipclos(conn);
    c_ipclos(client);

    // Framing set on a prototype is inherited, with the limit that chose it.
    Listener framed;
    c_ipseto(framed.handle, 10, 50000);
    c_ipseto(framed.handle, 1, 8);
    const int32_t long_client = connect_to(framed.port), long_conn = c_ipocss(framed.handle, kWaitSeconds);
    EXPECT_EQ(c_ipgeto(long_conn, 10), 50000);
    EXPECT_EQ(c_ipgeto(long_conn, 1), 8);
    c_ipclos(long_conn);
    c_ipclos(long_client);
}

TEST(ChannelState, CloseReleasesDescriptors) {
    int32_t peer = c_ipini(3, nullptr), both[2], same[2];
    ASSERT_EQ(pipe(both), 0);
    ASSERT_EQ(pipe(same), 0);
    // One descriptor for both directions is closed once, and only it.
    EXPECT_EQ(c_ipclos(c_ipocp(peer, same[0], same[0])), 0);
    EXPECT_EQ(fcntl(same[0], F_GETFD), -1);
    EXPECT_NE(fcntl(same[1], F_GETFD), -1);
    close(same[1]);
    // Closing the prototype closes nothing of its connections.
    int32_t conn = c_ipocp(peer, both[0], both[1]);
    EXPECT_EQ(c_ipclos(peer), 0);
    EXPECT_EQ(send_text(conn, 1, "still open"), 10);
    EXPECT_EQ(c_ipclos(conn), 0);
    EXPECT_EQ(fcntl(both[0], F_GETFD), -1);
    EXPECT_EQ(fcntl(both[1], F_GETFD), -1);
    // A listening socket is closed with its prototype.
    int32_t port = 0;
    int32_t server = c_ipini(1, &port);
    int32_t fd = c_ipgeto(server, 2);
    EXPECT_EQ(c_ipclos(server), 0);
    EXPECT_EQ(fcntl(fd, F_GETFD), -1);
    EXPECT_EQ(c_ipgeto(server, 2), -6); // the slot is free again
}

// Traces name the side (C a client, S a server's connection, P a peer),
// the type unless it is 0, and dump the payload, 20 bytes a line.
TEST(ChannelTrace, Format) {
    HangGuard guard;
    Listener server;
    PipeChannel p;
    const int32_t client = connect_to(server.port), conn = c_ipocss(server.handle, kWaitSeconds);
    ASSERT_GE(conn, 0);
    for (int32_t h : {client, conn, p.handle})
        c_ipseto(h, 8, 1);
    std::string payload = pattern(25, 1);
    testing::internal::CaptureStderr();
    send_text(client, 7, "abc");
    send_text(client, 0, payload);
    int32_t type, len;
    c_ippeek(conn, &type, &len);
    char buf[2];
    c_ipread(conn, &type, buf, 2);
    c_ippeek(conn, &type, &len);
    std::string all(25, '\0');
    c_ipread(conn, &type, all.data(), 25);
    c_ipseto(client, 8, 0);
    send_text(client, 3, "quiet");
    send_text(p.handle, 1, "");
    c_ipclos(conn);
    c_ipclos(client);
    const std::string text = testing::internal::GetCapturedStderr();
    const std::string c = "C:ipwrit for handle " + std::to_string(client), s = "for handle " + std::to_string(conn);
    std::string dump25;
    for (int i = 0; i < 25; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02x,", static_cast<unsigned char>(payload[static_cast<size_t>(i)]));
        dump25 += (i == 0 || i == 20 ? " " : "") + std::string(b) + (i == 19 || i == 24 ? "\n" : "");
    }
    // The header block a peek reads holds no payload.
    std::string expected = c + ", msg_type=7\n 61,62,63,\n" + c + "\n" + dump25 + "S:ippeek " + s + ", msg_type=7\n" +
                           "S:ipread " + s + ", msg_type=7\n 61,62,\n" + "S:ippeek " + s + "\n" + "S:ipread " + s +
                           "\n" + dump25 + "P:ipwrit for handle " + std::to_string(p.handle) + ", msg_type=1\n" +
                           "S:ipclos " + s + "\n";
    EXPECT_EQ(text, expected);
}

} // namespace
