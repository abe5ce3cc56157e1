// kt-util channel serve and send against each other, and the demo's
// exchange between two processes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/run_command.h"
#include "system/channel_harness.h"

using namespace kt::test;

namespace {

Outcome run(const std::string &args) { return run_command(std::string(KT_UTIL_EXE) + " " + args); }

// A server started in the background: its port read from its first line.
struct Server {
    FILE *out = nullptr;
    int32_t port = 0;
    explicit Server(const std::string &options) {
        std::string cmd = "exec " + std::string(KT_UTIL_EXE) + " channel serve " + options;
        out = popen(cmd.c_str(), "r");
        char line[256];
        if (out && fgets(line, sizeof line, out))
            std::sscanf(line, "listening on port %d", &port);
    }
    // The rest of its output, once it has ended.
    std::string finish() {
        std::string s;
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, out)) > 0)
            s.append(buf, n);
        pclose(out);
        out = nullptr;
        return s;
    }
    ~Server() {
        if (out)
            pclose(out);
    }
};

TEST(ChannelCli, ServeAndSend) {
    HangGuard guard;
    Server server("--connections 2 --block 8");
    ASSERT_GT(server.port, 0);
    std::string port = std::to_string(server.port);
    Outcome a = run("channel send 127.0.0.1 " + port + " 7 hello world --block 8");
    EXPECT_EQ(a.status, 0) << a.out;
    EXPECT_EQ(a.out, "reply: type 7, 5 bytes: hello\nreply: type 7, 5 bytes: world\n");
    Outcome b = run("channel send localhost " + port + " 255 '' --block 8");
    EXPECT_EQ(b.status, 0) << b.out;
    EXPECT_EQ(b.out, "reply: type 255, 0 bytes\n");
    std::string log = server.finish();
    EXPECT_NE(log.find(": type 7, 5 bytes: hello\n"), std::string::npos) << log;
    EXPECT_NE(log.find(": type 7, 5 bytes: world\n"), std::string::npos) << log;
    EXPECT_NE(log.find(": type 255, 0 bytes\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" from 127.0.0.1 port "), std::string::npos) << log;
}

TEST(ChannelCli, LongMessages) {
    HangGuard guard;
    Server server("--connections 1 --long");
    ASSERT_GT(server.port, 0);
    std::string big(40000, 'q');
    Outcome r = run("channel send 127.0.0.1 " + std::to_string(server.port) + " 3 " + big + " --long");
    EXPECT_EQ(r.status, 0) << r.out.substr(0, 200);
    EXPECT_EQ(r.out.substr(0, 33), "reply: type 3, 40000 bytes: qqqqq");
    server.finish();
}

TEST(ChannelCli, Failures) {
    HangGuard guard;
    struct Case {
        std::string args;
        int status;
        const char *contains;
    } cases[] = {
        {"channel", 2, "needs serve or send"},
        {"channel listen", 2, "unknown subcommand listen"},
        {"channel serve --block 0", 2, "bad value for --block"},
        {"channel serve extra", 2, "serve takes no operands"},
        {"channel serve --timeout 3", 2, "unknown option --timeout"},
        {"channel serve --max-frame 4", 2, "bad value for --max-frame"},
        {"channel serve --idle -1", 2, "bad value for --idle"},
        {"channel serve --max-connections 0", 2, "bad value for --max-connections"},
        {"channel serve --listen 192.0.2.1", 1, "cannot listen on 192.0.2.1 port 0"},
        {"channel send 127.0.0.1 80 1 x --timeout 0", 2, "bad value for --timeout"},
        {"channel send 127.0.0.1 80 1 x --port 5", 2, "unknown option --port"},
        {"channel send 127.0.0.1 80 1 x --block", 2, "--block needs a value"},
        {"channel send 127.0.0.1 80 1", 2, "send needs HOST PORT TYPE TEXT"},
        {"channel send 127.0.0.1 80 300 x", 2, "bad type"},
        {"channel send 127.0.0.1 1 1 x", 1, "cannot connect to 127.0.0.1 port 1"},
        {"channel --help", 0, "usage: kt-util channel serve"},
    };
    for (const Case &c : cases) {
        Outcome r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.contains), std::string::npos) << c.args << "\n" << r.out;
    }
    // A message too long for the short header, and a server that never answers.
    Server quiet("--connections 1");
    std::string big(33000, 'q');
    Outcome r = run("channel send 127.0.0.1 " + std::to_string(quiet.port) + " 3 " + big);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("too long"), std::string::npos) << r.out.substr(0, 200);
    quiet.finish();

    int32_t port = 0;
    int32_t mute = c_ipini(1, &port); // listens, never accepts or answers
    r = run("channel send 127.0.0.1 " + std::to_string(port) + " 1 hi --timeout 0.2");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("no reply within"), std::string::npos) << r.out;
    c_ipclos(mute);
}

TEST(ChannelCli, DemoExchange) {
    HangGuard guard;
    Outcome r = run("demo");
    std::string section = r.out.substr(r.out.find("== Socket channels"));
    for (const char *line : {
             "server got type 1, 21 bytes: hello from the client; echoing it\n",
             "server got type 2, 5000 bytes (hex): 02 09 10 17 1e 25 2c 33 3a 41 48 4f 56 5d 64 6b 72 79 80 87 8e 95 9c a3 ...; echoing it\n",
             "server got type 9, 3 bytes: bye; echoing it\n",
             "the client checked every echo and closed: ok\n",
             "type 7, payload 'abc', block size 4 on the wire: 07 00 06 61 62 63 00 00\n",
         })
        EXPECT_NE(section.find(line), std::string::npos) << line << "\n" << section;
}

} // namespace
