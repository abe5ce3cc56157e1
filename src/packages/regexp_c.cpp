// The C entries of the regular-expression matcher (kt/regexp_c.h). The
// sub-matches are pointers into the subject, handed out as offsets while
// the caller's subject is at hand.
#include <new>

#include "kt/regexp.h"
#include "kt/regexp_c.h"
#include "heap.h"

struct kt_regexp {
    explicit kt_regexp(const char *pattern) : scanner(pattern) {}
    Regexp_scanner scanner;
};

extern "C" {

kt_regexp *c_regexp_new(const char *pattern) {
    void *block = kt::packages::allocate(sizeof(kt_regexp));
    return block ? new (block) kt_regexp(pattern) : nullptr;
}

void c_regexp_free(kt_regexp *re) {
    if (!re)
        return;
    re->~kt_regexp();
    kt::packages::release(re);
}

const char *c_regexp_error(const kt_regexp *re) { return re->scanner.error(); }

int32_t c_regexp_groups(const kt_regexp *re) { return re->scanner.group_count(); }

int32_t c_regexp_search(kt_regexp *re, const char *subject, int64_t *spans) {
    if (spans)
        for (int i = 0; i < 20; ++i)
            spans[i] = -1;
    // A scanner whose pattern did not compile has no program to run.
    if (!re->scanner.valid())
        return -1;
    if (!re->scanner.find_match(subject))
        return re->scanner.valid() ? 0 : -1;
    for (short n = 0; spans && n < 10; ++n) {
        const char *begin, *end;
        if (re->scanner.bounds(n, &begin, &end)) {
            spans[2 * n] = begin - subject;
            spans[2 * n + 1] = end - subject;
        }
    }
    return 1;
}

int64_t c_regexp_substitute(kt_regexp *re, const char *templ, char *dest, int64_t size) {
    char none = '\0';
    if (size <= 0)
        return re->scanner.substitute(templ, &none, 0);
    return re->scanner.substitute(templ, dest, static_cast<size_t>(size));
}

} // extern "C"
