// Dlist: the untyped list operations shared by the typed faces, and the
// list iterator.
#include "kt/containers_list.h"

Dlist::Dlist(int tag, PWSRegion *region) : region_(region ? region : PWS::GetMallocRegion()), tag_(tag) {}

Dlist_Entry *Dlist::atEntry(int i) const {
    if (i < 0 || i >= count_)
        return nullptr;
    Dlist_Entry *e;
    if (i <= count_ / 2) {
        for (e = head_; i > 0; --i)
            e = e->next;
    } else {
        for (e = tail_, i = count_ - 1 - i; i > 0; --i)
            e = e->prev;
    }
    return e;
}

Dlist_Entry *Dlist::baseAppend(Dlist_Entry *e) { return link_after(tail_, e); }

Dlist_Entry *Dlist::basePrepend(Dlist_Entry *e) { return link_after(nullptr, e); }

Dlist_Entry *Dlist::baseAfter(Dlist_Entry *pos, Dlist_Entry *e) {
    if (!pos) {
        eflag_ = 1;
        return nullptr;
    }
    return link_after(pos, e);
}

// Links e after pos, or at the head when pos is null.
Dlist_Entry *Dlist::link_after(Dlist_Entry *pos, Dlist_Entry *e) {
    if (!e) {
        eflag_ = 1;
        return nullptr;
    }
    Dlist_Entry *&before_next = pos ? pos->next : head_;
    e->prev = pos;
    e->next = before_next;
    (before_next ? before_next->prev : tail_) = e;
    before_next = e;
    ++count_;
    return e;
}

Dlist_Entry *Dlist::baseBefore(Dlist_Entry *pos, Dlist_Entry *e) {
    if (!pos) {
        eflag_ = 1;
        return nullptr;
    }
    return link_after(pos->prev, e);
}

Dlist_Entry *Dlist::baseRemove(Dlist_Entry *e) {
    if (!e)
        return nullptr;
    (e->prev ? e->prev->next : head_) = e->next;
    (e->next ? e->next->prev : tail_) = e->prev;
    e->next = e->prev = nullptr;
    --count_;
    return e;
}

Dlist_Entry *Dlist_Iterator::operator()() {
    if (ended_ || !list_)
        return nullptr;
    cur_ = cur_ ? cur_->next : list_->head_;
    ended_ = cur_ == nullptr;
    return cur_;
}

Dlist_Entry *Dlist_Iterator::unlink_current(bool step_back) {
    Dlist_Entry *e = cur_;
    if (!e)
        return nullptr;
    Dlist_Entry *before = e->prev, *after = e->next;
    list_->baseRemove(e);
    cur_ = step_back ? before : after;
    // Without a successor there is nothing left to visit.
    ended_ = !step_back && !after;
    return e;
}
