/** @file
 * Slot lists: two pools of ten slots where a caller parks a value and
 * passes its handle (the slot number 1..10) instead. Taking a value frees
 * its slot. No slot is free before RLINIT / SLINIT. Parking into a full
 * pool reports error 1000 "rlput: ptlist overflow" (or "slsave: ...") and
 * stops the process with exit status 1.
 *
 * Upper-case entries take every argument by address. Not reentrant. */
#ifndef KT_SLOT_LIST_H
#define KT_SLOT_LIST_H

#include <stdint.h>

#include "kt/abi.h"

KT_BEGIN_C

/* ---- real slots ------------------------------------------------------- */

/** Marks all ten real slots free. */
KT_API void RLINIT(void);
/** Parks the value in the lowest free slot; returns its handle 1..10. */
KT_API int32_t RLPUT(const double *value);
/** RLPUT of the integer value converted to a real. */
KT_API int32_t RLCONV(const int32_t *value);
/** The value parked under |handle|, negated for a negative handle; the slot
 * becomes free. 0.0 for a handle outside -10..10 or 0. */
KT_API double RLGET(const int32_t *handle);
/** Reads n characters held one per word (the character in the low byte):
 * an optional sign, digits with an optional point, then either an
 * exponent (E or D, a blank right after it read as +) or a scale letter
 * A F P N U M K G T (any case; M followed by E is mega) that multiplies the
 * number and ends the text ('10PF' is 10 x 1e-12). The value is that of
 * the longest valid numeric prefix (0 when there is none: '10V' is 10,
 * '1.5E' is 1.5, 'K' is 0), times the scale. Texts of any length. */
KT_API double RLCNVR(const int32_t *text, const int32_t *n);
/** RLPUT(RLCNVR(text, n)). */
KT_API int32_t RLSAVE(const int32_t *text, const int32_t *n);

/* ---- string slots ------------------------------------------------------
 * A slot holds a word-store string index; -1 marks it free, so -1 cannot
 * be parked. */

/** Marks all ten string slots free. */
KT_API void SLINIT(void);
/** Parks the string index in the lowest free slot; returns its handle 1..10. */
KT_API int32_t SLSAVE(const int32_t *value);
/** The value parked under the handle (-1 for a free slot, 0 for a handle
 * outside 1..10); the slot becomes free. */
KT_API int32_t SLGET(const int32_t *handle);
/** Frees the string of every slot in use and marks all slots free. */
KT_API void SLTERM(void);

KT_END_C

#endif
