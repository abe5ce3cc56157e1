// The store report: live blocks grouped by storage class and requesting
// entry, checked against a model the test keeps from the store's own byte
// count; the peak and free-space figures; the report at exit.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "host/host_test_util.h"
#include "kt/store.h"

using kt_host_test::alloc;
using kt_host_test::release;

namespace {

struct Figures {
    int64_t blocks = 0, bytes = 0, peak = -1, free_bytes = -1, largest = -1;
    std::map<std::pair<int, std::string>, std::pair<int64_t, int64_t>> groups; // (class, entry): blocks, bytes
};

// The report's figures, read back from its text.
Figures report(int what) {
    char *text = nullptr;
    size_t size = 0;
    FILE *out = open_memstream(&text, &size);
    EXPECT_EQ(kt_host_store_report(out, what), 0);
    std::fclose(out);
    std::istringstream lines(std::string(text, size));
    std::free(text);
    static const std::regex head(R"(word store: (\d+) live blocks?, (\d+) bytes(, peak (\d+) bytes)?)"),
        spare(R"(word store free space: (\d+) bytes in \d+ chunks?, largest (\d+) bytes.*)"),
        group(R"( *(\d+) +(\d+) +(-?\d) +(.*))");
    Figures f;
    std::smatch m;
    for (std::string line; std::getline(lines, line);)
        if (std::regex_match(line, m, head))
            f.blocks = std::stoll(m[1]), f.bytes = std::stoll(m[2]), f.peak = m[4].matched ? std::stoll(m[4]) : -1;
        else if (std::regex_match(line, m, spare))
            f.free_bytes = std::stoll(m[1]), f.largest = std::stoll(m[2]);
        else if (std::regex_match(line, m, group))
            f.groups[{std::stoi(m[3]), m[4]}] = {std::stoll(m[1]), std::stoll(m[2])};
    return f;
}

// Blocks made until one lies above block b (element size s), so that no
// space above b is the top of the arena, where freed or grown space goes.
std::vector<int32_t> walls_above(int32_t b, int32_t s, int32_t count) {
    std::vector<int32_t> walls;
    do
        walls.push_back(alloc(count, s, 0));
    while (int64_t{walls.back()} * s < int64_t{b} * s);
    return walls;
}

TEST(StoreReport, GroupsLiveBlocksByClassAndRequestingEntry) {
    kt_host_store_tag_requesters();
    auto model = report(KT_STORE_REPORT_LEAKS).groups;
    std::vector<int32_t> made; // blocks of element size 1, freed at the end
    int64_t bytes = 0;
    // Each step makes blocks the way a caller would; the model charges them,
    // and the bytes the store's own count rose by, to the step's group.
    auto step = [&](const char *requester) {
        bytes = kt_host_store_bytes_in_use();
        kt_store_requester = requester;
    };
    auto charge = [&](int sclass, const char *entry, int64_t blocks) {
        kt_store_requester = nullptr;
        auto &group = model[{sclass, entry}];
        group.first += blocks;
        group.second += kt_host_store_bytes_in_use() - bytes;
    };
    auto leak_string = [] { // a header and its characters
        int32_t s = 0, n = 5;
        EXPECT_NE(STRGEA("hello", &n, &s, n), 0);
    };
    int32_t index = 0, n = 264, one = 1, none = 0, status = 0;
    for (int sclass : {0, -1}) {
        step(nullptr);
        made.push_back(alloc(80, 1, sclass));
        charge(sclass, "GSTORE", 1);
    }
    step(nullptr);
    EXPECT_EQ(XSTORE(&n, &index, &one, &none, &status), 0);
    made.push_back(index);
    charge(0, "XSTORE", 1);
    // Grown until it moves, a block keeps its requester.
    step("leaky_loader");
    index = alloc(6, 1, 0);
    const int32_t first = index;
    std::vector<int32_t> walls = walls_above(index, 1, 2);
    for (n = 6; index == first && n < (1 << 24); n *= 2) {
        int32_t grown = 2 * n;
        if (XSTORE(&grown, &index, &one, &n, &status) != 0)
            break;
    }
    EXPECT_NE(index, first);
    made.insert(made.end(), walls.begin(), walls.end());
    made.push_back(index);
    charge(0, "leaky_loader", static_cast<int64_t>(walls.size()) + 1);
    step("leaky_loader");
    made.push_back(alloc(80, 1, -1));
    charge(-1, "leaky_loader", 1);
    step(nullptr);
    leak_string();
    charge(0, "STRGEA", 2);
    step("leaky_loader");
    leak_string();
    charge(0, "leaky_loader", 2); // the outermost name wins
    Figures after = report(KT_STORE_REPORT_LEAKS);
    EXPECT_EQ(after.groups, model);
    EXPECT_EQ(after.bytes, kt_host_store_bytes_in_use());
    EXPECT_EQ(after.peak, -1) << "the peak belongs to the statistics";
    for (int32_t b : made)
        release(b, 1);
    EXPECT_EQ(kt_host_store_check(), 0);
}

TEST(StoreReport, StatisticsFollowWhatWasAllocated) {
    Figures start = report(KT_STORE_REPORT_STATS);
    EXPECT_TRUE(start.groups.empty()) << "the statistics list no blocks";
    EXPECT_EQ(start.bytes, kt_host_store_bytes_in_use());
    // A large block with live space above it leaves a hole when freed.
    int32_t hole = alloc(100000, 8, 0);
    std::vector<int32_t> walls = walls_above(hole, 8, 100000);
    int64_t peak = kt_host_store_bytes_in_use();
    Figures full = report(KT_STORE_REPORT_ALL);
    EXPECT_EQ(full.blocks, start.blocks + 1 + static_cast<int64_t>(walls.size()));
    EXPECT_EQ(full.bytes, peak);
    EXPECT_GE(full.peak, peak);
    release(hole, 8);
    int64_t hole_bytes = peak - kt_host_store_bytes_in_use();
    Figures holed = report(KT_STORE_REPORT_STATS);
    EXPECT_EQ(holed.blocks, full.blocks - 1);
    EXPECT_EQ(holed.peak, full.peak) << "freeing leaves the peak";
    EXPECT_EQ(holed.free_bytes, full.free_bytes + hole_bytes);
    EXPECT_GE(holed.largest, hole_bytes);
    for (int32_t w : walls)
        release(w, 8);
    // A report whose write or flush fails says so, an interrupted write is
    // retried, and a report asked wrongly is refused.
    FILE *out = std::tmpfile();
    const std::tuple<int32_t, int32_t, int> faults[] = {{0, KT_IO_FAIL, -1}, {1, KT_IO_FAIL, -1}, {0, KT_IO_EINTR, 0}};
    for (auto [after, how, result] : faults) {
        kt_host_fail_io_after(KT_IO_WRITE, after, how);
        EXPECT_EQ(kt_host_store_report(out, KT_STORE_REPORT_ALL), result) << after << " " << how;
        kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
    }
    for (int what : {-1, KT_STORE_REPORT_ALL + 1})
        EXPECT_EQ(kt_host_store_report(out, what), -1) << what;
    EXPECT_EQ(kt_host_store_report(nullptr, KT_STORE_REPORT_ALL), -1);
    std::fclose(out);
}

TEST(StoreReportDeathTest, EnvironmentVariableReportsAtExit) {
    // A fresh process, so that the variable is there as the store is made.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (auto [value, shown] : {std::pair{"leaks", "  leaky_at_exit\n"},
                                {"stats", "free space: "},
                                {"all", "  leaky_at_exit\n(.|\n)*free space: "},
                                {"", "^$"},
                                {"bogus", "KT_STORE_REPORT=bogus: not leaks, stats or all"}}) {
        setenv("KT_STORE_REPORT", value, 1);
        EXPECT_EXIT(
            {
                kt_store_requester = "leaky_at_exit";
                alloc(1, 4, 0);
                std::exit(0);
            },
            ::testing::ExitedWithCode(0), shown);
        unsetenv("KT_STORE_REPORT");
    }
}

} // namespace
