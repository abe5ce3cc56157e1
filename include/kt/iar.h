/* Integer array records: fixed-length arrays of 32-bit integers in the word
 * store, named by the index of a 2-cell header (data block index, n) whose
 * data block holds elements 1..n. Both blocks have storage class 0.
 *
 * A two-level record is a record whose elements name records (0 where no
 * record is held); it owns them. On a unit a record is its 2 header cells
 * followed by its n elements; a two-level record is the outer record
 * followed by each inner one in element order.
 *
 * Creators return the new index and store it, or 0 on every failure with
 * nothing left allocated. Negative counts are read as 0. */
#ifndef KT_IAR_H
#define KT_IAR_H

#include <stdint.h>

#include "kt/abi.h"

KT_BEGIN_C

/* ---- one-level records ------------------------------------------------ */

KT_API int32_t IARI(const int32_t *n, int32_t *record);
KT_API int32_t IARIE(const int32_t *source, const int32_t *n, int32_t *record);
KT_API void IARFS(int32_t *record);
/* Moves the first record's elements behind the second's and frees the
 * first. A 0 second takes the first over; the same record as both is
 * refused (error 1000). */
KT_API int32_t IARA(int32_t *first, int32_t *second);
/* 0 when equal (two 0 records are equal), else 1; also stored in flag. */
KT_API int32_t IARCMP(const int32_t *a, const int32_t *b, int32_t *flag);
KT_API int32_t IARW(const int32_t *unit, const int32_t *record, int32_t *status);
KT_API int32_t IARR(const int32_t *unit, int32_t *record);

/* ---- two-level records ------------------------------------------------ */

KT_API void IARFS2(int32_t *record);
KT_API int32_t IARCP2(const int32_t *source, int32_t *copy);
/* Status 1, nothing written, when an element is 0: it has no unit form. */
KT_API int32_t IARW2(const int32_t *unit, const int32_t *record, int32_t *status);
KT_API int32_t IARR2(const int32_t *unit, int32_t *record);
KT_API int32_t IARCM2(const int32_t *a, const int32_t *b, int32_t *flag);

/* ---- identification stamps -------------------------------------------- */

/* stamp(1) = MACHC integer 18, stamp(2) = 940301. */
KT_API void MAKIDS(int32_t *stamp);
/* 0 when words 1..n agree (word 1 always compared), else the first
 * position that differs. */
KT_API int32_t CHKIDS(const int32_t *a, const int32_t *b, const int32_t *n);

KT_END_C

#endif
