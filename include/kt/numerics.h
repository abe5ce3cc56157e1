/** @file
 * Numerics of libkt_util: transforms of complex spectra, complex arithmetic,
 * sorting and searching, tolerant comparisons and listings.
 *
 * Every array belongs to the caller; nothing here allocates. Arrays are
 * passed as the address of their first element (element 1 of the Fortran
 * caller). Complex arrays hold real and imaginary parts interleaved.
 * Transforms read MATHC: CONSTI must have run before them. */
#ifndef KT_NUMERICS_H
#define KT_NUMERICS_H

#include <stdint.h>

#include "kt/abi.h"

KT_BEGIN_C

/* ---- shared constants ------------------------------------------------- */

/** pi, 2 pi, pi/2, pi/4, 180/pi, e, sqrt 2, 1/sqrt 2. Zeros until CONSTI
 * (or c_consti) has run; the transforms read it. */
extern KT_API double MATHC[8];
/// @{
/** Fills MATHC; running it again changes nothing. */
KT_API void CONSTI(void);
KT_API void c_consti(void);
/// @}

/* ---- transforms -------------------------------------------------------
 * Codes: 1 magnitude, 2 dB, 3 phase (rad), 4 continuous phase (rad),
 * 5 real part, 6 imaginary part, 7 phase (deg), 8 continuous phase (deg),
 * 9 log10 of the magnitude. Logarithms of a zero (or NaN) magnitude give
 * -1000; phases of a zero magnitude give 0. Y may be the storage of X. */

/// @{
/** y(i) = transform `code` of x(i), i = 1..n: real x of single / double
 * precision. Codes 1, 2 and 9 transform; every other code copies x to y. */
KT_API void TRS2S(const float *x, float *y, const int32_t *n, const int32_t *code);
KT_API void TRD2D(const double *x, double *y, const int32_t *n, const int32_t *code);
/// @}
/// @{
/** y(i) = transform `code` of complex x(i), i = 1..n: single / double
 * precision, x holding 2n reals. An unknown code leaves y as it is. */
KT_API void TRX2S(const float *x, float *y, const int32_t *n, const int32_t *code);
KT_API void TRZ2D(const double *x, double *y, const int32_t *n, const int32_t *code);
/// @}
/** TRX2S with continuous phase across calls: w holds 2n floats the caller
 * keeps from call to call (previous phases, then offsets); k <= 1 starts a
 * family. */
KT_API void TRX2SN(const float *x, float *y, const int32_t *n, const int32_t *code, float *w, const int32_t *k);
/** Short (long_label false) or long label of a code, blank-padded; len gets
 * the label's own length, 0 for code 0, -1 for an unknown code. */
KT_API void TRSFKW(const int32_t *code, const int32_t *long_label, char *label, int32_t *len, int32_t label_len);

/* ---- array and integer utilities ------------------------------------- */

/** Reverses a(1..n) in place. */
KT_API void AR8REV(double *a, const int32_t *n);
/** The low nbits bits of i (i >= 0) in reverse order. */
KT_API int32_t BITREV(const int32_t *i, const int32_t *nbits);
/** Smallest power of two >= n (1 for n <= 0); 0 when n > 2^30, where none
 * fits 32 bits. */
KT_API int32_t POW2(const int32_t *n);
/** ceil(log2 n); 0 for n <= 1. */
KT_API int32_t ILOG2(const int32_t *n);
/** Smallest and largest of x(1..n). For n <= 0 no element is read and the
 * extremes of an empty array are stored: xmin = +Inf, xmax = -Inf. */
KT_API void MNMXS(const float *x, const int32_t *n, float *xmin, float *xmax);

/* ---- complex scalars: two doubles, real part first; the result may
 * share storage with an operand ----------------------------------------- */

/** |z|, without overflow for large parts. */
KT_API double CMXABS(const double *z);
/** r = 1 / z, scaled to avoid overflow. */
KT_API void CMXINV(double *r, const double *z);
/** r = a * b. */
KT_API void CMXMUL(double *r, const double *a, const double *b);
KT_API void CMXDIV(double *r, const double *a, const double *b); /**< r = a / b; (0, 0) when b is 0 */
KT_API void CMXPIV(double *r, const double *a, const double *b); /**< r = r - a*b */
/** r = the principal square root of z. */
KT_API void CMXSQRT(double *r, const double *z);

/* ---- sorting ----------------------------------------------------------
 * The quicksorts take a work array stk of at least n entries; stk[0] = n
 * afterwards. They are not stable. Index sorts reorder idx only. */

/// @{
/** Sorts a(1..n) ascending: integers / reals. */
KT_API void QSORTI(int32_t *a, int32_t *stk, const int32_t *n);
KT_API void QSORTS(float *a, int32_t *stk, const int32_t *n);
/// @}
/// @{
/** Permutes idx(1..n) so that a(idx(1..n)) ascends: integer / real keys. */
KT_API void QSRTII(const int32_t *a, int32_t *idx, int32_t *stk, const int32_t *n);
KT_API void QSRTIS(const float *a, int32_t *idx, int32_t *stk, const int32_t *n);
/// @}
/** As QSRTII for double keys; keys equal to -M (M = MACHC.d[4]) sort
 * first, keys equal to +M last. */
KT_API void QSRTID(const double *a, int32_t *idx, int32_t *stk, const int32_t *n);
/** Index sort of complex z(1..n) by real part, ties by |imaginary part|;
 * dir < 0 reverses. w: n doubles of work space. */
KT_API void QSRTIZ(const double *z, double *w, int32_t *idx, int32_t *stk, const int32_t *n, const int32_t *dir);
/** Stable exchange sort of a(1..n) ascending, for short arrays; idx(i)
 * gets the original position of the new a(i). */
KT_API void QSORTD(double *a, int32_t *idx, const int32_t *n);
/** Stable exchange sort of n texts of l characters each, compared as bytes. */
KT_API void QSORTC(char *texts, const int32_t *n, const int32_t *l, int32_t texts_len);
/** Sorts n (at most 32767) words with compare(word, pivot). */
KT_API void qsortg(int32_t *base, int16_t n, int16_t (*compare)(int32_t, int32_t));

/* ---- searching --------------------------------------------------------
 * Positions are 1-based; each result is also stored in *pos. */

/** Position of the first element equal to v; 0 when none. */
KT_API int32_t INDEXI(const int32_t *a, const int32_t *n, const int32_t *v, int32_t *pos);
/** As INDEXI over a(1), a(1 + stride), ... (n elements). */
KT_API int32_t INDXIA(const int32_t *a, const int32_t *n, const int32_t *stride, const int32_t *v, int32_t *pos);
/// @{
/** Table search of x in a(1..n). dir 0: first equal entry, n + 1 when none. dir > 0 ascending, dir < 0
 * descending table: the position i with x between a(i) and a(i+1) (the
 * match itself when found), 0 when x lies outside the table. */
KT_API int32_t INDEXD(const double *a, const int32_t *n, const int32_t *dir, const double *x, int32_t *pos);
KT_API int32_t INDEXS(const float *a, const int32_t *n, const int32_t *dir, const float *x, int32_t *pos);
KT_API int32_t c_indexd(const double *a, int32_t n, int32_t dir, double x, int32_t *pos);
KT_API int32_t c_indexs(const float *a, int32_t n, int32_t dir, float x, int32_t *pos);
/// @}
/// @{
/** 0 when the first n elements are equal, else 1. */
KT_API int32_t CMPR8(const double *a, const double *b, const int32_t *n);
KT_API int32_t CMPI4(const int32_t *a, const int32_t *b, const int32_t *n);
/// @}

/* ---- tolerant comparisons: -1 (c_: 1) when every pair is equal within
 * |tol|; identical values always are -------------------------------------- */

/** Absolute test of a(1..n) against b(1..n): a pair is equal when
 * |a - b| <= max(|a|, |b|) |tol|, or, when one is exactly 0, the other is
 * within |tol| of 0. An infinity equals only itself. -1 or 0. */
KT_API int32_t DEQUAL(const double *a, const double *b, const int32_t *n, const double *tol);
/** Relative test: a pair is equal when |a - b| <= max(|a|, |b|) |tol|
 * (an infinity equals only itself). -1 or 0. */
KT_API int32_t DEQREL(const double *a, const double *b, const int32_t *n, const double *tol);
/** DEQUAL of single-precision arrays (compared in double). */
KT_API int32_t FEQUAL(const float *a, const float *b, const int32_t *n, const float *tol);
/** DEQREL of single-precision arrays (compared in double). */
KT_API int32_t FEQREL(const float *a, const float *b, const int32_t *n, const float *tol);
/// @{
/** Plain-value twins of DEQUAL, DEQREL, FEQUAL and FEQREL: 1 when every
 * pair is equal, else 0. */
KT_API int32_t c_dequal(const double *a, const double *b, int32_t n, double tol);
KT_API int32_t c_deqrel(const double *a, const double *b, int32_t n, double tol);
KT_API int32_t c_fequal(const float *a, const float *b, int32_t n, float tol);
KT_API int32_t c_feqrel(const float *a, const float *b, int32_t n, float tol);
/// @}

/* ---- listings on the host's current output ---------------------------- */

/** a(1..n) in scientific notation with 12 decimals, 4 to a line. */
KT_API void VOUT(const double *a, const int32_t *n);
/** a(1..n) with 5 decimals, 5 to a line. */
KT_API void VOUTS(const float *a, const int32_t *n);
/** Complex z(1..n) as (re, im), 2 to a line. */
KT_API void VOUTZ(const double *z, const int32_t *n);
/** Complex (re(i), im(i)), 2 to a line; stops between lines when an
 * interrupt is pending. */
KT_API void VOUTZ2(const double *re, const double *im, const int32_t *n);
/** a(1..n) with 16 significant digits, 4 to a line. */
KT_API void VOUTX(const double *a, const int32_t *n);
/// @{
/** a(1..n) on one line, each element followed by two blanks; when bit 0
 * of show is set, the title and ":" on a line before. Double / single /
 * double complex elements. */
KT_API void DMPD1(const char *title, const int32_t *show, const double *a, const int32_t *n, int32_t title_len);
KT_API void DMPR1(const char *title, const int32_t *show, const float *a, const int32_t *n, int32_t title_len);
KT_API void DMPDC1(const char *title, const int32_t *show, const double *a, const int32_t *n, int32_t title_len);
/// @}
/// @{
/** As DMPD1 for matrices of m rows and n columns stored by columns, one
 * row to a line: double, single, single complex, double complex. */
KT_API void DMPD2(const char *title, const int32_t *show, const double *a, const int32_t *m, const int32_t *n,
                  int32_t title_len);
KT_API void DMPR2(const char *title, const int32_t *show, const float *a, const int32_t *m, const int32_t *n,
                  int32_t title_len);
KT_API void DMPC2(const char *title, const int32_t *show, const float *a, const int32_t *m, const int32_t *n,
                  int32_t title_len);
KT_API void DMPDC2(const char *title, const int32_t *show, const double *a, const int32_t *m, const int32_t *n,
                   int32_t title_len);
/// @}
/** n texts of w characters each, back to back, in columns. */
KT_API void WRCOL(const char *texts, const int32_t *n, const int32_t *w, int32_t texts_len);

KT_END_C

#endif
