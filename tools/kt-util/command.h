// Subcommands of kt-util. Each takes its own arguments (after the command
// name) and returns the exit status: 0 success, 1 failure, 2 usage error.
#ifndef KT_TOOLS_KT_UTIL_COMMAND_H
#define KT_TOOLS_KT_UTIL_COMMAND_H

#include <string>
#include <vector>

namespace ktutil {

using Args = std::vector<std::string>;

struct Command {
    const char *name;
    const char *summary;
    const char *usage; // full help text of the subcommand
    int (*run)(const Args &args);
};

const std::vector<Command> &commands();

int usage_error(const std::string &command, const std::string &message);
bool wants_help(const Args &args);

// Directory of the bundled examples: the source tree's, else the installed copy.
std::string examples_dir();

int run_demo(const Args &args);

} // namespace ktutil

#endif
