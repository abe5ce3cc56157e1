/** @file
 * Word-store structures of libkt_util.
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
#include "kt/host.h"
#include "kt/numerics.h" /* MATHC and CONSTI, for callers that look for them here */

KT_BEGIN_C

/* ---- managed lists --------------------------------------------------- */

/** A new empty list with room for max(capacity, 2) entries; kind 1 gives
 * storage class 0, others -1. Its index, also stored in *list; 0 when the
 * store refuses (nothing left allocated). */
KT_API int32_t LSTI(const int32_t *capacity, const int32_t *kind, int32_t *list);
/** LSTE when the list is full: grows the entries block (doubling the
 * capacity) and appends the value: the new count, or 0 when the store
 * refuses (the list as it was). */
KT_API int32_t kt_lste_grow(int32_t list, int32_t value);
#ifdef __cplusplus
/** Appends one value (the capacity doubles when full): the new count, or 0
 * for list 0 or a refused growth (the list as it was). C++ callers get the
 * append into room inline; everyone else calls the same code in the library. */
KT_API inline int32_t LSTE(const int32_t *list, const int32_t *value) {
    int32_t l = *list;
    if (l == 0)
        return 0;
    /* Blocks as arrays from their first element: less index arithmetic
     * than single cells on the path every append takes. */
    int32_t *header = (int32_t *)kt_block_ptr(l, 4); /* entries, count, capacity, kind */
    int32_t n = header[1];
    if (n >= header[2])
        return kt_lste_grow(l, *value);
    ((int32_t *)kt_block_ptr(header[0], 4))[n] = *value;
    header[1] = n + 1;
    return n + 1;
}
#else
KT_API int32_t LSTE(const int32_t *list, const int32_t *value);
#endif
/** Appends values(1..n), which may be entries of the list itself: the new
 * count, or 0 for list 0 or a refused growth (the list as it was). */
KT_API int32_t LSTEA(const int32_t *list, const int32_t *values, const int32_t *n);
/** Appends the entries of source to target (the same list allowed):
 * target, or 0 when target is 0 or its growth is refused. An empty or 0
 * source gives target unchanged. */
KT_API int32_t LSTA(const int32_t *source, const int32_t *target);
/** Makes room for at least `minimum` entries: the list, also stored in
 * *out; 0 (and *out 0) when the growth is refused (the list as it was). */
KT_API int32_t LSTGMS(const int32_t *list, const int32_t *minimum, int32_t *out);
/** Shrinks the capacity to max(count, 2); never fails. */
KT_API void LSTT(const int32_t *list);
/** Frees the list (0: nothing); *list becomes 0. */
KT_API void LSTD(int32_t *list);
/** Writes the title and the entries, blank-separated, as one output line. */
KT_API void LSTO(const int32_t *list, const char *title, int32_t title_len);
/** Writes the names of the min(n, 20) innermost active routines to
 * standard output and the journal. */
KT_API void CALLED(const int32_t *n);

/* ---- word-store strings ---------------------------------------------- */

/* The creators return the new string's index and store it in *string, or
 * 0 (stored too) when the store refuses, with nothing left allocated. */

/** A string of n characters (contents undefined), storage class 0. */
KT_API int32_t STRGS(const int32_t *n, int32_t *string);
/** As STRGS with storage class -1. */
KT_API int32_t STRGSV(const int32_t *n, int32_t *string);
/** A string holding text(1..n). */
KT_API int32_t STRGEA(const char *text, const int32_t *n, int32_t *string, int32_t text_len);
/** A copy of the string; 0 for string 0. */
KT_API int32_t STRDUPR(const int32_t *string, int32_t *copy);
/** Changes the length to n keeping the leading characters: the string, or
 * 0 for string 0. A refused resize frees the string and clears *string. */
KT_API int32_t STRXS(const int32_t *n, int32_t *string);
/** Appends text(1..n), which may lie in the string itself: the string
 * (string 0: a new one of the text). A refused resize frees the string,
 * clears *string and gives 0. */
KT_API int32_t STRAPA(const char *text, const int32_t *n, int32_t *string, int32_t text_len);
/** Overwrites characters position+1.. with text(1..n), cut at the string's
 * end; returns min(position + n, length), -1 for string 0. */
KT_API int32_t STREA(const char *text, const int32_t *n, const int32_t *string, const int32_t *position,
                     int32_t text_len);
/** Frees the string (0: nothing); *string becomes 0. */
KT_API void STRFS(int32_t *string);

/* ---- editing word-store strings in place ----------------------------- */

/** Deletes characters from..to (to cut to the length); stores and returns
 * the number deleted: 0 for string 0 or a from outside 1..to. */
KT_API int32_t STRDLR(const int32_t *string, const int32_t *from, const int32_t *to, int32_t *count);
/** Deletes every copy of ch[0]; stores and returns the number deleted (0
 * for string 0). */
KT_API int32_t STRDLC(const int32_t *string, const char *ch, int32_t *count, int32_t ch_len);
/// @{
/** Replaces every %{name} (name compared ignoring case) by the value; stores
 * and returns the count. When the store refuses to lengthen the string it
 * reports "strsub", leaves the string as it was and returns -1. */
KT_API int32_t STRSUB(int32_t *string, const char *name, const char *value, int32_t *count, int32_t name_len,
                      int32_t value_len);
KT_API int32_t c_strsub(int32_t string, const char *name, const char *value, int32_t *count);
/// @}
/// @{
/** Index of the string's character block; 0 for string 0. */
KT_API int32_t STRAD(const int32_t *string);
KT_API int32_t c_strad(int32_t string);
/// @}
/** Address of the string's first character; null for string 0. */
KT_API char *cstrp(int32_t string);

/* ---- string builders -------------------------------------------------- */
/* Each returns the index of a new word-store string (UIXSTR: the extended
 * one). A refused store request is reported with OSTORE; the builder then
 * returns 0 (UIXSTR: the string unchanged). */

/** A string of text(1..n); 0 when refused. */
KT_API int32_t UIESTR(const char *text, const int32_t *n, int32_t text_len);
/** A string of the whole text, trailing blanks dropped but never shorter
 * than one character; 0 when refused. */
KT_API int32_t UIMSTR(const char *text, int32_t text_len);
/** A string of text(1..n), trailing blanks dropped as UIMSTR; 0 when refused. */
KT_API int32_t UINSTR(const char *text, const int32_t *n, int32_t text_len);
/** A string of the eight characters of a cell, trailing blanks dropped as
 * UIMSTR; 0 when refused. */
KT_API int32_t UIRSTR(const double *cell);
/** A copy of the string; 0 for string 0 or when refused. */
KT_API int32_t UICSTR(const int32_t *string);
/** A string of the first min(n, length) characters of the string; 0 for
 * string 0 or when refused. */
KT_API int32_t UITSTR(const int32_t *string, const int32_t *n);
/** A new string of the string's characters followed by the whole text
 * (string 0: the text alone); the string itself is kept; 0 when refused. */
KT_API int32_t UIASTR(const int32_t *string, const char *text, int32_t text_len);
/** Appends text(1..n) to the string in place and returns its index (string
 * 0: a new string of the text). When refused (reported) the string is
 * returned unchanged. */
KT_API int32_t UIXSTR(const int32_t *string, const char *text, const int32_t *n, int32_t text_len);
/** Frees the string and clears the variable; returns 0. */
KT_API int32_t UIDSTR(int32_t *string);

/* ---- sets -------------------------------------------------------------
 * A set of capacity n is w = (n + 31) / 32 words of the caller; element e
 * is bit (e - 1) % 32 of word (e - 1) / 32 + 1. Whole-set operations act
 * on all w words, bits above n included. SETE, SETR and SETM do not read
 * n; they ignore elements below 1. */

/** Empties the set. */
KT_API void SETN(int32_t *set, const int32_t *n);
/** Complements every bit of the set. */
KT_API void SETC(int32_t *set, const int32_t *n);
/** a = a union b. */
KT_API void SETU(int32_t *a, const int32_t *b, const int32_t *n);
/** a = a intersection b. */
KT_API void SETI(int32_t *a, const int32_t *b, const int32_t *n);
/** dest = source. */
KT_API void SETCP(const int32_t *source, int32_t *dest, const int32_t *n);
/** Adds element e. */
KT_API void SETE(int32_t *set, const int32_t *n, const int32_t *e);
/** Removes element e. */
KT_API void SETR(int32_t *set, const int32_t *n, const int32_t *e);
/** -1 when e is a member, else 0. */
KT_API int32_t SETM(const int32_t *set, const int32_t *n, const int32_t *e);
/** -1 when the set is empty, else 0. */
KT_API int32_t SETISN(const int32_t *set, const int32_t *n);
/** 1 when the sets are equal, else 0. */
KT_API int32_t SETEQ(const int32_t *a, const int32_t *b, const int32_t *n);
/** 1 when the sets agree on every bit set in mask, else 0. */
KT_API int32_t SETEQM(const int32_t *a, const int32_t *b, const int32_t *mask, const int32_t *n);

KT_END_C

#endif
