// Ordered trees: linking nodes, the four walk orders with depth limits
// against a recursive reference walk before and after a subtree is
// erased, and erasing whole trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "kt/containers_list.h"

namespace {

int g_alive = 0;

struct Node : Tree {
    explicit Node(std::string n) : name(std::move(n)) { ++g_alive; }
    Node(const Node &other) : Tree(other), name(other.name) { ++g_alive; }
    ~Node() override { --g_alive; }
    std::string name;
};

std::string walk(Tree *root, int mode, int max_depth = INT_MAX) {
    Tree_Iterator it(mode, max_depth);
    std::string out;
    for (Tree *t = it.first(root); t; t = it.iterate())
        out += static_cast<Node *>(t)->name + " ";
    if (it.iterate() != nullptr)
        out += "(walk did not stay ended)";
    return out;
}

// root with children a, b, c added as right offspring; b has child d.
struct SmallTree {
    SmallTree() {
        for (Node *n : {a, b, c})
            root->add_right_offspring(n);
        b->add_right_offspring(d);
    }
    ~SmallTree() { root->erase_subtree(); }
    Node *root = new Node("root"), *a = new Node("a"), *b = new Node("b"), *c = new Node("c"), *d = new Node("d");
};

TEST(Tree, DefaultAndConflictingModes) {
    SmallTree t;
    using I = Tree_Iterator;
    struct Case {
        int mode, depth;
        const char *expected;
    } cases[] = {
        {I::TOP_DOWN, 1, "root a b c "}, // no direction: left to right
        {I::BOTTOM_UP, 1, "a b c root "},
        {0, INT_MAX, "root a b d c "},                          // the default
        {I::TOP_DOWN | I::BOTTOM_UP, INT_MAX, "root a b d c "}, // both: top-down
        {I::BOTTOM_UP | I::LEFT_TO_RIGHT | I::RIGHT_TO_LEFT, INT_MAX, "a d b c root "},
    };
    for (const Case &c : cases)
        EXPECT_EQ(walk(t.root, c.mode, c.depth), c.expected) << c.mode << " " << c.depth;
    EXPECT_EQ(walk(t.b, I::TOP_DOWN), "b d ") << "only the subtree of the first node";
    EXPECT_EQ(walk(t.b, I::BOTTOM_UP), "d b ");
    Tree_Iterator it;
    EXPECT_EQ(it.first(nullptr), nullptr);
    EXPECT_EQ(it.iterate(), nullptr);
    it.traverse(I::BOTTOM_UP);
    EXPECT_EQ(it.mode(), I::BOTTOM_UP | I::LEFT_TO_RIGHT);
    Node copy(*t.b); // a copy is an unlinked node
    EXPECT_EQ(copy.name, "b");
    EXPECT_EQ(copy.parent(), nullptr);
    EXPECT_EQ(copy.first_child(), nullptr);
    EXPECT_EQ(copy.left_sibling(), nullptr);
}

// Reference walks over a tree held as child lists.
struct Shape {
    std::vector<std::vector<int>> children;
    void walk(int n, int depth, int max_depth, bool bottom_up, bool rtl, std::string &out) const {
        if (!bottom_up)
            out += std::to_string(n) + " ";
        if (depth < max_depth) {
            std::vector<int> kids = children[static_cast<size_t>(n)];
            if (rtl)
                std::reverse(kids.begin(), kids.end());
            for (int k : kids)
                walk(k, depth + 1, max_depth, bottom_up, rtl, out);
        }
        if (bottom_up)
            out += std::to_string(n) + " ";
    }
};

TEST(Tree, RandomTreesWalkLikeTheRecursiveReference) {
    std::mt19937 rng(41);
    for (int round = 0; round < 40; ++round) {
        int n = 1 + static_cast<int>(rng() % 60);
        Shape shape;
        shape.children.resize(static_cast<size_t>(n));
        std::vector<Node *> nodes;
        for (int k = 0; k < n; ++k)
            nodes.push_back(new Node(std::to_string(k)));
        for (int k = 1; k < n; ++k) {
            int parent = static_cast<int>(rng() % static_cast<unsigned>(k));
            auto &kids = shape.children[static_cast<size_t>(parent)];
            // Mix the four ways of linking a child in.
            unsigned how = kids.empty() ? rng() % 2 : rng() % 4;
            Node *p = nodes[static_cast<size_t>(parent)];
            if (how == 0) {
                p->add_right_offspring(nodes[static_cast<size_t>(k)]);
                kids.push_back(k);
            } else if (how == 1) {
                p->add_left_offspring(nodes[static_cast<size_t>(k)]);
                kids.insert(kids.begin(), k);
            } else {
                size_t at = rng() % kids.size();
                Node *sibling = nodes[static_cast<size_t>(kids[at])];
                if (how == 2) {
                    sibling->add_left_sibling(nodes[static_cast<size_t>(k)]);
                    kids.insert(kids.begin() + static_cast<ptrdiff_t>(at), k);
                } else {
                    sibling->add_right_sibling(nodes[static_cast<size_t>(k)]);
                    kids.insert(kids.begin() + static_cast<ptrdiff_t>(at) + 1, k);
                }
            }
        }
        int alive = n;
        for (int erased = 0; erased < 2; ++erased) {
            for (int max_depth : {0, 1, 2, 3, INT_MAX}) {
                for (int mode = 0; mode < 4; ++mode) {
                    bool bottom_up = mode & 1, rtl = mode & 2;
                    std::string want;
                    shape.walk(0, 0, max_depth, bottom_up, rtl, want);
                    int bits = (bottom_up ? Tree_Iterator::BOTTOM_UP : Tree_Iterator::TOP_DOWN) |
                               (rtl ? Tree_Iterator::RIGHT_TO_LEFT : Tree_Iterator::LEFT_TO_RIGHT);
                    ASSERT_EQ(walk(nodes[0], bits, max_depth), want) << n << " nodes, depth " << max_depth;
                }
            }
            if (erased == 1 || n == 1)
                break;
            // Unlink a random subtree (the first, a middle or the last child,
            // or an only one) from its parent and delete its nodes.
            int victim = 1 + static_cast<int>(rng() % static_cast<unsigned>(n - 1));
            for (auto &kids : shape.children)
                kids.erase(std::remove(kids.begin(), kids.end(), victim), kids.end());
            std::string gone;
            shape.walk(victim, 0, INT_MAX, false, false, gone);
            const int before = g_alive;
            nodes[static_cast<size_t>(victim)]->erase_subtree();
            const int count = static_cast<int>(std::count(gone.begin(), gone.end(), ' '));
            ASSERT_EQ(g_alive, before - count);
            alive -= count;
        }
        const int before = g_alive;
        nodes[0]->erase_subtree();
        EXPECT_EQ(g_alive, before - alive);
    }
}

} // namespace
