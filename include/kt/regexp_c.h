/** @file
 * Regular expressions for C callers and for languages that reach the
 * library through its C entries: the matcher of kt/regexp.h behind an
 * opaque handle, with the sub-matches as offsets into the subject.
 *
 * A handle holds one compiled pattern and the matches of its last search;
 * it is made by c_regexp_new and freed by c_regexp_free. As the matcher
 * itself, not reentrant. */
#ifndef KT_REGEXP_C_H
#define KT_REGEXP_C_H

#include <stdint.h>

#include "kt/abi.h"

KT_BEGIN_C

/** A compiled pattern (a Regexp_scanner). */
typedef struct kt_regexp kt_regexp;

/** Compiles the pattern: a handle, also when the pattern does not compile
 * (c_regexp_error then says why); null only when memory ran out. */
KT_API kt_regexp *c_regexp_new(const char *pattern);
/** Frees the handle (null: nothing). */
KT_API void c_regexp_free(kt_regexp *re);
/** The last error of the handle (a compile or search failure), or null;
 * valid until the handle's next call. */
KT_API const char *c_regexp_error(const kt_regexp *re);
/** The number of groups the pattern opens (0-9). */
KT_API int32_t c_regexp_groups(const kt_regexp *re);
/** Searches the subject for the leftmost match: 1 found, 0 not found, -1
 * when the pattern did not compile or the search failed (c_regexp_error).
 * When spans is not null it receives 20 offsets from the subject's start,
 * the first and one past the last byte of match 0 and sub-matches 1-9 in
 * turn, -1 and -1 for a group that took no part (all -1 without a match). */
KT_API int32_t c_regexp_search(kt_regexp *re, const char *subject, int64_t *spans);
/** Writes the template with "&" replaced by the last match and "\d" by
 * sub-match d into dest, at most size bytes with the terminating zero
 * (dest may be null when size is 0): the length of the whole result, which
 * was cut when it is >= size; -1 on an error (c_regexp_error). The subject
 * of the last search must still be unchanged in memory. */
KT_API int64_t c_regexp_substitute(kt_regexp *re, const char *templ, char *dest, int64_t size);

KT_END_C

#endif
