/** @file
 * Sweep lists: the values a quantity is stepped through.
 *
 * A sweep list is a record of 6 integer cells in the word store, named by
 * its index (0: no list):
 *   1 name     word-store string naming the swept quantity, or 0
 *   2 context  the creator's code (0 1 2 3 11 12 13 14), stored and copied
 *   3 kind     1 by, 2 lin, 3 log, 4 dec, 5 oct (ranges: from, to, third),
 *              6 explicit reals, 7 explicit names; 0 in an unfilled record
 *   4 data     block of reals (kinds 1-6) or of string indices (kind 7), or 0
 *   5 count    items in the data block
 *   6 size     elements the data block was allocated with
 * The list owns its name, its data and, for kind 7, every string in it.
 *
 * Point counts: kind 1 trunc(|(to - from) / step| + 1.00001); kinds 2 and 3
 * trunc(third) (1 when to = from); kinds 4 and 5 one per step of the
 * decade or octave density plus a shorter last step onto "to" when the
 * span exceeds a whole number of steps by more than 1e-5 of a step. The
 * last point of every kind but 1 is exactly "to". A list without data, or
 * one that LPCHK rejects, has no points.
 *
 * Upper-case entries take every argument by address. None is reentrant. */
#ifndef KT_SWEEP_H
#define KT_SWEEP_H

#include <stdint.h>

#include "kt/abi.h"

KT_BEGIN_C

/** An empty record (all cells 0): its index, also stored; 0 when refused. */
KT_API int32_t LPI(int32_t *list);
/** A filled record; the name, the count items of the caller's data block
 * (reals for kinds 1-6, string indices for kind 7) and every name are
 * copied. Returns and stores the index; 0 for a bad context or kind
 * (error 1001 "lpie:lpctxt" / "lpie:lptype") or a refused store request,
 * with nothing left allocated. */
KT_API int32_t LPIE(const int32_t *name, const int32_t *context, const int32_t *kind, const int32_t *data,
                    const int32_t *count, int32_t *list);
/** Copies source into *dest (0: a new record is made). Returns and stores
 * the status, 0 success. On failure a record made here is freed (*dest 0);
 * a caller's record keeps nothing of the copy. */
KT_API int32_t LPCP(const int32_t *source, int32_t *dest, int32_t *status);
/** Frees the list with its name and data; *list becomes 0. */
KT_API void LPD(int32_t *list);
/** Appends "[name ]from F to T by|lin|log|dec|oct X" or "[name ]in V..." to
 * the current output line without ending it. */
KT_API void LPQ(const int32_t *list);
/// @{
/** 0 valid; 1 no list; 2 kind 1 with step 0; 3 kind 2 with points <= 0 or
 * kinds 3-5 with third <= 0; 4 kinds 3-5 with a range touching or crossing
 * zero. Returned and stored. */
KT_API int32_t LPCHK(const int32_t *list, int32_t *code);
KT_API int32_t c_lpchk(int32_t list, int32_t *code);
/// @}
/** Number of points and the step (kinds 1, 2) or ratio (kinds 3-5). */
KT_API void LPGN(const int32_t *list, int32_t *points, double *step);
/** Expands a range into a new block of reals: its index (also stored in
 * *block) and the number of points; 0 and 0 points for kinds 6 and 7, a
 * range without points or a refused store request. */
KT_API int32_t LPXP(const int32_t *list, int32_t *block, int32_t *points);
/** A new copy in *dest with a range turned into explicit reals (kind 6);
 * order 0 keeps the order, 2 makes it descending, any other value
 * ascending (names are never reordered). Returns and stores the status;
 * on failure *dest is 0 and nothing is left allocated. */
KT_API int32_t LPXPCP(const int32_t *source, const int32_t *order, int32_t *dest, int32_t *status);
/** Point i (1-based) of a real sweep without expanding it: 0, or 1 when
 * there is no point i or the list holds names. Status as the result. */
KT_API int32_t LPGV(const int32_t *list, const int32_t *i, double *value, int32_t *status);
/** Name i of a kind-7 list (the list keeps owning it). Status as LPGV. */
KT_API int32_t LPGS(const int32_t *list, const int32_t *i, int32_t *string, int32_t *status);

KT_END_C

#endif
