// The string slot list: ten word-store string indices parked under the
// handles 1..10 (SLINIT, SLSAVE, SLGET, SLTERM).
//
// A slot holding -1 is free; before SLINIT every slot holds 0, in use with
// no string, so nothing can be parked until SLINIT has run.
#include "common/fortran_alias.h"
#include "kt/slot_list.h"
#include "kt/text.h"
#include "slot_pool.h"

using namespace kt::text;

namespace {

int32_t g_strings[kSlots];

} // namespace

extern "C" {

void SLINIT(void) { free_all_slots(g_strings); }
KT_FORTRAN_ALIAS(SLINIT, slinit_);

int32_t SLSAVE(const int32_t *value) {
    const int32_t slot = lowest_free_slot(g_strings, "slsave: ptlist overflow");
    g_strings[slot - 1] = *value;
    return slot;
}
KT_FORTRAN_ALIAS(SLSAVE, slsave_);

int32_t SLGET(const int32_t *handle) {
    const int32_t h = *handle;
    if (h < 1 || h > kSlots)
        return 0;
    const int32_t v = g_strings[h - 1];
    g_strings[h - 1] = kFreeSlot;
    return v;
}
KT_FORTRAN_ALIAS(SLGET, slget_);

void SLTERM(void) {
    for (int32_t &s : g_strings) {
        if (s != kFreeSlot)
            UIDSTR(&s);
        s = kFreeSlot;
    }
}
KT_FORTRAN_ALIAS(SLTERM, slterm_);

} // extern "C"
