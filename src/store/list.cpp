// Managed lists: growable sequences of integer cells in the word store.
//
// Growth goes through XSTORE, which may move the entries block. Values
// appended from the list's own entries (LSTA of a list onto itself, LSTEA
// of a slice of the list) are therefore located by offset and read again
// after the growth, never through the old address. LSTE itself is defined
// inline in kt/store.h, so that C++ callers append into room without a
// call; this file emits it for everyone else and holds its growth.
#include <cstring>

#include "common/fortran_alias.h"
#include "host/store_requester.h"
#include "common/cells.h"
#include "host/headed_block.h"
#include "host/host_calls.h"
#include "common/nonneg.h"
#include "kt/host.h"
#include "kt/store.h"

namespace {

using kt::kIntSize;
using kt::nonneg;
constexpr int32_t kHeaderCells = 4, kMinCapacity = 2;

// The four header cells of list `l`.
int32_t &entries_of(int32_t l) { return *kt_iptr(l + 1); }
int32_t &count_of(int32_t l) { return *kt_iptr(l + 2); }
int32_t &capacity_of(int32_t l) { return *kt_iptr(l + 3); }
int32_t &kind_of(int32_t l) { return *kt_iptr(l + 4); }
int32_t *entry_ptr(int32_t l, int32_t i) { return kt_iptr(entries_of(l) + i); }

// Resizes the entries block to `capacity` cells; the list is unchanged on failure.
bool resize_entries(int32_t l, int64_t capacity) {
    if (capacity > INT32_MAX)
        return false;
    int32_t cap = static_cast<int32_t>(capacity), block = entries_of(l);
    if (!kt::store_resize(cap, &block, kIntSize, capacity_of(l)))
        return false;
    entries_of(l) = block;
    capacity_of(l) = cap;
    return true;
}

} // namespace

extern "C" {

int32_t LSTI(const int32_t *capacity, const int32_t *kind, int32_t *list) {
    int32_t sclass = *kind == 1 ? 0 : -1, cap = *capacity > kMinCapacity ? *capacity : kMinCapacity;
    kt::StoreRequester as("LSTI");
    *list = 0;
    int32_t header = kt::store_get_headed(kHeaderCells, cap, kIntSize, sclass);
    if (header == 0)
        return 0;
    count_of(header) = 0;
    capacity_of(header) = cap;
    kind_of(header) = *kind;
    *list = header;
    return header;
}

// The value comes by copy: it may live in the entries block that is about to move.
int32_t kt_lste_grow(int32_t l, int32_t v) {
    if (!resize_entries(l, int64_t{2} * capacity_of(l)))
        return 0;
    int32_t n = ++count_of(l);
    *entry_ptr(l, n) = v;
    return n;
}

int32_t LSTEA(const int32_t *list, const int32_t *values, const int32_t *n) {
    int32_t l = *list, add = nonneg(*n);
    if (l == 0)
        return 0;
    int32_t count = count_of(l), cap = capacity_of(l);
    if (int64_t{count} + add > cap) {
        const int32_t *own = entry_ptr(l, 1);
        bool inside = values >= own && values < own + cap;
        ptrdiff_t offset = values - own;
        int64_t grown = int64_t{2} * cap > int64_t{cap} + add ? int64_t{2} * cap : int64_t{cap} + add;
        if (!resize_entries(l, grown))
            return 0;
        if (inside)
            values = entry_ptr(l, 1) + offset;
    }
    if (add > 0)
        std::memmove(entry_ptr(l, count + 1), values, static_cast<size_t>(add) * sizeof(int32_t));
    count_of(l) = count + add;
    return count + add;
}

int32_t LSTA(const int32_t *source, const int32_t *target) {
    int32_t s = *source;
    if (s == 0 || count_of(s) == 0)
        return *target;
    int32_t n = count_of(s);
    return LSTEA(target, entry_ptr(s, 1), &n) ? *target : 0;
}

int32_t LSTGMS(const int32_t *list, const int32_t *minimum, int32_t *out) {
    int32_t l = *list, min = nonneg(*minimum);
    *out = l;
    if (l == 0 || capacity_of(l) >= min)
        return l;
    int32_t cap = capacity_of(l);
    int64_t grown = int64_t{cap} + min > int64_t{2} * cap ? int64_t{cap} + min : int64_t{2} * cap;
    if (!resize_entries(l, grown)) {
        *out = 0;
        return 0;
    }
    return l;
}

void LSTT(const int32_t *list) {
    int32_t l = *list;
    if (l == 0)
        return;
    resize_entries(l, count_of(l) > kMinCapacity ? count_of(l) : kMinCapacity);
}

void LSTD(int32_t *list) {
    int32_t l = *list;
    if (l == 0)
        return;
    kt::store_free_headed(kHeaderCells, list, capacity_of(l), kIntSize);
    *list = 0;
}

void LSTO(const int32_t *list, const char *title, int32_t title_len) {
    OOCV(title, title_len);
    int32_t l = *list, n = l ? count_of(l) : 0;
    for (int32_t i = 1; i <= n; ++i) {
        kt::print(" ");
        OOI(entry_ptr(l, i));
    }
    OOWRIT();
}

} // extern "C"

KT_FORTRAN_ALIAS(LSTI, lsti_);
KT_FORTRAN_ALIAS(LSTE, lste_);
KT_FORTRAN_ALIAS(LSTEA, lstea_);
KT_FORTRAN_ALIAS(LSTA, lsta_);
KT_FORTRAN_ALIAS(LSTGMS, lstgms_);
KT_FORTRAN_ALIAS(LSTT, lstt_);
KT_FORTRAN_ALIAS(LSTD, lstd_);
KT_FORTRAN_ALIAS(LSTO, lsto_);
