// The I/O fault hook: each mode does what it says to the operation it hits
// and to the ones after it, on descriptors and on every stream call, and
// an unarmed hook changes nothing.
#include <gtest/gtest.h>
#include <sys/uio.h>
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
        EXPECT_EQ(errno, c.err) << c.how;
        EXPECT_EQ(kt_io_read(fd, buf, 4), c.second) << c.how;
        EXPECT_EQ(kt_host_io_count(KT_IO_READ), 3);
        EXPECT_EQ(kt_host_io_count(KT_IO_WRITE), 0);
        kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
        std::fclose(f);
    }
    // A short gathered write takes its bytes from the first part that has any.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    iovec parts[2] = {{const_cast<char *>("xyz"), 0}, {const_cast<char *>("abcd"), 4}};
    kt_host_fail_io_after(KT_IO_WRITE, 0, KT_IO_SHORT);
    EXPECT_EQ(kt_io_writev(fds[1], parts, 2, 0), 2);
    char got[4] = {};
    EXPECT_EQ(read(fds[0], got, sizeof got), 2);
    EXPECT_EQ(std::string(got, 2), "ab");
    close(fds[0]);
    close(fds[1]);
}

enum Call { kRead, kWrite, kFlush, kClose, kCloseWithoutDescriptor };

// One stream call with a fault armed at it (ops 0: none): its result, its
// errno when it fails, and the file once the stream is closed unarmed.
// Streams are of a scratch file holding "abcdefgh" unless a path is given;
// write streams hold "xy" in their buffer when the call is made.
TEST(IoFaults, EveryModeOnEveryStreamCall) {
    Disarm d;
    const struct {
        const char *path, *mode;
        int32_t ops, how;
        Call call;
        int64_t n, result;
        int err;
        const char *after; // null: not looked at
    } rows[] = {
        {nullptr, "rb", KT_IO_READ, KT_IO_FAIL, kRead, 8, -1, EIO, "abcdefgh"},
        {nullptr, "rb", KT_IO_READ, KT_IO_EINTR, kRead, 8, -1, EINTR, "abcdefgh"},
        {nullptr, "rb", KT_IO_READ, KT_IO_SHORT, kRead, 8, 4, 0, "abcdefgh"},
        {nullptr, "rb", 0, 0, kRead, 0, 0, 0, "abcdefgh"},
        {"/dev/null", "rb", 0, 0, kRead, 8, 0, 0, nullptr},
        {"/", "r", 0, 0, kRead, 8, -1, EISDIR, nullptr}, // an error, not an end
        {nullptr, "rb", 0, 0, kWrite, 8, -1, EBADF, "abcdefgh"},
        {nullptr, "rb", 0, 0, kCloseWithoutDescriptor, 0, -1, EBADF, "abcdefgh"},
        {nullptr, "wb", KT_IO_WRITE, KT_IO_FAIL, kWrite, 8, -1, EIO, "xy"},
        {nullptr, "wb", KT_IO_WRITE, KT_IO_EINTR, kWrite, 8, -1, EINTR, "xy"},
        {nullptr, "wb", KT_IO_WRITE, KT_IO_SHORT, kWrite, 8, -1, ENOSPC, "xyabcd"},
        {nullptr, "wb", 0, 0, kWrite, 0, 0, 0, "xy"},
        {nullptr, "wb", KT_IO_WRITE, KT_IO_FAIL, kFlush, 0, -1, EIO, "xy"},
        {nullptr, "wb", KT_IO_WRITE, KT_IO_SHORT, kFlush, 0, -1, EIO, "xy"},
        {nullptr, "wb", KT_IO_WRITE, KT_IO_EINTR, kFlush, 0, -1, EINTR, "xy"},
        {"/dev/full", "wb", 0, 0, kFlush, 0, -1, ENOSPC, nullptr},
        {nullptr, "wb", 0, 0, kClose, 0, 0, 0, "xy"},
        // The bytes land whatever the close reports; an interrupted close
        // cannot be retried, so it is EIO.
        {nullptr, "wb", KT_IO_WRITE, KT_IO_FAIL, kClose, 0, -1, EIO, "xy"},
        {nullptr, "wb", KT_IO_WRITE, KT_IO_EINTR, kClose, 0, -1, EIO, "xy"},
        {nullptr, "wb", KT_IO_CLOSE, KT_IO_FAIL, kClose, 0, -1, EIO, "xy"},
        {nullptr, "wb", KT_IO_CLOSE, KT_IO_EINTR, kClose, 0, -1, EIO, "xy"},
        {"/dev/full", "wb", 0, 0, kClose, 0, -1, ENOSPC, nullptr},
    };
    TempFile t("stream_faults");
    for (const auto &r : rows) {
        const std::string path = r.path ? r.path : t.path;
        const std::string what = path + " " + r.mode + " call " + std::to_string(r.call) + " how " +
                                 std::to_string(r.how) + " n " + std::to_string(r.n);
        spit(t.path, "abcdefgh");
        FILE *f = std::fopen(path.c_str(), r.mode);
        ASSERT_NE(f, nullptr) << what;
        if (r.mode[0] == 'w')
            std::fwrite("xy", 1, 2, f);
        if (r.call == kCloseWithoutDescriptor)
            close(fileno(f));
        kt_host_fail_io_after(r.ops, r.ops ? 0 : -1, r.how);
        char buf[8] = {};
        errno = 0;
        const int64_t result = r.call == kRead    ? kt_io_fread(f, buf, r.n)
                               : r.call == kWrite ? kt_io_fwrite(f, "abcdefgh", r.n)
                               : r.call == kFlush ? kt_io_fflush(f)
                                                  : kt_io_fclose(f);
        const int err = errno;
        kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
        if (r.call < kClose)
            std::fclose(f);
        EXPECT_EQ(result, r.result) << what;
        EXPECT_EQ(r.result < 0 ? err : 0, r.err) << what;
        EXPECT_EQ(std::string(buf, r.call == kRead && r.result > 0 ? static_cast<size_t>(r.result) : 0),
                  r.call == kRead && r.result > 0 ? "abcd" : "")
            << what;
        if (r.after) {
            EXPECT_EQ(slurp(t.path), r.after) << what;
        }
    }
}

} // namespace
