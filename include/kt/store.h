/* Word-store structures of libkt_util.
 *
 * Managed list: header block of 4 integer cells (entries block index, count,
 * capacity, kind) and an entries block of `capacity` cells; 0 <= count <=
 * capacity, capacity >= 2. Both blocks have storage class 0 for kind 1 and
 * -1 otherwise.
 *
 * Word-store string: header of 2 integer cells (character block index,
 * length n) and a character block of n + 1 bytes whose last byte is 0.
 *
 * All entries take their arguments by address; negative counts are read
 * as 0. */
#ifndef KT_STORE_H
#define KT_STORE_H

#include <stdint.h>

#include "kt/abi.h"

KT_BEGIN_C

/* ---- managed lists --------------------------------------------------- */

KT_API int32_t LSTI(const int32_t *capacity, const int32_t *kind, int32_t *list);
KT_API int32_t LSTE(const int32_t *list, const int32_t *value);
KT_API int32_t LSTEA(const int32_t *list, const int32_t *values, const int32_t *n);
KT_API int32_t LSTA(const int32_t *source, const int32_t *target);
KT_API int32_t LSTGMS(const int32_t *list, const int32_t *minimum, int32_t *out);
KT_API void LSTT(const int32_t *list);
KT_API void LSTD(int32_t *list);
KT_API void LSTO(const int32_t *list, const char *title, int32_t title_len);
KT_API void CALLED(const int32_t *n);

/* ---- word-store strings ---------------------------------------------- */

KT_API int32_t STRGS(const int32_t *n, int32_t *string);
KT_API int32_t STRGSV(const int32_t *n, int32_t *string);
KT_API int32_t STRGEA(const char *text, const int32_t *n, int32_t *string, int32_t text_len);
KT_API int32_t STRDUPR(const int32_t *string, int32_t *copy);
KT_API int32_t STRXS(const int32_t *n, int32_t *string);
KT_API int32_t STRAPA(const char *text, const int32_t *n, int32_t *string, int32_t text_len);
KT_API int32_t STREA(const char *text, const int32_t *n, const int32_t *string, const int32_t *position,
                     int32_t text_len);
KT_API void STRFS(int32_t *string);

/* ---- sets -------------------------------------------------------------
 * A set of capacity n is w = (n + 31) / 32 words of the caller; element e
 * is bit (e - 1) % 32 of word (e - 1) / 32 + 1. Whole-set operations act
 * on all w words, bits above n included. SETE, SETR and SETM do not read
 * n; they ignore elements below 1. */

KT_API void SETN(int32_t *set, const int32_t *n);
KT_API void SETC(int32_t *set, const int32_t *n);
KT_API void SETU(int32_t *a, const int32_t *b, const int32_t *n);
KT_API void SETI(int32_t *a, const int32_t *b, const int32_t *n);
KT_API void SETCP(const int32_t *source, int32_t *dest, const int32_t *n);
KT_API void SETE(int32_t *set, const int32_t *n, const int32_t *e);
KT_API void SETR(int32_t *set, const int32_t *n, const int32_t *e);
KT_API int32_t SETM(const int32_t *set, const int32_t *n, const int32_t *e); /* -1 member, 0 not */
KT_API int32_t SETISN(const int32_t *set, const int32_t *n);                /* -1 empty, 0 not */
KT_API int32_t SETEQ(const int32_t *a, const int32_t *b, const int32_t *n); /* 1 equal, 0 not */
KT_API int32_t SETEQM(const int32_t *a, const int32_t *b, const int32_t *mask, const int32_t *n);

/* ---- shared constants -------------------------------------------------
 * MATHC: pi, 2 pi, pi/2, pi/4, 180/pi, e, sqrt 2, 1/sqrt 2. Zeros until
 * CONSTI (or c_consti) has run; the transforms of kt/numerics.h read it. */

extern KT_API double MATHC[8];
KT_API void CONSTI(void);
KT_API void c_consti(void);

KT_END_C

#endif
