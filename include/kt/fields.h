/** @file
 * Keyed field tables of libkt_util: ordered, named fields, each holding a
 * list of word-store strings, and their text file form (the field file).
 *
 * Table: header of 2 integer cells (n, index of the field-record block).
 * Field record k (1..n): cells 3k-2 name string, 3k-1 value count m,
 * 3k index of the values block (m cells, each a string; 0 when none was
 * allocated). The table owns every string it names; CFD frees them all.
 * Field numbers stay valid until the table is freed. Names need not be
 * unique; lookups by name find the last field of that name, compared
 * ignoring letter case, and use the text up to its first blank.
 *
 * Field file: one field per record, the name first, then comma-separated
 * values with backslash escapes (`\n` line end, `\s` blank, `\t` tab, `\x`
 * the character x). A line ending in an odd number of backslashes continues on
 * the next; "#" starts a comment line. Lines hold at most 1023 characters. A
 * carriage return before a line end belongs to the line end unless a
 * backslash escapes it.
 *
 * Upper-case entries take every argument by address; each text adds its
 * length after the other arguments. c_ entries take plain values and
 * zero-terminated texts. Failures are results (0, or status 1); CFR and
 * CFW also report numbered errors. */
#ifndef KT_FIELDS_H
#define KT_FIELDS_H

#include <stdint.h>

#include "kt/abi.h"

KT_BEGIN_C

/* ---- the table ------------------------------------------------------- */

/** A new empty table: its index, also stored in *table; 0 when the store
 * refuses. */
KT_API int32_t CFI(int32_t *table);
/** Frees the table with every string it owns (0: nothing); *table becomes 0. */
KT_API void CFD(int32_t *table);
/** The number of fields (0 for table 0), also stored in *n. */
KT_API int32_t CFC(const int32_t *table, int32_t *n);
/** Appends a field taking over the name string and the m value strings
 * (their cells in `values` are cleared as they are taken); its number k,
 * also stored, or 0 (table 0, or the store refused the field). When the
 * values block is refused the field stays, with no values, and the caller
 * keeps the strings still in `values`. */
KT_API int32_t CFZSA(const int32_t *table, const int32_t *name, int32_t *values, const int32_t *m, int32_t *k);
/** Appends an empty field named by the text up to its first blank: its
 * number k, also stored, or 0 when refused (nothing left allocated). */
KT_API int32_t CFZFLD(const int32_t *table, const char *name, int32_t *k, int32_t name_len);
/** Appends m empty values to field k: 0, or 1 (also in *flag) for a bad
 * field or a refusal (values made before a refusal stay; the count covers
 * exactly the valid ones). */
KT_API int32_t CFZADD(const int32_t *table, const int32_t *k, const int32_t *m, int32_t *flag);
/** Frees the last min(m, count) values of field k; a bad field or m <= 0
 * does nothing. */
KT_API void CFZDEL(const int32_t *table, const int32_t *k, const int32_t *m);
/** Number of the last field of that name, also stored in *k; 0 when there
 * is none. */
KT_API int32_t CFNGX(const int32_t *table, const char *name, int32_t *k, int32_t name_len);
/** Name string of field k (the table keeps it), also stored; 0 for a bad
 * field. */
KT_API int32_t CFXGN(const int32_t *table, const int32_t *k, int32_t *name);

/* ---- the field file -------------------------------------------------- */

/** Appends the records of a file: 0, or 1 (2004 unopenable or a directory,
 * with kt_host_input_error telling why; 2064 a read failed, with the
 * system's reason; 2023 a line too long; 2012 store exhausted; the records
 * before stay). Also in *status. */
KT_API int32_t CFR(const int32_t *table, const char *file, int32_t *status, int32_t file_len);
/** Writes the table so that CFR reads it back value for value: 0, or 1 (2007
 * unopenable, 2023 a line would not fit the reader's buffer, 2064 a write
 * failed, with the system's reason). A regular file is replaced only once
 * the new one is whole, so on failure it is left exactly as it was (a
 * device or pipe is written in place). Also in *status. */
KT_API int32_t CFW(const int32_t *table, const char *file, int32_t *status, int32_t file_len);
/** Prints on the current output: mode 1 one value per line, 2 the values of
 * a field on one line separated by commas, other modes without separators.
 * Fields with no values are not printed. */
KT_API void CFO(const int32_t *table, const int32_t *mode);

/// @{
/** Plain-value twin of the upper-case entry of the same name: the texts
 * are zero-terminated; same results. */
KT_API int32_t c_cfi(int32_t *table);
KT_API void c_cfd(int32_t *table);
KT_API int32_t c_cfc(int32_t table, int32_t *n);
KT_API int32_t c_cfr(int32_t table, const char *file, int32_t *status);
KT_API int32_t c_cfw(int32_t table, const char *file, int32_t *status);
KT_API void c_cfo(int32_t table, int32_t mode);
KT_API int32_t c_cfngx(int32_t table, const char *name, int32_t *k);
KT_API int32_t c_cfzfld(int32_t table, const char *name, int32_t *k);
KT_API int32_t c_cfxgn(int32_t table, int32_t k, int32_t *name);
/// @}

/* ---- access by field number ------------------------------------------
 * A k outside 1..n reads as 0 and fails a write (status 1). Writes create
 * new strings from the texts; the table owns them. */

/** The first value string of field k (0: none), also stored in *value. */
KT_API int32_t CFXG(const int32_t *table, const int32_t *k, int32_t *value);
/** Value string j of field k (0 outside 1..count), also stored. */
KT_API int32_t CFXGI(const int32_t *table, const int32_t *k, const int32_t *j, int32_t *value);
/** The number of values of field k, also stored in *count. */
KT_API int32_t CFXGC(const int32_t *table, const int32_t *k, int32_t *count);
/** Copies the first min(m, max) value strings; stores and returns m. */
KT_API int32_t CFXGA(const int32_t *table, const int32_t *k, const int32_t *max, int32_t *values, int32_t *count);
/** Makes the text the only value of field k: 0, or 1 when refused (the old
 * values stay). Also in *status. */
KT_API int32_t CFXS(const int32_t *table, const int32_t *k, const char *text, int32_t *status, int32_t text_len);
/** Makes the text value j (>= 1) of field k, adding empty values up to j:
 * 0, or 1 for j < 1 or when refused (value j untouched; empty values added
 * before the refusal may stay). Also in *status. */
KT_API int32_t CFXSI(const int32_t *table, const int32_t *k, const int32_t *j, const char *text, int32_t *status,
                     int32_t text_len);
/** Gives field k exactly m values, freeing the last ones or adding empty
 * ones: 0, or 1 when refused (see CFZADD). Also in *status. */
KT_API int32_t CFXSC(const int32_t *table, const int32_t *k, const int32_t *m, int32_t *status);
/** Frees every value of field k: 0, or 1 for a bad field. */
KT_API int32_t CFXD(const int32_t *table, const int32_t *k);

/* ---- access by field name --------------------------------------------
 * Reads of a name not in the table give 0; writes first append an empty
 * field of that name. */

/// @{
/** As the CFX entry of the same suffix, for the last field of that name. */
KT_API int32_t CFNG(const int32_t *table, const char *name, int32_t *value, int32_t name_len);
KT_API int32_t CFNGI(const int32_t *table, const char *name, const int32_t *j, int32_t *value, int32_t name_len);
KT_API int32_t CFNGC(const int32_t *table, const char *name, int32_t *count, int32_t name_len);
KT_API int32_t CFNGA(const int32_t *table, const char *name, const int32_t *max, int32_t *values, int32_t *count,
                     int32_t name_len);
KT_API int32_t CFNS(const int32_t *table, const char *name, const char *text, int32_t *status, int32_t name_len,
                    int32_t text_len);
KT_API int32_t CFNSI(const int32_t *table, const char *name, const int32_t *j, const char *text, int32_t *status,
                     int32_t name_len, int32_t text_len);
KT_API int32_t CFNSC(const int32_t *table, const char *name, const int32_t *m, int32_t *status, int32_t name_len);
KT_API int32_t CFND(const int32_t *table, const char *name, int32_t name_len);
/// @}

/// @{
/** Plain-value twin of the upper-case entry of the same name: the texts
 * are zero-terminated; same results. */
KT_API int32_t c_cfxg(int32_t table, int32_t k, int32_t *value);
KT_API int32_t c_cfxgi(int32_t table, int32_t k, int32_t j, int32_t *value);
KT_API int32_t c_cfxgc(int32_t table, int32_t k, int32_t *count);
KT_API int32_t c_cfxga(int32_t table, int32_t k, int32_t max, int32_t *values, int32_t *count);
KT_API int32_t c_cfxs(int32_t table, int32_t k, const char *text, int32_t *status);
KT_API int32_t c_cfxsi(int32_t table, int32_t k, int32_t j, const char *text, int32_t *status);
KT_API int32_t c_cfxsc(int32_t table, int32_t k, int32_t m, int32_t *status);
KT_API int32_t c_cfxd(int32_t table, int32_t k);
KT_API int32_t c_cfng(int32_t table, const char *name, int32_t *value);
KT_API int32_t c_cfngi(int32_t table, const char *name, int32_t j, int32_t *value);
KT_API int32_t c_cfngc(int32_t table, const char *name, int32_t *count);
KT_API int32_t c_cfnga(int32_t table, const char *name, int32_t max, int32_t *values, int32_t *count);
KT_API int32_t c_cfns(int32_t table, const char *name, const char *text, int32_t *status);
KT_API int32_t c_cfnsi(int32_t table, const char *name, int32_t j, const char *text, int32_t *status);
KT_API int32_t c_cfnsc(int32_t table, const char *name, int32_t m, int32_t *status);
KT_API int32_t c_cfnd(int32_t table, const char *name);
/// @}

/* ---- character addresses ---------------------------------------------
 * The address of a string's first character (zero-terminated), or null. */

/** First value of field k (c_cfxg). */
KT_API char *c_cfxgp(int32_t table, int32_t k);
/** First value of the last field of that name (c_cfng). */
KT_API char *c_cfngp(int32_t table, const char *name);
/** Value j of field k (c_cfxgi). */
KT_API char *c_cfxgip(int32_t table, int32_t k, int32_t j);
/** Value j of the last field of that name (c_cfngi). */
KT_API char *c_cfngip(int32_t table, const char *name, int32_t j);
/** Name of field k (c_cfxgn). */
KT_API char *c_cfxgnp(int32_t table, int32_t k);
/// @{
/** Fills the first min(m, max) addresses of the field's m values; returns
 * m (0 for a bad field or a name not in the table). */
KT_API int32_t c_cfxgap(int32_t table, int32_t k, int32_t max, char **values);
KT_API int32_t c_cfngap(int32_t table, const char *name, int32_t max, char **values);
/// @}
/// @{
/** Makes the m texts the field's values in order (by name: appending the
 * field when there is none): 0, or 1 for a bad field or a refusal, after
 * which the field may hold empty values in place of some texts. */
KT_API int32_t c_cfxsap(int32_t table, int32_t k, int32_t m, const char *const *texts);
KT_API int32_t c_cfnsap(int32_t table, const char *name, int32_t m, const char *const *texts);
/// @}

KT_END_C

#endif
