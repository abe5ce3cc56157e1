// kt-util number and the demo's section on numbers, as users run them.
#include <gtest/gtest.h>

#include <string>

#include "support/run_command.h"

namespace {

using kt::test::Outcome;

Outcome run(const std::string &args) { return kt::test::run_command(std::string(KT_UTIL_EXE) + " " + args); }

TEST(NumberCommand, AcceptedTexts) {
    Outcome r = run("number 4.7K 1meg -.5E+2");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "4.7K\n"
                     "  checked: 4700\n"
                     "  lenient: 4700\n"
                     "1meg\n"
                     "  checked: 1e+06\n"
                     "  lenient: 1e+06\n"
                     "-.5E+2\n"
                     "  checked: -50\n"
                     "  lenient: -50\n");
}

TEST(NumberCommand, RejectionIsMarkedWithACaret) {
    Outcome r = run("number 1.5KOHM 10");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(r.out, "1.5KOHM\n"
                     "  checked: rejected at character 5\n"
                     "    1.5KOHM\n"
                     "        ^\n"
                     "  lenient: 1500\n"
                     "10\n"
                     "  checked: 10\n"
                     "  lenient: 10\n");
    r = run("number 1E");
    EXPECT_NE(r.out.find("    1E\n      ^\n"), std::string::npos) << "past the end when the text stops early\n"
                                                                  << r.out;
    r = run("number " + std::string(60, '1'));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("rejected: longer than 50 characters"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("lenient: 1.1111111111111112e+59"), std::string::npos) << r.out;
}

TEST(NumberCommand, UsageAndHelp) {
    Outcome r = run("number");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("no text to read"), std::string::npos) << r.out;
    r = run("number --help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("usage: kt-util number TEXT..."), std::string::npos) << r.out;
    r = run("--help");
    EXPECT_NE(r.out.find("number"), std::string::npos) << r.out;
}

TEST(NumberCommand, DemoSection) {
    Outcome r = run(std::string("demo ") + KT_EXAMPLES);
    ASSERT_EQ(r.status, 0) << r.out;
    for (const char *line : {"== Engineering numbers (numbers.txt)\n",
                             "4.7K        4700                        4700\n",
                             "1MIL        rejected at character 3     1e-06\n",
                             "3.3MU       3.3e-06                     3.3e-06\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
}

} // namespace
