/** @file
 * Names and identifiers of libkt_util: hierarchical object paths, result
 * file identifiers, object names and kinded name records.
 *
 * Upper-case entries take every argument by address; each text argument
 * adds a hidden int32_t length after all other arguments, in text order.
 * Positions in a text count from 1. c_ entries take plain values and
 * zero-terminated texts.
 *
 * None of these entries is reentrant: callers run them on one thread at a
 * time. */
#ifndef KT_NAMES_H
#define KT_NAMES_H

#include <stdint.h>

#include "kt/abi.h"

KT_BEGIN_C

/* ---- hierarchical paths ----------------------------------------------
 * A token code is kind * 1024 + flags; code 2 is a syntax error. */

/** Flags of a token code (its low bits). */
enum {
    KT_PATH_ONE_VALUE = 0x01,  /**< the token carries V1 */
    KT_PATH_TWO_VALUES = 0x02, /**< the token carries V1 and V2 */
    KT_PATH_WILDCARD = 0x04,   /**< it contains a "*" */
    KT_PATH_SELECTION = 0x08,  /**< an index or range selection */
    KT_PATH_STEP = 0x10,       /**< a step between levels */
    KT_PATH_LEAF = 0x20,       /**< a leaf name */
    KT_PATH_BRANCH = 0x40,     /**< opens a branch */
    KT_PATH_SYNTAX_ERROR = 2   /**< the whole code of a syntax error */
};

/** Token codes; V1 and V2 name the values a token carries. */
enum {
    KT_PATH_ROOT = 0x0410,       /**< token "/" at position 1, "(/" or "->/" */
    KT_PATH_HERE = 0x0810,       /**< token "." */
    KT_PATH_UP = 0x0C10,         /**< token ".." */
    KT_PATH_ANY_LEVELS = 0x1014, /**< token "..." */
    KT_PATH_QUALIFIED = 0x1412,  /**< token "a.b": V1 a, V2 b */
    KT_PATH_NAME_ANY = 0x1815,   /**< token "a.*": V1 a */
    KT_PATH_ANY_NAME = 0x1C15,   /**< token "*.b": V1 b */
    KT_PATH_ANY_ANY = 0x2014,    /**< token "*.*" */
    KT_PATH_NAME = 0x2421,       /**< token "a": V1 a */
    KT_PATH_ANY = 0x2824,        /**< token "*" */
    KT_PATH_INDEX = 0x2C09,      /**< token "[n" or ",n": V1 n */
    KT_PATH_INDEX_ANY = 0x300C,  /**< token "[*" or ",*" */
    KT_PATH_RANGE = 0x340A,      /**< token "[n:m": V1 n, V2 m */
    KT_PATH_RANGE_FROM = 0x380D, /**< token "[n:*": V1 n */
    KT_PATH_RANGE_TO = 0x3C0D,   /**< token "[*:m": V1 m */
    KT_PATH_SEPARATOR = 0x4010,  /**< token "/" after position 1 */
    KT_PATH_END = 0x4400,        /**< token ")" or the end of the text */
    KT_PATH_BRANCH_FN = 0x5041,  /**< token "f(": V1 f */
    KT_PATH_ANY_BRANCH = 0x5444, /**< token "*(" */
    KT_PATH_THROUGH = 0x5840,    /**< token "through(" */
    KT_PATH_ACROSS = 0x5C40      /**< token "across(" */
};

/** SEPTH1(text, n, pos, table, v1, v2, code): reads the token at text(pos),
 * looking at text(1..n) only; names are lower-cased in place (unless they
 * start with "@") and replaced by their index in name table `table` (host
 * STE). Advances pos past the token and returns its code. Every token but
 * the end token at pos > n moves pos forward; a syntax error (also at a
 * position below 1, a ")" in position 1, or an index or bound outside the
 * 32-bit range) leaves pos as it was. The hidden length is not used.
 * Telling "f(" from a name looks ahead to the next ")" or ".", so a caller
 * stepping through a whole path with SEPTH1 may read a text of many "("
 * in quadratic time; kt_path_next remembers what it has seen and does not. */
KT_API int32_t SEPTH1(char *text, const int32_t *n, int32_t *pos, const int32_t *table, int32_t *v1, int32_t *v2,
                      int32_t *code, int32_t text_len);
/** SEPTHI(text, n, table, out): compiles a whole path into an integer array
 * record of codes, each followed by its values; stores and returns it, or
 * 0 on a syntax error (no message), a broken sequence rule (host error
 * 7056: ".." or root after a wildcard step; 7003: a leaf name after "*"),
 * or a refused store request (reported). */
KT_API int32_t SEPTHI(char *text, const int32_t *n, const int32_t *table, int32_t *out, int32_t text_len);

/** One token with the places of the names it looked up, for programs that
 * show a path's tokens with their names. name_start[i] is the position of
 * name i (0 when the token has no such name), name_length[i] its length;
 * the name stands in the text as it was looked up. */
typedef struct kt_path_token {
    /// @{
    /** The token code and its values V1 and V2, as SEPTH1 gives them. */
    int32_t code, v1, v2;
    /// @}
    /// @{
    /** Position and length in the text of the names behind V1 and V2. */
    int32_t name_start[2], name_length[2];
    /// @}
} kt_path_token;
/** SEPTH1 with plain values, filling *token; returns the token code. */
KT_API int32_t kt_path_token_read(char *text, int32_t n, int32_t *pos, int32_t table, kt_path_token *token);

/** A walk through one path, token by token: the text (names are
 * lower-cased in it as they are read), its length, the name table, the
 * position of the next token (1 at the start) and what the walk has seen
 * ahead of it (both 0 at the start). Start it as
 * `kt_path_reader r = {text, n, table, 1, 0, 0};` and leave the text
 * alone until the walk ends. */
typedef struct kt_path_reader {
    /// @{
    /** The path and its length, the name table, the next position. */
    char *text;
    int32_t n, table, pos;
    /// @}
    /// @{
    /** Where the next ")" or "." from ahead_from on stands (0: not seen yet). */
    int32_t ahead_from, ahead_at;
    /// @}
} kt_path_reader;
/** Reads the token at reader->pos as kt_path_token_read does and advances
 * reader->pos; a whole walk takes time in proportion to the path's length. */
KT_API int32_t kt_path_next(kt_path_reader *reader, kt_path_token *token);

/* ---- result file identifiers -----------------------------------------
 * Kinds: 1 wf, 2 p1 (or kt_pl), 3 p2, 4 p3, 5 d1, 6 d2, 7 d3, 8 e1, 9 e2,
 * 10 i1, 11 i2, 12 r1, 13 r2. Layout classes: 0 none, 1 dir/name.ext.CC,
 * 2 dir/name.CC.ext, 3 dir/name.CC. A text without "." is class 0. */

/** Layout class (0..3) of the identifier text(1..n). */
KT_API int32_t FIDFMT(const char *text, const int32_t *n, int32_t text_len);
/// @{
/** Splits an identifier into two parts (s1..e1, s2..e2; 0 when absent) and
 * returns its kind, also stored in *kind. */
KT_API int32_t PRSFID(const char *text, const int32_t *n, int32_t *s1, int32_t *e1, int32_t *s2, int32_t *e2,
                      int32_t *kind, int32_t text_len);
KT_API int32_t c_prsfid(const char *text, int32_t n, int32_t *s1, int32_t *e1, int32_t *s2, int32_t *e2, int32_t *kind);
/// @}
/// @{
/** Prefixes name with the directory of ref; capacity is the room in name
 * (never more than its declared length). Returns the new length, also in
 * *out, or 0 when the name already has a directory or does not fit.
 * c_mkrfid keeps one byte of its capacity for a terminating zero. */
KT_API int32_t MKRFID(const char *ref, const int32_t *ref_n, char *name, const int32_t *capacity, int32_t *out,
                      int32_t ref_len, int32_t name_len);
KT_API int32_t c_mkrfid(const char *ref, int32_t ref_n, char *name, int32_t capacity, int32_t *out);
/// @}

/* ---- object names -----------------------------------------------------
 * An object name is ["quoted"][base.]rest. */

/// @{
/** Splits text(1..n) into its quoted part (qs..qe, inside the quotes),
 * base (bs..be, up to the last "." after the quoted part) and the rest
 * (es..ee). An absent part has an end below its start. Never fails. */
KT_API void PARSON(const char *text, const int32_t *n, int32_t *qs, int32_t *qe, int32_t *bs, int32_t *be, int32_t *es,
                   int32_t *ee, int32_t text_len);
KT_API void c_parson(const char *text, int32_t n, int32_t *qs, int32_t *qe, int32_t *bs, int32_t *be, int32_t *es,
                     int32_t *ee);
/// @}
/// @{
/** Builds the object name with `def` as the instance when name has none,
 * blank-padded and cut to the declared length of out. c_makonm takes the
 * current zero-terminated length of out as its size and does not
 * terminate the result. */
KT_API void MAKONM(const char *name, const int32_t *n, const char *def, const int32_t *def_n, char *out,
                   int32_t name_len, int32_t def_len, int32_t out_len);
KT_API void c_makonm(const char *name, int32_t n, const char *def, int32_t def_n, char *out);
/// @}

/* ---- kinded name records ----------------------------------------------
 * Record r: cell r+1 the kind, cell r+2 a word-store string (0: none)
 * owned by the record. Kinds 1..5 print as "ip ", "pf ", "df ", "of ",
 * "file ". */

/** A record of the kind holding a copy of the string (0: none): its
 * index, also stored in *record; 0 when the store refuses (reported,
 * nothing left allocated). */
KT_API int32_t RSCIEA(const int32_t *kind, const int32_t *string, int32_t *record);
/** Frees the record and its string (0: nothing); *record becomes 0. */
KT_API void RSCD(int32_t *record);
/** 0 when both records have the same kind and name (two 0 records are
 * equal), else 1. */
KT_API int32_t RSCCMP(const int32_t *a, const int32_t *b);
/** Appends the kind's prefix and the name to the current output line
 * (0: nothing). */
KT_API void RSCO(const int32_t *record);

KT_END_C

#endif
