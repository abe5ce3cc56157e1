// Field files: how lines become fields, how the printer lays a table out,
// and that whatever CFW writes, CFR reads back value for value.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <random>
#include <tuple>

#include "host/host_test_util.h"
#include "support/field_view.h"

using namespace kt::test;
using kt_host_test::slurp;
using kt_host_test::spit;
using kt_host_test::TempFile;

namespace {

// Reads `content` as a field file into a new table.
Fields read_text(const std::string &content, int32_t *status_out = nullptr) {
    TempFile file("fields_read");
    spit(file.path, content);
    int32_t t = make_table({}), status = -1;
    EXPECT_EQ(c_cfr(t, file.c_str(), &status), status);
    Fields f = fields_of(t);
    c_cfd(&t);
    if (status_out)
        *status_out = status;
    else
        EXPECT_EQ(status, 0) << content;
    return f;
}

TEST(FieldFile, LinesBecomeFields) {
    struct Case {
        const char *content;
        Fields expect;
    } cases[] = {
        {"gain 1, 2 ,3\n", {{"gain", {"1", "2", "3"}}}},
        {"a x\\, y\n", {{"a", {"x, y"}}}},
        {"a \\sx\\s\n", {{"a", {" x "}}}},
        {"a p\\nq\n", {{"a", {"p\nq"}}}},
        {"a ,\n", {{"a", {""}}}},
        {"a\n", {{"a", {}}}},
        {"a x,\n", {{"a", {"x"}}}},
        {"a 1 \\\n2\n3\n", {{"a", {"1", "2"}}, {"3", {}}}},
        {"a 1 \\\n\nb\n", {{"a", {"1"}}, {"b", {}}}},
        {"a 1 \\\n", {{"a", {"1"}}}},
        {"# note\n\na 1\n", {{"a", {"1"}}}},
        {"a,b\n", {{"a,b", {}}}},
        {"a 1 \\\n#x\n2\n", {{"a", {"1", "2"}}}},
        {"\ta\t1,\t2 x\t \n", {{"a", {"1", "2 x"}}}},
        // A last line without its line end is a line like any other.
        {"a 1\nb 2", {{"a", {"1"}}, {"b", {"2"}}}},
        // Backslashes pair up left to right: an even run ends a value.
        {"a x\\\\\nb\n", {{"a", {"x\\"}}, {"b", {}}}},
        {"a x\\\\, y\n", {{"a", {"x\\", "y"}}}},
        {"a x\\\\\\\n y\n", {{"a", {"x\\", "y"}}}},
        {"a 1 \\\n  \\#b\n", {{"a", {"1", "#b"}}}},
        {"a \\q\\\\\\,\n", {{"a", {"q\\,"}}}},
        // CRLF line ends; a carriage return escaped or not at the line end stays.
        {"\r\n# c\r\na 1,2 \r\nb\r\nc \\s\r\n", {{"a", {"1", "2"}}, {"b", {}}, {"c", {" "}}}},
        {"a x\\\r\nb y\r\t\n", {{"a", {"x\r"}}, {"b", {"y\r"}}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(read_text(c.content), c.expect) << c.content;
}

TEST(FieldFile, PrinterAndWriterLayouts) {
    int32_t t = make_table({{"a", {"1", ""}}, {"long", {}}, {"bb", {" x", "#y", "p,q\\"}}});
    struct Case {
        int32_t mode;
        const char *expect;
    } cases[] = {
        {1, "a  1 \\\n   ,\n \nbb \\sx \\\n   \\#y \\\n   p\\,q\\\\\n \n"},
        {2, "a  1,, \nbb \\sx,#y,p\\,q\\\\ \n"},
        {3, "a  1, \nbb \\sx#yp\\,q\\\\ \n"},
    };
    // Only where a value begins its own line is its "#" escaped.
    kt_host_capture_output(1);
    for (const Case &c : cases) {
        kt_host_clear_output();
        c_cfo(t, c.mode);
        EXPECT_EQ(kt_host_output(), std::string(c.expect)) << c.mode;
    }
    kt_host_capture_output(0);
    c_cfd(&t);

    // The writer keeps fields without values.
    t = make_table({{"a", {"1", ""}}, {"long", {}}, {"b", {"2"}}, {"c\\", {}}, {"d", {"3"}}});
    TempFile file("fields_write");
    int32_t status = -1;
    EXPECT_EQ(c_cfw(t, file.c_str(), &status), 0);
    EXPECT_EQ(slurp(file.path), "a 1 \\\n  ,\n \nlong \nb 2\n \nc\\ \\\n \nd 3\n \n");
    EXPECT_EQ(read_text(slurp(file.path)), fields_of(t));
    c_cfd(&t);
}

// A random table: names and values with every character the file form
// escapes, values near and over what a line holds, now and then many values.
Fields random_table(std::mt19937 &rng) {
    const std::string name_chars = "abcXYZ019_.,#-\\\r";
    const std::string value_chars = "  \t\t,,\\\\\n\n\r\r##ab9.-";
    auto pick = [&](const std::string &from) { return from[rng() % from.size()]; };
    Fields fields;
    for (int k = static_cast<int>(rng() % 7); k > 0; --k) {
        Field f;
        f.first = std::string(1, "abcQ"[rng() % 4]);
        for (int i = static_cast<int>(rng() % 10); i > 0; --i)
            f.first += pick(name_chars);
        int m = rng() % 15 == 0 ? 1500 : static_cast<int>(rng() % 6);
        for (int j = 0; j < m; ++j) {
            std::string v;
            int kind = static_cast<int>(rng() % 12);
            if (kind < 2) {
                v = std::string(kind == 0 ? 300 + rng() % 600 : 1000 + rng() % 30, 'x');
                v.front() = pick(value_chars);
                v.back() = pick(value_chars);
            } else if (kind > 2) {
                for (int i = static_cast<int>(rng() % 12); i > 0; --i)
                    v += pick(value_chars);
            }
            f.second.push_back(v);
        }
        fields.push_back(f);
    }
    return fields;
}

// Random tables written over the file of the round before and read back
// value for value, or refused whole (a value longer than a line holds)
// with the old file left byte for byte. The file is written through a
// symbolic link, which stays, and keeps its permission bits. Faults at
// every call of CFR and CFW, and store refusals, are the reliability
// tables'.
TEST(FieldFile, RandomTablesRoundTrip) {
    std::mt19937 rng(20240611);
    kt_host_test::TempDir dir("fields_round");
    const std::string path = dir.path + "/link", file = dir.path + "/table.fields";
    spit(file, "old 1\n");
    ASSERT_EQ(::chmod(file.c_str(), 0604), 0);
    ASSERT_EQ(::symlink("table.fields", path.c_str()), 0);
    Fields on_file = {{"old", {"1"}}};
    int written = 0;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        const Fields fields = random_table(rng);
        const int64_t baseline = kt_host_store_bytes_in_use();
        const std::string before = slurp(path);
        kt_host_reset_errors();
        int32_t t = make_table(fields), back = make_table({}), status = -1;
        if (c_cfw(t, path.c_str(), &status) == 0) {
            on_file = fields;
            ++written;
        } else {
            EXPECT_TRUE(slurp(path) == before) << "the old file was touched";
            ASSERT_EQ(kt_host_error_count(), 1);
            EXPECT_EQ(kt_host_error_number(1), 2023);
        }
        EXPECT_EQ(c_cfr(back, path.c_str(), &status), 0);
        EXPECT_EQ(fields_of(back), on_file);
        c_cfd(&t);
        c_cfd(&back);
        struct stat st;
        EXPECT_TRUE(::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode));
        EXPECT_TRUE(::stat(file.c_str(), &st) == 0 && (st.st_mode & 07777) == 0604);
        EXPECT_EQ(dir.names(), (std::vector<std::string>{"link", "table.fields"})) << "a temporary left behind";
        EXPECT_EQ(kt_host_store_bytes_in_use(), baseline);
    }
    EXPECT_GT(written, 150) << "too few tables written to tell";
}

TEST(FieldFile, LinesThatDoNotFitTheBuffer) {
    int64_t baseline = kt_host_store_bytes_in_use();
    std::string at_limit(1023 - 2, 'v'), over(1024 - 2, 'v');
    EXPECT_EQ(read_text("a " + at_limit + "\n"), (Fields{{"a", {at_limit}}}));

    // Records before the long line stay; a continued record is dropped.
    for (const char *before : {"a 1\n", "a 1\nb 2 \\\n"}) {
        SCOPED_TRACE(before);
        kt_host_reset_errors();
        int32_t status = 0;
        Fields got = read_text(std::string(before) + "c " + std::string(3000, 'x') + "\nd 4\n", &status);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(got, (Fields{{"a", {"1"}}}));
        ASSERT_EQ(kt_host_error_count(), 1);
        EXPECT_EQ(kt_host_error_number(1), 2023);
        EXPECT_STREQ(kt_host_error_text(1), "cfr 1024");
    }
    // The caller's own input is current again afterwards.
    TempFile own("fields_own");
    spit(own.path, "first\nsecond\n");
    ASSERT_GT(IINEWS(own.c_str(), static_cast<int32_t>(own.path.size())), 0);
    char line[64];
    int32_t cap = sizeof line, len = 0, status = 0;
    read_text("a " + over + "\n", &status);
    EXPECT_EQ(status, 1);
    ASSERT_EQ(IIGETL(line, &cap, &len, cap), 0);
    EXPECT_EQ(std::string(line, static_cast<size_t>(len)), "first\n");
    IIOLDF();

    // The writer will not write what the reader cannot read; the old file stays.
    TempFile file("fields_long");
    spit(file.path, "old\n");
    for (const std::string &v : {at_limit, over}) {
        int32_t t = make_table({{"a", {v}}});
        kt_host_reset_errors();
        int32_t result = c_cfw(t, file.c_str(), &status);
        EXPECT_EQ(result, v.size() == at_limit.size() ? 0 : 1);
        if (result == 1) {
            EXPECT_EQ(kt_host_error_number(1), 2023);
            EXPECT_STREQ(kt_host_error_text(1), "cfw 1024");
            EXPECT_EQ(slurp(file.path), "a " + at_limit + "\n \n");
        }
        c_cfd(&t);
    }
    // A device is measured before it is opened: nothing reaches it. A name
    // alone fits up to the buffer's last character.
    const std::string name_alone(1022, 'n');
    for (const auto &[path, fields, error] : {std::tuple{std::string("/dev/full"), Fields{{"a", {"1", over}}}, 2023},
                                              std::tuple{file.path, Fields{{name_alone, {}}}, 0}}) {
        int32_t t = make_table(fields);
        kt_host_reset_errors();
        EXPECT_EQ(c_cfw(t, path.c_str(), &status), error ? 1 : 0);
        EXPECT_EQ(kt_host_error_count() ? kt_host_error_number(1) : 0, error);
        c_cfd(&t);
    }
    EXPECT_EQ(read_text(slurp(file.path)), (Fields{{name_alone, {}}}));
    EXPECT_EQ(kt_host_store_bytes_in_use(), baseline);
}

TEST(FieldFile, FilesThatCannotBeOpenedOrWritten) {
    kt_host_test::TempDir dir("fields_open");
    struct Case {
        std::string path;
        int32_t read_error, reason; // CFR's error, kt_host_input_error after it
        std::string read_text;
        int32_t write_error;
        std::string write_text;
    } cases[] = {
        {"/no/such/dir/params.txt", 2004, ENOENT, "/no/such/dir/params.txt", 2007, "/no/such/dir/params.txt"},
        {dir.path, 2004, EISDIR, dir.path, 2007, dir.path},
        // Endless zeros to read; writing fails only at the device, and says why.
        {"/dev/full", 2023, 0, "cfr 1024", 2064, "cfw: /dev/full: No space left on device"},
    };
    for (const Case &c : cases) {
        int32_t t = make_table({{"big", std::vector<std::string>(1000, std::string(100, 'x'))}}), status = 0;
        kt_host_reset_errors();
        EXPECT_EQ(c_cfr(t, c.path.c_str(), &status), 1) << c.path;
        EXPECT_EQ(kt_host_input_error(), c.reason) << c.path;
        EXPECT_EQ(c_cfw(t, c.path.c_str(), &status), 1);
        EXPECT_EQ(status, 1);
        ASSERT_EQ(kt_host_error_count(), 2);
        EXPECT_EQ(kt_host_error_number(1), c.read_error);
        EXPECT_EQ(kt_host_error_text(1), c.read_text);
        EXPECT_EQ(kt_host_error_number(2), c.write_error);
        EXPECT_EQ(kt_host_error_text(2), c.write_text);
        EXPECT_EQ(fields_of(t).size(), 1u);
        c_cfd(&t);
    }
}

} // namespace
