// The VHDL scanner on small sources of our own: what it records of each
// entity, how it skips architectures, its errors and its iterators.
#include <string>
#include <vector>

#include "packages/heap.h"
#include "vhdl_support.h"

namespace {

using kt::test::scanned_entities;
using kt::test::scanned_generics;
using kt::test::scanned_header;
using kt::test::scanned_ports;
using Rows = std::vector<std::string>;

class VhdlScanner : public kt::test::VhdlFiles {};

// Each source read alone, and everything the tables then hold.
TEST_F(VhdlScanner, SourcesGiveTheirTables) {
    const std::string long_library = "LIBRARY " + std::string(1500, 'L') + ";\n";
    const struct {
        std::string source, tables;
    } cases[] = {
        {"entity gate is\n"
         "  port (a, b : in bit;\n"
         "        y : out bit_vector(7 downto 0);\n"
         "        z : inout std_logic_vector((N-1) downto 0) := (others => '0');\n"
         "        signal s : std_logic;\n"
         "        terminal p, n : electrical;\n"
         "        quantity v : in real;\n"
         "        c : buffer bit; l : linkage bit);\n"
         "end gate;\n"
         "entity after_gate is port (q : out bit); end entity;\n",
         "entity after_gate\n  q:bit:signal:OUT:-\n"
         "entity gate\n  a:bit:signal:IN:-\n  b:bit:signal:IN:-\n  y:bit_vector:signal:OUT:7 downto 0\n"
         "  z:std_logic_vector:signal:INOUT:( N-1 ) downto 0\n  s:std_logic:signal:IN:-\n"
         "  p:electrical:terminal:NONE:-\n  n:electrical:terminal:NONE:-\n  v:real:quantity:IN:-\n"
         "  c:bit:signal:BUFFER:-\n  l:bit:signal:LINKAGE:-\n"},
        {"entity timer is\n"
         "  generic (n : integer := 8;\n"
         "           constant t : time := 10 ns;\n"
         "           w, h : natural := 4;\n"
         "           init : bit_vector(3 downto 0) := (others => '1');\n"
         "           tol : real);\n"
         "  port (clk : in bit);\n"
         "end;\n",
         "entity timer\n  n:integer:8\n  t:time:10 ns\n  w:natural:4\n  h:natural:4\n"
         "  init:bit_vector:( others = > '1' )\n  tol:real:-\n  clk:bit:signal:IN:-\n"},
        // Context lines belong to the next entity, each library once.
        {"library IEEE, work;\n"
         "library ieee ;   -- the same library again\n"
         "use ieee.std_logic_1164.all;\n"
         "USE IEEE.STD_LOGIC_1164.ALL;\n"
         "entity first is end;\n"
         "architecture a of first is begin end a;\n"
         "library discarded;\n"
         "architecture b of first is begin end b;\n" +
             long_library + "entity second is end second;\n",
         "entity first\n  LIBRARY IEEE;\n\n  LIBRARY work;\n\n  USE ieee.std_logic_1164.all;\n\n"
         "entity second\n  " +
             long_library + "\n"},
        {"-- entity hidden is\n"
         "entity shown is -- port (x : in bit);\n"
         "  port (a : in bit --; b : out bit\n"
         "  );\n"
         "end shown;\n",
         "entity shown\n  a:bit:signal:IN:-\n"},
        // After a statement's end, "entity" can only start a unit.
        {"entity a is end a;\n"
         "architecture x of a is begin s <= t;\n"
         "entity b is port (p : out bit); end b;\n",
         "entity a\nentity b\n  p:bit:signal:OUT:-\n"},
    };
    for (const auto &c : cases) {
        vhdlutil_FreeAll();
        EXPECT_EQ(read(c.source), 1) << c.source << kt::test::text_or_dash(vhdlutil_GetError());
        EXPECT_EQ(kt::test::tables_text(), c.tables) << c.source;
        EXPECT_EQ(vhdlutil_GetError(), nullptr);
    }
}

// Every way an architecture ends; each case is followed by an entity that
// must be found, so an architecture left open shows as a missing entity.
TEST_F(VhdlScanner, ArchitecturesEndWhereTheyEnd) {
    struct Case {
        const char *what;
        const char *body;
    } cases[] = {
        {"by its name after nested ends", "architecture rtl of e is begin\n"
                                          "  p : process begin if x then y <= z; end if; wait; end process;\n"
                                          "end rtl;\n"},
        {"by the keyword", "architecture rtl of e is begin end architecture;\n"},
        {"by a bare end", "architecture rtl of e is begin p: process begin wait; end process; end;\n"},
        {"by nothing before a library clause", "architecture rtl of e is begin s <= t;\n"},
        {"after subprogram bodies with bare ends",
         "architecture rtl of e is\n"
         "  function f(a : integer; b : integer) return integer is begin return a; end;\n"
         "  procedure p is begin null; end procedure p;\n"
         "  function g return bit;\n"
         "  attribute keep of g : function is true;\n"
         "begin\n"
         "  u1 : entity work.other port map (a => b);\n"
         "  for all : c use entity work.other;\n"
         "end;\n"},
    };
    for (const Case &c : cases) {
        vhdlutil_FreeAll();
        int ok = read(std::string("entity e is end e;\n") + c.body +
                      "library ieee; use ieee.math_real.all;\n"
                      "entity next_one is port (a : in bit); end next_one;\n");
        EXPECT_EQ(ok, 1) << c.what << ": " << (vhdlutil_GetError() ? vhdlutil_GetError() : "");
        EXPECT_EQ(scanned_entities(), (Rows{"e", "next_one"})) << c.what;
        EXPECT_EQ(scanned_header("next_one"), (Rows{"LIBRARY ieee;\n", "USE ieee.math_real.all;\n"})) << c.what;
    }
}

TEST_F(VhdlScanner, FilesAccumulateRereadEntitiesGrowAndAreListed) {
    ASSERT_EQ(read("library one; entity common is port (a : in bit); end;\n", "one.vhd"), 1);
    // A listing in between makes the tables that the second read must keep up to date.
    testing::internal::CaptureStdout();
    vhdlutil_PrintAll();
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(read("entity own is end own;\n"
                   "library two; entity COMMON is port (a : out bit; b : in bit); end;\n",
                   "two.vhd"),
              1);
    EXPECT_EQ(scanned_entities(), (Rows{"common", "own"}));
    EXPECT_EQ(scanned_header("common"), (Rows{"LIBRARY two;\n"}));
    // The list keeps both declarations of a; the table the latest.
    EXPECT_EQ(scanned_ports("common"), (Rows{"a:bit:signal:IN:-", "a:bit:signal:OUT:-", "b:bit:signal:IN:-"}));
    testing::internal::CaptureStdout();
    vhdlutil_PrintAll();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("ENTITY common\n  LIBRARY two;\n\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  Port a  OUT signal \n"), std::string::npos) << out;
    EXPECT_EQ(out.find("  Port a  IN"), std::string::npos) << out;
    // Without memory for the tables of a listing: every record in declaration order.
    vhdlutil_FreeAll();
    ASSERT_EQ(read("entity common is generic (g : real); port (a : in bit; a : out bit); end;\n"), 1);
    testing::internal::CaptureStdout();
    kt_packages_fail_alloc_after(0, -1);
    vhdlutil_PrintAll();
    kt_packages_fail_alloc_after(-1, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ENTITY common\n  Port a  IN signal \n  Port a  OUT signal \n  Generic g, type real\n");
    // Context lines, and a port without a direction (kt-util's tests check the rest).
    vhdlutil_FreeAll();
    ASSERT_EQ(read("use work.all;\nentity amp is port (terminal inp : electrical); end amp;\n"), 1);
    testing::internal::CaptureStdout();
    vhdlutil_PrintAll();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ENTITY amp\n  USE work.all;\n\n  Port inp   <no direction> terminal \n");
}

TEST_F(VhdlScanner, ErrorsNameTheStateTokenAndLine) {
    struct Case {
        const char *source;
        const char *message;
        Rows entities;
    } cases[] = {
        {"entity e is\n  port (a : in bit;\n  in : out bit);\nend e;\nentity later is end;\n",
         "Expecting PORT name, found 'in' on line 3.",
         {"e"}},
        {"entity 2bad is end;\n", "Expecting ENTITY name, found '2bad' on line 1.", {}},
        {"\n\nentity g is generic (x__y : integer); end;\n", "Expecting GENERIC name, found 'x__y' on line 3.", {"g"}},
    };
    for (const Case &c : cases) {
        vhdlutil_FreeAll();
        EXPECT_EQ(read(c.source), 0) << c.source;
        ASSERT_NE(vhdlutil_GetError(), nullptr) << c.source;
        EXPECT_STREQ(vhdlutil_GetError(), c.message);
        EXPECT_EQ(scanned_entities(), c.entities) << c.source;
    }
    vhdlutil_FreeAll();
    EXPECT_EQ(vhdlutil_GetError(), nullptr);
}

TEST_F(VhdlScanner, ScansEndAndStartOver) {
    ASSERT_EQ(read("library l; entity e is generic (g : integer := 1); port (a : in bit); end;\n"), 1);
    const char *name, *type, *kind, *dir, *constraint, *value;
    // Ending with a null name still ends the scan: the next named call starts afresh.
    EXPECT_STREQ(vhdlutil_ScanPorts("e", &name, &type, &kind, &dir, &constraint), "a");
    EXPECT_EQ(vhdlutil_ScanPorts(nullptr, &name, &type, &kind, &dir, &constraint), nullptr);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(kind, nullptr);
    EXPECT_STREQ(vhdlutil_ScanPorts("e", &name, &type, &kind, &dir, &constraint), "a");
    EXPECT_STREQ(vhdlutil_ScanGenerics("e", &name, &type, &value), "g");
    EXPECT_EQ(vhdlutil_ScanGenerics(nullptr, &name, &type, &value), nullptr);
    EXPECT_STREQ(vhdlutil_ScanHeader("e"), "LIBRARY l;\n");
    EXPECT_EQ(vhdlutil_ScanHeader(nullptr), nullptr);
    EXPECT_STREQ(vhdlutil_ScanHeader("E"), "LIBRARY l;\n");
    EXPECT_EQ(vhdlutil_ScanHeader("no_such"), nullptr);
    EXPECT_STREQ(vhdlutil_ScanEntities(), "e");
    // Freeing the tables in the middle of scans ends them all.
    vhdlutil_FreeAll();
    EXPECT_EQ(vhdlutil_ScanEntities(), nullptr);
    EXPECT_EQ(vhdlutil_ScanHeader("e"), nullptr);
    EXPECT_EQ(vhdlutil_ScanPorts("e", &name, &type, &kind, &dir, &constraint), nullptr);
    ASSERT_EQ(read("entity e2 is port (b : out bit); end;\n"), 1);
    EXPECT_EQ(scanned_ports("e2"), (Rows{"b:bit:signal:OUT:-"}));
    EXPECT_EQ(scanned_entities(), (Rows{"e2"}));
}

// Every allocation of a read refused in turn: the read fails cleanly or
// succeeds, and freeing leaves nothing behind (checked under ASan).
TEST_F(VhdlScanner, RefusedMemoryAtEveryStep) {
    std::string path = write("mem.vhd", "library ieee; use ieee.std_logic_1164.all;\n"
                                        "entity m is generic (n : integer := 8; t : time := 1 ns);\n"
                                        "port (a, b : in std_logic_vector(n-1 downto 0); y : out bit);\nend m;\n"
                                        "architecture r of m is begin end r;\n");
    bool succeeded = false;
    for (int32_t grants = 0; grants < 200 && !succeeded; ++grants) {
        vhdlutil_FreeAll();
        kt_packages_fail_alloc_after(grants, -1);
        int ok = vhdlutil_VHDLSrcRead(path.c_str());
        kt_packages_fail_alloc_after(-1, 0);
        scanned_ports("m");
        if (ok == 1) {
            succeeded = true;
            EXPECT_EQ(scanned_ports("m").size(), 3u);
        }
    }
    EXPECT_TRUE(succeeded);
}

} // namespace
