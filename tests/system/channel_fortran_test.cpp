// The upper-case channel entries as Fortran calls them, aliases too.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "kt/host.h"
#include "system/channel_harness.h"

using namespace kt::test;

extern "C" {
int32_t ipwrit_(const int32_t *, const int32_t *, const char *, const int32_t *, int32_t);
int32_t ipread_(const int32_t *, int32_t *, char *, const int32_t *, int32_t);
int32_t ipini_(const int32_t *, int32_t *);
int32_t ipclos_(const int32_t *);
}

namespace {

// Trailing blanks covered by LEN go out as one zero byte and then blanks.
TEST(ChannelFortran, WriteConvertsTrailingBlanks) {
    struct Case {
        std::string data;
        int32_t len;
        std::string payload;
    } cases[] = {
        {"abc   ", 6, std::string("abc\0  ", 6)}, {"abc   ", 3, "abc"},
        {"abc", 4, std::string("abc\0", 4)},  // LEN reaches the copy's zero byte
        {"abc", 40, std::string("abc\0", 4)}, // and never beyond it
        {"      ", 2, std::string("\0 ", 2)},     {"a b c ", 6, std::string("a b c\0", 6)},
    };
    for (const Case &c : cases) {
        PipeChannel p;
        int32_t type = 4;
        EXPECT_EQ(IPWRIT(&p.handle, &type, c.data.data(), &c.len, static_cast<int32_t>(c.data.size())),
                  static_cast<int32_t>(c.payload.size()));
        EXPECT_EQ(p.written().substr(3), c.payload) << c.data << "/" << c.len;
    }
}

TEST(ChannelFortran, ReadBlankFillsAndKeepsOldCharacters) {
    struct Case {
        std::string before, payload, after;
        int32_t maxlen;
        int32_t result;
    } cases[] = {
        {"          ", "abc", "abc       ", 10, 3},
        {"hello world", "abc", "abclo world", 11, 3},
        {"xxxxxxxxxx", "abcdefghijkl", "abcdefghij", 50, 12}, // MAXLEN kept within DATA
        {"xxxx      ", "ab", "abxx      ", 2, 2},
        {"zzzz", std::string("a\0c", 3), "a   ", 4, 3}, // a zero byte ends the text
    };
    for (const Case &c : cases) {
        PipeChannel p;
        send_text(p.handle, 6, c.payload);
        p.feed(p.written());
        std::string data = c.before;
        int32_t type = 0;
        EXPECT_EQ(IPREAD(&p.handle, &type, data.data(), &c.maxlen, static_cast<int32_t>(data.size())), c.result);
        EXPECT_EQ(type, 6);
        EXPECT_EQ(data, c.after) << c.before;
    }
}

// Every entry by address, aliases too; hosts blank-padded.
TEST(ChannelFortran, AliasesAndNumbers) {
    HangGuard guard;
    Listener server;
    int32_t kind = 3, port = 0, client_kind = 2;
    int32_t proto = ipini_(&kind, &port), client_proto = IPINI(&client_kind, &port);
    ASSERT_GE(proto, 0);
    int32_t fds[2]; // int32_t is int here, as Fortran's INTEGER
    ASSERT_EQ(pipe(fds), 0);
    int32_t h = IPOCP(&proto, &fds[0], &fds[1]);
    ASSERT_GE(h, 0);
    int32_t option = 1, value = 4;
    EXPECT_EQ(IPSETO(&h, &option, &value), 1);
    EXPECT_EQ(IPGETO(&h, &option), 4);
    int32_t type = 2, len = 5;
    EXPECT_EQ(ipwrit_(&h, &type, "hello", &len, 5), 5);
    int32_t n = 1, ready = 0;
    double timeout = 1.0;
    EXPECT_EQ(IPPEND(&h, &n, &timeout, &ready), 1);
    EXPECT_EQ(ready, 1);
    EXPECT_EQ(IPAVAIL(&h, &timeout), 1);
    int32_t got_type = 0, got_len = 0;
    EXPECT_EQ(IPPEEK(&h, &got_type, &got_len), 0);
    EXPECT_EQ(got_len, 5);
    char data[8] = {'.', '.', '.', '.', '.', '.', '.', ' '};
    int32_t maxlen = 8;
    EXPECT_EQ(ipread_(&h, &got_type, data, &maxlen, 8), 5);
    EXPECT_EQ(std::string(data, 8), "hello.. "); // the old characters up to the blanks stay

    // IPGETS: the name; MAXLEN kept within TEXT.
    char host[257];
    ASSERT_GE(c_gethnm(host, sizeof host), 0);
    std::string text(300, ' ');
    int32_t four = 4, big = 1000;
    EXPECT_EQ(IPGETS(&h, &four, text.data(), &big, 300), static_cast<int32_t>(std::strlen(host)));
    EXPECT_EQ(text, host + std::string(300 - std::strlen(host), ' '));

    // GTPEER keeps its explicit sizes within the declared lengths.
    char name[8], addr[4];
    int32_t fd = fds[0], namelen = 100, addrlen = 100, peer_port = 0;
    EXPECT_EQ(GTPEER(&fd, name, &namelen, &peer_port, addr, &addrlen, 8, 4), 0);
    EXPECT_EQ(peer_port, -1);
    EXPECT_EQ(ipclos_(&h), 0);
    EXPECT_EQ(IPCLOS(&proto), 0);

    const char padded[] = "127.0.0.1      ";
    const int32_t hosts = static_cast<int32_t>(sizeof padded - 1);
    timeout = kWaitSeconds;
    for (int32_t c : {IPOCCS(&client_proto, padded, &server.port, hosts),
                      IPOCCT(&client_proto, padded, &server.port, &timeout, hosts)}) {
        ASSERT_GE(c, 0);
        int32_t conn = IPOCSS(&server.handle, &timeout);
        ASSERT_GE(conn, 0);
        EXPECT_EQ(c_ipgets(c, 4, name, sizeof name), 9);
        c_ipclos(c);
        c_ipclos(conn);
    }
    c_ipclos(client_proto);
}

// Entries that copy a text first stop when that copy is refused: each gives
// its failure result and leaves channels, files and the heap as they were.
TEST(TextCopies, RefusedCopyStopsTheEntry) {
    PipeChannel p;
    ASSERT_EQ(send_text(p.handle, 5, "queued"), 6);
    p.feed(p.written()); // back to the channel's own input
    const std::string from = ::testing::TempDir() + "kt_refused_" + std::to_string(getpid());
    const std::string to = from + "_moved";
    std::ofstream(from) << "x";
    int32_t type = 1, len = 4, four = 4, atime = 0, mtime = 0, ctime = 0, port = 1;
    double timeout = 0.0;
    char buf[16] = "unchanged";
    const int64_t live = kt_host_alloc_live();
    kt_host_fail_alloc_after(0);
    const struct {
        const char *what;
        int32_t result, expected;
    } cases[] = {
        {"IPOCCS", IPOCCS(&p.proto, "127.0.0.1", &port, 9), -2},
        {"IPOCCT", IPOCCT(&p.proto, "127.0.0.1", &port, &timeout, 9), -2},
        {"IPWRIT", IPWRIT(&p.handle, &type, "abcd", &len, 4), -2},
        {"IPREAD", IPREAD(&p.handle, &type, buf, &len, 4), -2},
        {"IPGETS", IPGETS(&p.handle, &four, buf, &len, 4), -2},
        {"FGETWD", FGETWD(buf, &len, 4), 0},
        {"FGETENV", FGETENV("PATH", buf, &len, 4, 4), 0},
        {"FTIMES", FTIMES(from.c_str(), &atime, &mtime, &ctime, static_cast<int32_t>(from.size())), -1},
    };
    SFMV(from.c_str(), to.c_str(), static_cast<int32_t>(from.size()), static_cast<int32_t>(to.size()));
    SFRM(from.c_str(), static_cast<int32_t>(from.size()));
    kt_host_fail_alloc_after(-1);
    for (const auto &c : cases)
        EXPECT_EQ(c.result, c.expected) << c.what;
    EXPECT_STREQ(buf, "unchanged");
    EXPECT_EQ(kt_host_alloc_live(), live);
    EXPECT_EQ(access(to.c_str(), F_OK), -1) << "not moved";
    EXPECT_EQ(std::remove(from.c_str()), 0) << "neither moved nor removed";
    EXPECT_EQ(p.written(), "") << "the refused write sent nothing";
    Message m = read_message(p.handle); // the refused read left the message queued
    EXPECT_EQ(m.type, 5);
    EXPECT_EQ(m.payload, "queued");
}

} // namespace
