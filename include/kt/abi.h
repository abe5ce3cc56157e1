/** @file
 * Export and linkage helpers for the public headers of libkt_util and
 * libkt_corvane. Only entries marked KT_API are visible outside the
 * libraries; everything else is built with hidden visibility. */
#ifndef KT_ABI_H
#define KT_ABI_H

#include <stdint.h>

/** Marks an entry exported from the libraries. */
#define KT_API __attribute__((visibility("default")))

#ifdef __cplusplus
#define KT_BEGIN_C extern "C" { ///< opens C linkage for the entries that follow (C++ only)
#define KT_END_C }              ///< closes what KT_BEGIN_C opened
#else
#define KT_BEGIN_C
#define KT_END_C
#endif

/* Fortran-style logicals as returned by upper-case question entries. */
#define KT_TRUE (-1) ///< true, as an upper-case question entry answers it
#define KT_FALSE 0   ///< false

#endif
