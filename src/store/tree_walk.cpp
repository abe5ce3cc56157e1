// Tree walks that keep no state: each call takes the current node and
// gives the next one, top-down (pre-order) or bottom-up (post-order).
// A 0 current node gives 0.
#include "common/fortran_alias.h"
#include "host/host_calls.h"
#include "kt/tree.h"
#include "tree_cells.h"

using namespace kt::tree;

namespace {

// The pre-order step for any code, into *next: 0 descends, 1 skips the
// offspring, and anything else is reported and skips. Out of line and
// reached by a tail call, so that the usual step (code 0) makes no call and
// saves no register.
[[gnu::noinline]] int32_t step_with_code(int32_t u, int32_t code, int32_t stop, int32_t *next,
                                         std::string_view routine) {
    if (code != 0 && code != 1) {
        const int32_t misuse = 1000;
        ERFBAK();
        kt::raise(misuse, routine);
    }
    return *next = u == 0 ? 0 : preorder_next(u, code != 0, stop);
}

} // namespace

extern "C" {

int32_t TRITD(const int32_t *start, int32_t *current) {
    *current = *start;
    return *start;
}

int32_t TRNTD(const int32_t *current, const int32_t *code, int32_t *next) {
    int32_t u = *current, c = *code;
    if (u != 0 && c == 0)
        return *next = preorder_next(u, false, 0);
    return step_with_code(u, c, 0, next, "trntd");
}

int32_t TRNTDS(const int32_t *current, const int32_t *code, const int32_t *stop, int32_t *next) {
    int32_t u = *current, c = *code;
    if (u != 0 && c == 0)
        return *next = preorder_next(u, false, *stop);
    return step_with_code(u, c, *stop, next, "trntds");
}

int32_t TRIBU(const int32_t *root, int32_t *current) {
    int32_t r = *root;
    return *current = r == 0 ? 0 : deepest_first(r);
}

int32_t TRNBU(const int32_t *current, int32_t *next) {
    int32_t u = *current;
    return *next = u == 0 ? 0 : postorder_next(u, 0);
}

int32_t TRNBUS(const int32_t *current, const int32_t *stop, int32_t *next) {
    int32_t u = *current;
    return *next = u == 0 ? 0 : postorder_next(u, *stop);
}

} // extern "C"

KT_FORTRAN_ALIAS(TRITD, tritd_);
KT_FORTRAN_ALIAS(TRNTD, trntd_);
KT_FORTRAN_ALIAS(TRNTDS, trntds_);
KT_FORTRAN_ALIAS(TRIBU, tribu_);
KT_FORTRAN_ALIAS(TRNBU, trnbu_);
KT_FORTRAN_ALIAS(TRNBUS, trnbus_);
