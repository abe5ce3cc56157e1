// kt-util as its users run it: exit statuses, help texts and the demo.
#include <gtest/gtest.h>

#include <string>

#include "support/run_command.h"

namespace {

using kt::test::Outcome;

Outcome run(const std::string &args) { return kt::test::run_command(std::string(KT_UTIL_EXE) + " " + args); }

TEST(KtUtilCli, ExitStatuses) {
    struct Case {
        const char *args;
        int status;
        const char *contains;
    } cases[] = {
        {"--version", 0, "kt-util "},
        {"--help", 0, "demo"},
        {"", 2, "usage: kt-util"},
        {"no-such-command", 2, "unknown command 'no-such-command'"},
        {"demo --help", 0, "usage: kt-util demo"},
        {"demo a b", 2, "too many arguments"},
        {"demo /no/such/dir", 1, "cannot open /no/such/dir/words.txt"},
    };
    for (const Case &c : cases) {
        Outcome r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.contains), std::string::npos) << c.args << "\n" << r.out;
    }
}

TEST(KtUtilCli, DemoTourOfStringsAndLists) {
    Outcome r = run(std::string("demo ") + KT_EXAMPLES);
    ASSERT_EQ(r.status, 0) << r.out;
    for (const char *line : {
             "joined: resistor, capacitor, inductor, diode, opamp, comparator, switch, transformer\n",
             "entries 8, capacity 8",
             "overwritten copy: RESistor",
             "word store in use after freeing everything: 0 bytes above the start\n",
         })
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
}

} // namespace
