// kt-util: command-line access to libkt_util.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "command.h"
#include "kt/version.h"

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
