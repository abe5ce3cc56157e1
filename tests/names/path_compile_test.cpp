// Compiled paths: the records of accepted paths, the sequence rules and
// their single report.
#include <gtest/gtest.h>

#include <sstream>

#include "kt/iar.h"
#include "names_test_util.h"
#include "support/store_view.h"

using namespace kt::names_test;

namespace {

// "0x2421 =top 3": codes in hex, "=name" the name's index in the table,
// other words plain numbers.
std::vector<int32_t> cells_of(const std::string &expected, int32_t table) {
    std::vector<int32_t> cells;
    std::istringstream in(expected);
    std::string w;
    while (in >> w) {
        if (w[0] == '=') {
            int32_t index = 0, len = static_cast<int32_t>(w.size()) - 1;
            STE(&table, w.data() + 1, &len, &index, len);
            cells.push_back(index);
        } else {
            cells.push_back(static_cast<int32_t>(std::stol(w, nullptr, 0)));
        }
    }
    return cells;
}

std::vector<int32_t> record_cells(int32_t record) {
    std::vector<int32_t> cells;
    for (int32_t i = 1; i <= kt_icell(record + 2); ++i)
        cells.push_back(kt_icell(kt_icell(record + 1) + i));
    return cells;
}

int32_t compile(const std::string &path, int32_t table) {
    kt::text_test::Exact text(path);
    int32_t out = -1;
    int32_t result = SEPTHI(text.get(), &text.n, &table, &out, text.n);
    EXPECT_EQ(result, out) << path;
    return result;
}

TEST(PathCompileTest, RecordsHoldCodesAndValues) {
    const struct {
        const char *path, *cells;
    } cases[] = {
        {"", ""},
        {"/top/a.b", "0x0410 0x2421 =top 0x1412 =a =b"},
        {"bus[1:4]/q", "0x2421 =bus 0x340A 1 4 0x4010 0x2421 =q"},
        {"bus[2:*],*]", "0x2421 =bus 0x380D 2 0x300C"},
        {"across(p)", "0x5C40 0x2421 =p"},
        {"v(x)", "0x5041 =v 0x2421 =x"},
        {"x.*/*.y", "0x1815 =x 0x1C15 =y"},
        {"../Top", "0x0C10 0x2421 =top"},
    };
    for (const auto &c : cases) {
        kt_host_reset_errors();
        int32_t table = fresh_table(), record = compile(c.path, table);
        ASSERT_NE(record, 0) << c.path;
        EXPECT_EQ(record_cells(record), cells_of(c.cells, table)) << c.path;
        EXPECT_EQ(kt_host_error_count(), 0) << c.path;
        IARFS(&record);
    }
}

// 0: a syntax error, refused without a message.
TEST(PathCompileTest, RefusedPathsReportOnlyTheFirstBrokenRule) {
    const struct {
        const char *path;
        int32_t error;
    } cases[] = {
        {"*.*/..", 7056}, {".../..", 7056},    {"a.*/../x", 7056}, {".../(/x", 7056},   {"*/a", 7003},
        {"a/*/*", 7003},  {"*.*/../*/a", 7056}, {"*/a/b.c.d", 7003}, {"bus[x]", 0},       {"x[", 0},
    };
    for (const auto &c : cases) {
        kt_host_reset_errors();
        int64_t baseline = kt_host_store_bytes_in_use();
        EXPECT_EQ(compile(c.path, fresh_table()), 0) << c.path;
        EXPECT_EQ(kt_host_error_count(), c.error ? 1 : 0) << c.path;
        EXPECT_EQ(kt_host_error_number(1), c.error) << c.path;
        EXPECT_EQ(kt_host_store_bytes_in_use(), baseline) << c.path;
    }
    kt_host_reset_errors();
}

} // namespace
