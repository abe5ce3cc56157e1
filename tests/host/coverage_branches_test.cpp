// Paths the other host tests leave alone: every fault mode on every stream
// call, damage the arena's check must name, and what a refused, oversized
// or failing request leaves behind.
#include <gtest/gtest.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/arena.h"
#include "host_test_util.h"
#include "kt/host.h"
#include "kt/region.h"

using kt_host_test::slurp;
using kt_host_test::spit;
using kt_host_test::TempFile;

namespace {

enum Call { kRead, kWrite, kFlush, kClose };

// One stream call with a fault armed at it (ops 0: none): its result, its
// errno when it fails, and the file once the stream is closed unarmed.
// Write streams hold "xy" in their buffer when the call is made.
TEST(StreamFaults, EveryModeOnEveryCall) {
    const struct {
        const char *mode;
        int32_t ops, how;
        Call call;
        int64_t n, result;
        int err;
        const char *after;
    } rows[] = {
        {"rb", KT_IO_READ, KT_IO_FAIL, kRead, 8, -1, EIO, "abcdefgh"},
        {"rb", KT_IO_READ, KT_IO_EINTR, kRead, 8, -1, EINTR, "abcdefgh"},
        {"rb", KT_IO_READ, KT_IO_SHORT, kRead, 8, 4, 0, "abcdefgh"},
        {"rb", 0, 0, kRead, 0, 0, 0, "abcdefgh"},
        {"rb", 0, 0, kWrite, 8, -1, EBADF, "abcdefgh"},
        {"wb", KT_IO_WRITE, KT_IO_FAIL, kWrite, 8, -1, EIO, "xy"},
        {"wb", KT_IO_WRITE, KT_IO_EINTR, kWrite, 8, -1, EINTR, "xy"},
        {"wb", KT_IO_WRITE, KT_IO_SHORT, kWrite, 8, -1, ENOSPC, "xyabcd"},
        {"wb", 0, 0, kWrite, 0, 0, 0, "xy"},
        {"wb", KT_IO_WRITE, KT_IO_FAIL, kFlush, 0, -1, EIO, "xy"},
        {"wb", KT_IO_WRITE, KT_IO_SHORT, kFlush, 0, -1, EIO, "xy"},
        {"wb", KT_IO_WRITE, KT_IO_EINTR, kFlush, 0, -1, EINTR, "xy"},
        // A close whose flush was interrupted cannot be retried: EIO.
        {"wb", KT_IO_WRITE, KT_IO_EINTR, kClose, 0, -1, EIO, "xy"},
        {"wb", KT_IO_CLOSE, KT_IO_EINTR, kClose, 0, -1, EIO, "xy"},
    };
    TempFile t("stream_faults");
    for (const auto &r : rows) {
        const std::string what = std::string(r.mode) + " call " + std::to_string(r.call) + " how " +
                                 std::to_string(r.how) + " n " + std::to_string(r.n);
        spit(t.path, "abcdefgh");
        FILE *f = std::fopen(t.c_str(), r.mode);
        ASSERT_NE(f, nullptr);
        if (r.mode[0] == 'w')
            std::fwrite("xy", 1, 2, f);
        kt_host_fail_io_after(r.ops, r.ops ? 0 : -1, r.how);
        char buf[8] = {};
        errno = 0;
        const int64_t result = r.call == kRead    ? kt_io_fread(f, buf, r.n)
                               : r.call == kWrite ? kt_io_fwrite(f, "abcdefgh", r.n)
                               : r.call == kFlush ? kt_io_fflush(f)
                                                  : kt_io_fclose(f);
        const int err = errno;
        kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
        if (r.call != kClose)
            std::fclose(f);
        EXPECT_EQ(result, r.result) << what;
        EXPECT_EQ(r.result < 0 ? err : 0, r.err) << what;
        EXPECT_EQ(std::string(buf, r.call == kRead && r.result > 0 ? static_cast<size_t>(r.result) : 0),
                  r.call == kRead && r.result > 0 ? "abcd" : "")
            << what;
        EXPECT_EQ(slurp(t.path), r.after) << what;
    }
}

// A device that is full fails the flush and the close with its own reason.
TEST(StreamFaults, FullDeviceFailsFlushAndClose) {
    for (bool close : {false, true}) {
        FILE *f = std::fopen("/dev/full", "wb");
        if (!f)
            GTEST_SKIP() << "no /dev/full";
        ASSERT_EQ(kt_io_fwrite(f, "xy", 2), 2); // buffered
        EXPECT_EQ(close ? kt_io_fclose(f) : kt_io_fflush(f), -1);
        EXPECT_EQ(errno, ENOSPC);
        if (!close)
            std::fclose(f);
    }
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
    void *a = kt_host_alloc(0), *c = kt_host_calloc(0, 8);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(c, nullptr);
    a = kt_host_realloc(a, 0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(kt_host_alloc_live(), live + 2);
    kt_host_free(a);
    kt_host_free(c);
    EXPECT_EQ(kt_host_alloc_live(), live);
}

// Flips bits of header word k (1: size and flags) of the chunk holding
// `payload`, or sets it (2: the next link of a free or cached chunk).
[[gnu::no_sanitize_address]] void poke(kt::host::Arena &arena, uint32_t payload, int k, uint32_t v, bool flip) {
    uint32_t &w = reinterpret_cast<uint32_t *>(arena.base() + payload - kt::host::Arena::kHeader)[k];
    w = flip ? w ^ v : v;
}

// Damage to a chunk's flags or to the links of the free and quick lists is
// found and named by the invariant it breaks.
TEST(Arena, CheckFindsDamagedFlagsAndLinks) {
    using kt::host::Arena;
    // Two free chunks and two cached ones of one size each, among live ones.
    enum { kA, kF1, kB, kF2, kC, kQ1, kD, kQ2, kLarge, kTop, kChunks };
    const uint32_t sizes[kChunks] = {40, 5000, 40, 5000, 40, 16, 40, 16, 5000, 8};
    // A flag is flipped in one chunk; a link is set in both chunks of a
    // pair, so that the list's head is damaged whichever of them it is.
    enum How { kFlip, kToLive, kToSelf, kToNone };
    const struct {
        const char *what;
        int rule, chunk, pair;
        How how;
        uint32_t mask;
    } damages[] = {
        {"a live chunk above a free one marked free", 4, kB, kB, kFlip, 1},
        {"the chunk below top marked free", 4, kTop, kTop, kFlip, 1},
        {"a free chunk marked cached", 6, kF1, kF1, kFlip, 1u << 31},
        {"a large live chunk marked cached", 6, kLarge, kLarge, kFlip, 1u << 31},
        {"a free list leading to a live chunk", 10, kF1, kF2, kToLive, 0},
        {"a free chunk on no list", 10, kF1, kF2, kToNone, 0},
        {"a quick list leading to a live chunk", 11, kQ1, kQ2, kToLive, 0},
        {"a quick list in a loop", 11, kQ1, kQ2, kToSelf, 0},
        {"a cached chunk on no quick list", 11, kQ1, kQ2, kToNone, 0},
    };
    for (const auto &d : damages) {
        Arena arena;
        arena.init();
        uint32_t chunks[kChunks];
        for (int k = 0; k < kChunks; ++k)
            chunks[k] = arena.allocate(sizes[k], false);
        for (int k : {kF1, kF2, kQ1, kQ2})
            arena.release(chunks[k]);
        ASSERT_EQ(arena.check(), 0);
        if (d.how == kFlip)
            poke(arena, chunks[d.chunk], 1, d.mask, true);
        for (int k : {d.chunk, d.pair}) {
            const uint32_t to = d.how == kToLive ? chunks[kA] : d.how == kToSelf ? chunks[k] : Arena::kHeader;
            if (d.how != kFlip)
                poke(arena, chunks[k], 2, to - Arena::kHeader, false);
        }
        testing::internal::CaptureStderr();
        EXPECT_EQ(arena.check(), d.rule) << d.what;
        EXPECT_NE(testing::internal::GetCapturedStderr().find("word store: rule"), std::string::npos);
    }
}

// Requests beyond the reservation are refused and change nothing.
TEST(Arena, RequestsBeyondTheReservationAreRefused) {
    kt::host::Arena arena;
    arena.init();
    const uint32_t a = arena.allocate(40, false);
    const int64_t in_use = arena.bytes_in_use();
    for (uint64_t bytes : {uint64_t{UINT32_MAX} - 16, uint64_t{3} << 30, uint64_t{1} << 33}) {
        EXPECT_EQ(arena.allocate(bytes, false), 0u) << bytes;
        EXPECT_EQ(arena.reallocate(a, bytes), 0u) << bytes;
    }
    EXPECT_EQ(arena.bytes_in_use(), in_use);
    EXPECT_TRUE(arena.is_live(a));
    EXPECT_EQ(arena.check(), 0);
}

// Null texts and option names read as empty ones; values out of range
// leave the settings alone.
TEST(NullArguments, ReadAsEmpty) {
    kt_host_capture_output(1);
    kt_host_clear_output();
    const int32_t width = c_ooquer("bsize");
    c_ooseto("bsize", 0);
    c_ooseto(nullptr, 5);
    EXPECT_EQ(c_ooquer("bsize"), width);
    EXPECT_EQ(c_ooquer(nullptr), -1);
    c_oocs(nullptr);
    c_oocv(nullptr);
    c_ooc(nullptr);
    c_oocs("a");
    OOWRIT();
    EXPECT_STREQ(kt_host_output(), "a\n");
    kt_host_capture_output(0);

    const int32_t one = 1;
    char name[4];
    kt_host_push_routine(nullptr);
    CALNAM(&one, name, 4);
    EXPECT_EQ(std::string(name, 4), "    ");
    kt_host_pop_routine();
    kt_host_pop_routine(); // on an empty chain: nothing

    kt_host_reset_errors();
    c_ermore(); // no message is being built: nothing
    errno = ENOENT;
    c_erseto("silent", 1);
    EXPECT_EQ(c_ersys(2015, nullptr), -1);
    EXPECT_EQ(c_erquer("number"), 2015);
    for (int32_t k : {0, 1, 2})
        EXPECT_EQ(kt_host_error_number(k), 0) << k; // a silent error is not logged
    EXPECT_STREQ(kt_host_error_text(0), "");
    kt_host_reset_errors();
}

// Only the index of a live block's first element, at its element size or
// at another that lands on the same byte, names a block.
TEST(StoreIndices, OnlyLiveBlocksAreKnown) {
    const int32_t count = 10, four = 4, zero = 0;
    int32_t index = 0, status = 0;
    ASSERT_EQ(GSTORE(&count, &index, &four, &zero, &status), 0);
    const struct {
        int32_t index, elsize;
        int64_t capacity; // 0: not a block
    } rows[] = {
        {index, 4, count}, {index * 4, 1, 4 * count}, {index / 2, 8, count / 2}, // payloads are 8-aligned
        {0, 4, 0},         {-index, 4, 0},            {index + 1, 4, 0},
        {index, 2, 0},     {INT32_MAX, 8, 0},         {INT32_MAX, 1, 0},
    };
    for (const auto &r : rows) {
        EXPECT_EQ(kt_store_class(r.index, r.elsize), r.capacity ? 0 : 1) << r.index << "/" << r.elsize;
        const int64_t capacity = kt_store_capacity(r.index, r.elsize);
        EXPECT_TRUE(r.capacity ? capacity >= r.capacity : capacity == 0) << r.index << "/" << r.elsize << ": " << capacity;
    }
    EXPECT_EQ(FSTORE(&count, &index, &four), 0);
}

// A request beyond any memory is refused, and only blocks that are live in
// the region can be resized; the block asked about stays as it was.
TEST(Region, HugeRequestsAndFreedBlocksAreRefused) {
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
}

// Element stores refuse counts whose bytes would pass INT_MAX and keep what
// they had; a store without a region takes the heap region's.
TEST(ElementStore, CountsBeyondIntBytesAreRefused) {
    Arr wide(1 << 20, nullptr, 0), plain(0, nullptr, 3);
    EXPECT_EQ(wide.size(2), 2);
    EXPECT_EQ(wide.size(4096), -1);
    EXPECT_EQ(wide.size(), 2);
    EXPECT_EQ(wide.nostore(), 1);
    EXPECT_EQ(plain.size(3), 3); // one byte an element, room from the hint
    EXPECT_EQ(plain.max_size(), 3);
    EXPECT_EQ(plain.nostore(), 0);
}

// A stream whose descriptor was closed behind it fails its close; a short
// gathered write takes its bytes from the first part that has any.
TEST(StreamFaults, ClosedDescriptorAndShortGatheredWrite) {
    TempFile t("closed_behind");
    spit(t.path, "abc");
    FILE *f = std::fopen(t.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    close(fileno(f));
    EXPECT_EQ(kt_io_fclose(f), -1);
    EXPECT_EQ(errno, EBADF);

    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    iovec parts[2] = {{const_cast<char *>("xyz"), 0}, {const_cast<char *>("abcd"), 4}};
    kt_host_fail_io_after(KT_IO_WRITE, 0, KT_IO_SHORT);
    EXPECT_EQ(kt_io_writev(fds[1], parts, 2, 0), 2);
    kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
    char got[4] = {};
    EXPECT_EQ(read(fds[0], got, sizeof got), 2);
    EXPECT_EQ(std::string(got, 2), "ab");
    close(fds[0]);
    close(fds[1]);

    // A binary unit takes a write of nothing from no block.
    const int32_t unit = kt_host_open_unit(t.c_str(), "w"), zero = 0, four = 4;
    ASSERT_GE(unit, 1);
    EXPECT_EQ(MMWRIT(&unit, &zero, &zero, &four, nullptr), 0);
    EXPECT_EQ(kt_host_close_unit(unit), 0);
    EXPECT_EQ(slurp(t.path), "");
}

// A listener bound to a named address takes a connection made with no
// time limit.
TEST(Sockets, BoundAddressAndUnlimitedConnect) {
    int32_t port = 0;
    const int32_t listener = c_sfcrsa("127.0.0.1", &port);
    ASSERT_GE(listener, 0);
    const int32_t client = c_sfc2ht("127.0.0.1", port, -1.0);
    ASSERT_GE(client, 0);
    const int32_t server = c_sfacs(listener, 5.0);
    ASSERT_GE(server, 0);
    for (int32_t fd : {client, server, listener})
        EXPECT_EQ(c_sfclds(fd), 0);
}

// A binary unit whose read failed fails every later read, and nothing is
// allocated for them; a request without a status cell still gets its code.
TEST(BinaryUnitFaults, AFailedReadFailsEveryLaterOne) {
    TempFile f("failed_read");
    spit(f.path, std::string(64, 'x'));
    int32_t unit = kt_host_open_unit(f.c_str(), "r"), four = 4, cls = 0, index = 0, status = 0;
    ASSERT_GE(unit, 1);
    const int64_t before = kt_host_store_bytes_in_use();
    kt_host_fail_io_after(KT_IO_READ, 0, KT_IO_FAIL);
    EXPECT_EQ(MMREAD(&unit, &four, &index, &four, &cls, &status), 3);
    kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
    EXPECT_EQ(MMREAD(&unit, &four, &index, &four, &cls, &status), 3);
    EXPECT_EQ(kt_host_unit_error(unit), EIO);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(kt_host_store_bytes_in_use(), before);
    kt_host_close_unit(unit);
    int32_t none = 99;
    EXPECT_EQ(MMWRIT(&none, &four, &index, &four, nullptr), 1);
}

// Errors raised while memory is refused still print and log, from the room
// kept ahead: each keeps its number, and its text or the start of it.
TEST(ErrorsUnderRefusal, KeepTheirNumbersAndCutTheirTexts) {
    std::vector<std::string> texts;
    for (int i = 0; i < 12; ++i)
        texts.push_back(std::string(300 * static_cast<size_t>(i + 1), static_cast<char>('a' + i)));
    kt_host_reset_errors();
    testing::internal::CaptureStderr();
    kt_host_fail_alloc_after(0);
    for (size_t i = 0; i < texts.size(); ++i)
        c_ers(1000 + static_cast<int32_t>(i), texts[i].c_str());
    c_erflsh();
    kt_host_fail_alloc_after(-1);
    const std::string printed = testing::internal::GetCapturedStderr();
    const int32_t count = kt_host_error_count();
    EXPECT_GE(count, 1);
    for (int32_t k = 1; k <= count; ++k) {
        const std::string &full = texts[static_cast<size_t>(k - 1)];
        const std::string kept = kt_host_error_text(k);
        EXPECT_EQ(kt_host_error_number(k), 999 + k);
        EXPECT_EQ(full.compare(0, kept.size(), kept), 0) << k;
        EXPECT_NE(printed.find("error " + std::to_string(999 + k) + ": " + full.substr(0, 10)), std::string::npos) << k;
    }
    kt_host_reset_errors();
}

// Output that needs memory which is refused changes nothing: the line, the
// unit stack and the capture stay as they were, and error 2012 names the
// routine (the capture, which has no routine, fails with ENOMEM).
TEST(OutputUnderRefusal, ChangesNothingAndSaysWhere) {
    const std::string long_text(100000, 'x');
    const int32_t column = 200000, stdout_unit = 6;
    kt_host_capture_output(1);
    kt_host_clear_output();
    kt_host_reset_errors();
    testing::internal::CaptureStderr();
    kt_host_fail_alloc_after(0);
    c_oocs(long_text.c_str());
    OOTAB(&column);
    EXPECT_EQ(OOPUSH(&stdout_unit), -1);
    EXPECT_EQ(kt_host_write_record(stdout_unit, long_text.data(), 100000), -1);
    EXPECT_EQ(errno, ENOMEM);
    kt_host_fail_alloc_after(-1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(c_ooquer("column"), 0);
    EXPECT_STREQ(kt_host_output(), "");
    kt_host_capture_output(0);
    const char *const routines[] = {"(oocs)", "(ootab)", "(oopush)"};
    ASSERT_EQ(kt_host_error_count(), 3);
    for (int32_t k = 1; k <= 3; ++k) {
        EXPECT_EQ(kt_host_error_number(k), 2012);
        EXPECT_NE(std::string(kt_host_error_text(k)).find(routines[k - 1]), std::string::npos) << k;
    }
    kt_host_reset_errors();
}

// Standard output that fails is reported once, by name, and takes no more
// records; an interrupted write is retried. Its failure lasts for the
// process, so the test runs in a child (exit, not _Exit: coverage counts).
TEST(StandardOutput, AFailedWriteIsReportedOnceAndSticks) {
    const int32_t kStdout = 6;
    EXPECT_EXIT(
        {
            kt_host_capture_output(0);
            kt_host_reset_errors();
            kt_host_fail_io_after(KT_IO_WRITE, 0, KT_IO_EINTR);
            bool ok = kt_host_write_record(kStdout, "a", 1) == 0;
            kt_host_fail_io_after(KT_IO_WRITE, 0, KT_IO_FAIL);
            c_oocs("b");
            OOWRIT();
            kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
            ok = ok && kt_host_error_number(1) == 2064 &&
                 std::string(kt_host_error_text(1)).find("standard output") != std::string::npos;
            ok = ok && kt_host_write_record(kStdout, "c", 1) == -1 && errno == EIO;
            OOWRIT();
            ok = ok && kt_host_error_count() == 1;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
