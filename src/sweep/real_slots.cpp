// The real slot list: ten reals parked under the handles 1..10 (RLINIT,
// RLPUT, RLCONV, RLGET, RLSAVE).
//
// A state cell per slot: -1 free, 1 in use. Before RLINIT no slot is free.
// A negative handle reads its value negated, so a caller hands on the
// negation of a parked value by negating the handle.
#include "common/fortran_alias.h"
#include "kt/slot_list.h"
#include "slot_pool.h"

using namespace kt::text;

namespace {

constexpr int32_t kInUse = 1;

double g_values[kSlots];
int32_t g_state[kSlots]; // zero: not free until RLINIT

} // namespace

extern "C" {

void RLINIT(void) { free_all_slots(g_state); }
KT_FORTRAN_ALIAS(RLINIT, rlinit_);

int32_t RLPUT(const double *value) {
    const int32_t slot = lowest_free_slot(g_state, "rlput: ptlist overflow");
    g_values[slot - 1] = *value;
    g_state[slot - 1] = kInUse;
    return slot;
}
KT_FORTRAN_ALIAS(RLPUT, rlput_);

int32_t RLCONV(const int32_t *value) {
    double v = *value;
    return RLPUT(&v);
}
KT_FORTRAN_ALIAS(RLCONV, rlconv_);

double RLGET(const int32_t *handle) {
    const int32_t h = *handle;
    if (h == 0 || h < -kSlots || h > kSlots)
        return 0.0;
    const int32_t slot = h < 0 ? -h : h;
    g_state[slot - 1] = kFreeSlot;
    const double v = g_values[slot - 1];
    return h < 0 ? -v : v;
}
KT_FORTRAN_ALIAS(RLGET, rlget_);

int32_t RLSAVE(const int32_t *text, const int32_t *n) {
    double v = RLCNVR(text, n);
    return RLPUT(&v);
}
KT_FORTRAN_ALIAS(RLSAVE, rlsave_);

} // extern "C"
