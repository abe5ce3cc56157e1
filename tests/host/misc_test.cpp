// Text comparison and case mapping, cell moves, name tables, the machine
// description, routine names, the refusable heap, region and element-store
// limits, and sockets. (Clocks, flags and the Fortran names are checked by
// the system, listing, debug-module and Fortran interop tests.)
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <climits>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "host/host_test_util.h"
#include "kt/region.h"

using namespace kt_host_test;

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

TEST(TextOps, ComparisonsIgnoreCaseAndOrderBySign) {
    const struct {
        const char *a;
        int32_t na;
        const char *b;
        int32_t nb;
        int expected;
    } cases[] = {{"abc", 3, "ABC", 3, 0},    {"abc", 3, "abd", 3, -1}, {"b", 1, "A", 1, 1},
                 {"ab", 2, "abc", 3, -1},    {"", 0, "", 0, 0},        {"abcX", 3, "ABCY", 3, 0},
                 {"Zeta", 4, "alpha", 5, 1}, {"a1", 2, "A2", 2, -1},   {"x", -4, "", 0, 0}};
    for (const auto &c : cases) {
        int32_t la = static_cast<int32_t>(std::strlen(c.a)), lb = static_cast<int32_t>(std::strlen(c.b));
        EXPECT_EQ(sign(UISCMP(c.a, &c.na, c.b, &c.nb, la, lb)), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(sign(UISCMP(c.b, &c.nb, c.a, &c.na, lb, la)), -c.expected) << c.b << " vs " << c.a;
        if (c.na == la && c.nb == lb) {
            EXPECT_EQ(sign(kt_stricmp(c.a, c.b)), c.expected) << c.a << " vs " << c.b;
        }
    }
    char text[] = "Hello, WORLD 42 [Z]";
    int32_t n = 12;
    LCASES(text, &n, sizeof text - 1);
    EXPECT_STREQ(text, "hello, world 42 [Z]");
}

// Overlapping moves either way, as memmove makes them.
TEST(TextOps, Movei4MovesLikeMemmove) {
    for (auto [from, to, n] : {std::array{0, 2, 4}, {2, 0, 4}, {0, 1, 0}, {0, 1, -3}}) {
        std::vector<int32_t> v{1, 2, 3, 4, 5, 6}, expected = v;
        std::memmove(&expected[to], &expected[from], sizeof(int32_t) * static_cast<size_t>(std::max(n, 0)));
        MOVEI4(&v[from], &v[to], &n);
        EXPECT_EQ(v, expected) << from << " to " << to << ", " << n;
    }
}

// Enough names to grow the tables many times, among them names that share
// long prefixes, differ only in case, length or a trailing blank, or are
// empty, each passed with more characters after its length; each must
// keep the index of its first entry, as a map of first entries says. Some
// entries are made with memory refused after a few requests: a refused one
// gives 0 with error 2012 and leaves the table as the map says.
TEST(NameTables, ManyNamesKeepTheIndexOfTheirFirstEntry) {
    std::map<std::pair<int32_t, std::string>, int32_t> first;
    std::map<int32_t, int32_t> count;
    std::mt19937 rng(11);
    for (int i = 0; i < 30000; ++i) {
        int32_t table = 910010 + static_cast<int32_t>(rng() % 3);
        std::string name = std::string(rng() % 3 == 0 ? "a_common_prefix_of_the_name_" : "") +
                           std::to_string(rng() % 20000) + (rng() % 2 ? "X" : "x");
        name.resize(rng() % 50 == 0 ? 0 : name.size() + (rng() % 10 == 0 ? 1 : 0), ' ');
        int32_t len = static_cast<int32_t>(name.size()), index = 0;
        bool refusing = i % 7 == 0;
        if (refusing)
            kt_host_fail_alloc_after(static_cast<int32_t>(rng() % 3));
        const std::string passed = name + "Xy";
        int32_t errors = kt_host_error_count(), got = STE(&table, passed.data(), &len, &index, len + 2);
        kt_host_fail_alloc_after(-1);
        if (got == 0) {
            ASSERT_TRUE(refusing) << table << " " << name;
            ASSERT_EQ(kt_host_error_count(), errors + 1);
            EXPECT_EQ(kt_host_error_number(errors + 1), 2012);
            continue;
        }
        auto known = first.emplace(std::make_pair(table, name), count[table] + 1);
        count[table] += known.second ? 1 : 0;
        ASSERT_EQ(got, known.first->second) << table << " " << name;
        ASSERT_EQ(index, got);
    }
}

TEST(Machine, DescriptionMasksAndPrimes) {
    EXPECT_NE(MACHC.i[17], 0) << "element 18: build id";
    EXPECT_EQ(MACHC.i[18], 0) << "element 19: little-endian";
    const uint32_t one = 1;
    EXPECT_EQ(*reinterpret_cast<const unsigned char *>(&one), 1) << "and this host is";
    EXPECT_EQ(MACHC.d[4], DBL_MAX) << "real element 5";
    for (int k = 0; k < 32; ++k)
        EXPECT_EQ(static_cast<uint32_t>(bit_mask_value[k]), uint32_t{1} << k) << k;

    std::vector<bool> composite(20000, false);
    for (size_t p = 2; p * p < composite.size(); ++p)
        for (size_t q = p * p; !composite[p] && q < composite.size(); q += p)
            composite[q] = true;
    for (int n = -5; n < 20000; ++n)
        ASSERT_EQ(c_isprim(n, 0) != 0, n >= 2 && !composite[static_cast<size_t>(n)]) << n;
    const std::pair<int32_t, bool> large[] = {
        {2147483647, true}, {2147483646, false}, {1000000007, true}, {46327 * 46337, false}, {INT32_MIN, false}};
    for (auto [n, prime] : large)
        EXPECT_EQ(c_isprim(n, 0) != 0, prime) << n;
}

TEST(Machine, UefmemAndFileAccess) {
    auto *p = static_cast<char *>(uefmem(nullptr, 16));
    ASSERT_NE(p, nullptr);
    std::memcpy(p, "fifteen letters", 16);
    p = static_cast<char *>(uefmem(p, 4096));
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p, "fifteen letters") << "kept when grown";
    EXPECT_EQ(uefmem(p, 0), nullptr);
    EXPECT_EQ(uefmem(nullptr, 0), nullptr);

    TempFile f("access");
    spit(f.path, "x");
    ASSERT_EQ(::chmod(f.c_str(), 0644), 0);
    const struct {
        const char *suffix, *mode; // the file's name, or another with the suffix
        int32_t expected;
    } cases[] = {{"", " ", 0},     {"", "r", 0},  {"", "rw", 0}, {"", "x", -1},   {".no", " ", -1},
                 {".no", "r", -1}, {"", "RW", 0}, {"", "X", -1}, {"", nullptr, 0}};
    for (const auto &c : cases)
        EXPECT_EQ(c_faccess((f.path + c.suffix).c_str(), c.mode), c.expected)
            << c.suffix << " '" << (c.mode ? c.mode : "null") << "'";
    EXPECT_EQ(c_faccess(::testing::TempDir().c_str(), "x"), 0);
    EXPECT_EQ(c_faccess(nullptr, "r"), -1);
}

TEST(Routines, CalnamNamesActiveRoutinesBlankPadded) {
    auto name_at = [](int32_t level, int32_t len = 8) {
        std::string buf(static_cast<size_t>(len), '#');
        CALNAM(&level, buf.data(), len);
        return buf;
    };
    std::string outside = name_at(1);
    kt_host_push_routine("OUTER");
    kt_host_push_routine("INNER");
    EXPECT_EQ(name_at(1), "INNER   ");
    EXPECT_EQ(name_at(2), "OUTER   ");
    EXPECT_EQ(name_at(2, 3), "OUT");
    for (int32_t beyond : {0, -1, 1000})
        EXPECT_EQ(name_at(beyond), "        ") << beyond;
    kt_host_pop_routine();
    EXPECT_EQ(name_at(1), "OUTER   ");
    kt_host_pop_routine();
    EXPECT_EQ(name_at(1), outside);
    kt_host_push_routine(nullptr); // a routine without a name
    EXPECT_EQ(name_at(1, 4), "    ");
    kt_host_pop_routine();
    kt_host_pop_routine(); // on an empty chain: nothing
    EXPECT_EQ(name_at(1), outside);
}

// The refusable heap: the counter's window, and blocks of no bytes that
// still come and go as blocks.
TEST(RefusableHeap, WindowsAndEmptyBlocks) {
    const struct {
        int32_t granted, refused;
        const char *answers; // of kt_host_alloc_grant, in turn
    } windows[] = {{1, 2, "10011"}, {0, -1, "000"}, {2, 0, "1111"}, {-1, 5, "111"}};
    for (const auto &w : windows) {
        kt_host_fail_alloc_window(w.granted, w.refused);
        std::string got;
        for (size_t k = 0; w.answers[k]; ++k)
            got += kt_host_alloc_grant() ? '1' : '0';
        EXPECT_EQ(got, w.answers) << w.granted << "/" << w.refused;
        EXPECT_EQ(kt_host_alloc_refusals(), std::count(got.begin(), got.end(), '0'));
    }
    kt_host_fail_alloc_after(-1);
    const int64_t live = kt_host_alloc_live();
    void *a = kt_host_alloc(0), *c = kt_host_calloc(0, 8), *d = kt_host_calloc(8, 0);
    ASSERT_TRUE(a && c && d);
    a = kt_host_realloc(a, 0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(kt_host_alloc_live(), live + 3);
    for (void *p : {a, c, d})
        kt_host_free(p);
    EXPECT_EQ(kt_host_alloc_live(), live);
}

// A request beyond any memory is refused, and only blocks that are live in
// the region can be resized; the block asked about stays as it was.
TEST(Region, HugeRequestsFreedBlocksAndWideElementCountsAreRefused) {
    const size_t huge = size_t{1} << 50;
    for (PWSRegion *region : {new PWSRegion, PWS::GetMallocRegion()}) {
        KT_Status status, alloc, grow, freed;
        auto *a = static_cast<char *>(region->AllocMem(40, status));
        auto *b = static_cast<char *>(region->AllocMem(40, status));
        std::memset(a, 'a', 40);
        EXPECT_EQ(region->AllocMem(huge, alloc), nullptr);
        EXPECT_EQ(alloc.code, 1);
        EXPECT_EQ(region->ResizeMem(a, 40, huge, grow), nullptr);
        EXPECT_EQ(grow.code, 1);
        EXPECT_EQ(std::string(a, 40), std::string(40, 'a'));
        region->FreeMem(b, status);
        if (!region->is_heap()) { // a freed heap block is gone, not merely free
            EXPECT_EQ(region->ResizeMem(b, 40, 80, freed), nullptr);
            EXPECT_EQ(freed.code, 2);
        }
        region->FreeMem(a, status);
        EXPECT_EQ(status.code, 0);
        if (!region->is_heap())
            delete region;
    }
    // Element stores refuse counts whose bytes would pass INT_MAX and keep what
    // they had; a store without a region takes the heap region's.
    Arr wide(1 << 20, nullptr, 0), plain(0, nullptr, 3);
    EXPECT_EQ(wide.size(2), 2);
    EXPECT_EQ(wide.size(4096), -1);
    EXPECT_EQ(wide.size(), 2);
    EXPECT_EQ(wide.nostore(), 1);
    EXPECT_EQ(plain.size(3), 3); // one byte an element, room from the hint
    EXPECT_EQ(plain.max_size(), 3);
    EXPECT_EQ(plain.nostore(), 0);
}

TEST(Sockets, BadArgumentsAndDeadPeersAreRefusedAndLoopbackCarriesBytes) {
    for (int32_t port : {-1, 65536}) {
        int32_t p = port;
        EXPECT_EQ(c_sfcrs(&p), -3) << port;
        EXPECT_EQ(c_sfc2h("127.0.0.1", port), -3) << port;
    }
    EXPECT_EQ(c_sfcrs(nullptr), -3);
    EXPECT_EQ(c_sfc2h(nullptr, 80), -3);
    EXPECT_EQ(c_sfacs(-1, 0.0), -3);
    EXPECT_EQ(c_sfclds(-1), -1);
    // A port nobody listens on any more refuses the connection.
    int32_t port = 0;
    int32_t listener = c_sfcrs(&port);
    ASSERT_GE(listener, 0);
    EXPECT_EQ(c_sfclds(listener), 0);
    EXPECT_EQ(c_sfclds(listener), -1) << "closed twice";
    EXPECT_EQ(c_sfc2h("127.0.0.1", port), -3);
    // accept() on something that is not a socket fails at once, not at the time-out.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    EXPECT_EQ(c_sfacs(fds[0], 5.0), -3);
    close(fds[0]);
    close(fds[1]);
    // Listeners on any (an empty address) or on a named address; an empty host
    // name means this machine, and a connection or accept may have no time limit.
    for (bool named : {false, true}) {
        port = 0;
        listener = c_sfcrsa(named ? "127.0.0.1" : "", &port);
        ASSERT_GE(listener, 0);
        ASSERT_GT(port, 0);
        EXPECT_EQ(c_sfacs(listener, 0.05), -4);
        int32_t client = named ? c_sfc2ht("127.0.0.1", port, -1.0) : c_sfc2h("", port);
        ASSERT_GE(client, 0);
        int32_t server = c_sfacs(listener, named ? 5.0 : -1.0);
        ASSERT_GE(server, 0);
        ASSERT_EQ(write(client, "ping", 4), 4);
        char got[4] = {};
        ASSERT_EQ(read(server, got, sizeof got), 4);
        EXPECT_EQ(std::string(got, 4), "ping");
        for (int32_t fd : {client, server, listener})
            EXPECT_EQ(c_sfclds(fd), 0);
    }
}

} // namespace
