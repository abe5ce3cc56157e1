// The process itself: its id, the processor count it may use, sleeping,
// and the check of reals for values that are not finite.
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <ctime>

#include "common/fortran_alias.h"
#include "kt/system.h"

extern "C" {

int32_t FGETPID(void) { return static_cast<int32_t>(getpid()); }
KT_FORTRAN_ALIAS(FGETPID, fgetpid_);

int32_t GNCPU(void) { return 1; }
KT_FORTRAN_ALIAS(GNCPU, gncpu_);

void c_fsleep(int32_t ms) {
    if (ms <= 0)
        return;
    timespec left{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    // A signal cuts the sleep short; sleep the rest.
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

void FSLEEP(const int32_t *ms) { c_fsleep(*ms); }
KT_FORTRAN_ALIAS(FSLEEP, fsleep_);

int32_t c_notfinite(const double *a, int32_t n) {
    for (int32_t i = 0; i < n; ++i)
        if (!std::isfinite(a[i]))
            return i + 1;
    return 0;
}

int32_t NOTFINITE(const double *a, const int32_t *n) { return c_notfinite(a, *n); }
KT_FORTRAN_ALIAS(NOTFINITE, notfinite_);

} // extern "C"
