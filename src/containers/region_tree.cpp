// Tree nodes and the depth-limited tree walk.
#include "kt/containers_list.h"

Tree::~Tree() = default;

// The left and right variants are mirror images: `out` is the link that
// faces away from the row's `near` end, `in` the one that faces into it.
void Tree::add_offspring(Tree *node, Tree *Tree::*near, Tree *Tree::*far, Tree *Tree::*out, Tree *Tree::*in) {
    if (!node)
        return;
    node->parent_ = this;
    node->*out = nullptr;
    node->*in = this->*near;
    (this->*near ? (this->*near)->*out : this->*far) = node;
    this->*near = node;
}

void Tree::add_sibling(Tree *node, Tree *Tree::*out, Tree *Tree::*in, Tree *Tree::*end) {
    if (!node)
        return;
    node->parent_ = parent_;
    node->*in = this;
    node->*out = this->*out;
    if (this->*out)
        (this->*out)->*in = node;
    else if (parent_)
        parent_->*end = node;
    this->*out = node;
}

void Tree::add_left_offspring(Tree *node) {
    add_offspring(node, &Tree::first_, &Tree::last_, &Tree::left_, &Tree::right_);
}

void Tree::add_right_offspring(Tree *node) {
    add_offspring(node, &Tree::last_, &Tree::first_, &Tree::right_, &Tree::left_);
}

void Tree::add_left_sibling(Tree *node) { add_sibling(node, &Tree::left_, &Tree::right_, &Tree::first_); }

void Tree::add_right_sibling(Tree *node) { add_sibling(node, &Tree::right_, &Tree::left_, &Tree::last_); }

void Tree::erase_subtree() {
    if (parent_) {
        if (parent_->first_ == this)
            parent_->first_ = right_;
        if (parent_->last_ == this)
            parent_->last_ = left_;
    }
    if (left_)
        left_->right_ = right_;
    if (right_)
        right_->left_ = left_;
    parent_ = left_ = right_ = nullptr;
    destroy();
}

void Tree::destroy() {
    // A node is deleted only once the walk has moved past it; the root,
    // this node, comes last.
    Tree_Iterator walk(Tree_Iterator::BOTTOM_UP | Tree_Iterator::LEFT_TO_RIGHT, INT_MAX);
    Tree *done = walk.first(this);
    while (Tree *next = walk.iterate()) {
        delete done;
        done = next;
    }
    delete done;
}

Tree_Iterator::Tree_Iterator(int mode, int max_depth) : mode_(0), max_depth_(max_depth) { traverse(mode); }

void Tree_Iterator::traverse(int mode) {
    mode_ = mode & (TOP_DOWN | BOTTOM_UP | LEFT_TO_RIGHT | RIGHT_TO_LEFT);
    if (!td() && !bu())
        set_td();
    if (td() && bu())
        reset_bu();
    if (!lr() && !rl())
        set_lr();
    if (lr() && rl())
        reset_rl();
}

bool Tree_Iterator::first_offspring() {
    Tree *child = lr() ? cur_->first_ : cur_->last_;
    if (!child || depth_ >= max_depth_)
        return false;
    cur_ = child;
    ++depth_;
    return true;
}

bool Tree_Iterator::next_sibling() {
    Tree *sibling = lr() ? cur_->right_ : cur_->left_;
    if (!sibling)
        return false;
    cur_ = sibling;
    return true;
}

void Tree_Iterator::parent() {
    cur_ = cur_->parent_;
    --depth_;
}

void Tree_Iterator::descend() {
    while (first_offspring()) {
    }
}

Tree *Tree_Iterator::first(Tree *root) {
    cur_ = root;
    depth_ = 0;
    if (cur_ && bu())
        descend();
    return cur_;
}

Tree *Tree_Iterator::iterate() {
    if (!cur_)
        return nullptr;
    if (td()) {
        if (first_offspring())
            return cur_;
        while (depth_ >= 1) {
            if (next_sibling())
                return cur_;
            parent();
        }
    } else if (depth_ >= 1) {
        if (next_sibling())
            descend();
        else
            parent();
        return cur_;
    }
    cur_ = nullptr;
    return nullptr;
}
