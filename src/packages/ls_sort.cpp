// Sorting a generic list and removing adjacent duplicates.
//
// lsSort is a stable merge sort over the next links that allocates nothing:
// each call sorts the first n items of a chain and hands back the rest, so
// halves are found without walking to the middle. Its recursion is
// log2(length) deep. The prev links are rebuilt in one pass at the end.
#include "heap.h"
#include "ls_internal.h"

using namespace kt::packages;

namespace {

// Merges two sorted, null-terminated chains; on equal data the left item
// comes first, which keeps the sort stable.
ls_item *merge(ls_item *left, ls_item *right, lsCompareFunc compare) {
    ls_item head{};
    ls_item *tail = &head;
    while (left && right) {
        if (compare(left->data, right->data) > 0) {
            tail->next = right;
            right = right->next;
        } else {
            tail->next = left;
            left = left->next;
        }
        tail = tail->next;
    }
    tail->next = left ? left : right;
    return head.next;
}

// Sorts the first n (>= 1) items starting at *chain and returns them as a
// null-terminated chain; *chain moves to the item after them.
ls_item *sort_prefix(ls_item **chain, int n, lsCompareFunc compare) {
    if (n == 1) {
        ls_item *x = *chain;
        *chain = x->next;
        x->next = nullptr;
        return x;
    }
    ls_item *left = sort_prefix(chain, n / 2, compare);
    ls_item *right = sort_prefix(chain, n - n / 2, compare);
    return merge(left, right, compare);
}

} // namespace

extern "C" {

lsStatus lsSort(lsList list, lsCompareFunc compare) {
    if (list->length < 2)
        return LS_OK;
    ls_item *chain = list->first;
    ls_item *sorted = sort_prefix(&chain, list->length, compare);
    ls_item *prev = nullptr;
    list->first = sorted;
    for (ls_item *x = sorted; x; x = x->next) {
        x->prev = prev;
        prev = x;
    }
    list->last = prev;
    return LS_OK;
}

lsStatus lsUniq(lsList list, lsCompareFunc compare, lsDelFunc del) {
    if (list->length < 2)
        return LS_OK;
    ls_item *kept = list->first;
    for (ls_item *x = kept->next, *next = nullptr; x; x = next) {
        next = x->next;
        if (compare(x->data, kept->data) != 0) {
            kept = x;
            continue;
        }
        lsGeneric data = nullptr;
        ls_gen between{list, kept, x};
        delete_after(&between, &data);
        if (del)
            del(data);
    }
    return LS_OK;
}

} // extern "C"
