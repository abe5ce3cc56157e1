// Intrusive lists, ordered trees and directed graphs of the container kit.
//
// Dlist: a doubly linked list of entries placed in a region; `count`, head
// and tail always describe the linked entries, and an entry belongs to at
// most one list. The typed faces own their linked entries: clear() and the
// destructor give them back to their region; an entry removed (by the list
// or an iterator) is unlinked and becomes the caller's.
//
// Tree: a node with parent, first and last child and both siblings; nodes
// under one parent form a doubly linked row from its first to its last child.
//
// Grf: nodes 0 .. nn-1 and edges 0 .. ne-1 in growable index arrays; each
// node's outgoing edges form a chain through `links`, newest first.
#ifndef KT_CONTAINERS_LIST_H
#define KT_CONTAINERS_LIST_H

#include <climits>
#include <cstddef>

#include "kt/containers.h"

typedef int kt_boolean_t;

// ---- doubly linked lists ---------------------------------------------------

// Entries live in regions and are freed in the region that owns them.
class KT_API Dlist_Entry : public Region_placed {
public:
    Dlist_Entry *next = nullptr;
    Dlist_Entry *prev = nullptr;
};

template <class T>
class Dlist_Entry_of : public Dlist_Entry {
public:
    explicit Dlist_Entry_of(T v = T()) : value(v) {}
    T value;
};

using Dlist_Entry_int = Dlist_Entry_of<int>;
using Dlist_Entry_char_p = Dlist_Entry_of<char *>;
using Dlist_Entry_void_p = Dlist_Entry_of<void *>;

class KT_API Dlist {
public:
    Dlist(int tag, PWSRegion *region);
    Dlist(const Dlist &) = delete;
    Dlist &operator=(const Dlist &) = delete;

    int size() const { return count_; }
    int nostore() const { return eflag_; }
    int tag() const { return tag_; }
    PWSRegion *region() const { return region_; }
    // The i-th entry from the head (0-based), or null outside 0 .. size()-1.
    Dlist_Entry *atEntry(int i) const;

protected:
    friend class Dlist_Iterator;

    // Each links a ready entry and returns it; a null entry (or position)
    // sets the error flag and returns null. Both links of the entry are set.
    Dlist_Entry *baseAppend(Dlist_Entry *e);
    Dlist_Entry *basePrepend(Dlist_Entry *e);
    Dlist_Entry *baseAfter(Dlist_Entry *pos, Dlist_Entry *e);
    Dlist_Entry *baseBefore(Dlist_Entry *pos, Dlist_Entry *e);
    // Unlinks e (null: nothing), clears its links and returns it.
    Dlist_Entry *baseRemove(Dlist_Entry *e);
    static Dlist_Entry *nextEntry_p(const Dlist_Entry *e) { return e ? e->next : nullptr; }
    static Dlist_Entry *prevEntry_p(const Dlist_Entry *e) { return e ? e->prev : nullptr; }
    Dlist_Entry *link_after(Dlist_Entry *pos, Dlist_Entry *e);
    void forget_all() {
        head_ = tail_ = nullptr;
        count_ = 0;
    }

    PWSRegion *region_;
    int tag_;
    int count_ = 0;
    Dlist_Entry *head_ = nullptr;
    Dlist_Entry *tail_ = nullptr;
    int eflag_ = 0;
};

template <class T>
class Dlist_of : public Dlist {
public:
    using Entry = Dlist_Entry_of<T>;
    using ApplyFn = void (*)(T &value, void *arg);
    using PredicateFn = kt_boolean_t (*)(T &value, void *arg);

    explicit Dlist_of(PWSRegion *region = nullptr, int tag = 0) : Dlist(tag, region) {}
    ~Dlist_of() { clear(); }

    // A new, unlinked entry holding `v` in the list's region, or null.
    Entry *newEntry(T v) { return new (region_) Entry(v); }
    Entry *append(Entry *e) { return static_cast<Entry *>(baseAppend(e)); }
    Entry *prepend(Entry *e) { return static_cast<Entry *>(basePrepend(e)); }
    Entry *insertAfter(Entry *pos, Entry *e) { return static_cast<Entry *>(baseAfter(pos, e)); }
    Entry *insertBefore(Entry *pos, Entry *e) { return static_cast<Entry *>(baseBefore(pos, e)); }

    Entry *first() const { return static_cast<Entry *>(head_); }
    Entry *last() const { return static_cast<Entry *>(tail_); }
    Entry *next(const Entry *e) const { return static_cast<Entry *>(nextEntry_p(e)); }
    Entry *prev(const Entry *e) const { return static_cast<Entry *>(prevEntry_p(e)); }
    Entry *at(int i) const { return static_cast<Entry *>(atEntry(i)); }
    T &value(Entry *e) const { return e->value; }

    // Calls fn(value, arg) for every entry, head to tail.
    void apply(ApplyFn fn, void *arg) {
        for (Dlist_Entry *e = head_; e; e = e->next)
            fn(static_cast<Entry *>(e)->value, arg);
    }
    // The first entry from `start` (inclusive) on whose value satisfies the predicate.
    Entry *findNext(Entry *start, PredicateFn pred, void *arg) {
        for (Dlist_Entry *e = start; e; e = e->next)
            if (pred(static_cast<Entry *>(e)->value, arg))
                return static_cast<Entry *>(e);
        return nullptr;
    }
    int nOfEntries(PredicateFn pred, void *arg) {
        int n = 0;
        for (Dlist_Entry *e = head_; e; e = e->next)
            n += pred(static_cast<Entry *>(e)->value, arg) ? 1 : 0;
        return n;
    }
    // Unlinks the entry and returns its value; the entry is the caller's now.
    T remove(Entry *e) {
        if (!e)
            return T();
        baseRemove(e);
        return e->value;
    }
    // Gives every entry back to its region and leaves the list empty.
    void clear() {
        for (Dlist_Entry *e = head_; e;) {
            Dlist_Entry *next = e->next;
            delete static_cast<Entry *>(e);
            e = next;
        }
        forget_all();
    }
};

using Dlist_int = Dlist_of<int>;
using Dlist_char_p = Dlist_of<char *>;
using Dlist_void_p = Dlist_of<void *>;

// Steps through a list: the head first, null after the tail and from then
// on (reset() starts over). Removing through the iterator keeps it valid.
class KT_API Dlist_Iterator {
public:
    explicit Dlist_Iterator(Dlist *list) : list_(list) {}
    Dlist_Entry *operator()();
    void reset() {
        cur_ = nullptr;
        ended_ = false;
    }
    Dlist_Entry *current() const { return cur_; }

protected:
    // Unlinks the current entry; the iterator moves to its predecessor
    // (step_back) or to its successor. Null when there is no current entry.
    Dlist_Entry *unlink_current(bool step_back);

    Dlist *list_;
    Dlist_Entry *cur_ = nullptr;
    bool ended_ = false;
};

template <class T>
class Dlist_Iterator_of : public Dlist_Iterator {
public:
    using Entry = Dlist_Entry_of<T>;
    explicit Dlist_Iterator_of(Dlist_of<T> *list) : Dlist_Iterator(list) {}
    Entry *operator()() { return static_cast<Entry *>(Dlist_Iterator::operator()()); }
    // Removes the current entry and steps back, so the next step returns
    // the entry that followed it. The removed value (T() when none); the
    // entry, which the last step returned, is the caller's now.
    T remove() { return value_of(unlink_current(true)); }
    // Removes the current entry and makes its successor current, so the
    // next step moves past that successor.
    T removeNext() { return value_of(unlink_current(false)); }

private:
    static T value_of(Dlist_Entry *e) { return e ? static_cast<Entry *>(e)->value : T(); }
};

using Dlist_Iterator_int = Dlist_Iterator_of<int>;
using Dlist_Iterator_char_p = Dlist_Iterator_of<char *>;
using Dlist_Iterator_void_p = Dlist_Iterator_of<void *>;

// ---- ordered trees ---------------------------------------------------------

class KT_API Tree {
public:
    Tree() = default;
    virtual ~Tree();
    // A copy is a new, unlinked node.
    Tree(const Tree &) : Tree() {}
    Tree &operator=(const Tree &) { return *this; }

    void add_left_offspring(Tree *node);
    void add_right_offspring(Tree *node);
    void add_left_sibling(Tree *node);
    void add_right_sibling(Tree *node);
    // Unlinks this node and deletes it with all its descendants.
    void erase_subtree();

    Tree *parent() const { return parent_; }
    Tree *first_child() const { return first_; }
    Tree *last_child() const { return last_; }
    Tree *left_sibling() const { return left_; }
    Tree *right_sibling() const { return right_; }

private:
    friend class Tree_Iterator;
    // Deletes this node and its descendants, children before parents.
    void destroy();
    void add_offspring(Tree *node, Tree *Tree::*near, Tree *Tree::*far, Tree *Tree::*out, Tree *Tree::*in);
    void add_sibling(Tree *node, Tree *Tree::*out, Tree *Tree::*in, Tree *Tree::*end);

    Tree *parent_ = nullptr;
    Tree *first_ = nullptr;
    Tree *last_ = nullptr;
    Tree *left_ = nullptr;
    Tree *right_ = nullptr;
};

// Walks the subtree below the node given to first(), no deeper than the
// maximum depth (that node is depth 0): top-down (preorder) or bottom-up
// (postorder), left-to-right or right-to-left.
class KT_API Tree_Iterator {
public:
    enum Mode { TOP_DOWN = 1, BOTTOM_UP = 2, LEFT_TO_RIGHT = 4, RIGHT_TO_LEFT = 8 };

    explicit Tree_Iterator(int mode = 0, int max_depth = INT_MAX);
    // Sets the mode: top-down unless only bottom-up is asked for,
    // left-to-right unless only right-to-left is.
    void traverse(int mode);
    Tree *first(Tree *root);
    // The next node, or null at the end (and from then on).
    Tree *iterate();
    int depth() const { return depth_; }
    int mode() const { return mode_; }

private:
    bool td() const { return mode_ & TOP_DOWN; }
    bool bu() const { return mode_ & BOTTOM_UP; }
    bool lr() const { return mode_ & LEFT_TO_RIGHT; }
    bool rl() const { return mode_ & RIGHT_TO_LEFT; }
    void set_td() { mode_ |= TOP_DOWN; }
    void set_lr() { mode_ |= LEFT_TO_RIGHT; }
    void reset_bu() { mode_ &= ~BOTTOM_UP; }
    void reset_rl() { mode_ &= ~RIGHT_TO_LEFT; }
    // Moves to the first child in walk order (depth + 1), or returns false.
    bool first_offspring();
    // Moves to the next sibling in walk order, or returns false.
    bool next_sibling();
    void parent();
    void descend();

    int mode_;
    int max_depth_;
    int depth_ = 0;
    Tree *cur_ = nullptr;
};

// ---- directed graphs -------------------------------------------------------

class KT_API Grf {
public:
    // Room for n nodes and 2n edges; no nodes, no edges.
    Grf(PWSRegion *region, int n);
    ~Grf();
    Grf(const Grf &) = delete;
    Grf &operator=(const Grf &) = delete;

    // Appends k nodes without edges; the node count, or -1 (nothing added).
    int add_node(int k);
    // Adds an edge from -> to carrying `value`; its index, or -1 with the
    // error flag set for a node out of range or refused storage.
    int add_edge(int from, int to, int value);
    // Lists the graph's fields on standard error.
    void dump() const;

    int nodes() const { return nn; }
    int edge_count() const { return ne; }
    int node_capacity() const { return mn; }
    int edge_capacity() const { return me; }
    int nostore() const { return eflag; }
    int target(int edge) const { return targets[edge]; }
    int value(int edge) const { return edges[edge]; }

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

// Walks the edges of one node, or of all nodes in increasing order; each
// node's edges newest first.
class KT_API Grf_Iterator {
public:
    // 1 and the first edge of `node` (-1: of the first node that has one);
    // 0 when there is none or the node is out of range.
    int first(const Grf *graph, int node);
    // 1 and the next edge, or 0 at the end.
    int iterate();

    int edge() const { return edge_; }
    int source() const { return cur_node_; }
    int target() const { return graph_->targets[edge_]; }
    int value() const { return graph_->edges[edge_]; }

private:
    // Moves to the first edge of the first node from `from` on that has one.
    int scan_nodes(int from);

    const Grf *graph_ = nullptr;
    int node_ = -1;
    int edge_ = -1;
    int cur_node_ = -1;
};

#endif
