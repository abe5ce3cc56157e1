// Buffered descriptors of the host's units and inputs; see buffered_descriptor.h.
#include "buffered_descriptor.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "kt/host.h"

namespace kt::host {
namespace {

// Large enough that a file costs few calls, small enough to keep per unit.
constexpr size_t kBufferBytes = 16384;

} // namespace

int open_for_reading(const char *path) {
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    int err = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    if (err != 0) {
        kt_io_close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

int open_for_writing(const char *path) { return ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666); }

int close_descriptor(int fd) {
    if (fd < 0)
        return 0;
    return kt_io_close(fd) == 0 || errno == EINTR ? 0 : -1;
}

std::string_view DescriptorReader::peek() {
    while (pos_ == end_ && !at_end_ && error_ == 0) {
        if (buf_.empty())
            buf_.resize(kBufferBytes);
        pos_ = end_ = 0;
        int64_t got = kt_io_read(fd_, buf_.data(), static_cast<int64_t>(buf_.size()));
        if (got > 0)
            end_ = static_cast<size_t>(got);
        else if (got == 0)
            at_end_ = true;
        else if (errno != EINTR)
            error_ = errno ? errno : EIO;
    }
    if (error_ != 0)
        return {};
    return {buf_.data() + pos_, end_ - pos_};
}

int64_t DescriptorReader::read(char *out, int64_t n) {
    int64_t done = 0;
    while (done < n) {
        std::string_view have = peek();
        if (have.empty())
            return error_ != 0 ? -1 : done;
        size_t take = static_cast<size_t>(std::min<int64_t>(n - done, static_cast<int64_t>(have.size())));
        std::memcpy(out + done, have.data(), take);
        consume(take);
        done += static_cast<int64_t>(take);
    }
    return done;
}

bool DescriptorWriter::write(const char *p, size_t n) {
    if (error_ != 0)
        return false;
    if (buf_.size() + n > kBufferBytes) {
        if (!flush())
            return false;
        if (n >= kBufferBytes) {
            if (kt_io_write_all(fd_, p, static_cast<int64_t>(n)) < 0)
                error_ = errno;
            return error_ == 0;
        }
    }
    buf_.insert(buf_.end(), p, p + n);
    return true;
}

bool DescriptorWriter::flush() {
    if (error_ == 0 && !buf_.empty() && kt_io_write_all(fd_, buf_.data(), static_cast<int64_t>(buf_.size())) < 0)
        error_ = errno;
    buf_.clear();
    return error_ == 0;
}

int DescriptorWriter::close() {
    if (fd_ >= 0) {
        flush();
        if (close_descriptor(fd_) != 0 && error_ == 0)
            error_ = errno;
        fd_ = -1;
    }
    if (error_ == 0)
        return 0;
    errno = error_;
    return -1;
}

} // namespace kt::host

extern "C" int64_t kt_io_write_all(int fd, const void *buf, int64_t n) {
    const char *p = static_cast<const char *>(buf);
    int64_t done = 0;
    while (done < n) {
        int64_t put = kt_io_write(fd, p + done, n - done);
        if (put > 0)
            done += put;
        else if (put == 0)
            return errno = EIO, -1; // no progress and no reason: never loop on it
        else if (errno != EINTR)
            return -1;
    }
    return done;
}
