// Fatal internal-error reports. Both end the process: the caller has found
// its own state broken and cannot go on.
#include <cstdio>
#include <cstdlib>

#include "kt/host.h"
#include "kt/system.h"

extern "C" {

void assertion_failed(int line, const char *file) {
    c_ermsg(1008);
    c_ooi(line);
    c_ermore();
    c_oocv(file ? file : "");
    c_erflsh();
    std::exit(1);
}

void unanticipated_condition(int code, const char *text) {
    char number[12];
    std::snprintf(number, sizeof number, "%d", code);
    c_erss(2064, number, text ? text : "");
    c_erflsh();
    std::exit(1);
}

} // extern "C"
