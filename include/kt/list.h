/** @file
 * Generic lists: doubly linked lists of one-word data items on the process
 * heap, with generators for walking, inserting and deleting, handles that
 * name an item directly, and bulk operations.
 *
 * A list owns its items, never the data words in them: data reach the
 * caller's callbacks (delete, copy, compare) when an operation says so.
 * A generator sits between two neighbouring items (or at an end); it stays
 * valid while those items exist, and deleting through the generator itself
 * keeps it valid. A handle is valid while its item is in a list.
 *
 * Running out of memory is not reported to the caller: the package reports
 * error 2012 and ends the process.
 *
 * No function checks for a null list, generator or handle unless it says so.
 * Not reentrant: callers serialise access to a list. */
#ifndef KT_LIST_H
#define KT_LIST_H

#include "kt/abi.h"

KT_BEGIN_C

typedef void *lsGeneric;          /**< one data word: a pointer or an integer */
typedef struct ls_list *lsList;   /**< list descriptor */
typedef struct ls_item *lsHandle; /**< an item, named directly */
typedef struct ls_gen *lsGen;     /**< generator (cursor between two items) */
typedef int lsStatus;             /**< LS_OK or one of the codes below */

/** Results of the list functions, and answers of an apply callback. */
enum {
    LS_OK = 0,        /**< done */
    LS_NOMORE = -1,   /**< empty list, or the generator is at that end */
    LS_BADPARAM = -2, /**< an apply callback returned something other than 0, 3 or 4 */
    LS_BADSTATE = -3, /**< nothing to delete at the generator; reordering did not match every item */
    LS_STOP = 3,      /**< apply callback: stop the walk */
    LS_DELETE = 4     /**< apply callback: delete the item just visited and go on */
};

/** Options of lsGenHandle. */
enum {
    LS_BEFORE = 1, /**< the generator sits just before the item */
    LS_AFTER = 2   /**< the generator sits just after the item */
};

typedef void (*lsDelFunc)(lsGeneric data);                      /**< frees one data word */
typedef lsGeneric (*lsCopyFunc)(lsGeneric data);                /**< copies one data word */
typedef int (*lsCompareFunc)(lsGeneric a, lsGeneric b);         /**< <0, 0, >0 */
typedef lsStatus (*lsApplyFunc)(lsGeneric data, lsGeneric arg); /**< 0, LS_STOP or LS_DELETE */
typedef int (*lsMatchFunc)(lsGeneric a, lsGeneric b);           /**< only the low 16 bits count */

/** A new, empty list (never null: running out of memory ends the process). */
KT_API lsList lsCreate(void);
/** Calls del (if given) on every data word, first to last, and frees the
 * list; LS_OK. */
KT_API lsStatus lsDestroy(lsList list, lsDelFunc del);
/** The number of items. */
KT_API int lsLength(lsList list);

/// @{
/** New first / last item; *handle (when not null) names it. LS_OK. */
KT_API lsStatus lsNewBegin(lsList list, lsGeneric data, lsHandle *handle);
KT_API lsStatus lsNewEnd(lsList list, lsGeneric data, lsHandle *handle);
/// @}
/// @{
/** Data and handle (each when not null) of the first / last item: LS_OK,
 * or LS_NOMORE with both 0 when empty. */
KT_API lsStatus lsFirstItem(lsList list, lsGeneric *data, lsHandle *handle);
KT_API lsStatus lsLastItem(lsList list, lsGeneric *data, lsHandle *handle);
/// @}
/// @{
/** Remove the first / last item and give its data: LS_OK, or LS_NOMORE
 * with 0 when empty. */
KT_API lsStatus lsDelBegin(lsList list, lsGeneric *data);
KT_API lsStatus lsDelEnd(lsList list, lsGeneric *data);
/// @}

/// @{
/** Generators: before the first item, after the last, or next to an item
 * (LS_BEFORE: just before it, else LS_AFTER: just after it, neither: no
 * generator, null, but *data is still set). Each is freed by lsFinish. */
KT_API lsGen lsStart(lsList list);
KT_API lsGen lsEnd(lsList list);
KT_API lsGen lsGenHandle(lsHandle handle, lsGeneric *data, int option);
/// @}
/// @{
/** Step over the item after / before the generator, giving its data and
 * handle: LS_OK, or LS_NOMORE with 0 at the end. */
KT_API lsStatus lsNext(lsGen gen, lsGeneric *data, lsHandle *handle);
KT_API lsStatus lsPrev(lsGen gen, lsGeneric *data, lsHandle *handle);
/// @}
/// @{
/** Insert at the generator so that the new item ends up before / after it;
 * *handle (when not null) names it. LS_OK. */
KT_API lsStatus lsInBefore(lsGen gen, lsGeneric data, lsHandle *handle);
KT_API lsStatus lsInAfter(lsGen gen, lsGeneric data, lsHandle *handle);
/// @}
/// @{
/** Delete the item before / after the generator and give its data: LS_OK,
 * or LS_BADSTATE with 0 when there is none. */
KT_API lsStatus lsDelBefore(lsGen gen, lsGeneric *data);
KT_API lsStatus lsDelAfter(lsGen gen, lsGeneric *data);
/// @}
/** Frees the generator; LS_OK. */
KT_API lsStatus lsFinish(lsGen gen);

/** The list holding the handle's item; null for a null handle. */
KT_API lsList lsQueryHandle(lsHandle handle);
/** The data of the handle's item. */
KT_API lsGeneric lsFetchHandle(lsHandle handle);
/** Replaces the data of the handle's item; LS_OK. */
KT_API lsStatus lsReplaceData(lsHandle handle, lsGeneric data);
/** Removes the handle's item and gives its data; LS_OK. The handle is
 * invalid afterwards. */
KT_API lsStatus lsRemoveItem(lsHandle handle, lsGeneric *data);

/** Stable merge sort; allocates nothing. LS_OK. */
KT_API lsStatus lsSort(lsList list, lsCompareFunc compare);
/** Removes adjacent duplicates (the first of each equal run stays); del, if
 * given, receives the data of every removed item. LS_OK. */
KT_API lsStatus lsUniq(lsList list, lsCompareFunc compare, lsDelFunc del);
/** New list of copy(data) for each item in order (the data themselves when
 * copy is null). */
KT_API lsList lsCopy(lsList list, lsCopyFunc copy);
/// @{
/** Calls apply(data, arg) first to last / last to first: 0 goes on, LS_STOP
 * stops (result LS_STOP), LS_DELETE deletes the item and goes on, anything
 * else stops with LS_BADPARAM. LS_OK when every item was visited. */
KT_API lsStatus lsForeach(lsList list, lsApplyFunc apply, lsGeneric arg);
KT_API lsStatus lsBackeach(lsList list, lsApplyFunc apply, lsGeneric arg);
/// @}
/** Moves the items of b that match an item of a to the end of b, in a's
 * order. LS_OK when both have the same length and every item of b moved;
 * LS_BADPARAM when b is shorter and every item moved; else LS_BADSTATE. */
KT_API lsStatus lsReorderToMatch(lsList a, lsList b, lsMatchFunc match);

KT_END_C

#endif
