// Field tables: creation, destruction, appending fields and values,
// removing values, lookup by name.
//
// Invariant kept through every refused store request: within each field's
// count every value cell holds a valid string, the values block holds
// exactly `count` cells (or is 0 with count 0), and every block the table
// no longer names has been freed.
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
constexpr int32_t kHeaderCells = 2, kClass = 0;

// Resizes field k's values block to `cells`; false (block unchanged) when refused.
bool resize_values(int32_t t, int32_t k, int32_t cells) {
    int32_t block = values_block(t, k), old = value_count(t, k);
    if (!kt::store_resize(cells, &block, kIntSize, old))
        return false;
    values_block(t, k) = block;
    return true;
}

int32_t length_of(std::string_view s) { return static_cast<int32_t>(s.size()); }

} // namespace

extern "C" {

int32_t CFI(int32_t *table) {
    kt::StoreRequester as("CFI");
    int32_t header = 0;
    *table = 0;
    if (!kt::store_get(kHeaderCells, &header, kIntSize, kClass))
        return 0;
    field_count(header) = 0;
    field_records(header) = 0;
    *table = header;
    return header;
}

void CFD(int32_t *table) {
    int32_t t = *table;
    if (t == 0)
        return;
    int32_t n = field_count(t);
    for (int32_t k = 1; k <= n; ++k) {
        STRFS(&field_name(t, k));
        int32_t m = value_count(t, k);
        for (int32_t j = 1; j <= m; ++j)
            STRFS(&value_cell(t, k, j));
        kt::store_free(m, &values_block(t, k), kIntSize);
    }
    int32_t cells = 3 * n;
    kt::store_free(cells, &field_records(t), kIntSize);
    kt::store_free(kHeaderCells, table, kIntSize);
    *table = 0;
}

int32_t CFC(const int32_t *table, int32_t *n) {
    *n = *table ? field_count(*table) : 0;
    return *n;
}

int32_t CFZSA(const int32_t *table, const int32_t *name, int32_t *values, const int32_t *m, int32_t *k) {
    kt::StoreRequester as("CFZSA");
    int32_t t = *table;
    *k = 0;
    if (t == 0 || field_count(t) >= INT32_MAX / 3 - 1)
        return 0;
    int32_t n = field_count(t);
    int32_t old_cells = 3 * n, new_cells = old_cells + 3, records = field_records(t);
    if (!kt::store_resize_class(new_cells, &records, kIntSize, kClass, old_cells))
        return 0;
    field_records(t) = records;
    int32_t f = field_count(t) = n + 1;
    field_name(t, f) = *name;
    value_count(t, f) = 0;
    values_block(t, f) = 0;
    // A field without values needs no block: 0 names none.
    int32_t count = kt::nonneg(*m);
    if (count > 0) {
        int32_t block = 0;
        if (!kt::store_get(count, &block, kIntSize, kClass))
            return 0;
        values_block(t, f) = block;
        value_count(t, f) = count;
        for (int32_t j = 1; j <= count; ++j) {
            *kt_iptr(block + j) = values[j - 1];
            values[j - 1] = 0;
        }
    }
    *k = f;
    return f;
}

int32_t CFZFLD(const int32_t *table, const char *name, int32_t *k, int32_t name_len) {
    kt::StoreRequester as("CFZFLD");
    std::string_view cut = cut_name(name, name_len);
    int32_t len = length_of(cut), s = 0, none = 0;
    *k = 0;
    if (!STRGEA(cut.data(), &len, &s, len))
        return 0;
    if (!CFZSA(table, &s, nullptr, &none, k))
        STRFS(&s); // the table did not take it
    return *k;
}

int32_t CFZADD(const int32_t *table, const int32_t *k, const int32_t *m, int32_t *flag) {
    kt::StoreRequester as("CFZADD");
    int32_t t = *table, f = *k;
    *flag = 1;
    if (!valid_field(t, f))
        return 1;
    int32_t q = value_count(t, f), add = kt::nonneg(*m);
    if (int64_t{q} + add > INT32_MAX || !resize_values(t, f, q + add))
        return 1;
    // The count follows each string made, so a refusal part way leaves
    // only valid strings counted; the unused cells are given back.
    const int32_t empty = 0;
    for (int32_t j = q + 1; j <= q + add; ++j) {
        int32_t s = 0;
        if (!STRGEA("", &empty, &s, 0)) {
            resize_values(t, f, j - 1);
            value_count(t, f) = j - 1;
            return 1;
        }
        value_cell(t, f, j) = s;
        value_count(t, f) = j;
    }
    *flag = 0;
    return 0;
}

void CFZDEL(const int32_t *table, const int32_t *k, const int32_t *m) {
    int32_t t = *table, f = *k;
    if (!valid_field(t, f))
        return;
    int32_t q = value_count(t, f), r = *m < q ? kt::nonneg(*m) : q;
    if (r == 0)
        return;
    for (int32_t j = q; j > q - r; --j)
        STRFS(&value_cell(t, f, j));
    resize_values(t, f, q - r); // shrinking is never refused
    value_count(t, f) = q - r;
}

int32_t CFNGX(const int32_t *table, const char *name, int32_t *k, int32_t name_len) {
    int32_t t = *table;
    *k = 0;
    if (t == 0)
        return 0;
    std::string_view cut = cut_name(name, name_len);
    int32_t len = length_of(cut);
    for (int32_t f = field_count(t); f >= 1; --f) {
        std::string_view own = string_view_of(field_name(t, f));
        int32_t own_len = length_of(own);
        if (UISCMP(cut.data(), &len, own.data(), &own_len, len, own_len) == 0) {
            *k = f;
            return f;
        }
    }
    return 0;
}

int32_t CFXGN(const int32_t *table, const int32_t *k, int32_t *name) {
    *name = valid_field(*table, *k) ? field_name(*table, *k) : 0;
    return *name;
}

int32_t c_cfi(int32_t *table) { return CFI(table); }
void c_cfd(int32_t *table) { CFD(table); }
int32_t c_cfc(int32_t table, int32_t *n) { return CFC(&table, n); }
int32_t c_cfngx(int32_t table, const char *name, int32_t *k) {
    return CFNGX(&table, c_text(name), k, terminated_length(name));
}
int32_t c_cfzfld(int32_t table, const char *name, int32_t *k) {
    return CFZFLD(&table, c_text(name), k, terminated_length(name));
}
int32_t c_cfxgn(int32_t table, int32_t k, int32_t *name) { return CFXGN(&table, &k, name); }

} // extern "C"

KT_FORTRAN_ALIAS(CFI, cfi_);
KT_FORTRAN_ALIAS(CFD, cfd_);
KT_FORTRAN_ALIAS(CFC, cfc_);
KT_FORTRAN_ALIAS(CFZSA, cfzsa_);
KT_FORTRAN_ALIAS(CFZFLD, cfzfld_);
KT_FORTRAN_ALIAS(CFZADD, cfzadd_);
KT_FORTRAN_ALIAS(CFZDEL, cfzdel_);
KT_FORTRAN_ALIAS(CFNGX, cfngx_);
KT_FORTRAN_ALIAS(CFXGN, cfxgn_);
