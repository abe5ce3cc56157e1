// The helpers every kt-util command shares: the command and demo
// registries, messages, the examples directory and line output. Apart from
// main.cpp, so that programs other than kt-util (the fuzz target of the
// commands) can run the commands in-process.
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "command.h"
#include "kt/host.h"

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
