// kt-util: command-line access to libkt_util.
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
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

int usage_error(const std::string &command, const std::string &message) {
    std::fprintf(stderr, "kt-util %s: %s\nTry 'kt-util %s --help'.\n", command.c_str(), message.c_str(),
                 command.c_str());
    return 2;
}

int failure(const std::string &command, const std::string &message) {
    std::fprintf(stderr, "kt-util %s: %s\n", command.c_str(), message.c_str());
    return 1;
}

bool wants_help(const Args &args) {
    return std::any_of(args.begin(), args.end(), [](const std::string &a) { return a == "--help" || a == "-h"; });
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

} // namespace ktutil

namespace {

void print_help() {
    auto cmds = ktutil::commands();
    std::sort(cmds.begin(), cmds.end(), [](const auto &a, const auto &b) { return std::strcmp(a.name, b.name) < 0; });
    std::printf("usage: kt-util [--help] [--version] COMMAND [ARGS...]\n\n"
                "Command-line access to libkt_util, the simulator's utility library.\n\n"
                "Commands:\n");
    for (const ktutil::Command &c : cmds)
        std::printf("  %-10s %s\n", c.name, c.summary);
    std::printf("\nRun 'kt-util COMMAND --help' for the arguments of a command.\n"
                "Exit status: 0 success, 1 failure, 2 usage error.\n");
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        print_help();
        return 2;
    }
    std::string first = argv[1];
    if (first == "--help" || first == "-h" || first == "help") {
        print_help();
        return 0;
    }
    if (first == "--version") {
        std::printf("kt-util %s\n", kt_util_version());
        return 0;
    }
    ktutil::Args args(argv + 2, argv + argc);
    for (const ktutil::Command &c : ktutil::commands()) {
        if (first != c.name)
            continue;
        if (ktutil::wants_help(args)) {
            std::fputs(c.usage, stdout);
            return 0;
        }
        int status = c.run(args);
        std::fflush(stdout);
        return status;
    }
    std::fprintf(stderr, "kt-util: unknown command '%s'\nTry 'kt-util --help'.\n", first.c_str());
    return 2;
}
