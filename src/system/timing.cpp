// Elapsed-time measurement: start_time/get_time against one remembered
// process time, and the "execution time=" line of DELTIME.
#include "common/fortran_alias.h"
#include "host/host_calls.h"
#include "kt/host.h"
#include "kt/system.h"

namespace {

float g_start = 0.0f; // process time at start_time, single precision

} // namespace

extern "C" {

void start_time(void) { g_start = static_cast<float>(c_fetime()); }

void get_time(float *t) {
    if (t)
        *t = static_cast<float>(c_fetime()) - g_start;
}

void DELTIME(const double *t0) {
    float now = 0.0f;
    GTIMER(&now);
    float elapsed = static_cast<float>(now - *t0);
    // The caller's own significant-digit setting is put back afterwards.
    int32_t previous = kt::output_option("nsig");
    kt::print("execution time=");
    kt::set_output_option("nsig", 3);
    OOS(&elapsed);
    kt::set_output_option("nsig", previous);
    kt::print(" sec.");
    OOWRIT();
}
KT_FORTRAN_ALIAS(DELTIME, deltime_);

void c_deltime(double t0) { DELTIME(&t0); }

void print_elapsed_time(const char *label, float t0) {
    c_oocs(label ? label : "");
    c_oocs(", ");
    c_deltime(t0);
}

} // extern "C"
