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

KT_END_C

#endif
