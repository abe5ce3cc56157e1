// kt-util: command-line access to libkt_util.
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "command.h"

namespace ktutil {

const std::vector<Command> &commands() {
    static const std::vector<Command> all = {
        {"demo", "a short tour of the library on the bundled examples",
         "usage: kt-util demo [EXAMPLES_DIR]\n"
         "\n"
         "Runs a short tour of the library over the files in EXAMPLES_DIR\n"
         "(default: the bundled examples/): word-store strings and managed\n"
         "lists built from examples/words.txt, printed through the host.\n",
         run_demo},
    };
    return all;
}

int usage_error(const std::string &command, const std::string &message) {
    std::fprintf(stderr, "kt-util %s: %s\n", command.c_str(), message.c_str());
    std::fprintf(stderr, "Try 'kt-util %s --help'.\n", command.c_str());
    return 2;
}

bool wants_help(const Args &args) {
    for (const std::string &a : args)
        if (a == "--help" || a == "-h")
            return true;
    return false;
}

std::string examples_dir() {
    for (const char *dir : {KT_SOURCE_EXAMPLES, KT_INSTALLED_EXAMPLES})
        if (access(dir, R_OK) == 0)
            return dir;
    return "examples";
}

} // namespace ktutil

namespace {

void print_help() {
    std::printf("usage: kt-util [--help] [--version] COMMAND [ARGS...]\n\n"
                "Command-line access to libkt_util, the simulator's utility library.\n\n"
                "Commands:\n");
    for (const ktutil::Command &c : ktutil::commands())
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
        std::printf("kt-util %s\n", KT_VERSION);
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
        return c.run(args);
    }
    std::fprintf(stderr, "kt-util: unknown command '%s'\nTry 'kt-util --help'.\n", first.c_str());
    return 2;
}
