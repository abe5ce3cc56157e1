// Machine description and small process services of the host: MACHC,
// bit_mask_value, c_isprim, uefmem, c_faccess, the routine-name stack
// (CALNAM), timers and calendar, the interrupt and debug flags.
#include <unistd.h>

#include <cfloat>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "common/fortran_alias.h"
#include "common/fortran_text.h"
#include "kt/host.h"

namespace {

constexpr int32_t kHostBuildId = 20261206;

kt_machc_t make_machc() {
    kt_machc_t m;
    std::memset(&m, 0, sizeof m);
    const double reals[] = {DBL_EPSILON, DBL_MIN, FLT_EPSILON, FLT_MAX, DBL_MAX};
    std::memcpy(m.d, reals, sizeof reals);
    const int32_t ints[] = {4, kHostBuildId, 0 /* little-endian */, static_cast<int32_t>(sizeof(void *))};
    std::memcpy(&m.i[16], ints, sizeof ints); // integer words 17..20
    return m;
}

std::vector<std::string> &routines() {
    static std::vector<std::string> r;
    return r;
}

int32_t g_interrupt = 0;
int32_t g_vsdebug = 0;

} // namespace

extern "C" {

kt_machc_t MACHC = make_machc();

} // extern "C"

// Fortran reaches the machine description as COMMON /MACHC/. A Fortran
// program allocates that block itself and the dynamic linker binds the name
// there, so the values are written to it as well; when nobody else defines
// it, it is this library's own array.
KT_FORTRAN_ALIAS(MACHC, machc_);

namespace {
[[maybe_unused]] const bool g_machc_published = (std::memcpy(&machc_, &MACHC, sizeof MACHC), true);
} // namespace

extern "C" {

int32_t bit_mask_value[32] = {1,        2,        4,        8,         16,        32,        64,         128,
                              256,      512,      1024,     2048,      4096,      8192,      16384,      32768,
                              65536,    131072,   262144,   524288,    1048576,   2097152,   4194304,    8388608,
                              16777216, 33554432, 67108864, 134217728, 268435456, 536870912, 1073741824, INT32_MIN};

int32_t c_isprim(int32_t n, int32_t flags) {
    (void)flags;
    if (n < 2)
        return 0;
    if (n < 4)
        return 1;
    if (n % 2 == 0 || n % 3 == 0)
        return 0;
    for (int64_t d = 5; d * d <= n; d += 6)
        if (n % d == 0 || n % (d + 2) == 0)
            return 0;
    return 1;
}

void *uefmem(void *block, size_t bytes) {
    if (bytes == 0) {
        std::free(block);
        return nullptr;
    }
    return std::realloc(block, bytes);
}

int32_t c_faccess(const char *path, const char *mode) {
    if (!path)
        return -1;
    int how = 0;
    for (const char *m = mode ? mode : ""; *m; ++m) {
        if (*m == 'r' || *m == 'R')
            how |= R_OK;
        else if (*m == 'w' || *m == 'W')
            how |= W_OK;
        else if (*m == 'x' || *m == 'X')
            how |= X_OK;
    }
    return access(path, how ? how : F_OK) == 0 ? 0 : -1;
}

void kt_host_push_routine(const char *name) { routines().emplace_back(name ? name : ""); }

void kt_host_pop_routine(void) {
    if (!routines().empty())
        routines().pop_back();
}

void CALNAM(const int32_t *level, char *name, int32_t name_len) {
    const auto &r = routines();
    std::string_view n;
    if (*level >= 1 && static_cast<size_t>(*level) <= r.size())
        n = r[r.size() - static_cast<size_t>(*level)];
    kt::fortran_assign(name, name_len, n);
}

double c_fetime(void) {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void GTIMER(float *seconds) { *seconds = static_cast<float>(c_fetime()); }

void YMDHMS(int32_t *year, int32_t *month, int32_t *day, int32_t *hour, int32_t *minute, int32_t *second) {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    *year = t.tm_year;
    *month = t.tm_mon + 1;
    *day = t.tm_mday;
    *hour = t.tm_hour;
    *minute = t.tm_min;
    *second = t.tm_sec;
}

int32_t KTHTST(void) { return g_interrupt; }
void kt_host_set_interrupt(int32_t pending) { g_interrupt = pending ? 1 : 0; }
void VSDEBUG(const int32_t *flag) { g_vsdebug = *flag; }
int32_t kt_host_vsdebug(void) { return g_vsdebug; }

} // extern "C"

KT_FORTRAN_ALIAS(CALNAM, calnam_);
KT_FORTRAN_ALIAS(GTIMER, gtimer_);
KT_FORTRAN_ALIAS(YMDHMS, ymdhms_);
KT_FORTRAN_ALIAS(KTHTST, kthtst_);
KT_FORTRAN_ALIAS(VSDEBUG, vsdebug_);
