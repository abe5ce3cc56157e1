// Runs a shell command line for the command-line tests: its exit status
// and everything it wrote to standard output and standard error.
#ifndef KT_TESTS_SUPPORT_RUN_COMMAND_H
#define KT_TESTS_SUPPORT_RUN_COMMAND_H

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace kt::test {

struct Outcome {
    int status; // exit status; -1 when it did not exit normally
    std::string out;
};

inline Outcome run_command(const std::string &command) {
    Outcome r{-1, {}};
    FILE *p = popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

} // namespace kt::test

#endif
