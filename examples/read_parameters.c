/* Reads a parameter file into a field table and fetches one number from it:
 * the everyday road through the library, from C.
 *
 *   read_parameters [FILE [NAME]]    (default: amplifier.fields beside it, "gain")
 */
#include <stdio.h>
#include <string.h>

#include "kt/fields.h"
#include "kt/host.h"
#include "kt/text.h"

int main(int argc, char **argv) {
    const char *file = argc > 1 ? argv[1] : EXAMPLES_DIR "/amplifier.fields";
    const char *name = argc > 2 ? argv[2] : "gain";
    int32_t table = 0, status = 0, value = 0, count = 0;

    c_cfi(&table);
    if (c_cfr(table, file, &status) != 0) { /* the host has reported why */
        c_cfd(&table);
        return 1;
    }
    c_cfc(table, &count);
    printf("%s: %d fields\n", file, count);

    /* The first value of the last field of that name, as a string. */
    if (c_cfng(table, name, &value) == 0) {
        printf("no value for %s\n", name);
        c_cfd(&table);
        return 1;
    }
    const char *text = cstrp(value);
    double x = 0;
    int32_t bad = c_vbcs2d(text, (int32_t)strlen(text), &x);
    if (bad != 0) /* position of the first character the reader rejects */
        printf("%s = '%s' is not a number (at character %d)\n", name, text, bad);
    else
        printf("%s = '%s' = %g\n", name, text, x);

    c_cfd(&table); /* frees the table and every string in it */
    printf("bytes in use afterwards: %lld\n", (long long)kt_host_store_bytes_in_use());
    return bad != 0;
}
