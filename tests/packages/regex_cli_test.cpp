// kt-util regex as its users run it, and its demo section.
#include <gtest/gtest.h>

#include <string>

#include "support/run_command.h"

using kt::test::Outcome;
using kt::test::run_command;

namespace {

Outcome run(const std::string &args) { return run_command(std::string(KT_UTIL_EXE) + " " + args); }

TEST(RegexCli, Runs) {
    struct Case {
        const char *args;
        int status;
        const char *output;
    } cases[] = {
        {"regex '(ab)*c' ababc xyz --sub '[\\1&]'", 0,
         "\"ababc\": match \"ababc\"\n  \\1 = \"ab\"\n  substitution: \"[abababc]\"\n\"xyz\": no match\n"},
        {"regex '(x)(y)' axyb --sub '[\\2\\1&]'", 0,
         "\"axyb\": match \"xy\"\n  \\1 = \"x\"\n  \\2 = \"y\"\n  substitution: \"[yxxy]\"\n"},
        {"regex 'a|b'", 0, "\"a|b\": compiles\n"},
        {"regex 'a**' abc", 1, "kt-util regex: \"a**\": nested *?+\n"},
        {"regex '[z-a]'", 1, "kt-util regex: \"[z-a]\": invalid [] range\n"},
        {"regex", 2, "kt-util regex: missing PATTERN\nTry 'kt-util regex --help'.\n"},
        {"regex a --sub", 2, "kt-util regex: --sub needs a TEMPLATE\nTry 'kt-util regex --help'.\n"},
    };
    for (const Case &c : cases) {
        Outcome r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.out, c.output) << c.args;
    }
    Outcome help = run("regex --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: kt-util regex PATTERN [SUBJECT...] [--sub TEMPLATE]"), std::string::npos);
}

// Subjects on which backtracking explodes get their answer, quickly.
TEST(RegexCli, ExplodingSubjects) {
    const std::string xs(16000, 'x'), as = std::string(3400, 'a') + "c";
    Outcome r = run("regex '(x+x+)+y' " + xs);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "\"" + xs + "\": no match\n");
    r = run("regex '(a|b)*c' " + as);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "\"" + as + "\": match \"" + as + "\"\n  \\1 = \"a\"\n");
}

TEST(RegexCli, LongSubstitutionsAreNotCut) {
    std::string subject(1000, 'w');
    Outcome r = run("regex 'w+' " + subject + " --sub '<&&>'");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("substitution: \"<" + subject + subject + ">\""), std::string::npos);
}

} // namespace
