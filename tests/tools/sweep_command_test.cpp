// kt-util sweep: the printed list, its points, the order options and the
// exit statuses of invalid lists and bad command lines.
#include <gtest/gtest.h>

#include <string>

#include "support/run_command.h"

namespace {

using kt::test::Outcome;

Outcome sweep(const std::string &args) { return kt::test::run_command(std::string(KT_UTIL_EXE) + " sweep " + args); }

TEST(SweepCommand, ListsThePointsOfEachKind) {
    struct Case {
        const char *args;
        const char *out;
    } cases[] = {
        {"--name VDD 1 8 oct 1", "VDD from 1 to 8 oct 1\n4 points, ratio 2\n1       1\n2       2\n3       4\n4       8\n"},
        {"from 0 to 1 by 0.3",
         "from 0 to 1 by 0.3\n4 points, step 0.3\n1       0\n2       0.3\n3       0.6\n4       0.8999999999999999\n"},
        {"--order 2 1 3 lin 3", "from 1 to 3 lin 3\n3 values\n1       3\n2       2\n3       1\n"},
        {"--order 1 in 5 1 3", "in 5 1 3\n3 values\n1       1\n2       3\n3       5\n"},
        {"in 5 1 3", "in 5 1 3\n3 values\n1       5\n2       1\n3       3\n"},
        {"--order 1 in b 2 a", "in b 2 a\n3 names\n1       b\n2       2\n3       a\n"},
        {"1k 10k log 2", "from 1000 to 10000 log 2\n2 points, ratio 10.000000000000002\n1       1000\n2       10000\n"},
    };
    for (const Case &c : cases) {
        Outcome r = sweep(c.args);
        EXPECT_EQ(r.status, 0) << c.args << "\n" << r.out;
        EXPECT_EQ(r.out, c.out) << c.args;
    }
}

TEST(SweepCommand, InvalidListsAndUsageErrors) {
    struct Case {
        const char *args;
        int status;
        const char *contains;
    } cases[] = {
        {"0 1 by 0", 1, "LPCHK code 2"},
        {"0 1 lin 0", 1, "LPCHK code 3"},
        {"-1 10 dec 5", 1, "LPCHK code 4): a logarithmic range must not touch or cross 0"},
        {"0 1 lin 0.5", 1, "no points"},
        {"0 1 by 1e-12", 1, "the word store refused 2147483647 points"},
        {"", 2, "expected FROM TO"},
        {"1 2 step 3", 2, "'step' is not one of by, lin, log, dec, oct"},
        {"1 x by 1", 2, "'x' is not a number"},
        {"in", 2, "'in' needs at least one value"},
        {"--order 3 in 1", 2, "--order takes 1"},
        {"--name", 2, "--name needs a value"},
        {"--loud 1 2 by 1", 2, "unknown option '--loud'"},
        {"--help", 0, "usage: kt-util sweep"},
    };
    for (const Case &c : cases) {
        Outcome r = sweep(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.contains), std::string::npos) << c.args << "\n" << r.out;
    }
}

TEST(SweepCommand, DemoSection) {
    Outcome r = kt::test::run_command(std::string(KT_UTIL_EXE) + " demo " + KT_EXAMPLES);
    ASSERT_EQ(r.status, 0) << r.out;
    for (const char *line : {"VDD from 1 to 1000 dec 3\n10 points", "10      1000\n", "11      1\n",
                             "in descending order (LPXPCP): R in 22 4.7 3.3 1\n",
                             "slots: 4.7K parked as 1, 3.3MEG as 2; taken back: 4700, and through the negated handle "
                             "-3300000\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
}

} // namespace
