// Internal ABI helpers shared by both libraries.
//
// Every upper-case entry is exported twice: under its own name and under the
// lower-case name with a trailing underscore that a Fortran compiler emits
// for a call. The alias is a second symbol for the same code, not a wrapper.
// A use is a declaration and ends in `;` like one.
#ifndef KT_SRC_COMMON_FORTRAN_ALIAS_H
#define KT_SRC_COMMON_FORTRAN_ALIAS_H

#include "kt/abi.h"

#define KT_FORTRAN_ALIAS(upper, lower) extern "C" KT_API decltype(upper) lower __attribute__((alias(#upper)))

#endif
