// Reordering one generic list to follow another.
//
// A matched item of B is moved, not copied, to the end of B: nothing is
// allocated, and handles to B's items stay valid.
#include "kt/system.h"
#include "ls_internal.h"

using namespace kt::packages;

extern "C" lsStatus lsReorderToMatch(lsList a, lsList b, lsMatchFunc match) {
    if (!a || !b)
        assertion_failed(22, "lsreord");
    const int na = a->length, nb = b->length;
    int moved = 0;
    for (ls_item *x = a->first; x; x = x->next) {
        ls_item *y = b->first;
        while (y && (match(x->data, y->data) & 0xFFFF) == 0)
            y = y->next;
        if (!y)
            continue;
        ++moved;
        unlink_item(y);
        link_item(b, y, b->last, nullptr);
    }
    if (nb > na)
        return LS_BADSTATE;
    if (moved != nb)
        return LS_BADSTATE;
    return nb == na ? LS_OK : LS_BADPARAM;
}
