// Generic lists: descriptors, items, handles and generators.
//
// Every allocation that fails ends the process (error 2012, then the fatal
// assertion report) so no function here ever hands back a half-made list.
#include "heap.h"
#include "kt/system.h"
#include "ls_internal.h"

using namespace kt::packages;

namespace kt::packages {

void list_out_of_memory(ListLine line) {
    report_no_memory();
    assertion_failed(line, "list");
}

// Unlinks and frees x, giving its data; `none` when there is no item.
lsStatus take_item(ls_item *x, lsGeneric *data, lsStatus none) {
    if (!x) {
        set_out(data, nullptr);
        return none;
    }
    unlink_item(x);
    set_out(data, x->data);
    release(x);
    return LS_OK;
}

lsStatus delete_before(ls_gen *gen, lsGeneric *data) {
    ls_item *x = gen->before;
    if (x)
        gen->before = x->prev;
    return take_item(x, data, LS_BADSTATE);
}

lsStatus delete_after(ls_gen *gen, lsGeneric *data) {
    ls_item *x = gen->after;
    if (x)
        gen->after = x->next;
    return take_item(x, data, LS_BADSTATE);
}

} // namespace kt::packages

namespace {

ls_item *new_item(ls_list *l, lsGeneric data, ls_item *prev, ls_item *next, ListLine line) {
    auto *x = allocate_one<ls_item>();
    if (!x)
        list_out_of_memory(line);
    x->data = data;
    link_item(l, x, prev, next);
    return x;
}

ls_gen *new_gen(ls_list *l, ls_item *before, ls_item *after, ListLine line) {
    auto *g = allocate_one<ls_gen>();
    if (!g)
        list_out_of_memory(line);
    *g = {l, before, after};
    return g;
}

void set_handle(lsHandle *out, ls_item *x) {
    if (out)
        *out = x;
}

// Data and handle of an item, or LS_NOMORE with both cleared for none.
lsStatus give_item(ls_item *x, lsGeneric *data, lsHandle *handle) {
    set_out(data, x ? x->data : nullptr);
    set_handle(handle, x);
    return x ? LS_OK : LS_NOMORE;
}

// At an end the new item becomes the list's first or last item, next to
// whatever is there now (items added at that end since the generator was
// made stay in the list), and reports that function's line when memory
// runs out.
ls_item *insert_at(ls_gen *gen, lsGeneric data, ListLine middle_line) {
    ls_list *l = gen->list;
    if (!gen->before)
        return new_item(l, data, nullptr, l->first, kLineNewBegin);
    if (!gen->after)
        return new_item(l, data, l->last, nullptr, kLineNewEnd);
    return new_item(l, data, gen->before, gen->after, middle_line);
}

} // namespace

extern "C" {

lsList lsCreate(void) {
    auto *l = allocate_one<ls_list>();
    if (!l)
        list_out_of_memory(kLineCreate);
    *l = {nullptr, nullptr, 0};
    return l;
}

lsStatus lsDestroy(lsList list, lsDelFunc del) {
    for (ls_item *x = list->first, *next = nullptr; x; x = next) {
        next = x->next;
        if (del)
            del(x->data);
        release(x);
    }
    release(list);
    return LS_OK;
}

int lsLength(lsList list) { return list->length; }

lsStatus lsNewBegin(lsList list, lsGeneric data, lsHandle *handle) {
    set_handle(handle, new_item(list, data, nullptr, list->first, kLineNewBegin));
    return LS_OK;
}

lsStatus lsNewEnd(lsList list, lsGeneric data, lsHandle *handle) {
    set_handle(handle, new_item(list, data, list->last, nullptr, kLineNewEnd));
    return LS_OK;
}

lsStatus lsFirstItem(lsList list, lsGeneric *data, lsHandle *handle) { return give_item(list->first, data, handle); }

lsStatus lsLastItem(lsList list, lsGeneric *data, lsHandle *handle) { return give_item(list->last, data, handle); }

lsStatus lsDelBegin(lsList list, lsGeneric *data) { return take_item(list->first, data, LS_NOMORE); }

lsStatus lsDelEnd(lsList list, lsGeneric *data) { return take_item(list->last, data, LS_NOMORE); }

lsGen lsStart(lsList list) { return new_gen(list, nullptr, list->first, kLineStart); }

lsGen lsEnd(lsList list) { return new_gen(list, list->last, nullptr, kLineEnd); }

lsGen lsGenHandle(lsHandle handle, lsGeneric *data, int option) {
    set_out(data, handle->data);
    if (option & LS_BEFORE)
        return new_gen(handle->list, handle->prev, handle, kLineGenHandle);
    if (option & LS_AFTER)
        return new_gen(handle->list, handle, handle->next, kLineGenHandle);
    return nullptr;
}

lsStatus lsNext(lsGen gen, lsGeneric *data, lsHandle *handle) {
    ls_item *x = gen->after;
    if (x) {
        gen->before = x;
        gen->after = x->next;
    }
    return give_item(x, data, handle);
}

lsStatus lsPrev(lsGen gen, lsGeneric *data, lsHandle *handle) {
    ls_item *x = gen->before;
    if (x) {
        gen->after = x;
        gen->before = x->prev;
    }
    return give_item(x, data, handle);
}

lsStatus lsInBefore(lsGen gen, lsGeneric data, lsHandle *handle) {
    gen->before = insert_at(gen, data, kLineInBefore);
    set_handle(handle, gen->before);
    return LS_OK;
}

lsStatus lsInAfter(lsGen gen, lsGeneric data, lsHandle *handle) {
    gen->after = insert_at(gen, data, kLineInAfter);
    set_handle(handle, gen->after);
    return LS_OK;
}

lsStatus lsDelBefore(lsGen gen, lsGeneric *data) { return delete_before(gen, data); }

lsStatus lsDelAfter(lsGen gen, lsGeneric *data) { return delete_after(gen, data); }

lsStatus lsFinish(lsGen gen) {
    release(gen);
    return LS_OK;
}

lsList lsQueryHandle(lsHandle handle) { return handle ? handle->list : nullptr; }

lsGeneric lsFetchHandle(lsHandle handle) { return handle->data; }

lsStatus lsReplaceData(lsHandle handle, lsGeneric data) {
    handle->data = data;
    return LS_OK;
}

lsStatus lsRemoveItem(lsHandle handle, lsGeneric *data) {
    ls_gen here{handle->list, handle->prev, handle};
    return delete_after(&here, data);
}

} // extern "C"
