// Internals the public entries cannot reach on any date or in any order:
// INTTIM's calendar and the channel table (one process per test in CTest).
#include <gtest/gtest.h>

#include <unistd.h>

#include <ctime>
#include <random>

#include "system/calendar.h"
#include "system/channel_harness.h"
#include "system/channel_table.h"
#include "kt/host.h"
#include "kt/system.h"

namespace {

using kt::system::seconds_since_1970;

// Every year the host can give, against the C library's count of the same
// time; a year below 70 means 20xx, a 13th month is the next January, and
// from 2038 on the count wraps to 32 bits.
TEST(SecondsSince1970, AgreesWithTheCLibrary) {
    std::mt19937 rng(1970);
    for (int32_t y = 0; y < 200; ++y)
        for (int32_t mo = 1; mo <= 13; ++mo) {
            std::tm t{};
            t.tm_year = y < 70 ? y + 100 : y;
            t.tm_mon = mo - 1;
            t.tm_mday = 1 + static_cast<int>(rng() % 28);
            t.tm_hour = static_cast<int>(rng() % 24);
            t.tm_min = static_cast<int>(rng() % 60);
            t.tm_sec = static_cast<int>(rng() % 60);
            EXPECT_EQ(seconds_since_1970(y, mo, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec),
                      static_cast<int32_t>(static_cast<uint32_t>(timegm(&t))))
                << y << "-" << mo << "-" << t.tm_mday;
        }
}

// Each request of c_ipini(kind) refused in turn: -2, table and heap unchanged.
void expect_every_request_refused(int32_t kind, int32_t requests) {
    const int32_t slots = kt::system::channel_slot_count();
    const int64_t live = kt_host_alloc_live();
    for (int32_t k = 0; k < requests; ++k) {
        kt_host_fail_alloc_after(k);
        EXPECT_EQ(c_ipini(kind, nullptr), -2) << k;
        kt_host_fail_alloc_after(-1);
        EXPECT_EQ(kt::system::channel_slot_count(), slots);
        EXPECT_EQ(kt_host_alloc_live(), live);
    }
}

TEST(ChannelTable, GrowsByOneAndReusesTheLowestFreeSlot) {
    if (kt::system::channel_slot_count() != 0)
        GTEST_SKIP() << "needs a fresh process";
    expect_every_request_refused(3, 3); // the table is not made at all
    EXPECT_EQ(c_ipini(3, nullptr), 0);
    EXPECT_EQ(kt::system::channel_slot_count(), 2);
    EXPECT_EQ(c_ipini(2, nullptr), 1);
    EXPECT_EQ(kt::system::channel_slot_count(), 2);
    EXPECT_EQ(c_ipini(2, nullptr), 2);
    EXPECT_EQ(kt::system::channel_slot_count(), 3);
    EXPECT_EQ(c_ipgeto(3, 1), -8); // equal to the slot count
    EXPECT_EQ(c_ipclos(3), -8);
    EXPECT_EQ(c_ipclos(0), 0);
    EXPECT_EQ(c_ipini(2, nullptr), 0);
    // A refused kind leaves the slot it took free.
    EXPECT_EQ(c_ipclos(1), 0);
    EXPECT_EQ(c_ipini(9, nullptr), -8);
    EXPECT_EQ(c_ipini(3, nullptr), 1);
    // A connection made from a prototype takes the next slot.
    EXPECT_EQ(c_ipocp(1, -1, -1), 3);
    EXPECT_EQ(kt::system::channel_slot_count(), 4);
    for (int32_t h = 0; h < 4; ++h)
        EXPECT_EQ(c_ipclos(h), 0);
    // Twenty at once, then all free again: the table never shrinks.
    for (int32_t i = 0; i < 20; ++i)
        EXPECT_EQ(c_ipini(2, nullptr), i);
    EXPECT_EQ(kt::system::channel_slot_count(), 20);
    expect_every_request_refused(2, 2); // a full table stays as it was
    for (int32_t i = 19; i >= 0; --i)
        c_ipclos(i);
    EXPECT_EQ(kt::system::channel_slot_count(), 20);
    EXPECT_EQ(c_ipini(2, nullptr), 0);
    c_ipclos(0);
}

// The lowest free descriptor: unchanged when nothing leaked.
int lowest_free_descriptor() {
    int fd = dup(0);
    close(fd);
    return fd;
}

// With every slot taken and memory refused, connections and buffers fail
// with -2, leak nothing, and the channel works once memory is granted.
TEST(ChannelTable, RefusedMemoryLeavesNothingBehind) {
    kt::test::HangGuard guard;
    kt::test::Listener server;
    kt::test::PipeChannel p, q; // p writes what q reads
    int32_t client = c_ipini(2, nullptr);
    while (c_ipini(3, nullptr) != kt::system::channel_slot_count() - 1) {
    }
    ASSERT_EQ(kt::test::send_text(p.handle, 1, "x"), 1);
    q.feed(p.written());
    const int free_fd = lowest_free_descriptor();
    const int64_t live = kt_host_alloc_live();
    kt_host_fail_alloc_after(0);
    EXPECT_EQ(c_ipocp(p.proto, 0, 1), -2);
    EXPECT_EQ(c_ipocct(client, "127.0.0.1", server.port, kt::test::kWaitSeconds), -2);
    EXPECT_EQ(c_ipocss(server.handle, kt::test::kWaitSeconds), -2);
    EXPECT_EQ(c_ippeek(q.handle, nullptr, nullptr), -2);
    EXPECT_EQ(c_ipwrit(q.handle, 1, "y", 1), -2);
    kt_host_fail_alloc_after(-1);
    EXPECT_EQ(kt_host_alloc_live(), live);
    EXPECT_EQ(lowest_free_descriptor(), free_fd);
    EXPECT_EQ(q.written(), "");
    EXPECT_EQ(kt::test::read_message(q.handle).payload, "x");
}

} // namespace
