// kt-util path and fid: what each shows for accepted and refused texts,
// and their exit statuses.
#include <gtest/gtest.h>

#include <string>

#include "support/run_command.h"

namespace {

kt::test::Outcome run(const std::string &args) { return kt::test::run_command(std::string(KT_UTIL_EXE) + " " + args); }

TEST(NamesCli, PathShowsTokensAndRecordOrReason) {
    const struct {
        const char *args;
        int status;
        std::vector<const char *> lines;
    } cases[] = {
        {"path /top/A.b", 0,
         {"  0x0410  root", "\"top\" (", "  0x1412  qualified a.b    \"a\" (", "compiled: 6 cells: 0x0410 0x2421 "}},
        {"path 'bus[1:4]/q'", 0, {"  0x340A  range n:m        1:4", "0x340A 1 4 0x4010 0x2421"}},
        {"path 'bus[x]'", 1, {"refused: syntax error at character 4"}},
        {"path 'bus[9999999999]' ')/a'", 1,
         {"path bus[9999999999]\n  0x2421  name             \"bus\" (1)\n  0x0002  syntax error\n"
          "  refused: syntax error at character 4\n",
          "path )/a\n  0x0002  syntax error\n  refused: syntax error at character 1\n"}},
        {"path '*.*/..' 'a/*'", 1, {"refused: sequence rule broken (error 7056)", "compiled: 3 cells"}},
        {"path '*/a'", 1, {"(error 7003): a name after \"*\""}},
        {"fid run/out.p2 run/out.d2.bak", 0,
         {"run/out.p2: class 3 (dir/name.CC), kind 3 (p2), directory \"run\" (1..3), name \"out\" (5..7)",
          "run/out.d2.bak: class 2 (dir/name.CC.ext), kind 6 (d2), name \"out\" (5..7), ext \"bak\" (12..14)"}},
        {"fid p1x run/out.e3", 1, {"p1x: class 0 (not a result file identifier)", "class 3 (dir/name.CC), kind 0"}},
        {"demo", 0, {"path bus[1:4]/q", "run/out.bak.e1: class 1"}},
    };
    for (const auto &c : cases) {
        kt::test::Outcome r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        for (const char *line : c.lines)
            EXPECT_NE(r.out.find(line), std::string::npos) << c.args << ": " << line << "\n" << r.out;
    }
}

} // namespace
