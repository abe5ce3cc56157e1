// kt-util channel serve and send against each other, and their command
// lines. (The demo's exchange between two processes is checked with the
// rest of the demo in tests/tools.)
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/run_command.h"
#include "system/channel_harness.h"

using namespace kt::test;

namespace {

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

void expect(const std::vector<CliCase> &cases) { expect_cli(std::string(KT_UTIL_EXE) + " channel", cases); }

TEST(ChannelCli, ServeAndSend) {
    HangGuard guard;
    Server server("--connections 3 --block 8");
    ASSERT_GT(server.port, 0);
    const std::string to = "send 127.0.0.1 " + std::to_string(server.port);
    expect(
        {{to + " 7 hello world --block 8", 0, {"reply: type 7, 5 bytes: hello\nreply: type 7, 5 bytes: world\n"}, ""},
         {"send localhost " + std::to_string(server.port) + " 255 '' --block=8", 0, {"reply: type 255, 0 bytes\n"}, ""},
         {to + " 1 --block 8 -- -x", 0, {"reply: type 1, 2 bytes: -x\n"}, ""}});
    std::string log = server.finish();
    for (const char *line : {": type 7, 5 bytes: hello\n", ": type 255, 0 bytes\n", " from 127.0.0.1 port "})
        EXPECT_NE(log.find(line), std::string::npos) << log;

    Server long_frames("--connections 1 --long");
    std::string big(40000, 'q');
    expect({{"send 127.0.0.1 " + std::to_string(long_frames.port) + " 3 " + big + " --long",
             0,
             {"reply: type 3, 40000 bytes: qqqqq"},
             ""}});
    long_frames.finish();
}

TEST(ChannelCli, Failures) {
    HangGuard guard;
    Server quiet("--connections 1");
    int32_t port = 0;
    int32_t mute = c_ipini(1, &port); // listens, never accepts or answers
    expect({
        {"", 2, {}, "needs serve or send"},
        {"listen", 2, {}, "unknown subcommand listen"},
        {"serve --block 0", 2, {}, "--block takes a whole number from 1 to 1048576, not '0'"},
        {"serve extra", 2, {}, "serve takes no operands"},
        {"serve --timeout 3", 2, {}, "unknown option '--timeout'"},
        {"serve --max-frame 4", 2, {}, "--max-frame takes a whole number from 5"},
        {"serve --idle -1", 2, {}, "--idle takes seconds from 0 to 1000000, not '-1'"},
        {"serve --max-connections 0", 2, {}, "--max-connections takes a whole number from 1"},
        {"serve --listen 192.0.2.1", 1, {}, "cannot listen on 192.0.2.1 port 0"},
        {"send 127.0.0.1 80 1 x --timeout 0", 2, {}, "--timeout takes seconds above 0"},
        {"send 127.0.0.1 80 1 x --port 5", 2, {}, "unknown option '--port'"},
        {"send 127.0.0.1 80 1 x --block", 2, {}, "--block needs a whole number"},
        {"send 127.0.0.1 80 1", 2, {}, "send needs HOST PORT TYPE TEXT"},
        {"send 127.0.0.1 80 300 x", 2, {}, "bad type"},
        {"send 127.0.0.1 1 1 x", 1, {}, "cannot connect to 127.0.0.1 port 1"},
        {"send 127.0.0.1 " + std::to_string(quiet.port) + " 3 " + std::string(33000, 'q'), 1, {}, "too long"},
        {"send 127.0.0.1 " + std::to_string(port) + " 1 hi --timeout 0.2", 1, {}, "no reply within 0.2 seconds\n"},
    });
    quiet.finish();
    c_ipclos(mute);
}

} // namespace
