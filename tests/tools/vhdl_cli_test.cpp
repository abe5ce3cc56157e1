// kt-util vhdl: the three listings of the bundled example, and a file with a
// syntax error listed up to the error, with its message and exit status 1.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "support/run_command.h"

namespace {

using kt::test::Outcome;

const std::string kExample = std::string(KT_EXAMPLES) + "/sensor_frontend.vhd";

Outcome run(const std::string &args) { return kt::test::run_command(std::string(KT_UTIL_EXE) + " vhdl " + args); }

void expect_lines(const Outcome &r, std::initializer_list<std::string> lines) {
    for (const std::string &line : lines)
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
}

TEST(VhdlCli, ListingsOfTheExample) {
    Outcome plain = run(kExample);
    ASSERT_EQ(plain.status, 0) << plain.out;
    expect_lines(plain, {"ENTITY comparator\n", "  Port d_out  OUT signal \n", "  Port temp  IN quantity \n",
                         "  Generic width, type positive\n"});
    Outcome ports = run(kExample + " --ports");
    ASSERT_EQ(ports.status, 0) << ports.out;
    expect_lines(ports, {"entity pulse_counter\n  LIBRARY ieee;\n  USE ieee.std_logic_1164.all;\n",
                         "    count     signal    OUT      unsigned (width - 1 downto 0)\n",
                         "    r_nom  real := 1.0e3\n", "    p      terminal  NONE     electrical\n"});
    Outcome json = run(kExample + " --json");
    ASSERT_EQ(json.status, 0) << json.out;
    expect_lines(json, {"{\"name\": \"gain\", \"type\": \"real\", \"default\": \"100.0\"}",
                        "{\"name\": \"overflow\", \"kind\": \"signal\", \"direction\": \"BUFFER\", \"type\": "
                        "\"std_logic\", \"constraint\": null}",
                        "\"errors\": []"});
}

TEST(VhdlCli, SyntaxErrorsAndUsage) {
    std::string bad = ::testing::TempDir() + "kt_vhdl_cli_" + std::to_string(getpid()) + ".vhd";
    std::ofstream(bad) << "entity fine is port (a : in bit); end;\n"
                          "entity broken is port (out : out bit); end;\n";
    Outcome r = run(bad + " --json");
    EXPECT_EQ(r.status, 1) << r.out;
    expect_lines(r, {"\"name\": \"fine\"", "\"message\": \"Expecting PORT name, found 'out' on line 2.\"",
                     "kt-util vhdl: " + bad + ": Expecting PORT name, found 'out' on line 2.\n"});
    std::string dir = ::testing::TempDir();
    r = run(bad + " /no/such/file.vhd " + dir);
    EXPECT_EQ(r.status, 1) << r.out;
    expect_lines(r, {"ENTITY fine\n",
                     "/no/such/file.vhd: Cannot open '/no/such/file.vhd': No such file or directory.\n",
                     dir + ": Cannot open '" + dir + "': Is a directory.\n"});
    unlink(bad.c_str());
    struct Case {
        const char *args;
        const char *message;
    } usage[] = {{"", "missing FILE"}, {"x.vhd --ports --json", "exclude each other"}, {"--wide x.vhd", "unknown option"}};
    for (const Case &c : usage) {
        r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
    }
}

TEST(VhdlCli, DemoSection) {
    Outcome r = kt::test::run_command(std::string(KT_UTIL_EXE) + " demo " + KT_EXAMPLES);
    ASSERT_EQ(r.status, 0) << r.out;
    expect_lines(r, {"VHDL-AMS interfaces", "entity bridge_resistor\n", "name out+ -> \\out+\\\n",
                     "name a\\b -> \\a\\\\b\\\n"});
}

} // namespace
