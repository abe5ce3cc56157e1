// Subcommands of kt-util. Each command file registers itself with a static
// RegisterCommand object, and may add a section to `kt-util demo` with a
// RegisterDemo object, so adding a command touches no other file.
//
// A command takes its own arguments (after its name) and returns the exit
// status: 0 success, 1 failure, 2 usage error. Messages go to stderr.
#ifndef KT_TOOLS_KT_UTIL_COMMAND_H
#define KT_TOOLS_KT_UTIL_COMMAND_H

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

struct RegisterCommand {
    explicit RegisterCommand(const Command &c) { commands().push_back(c); }
};
struct RegisterDemo {
    explicit RegisterDemo(const DemoSection &d) { demo_sections().push_back(d); }
};

// Prints "kt-util COMMAND: message" and a hint; returns 2.
int usage_error(const std::string &command, const std::string &message);
// Prints "kt-util COMMAND: message"; returns 1.
int failure(const std::string &command, const std::string &message);
bool wants_help(const Args &args);

// Directory of the bundled examples: the installed copy, found relative to the
// program; for the program in the build tree, the source tree's.
std::string examples_dir();

// Appends a text to the host's output line and writes the line.
void say(const std::string &line);

} // namespace ktutil

#endif
