// Files by path: their times, renaming and removal. Failures of renaming
// and removal are reported through the host's system errors 2013 and 2015.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/fortran_alias.h"
#include "fixed_text_copy.h"
#include "kt/host.h"
#include "kt/system.h"

using kt::system::FixedText;

namespace {

int32_t low_32_bits(time_t t) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(t))); }

// The host's message for error 2069 on the path, reported as system error
// 2015 with the reason the removal failed.
int32_t report_removal_failure(const char *path, int saved_errno) {
    c_erseto("silent", 1);
    c_ers(2069, path);
    int32_t size = c_erquer("size");
    auto *text = size > 0 ? static_cast<char *>(uefmem(nullptr, static_cast<size_t>(size) + 2)) : nullptr;
    const char *message = path;
    if (text) {
        c_ergetb(text, size + 2);
        text[size - 1] = '\0'; // drops the line end
        message = text;
    }
    // The calls above may have touched errno; the report names the removal's reason.
    errno = saved_errno;
    int32_t result = c_ersys(2015, message);
    if (text)
        uefmem(text, 0);
    return result;
}

} // namespace

extern "C" {

int32_t c_ftimes(const char *path, int32_t *atime, int32_t *mtime, int32_t *ctime) {
    struct stat st;
    if (!path || stat(path, &st) != 0)
        return -1;
    *atime = low_32_bits(st.st_atime);
    *mtime = low_32_bits(st.st_mtime);
    *ctime = low_32_bits(st.st_ctime);
    return 0;
}

int32_t FTIMES(const char *path, int32_t *atime, int32_t *mtime, int32_t *ctime, int32_t path_len) {
    FixedText p(path, path_len, FixedText::kTrim);
    return p.ok() ? c_ftimes(p.data(), atime, mtime, ctime) : -1;
}
KT_FORTRAN_ALIAS(FTIMES, ftimes_);

int32_t c_sfmv(const char *from, const char *to) {
    if (from && to && std::rename(from, to) == 0)
        return 0;
    if (!from || !to)
        errno = EINVAL;
    return c_ersys(2013, "sfmv");
}

void SFMV(const char *from, const char *to, int32_t from_len, int32_t to_len) {
    FixedText f(from, from_len, FixedText::kTrim), t(to, to_len, FixedText::kTrim);
    if (f.ok() && t.ok())
        c_sfmv(f.data(), t.data());
}
KT_FORTRAN_ALIAS(SFMV, sfmv_);

int32_t c_sfrm(const char *path) {
    if (!path)
        return -1;
    int32_t access = c_faccess(path, " ");
    if (access != 0)
        return access;
    for (;;) {
        if (unlink(path) == 0)
            return 0;
        if (errno != EINTR)
            return report_removal_failure(path, errno);
        errno = 0;
    }
}

void SFRM(const char *path, int32_t path_len) {
    FixedText p(path, path_len, FixedText::kTrim);
    if (p.ok())
        c_sfrm(p.data());
}
KT_FORTRAN_ALIAS(SFRM, sfrm_);

} // extern "C"
