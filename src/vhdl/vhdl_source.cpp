// Reading a VHDL source file line by line (see vhdl_source.h).
#include "vhdl_source.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "kt/host.h"
#include "vhdl_internal.h"

namespace kt::vhdl {
namespace {

constexpr size_t kBlock = 64 * 1024;

char *g_buf = nullptr;
size_t g_cap = 0;

} // namespace

bool SourceFile::open(const char *path) {
    fd_ = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return fail("open", errno);
    // A directory opens but never reads: refuse it here, as the open it is.
    struct stat st;
    if (::fstat(fd_, &st) != 0)
        return fail("open", errno);
    if (S_ISDIR(st.st_mode))
        return fail("open", EISDIR);
    if (!reserve(g_buf, g_cap, kBlock, 0))
        return fail("read", 0);
    return true;
}

SourceFile::~SourceFile() {
    if (fd_ >= 0)
        kt_io_close(fd_); // nothing is lost closing a file that was only read
    // A buffer grown for a long line goes back to the heap.
    if (g_cap > kBlock) {
        kt::packages::release(g_buf);
        g_buf = nullptr;
        g_cap = 0;
    }
}

bool SourceFile::fail(const char *at, int error) {
    failed_at_ = at;
    error_ = error;
    return false;
}

// More bytes behind the ones not yet handed out, which move to the front
// first; at the end of the file at least one byte of room stays free.
bool SourceFile::fill() {
    if (pos_ > 0) {
        std::memmove(g_buf, g_buf + pos_, end_ - pos_);
        end_ -= pos_;
        scanned_ -= pos_;
        pos_ = 0;
    }
    if (end_ == g_cap && !reserve(g_buf, g_cap, g_cap + 1, end_))
        return fail("read", 0);
    for (;;) {
        int64_t got = kt_io_read(fd_, g_buf + end_, static_cast<int64_t>(g_cap - end_));
        if (got > 0) {
            end_ += static_cast<size_t>(got);
            return true;
        }
        if (got == 0) {
            at_end_ = true;
            return true;
        }
        if (errno != EINTR)
            return fail("read", errno ? errno : EIO);
    }
}

bool SourceFile::next_line(char *&line, size_t &len) {
    for (;;) {
        if (const void *found = std::memchr(g_buf + scanned_, '\n', end_ - scanned_)) {
            size_t next = static_cast<size_t>(static_cast<const char *>(found) - g_buf) + 1;
            line = g_buf + pos_;
            len = next - pos_;
            pos_ = scanned_ = next;
            return true;
        }
        scanned_ = end_;
        if (at_end_) {
            if (pos_ == end_)
                return false;
            g_buf[end_++] = '\n'; // the last line's missing end
            continue;
        }
        if (failed_at_ || !fill())
            return false;
    }
}

} // namespace kt::vhdl
