/* Calls libkt_util entries only, like the README's first snippet. Linked
 * with --as-needed the program names libkt_util alone, which must then find
 * libkt_corvane by itself. The library loaded must be the version the
 * headers announce. */
#include <stdio.h>
#include <string.h>

#include <kt/store.h>
#include <kt/version.h>

int main(void) {
    int32_t cap = 2, kind = 1, list = 0, v = 42;
    int ok = LSTI(&cap, &kind, &list) != 0 && LSTE(&list, &v) == 1;
    LSTO(&list, "values:", 7);
    LSTD(&list);
    int32_t packed = KT_UTIL_VERSION_MAJOR * 10000 + KT_UTIL_VERSION_MINOR * 100 + KT_UTIL_VERSION_PATCH;
    ok =
        ok && list == 0 && strcmp(kt_util_version(), KT_UTIL_VERSION_STRING) == 0 && kt_util_version_number() == packed;
    printf("%s %s\n", ok ? "OK" : "FAIL", kt_util_version());
    return ok ? 0 : 1;
}
