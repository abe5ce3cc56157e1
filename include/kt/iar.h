/** @file
 * Integer array records: fixed-length arrays of 32-bit integers in the word
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

/** A record of n elements, all 0: its index, also stored in *record; 0
 * when the store refuses. */
KT_API int32_t IARI(const int32_t *n, int32_t *record);
/** A record holding a copy of source(1..n): its index, also stored in
 * *record; 0 when the store refuses. */
KT_API int32_t IARIE(const int32_t *source, const int32_t *n, int32_t *record);
/** Frees the record (0: nothing) and sets *record to 0. */
KT_API void IARFS(int32_t *record);
/** Moves the first record's elements behind the second's and frees the
 * first (*first becomes 0). Returns the second record, which may have
 * moved its data but keeps its index. A 0 second takes the first over
 * (*second = *first, *first = 0). A 0 first or the same record as both is
 * refused with error 1000; 0 then, and also when the store refuses to grow
 * the second (both records as they were). */
KT_API int32_t IARA(int32_t *first, int32_t *second);
/** Compares two records element by element: 0 when equal (two 0 records
 * are equal), else 1 (also for different lengths); also stored in *flag. */
KT_API int32_t IARCMP(const int32_t *a, const int32_t *b, int32_t *flag);
/** Writes the record to a binary unit: 0, or 1 for a 0 record or a failed
 * write; also stored in *status. A write the system fails also raises
 * error 2064 "iarw" with its reason. Units buffer: check
 * kt_host_close_unit too. */
KT_API int32_t IARW(const int32_t *unit, const int32_t *record, int32_t *status);
/** Reads a record written by IARW into new blocks: its index, also stored
 * in *record; 0 when the read or the store fails (nothing left allocated).
 * The end of the file gives 0 quietly; a read the system fails also raises
 * error 2064 "iarr" with its reason. */
KT_API int32_t IARR(const int32_t *unit, int32_t *record);

/* ---- two-level records ------------------------------------------------ */

/** Frees every inner record, then the outer one; *record becomes 0. */
KT_API void IARFS2(int32_t *record);
/** A deep copy: its index, also stored in *copy; 0 for a 0 source or when
 * the store refuses (nothing left allocated). */
KT_API int32_t IARCP2(const int32_t *source, int32_t *copy);
/** Writes the outer record, then each inner one: 0, or 1 (also in *status)
 * for a 0 record or a failed write. Status 1, nothing written, when an
 * element is 0: it has no unit form. */
KT_API int32_t IARW2(const int32_t *unit, const int32_t *record, int32_t *status);
/** Reads a two-level record written by IARW2: its index, also stored; 0
 * when a read or the store fails (nothing left allocated). */
KT_API int32_t IARR2(const int32_t *unit, int32_t *record);
/** As IARCMP, comparing the inner records in turn. */
KT_API int32_t IARCM2(const int32_t *a, const int32_t *b, int32_t *flag);

/* ---- identification stamps -------------------------------------------- */

/** stamp(1) = MACHC integer 18, stamp(2) = 940301. */
KT_API void MAKIDS(int32_t *stamp);
/** 0 when words 1..n agree (word 1 always compared), else the first
 * position that differs. */
KT_API int32_t CHKIDS(const int32_t *a, const int32_t *b, const int32_t *n);

KT_END_C

#endif
