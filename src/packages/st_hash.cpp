// The built-in hash and compare functions of the symbol tables. Each
// takes a magnitude (see st_inline.h) and reduces it modulo the bin count.
#include <cstdint>

#include "kt/st.h"
#include "low_strhash.h"
#include "st_inline.h"

extern "C" {

int st_strhash(const char *key, int modulus) { return kt::packages::reduce(kt::packages::str_magnitude(key), modulus); }

int low_strhash(const char *key, int modulus) {
    return kt::packages::reduce(kt::packages::low_str_magnitude(key), modulus);
}

int st_numhash(const char *key, int modulus) { return kt::packages::num_bin(key, modulus); }

int st_ptrhash(const char *key, int modulus) { return kt::packages::ptr_bin(key, modulus); }

int st_numcmp(const char *a, const char *b) { return a != b; }

// One function under two names: a table recognises either by identity.
KT_API decltype(st_numcmp) st_ptrcmp __attribute__((alias("st_numcmp")));

} // extern "C"
