// Reading a VHDL source file whole (see vhdl_source.h).
#include "vhdl_source.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "kt/host.h"
#include "vhdl_internal.h"

namespace kt::vhdl {
namespace {

char *g_text = nullptr;
size_t g_text_cap = 0;

constexpr size_t kFirstRead = 64 * 1024; // when the size is not known beforehand

Source failure(int fd, const char *at, int error) {
    if (fd >= 0)
        kt_io_close(fd); // nothing is lost closing a file that was only read
    Source s;
    s.failed_at = at;
    s.error = error;
    return s;
}

} // namespace

Source load_source(const char *path) {
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failure(-1, "open", errno);
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return failure(fd, "open", errno);
    // A directory opens but never reads: refuse it here, as the open it is.
    if (S_ISDIR(st.st_mode))
        return failure(fd, "open", EISDIR);
    // Room for the whole file and one byte more, so that the read that
    // sees its end needs no growth.
    size_t room = S_ISREG(st.st_mode) ? static_cast<size_t>(st.st_size) + 1 : kFirstRead;
    if (!reserve(g_text, g_text_cap, room, 0))
        return failure(fd, "read", 0);
    size_t len = 0;
    for (;;) {
        if (len == g_text_cap && !reserve(g_text, g_text_cap, len + 1, len))
            return failure(fd, "read", 0);
        int64_t got = kt_io_read(fd, g_text + len, static_cast<int64_t>(g_text_cap - len));
        if (got == 0)
            break;
        if (got > 0)
            len += static_cast<size_t>(got);
        else if (errno != EINTR)
            return failure(fd, "read", errno ? errno : EIO);
    }
    kt_io_close(fd);
    Source s;
    s.text = g_text;
    s.len = len;
    return s;
}

} // namespace kt::vhdl
