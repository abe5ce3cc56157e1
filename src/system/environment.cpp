// The process's surroundings: working directory, environment variables and
// the local host name.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/fortran_alias.h"
#include "fixed_text_copy.h"
#include "kt/system.h"

using kt::system::FixedText;

namespace {

constexpr int32_t kMaxDirectory = 1024;

} // namespace

extern "C" {

int32_t c_fgetwd(char *buf, int32_t len) {
    char dir[kMaxDirectory + 1];
    if (!buf || len <= 0 || !getcwd(dir, sizeof dir))
        return 0;
    size_t n = std::min(std::strlen(dir), static_cast<size_t>(len - 1));
    std::memcpy(buf, dir, n);
    buf[n] = '\0';
    return static_cast<int32_t>(n);
}

int32_t FGETWD(char *dir, const int32_t *len, int32_t dir_len) {
    FixedText tmp(std::min(*len, dir_len));
    if (!tmp.ok())
        return 0;
    int32_t n = c_fgetwd(tmp.data(), tmp.length() + 1);
    tmp.copy_back(dir, dir_len);
    return n;
}
KT_FORTRAN_ALIAS(FGETWD, fgetwd_);

int32_t c_fgetenv(const char *name, char *buf, int32_t len) {
    if (!buf || len <= 0)
        return -1;
    const char *value = name ? std::getenv(name) : nullptr;
    if (!value) {
        std::strncpy(buf, " ", static_cast<size_t>(len));
        buf[len - 1] = '\0';
        return -1;
    }
    std::strncpy(buf, value, static_cast<size_t>(len));
    buf[len - 1] = '\0';
    return static_cast<int32_t>(std::strlen(buf));
}

int32_t FGETENV(const char *name, char *value, const int32_t *len, int32_t name_len, int32_t value_len) {
    FixedText key(name, name_len, FixedText::kTrim);
    FixedText tmp(std::min(*len, value_len));
    if (!key.ok() || !tmp.ok())
        return 0;
    int32_t n = c_fgetenv(key.data(), tmp.data(), tmp.length() + 1);
    tmp.copy_back(value, value_len);
    return n;
}
KT_FORTRAN_ALIAS(FGETENV, fgetenv_);

// The platform's socket library needs no start-up here, so only the name
// itself can fail.
int32_t c_gethnm(char *name, int32_t len) {
    if (!name || len <= 0 || gethostname(name, static_cast<size_t>(len)) != 0)
        return -1;
    name[len - 1] = '\0'; // a cut name need not be terminated
    return static_cast<int32_t>(std::strlen(name));
}

int32_t GETHNM(char *name, const int32_t *len, int32_t name_len) { return c_gethnm(name, std::min(*len, name_len)); }
KT_FORTRAN_ALIAS(GETHNM, gethnm_);

} // extern "C"
