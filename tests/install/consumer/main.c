/* An outside program on the library: the headers compile as C,
 * the entries link, and the store is reachable through kt_store_base. */
#include <stdio.h>

#include <kt/host.h>
#include <kt/store.h>

int main(void) {
    int32_t capacity = 2, kind = 1, list = 0, n = 0;
    int ok = LSTI(&capacity, &kind, &list) != 0;
    for (int32_t v = 10; ok && v <= 50; v += 10)
        n = LSTE(&list, &v);
    /* five values through two growths; entry 5 read back from the store */
    ok = ok && n == 5 && kt_icell(list + 2) == 5 && kt_icell(kt_icell(list + 1) + 5) == 50;
    LSTD(&list);
    ok = ok && list == 0;

    int32_t count = 16, index = 0, size = 4, sclass = 0, status = -1;
    ok = ok && GSTORE(&count, &index, &size, &sclass, &status) == 0 && status == 0 && index != 0;
    if (index) {
        kt_set_icell(index + count, 7);
        ok = ok && kt_icell(index + count) == 7;
        FSTORE(&count, &index, &size);
    }
    ok = ok && index == 0;
    puts(ok ? "OK" : "FAIL");
    return ok ? 0 : 1;
}
