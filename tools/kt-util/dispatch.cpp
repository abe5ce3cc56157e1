// kt-util's command table, its own help and the choice of the command.
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "command.h"
#include "kt/host.h"
#include "kt/version.h"

namespace ktutil {

std::vector<Command> &commands() {
    static std::vector<Command> all;
    return all;
}

std::vector<DemoSection> &demo_sections() {
    static std::vector<DemoSection> all;
    return all;
}

const Command *find_command(const std::string &name) {
    for (const Command &c : commands())
        if (name == c.name)
            return &c;
    return nullptr;
}

namespace {

// The directory holding this program, resolved through /proc/self/exe so
// that neither the working directory nor the configured prefix matters.
std::string program_dir() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return "";
    std::string exe(path, static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/'));
}

std::string real_path(const char *path) {
    char resolved[PATH_MAX];
    return realpath(path, resolved) ? resolved : path;
}

void print_help(std::FILE *out) {
    auto cmds = commands();
    std::sort(cmds.begin(), cmds.end(), [](const auto &a, const auto &b) { return std::strcmp(a.name, b.name) < 0; });
    std::fputs("usage: kt-util [--help] [--version] COMMAND [ARGS...]\n"
               "       kt-util help [COMMAND]\n\n"
               "Command-line access to libkt_util, the simulator's utility library.\n\n"
               "Commands:\n",
               out);
    for (const Command &c : cmds)
        std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
    std::fputs("\n"
               "Options may stand anywhere among a command's operands. An argument that\n"
               "starts with '-' is an option, except '-' alone and a negative number ('-'\n"
               "and a digit or a point: -1.5, -.5); after '--' every argument is an\n"
               "operand. A valued option takes the next argument or the text after '='\n"
               "(--name=VDD).\n"
               "\n"
               "With --json a command writes one JSON document to standard output, as its\n"
               "help describes. Texts in it are UTF-8: bytes that are not valid UTF-8 are\n"
               "read as Latin-1 (0xE9 is U+00E9); reals that are not finite are null.\n"
               "\n"
               "Long work shows its progress on standard error when that is a terminal.\n"
               "Run 'kt-util help COMMAND' or 'kt-util COMMAND --help' for the arguments\n"
               "of a command.\n"
               "Exit status: 0 success, 1 failure, 2 usage error. Messages go to standard\n"
               "error.\n",
               out);
}

int top_level_usage(const std::string &message) {
    std::fprintf(stderr, "kt-util: %s\nTry 'kt-util --help'.\n", message.c_str());
    return 2;
}

} // namespace

std::string examples_dir() {
    std::string dir = program_dir();
    if (dir.empty())
        return "examples";
    if (dir == real_path(KT_BUILD_TOOL_DIR))
        return KT_SOURCE_EXAMPLES;
    return dir + "/" + KT_INSTALLED_EXAMPLES;
}

void say(const std::string &line) {
    c_oocs(line.c_str());
    c_oowrit();
}

int run_kt_util(const Args &args) {
    if (args.empty()) {
        print_help(stderr);
        return 2;
    }
    const std::string &first = args[0];
    if (first == "--help" || first == "-h" || (first == "help" && args.size() == 1)) {
        print_help(stdout);
        return 0;
    }
    if (first == "help") {
        const Command *c = find_command(args[1]);
        if (!c || args.size() > 2)
            return top_level_usage(c ? "help takes one COMMAND" : "unknown command '" + args[1] + "'");
        std::fputs(c->usage, stdout);
        return 0;
    }
    if (first == "--version") {
        std::printf("kt-util %s\n", kt_util_version());
        return 0;
    }
    if (first.size() > 1 && first[0] == '-')
        return top_level_usage("unknown option '" + first + "'");
    const Command *c = find_command(first);
    if (!c)
        return top_level_usage("unknown command '" + first + "'");
    int status = c->run(Args(args.begin() + 1, args.end()));
    // Output that did not arrive (a full disk) is a failure, not a success.
    int err = std::fflush(stdout) != 0 ? errno : 0;
    if (err || std::ferror(stdout)) {
        std::clearerr(stdout);
        return failure(c->name, "cannot write standard output" + (err ? ": " + std::string(std::strerror(err)) : ""));
    }
    return status;
}

} // namespace ktutil
