// Walking a whole generic list: apply-to-each in both directions and copying.
//
// The walks keep their generator on the stack: nothing to allocate, and
// nothing to leak when a callback's answer ends the walk early.
#include "ls_internal.h"

using namespace kt::packages;

namespace {

using Step = lsStatus (*)(lsGen, lsGeneric *, lsHandle *);
using Delete = lsStatus (*)(ls_gen *, lsGeneric *);

// Steps with `step`; an LS_DELETE answer deletes the item just passed.
lsStatus walk(ls_gen gen, Step step, Delete remove_passed, lsApplyFunc apply, lsGeneric arg) {
    lsGeneric data = nullptr;
    while (step(&gen, &data, nullptr) == LS_OK) {
        switch (apply(data, arg)) {
        case LS_OK:
            break;
        case LS_STOP:
            return LS_STOP;
        case LS_DELETE:
            remove_passed(&gen, &data);
            break;
        default:
            return LS_BADPARAM;
        }
    }
    return LS_OK;
}

} // namespace

extern "C" {

lsStatus lsForeach(lsList list, lsApplyFunc apply, lsGeneric arg) {
    return walk(ls_gen{list, nullptr, list->first}, lsNext, delete_before, apply, arg);
}

lsStatus lsBackeach(lsList list, lsApplyFunc apply, lsGeneric arg) {
    return walk(ls_gen{list, list->last, nullptr}, lsPrev, delete_after, apply, arg);
}

lsList lsCopy(lsList list, lsCopyFunc copy) {
    lsList result = lsCreate();
    for (ls_item *x = list->first; x; x = x->next)
        lsNewEnd(result, copy ? copy(x->data) : x->data, nullptr);
    return result;
}

} // extern "C"
