// Every kt-util command on an argument vector from the input: the words
// between zero bytes, the first naming the command. The commands run
// in-process, as the program runs them, with standard output and standard
// error sent to /dev/null. No command may crash, hang, leak (the sanitizer
// watches the heap, this target the word store) or end with a status
// other than 0, 1 or 2; `number` and `fid` must fail exactly when one of
// their texts is refused by the reader they report on.
//
// The commands work in a scratch directory holding copies of the examples,
// restored before each input, and current while a command runs (so give
// libFuzzer an absolute -artifact_prefix). File names lose their slashes,
// so that no command reads or writes outside it. `channel send` talks to 127.0.0.1 on
// a port of this process, where a thread echoes every byte; `channel
// serve` listens on a free port of 127.0.0.1 and ends after one connection,
// which a thread of this process opens and closes.
#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "command.h"
#include "fuzz_util.h"
#include "kt/host.h"
#include "kt/names.h"
#include "kt/text.h"

using kt::fuzz::check;

// Sanitizer reports keep going to the real standard error while the
// commands' output is discarded (absent without a sanitizer).
extern "C" void __sanitizer_set_report_fd(void *fd) __attribute__((weak));

namespace {

// ---- the scratch directory ------------------------------------------------

// The commands run in it, and only they: libFuzzer's own paths stay
// relative to where it was started.
struct Scratch {
    std::string dir;
    std::map<std::string, std::string> files; // name -> contents
    int home = open(".", O_RDONLY | O_DIRECTORY);

    Scratch() : dir(kt::fuzz::scratch_path("ktutil")) {
        check(home >= 0 && mkdir(dir.c_str(), 0700) == 0);
        for (const char *name : {"words.txt", "amplifier.fields", "numbers.txt", "netlist.txt", "sensor_frontend.vhd"})
            files[name] = kt::fuzz::read_file(std::string(KT_SOURCE_EXAMPLES) + "/" + name);
    }
    ~Scratch() { clear(); }
    void clear() const {
        if (DIR *d = opendir(dir.c_str())) {
            while (dirent *e = readdir(d))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                    unlink((dir + "/" + e->d_name).c_str());
            closedir(d);
        }
    }
    // Fresh copies of the examples, and the directory made current.
    void enter() const {
        clear();
        for (const auto &[name, contents] : files)
            kt::fuzz::write_file(dir + "/" + name, contents.data(), contents.size());
        check(chdir(dir.c_str()) == 0);
    }
    void leave() const { check(fchdir(home) == 0); }
};

// ---- loopback partners ----------------------------------------------------

int listening_socket(uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    check(fd >= 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    check(bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 && listen(fd, 8) == 0);
    return fd;
}

uint16_t port_of(int fd) {
    sockaddr_in a{};
    socklen_t n = sizeof a;
    check(getsockname(fd, reinterpret_cast<sockaddr *>(&a), &n) == 0);
    return ntohs(a.sin_port);
}

// A port nobody listens on just now.
uint16_t free_port() {
    int fd = listening_socket(0);
    uint16_t port = port_of(fd);
    close(fd);
    return port;
}

// Echoes every byte of every connection, one connection at a time.
uint16_t echo_port() {
    static const uint16_t port = [] {
        int fd = listening_socket(0);
        std::thread([fd] {
            for (;;) {
                int c = accept(fd, nullptr, nullptr);
                if (c < 0)
                    continue;
                char buf[65536];
                ssize_t n;
                while ((n = read(c, buf, sizeof buf)) > 0)
                    for (ssize_t off = 0, w; off < n; off += w)
                        if ((w = write(c, buf + off, static_cast<size_t>(n - off))) <= 0)
                            break;
                close(c);
            }
        }).detach();
        return port_of(fd);
    }();
    return port;
}

// Connects to the port (retrying until something listens) and hangs up,
// until `done`.
void knock(uint16_t port, const std::atomic<bool> &done) {
    while (!done) {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(port);
        bool connected = fd >= 0 && connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
        if (fd >= 0)
            close(fd);
        if (connected)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// ---- the arguments -------------------------------------------------------

bool has_digit(const std::string &s) { return s.find_first_of("0123456789") != std::string::npos; }

// `channel send`: the host (the first operand) becomes 127.0.0.1 and a
// port with a digit in it the echo port; the options that take a value are
// those of the command.
void local_send(ktutil::Args &args) {
    size_t operand = 0;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].compare(0, 2, "--") == 0) {
            if (args[i] == "--block" || args[i] == "--timeout")
                ++i;
            continue;
        }
        if (operand == 0)
            args[i] = "127.0.0.1";
        else if (operand == 1 && has_digit(args[i]))
            args[i] = std::to_string(echo_port());
        ++operand;
    }
}

// ---- running a command ---------------------------------------------------

struct Quiet {
    int out = dup(1), err = dup(2);
    Quiet() {
        std::fflush(stdout);
        std::fflush(stderr);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        close(null);
    }
    ~Quiet() {
        std::fflush(stdout);
        std::fflush(stderr);
        dup2(out, 1);
        dup2(err, 2);
        close(out);
        close(err);
    }
};

int run(const Scratch &scratch, const ktutil::Args &words) {
    struct Inside {
        const Scratch &s;
        explicit Inside(const Scratch &scratch) : s(scratch) { s.enter(); }
        ~Inside() { s.leave(); }
    } inside(scratch);
    Quiet quiet;
    return ktutil::run_kt_util(words);
}

ktutil::Args with_name(const std::string &name, const ktutil::Args &args) {
    ktutil::Args words{name};
    words.insert(words.end(), args.begin(), args.end());
    return words;
}

int expected_number_status(const ktutil::Args &args) {
    if (args.empty())
        return 2;
    for (const std::string &t : args) {
        double v = 0;
        if (c_vbcs2d(t.data(), static_cast<int32_t>(t.size()), &v) != 0)
            return 1;
    }
    return 0;
}

int expected_fid_status(const ktutil::Args &args) {
    if (args.empty())
        return 2;
    for (const std::string &t : args) {
        int32_t n = static_cast<int32_t>(t.size()), s1, e1, s2, e2, kind = 0;
        if (PRSFID(t.data(), &n, &s1, &e1, &s2, &e2, &kind, n) == 0)
            return 1;
    }
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const Scratch scratch;
    static const int report_fd = dup(2);
    if (__sanitizer_set_report_fd)
        __sanitizer_set_report_fd(reinterpret_cast<void *>(static_cast<intptr_t>(report_fd)));
    std::vector<std::string> words = kt::fuzz::words_of(data, size);
    if (words.empty())
        return 0;
    const std::string name = words[0];
    ktutil::Args args(words.begin() + 1, words.end());
    if (!ktutil::find_command(name))
        return 0;
    if (name == "fields" || name == "vhdl" || name == "demo")
        for (std::string &a : args)
            for (char &ch : a)
                if (ch == '/')
                    ch = '_';

    const int64_t baseline = kt_host_store_bytes_in_use();
    int status = -1;
    if (name == "channel" && !args.empty() && args[0] == "serve") {
        const uint16_t port = free_port();
        args.insert(args.end(),
                    {"--port", std::to_string(port), "--listen", "127.0.0.1", "--connections", "1", "--idle", "1"});
        std::atomic<bool> done{false};
        std::thread client(knock, port, std::cref(done));
        status = run(scratch, with_name(name, args));
        done = true;
        client.join();
    } else {
        if (name == "channel" && !args.empty() && args[0] == "send")
            local_send(args);
        status = run(scratch, with_name(name, args));
    }
    check(status == 0 || status == 1 || status == 2);
    check(kt_host_store_bytes_in_use() == baseline);
    // Options (and operands that look like them) have their own rules.
    const bool plain =
        std::none_of(args.begin(), args.end(), [](const std::string &a) { return !a.empty() && a[0] == '-'; });
    if (plain && name == "number")
        check(status == expected_number_status(args));
    if (plain && name == "fid")
        check(status == expected_fid_status(args));
    kt_host_reset_errors();
    return 0;
}
