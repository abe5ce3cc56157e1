// Inside the list package: the three heap structures and the item surgery
// that every ls_ file shares.
//
// Invariants: first/last are null exactly when length is 0; the items of a
// list form one chain first..last through next, and the same chain reversed
// through prev; every item points at its list. A generator's before-item
// and after-item are neighbours (before->next == after), either may be null
// at an end.
#ifndef KT_SRC_PACKAGES_LS_INTERNAL_H
#define KT_SRC_PACKAGES_LS_INTERNAL_H

#include "kt/list.h"

struct ls_list {
    ls_item *first;
    ls_item *last;
    int length;
};

struct ls_item {
    ls_list *list;
    ls_item *prev;
    ls_item *next;
    lsGeneric data;
};

struct ls_gen {
    ls_list *list;
    ls_item *before;
    ls_item *after;
};

namespace kt::packages {

// Line numbers reported when an allocation of the list package fails.
enum ListLine : int {
    kLineCreate = 82,
    kLineNewBegin = 173,
    kLineNewEnd = 204,
    kLineStart = 383,
    kLineEnd = 401,
    kLineGenHandle = 425,
    kLineInBefore = 548,
    kLineInAfter = 596,
};

// Error 2012, then the fatal assertion report with the file name "list".
[[noreturn]] void list_out_of_memory(ListLine line);

inline void set_out(lsGeneric *out, lsGeneric value) {
    if (out)
        *out = value;
}

// Takes the item out of its list (neighbours, ends, length); does not free it.
inline void unlink_item(ls_item *x) {
    ls_list *l = x->list;
    if (x->prev)
        x->prev->next = x->next;
    else
        l->first = x->next;
    if (x->next)
        x->next->prev = x->prev;
    else
        l->last = x->prev;
    --l->length;
}

// Puts an unlinked item between prev and next (neighbours in the list, or null at an end).
inline void link_item(ls_list *l, ls_item *x, ls_item *prev, ls_item *next) {
    x->list = l;
    x->prev = prev;
    x->next = next;
    if (prev)
        prev->next = x;
    else
        l->first = x;
    if (next)
        next->prev = x;
    else
        l->last = x;
    ++l->length;
}

// Unlinks and frees x, giving its data; `none` (and data 0) for no item.
lsStatus take_item(ls_item *x, lsGeneric *data, lsStatus none);
// Deletes the item after / before a generator, which may live on the stack.
lsStatus delete_after(ls_gen *gen, lsGeneric *data);
lsStatus delete_before(ls_gen *gen, lsGeneric *data);

} // namespace kt::packages

#endif
