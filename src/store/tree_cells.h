// The cells of a tree node, shared by the files of the tree family.
#ifndef KT_SRC_STORE_TREE_CELLS_H
#define KT_SRC_STORE_TREE_CELLS_H

#include "common/cells.h"
#include "kt/host.h"

namespace kt::tree {

using kt::kIntSize;
constexpr int32_t kNodeCells = 10, kClass = 0;

// Cell v + k of the integer view. The offset is added in 64 bits, where it
// folds into the address: a walk step then widens v once and loads.
inline int32_t &node_cell(int32_t v, int32_t k) {
    return reinterpret_cast<int32_t *>(kt_store_base)[static_cast<int64_t>(v) + (k - 1)];
}
inline int32_t &next_of(int32_t v) { return node_cell(v, 1); }
inline int32_t &previous_of(int32_t v) { return node_cell(v, 2); }
inline int32_t &first_of(int32_t v) { return node_cell(v, 3); }
inline int32_t &last_of(int32_t v) { return node_cell(v, 4); }
inline int32_t &parent_of(int32_t v) { return node_cell(v, 5); }
inline int32_t &depth_of(int32_t v) { return node_cell(v, 6); }
inline int32_t &record_of(int32_t v) { return node_cell(v, 8); }
inline int32_t &flag_of(int32_t v) { return node_cell(v, 9); }

// The deepest node reached from v through first offspring (v itself if none).
inline int32_t deepest_first(int32_t v) {
    while (first_of(v) != 0)
        v = first_of(v);
    return v;
}

// Pre-order successor of v that stays inside the subtree of stop (0: no
// bound), descending into v's offspring unless skip is set.
inline int32_t preorder_next(int32_t v, bool skip, int32_t stop) {
    if (!skip && first_of(v) != 0)
        return first_of(v);
    for (int32_t n = v; n != 0 && n != stop; n = parent_of(n))
        if (next_of(n) != 0)
            return next_of(n);
    return 0;
}

// Post-order successor of v; 0 after stop.
inline int32_t postorder_next(int32_t v, int32_t stop) {
    if (v == stop)
        return 0;
    return next_of(v) != 0 ? deepest_first(next_of(v)) : parent_of(v);
}

} // namespace kt::tree

#endif
