// TRDMP: five labelled lines per node, in top-down order from the given
// node until the unbounded walk ends.
#include "common/fortran_alias.h"
#include "kt/tree.h"
#include "tree_cells.h"

using namespace kt::tree;

namespace {

void print_line(const char *label1, int32_t value1, const char *label2, int32_t value2) {
    c_oocs(label1);
    c_ooi(value1);
    if (label2) {
        c_oocs(label2);
        c_ooi(value2);
    }
    c_oowrit();
}

} // namespace

extern "C" {

void TRDMP(const int32_t *node) {
    for (int32_t v = *node; v != 0; v = preorder_next(v, false, 0)) {
        print_line("TR at ", v, nullptr, 0);
        print_line("  last sibling at ", previous_of(v), ", next sibling at ", next_of(v));
        print_line("  first offspring at ", first_of(v), ", last offspring at ", last_of(v));
        print_line("  parent at ", parent_of(v), ", depth = ", depth_of(v));
        print_line("  record at ", record_of(v), ", flag = ", flag_of(v));
    }
}

} // extern "C"

KT_FORTRAN_ALIAS(TRDMP, trdmp_);
