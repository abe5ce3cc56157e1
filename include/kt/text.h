/** @file
 * Text, keywords and numbers of libkt_util.
 *
 * Upper-case entries take every argument by address; each text argument
 * adds a hidden int32_t length after all other arguments, in text order.
 * Where an entry also takes an explicit count n, the count rules and the
 * hidden length is not used. Character-valued entries (UPCASE, LOCASE,
 * VBD2C, VBS2C) return their text through two leading arguments, the
 * result buffer and its length. c_ entries take plain values and
 * zero-terminated texts.
 *
 * Word-store strings are the two-block strings of kt/store.h, which also
 * holds their edits and builders; this header includes it.
 *
 * None of these entries is reentrant: callers run them on one thread at a
 * time. */
#ifndef KT_TEXT_H
#define KT_TEXT_H

#include <stdint.h>

#include "kt/abi.h"
#include "kt/store.h"

KT_BEGIN_C

/* ---- fixed-length text ----------------------------------------------- */

/** Position of the last non-blank character; 0 for all-blank text. */
KT_API int32_t SIGLEN(const char *text, int32_t text_len);
/** Position of the last occurrence of ch[0]; 0 when absent. */
KT_API int32_t KTRIDX(const char *text, const char *ch, int32_t text_len, int32_t ch_len);
/// @{
/** One-character case mapping of the 26 ASCII letters. */
KT_API void UPCASE(char *result, int32_t result_len, const char *ch, int32_t ch_len);
KT_API void LOCASE(char *result, int32_t result_len, const char *ch, int32_t ch_len);
/// @}
/** Squeezes blanks and tabs in place (none leading or trailing, one blank
 * between words) and lower-cases the result; returns the new length. */
KT_API int32_t S2SCN(char *text, const int32_t *n, int32_t text_len);
/// @{
/** Splits the first n characters into blank-separated words, at most
 * `maximum` of them; VBTOKS copies each into a word element (blank-padded,
 * cut to the element length words_len), VBTOKP stores first and last
 * positions. Both store and return the count; a maximum below 1 counts as
 * 1, so the arrays must hold at least one word. */
KT_API int32_t VBTOKS(const char *text, const int32_t *n, char *words, const int32_t *maximum, int32_t *count,
                      int32_t text_len, int32_t words_len);
KT_API int32_t VBTOKP(const char *text, const int32_t *n, int32_t *starts, int32_t *ends, const int32_t *maximum,
                      int32_t *count, int32_t text_len);
/// @}
/** Makes sure the file name ends in the extension (given with its dot).
 * Stores the significant name length and the status: 1 appended, 0 the
 * name already has it, -1 it has another extension (after its last '/'),
 * -2 no room. Returns the status. */
KT_API int32_t SFNEXT(const char *extension, char *name, int32_t *name_length, int32_t *status, int32_t extension_len,
                      int32_t name_len);

/* ---- number readers -------------------------------------------------- */

/// @{
/** Checking reader: an optional sign, digits with an optional point, then an
 * exponent (D or E, optional sign, digits) or one scale word (A F P N U MU
 * M K ME MEG G T, any case). Returns 0 and stores the double nearest to the
 * value; 51 when n > 50; otherwise the position of the first rejected
 * character (n + 1 when the text ends early), the value left alone. An
 * empty text reads as 0. */
KT_API int32_t VBCS2D(const char *text, const int32_t *n, double *value, int32_t text_len);
KT_API int32_t c_vbcs2d(const char *text, int32_t n, double *value);
/// @}
/// @{
/** Lenient reader: never fails; what follows a scale letter is ignored. The
 * result is the value of the longest valid numeric prefix, 0 when there is
 * none. */
KT_API double S2DCNV(const char *text, const int32_t *n, int32_t text_len);
KT_API double c_s2dcnv(const char *text, int32_t n);
/// @}
/// @{
/** Validating integer reader: 0 success; 1 at a non-digit, with the
 * magnitude of the digits before it stored. Wraps modulo 2^32. */
KT_API int32_t VBCS2I(const char *text, const int32_t *n, int32_t *value, int32_t text_len);
KT_API int32_t c_vbcs2i(const char *text, int32_t n, int32_t *value);
/// @}
/// @{
/** Unchecked integer readers of an optional sign and n - 1 or n digits:
 * text one character per byte, or one per word. Every other character
 * counts as its code - 48; n <= 0 gives 0. */
KT_API int32_t S2ICNV(const char *text, const int32_t *n, int32_t text_len);
KT_API int32_t INCONV(const int32_t *text, const int32_t *n);
/// @}
/** Reads the 16-digit hexadecimal image of a double, most significant digit
 * first on this host; 0 success, else the position of the first bad digit. */
KT_API int32_t CNSX2D(const char *text, double *value, int32_t text_len);

/* ---- integer text and eight-character cells -------------------------- */

/// @{
/** Left-justified decimal digits of a signed / unsigned 32-bit value,
 * blank-padded; returns the count written, 0 when it does not fit. */
KT_API int32_t VBCI2C(const int32_t *value, char *field, int32_t field_len);
KT_API int32_t VBCU2C(const int32_t *value, char *field, int32_t field_len);
/// @}
/** A cell holding the first min(n, 8) characters, blank-padded. */
KT_API double VBS2D(const char *text, const int32_t *n, int32_t text_len);
/** The cell's eight bytes as text. */
KT_API void VBD2C(char *result, int32_t result_len, const double *cell);
/** The first min(n, 8) characters, blank-padded to eight. */
KT_API void VBS2C(char *result, int32_t result_len, const char *text, const int32_t *n, int32_t text_len);
/** Copies min(n, dest_len) characters into dest, blank-padded. */
KT_API void VBC2S(const char *text, const int32_t *n, char *dest, int32_t text_len, int32_t dest_len);

/* ---- keywords -------------------------------------------------------- */

/// @{
/** 1 when the whole text is a reserved word of the modelling language (INF
 * and UNDEF only when flag is 0), else 0. */
KT_API int32_t KORMKW(const char *text, const int32_t *flag, int32_t text_len);
KT_API int32_t c_kormkw(const char *text, int32_t flag);
/// @}
/// @{
/** 0 when the n characters of the text equal the keyword (up to its first
 * blank); else the non-zero result of UISCMP. */
KT_API int32_t KEYWSC(const char *keyword, const char *text, const int32_t *n, int32_t keyword_len, int32_t text_len);
KT_API int32_t c_keywsc(const char *keyword, const char *text, int32_t n);
/// @}
/// @{
/** 0 when the text is an accepted abbreviation of the keyword: the keyword's
 * leading capitals must be typed, the rest may be left off; else non-zero. */
KT_API int32_t KWACMP(const char *keyword, const char *text, const int32_t *n, int32_t keyword_len, int32_t text_len);
KT_API int32_t c_kwacmp(const char *keyword, const char *text, int32_t n);
/// @}
/** Orders text1(1..p) and text2(1..q), names that may be integers: names
 * before numbers, numbers by value, names by UISCMP and then by length.
 * Negative, 0 or positive as text1 sorts before, with or after text2. */
KT_API int32_t ALSCMP(const char *text1, const int32_t *p, const char *text2, const int32_t *q, int32_t text1_len,
                      int32_t text2_len);
/** UISCMP of the eight characters of two cells. */
KT_API int32_t R8SCMP(const double *a, const double *b);
/** 0 when the name packed in the cell (up to its first blank) equals the
 * text, else the non-zero result of UISCMP. */
KT_API int32_t R8KEYW(const double *cell, const char *text, int32_t text_len);

/* ---- debug module names ---------------------------------------------- */

/** Debug value of each engine module, elements 1..100 (SDBCBL[i - 1]). */
extern KT_API int32_t SDBCBL[100];
/** Sets the value of the module named by the first n (1..8) characters;
 * 0 found, 1 not (also stored in status). */
KT_API int32_t SDBE(const char *name, const int32_t *n, const int32_t *value, int32_t *status, int32_t name_len);
/** Sets the debug value of every module to 0. */
KT_API void SDBI(void);

KT_END_C

#endif
