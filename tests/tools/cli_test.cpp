// kt-util as its users run it; a run that succeeds leaves standard error
// empty. JSON, manual, completion, progress, hostile clients: in Python.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/host_test_util.h"
#include "support/run_command.h"
#include "system/channel_harness.h"

namespace {

using kt::test::CliCase;
using kt::test::expect_cli;

const std::string kExamples = KT_EXAMPLES, kFields = kExamples + "/amplifier.fields",
                  kVhdl = kExamples + "/sensor_frontend.vhd";

void expect(const std::vector<CliCase> &cases) { expect_cli(KT_UTIL_EXE, cases); }

TEST(KtUtilCli, CommandLines) {
    std::vector<CliCase> cases = {
        {"--version", 0, {"kt-util "}, ""},
        {"--help", 0, {"Commands:\n", "  vhdl       lists the entities"}, ""},
        {"help", 0, {"Commands:\n"}, ""},
        {"help sweep", 0, {"usage: kt-util sweep"}, ""},
        {"", 2, {}, "usage: kt-util"},
        {"help nope", 2, {}, "kt-util: unknown command 'nope'"},
        {"no-such-command", 2, {}, "kt-util: unknown command 'no-such-command'"},
        {"--bogus", 2, {}, "kt-util: unknown option '--bogus'"},
        {"demo a b", 2, {}, "too many arguments"},
        {"demo /no/such/dir", 1, {}, "kt-util demo: /no/such/dir: No such file or directory\n"},
        {"sweep --order 3 in 1", 2, {}, "--order takes 1 (ascending) or 2 (descending), not '3'"},
        {"sweep --name", 2, {}, "--name needs a name"},
        {"sweep --json=1 1 2 by 1", 2, {}, "--json takes no value"},
        {"sweep --name=VDD -1 1 lin 2", 0, {"VDD from -1 to 1 lin 2\n"}, ""},
        {"number 1 >/dev/full", 1, {}, "kt-util number: cannot write standard output: No space left on device\n"},
    };
    // Every command: its help, and an unknown option as a usage error.
    for (std::string command : {"number", "path", "fid", "regex", "sweep", "fields", "vhdl", "demo", "channel"}) {
        cases.push_back({command + " --help", 0, {"usage: kt-util " + command}, ""});
        cases.push_back({"help " + command, 0, {"usage: kt-util " + command}, ""});
        std::string args = command == "channel" ? "channel send --loud" : command + " x --loud";
        cases.push_back({args, 2, {}, "kt-util " + command + ": unknown option '--loud'\nTry 'kt-util"});
    }
    expect(cases);
}

TEST(KtUtilCli, NumbersPathsAndIdentifiers) {
    expect({
        {"number 4.7K -.5E+2", 0, {"4.7K\n  checked: 4700\n  lenient: 4700\n-.5E+2\n  checked: -50\n"}, ""},
        {"number 1.5KOHM 10",
         1,
         {"1.5KOHM\n  checked: rejected at character 5\n    1.5KOHM\n        ^\n  lenient: 1500\n10\n"},
         ""},
        {"number 1E -- -x", 1, {"    1E\n      ^\n", "-x\n  checked: rejected at character 2\n"}, ""},
        {"number " + std::string(60, '1'), 1, {"longer than 50 characters", "lenient: 1.1111111111111112e+59"}, ""},
        {"number", 2, {}, "no text to read"},
        {"path /top/A.b",
         0,
         {"  0x0410  root", "\"top\" (", "  0x1412  qualified a.b    \"a\" (", "compiled: 6 cells: 0x0410 0x2421 "},
         ""},
        {"path 'bus[1:4]/q'", 0, {"  0x340A  range n:m        1:4", "0x340A 1 4 0x4010 0x2421"}, ""},
        {"path 'bus[9999999999]' ')/a'",
         1,
         {"path bus[9999999999]\n  0x2421  name             \"bus\" (1)\n  0x0002  syntax error\n"
          "  refused: syntax error at character 4\n",
          "path )/a\n  0x0002  syntax error\n  refused: syntax error at character 1\n"},
         ""},
        {"path '*.*/..' 'a/*' '*/a'",
         1,
         {"refused: sequence rule broken (error 7056)", "compiled: 3 cells", "(error 7003): a name after \"*\""},
         ""},
        {"fid run/out.p2 run/out.d2.bak",
         0,
         {"run/out.p2: class 3 (dir/name.CC), kind 3 (p2), directory \"run\" (1..3), name \"out\" (5..7)",
          "run/out.d2.bak: class 2 (dir/name.CC.ext), kind 6 (d2), name \"out\" (5..7), ext \"bak\" (12..14)"},
         ""},
        {"fid p1x run/out.e3", 1, {"p1x: class 0 (not a result file identifier)", "class 3 (dir/name.CC), kind 0"}, ""},
    });
}

TEST(KtUtilCli, Sweeps) {
    std::vector<CliCase> cases = {
        {"1 8 oct 1", 0, {"from 1 to 8 oct 1\n4 points, ratio 2\n1       1\n2       2\n3       4\n4       8\n"}, ""},
        {"from 0 to 1 by 0.3", 0, {"4 points, step 0.3\n1       0\n2       0.3\n", "4       0.8999999999999999\n"}, ""},
        {"--order 2 1 3 lin 3", 0, {"from 1 to 3 lin 3\n3 values\n1       3\n2       2\n3       1\n"}, ""},
        {"--order 1 in 5 1 3", 0, {"in 5 1 3\n3 values\n1       1\n2       3\n3       5\n"}, ""},
        {"in 5", 0, {"in 5\n1 value\n1       5\n"}, ""},
        {"--order 1 in b 2 a", 0, {"in b 2 a\n3 names\n1       b\n2       2\n3       a\n"}, ""},
        {"1k 10k log 2", 0, {"from 1000 to 10000 log 2\n2 points, ratio 10.000000000000002\n1       1000\n"}, ""},
        // Values stay in one column, clear of the widest point number.
        {"1 1000000 by 1", 0, {"\n1        1\n", "\n999999   999999\n1000000  1e+06\n"}, ""},
        {"0 1 by 0", 1, {"from 0 to 1 by 0\n"}, "LPCHK code 2"},
        {"0 1 lin 0", 1, {"from 0 to 1 lin 0\n"}, "LPCHK code 3"},
        {"-1 10 dec 5", 1, {"from -1 to 10 dec 5\n"}, "LPCHK code 4): a logarithmic range must not touch or cross 0"},
        {"0 1 lin 0.5", 1, {"0 points"}, "no points"},
        {"0 1 by 1e-12", 1, {"2147483647 points"}, "the word store refused 2147483647 points"},
        {"", 2, {}, "expected FROM TO"},
        {"1 2 step 3", 2, {}, "'step' is not one of by, lin, log, dec, oct"},
        {"1 x by 1", 2, {}, "'x' is not a number"},
        {"in", 2, {}, "'in' needs at least one value"},
    };
    for (CliCase &c : cases)
        c.args = "sweep " + c.args;
    expect(cases);
}

TEST(KtUtilCli, FieldFiles) {
    kt_host_test::TempFile copy("cli_fields"), out("cli_fields_out"), long_line("cli_fields_long");
    kt_host_test::spit(copy.path, "# kept only without --in-place\ngain 1\n");
    kt_host_test::spit(long_line.path, "a 1\n# note\nb " + std::string(1030, 'y') + "\n");
    const std::string f = "fields " + kFields, dir = ::testing::TempDir();
    expect({
        {f, 0, {"corner 10MEG \\\n       2.2E-9\n"}, ""},
        {f + " --mode 2", 0, {"bias   1.2,3.3,5 \n"}, ""},
        {f + " get BIAS 2", 0, {"3.3\n"}, ""},
        {f + " get title", 0, {"two-stage amplifier, inverting\n"}, ""},
        {f + " get corner 2 --number", 0, {"2.2e-09"}, ""},
        {f + " get stages --number", 1, {"input\n^ not a number"}, ""},
        {f + " get bias 4", 1, {}, "field bias has 3 values, not 4"},
        {f + " get spare 2", 1, {}, "field spare has 1 value, not 2"},
        {f + " get nothing", 1, {}, "no field nothing"},
        {"fields /no/such/file get a", 1, {}, "kt-util fields: /no/such/file: No such file or directory\n"},
        {"fields " + dir, 1, {}, "kt-util fields: " + dir + ": Is a directory\n"},
        {"fields " + long_line.path, 1, {}, long_line.path + ":3: line longer than 1023 characters, the most a"},
        {f + " set gain 1 2K -o /no/dir/out", 1, {}, "kt-util fields: /no/dir/out: No such file or directory\n"},
        {f + " set gain 1 2K -o /dev/full", 1, {}, "kt-util fields: /dev/full: No space left on device\n"},
        {f + " set gain 1 " + std::string(1100, 'z') + " -o " + out.path, 1, {}, "a line would be longer than 1023"},
        {f + " set gain 1 2K", 2, {}, "set writes to -o OUT, or to FILE with --in-place"},
        {f + " set gain 1 2K -o x --in-place", 2, {}, "-o and --in-place exclude each other"},
        {"fields", 2, {}, "no field file"},
        {f + " --mode 3", 2, {}, "--mode takes 1 or 2, not '3'"},
        {f + " get", 2, {}, "wrong number of arguments"},
        {f + " get gain 0", 2, {}, "positive integer"},
        {f + " --number", 2, {}, "--number goes with get only"},
        {f + " frob", 2, {}, "unknown action 'frob'"},
        // set, then what was written read back.
        {f + " set gain 3 1MEG -o " + out.path, 0, {}, ""},
        {"fields " + out.path + " get gain 3 --number", 0, {"1e+06\n"}, ""},
        {"fields " + out.path + " get notes", 0, {"first line\nsecond line\n"}, ""},
        {"fields " + copy.path + " set gain 1 -5 --in-place", 0, {}, ""},
        {"fields " + copy.path + " set new 1 --in-place -- -x", 0, {}, ""},
        {"fields " + copy.path + " --mode 2", 0, {"gain -5 \nnew  -x \n"}, ""},
    });
    EXPECT_EQ(kt_host_test::slurp(copy.path).find('#'), std::string::npos);
    kt_host_test::spit(copy.path, "crlf 1, 2\r\n");
    expect({{"fields " + copy.path + " get crlf 2", 0, {"2\n"}, ""}});
}

TEST(KtUtilCli, VhdlSources) {
    kt_host_test::TempFile bad("cli_bad.vhd");
    kt_host_test::spit(bad.path,
                       "entity fine is port (a : in bit); end;\nentity broken is port (out : out bit); end;\n");
    const std::string dir = ::testing::TempDir();
    expect({
        {"vhdl " + kVhdl,
         0,
         {"ENTITY comparator\n", "  Port d_out  OUT signal \n", "  Port temp  IN quantity \n",
          "  Generic width, type positive\n"},
         ""},
        {"vhdl " + kVhdl + " --ports",
         0,
         {"entity pulse_counter\n  LIBRARY ieee;\n  USE ieee.std_logic_1164.all;\n",
          "    count     signal    OUT      unsigned (width - 1 downto 0)\n", "    r_nom  real := 1.0e3\n",
          "    p      terminal  NONE     electrical\n"},
         ""},
        {"vhdl " + bad.path + " /no/such/file.vhd " + dir,
         1,
         {"ENTITY fine\n"},
         "kt-util vhdl: " + bad.path +
             ": Expecting PORT name, found 'out' on line 2.\n"
             "kt-util vhdl: /no/such/file.vhd: Cannot open '/no/such/file.vhd': No such file or directory.\n"
             "kt-util vhdl: " +
             dir + ": Cannot open '" + dir + "': Is a directory.\n"},
        {"vhdl", 2, {}, "missing FILE"},
        {"vhdl x.vhd --ports --json", 2, {}, "exclude each other"},
    });
}

// The tour runs every section without a message (a line or two of each).
TEST(KtUtilCli, Demo) {
    expect({{"demo " + kExamples,
             0,
             {"joined: resistor, capacitor, inductor, diode, opamp, comparator, switch, transformer\n",
              "entries 8, capacity 8", "word store in use after freeing everything: 0 bytes above the start\n",
              "4.7K        4700                        4700\n", "in descending order (LPXPCP): R in 22 4.7 3.3 1\n",
              "slots: 4.7K parked as 1, 3.3MEG as 2; taken back: 4700, and through the negated handle -3300000\n",
              "path bus[1:4]/q", "run/out.bak.e1: class 1", "  R1 = 4.7 k from in to out\n",
              "bad pattern \"a**\": nested *?+\n", "entity bridge_resistor\n", "name a\\b -> \\a\\\\b\\\n",
              "the client checked every echo and closed: ok\n",
              "type 7, payload 'abc', block size 4 on the wire: 07 00 06 61 62 63 00 00\n"},
             ""}});
}

// A channel server in the background, its port read from its first line.
struct Server {
    FILE *out = nullptr;
    int32_t port = 0;
    explicit Server(const std::string &options) {
        std::string cmd = "exec " + std::string(KT_UTIL_EXE) + " channel serve " + options;
        out = popen(cmd.c_str(), "r");
        char line[256];
        if (out && fgets(line, sizeof line, out))
            std::sscanf(line, "listening on port %d", &port);
    }
    // The rest of its output, once it has ended.
    std::string finish() {
        std::string s;
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, out)) > 0)
            s.append(buf, n);
        pclose(out);
        out = nullptr;
        return s;
    }
    ~Server() {
        if (out)
            pclose(out);
    }
};

TEST(KtUtilCli, ChannelServeAndSend) {
    kt::test::HangGuard guard;
    Server server("--connections 3 --block 8"), long_frames("--connections 1 --long");
    ASSERT_GT(server.port, 0);
    const std::string port = std::to_string(server.port), to = "channel send 127.0.0.1 " + port;
    expect(
        {{to + " 7 hello world --block 8", 0, {"reply: type 7, 5 bytes: hello\nreply: type 7, 5 bytes: world\n"}, ""},
         {"channel send localhost " + port + " 255 '' --block=8", 0, {"reply: type 255, 0 bytes\n"}, ""},
         {to + " 1 --block 8 -- -x", 0, {"reply: type 1, 2 bytes: -x\n"}, ""},
         {"channel send 127.0.0.1 " + std::to_string(long_frames.port) + " 3 " + std::string(40000, 'q') + " --long",
          0,
          {"reply: type 3, 40000 bytes: qqqqq"},
          ""}});
    std::string log = server.finish();
    for (const char *line : {": type 7, 5 bytes: hello\n", ": type 255, 0 bytes\n", " from 127.0.0.1 port "})
        EXPECT_NE(log.find(line), std::string::npos) << log;
    long_frames.finish();
}

TEST(KtUtilCli, ChannelFailures) {
    kt::test::HangGuard guard;
    Server quiet("--connections 1");
    int32_t port = 0, mute = c_ipini(1, &port); // listens, never accepts or answers
    std::vector<CliCase> cases = {
        {"", 2, {}, "needs serve or send"},
        {"listen", 2, {}, "unknown subcommand listen"},
        {"serve --block 0", 2, {}, "--block takes a whole number from 1 to 1048576, not '0'"},
        {"serve extra", 2, {}, "serve takes no operands"},
        {"serve --timeout 3", 2, {}, "unknown option '--timeout'"},
        {"serve --max-frame 4", 2, {}, "--max-frame takes a whole number from 5"},
        {"serve --idle -1", 2, {}, "--idle takes seconds from 0 to 1000000, not '-1'"},
        {"serve --max-connections 0", 2, {}, "--max-connections takes a whole number from 1"},
        {"serve --listen 192.0.2.1", 1, {}, "cannot listen on 192.0.2.1 port 0"},
        {"send 127.0.0.1 80 1 x --timeout 0", 2, {}, "--timeout takes seconds above 0"},
        {"send 127.0.0.1 80 1 x --block", 2, {}, "--block needs a whole number"},
        {"send 127.0.0.1 80 1", 2, {}, "send needs HOST PORT TYPE TEXT"},
        {"send 127.0.0.1 80 300 x", 2, {}, "bad type"},
        {"send 127.0.0.1 1 1 x", 1, {}, "cannot connect to 127.0.0.1 port 1"},
        {"send 127.0.0.1 " + std::to_string(quiet.port) + " 3 " + std::string(33000, 'q'), 1, {}, "too long"},
        {"send 127.0.0.1 " + std::to_string(port) + " 1 hi --timeout 0.2", 1, {}, "no reply within 0.2 seconds\n"},
    };
    for (CliCase &c : cases)
        c.args = "channel " + c.args;
    expect(cases);
    quiet.finish();
    c_ipclos(mute);
}

} // namespace
