// Reading source files: what cannot be opened or read is a failure that
// says why and adds nothing, a device that interrupts or shortens its reads
// changes nothing, and lines of any length arrive whole.
#include <cerrno>
#include <cstring>
#include <string>

#include "kt/host.h"
#include "vhdl_support.h"

namespace {

using kt::test::tables_text;

class VhdlSource : public kt::test::VhdlFiles {
protected:
    void TearDown() override {
        kt_host_fail_io_after(KT_IO_READ, -1, KT_IO_FAIL);
        VhdlFiles::TearDown();
    }
    // The tables after reading `path` alone.
    std::string tables_of(const std::string &path) {
        vhdlutil_FreeAll();
        EXPECT_EQ(vhdlutil_VHDLSrcRead(path.c_str()), 1) << path << ": " << kt::test::text_or_dash(vhdlutil_GetError());
        return tables_text();
    }
};

const std::string kWideName = "e_" + std::string(22000, 'x');

// One entity of long names, its words separated by `gap`: about 100 KB.
std::string wide_entity(const std::string &gap) {
    std::string s =
        "library" + gap + "ieee;" + gap + "entity" + gap + kWideName + gap + "is" + gap + "generic" + gap + "(";
    for (int i = 0; i < 20; ++i)
        s += (i ? ";" + gap : "") + "g" + std::to_string(i) + "_" + std::string(500, 'g') + gap + ":" + gap +
             "integer" + gap + ":=" + gap + std::to_string(i);
    s += ");" + gap + "port" + gap + "(";
    for (int i = 0; i < 200; ++i)
        s += (i ? ";" + gap : "") + "data" + std::to_string(i) + "_" + std::string(300, 'd') + gap + ":" + gap +
             (i % 2 ? "out" : "in") + gap + "bit_vector" + gap + "(" + std::to_string(i) + gap + "downto" + gap + "0)";
    return s + ");" + gap + "end;\n";
}

TEST_F(VhdlSource, LinesOfAnyLengthArriveWhole) {
    std::string one_line = wide_entity(" ");
    ASSERT_GT(one_line.size(), 100000u);
    std::string tables = tables_of(write("wide.vhd", one_line));
    EXPECT_EQ(tables, tables_of(write("tall.vhd", wide_entity("\n"))));
    EXPECT_NE(tables.find("\n  data199_" + std::string(300, 'd') + ":bit_vector:signal:OUT:199 downto 0\n"),
              std::string::npos);
    std::string name(10 << 20, 'n');
    EXPECT_EQ(tables_of(write("long_name.vhd", "entity " + name + " is end;")), "entity " + name + "\n");
    // Line numbers count whole lines.
    EXPECT_EQ(read("-- " + std::string(5000, '-') + "\nentity e is port (in : in bit); end;\n"), 0);
    EXPECT_STREQ(vhdlutil_GetError(), "Expecting PORT name, found 'in' on line 2.");
}

// Every read of the examples and of a long source, failed, shortened or
// interrupted in turn: a failure leaves the tables as they were (entities
// the file declares again too); a short or interrupted read changes nothing.
TEST_F(VhdlSource, EveryReadBrokenInTurn) {
    std::string before = write("before.vhd", "library old; entity comparator is port (p : in bit); end;\n"
                                             "entity " +
                                                 kWideName + " is generic (g : real); end;\n");
    const std::string examples = std::string(KT_EXAMPLES) + "/";
    for (const std::string &path :
         {examples + "sensor_frontend.vhd", examples + "pwm_converter.vhd", write("tall.vhd", wide_entity("\n"))}) {
        std::string prior = tables_of(before);
        // What cannot be opened is a failure that says why and adds nothing.
        const std::string inside = path + "/x";
        EXPECT_EQ(vhdlutil_VHDLSrcRead(inside.c_str()), 0);
        EXPECT_EQ(kt::test::text_or_dash(vhdlutil_GetError()),
                  "Cannot open '" + inside + "': " + std::strerror(ENOTDIR) + ".");
        EXPECT_EQ(tables_text(), prior);
        kt_host_fail_io_after(KT_IO_READ, -1, KT_IO_FAIL);
        ASSERT_EQ(vhdlutil_VHDLSrcRead(path.c_str()), 1);
        int64_t reads = kt_host_io_count(KT_IO_READ);
        ASSERT_GE(reads, 2);
        std::string both = tables_text();
        for (int how : {KT_IO_FAIL, KT_IO_SHORT, KT_IO_EINTR}) {
            for (int32_t k = 0; k <= reads; ++k) {
                vhdlutil_FreeAll();
                ASSERT_EQ(vhdlutil_VHDLSrcRead(before.c_str()), 1);
                kt_host_fail_io_after(KT_IO_READ, k, how);
                int ok = vhdlutil_VHDLSrcRead(path.c_str());
                kt_host_fail_io_after(KT_IO_READ, -1, KT_IO_FAIL);
                if (how == KT_IO_FAIL && k < reads) {
                    EXPECT_EQ(ok, 0) << path << " read " << k;
                    EXPECT_EQ(kt::test::text_or_dash(vhdlutil_GetError()),
                              "Cannot read '" + path + "': " + std::strerror(EIO) + ".");
                    EXPECT_EQ(tables_text(), prior) << path << " read " << k;
                } else {
                    EXPECT_EQ(ok, 1) << path << " how " << how << " read " << k;
                    EXPECT_EQ(tables_text(), both) << path << " how " << how << " read " << k;
                }
            }
        }
    }
}

} // namespace
