// kt-util fields as its users run it: printing, getting and setting values,
// and the statuses of what goes wrong.
#include <gtest/gtest.h>

#include <string>

#include "host/host_test_util.h"
#include "support/run_command.h"

namespace {

using kt::test::Outcome;

const std::string kExample = std::string(KT_EXAMPLES) + "/amplifier.fields";

Outcome run(const std::string &args) { return kt::test::run_command(std::string(KT_UTIL_EXE) + " fields " + args); }

TEST(FieldsCli, Statuses) {
    struct Case {
        std::string args;
        int status;
        std::string contains;
    } cases[] = {
        {kExample, 0, "corner 10MEG \\\n       2.2E-9\n"},
        {kExample + " --mode 2", 0, "bias   1.2,3.3,5 \n"},
        {kExample + " get BIAS 2", 0, "3.3\n"},
        {kExample + " get title", 0, "two-stage amplifier, inverting\n"},
        {kExample + " get gain --number", 0, "4700\n"},
        {kExample + " get stages --number", 1, "input\n^ not a number"},
        {kExample + " get corner 2 --number", 0, "2.2e-09"},
        {kExample + " get bias 4", 1, "field bias has 3 values, not 4"},
        {kExample + " get nothing", 1, "no field nothing"},
        {"/no/such/file get a", 1, "error 2004: /no/such/file"},
        {"", 2, "no field file"},
        {kExample + " --mode 3", 2, "--mode takes 1 or 2"},
        {kExample + " get", 2, "wrong number of arguments"},
        {kExample + " get gain 0", 2, "positive integer"},
        {kExample + " set gain 1", 2, "wrong number of arguments"},
        {kExample + " --number", 2, "option not taken"},
        {kExample + " frob", 2, "unknown action 'frob'"},
        {kExample + " set gain 1 2K -o /no/such/dir/out", 1, "error 2007"},
        {::testing::TempDir(), 1, "cannot read " + ::testing::TempDir() + ": Is a directory"},
        {kExample + " set gain 1 2K -o /dev/full", 1, "/dev/full: No space left on device"},
    };
    for (const Case &c : cases) {
        Outcome r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.contains), std::string::npos) << c.args << "\n" << r.out;
    }
}

TEST(FieldsCli, SetWritesTheTableBack) {
    kt_host_test::TempFile file("fields_cli");
    ASSERT_EQ(run(kExample + " set gain 3 1MEG -o " + file.path).status, 0);
    ASSERT_EQ(run(file.path + " set new 1 'a, b'").status, 0);
    EXPECT_EQ(run(file.path + " get gain 3 --number").out, "1e+06\n");
    EXPECT_EQ(run(file.path + " get gain 2").out, "\n");
    EXPECT_EQ(run(file.path + " get new").out, "a, b\n");
    EXPECT_EQ(run(file.path + " get flags 1").status, 1) << "fields without values are kept";
    EXPECT_EQ(run(file.path + " get notes").out, "first line\nsecond line\n");
    kt_host_test::spit(file.path, "crlf 1, 2\r\n");
    EXPECT_EQ(run(file.path + " get crlf 2").out, "2\n");
}

} // namespace
