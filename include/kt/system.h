/* Operating-system services of libkt_util. */
#ifndef KT_SYSTEM_H
#define KT_SYSTEM_H

#include <stdint.h>

#include "kt/abi.h"

KT_BEGIN_C

/* Fatal reports: both write their message through the host's numbered
 * errors and end the process with exit status 1. */
KT_API __attribute__((noreturn)) void assertion_failed(int line, const char *file);
KT_API __attribute__((noreturn)) void unanticipated_condition(int code, const char *text);

KT_END_C

#endif
