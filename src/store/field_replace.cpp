// Replacing a file through a temporary beside it; see field_replace.h.
#include "field_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "kt/host.h"

namespace kt::store {
namespace {

constexpr int kNameAttempts = 100;

// The file a path names after following symbolic links; the path itself
// when that cannot be told.
std::string resolved(const std::string &path) {
    char *real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return path;
    std::string r(real);
    std::free(real);
    return r;
}

// A new file beside `target`, open for writing: its descriptor and name,
// or -1 with errno.
int make_temporary(const std::string &target, mode_t mode, std::string &name) {
    static unsigned serial = 0;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        name = target + "." + std::to_string(::getpid()) + "-" + std::to_string(serial++) + ".tmp";
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

ReplacementFile::~ReplacementFile() { discard(); }

void ReplacementFile::discard() {
    if (fd_ >= 0)
        kt_io_close(fd_);
    fd_ = -1;
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
}

bool ReplacementFile::through_temporary(const std::string &path) {
    struct stat st;
    return ::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode);
}

bool ReplacementFile::open(const std::string &path) {
    discard();
    error_ = 0;
    struct stat st;
    bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        target_ = path;
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        return fd_ >= 0;
    }
    target_ = exists ? resolved(path) : path;
    fd_ = make_temporary(target_, exists ? 0600 : 0666, temp_);
    if (fd_ < 0) {
        temp_.clear();
        return false;
    }
    // Exactly the old bits, which the creation mask may have narrowed.
    if (exists && ::fchmod(fd_, st.st_mode & 07777) != 0) {
        int err = errno;
        discard();
        errno = err;
        return false;
    }
    return true;
}

bool ReplacementFile::write(const char *p, size_t n) {
    if (error_ == 0 && kt_io_write_all(fd_, p, static_cast<int64_t>(n)) < 0)
        error_ = errno;
    return error_ == 0;
}

bool ReplacementFile::commit() {
    int closed = kt_io_close(fd_);
    fd_ = -1;
    if (closed != 0 && errno != EINTR && error_ == 0) // an interrupted close has still closed
        error_ = errno;
    if (error_ == 0 && !temp_.empty()) {
        if (std::rename(temp_.c_str(), target_.c_str()) == 0)
            temp_.clear();
        else
            error_ = errno;
    }
    if (error_ == 0)
        return true;
    discard();
    errno = error_;
    return false;
}

} // namespace kt::store
