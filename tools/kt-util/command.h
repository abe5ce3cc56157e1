// Subcommands of kt-util. Each command file registers itself with a static
// RegisterCommand object, and may add a section to `kt-util demo` with a
// RegisterDemo object, so adding a command touches no other file.
//
// A command takes its own arguments (after its name) and returns the exit
// status: 0 success, 1 failure, 2 usage error. Messages go to stderr.
// Commands keep no state from one run to the next, so that a program can
// run them again and again in one process (run_kt_util).
#ifndef KT_TOOLS_KT_UTIL_COMMAND_H
#define KT_TOOLS_KT_UTIL_COMMAND_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ktutil {

using Args = std::vector<std::string>;

struct Command {
    const char *name;
    const char *summary;
    const char *usage; // full help text of the command
    int (*run)(const Args &args);
};

// A part of the demo tour; sections run in increasing `order`.
struct DemoSection {
    int order;
    const char *title;
    int (*run)(const std::string &examples_dir);
};

std::vector<Command> &commands();
std::vector<DemoSection> &demo_sections();
// The command of that name, or null.
const Command *find_command(const std::string &name);

struct RegisterCommand {
    explicit RegisterCommand(const Command &c) { commands().push_back(c); }
};
struct RegisterDemo {
    explicit RegisterDemo(const DemoSection &d) { demo_sections().push_back(d); }
};

// The whole program but main(): runs kt-util with the arguments that
// follow the program's name and returns the exit status.
int run_kt_util(const Args &args);

// Prints "kt-util COMMAND: message" and a hint; returns 2.
int usage_error(const std::string &command, const std::string &message);
// Prints "kt-util COMMAND: message"; returns 1.
int failure(const std::string &command, const std::string &message);

// "PATH: the system's reason" for a file that cannot be used; "PATH:
// cannot be read" when the reason is not known (0).
std::string file_problem(const std::string &path, int err);

// The numbered error a library call raised, kept off standard error
// because the command words it itself; number 0 when it raised none.
struct LibraryError {
    int32_t number = 0;
    std::string text;
};
LibraryError quietly(const std::function<void()> &call);

// Directory of the bundled examples: the installed copy, found relative to the
// program; for the program in the build tree, the source tree's.
std::string examples_dir();

// Appends a text to the host's output line and writes the line.
void say(const std::string &line);

} // namespace ktutil

#endif
