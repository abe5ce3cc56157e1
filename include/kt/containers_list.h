/// @file
/// Intrusive lists, ordered trees and directed graphs of the container kit.
///
/// Dlist: a doubly linked list of entries placed in a region; `count`, head
/// and tail always describe the linked entries, and an entry belongs to at
/// most one list. The typed faces own their linked entries: clear() and the
/// destructor give them back to their region; an entry removed (by the list
/// or an iterator) is unlinked and becomes the caller's.
///
/// Tree: a node with parent, first and last child and both siblings; nodes
/// under one parent form a doubly linked row from its first to its last child.
///
/// Grf: nodes 0 .. nn-1 and edges 0 .. ne-1 in growable index arrays; each
/// node's outgoing edges form a chain through `links`, newest first.
#ifndef KT_CONTAINERS_LIST_H
#define KT_CONTAINERS_LIST_H

#include <climits>
#include <cstddef>

#include "kt/containers.h"

typedef int kt_boolean_t; ///< 0 false, non-zero true

// ---- doubly linked lists ---------------------------------------------------

/// Entries live in regions and are freed in the region that owns them.
class KT_API Dlist_Entry : public Region_placed {
public:
    Dlist_Entry *next = nullptr; ///< next entry toward the tail, or null
    Dlist_Entry *prev = nullptr; ///< previous entry toward the head, or null
};

/// An entry holding one value of type T.
template <class T> class Dlist_Entry_of : public Dlist_Entry {
public:
    /// An unlinked entry holding v.
    explicit Dlist_Entry_of(T v = T()) : value(v) {}
    T value; ///< the caller's value
};

using Dlist_Entry_int = Dlist_Entry_of<int>;       ///< entry of an int list
using Dlist_Entry_char_p = Dlist_Entry_of<char *>; ///< entry of a string list
using Dlist_Entry_void_p = Dlist_Entry_of<void *>; ///< entry of a pointer list

/// The untyped list beneath Dlist_of: links ready entries, owns none.
class KT_API Dlist {
public:
    /// An empty list with a caller's tag, in `region` (null: the heap region).
    Dlist(int tag, PWSRegion *region);
    Dlist(const Dlist &) = delete;
    Dlist &operator=(const Dlist &) = delete;

    /// The number of linked entries.
    int size() const { return count_; }
    /// 1 once an operation was given a null entry or position (sticky).
    int nostore() const { return eflag_; }
    /// The tag given at construction.
    int tag() const { return tag_; }
    /// The region where the typed faces make and free entries.
    PWSRegion *region() const { return region_; }
    /// The i-th entry from the head (0-based), or null outside 0 .. size()-1.
    Dlist_Entry *atEntry(int i) const;

protected:
    friend class Dlist_Iterator;

    /// @{
    /// Each links a ready entry and returns it; a null entry (or position)
    /// sets the error flag and returns null. Both links of the entry are set.
    /// At the tail, at the head, after pos, before pos.
    Dlist_Entry *baseAppend(Dlist_Entry *e);
    Dlist_Entry *basePrepend(Dlist_Entry *e);
    Dlist_Entry *baseAfter(Dlist_Entry *pos, Dlist_Entry *e);
    Dlist_Entry *baseBefore(Dlist_Entry *pos, Dlist_Entry *e);
    /// @}
    /// Unlinks e (null: nothing), clears its links and returns it.
    Dlist_Entry *baseRemove(Dlist_Entry *e);
    /// The entry after e; null at the tail or for a null e.
    static Dlist_Entry *nextEntry_p(const Dlist_Entry *e) { return e ? e->next : nullptr; }
    /// The entry before e; null at the head or for a null e.
    static Dlist_Entry *prevEntry_p(const Dlist_Entry *e) { return e ? e->prev : nullptr; }
    /// Links e after pos (null pos: at the head); null and the error flag
    /// for a null e.
    Dlist_Entry *link_after(Dlist_Entry *pos, Dlist_Entry *e);
    /// Empties the list without touching the entries.
    void forget_all() {
        head_ = tail_ = nullptr;
        count_ = 0;
    }

    PWSRegion *region_;           ///< region of the entries, never null
    int tag_;                     ///< the caller's tag
    int count_ = 0;               ///< linked entries
    Dlist_Entry *head_ = nullptr; ///< first entry, or null
    Dlist_Entry *tail_ = nullptr; ///< last entry, or null
    int eflag_ = 0;               ///< sticky error flag
};

/// A list of values of type T that owns its linked entries.
template <class T> class Dlist_of : public Dlist {
public:
    using Entry = Dlist_Entry_of<T>;                           ///< entry type
    using ApplyFn = void (*)(T &value, void *arg);             ///< callback of apply
    using PredicateFn = kt_boolean_t (*)(T &value, void *arg); ///< callback of the searches

    /// An empty list in `region` (null: the heap region).
    explicit Dlist_of(PWSRegion *region = nullptr, int tag = 0) : Dlist(tag, region) {}
    /// Gives every entry back to its region.
    ~Dlist_of() { clear(); }

    /// A new, unlinked entry holding `v` in the list's region, or null.
    Entry *newEntry(T v) { return new (region_) Entry(v); }
    /// @{
    /// Links e at the tail / head / after pos / before pos and returns it;
    /// null (and the error flag) for a null entry or position. The list owns
    /// e from then on.
    Entry *append(Entry *e) { return static_cast<Entry *>(baseAppend(e)); }
    Entry *prepend(Entry *e) { return static_cast<Entry *>(basePrepend(e)); }
    Entry *insertAfter(Entry *pos, Entry *e) { return static_cast<Entry *>(baseAfter(pos, e)); }
    Entry *insertBefore(Entry *pos, Entry *e) { return static_cast<Entry *>(baseBefore(pos, e)); }
    /// @}

    /// The head entry, or null.
    Entry *first() const { return static_cast<Entry *>(head_); }
    /// The tail entry, or null.
    Entry *last() const { return static_cast<Entry *>(tail_); }
    /// The entry after e, or null.
    Entry *next(const Entry *e) const { return static_cast<Entry *>(nextEntry_p(e)); }
    /// The entry before e, or null.
    Entry *prev(const Entry *e) const { return static_cast<Entry *>(prevEntry_p(e)); }
    /// As atEntry.
    Entry *at(int i) const { return static_cast<Entry *>(atEntry(i)); }
    /// The value held by e.
    T &value(Entry *e) const { return e->value; }

    /// Calls fn(value, arg) for every entry, head to tail.
    void apply(ApplyFn fn, void *arg) {
        for (Dlist_Entry *e = head_; e; e = e->next)
            fn(static_cast<Entry *>(e)->value, arg);
    }
    /// The first entry from `start` (inclusive) on whose value satisfies the predicate.
    Entry *findNext(Entry *start, PredicateFn pred, void *arg) {
        for (Dlist_Entry *e = start; e; e = e->next)
            if (pred(static_cast<Entry *>(e)->value, arg))
                return static_cast<Entry *>(e);
        return nullptr;
    }
    /// The number of entries whose value satisfies the predicate.
    int nOfEntries(PredicateFn pred, void *arg) {
        int n = 0;
        for (Dlist_Entry *e = head_; e; e = e->next)
            n += pred(static_cast<Entry *>(e)->value, arg) ? 1 : 0;
        return n;
    }
    /// Unlinks the entry and returns its value; the entry is the caller's now.
    T remove(Entry *e) {
        if (!e)
            return T();
        baseRemove(e);
        return e->value;
    }
    /// Gives every entry back to its region and leaves the list empty.
    void clear() {
        for (Dlist_Entry *e = head_; e;) {
            Dlist_Entry *next = e->next;
            delete static_cast<Entry *>(e);
            e = next;
        }
        forget_all();
    }
};

using Dlist_int = Dlist_of<int>;       ///< list of ints
using Dlist_char_p = Dlist_of<char *>; ///< list of strings (not owned)
using Dlist_void_p = Dlist_of<void *>; ///< list of pointers (not owned)

/// Steps through a list: the head first, null after the tail and from then
/// on (reset() starts over). Removing through the iterator keeps it valid.
class KT_API Dlist_Iterator {
public:
    /// Starts before the head of `list`.
    explicit Dlist_Iterator(Dlist *list) : list_(list) {}
    /// The next entry, or null after the tail.
    Dlist_Entry *operator()();
    /// Starts over before the head.
    void reset() {
        cur_ = nullptr;
        ended_ = false;
    }
    /// The entry the last step returned (null before the first step).
    Dlist_Entry *current() const { return cur_; }

protected:
    /// Unlinks the current entry; the iterator moves to its predecessor
    /// (step_back) or to its successor. Null when there is no current entry.
    Dlist_Entry *unlink_current(bool step_back);

    Dlist *list_;                ///< the list walked
    Dlist_Entry *cur_ = nullptr; ///< current entry, null before the first step
    bool ended_ = false;         ///< true once past the tail
};

/// The typed face of Dlist_Iterator.
template <class T> class Dlist_Iterator_of : public Dlist_Iterator {
public:
    using Entry = Dlist_Entry_of<T>; ///< entry type
    /// Starts before the head of `list`.
    explicit Dlist_Iterator_of(Dlist_of<T> *list) : Dlist_Iterator(list) {}
    /// The next entry, or null after the tail.
    Entry *operator()() { return static_cast<Entry *>(Dlist_Iterator::operator()()); }
    /// Removes the current entry and steps back, so the next step returns
    /// the entry that followed it. The removed value (T() when none); the
    /// entry, which the last step returned, is the caller's now.
    T remove() { return value_of(unlink_current(true)); }
    /// Removes the current entry and makes its successor current, so the
    /// next step moves past that successor.
    T removeNext() { return value_of(unlink_current(false)); }

private:
    static T value_of(Dlist_Entry *e) { return e ? static_cast<Entry *>(e)->value : T(); }
};

using Dlist_Iterator_int = Dlist_Iterator_of<int>;       ///< walks a Dlist_int
using Dlist_Iterator_char_p = Dlist_Iterator_of<char *>; ///< walks a Dlist_char_p
using Dlist_Iterator_void_p = Dlist_Iterator_of<void *>; ///< walks a Dlist_void_p

// ---- ordered trees ---------------------------------------------------------

/// A node of an ordered tree; derive to give nodes content. Nodes are
/// linked by the caller and deleted with erase_subtree.
class KT_API Tree {
public:
    /// An unlinked node.
    Tree() = default;
    /// Deletes only this node: unlink or erase_subtree first.
    virtual ~Tree();
    /// A copy is a new, unlinked node.
    Tree(const Tree &) : Tree() {}
    /// Assignment leaves the links alone.
    Tree &operator=(const Tree &) { return *this; }

    /// @{
    /// Links the unlinked `node` (null: nothing) as this node's first /
    /// last child, or as its left / right sibling under the same parent.
    /// The node is not checked: it must not be linked anywhere.
    void add_left_offspring(Tree *node);
    void add_right_offspring(Tree *node);
    void add_left_sibling(Tree *node);
    void add_right_sibling(Tree *node);
    /// @}
    /// Unlinks this node and deletes it with all its descendants.
    void erase_subtree();

    Tree *parent() const { return parent_; }       ///< the parent, or null
    Tree *first_child() const { return first_; }   ///< the first child, or null
    Tree *last_child() const { return last_; }     ///< the last child, or null
    Tree *left_sibling() const { return left_; }   ///< the left sibling, or null
    Tree *right_sibling() const { return right_; } ///< the right sibling, or null

private:
    friend class Tree_Iterator;
    /// Deletes this node and its descendants, children before parents.
    void destroy();
    void add_offspring(Tree *node, Tree *Tree::*near, Tree *Tree::*far, Tree *Tree::*out, Tree *Tree::*in);
    void add_sibling(Tree *node, Tree *Tree::*out, Tree *Tree::*in, Tree *Tree::*end);

    Tree *parent_ = nullptr;
    Tree *first_ = nullptr;
    Tree *last_ = nullptr;
    Tree *left_ = nullptr;
    Tree *right_ = nullptr;
};

/// Walks the subtree below the node given to first(), no deeper than the
/// maximum depth (that node is depth 0): top-down (preorder) or bottom-up
/// (postorder), left-to-right or right-to-left.
class KT_API Tree_Iterator {
public:
    /// Walk orders, combined with |.
    enum Mode {
        TOP_DOWN = 1,      ///< parents before children
        BOTTOM_UP = 2,     ///< children before parents
        LEFT_TO_RIGHT = 4, ///< first child first
        RIGHT_TO_LEFT = 8  ///< last child first
    };

    /// An iterator with the mode (as traverse) and the maximum depth.
    explicit Tree_Iterator(int mode = 0, int max_depth = INT_MAX);
    /// Sets the mode: top-down unless only bottom-up is asked for,
    /// left-to-right unless only right-to-left is.
    void traverse(int mode);
    /// Starts a walk of root's subtree: its first node, null for a null root.
    Tree *first(Tree *root);
    /// The next node, or null at the end (and from then on).
    Tree *iterate();
    int depth() const { return depth_; } ///< depth of the current node (root 0)
    int mode() const { return mode_; }   ///< the Mode bits in force

private:
    bool td() const { return mode_ & TOP_DOWN; }
    bool bu() const { return mode_ & BOTTOM_UP; }
    bool lr() const { return mode_ & LEFT_TO_RIGHT; }
    bool rl() const { return mode_ & RIGHT_TO_LEFT; }
    void set_td() { mode_ |= TOP_DOWN; }
    void set_lr() { mode_ |= LEFT_TO_RIGHT; }
    void reset_bu() { mode_ &= ~BOTTOM_UP; }
    void reset_rl() { mode_ &= ~RIGHT_TO_LEFT; }
    /// Moves to the first child in walk order (depth + 1), or returns false.
    bool first_offspring();
    /// Moves to the next sibling in walk order, or returns false.
    bool next_sibling();
    void parent();
    void descend();

    int mode_;
    int max_depth_;
    int depth_ = 0;
    Tree *cur_ = nullptr;
};

// ---- directed graphs -------------------------------------------------------

/// A directed graph of int-valued edges (see the file description).
class KT_API Grf {
public:
    /// Room for n nodes and 2n edges; no nodes, no edges.
    Grf(PWSRegion *region, int n);
    ~Grf();
    Grf(const Grf &) = delete;
    Grf &operator=(const Grf &) = delete;

    /// Appends k nodes without edges; the node count, or -1 (nothing added).
    int add_node(int k);
    /// Adds an edge from -> to carrying `value`; its index, or -1 with the
    /// error flag set for a node out of range or refused storage.
    int add_edge(int from, int to, int value);
    /// Lists the graph's fields on standard error.
    void dump() const;

    int nodes() const { return nn; }                     ///< number of nodes
    int edge_count() const { return ne; }                ///< number of edges
    int node_capacity() const { return mn; }             ///< nodes room is kept for
    int edge_capacity() const { return me; }             ///< edges room is kept for
    int nostore() const { return eflag; }                ///< 1 once storage was refused or a node was out of range
    int target(int edge) const { return targets[edge]; } ///< target node of an edge (no range check)
    int value(int edge) const { return edges[edge]; }    ///< value of an edge (no range check)

private:
    friend class Grf_Iterator;
    bool grow_edges();

    PWSRegion *region;
    int nn;
    int ne;
    int mn;
    int me;
    int *heads;
    int *links;
    int *targets;
    int *edges;
    int eflag;
};

/// Walks the edges of one node, or of all nodes in increasing order; each
/// node's edges newest first.
class KT_API Grf_Iterator {
public:
    /// 1 and the first edge of `node` (-1: of the first node that has one);
    /// 0 when there is none or the node is out of range.
    int first(const Grf *graph, int node);
    /// 1 and the next edge, or 0 at the end.
    int iterate();

    int edge() const { return edge_; }                    ///< the current edge
    int source() const { return cur_node_; }              ///< its source node
    int target() const { return graph_->targets[edge_]; } ///< its target node
    int value() const { return graph_->edges[edge_]; }    ///< its value

private:
    /// Moves to the first edge of the first node from `from` on that has one.
    int scan_nodes(int from);

    const Grf *graph_ = nullptr;
    int node_ = -1;
    int edge_ = -1;
    int cur_node_ = -1;
};

#endif
