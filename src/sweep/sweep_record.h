// The 6-cell record of a sweep list and the sizing rules shared by the
// sweep entries.
//
// Items past a list's count (or past its allocated size) are never read: a
// range that holds fewer than three items reads the missing ones as 0, so
// LPCHK rejects it and it has no points. A list without a data block has
// no points whatever its count says.
#ifndef KT_SRC_SWEEP_SWEEP_RECORD_H
#define KT_SRC_SWEEP_SWEEP_RECORD_H

#include <cstdint>

#include "common/cells.h"
#include "common/nonneg.h"
#include "kt/host.h"

namespace kt::sweep {

constexpr int32_t kRecordCells = 6;
enum Cell : int32_t { kName = 1, kContext, kKind, kData, kCount, kSize };
enum Kind : int32_t { kEmpty = 0, kBy, kLin, kLog, kDec, kOct, kValues, kNames };

using kt::kIntSize;
using kt::kRealSize;
constexpr int32_t kInternalError = 1001;

inline int32_t &cell(int32_t list, Cell c) { return *kt_iptr(list + c); }
inline int32_t kind_of(int32_t list) { return cell(list, kKind); }
inline bool is_range(int32_t kind) { return kind >= kBy && kind <= kOct; }
inline bool is_known(int32_t kind) { return kind >= kBy && kind <= kNames; }
inline int32_t element_size(int32_t kind) { return kind == kNames ? kIntSize : kRealSize; }

// Items that can be read: the count, within the block's size; 0 without data.
inline int32_t item_count(int32_t list) {
    if (cell(list, kData) == 0)
        return 0;
    int32_t count = cell(list, kCount), size = cell(list, kSize);
    return kt::nonneg(count < size ? count : size);
}

inline double *reals(int32_t list) { return kt_rptr(cell(list, kData) + 1); }
inline int32_t *names(int32_t list) { return kt_iptr(cell(list, kData) + 1); }

struct Range {
    double from = 0.0, to = 0.0, third = 0.0;
};

// Fills r field by field: callers on the hot path read it back at once,
// and a whole-struct copy would stall on the fresh scalar stores.
inline void read_range(int32_t list, Range &r) {
    int32_t n = item_count(list);
    const double *v = n > 0 ? reals(list) : nullptr;
    r.from = n >= 1 ? v[0] : 0.0;
    r.to = n >= 2 ? v[1] : 0.0;
    r.third = n >= 3 ? v[2] : 0.0;
}

inline Range range_of(int32_t list) {
    Range r;
    read_range(list, r);
    return r;
}

struct Sizing {
    int32_t points = 0;
    double step = 0.0; // the step of kinds 1 and 2, the ratio of kinds 3-5
};

// The LPCHK code of a list (0 valid), and of a range of a kind 1-5.
int32_t check_code(int32_t list);
int32_t check_range(int32_t kind, const Range &r);
// Points and step of a list; no points for a list that check_code rejects.
// The items of a range are also stored in *range when asked for.
Sizing size_of(int32_t list, Range *range = nullptr);
// Frees the name and the data (with a kind-7 list's strings) and clears
// their cells; the record stays.
void free_contents(int32_t list);

} // namespace kt::sweep

#endif
