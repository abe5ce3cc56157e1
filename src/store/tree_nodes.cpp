// Tree nodes: creation, freeing, linking, unlinking and deleting.
//
// Linking and unlinking renumber depths only inside the moved subtree:
// every other node keeps its parent, so its depth is still right. TRADD
// refuses anything that would break the sibling chains or close a cycle,
// since a cycle would make every walk run forever.
#include "common/fortran_alias.h"
#include "host/store_requester.h"
#include "host/host_calls.h"
#include "kt/tree.h"
#include "tree_cells.h"

using namespace kt::tree;

namespace {

bool is_detached_root(int32_t x) { return parent_of(x) == 0 && next_of(x) == 0 && previous_of(x) == 0; }

int32_t root_of(int32_t v) {
    while (parent_of(v) != 0)
        v = parent_of(v);
    return v;
}

// Sets depth(v) = depth(parent(v)) + 1 below x (and for x itself if asked).
void renumber_below(int32_t x, bool include_x) {
    if (include_x)
        depth_of(x) = depth_of(parent_of(x)) + 1;
    for (int32_t v = preorder_next(x, false, x); v != 0; v = preorder_next(v, false, x))
        depth_of(v) = depth_of(parent_of(v)) + 1;
}

// Links x between the neighbouring siblings a and b, under their parent.
void link_between(int32_t a, int32_t x, int32_t b) {
    next_of(a) = previous_of(b) = x;
    previous_of(x) = a;
    next_of(x) = b;
    parent_of(x) = parent_of(a);
}

void link_as_offspring(int32_t parent, int32_t x, bool first) {
    if (first_of(parent) == 0) {
        first_of(parent) = last_of(parent) = x;
    } else if (first) {
        previous_of(first_of(parent)) = x;
        next_of(x) = first_of(parent);
        first_of(parent) = x;
    } else {
        next_of(last_of(parent)) = x;
        previous_of(x) = last_of(parent);
        last_of(parent) = x;
    }
    parent_of(x) = parent;
}

} // namespace

extern "C" {

int32_t TRGS(int32_t *node) {
    kt::StoreRequester as("TRGS");
    int32_t v = 0;
    *node = 0;
    if (!kt::store_get(kNodeCells, &v, kIntSize, kClass))
        return 0;
    for (int32_t i = 1; i <= kNodeCells; ++i)
        kt_set_icell(v + i, 0);
    *node = v;
    return v;
}

void TRFS(const int32_t *node) {
    int32_t v = *node; // FSTORE clears its argument; the caller's stays
    if (v != 0)
        kt::store_free(kNodeCells, &v, kIntSize);
}

int32_t TRADD(const int32_t *reference, const int32_t *node, const int32_t *mode) {
    int32_t r = *reference, x = *node, m = *mode;
    if (r == 0 || x == 0 || m < KT_TR_NEXT || m > KT_TR_LAST || !is_detached_root(x) || root_of(r) == x)
        return 0;
    int32_t parent = parent_of(r);
    if (m == KT_TR_NEXT || m == KT_TR_PREVIOUS) {
        if (parent == 0)
            return 0;
        if (m == KT_TR_NEXT && next_of(r) != 0)
            link_between(r, x, next_of(r));
        else if (m == KT_TR_PREVIOUS && previous_of(r) != 0)
            link_between(previous_of(r), x, r);
        else
            link_as_offspring(parent, x, m == KT_TR_PREVIOUS);
    } else {
        link_as_offspring(r, x, m == KT_TR_FIRST);
    }
    renumber_below(x, true);
    return x;
}

void TRULNK(const int32_t *node) {
    int32_t x = *node;
    if (x == 0)
        return;
    int32_t p = previous_of(x), s = next_of(x), parent = parent_of(x);
    if (p != 0)
        next_of(p) = s;
    else if (parent != 0)
        first_of(parent) = s;
    if (s != 0)
        previous_of(s) = p;
    else if (parent != 0)
        last_of(parent) = p;
    previous_of(x) = next_of(x) = parent_of(x) = 0;
    depth_of(x) = 1;
    renumber_below(x, false);
}

int32_t TRDEL(const int32_t *root) {
    int32_t r = *root;
    if (r == 0)
        return 0;
    for (int32_t v = deepest_first(r); v != 0; v = postorder_next(v, r))
        if (record_of(v) != 0)
            return 1;
    // Freeing a linked node would leave its parent and siblings pointing at
    // freed cells, and an unbounded walk would free them too.
    if (!is_detached_root(r))
        TRULNK(root);
    for (int32_t v = deepest_first(r); v != 0;) {
        int32_t next = postorder_next(v, r);
        TRFS(&v);
        v = next;
    }
    return 0;
}

} // extern "C"

KT_FORTRAN_ALIAS(TRGS, trgs_);
KT_FORTRAN_ALIAS(TRFS, trfs_);
KT_FORTRAN_ALIAS(TRADD, tradd_);
KT_FORTRAN_ALIAS(TRULNK, trulnk_);
KT_FORTRAN_ALIAS(TRDEL, trdel_);
