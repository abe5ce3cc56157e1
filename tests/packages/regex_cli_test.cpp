// kt-util regex as its users run it.
#include <gtest/gtest.h>

#include <string>

#include "support/run_command.h"

namespace {

TEST(RegexCli, Runs) {
    // Subjects on which backtracking explodes get their answer, quickly, and
    // long substitutions are not cut.
    const std::string xs(16000, 'x'), as = std::string(3400, 'a') + "c", ws(1000, 'w');
    const std::string usage = "\nTry 'kt-util regex --help'.\n";
    kt::test::expect_cli(
        std::string(KT_UTIL_EXE) + " regex",
        {
            {"'(ab)*c' ababc xyz --sub '[\\1&]'",
             0,
             {"\"ababc\": match \"ababc\"\n  \\1 = \"ab\"\n  substitution: \"[abababc]\"\n\"xyz\": no match\n"},
             ""},
            {"'(x)(y)' axyb --sub '[\\2\\1&]'",
             0,
             {"\"axyb\": match \"xy\"\n  \\1 = \"x\"\n  \\2 = \"y\"\n  substitution: \"[yxxy]\"\n"},
             ""},
            {"'a|b'", 0, {"\"a|b\": compiles\n"}, ""},
            {"--help", 0, {"usage: kt-util regex PATTERN [SUBJECT...] [--sub TEMPLATE]"}, ""},
            {"'(x+x+)+y' " + xs, 0, {"\"" + xs + "\": no match\n"}, ""},
            {"'(a|b)*c' " + as, 0, {"\"" + as + "\": match \"" + as + "\"\n  \\1 = \"a\"\n"}, ""},
            {"'w+' " + ws + " --sub '<&&>'", 0, {"substitution: \"<" + ws + ws + ">\""}, ""},
            {"'a**' abc", 1, {}, "kt-util regex: \"a**\": nested *?+\n"},
            {"'[z-a]'", 1, {}, "kt-util regex: \"[z-a]\": invalid [] range\n"},
            {"", 2, {}, "kt-util regex: missing PATTERN" + usage},
            {"a --sub", 2, {}, "kt-util regex: --sub needs a TEMPLATE" + usage},
        });
}

} // namespace
