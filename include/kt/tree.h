/** @file
 * Trees: general ordered trees whose nodes are 10-cell word-store blocks
 * (storage class 0), named by their index; 0 is no node.
 *
 * Cells: 1 next sibling, 2 previous sibling, 3 first offspring, 4 last
 * offspring, 5 parent, 6 depth, 8 the caller's record, 9 the caller's flag
 * (7 and 10 unused). Siblings form a doubly linked chain whose ends are the
 * parent's first and last offspring; depth(v) = depth(parent(v)) + 1. A
 * root has no parent and no siblings.
 *
 * The iterators keep no state: the caller holds the current node. The
 * unbounded ones go on past the start node's subtree into its following
 * siblings and ancestors; the bounded ones (TRNTDS, TRNBUS) stay inside
 * the stop node's subtree. */
#ifndef KT_TREE_H
#define KT_TREE_H

#include <stdint.h>

#include "kt/abi.h"

KT_BEGIN_C

/** Insertion modes of TRADD: after, before, first offspring, last offspring. */
enum {
    KT_TR_NEXT = 1,     /**< as the reference's next sibling */
    KT_TR_PREVIOUS = 2, /**< as its previous sibling */
    KT_TR_FIRST = 3,    /**< as its first offspring */
    KT_TR_LAST = 4      /**< as its last offspring */
};

/** A new detached node, all cells 0: its index, also stored in *node; 0
 * when the store refuses. */
KT_API int32_t TRGS(int32_t *node);
/** Frees the 10 cells only: no links are touched, *node is left as it is. */
KT_API void TRFS(const int32_t *node);
/** Links root x (with its subtree) relative to reference r; returns x, or 0
 * with nothing changed when r or x is 0, the mode is not 1-4, x is not a
 * detached root, r lies in x's tree, or modes 1-2 are asked of a root. */
KT_API int32_t TRADD(const int32_t *reference, const int32_t *node, const int32_t *mode);
/** Detaches the node with its subtree from its parent and siblings; it
 * becomes a root of depth 1 (0: nothing). */
KT_API void TRULNK(const int32_t *node);
/** Frees the tree under root (detached first when it is linked); 1 and
 * nothing freed when any node of it holds a record, else 0. */
KT_API int32_t TRDEL(const int32_t *root);
/** Prints the cells of the node and of every node after it in top-down
 * order, on the current output. */
KT_API void TRDMP(const int32_t *node);

/* Top-down (pre-order) walks. Code 0 descends into the current node's
 * offspring, 1 skips them; any other code is error 1000 and acts as 1. */

/** Starts a top-down walk: *current = start, also returned. */
KT_API int32_t TRITD(const int32_t *start, int32_t *current);
/** The node after current in top-down order (code as above), also stored
 * in *next; 0 at the end or for current 0. */
KT_API int32_t TRNTD(const int32_t *current, const int32_t *code, int32_t *next);
/** As TRNTD, ending (0) when the walk would leave the subtree of stop. */
KT_API int32_t TRNTDS(const int32_t *current, const int32_t *code, const int32_t *stop, int32_t *next);

/* Bottom-up (post-order) walks. */

/** Starts a bottom-up walk: the first node in post-order below root (its
 * deepest first offspring, or root itself), also stored; 0 for root 0. */
KT_API int32_t TRIBU(const int32_t *root, int32_t *current);
/** The node after current in bottom-up order, also stored in *next; 0 at
 * the end or for current 0. */
KT_API int32_t TRNBU(const int32_t *current, int32_t *next);
/** As TRNBU, ending (0) after stop itself. */
KT_API int32_t TRNBUS(const int32_t *current, const int32_t *stop, int32_t *next);

KT_END_C

#endif
