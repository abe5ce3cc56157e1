// kt-util channel: the command line of the echo server (channel_server.cpp)
// and of a client that sends frames and waits for the replies; and the
// demo's exchange between two processes.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "channel_server.h"
#include "command.h"
#include "json.h"
#include "kt/system.h"
#include "options.h"
#include "wording.h"

namespace ktutil {
namespace {

constexpr const char *kName = "channel";
constexpr int32_t kLongMaxMessage = 40000;

struct Framing {
    int32_t block = 1;
    bool long_header = false;
};

void apply(int32_t h, const Framing &f) {
    c_ipseto(h, 1, f.block);
    if (f.long_header)
        c_ipseto(h, 10, kLongMaxMessage);
}

struct Frame {
    int32_t result; // payload length, or the channel's failure code
    int32_t type = 0;
    std::string payload;
};

Frame read_frame(int32_t h) {
    int32_t type = 0, len = 0;
    int32_t r = c_ippeek(h, &type, &len);
    if (r != 0)
        return {r, 0, {}};
    Frame f{0, 0, std::string(static_cast<size_t>(len), '\0')};
    f.result = c_ipread(h, &f.type, f.payload.data(), len);
    return f;
}

int32_t write_frame(int32_t h, int32_t type, const std::string &payload) {
    return c_ipwrit(h, type, payload.data(), static_cast<int32_t>(payload.size()));
}

bool parse_int(const std::string &text, long lo, long hi, int32_t &out) {
    char *end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || v < lo || v > hi)
        return false;
    out = static_cast<int32_t>(v);
    return true;
}

// An option taking seconds, from 0 (when allowed) to a million.
ValuedOption seconds_option(bool zero_allowed, double &out) {
    return {zero_allowed ? "seconds from 0 to 1000000" : "seconds above 0, up to 1000000",
            [zero_allowed, &out](const std::string &text) {
                char *end = nullptr;
                double v = std::strtod(text.c_str(), &end);
                if (text.empty() || *end || !std::isfinite(v) || v < 0 || (v == 0 && !zero_allowed) || v > 1e6)
                    return false;
                out = v;
                return true;
            }};
}

std::string hex_bytes(const std::string &bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char b : bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

int send(const Args &args, const Framing &framing, double timeout, bool as_json) {
    int32_t port = 0, type = 0;
    if (args.size() < 4)
        return usage_error(kName, "send needs HOST PORT TYPE TEXT...");
    if (!parse_int(args[1], 1, 65535, port))
        return usage_error(kName, "bad port: " + args[1]);
    if (!parse_int(args[2], 0, 255, type))
        return usage_error(kName, "bad type (0..255): " + args[2]);
    int32_t proto = c_ipini(2, nullptr);
    int32_t h = c_ipocct(proto, args[0].c_str(), port, timeout);
    c_ipclos(proto);
    std::string error;
    if (h < 0)
        error = "cannot connect to " + args[0] + " port " + args[1] + (h == -5 ? " within " + seconds(timeout) : "");
    else
        apply(h, framing);
    JsonWriter json;
    if (as_json) {
        json.begin_object();
        json.key("replies");
        json.begin_array();
    }
    for (size_t i = 3; h >= 0 && i < args.size() && error.empty(); ++i) {
        int32_t sent = write_frame(h, type, args[i]);
        if (sent != static_cast<int32_t>(args[i].size())) {
            error = sent == -9 ? "message too long for the 3-byte header (try --long)" : "send failed";
            break;
        }
        int32_t ready = 0;
        if (c_ippend(&h, 1, timeout, &ready) <= 0) {
            error = "no reply within " + seconds(timeout);
            break;
        }
        Frame f = read_frame(h);
        if (f.result < 0) {
            error = "the server closed the connection";
        } else if (as_json) {
            json.begin_object();
            json.member("type", f.type);
            json.member("length", static_cast<int64_t>(f.payload.size()));
            json.member("payload", f.payload);
            json.member("hex", hex_bytes(f.payload));
            json.end_object();
        } else {
            say("reply: " + describe_frame(f.type, f.payload));
        }
    }
    if (h >= 0)
        c_ipclos(h);
    if (as_json) {
        json.end_array();
        json.text_or_null("error", error);
        json.end_object();
        json.finish();
    }
    return error.empty() ? 0 : failure(kName, error);
}

int run(const Args &args) {
    Args rest;
    if (args.empty())
        return usage_error(kName, "needs serve or send");
    if (args[0] == "--help" || args[0] == "-h")
        return read_options(kName, args, {}, rest);
    if (args[0] != "serve" && args[0] != "send")
        return usage_error(kName, "unknown subcommand " + args[0]);
    Framing framing;
    ServerOptions server;
    double timeout = 5.0;
    bool as_json = false;
    OptionTable options{{{"--block", integer_option(1, 1 << 20, framing.block)}},
                        {{"--long", [&] { framing.long_header = true; }}}};
    int32_t max_frame = 0;
    if (args[0] == "serve") {
        options.valued["--port"] = integer_option(0, 65535, server.port);
        options.valued["--connections"] = integer_option(0, 1 << 30, server.connections);
        options.valued["--max-connections"] = integer_option(1, 1 << 24, server.max_connections);
        ValuedOption frame = integer_option(5, INT32_MAX, max_frame);
        options.valued["--max-frame"] = {frame.takes, [&, read = frame.read](const std::string &v) {
                                             bool ok = read(v);
                                             server.max_frame = max_frame;
                                             return ok;
                                         }};
        options.valued["--idle"] = seconds_option(true, server.idle);
        options.valued["--listen"] = {"an IPv4 address", [&](const std::string &v) {
                                          server.listen = v;
                                          return !v.empty();
                                      }};
    } else {
        options.valued["--timeout"] = seconds_option(false, timeout);
        options.flags["--json"] = set_flag(as_json);
    }
    if (int done = read_options(kName, Args(args.begin() + 1, args.end()), options, rest); done >= 0)
        return done;
    if (args[0] == "send")
        return send(rest, framing, timeout, as_json);
    if (!rest.empty())
        return usage_error(kName, "serve takes no operands");
    server.block = framing.block;
    server.long_header = framing.long_header;
    return serve(server);
}

// ---- demo ----------------------------------------------------------------

std::string demo_payload(int32_t i) {
    std::string s(5000, '\0');
    for (size_t k = 0; k < s.size(); ++k)
        s[k] = static_cast<char>((k * 7 + static_cast<size_t>(i)) & 0xff);
    return s;
}

const std::vector<std::pair<int32_t, std::string>> &demo_frames() {
    static const std::vector<std::pair<int32_t, std::string>> frames = {
        {1, "hello from the client"}, {2, demo_payload(2)}, {9, "bye"}};
    return frames;
}

// The client side, in the forked process: sends each frame and checks its echo.
int demo_client(int32_t port) {
    alarm(20); // a partner that stops answering must not keep the demo
    int32_t proto = c_ipini(2, nullptr);
    int32_t h = c_ipoccs(proto, "127.0.0.1", port);
    if (h < 0)
        return 1;
    c_ipseto(h, 1, 4);
    for (const auto &[type, payload] : demo_frames()) {
        if (write_frame(h, type, payload) != static_cast<int32_t>(payload.size()))
            return 2;
        Frame f = read_frame(h);
        if (f.result < 0 || f.type != type || f.payload != payload)
            return 3;
    }
    c_ipclos(h);
    return 0;
}

int wait_for(pid_t pid) {
    int status = 0;
    for (int i = 0; i < 2000 && waitpid(pid, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int demo_exchange() {
    int32_t port = 0;
    int32_t proto = c_ipini(1, &port);
    if (proto < 0)
        return failure("demo", "cannot listen on a free port");
    say("server listening on a free port; a second process connects to it at 127.0.0.1");
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = fork();
    if (pid == 0)
        _exit(demo_client(port));
    int32_t h = c_ipocss(proto, 10.0);
    c_ipclos(proto);
    if (h < 0) {
        wait_for(pid);
        return failure("demo", "no connection came");
    }
    c_ipseto(h, 1, 4);
    say("accepted connection " + std::to_string(h) + ", block size 4");
    for (;;) {
        int32_t ready = 0;
        if (c_ippend(&h, 1, 10.0, &ready) <= 0)
            break;
        Frame f = read_frame(h);
        if (f.result < 0)
            break;
        say("server got " + describe_frame(f.type, f.payload, 24) + "; echoing it");
        write_frame(h, f.type, f.payload);
    }
    c_ipclos(h);
    int status = wait_for(pid);
    say(status == 0 ? "the client checked every echo and closed: ok" : "the client failed");
    return status == 0 ? 0 : 1;
}

int demo_wire() {
    int fds[2];
    if (pipe(fds) != 0)
        return failure("demo", "no pipe");
    int32_t proto = c_ipini(3, nullptr);
    int32_t h = c_ipocp(proto, -1, fds[1]);
    c_ipseto(h, 1, 4);
    write_frame(h, 7, "abc");
    c_ipclos(h); // closes the write end
    c_ipclos(proto);
    unsigned char wire[16];
    ssize_t n = read(fds[0], wire, sizeof wire);
    close(fds[0]);
    std::string bytes;
    char b[4];
    for (ssize_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02x", wire[i]);
        bytes += (i ? " " : "") + std::string(b);
    }
    say("type 7, payload 'abc', block size 4 on the wire: " + bytes);
    return 0;
}

int demo_channels(const std::string &) {
    int status = demo_exchange();
    return demo_wire() == 0 ? status : 1;
}

const RegisterCommand command{
    {kName, "typed message channels: an echo server and a client",
     "usage: kt-util channel serve [--port P] [--listen ADDR] [--block B] [--long] [--connections N]\n"
     "                             [--max-frame BYTES] [--idle S] [--max-connections N]\n"
     "       kt-util channel send HOST PORT TYPE TEXT... [--block B] [--long] [--timeout S] [--json]\n"
     "\n"
     "serve  listens on port P (default 0: any free port) of ADDR (default 127.0.0.1,\n"
     "       this machine only; 0.0.0.0: every interface) and prints 'listening on\n"
     "       port N at ADDR'; accepts connections, prints every frame (type, length,\n"
     "       payload as text or hex) and sends it back unchanged. With --connections\n"
     "       N it ends after N connections have closed. It closes, with a message, a\n"
     "       connection that declares a frame longer than --max-frame bytes (default\n"
     "       1048576), that moves no byte for --idle S seconds (default 30; 0: never)\n"
     "       or that leaves more replies unread than 4 MiB or two of the longest\n"
     "       frames; connections beyond --max-connections (default 1000) are refused.\n"
     "send   connects to HOST and PORT, sends each TEXT as one frame of TYPE (0..255)\n"
     "       and prints the reply, waiting at most S seconds (default 5) for the\n"
     "       connection and for each reply. A TEXT that starts with '-' goes after\n"
     "       '--'. With --json it writes one JSON document instead:\n"
     "         {\"replies\": [{\"type\": T, \"length\": N, \"payload\": TEXT,\n"
     "                      \"hex\": HEX}, ...], \"error\": E}\n"
     "       payload holds the bytes as text, hex every byte as two hexadecimal\n"
     "       digits; error is null, or why the replies stopped.\n"
     "\n"
     "Both ends must agree on framing: --block B pads frames to multiples of B\n"
     "bytes (default 1); --long uses the 5-byte header, for payloads above 32764.\n"
     "Exit status: 0 success, 1 failure (no connection, no reply), 2 usage error.\n",
     run}};
const RegisterDemo section{{80, "Socket channels between two processes", demo_channels}};

} // namespace
} // namespace ktutil
