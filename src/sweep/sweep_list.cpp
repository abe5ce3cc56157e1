// Sweep list records: making (LPI, LPIE), copying (LPCP), freeing (LPD),
// checking (LPCHK) and printing (LPQ).
//
// A record made or filled here either holds complete copies of its name,
// its data and every kind-7 string, or the request fails with nothing of
// the copy left behind: a refused string copy fails the request like a
// refused block.
#include <cstring>

#include "common/fortran_alias.h"
#include "host/store_requester.h"
#include "host/host_calls.h"
#include "common/nonneg.h"
#include "kt/host.h"
#include "kt/sweep.h"
#include "kt/text.h"
#include "sweep_record.h"
#include "store/word_string.h"

using kt::nonneg;
using namespace kt::sweep;

namespace {

constexpr int32_t kContexts[] = {0, 1, 2, 3, 11, 12, 13, 14};

bool valid_context(int32_t c) {
    for (int32_t k : kContexts)
        if (k == c)
            return true;
    return false;
}

void internal_error(std::string_view text) { kt::raise(kInternalError, text); }

// A copy of string s in *copy; false when s names a string and the copy was refused.
bool copy_string(int32_t s, int32_t *copy) {
    *copy = s == 0 ? 0 : UICSTR(&s);
    return s == 0 || *copy != 0;
}

// A new data block of `size` elements in *block holding count items;
// kind-7 strings are copied, the elements past count cleared. On failure
// nothing is left allocated and *block is 0.
bool copy_items(int32_t kind, const void *items, int32_t count, int32_t size, int32_t *block) {
    int32_t esize = element_size(kind);
    *block = 0;
    if (!kt::store_get(size, block, esize, 0))
        return false;
    if (kind != kNames) {
        double *dest = kt_rptr(*block + 1);
        std::memcpy(dest, items, sizeof(double) * static_cast<size_t>(count));
        std::memset(dest + count, 0, sizeof(double) * static_cast<size_t>(size - count));
        return true;
    }
    int32_t *dest = kt_iptr(*block + 1);
    std::memset(dest, 0, sizeof(int32_t) * static_cast<size_t>(size));
    const int32_t *source = static_cast<const int32_t *>(items);
    for (int32_t i = 0; i < count; ++i) {
        if (!copy_string(source[i], &dest[i])) {
            for (int32_t k = 0; k < i; ++k)
                UIDSTR(&dest[k]);
            kt::store_free(size, block, esize);
            *block = 0;
            return false;
        }
    }
    return true;
}

// The caller's items of a kind: elements data + 1 ... of the real view, or
// of the integer view for names.
const void *items_at(int32_t data, int32_t kind) {
    return kind == kNames ? static_cast<const void *>(kt_iptr(data + 1)) : static_cast<const void *>(kt_rptr(data + 1));
}

void print_string(int32_t s) {
    int32_t n = kt::store::string_length(s);
    OOCA(kt::store::string_chars(s), &n, n);
}

void print_real(double v) { OOD(&v); }

} // namespace

namespace kt::sweep {

int32_t check_range(int32_t kind, const Range &r) {
    if (kind == kBy)
        return r.third == 0.0 ? 2 : 0;
    if (r.third <= 0.0)
        return 3;
    if (kind == kLin)
        return 0;
    if ((r.from <= 0.0 && 0.0 <= r.to) || (r.from >= 0.0 && 0.0 >= r.to))
        return 4;
    return 0;
}

int32_t check_code(int32_t list) {
    if (list == 0)
        return 1;
    const int32_t kind = kind_of(list);
    return is_range(kind) ? check_range(kind, range_of(list)) : 0;
}

void free_contents(int32_t list) {
    UIDSTR(&cell(list, kName));
    int32_t kind = kind_of(list);
    if (cell(list, kData) == 0 || !is_known(kind))
        return;
    int32_t size = cell(list, kSize), esize = element_size(kind);
    if (kind == kNames) {
        int32_t *strings = names(list);
        for (int32_t i = 0, n = item_count(list); i < n; ++i)
            UIDSTR(&strings[i]);
    }
    kt::store_free(size, &cell(list, kData), esize);
    cell(list, kData) = 0;
}

} // namespace kt::sweep

extern "C" {

int32_t LPI(int32_t *list) {
    kt::StoreRequester as("LPI");
    *list = 0;
    if (!kt::store_get(kRecordCells, list, kIntSize, 0))
        return 0;
    std::memset(kt_iptr(*list + 1), 0, sizeof(int32_t) * kRecordCells);
    return *list;
}
KT_FORTRAN_ALIAS(LPI, lpi_);

int32_t LPIE(const int32_t *name, const int32_t *context, const int32_t *kind, const int32_t *data,
             const int32_t *count, int32_t *list) {
    kt::StoreRequester as("LPIE");
    *list = 0;
    if (!valid_context(*context)) {
        internal_error("lpie:lpctxt");
        return 0;
    }
    if (!is_known(*kind)) {
        internal_error("lpie:lptype");
        return 0;
    }
    if (LPI(list) == 0)
        return 0;
    const int32_t l = *list, n = nonneg(*count);
    bool ok = copy_string(*name, &cell(l, kName));
    cell(l, kContext) = *context;
    cell(l, kKind) = *kind;
    cell(l, kCount) = n;
    cell(l, kSize) = n;
    if (ok && *data != 0) {
        ok = copy_items(*kind, items_at(*data, *kind), n, n, &cell(l, kData));
    }
    if (!ok)
        LPD(list);
    return *list;
}
KT_FORTRAN_ALIAS(LPIE, lpie_);

int32_t LPCP(const int32_t *source, int32_t *dest, int32_t *status) {
    kt::StoreRequester as("LPCP");
    *status = 1;
    const int32_t src = *source;
    if (src == 0)
        return 1;
    const bool made = *dest == 0;
    if (made && LPI(dest) == 0)
        return 1;
    // The copy is built aside so that a failure leaves a caller's record
    // as it was; a record that also serves as the source stays readable.
    const int32_t kind = kind_of(src);
    int32_t name = 0, block = 0;
    bool ok = copy_string(cell(src, kName), &name);
    if (ok && cell(src, kData) != 0) {
        if (!is_known(kind)) {
            internal_error("lpcp");
            ok = false;
        } else {
            ok = copy_items(kind, items_at(cell(src, kData), kind), item_count(src), nonneg(cell(src, kSize)), &block);
        }
    }
    if (!ok) {
        UIDSTR(&name);
        if (made)
            LPD(dest);
        *status = 1;
        return 1;
    }
    const int32_t d = *dest, context = cell(src, kContext), count = cell(src, kCount), size = cell(src, kSize);
    free_contents(d);
    cell(d, kName) = name;
    cell(d, kContext) = context;
    cell(d, kKind) = kind;
    cell(d, kData) = block;
    cell(d, kCount) = count;
    cell(d, kSize) = size;
    *status = 0;
    return 0;
}
KT_FORTRAN_ALIAS(LPCP, lpcp_);

void LPD(int32_t *list) {
    const int32_t l = *list;
    if (l == 0)
        return;
    if (cell(l, kData) != 0 && !is_known(kind_of(l)))
        internal_error("lpd");
    free_contents(l);
    kt::store_free(kRecordCells, list, kIntSize);
    *list = 0;
}
KT_FORTRAN_ALIAS(LPD, lpd_);

int32_t LPCHK(const int32_t *list, int32_t *code) {
    *code = check_code(*list);
    return *code;
}
KT_FORTRAN_ALIAS(LPCHK, lpchk_);

int32_t c_lpchk(int32_t list, int32_t *code) { return LPCHK(&list, code); }

void LPQ(const int32_t *list) {
    const int32_t l = *list;
    if (l == 0)
        return;
    if (cell(l, kName) != 0) {
        print_string(cell(l, kName));
        kt::print(" ");
    }
    const int32_t kind = kind_of(l), n = item_count(l);
    if (kind == kEmpty)
        return;
    if (!is_known(kind)) {
        internal_error("lpq");
        return;
    }
    if (kind == kNames || kind == kValues) {
        kt::print("in");
        for (int32_t i = 0; i < n; ++i) {
            if (kind == kValues) {
                kt::print(" ");
                print_real(reals(l)[i]);
            } else if (names(l)[i] != 0) {
                kt::print(" ");
                print_string(names(l)[i]);
            }
        }
        return;
    }
    static const char *const kKeywords[] = {"", " by ", " lin ", " log ", " dec ", " oct "};
    Range r = range_of(l);
    kt::print("from ");
    print_real(r.from);
    kt::print(" to ");
    print_real(r.to);
    kt::print(kKeywords[kind]);
    print_real(r.third);
}
KT_FORTRAN_ALIAS(LPQ, lpq_);

} // extern "C"
