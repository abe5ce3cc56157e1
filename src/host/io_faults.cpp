// Guarded I/O: every read, write, flush and close of the libraries passes
// here, so that tests can break the device under any one of them.
//
// Invariant: with no fault armed (g_left < 0) each call is exactly the
// system call it wraps; counting is the only extra work.
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "kt/host.h"

namespace {

int32_t g_ops = 0;   // kinds the armed fault applies to
int64_t g_left = -1; // operations still let through; -1: none armed
int32_t g_how = KT_IO_FAIL;
bool g_fired = false; // KT_IO_FAIL and KT_IO_SHORT stay on once fired
int64_t g_count[3] = {0, 0, 0};

int slot(int32_t op) { return op == KT_IO_READ ? 0 : op == KT_IO_WRITE ? 1 : 2; }

// What happens to one operation of kind `op`.
enum class Fault { None, Fail, Short, Eintr };

Fault next_fault(int32_t op) {
    ++g_count[slot(op)];
    if (g_left < 0 || !(g_ops & op))
        return Fault::None;
    if (g_fired)
        return g_how == KT_IO_SHORT ? Fault::Short : Fault::Fail;
    if (g_left > 0) {
        --g_left;
        return Fault::None;
    }
    if (g_how == KT_IO_EINTR) {
        g_left = -1; // once
        return Fault::Eintr;
    }
    g_fired = true;
    return g_how == KT_IO_SHORT ? Fault::Short : Fault::Fail;
}

int64_t refuse(int err) {
    errno = err;
    return -1;
}

int64_t shortened(int64_t n) { return n > 1 ? n / 2 : n; }

} // namespace

extern "C" {

void kt_host_fail_io_after(int32_t ops, int32_t n, int32_t how) {
    g_ops = ops & KT_IO_ANY;
    g_left = n < 0 ? -1 : n;
    g_how = how;
    g_fired = false;
    g_count[0] = g_count[1] = g_count[2] = 0;
}

int64_t kt_host_io_count(int32_t ops) {
    int64_t total = 0;
    for (int32_t op : {KT_IO_READ, KT_IO_WRITE, KT_IO_CLOSE})
        if (ops & op)
            total += g_count[slot(op)];
    return total;
}

int64_t kt_io_read(int fd, void *buf, int64_t n) {
    switch (next_fault(KT_IO_READ)) {
    case Fault::Fail:
        return refuse(EIO);
    case Fault::Eintr:
        return refuse(EINTR);
    case Fault::Short:
        n = shortened(n);
        break;
    case Fault::None:
        break;
    }
    return ::read(fd, buf, static_cast<size_t>(std::max<int64_t>(n, 0)));
}

int64_t kt_io_write(int fd, const void *buf, int64_t n) {
    switch (next_fault(KT_IO_WRITE)) {
    case Fault::Fail:
        return refuse(EIO);
    case Fault::Eintr:
        return refuse(EINTR);
    case Fault::Short:
        n = shortened(n);
        break;
    case Fault::None:
        break;
    }
    return ::write(fd, buf, static_cast<size_t>(std::max<int64_t>(n, 0)));
}

int64_t kt_io_writev(int fd, const struct iovec *parts, int32_t count, int32_t send_flags) {
    iovec first{nullptr, 0};
    switch (next_fault(KT_IO_WRITE)) {
    case Fault::Fail:
        return refuse(EIO);
    case Fault::Eintr:
        return refuse(EINTR);
    case Fault::Short: {
        // Half of the whole, taken from the first part that holds bytes.
        int64_t total = 0;
        for (int32_t i = 0; i < count; ++i)
            total += static_cast<int64_t>(parts[i].iov_len);
        for (int32_t i = 0; i < count && !first.iov_len; ++i)
            first = parts[i];
        first.iov_len = std::min<size_t>(first.iov_len, static_cast<size_t>(shortened(total)));
        parts = &first;
        count = 1;
        break;
    }
    case Fault::None:
        break;
    }
    if (send_flags == 0)
        return ::writev(fd, parts, count);
    msghdr msg{};
    msg.msg_iov = const_cast<iovec *>(parts);
    msg.msg_iovlen = static_cast<size_t>(std::max(count, 0));
    return ::sendmsg(fd, &msg, send_flags);
}

int32_t kt_io_close(int fd) {
    Fault f = next_fault(KT_IO_CLOSE);
    int r = ::close(fd);
    if (f == Fault::Fail) // a close moves no bytes: a short transfer cannot hit it
        return static_cast<int32_t>(refuse(EIO));
    if (f == Fault::Eintr)
        return static_cast<int32_t>(refuse(EINTR)); // released all the same, as on Linux
    return r;
}

int64_t kt_io_fread(FILE *stream, void *buf, int64_t n) {
    switch (next_fault(KT_IO_READ)) {
    case Fault::Fail:
        return refuse(EIO);
    case Fault::Eintr:
        return refuse(EINTR);
    case Fault::Short:
        n = shortened(n);
        break;
    case Fault::None:
        break;
    }
    if (n <= 0)
        return 0;
    size_t got = std::fread(buf, 1, static_cast<size_t>(n), stream);
    if (got == 0 && std::ferror(stream)) {
        int err = errno ? errno : EIO;
        std::clearerr(stream);
        return refuse(err);
    }
    return static_cast<int64_t>(got);
}

int64_t kt_io_fwrite(FILE *stream, const void *buf, int64_t n) {
    switch (next_fault(KT_IO_WRITE)) {
    case Fault::Fail:
        return refuse(EIO);
    case Fault::Eintr:
        return refuse(EINTR);
    case Fault::Short:
        std::fwrite(buf, 1, static_cast<size_t>(shortened(n)), stream);
        return refuse(ENOSPC);
    case Fault::None:
        break;
    }
    if (n <= 0)
        return 0;
    if (std::fwrite(buf, 1, static_cast<size_t>(n), stream) != static_cast<size_t>(n))
        return refuse(errno ? errno : EIO);
    return n;
}

int32_t kt_io_fflush(FILE *stream) {
    switch (next_fault(KT_IO_WRITE)) {
    case Fault::Fail:
    case Fault::Short:
        return static_cast<int32_t>(refuse(EIO));
    case Fault::Eintr:
        return static_cast<int32_t>(refuse(EINTR));
    case Fault::None:
        break;
    }
    return std::fflush(stream) == 0 ? 0 : static_cast<int32_t>(refuse(errno ? errno : EIO));
}

int32_t kt_io_fclose(FILE *stream) {
    // The close writes what is still buffered: a failure of either counts.
    int32_t flushed = kt_io_fflush(stream);
    int saved = errno;
    Fault f = next_fault(KT_IO_CLOSE);
    int r = std::fclose(stream);
    if (flushed != 0) {
        errno = saved == EINTR ? EIO : saved; // the stream is gone: no retry
        return -1;
    }
    if (f == Fault::Fail || f == Fault::Eintr)
        return static_cast<int32_t>(refuse(EIO));
    return r == 0 ? 0 : static_cast<int32_t>(refuse(errno ? errno : EIO));
}

} // extern "C"
