// expect_cli: runs a table of command lines of one program and checks each
// run's exit status and what it wrote to standard output and standard error.
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
    const std::string err_file = ::testing::TempDir() + "kt_cli_err_" + std::to_string(getpid());
    for (const CliCase &c : cases) {
        std::string out, err;
        int status = -1; // -1: it did not exit normally
        if (FILE *p = popen((program + " " + c.args + " 2>" + err_file).c_str(), "r")) {
            char buf[4096];
            size_t n;
            while ((n = fread(buf, 1, sizeof buf, p)) > 0)
                out.append(buf, n);
            int st = pclose(p);
            status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
            std::ostringstream s;
            s << std::ifstream(err_file, std::ios::binary).rdbuf();
            err = s.str();
            std::remove(err_file.c_str());
        }
        std::string shown = c.args.substr(0, 200) + "\n--- stdout:\n" + out.substr(0, 3000) + "--- stderr:\n" + err;
        EXPECT_EQ(status, c.status) << shown;
        EXPECT_TRUE(!c.out.empty() || out.empty()) << "output where none was expected\n" << shown;
        for (const std::string &text : c.out)
            EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << shown;
        EXPECT_TRUE(c.err.empty() ? err.empty() : err.find(c.err) != std::string::npos) << c.err << "\n" << shown;
    }
}

} // namespace kt::test

#endif
