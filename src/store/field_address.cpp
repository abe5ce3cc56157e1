// Field values as character addresses: the c_ entries ending in p hand out
// the address of a string's first character (cstrp) instead of its index.
// The word store never moves, so an address stays valid while the string
// lives, that is until the value is replaced or the table freed.
#include "field_record.h"
#include "kt/fields.h"
#include "kt/text.h"

using namespace kt::store;

namespace {

int32_t fill_addresses(int32_t t, int32_t k, int32_t max, char **values) {
    int32_t count = 0;
    if (!valid_field(t, k))
        return 0;
    count = value_count(t, k);
    for (int32_t j = 1; j <= max && j <= count; ++j)
        values[j - 1] = cstrp(value_cell(t, k, j));
    return count;
}

int32_t write_all(int32_t t, int32_t k, int32_t m, const char *const *texts) {
    int32_t status = 0;
    if (c_cfxsc(t, k, m, &status) != 0)
        return 1;
    for (int32_t j = 1; j <= m; ++j)
        if (c_cfxsi(t, k, j, texts[j - 1], &status) != 0)
            return 1;
    return 0;
}

} // namespace

extern "C" {

char *c_cfxgp(int32_t table, int32_t k) {
    int32_t v = 0;
    return cstrp(c_cfxg(table, k, &v));
}
char *c_cfngp(int32_t table, const char *name) {
    int32_t v = 0;
    return cstrp(c_cfng(table, name, &v));
}
char *c_cfxgip(int32_t table, int32_t k, int32_t j) {
    int32_t v = 0;
    return cstrp(c_cfxgi(table, k, j, &v));
}
char *c_cfngip(int32_t table, const char *name, int32_t j) {
    int32_t v = 0;
    return cstrp(c_cfngi(table, name, j, &v));
}
char *c_cfxgnp(int32_t table, int32_t k) {
    int32_t v = 0;
    return cstrp(c_cfxgn(table, k, &v));
}
int32_t c_cfxgap(int32_t table, int32_t k, int32_t max, char **values) {
    return fill_addresses(table, k, max, values);
}
int32_t c_cfngap(int32_t table, const char *name, int32_t max, char **values) {
    int32_t k = 0;
    return fill_addresses(table, c_cfngx(table, name, &k), max, values);
}
int32_t c_cfxsap(int32_t table, int32_t k, int32_t m, const char *const *texts) {
    return write_all(table, k, m, texts);
}
int32_t c_cfnsap(int32_t table, const char *name, int32_t m, const char *const *texts) {
    int32_t k = 0;
    if (table != 0 && c_cfngx(table, name, &k) == 0)
        c_cfzfld(table, name, &k);
    return write_all(table, k, m, texts);
}

} // extern "C"
