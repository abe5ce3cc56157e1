// Field values as character addresses: the c_ entries ending in p hand out
// the address of a string's first character (cstrp) instead of its index.
// The word store never moves, so an address stays valid while the string
// lives, that is until the value is replaced or the table freed.
#include "host/store_requester.h"
#include "common/cells.h"
#include "host/host_calls.h"
#include "field_record.h"
#include "kt/fields.h"
#include "kt/store.h"

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

// All the new strings and their block are made before the field changes,
// so a refused request leaves the field's earlier values as they were.
int32_t write_all(int32_t t, int32_t k, int32_t m, const char *const *texts) {
    if (!valid_field(t, k))
        return 1;
    if (m <= 0) {
        int32_t status = 0;
        return c_cfxsc(t, k, 0, &status);
    }
    int32_t block = 0;
    if (!kt::store_get(m, &block, kt::kIntSize, 0))
        return 1;
    for (int32_t j = 1; j <= m; ++j) {
        int32_t s = 0, len = terminated_length(texts[j - 1]);
        if (!STRGEA(c_text(texts[j - 1]), &len, &s, len)) {
            for (int32_t i = 1; i < j; ++i)
                STRFS(kt_iptr(block + i));
            kt::store_free(m, &block, kt::kIntSize);
            return 1;
        }
        *kt_iptr(block + j) = s;
    }
    replace_values(t, k, block, m);
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
int32_t c_cfxgap(int32_t table, int32_t k, int32_t max, char **values) { return fill_addresses(table, k, max, values); }
int32_t c_cfngap(int32_t table, const char *name, int32_t max, char **values) {
    int32_t k = 0;
    return fill_addresses(table, c_cfngx(table, name, &k), max, values);
}
int32_t c_cfxsap(int32_t table, int32_t k, int32_t m, const char *const *texts) {
    kt::StoreRequester as("c_cfxsap");
    return write_all(table, k, m, texts);
}
int32_t c_cfnsap(int32_t table, const char *name, int32_t m, const char *const *texts) {
    kt::StoreRequester as("c_cfnsap");
    int32_t k = 0;
    if (table != 0 && c_cfngx(table, name, &k) == 0)
        c_cfzfld(table, name, &k);
    return write_all(table, k, m, texts);
}

} // extern "C"
