// Typed access to the values of a field table, by field number (CFX...)
// and by field name (CFN...), with their c_ entries.
//
// Reads give string indices (0 = none) and never change the table. Writes
// make new strings from texts; a write that fails frees what it made and
// leaves the field's earlier values in place, so every failure keeps the
// table's invariant (valid strings within each count, no unowned block).
// By-name writes append an empty field when the name is not found.
#include <cstring>

#include "common/fortran_alias.h"
#include "host/store_requester.h"
#include "common/cells.h"
#include "host/host_calls.h"
#include "field_record.h"
#include "kt/fields.h"
#include "kt/store.h"

using namespace kt::store;

namespace {

using kt::kIntSize;
constexpr int32_t kClass = 0;

int32_t find(int32_t t, const char *name, int32_t name_len) {
    int32_t k = 0;
    return CFNGX(&t, name, &k, name_len);
}

// The field of that name, appended when there is none; 0 when refused.
int32_t find_or_add(int32_t t, const char *name, int32_t name_len) {
    int32_t k = find(t, name, name_len);
    if (k == 0 && t != 0)
        CFZFLD(&t, name, &k, name_len);
    return k;
}

int32_t store(int32_t *out, int32_t v) {
    *out = v;
    return v;
}

} // namespace

extern "C" {

// ---- by field number -----------------------------------------------------

int32_t CFXG(const int32_t *table, const int32_t *k, int32_t *value) {
    int32_t t = *table, f = *k;
    return store(value, valid_field(t, f) && value_count(t, f) > 0 ? value_cell(t, f, 1) : 0);
}

int32_t CFXGI(const int32_t *table, const int32_t *k, const int32_t *j, int32_t *value) {
    int32_t t = *table, f = *k, i = *j;
    return store(value, valid_field(t, f) && i >= 1 && i <= value_count(t, f) ? value_cell(t, f, i) : 0);
}

int32_t CFXGC(const int32_t *table, const int32_t *k, int32_t *count) {
    return store(count, valid_field(*table, *k) ? value_count(*table, *k) : 0);
}

int32_t CFXGA(const int32_t *table, const int32_t *k, const int32_t *max, int32_t *values, int32_t *count) {
    int32_t t = *table, f = *k;
    if (!valid_field(t, f))
        return store(count, 0);
    int32_t m = value_count(t, f), copied = *max < m ? *max : m;
    for (int32_t j = 1; j <= copied; ++j)
        values[j - 1] = value_cell(t, f, j);
    return store(count, m);
}

int32_t CFXSC(const int32_t *table, const int32_t *k, const int32_t *m, int32_t *status) {
    kt::StoreRequester as("CFXSC");
    int32_t t = *table, f = *k;
    if (!valid_field(t, f))
        return store(status, 1);
    int32_t q = value_count(t, f), want = kt::nonneg(*m);
    if (want < q) {
        int32_t r = q - want;
        CFZDEL(table, k, &r);
    } else if (want > q) {
        int32_t add = want - q, flag = 0;
        if (CFZADD(table, k, &add, &flag) != 0)
            return store(status, 1);
    }
    return store(status, 0);
}

int32_t CFXS(const int32_t *table, const int32_t *k, const char *text, int32_t *status, int32_t text_len) {
    kt::StoreRequester as("CFXS");
    int32_t t = *table, f = *k;
    if (!valid_field(t, f))
        return store(status, 1);
    int32_t s = 0, block = 0, len = kt::nonneg(text_len);
    if (!STRGEA(text, &len, &s, len))
        return store(status, 1);
    if (!kt::store_get(1, &block, kIntSize, kClass)) {
        STRFS(&s);
        return store(status, 1);
    }
    *kt_iptr(block + 1) = s;
    replace_values(t, f, block, 1);
    return store(status, 0);
}

int32_t CFXSI(const int32_t *table, const int32_t *k, const int32_t *j, const char *text, int32_t *status,
              int32_t text_len) {
    kt::StoreRequester as("CFXSI");
    int32_t t = *table, f = *k, i = *j;
    if (!valid_field(t, f) || i < 1)
        return store(status, 1);
    int32_t s = 0, len = kt::nonneg(text_len);
    if (!STRGEA(text, &len, &s, len))
        return store(status, 1);
    if (i > value_count(t, f)) {
        int32_t add = i - value_count(t, f), flag = 0;
        if (CFZADD(table, k, &add, &flag) != 0) {
            STRFS(&s);
            return store(status, 1);
        }
    }
    STRFS(&value_cell(t, f, i));
    value_cell(t, f, i) = s;
    return store(status, 0);
}

int32_t CFXD(const int32_t *table, const int32_t *k) {
    int32_t none = 0, status = 0;
    return CFXSC(table, k, &none, &status);
}

// ---- by field name ---------------------------------------------------------

int32_t CFNG(const int32_t *table, const char *name, int32_t *value, int32_t name_len) {
    int32_t k = find(*table, name, name_len);
    return CFXG(table, &k, value);
}

int32_t CFNGI(const int32_t *table, const char *name, const int32_t *j, int32_t *value, int32_t name_len) {
    int32_t k = find(*table, name, name_len);
    return CFXGI(table, &k, j, value);
}

int32_t CFNGC(const int32_t *table, const char *name, int32_t *count, int32_t name_len) {
    int32_t k = find(*table, name, name_len);
    return CFXGC(table, &k, count);
}

int32_t CFNGA(const int32_t *table, const char *name, const int32_t *max, int32_t *values, int32_t *count,
              int32_t name_len) {
    int32_t k = find(*table, name, name_len);
    return CFXGA(table, &k, max, values, count);
}

int32_t CFNS(const int32_t *table, const char *name, const char *text, int32_t *status, int32_t name_len,
             int32_t text_len) {
    kt::StoreRequester as("CFNS");
    int32_t k = find_or_add(*table, name, name_len);
    return CFXS(table, &k, text, status, text_len);
}

int32_t CFNSI(const int32_t *table, const char *name, const int32_t *j, const char *text, int32_t *status,
              int32_t name_len, int32_t text_len) {
    kt::StoreRequester as("CFNSI");
    int32_t k = find_or_add(*table, name, name_len);
    return CFXSI(table, &k, j, text, status, text_len);
}

int32_t CFNSC(const int32_t *table, const char *name, const int32_t *m, int32_t *status, int32_t name_len) {
    kt::StoreRequester as("CFNSC");
    int32_t k = find_or_add(*table, name, name_len);
    return CFXSC(table, &k, m, status);
}

int32_t CFND(const int32_t *table, const char *name, int32_t name_len) {
    kt::StoreRequester as("CFND");
    int32_t k = find_or_add(*table, name, name_len);
    return CFXD(table, &k);
}

// ---- c_ entries --------------------------------------------------------------

int32_t c_cfxg(int32_t table, int32_t k, int32_t *value) { return CFXG(&table, &k, value); }
int32_t c_cfxgi(int32_t table, int32_t k, int32_t j, int32_t *value) { return CFXGI(&table, &k, &j, value); }
int32_t c_cfxgc(int32_t table, int32_t k, int32_t *count) { return CFXGC(&table, &k, count); }
int32_t c_cfxga(int32_t table, int32_t k, int32_t max, int32_t *values, int32_t *count) {
    return CFXGA(&table, &k, &max, values, count);
}
int32_t c_cfxs(int32_t table, int32_t k, const char *text, int32_t *status) {
    return CFXS(&table, &k, c_text(text), status, terminated_length(text));
}
int32_t c_cfxsi(int32_t table, int32_t k, int32_t j, const char *text, int32_t *status) {
    return CFXSI(&table, &k, &j, c_text(text), status, terminated_length(text));
}
int32_t c_cfxsc(int32_t table, int32_t k, int32_t m, int32_t *status) { return CFXSC(&table, &k, &m, status); }
int32_t c_cfxd(int32_t table, int32_t k) { return CFXD(&table, &k); }

int32_t c_cfng(int32_t table, const char *name, int32_t *value) {
    return CFNG(&table, c_text(name), value, terminated_length(name));
}
int32_t c_cfngi(int32_t table, const char *name, int32_t j, int32_t *value) {
    return CFNGI(&table, c_text(name), &j, value, terminated_length(name));
}
int32_t c_cfngc(int32_t table, const char *name, int32_t *count) {
    return CFNGC(&table, c_text(name), count, terminated_length(name));
}
int32_t c_cfnga(int32_t table, const char *name, int32_t max, int32_t *values, int32_t *count) {
    return CFNGA(&table, c_text(name), &max, values, count, terminated_length(name));
}
int32_t c_cfns(int32_t table, const char *name, const char *text, int32_t *status) {
    return CFNS(&table, c_text(name), c_text(text), status, terminated_length(name), terminated_length(text));
}
int32_t c_cfnsi(int32_t table, const char *name, int32_t j, const char *text, int32_t *status) {
    return CFNSI(&table, c_text(name), &j, c_text(text), status, terminated_length(name), terminated_length(text));
}
int32_t c_cfnsc(int32_t table, const char *name, int32_t m, int32_t *status) {
    return CFNSC(&table, c_text(name), &m, status, terminated_length(name));
}
int32_t c_cfnd(int32_t table, const char *name) { return CFND(&table, c_text(name), terminated_length(name)); }

} // extern "C"

KT_FORTRAN_ALIAS(CFXG, cfxg_);
KT_FORTRAN_ALIAS(CFXGI, cfxgi_);
KT_FORTRAN_ALIAS(CFXGC, cfxgc_);
KT_FORTRAN_ALIAS(CFXGA, cfxga_);
KT_FORTRAN_ALIAS(CFXS, cfxs_);
KT_FORTRAN_ALIAS(CFXSI, cfxsi_);
KT_FORTRAN_ALIAS(CFXSC, cfxsc_);
KT_FORTRAN_ALIAS(CFXD, cfxd_);
KT_FORTRAN_ALIAS(CFNG, cfng_);
KT_FORTRAN_ALIAS(CFNGI, cfngi_);
KT_FORTRAN_ALIAS(CFNGC, cfngc_);
KT_FORTRAN_ALIAS(CFNGA, cfnga_);
KT_FORTRAN_ALIAS(CFNS, cfns_);
KT_FORTRAN_ALIAS(CFNSI, cfnsi_);
KT_FORTRAN_ALIAS(CFNSC, cfnsc_);
KT_FORTRAN_ALIAS(CFND, cfnd_);
