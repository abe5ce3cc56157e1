// Runs a shell command line for the command-line tests: its exit status
// and everything it wrote to standard output and standard error; and
// expect_cli, which checks a table of runs of one program.
#ifndef KT_TESTS_SUPPORT_RUN_COMMAND_H
#define KT_TESTS_SUPPORT_RUN_COMMAND_H

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kt::test {

struct Outcome {
    int status; // exit status; -1 when it did not exit normally
    std::string out;
    std::string err; // empty when standard error went to `out`
};

// Runs the command; with split_errors standard error is kept apart in
// `err`, else it is mixed into `out` as a terminal would show it.
inline Outcome run_command(const std::string &command, bool split_errors = false) {
    Outcome r{-1, {}, {}};
    std::string err_file = ::testing::TempDir() + "kt_cli_err_" + std::to_string(getpid());
    FILE *p = popen((command + (split_errors ? " 2>" + err_file : " 2>&1")).c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    if (split_errors) {
        std::ostringstream s;
        s << std::ifstream(err_file, std::ios::binary).rdbuf();
        r.err = s.str();
        std::remove(err_file.c_str());
    }
    return r;
}

// One run and what it must show: its exit status, texts that standard
// output contains (none: it stays empty) and a text that standard error
// contains (empty: it stays empty).
struct CliCase {
    std::string args; // shell words after the program
    int status;
    std::vector<std::string> out;
    std::string err;
};

inline void expect_cli(const std::string &program, const std::vector<CliCase> &cases) {
    for (const CliCase &c : cases) {
        Outcome r = run_command(program + " " + c.args, true);
        std::string shown = c.args.substr(0, 200) + "\n--- stdout:\n" + r.out.substr(0, 3000) + "--- stderr:\n" + r.err;
        EXPECT_EQ(r.status, c.status) << shown;
        if (c.out.empty()) {
            EXPECT_EQ(r.out, "") << shown;
        }
        for (const std::string &text : c.out)
            EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << shown;
        if (c.err.empty()) {
            EXPECT_EQ(r.err, "") << shown;
        } else {
            EXPECT_NE(r.err.find(c.err), std::string::npos) << c.err << "\n" << shown;
        }
    }
}

} // namespace kt::test

#endif
