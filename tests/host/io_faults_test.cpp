// The I/O fault hook: each mode does what it says to the operation it hits
// and to the ones after it, and an unarmed hook changes nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "host_test_util.h"
#include "kt/host.h"

using kt_host_test::slurp;
using kt_host_test::spit;
using kt_host_test::TempFile;

namespace {

struct Disarm {
    ~Disarm() { kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL); }
};

TEST(IoFaults, DescriptorReadsInEachMode) {
    Disarm d;
    TempFile t("iofault_read");
    spit(t.path, "0123456789");
    struct Case {
        int32_t how;
        int64_t first, second; // results of the 2nd and 3rd read of 4 bytes
        int err;
    } cases[] = {{KT_IO_FAIL, -1, -1, EIO}, {KT_IO_SHORT, 2, 2, 0}, {KT_IO_EINTR, -1, 4, EINTR}};
    for (const Case &c : cases) {
        FILE *f = std::fopen(t.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        int fd = fileno(f);
        char buf[8];
        kt_host_fail_io_after(KT_IO_READ, 1, c.how);
        EXPECT_EQ(kt_io_read(fd, buf, 4), 4);
        errno = 0;
        EXPECT_EQ(kt_io_read(fd, buf, 4), c.first) << c.how;
        if (c.first < 0) {
            EXPECT_EQ(errno, c.err);
        }
        EXPECT_EQ(kt_io_read(fd, buf, 4), c.second) << c.how;
        EXPECT_EQ(kt_host_io_count(KT_IO_READ), 3);
        EXPECT_EQ(kt_host_io_count(KT_IO_WRITE), 0);
        kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
        std::fclose(f);
    }
}

TEST(IoFaults, StreamWritesFlushAndClose) {
    Disarm d;
    TempFile t("iofault_write");
    // Unarmed: the file is written whole.
    FILE *f = std::fopen(t.c_str(), "wb");
    ASSERT_EQ(kt_io_fwrite(f, "abc", 3), 3);
    EXPECT_EQ(kt_io_fclose(f), 0);
    EXPECT_EQ(slurp(t.path), "abc");

    // A fault at the close's flush is a failed close, and the stream is gone.
    f = std::fopen(t.c_str(), "wb");
    ASSERT_EQ(kt_io_fwrite(f, "abc", 3), 3);
    kt_host_fail_io_after(KT_IO_WRITE, 0, KT_IO_FAIL);
    EXPECT_EQ(kt_io_fclose(f), -1);
    EXPECT_EQ(errno, EIO);

    // A short write is a device that filled part-way.
    f = std::fopen(t.c_str(), "wb");
    kt_host_fail_io_after(KT_IO_WRITE, 0, KT_IO_SHORT);
    EXPECT_EQ(kt_io_fwrite(f, "abcdef", 6), -1);
    EXPECT_EQ(errno, ENOSPC);
    kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
    EXPECT_EQ(kt_io_fclose(f), 0);
    EXPECT_EQ(slurp(t.path), "abc");

    // Only the kinds asked for are touched.
    f = std::fopen(t.c_str(), "wb");
    kt_host_fail_io_after(KT_IO_CLOSE, 0, KT_IO_FAIL);
    EXPECT_EQ(kt_io_fwrite(f, "xy", 2), 2);
    EXPECT_EQ(kt_io_fclose(f), -1);
    EXPECT_EQ(slurp(t.path), "xy"); // the bytes landed; the close still failed
}

TEST(IoFaults, StreamReadsTellEndFromError) {
    Disarm d;
    TempFile t("iofault_fread");
    spit(t.path, "hello");
    FILE *f = std::fopen(t.c_str(), "rb");
    char buf[16];
    EXPECT_EQ(kt_io_fread(f, buf, 16), 5);
    EXPECT_EQ(kt_io_fread(f, buf, 16), 0);
    std::rewind(f);
    kt_host_fail_io_after(KT_IO_READ, 0, KT_IO_FAIL);
    EXPECT_EQ(kt_io_fread(f, buf, 16), -1);
    EXPECT_EQ(kt_io_fread(f, buf, 16), -1); // a broken device stays broken
    kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
    EXPECT_EQ(kt_io_fread(f, buf, 16), 5);
    std::fclose(f);
    // A directory opens as a stream but fails to read: an error, not an end.
    FILE *dir = std::fopen("/", "r");
    if (dir) {
        EXPECT_EQ(kt_io_fread(dir, buf, 16), -1);
        EXPECT_EQ(errno, EISDIR);
        std::fclose(dir);
    }
}

} // namespace
