// Ordered trees and directed graphs: walks in every mode and depth against a
// recursive reference, before and after a subtree is erased; graphs against
// adjacency lists, their growth, range checks and listing.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "kt/containers_list.h"
#include "container_test_util.h"

using kt_cont_test::Capture;

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

// Walk orders, the default and conflicting modes included, are the random
// trees' below; here walks of a subtree, of nothing, and copies.
TEST(Tree, SubtreesNothingAndCopies) {
    SmallTree t;
    using I = Tree_Iterator;
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
                for (int bits = 0; bits < 16; ++bits) {
                    // No direction, or both, is top-down and left to right.
                    using I = Tree_Iterator;
                    bool bottom_up = (bits & I::BOTTOM_UP) && !(bits & I::TOP_DOWN);
                    bool rtl = (bits & I::RIGHT_TO_LEFT) && !(bits & I::LEFT_TO_RIGHT);
                    std::string want;
                    shape.walk(0, 0, max_depth, bottom_up, rtl, want);
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

// (source, target, value) of every edge the iterator visits.
std::vector<std::vector<int>> edges_of(const Grf &g, int node) {
    std::vector<std::vector<int>> out;
    Grf_Iterator it;
    for (int more = it.first(&g, node); more; more = it.iterate()) {
        out.push_back({it.source(), it.target(), it.value()});
        EXPECT_EQ(g.target(it.edge()), it.target());
    }
    return out;
}

TEST(Graph, GrowthOrderAndRangeChecks) {
    PWSRegion region;
    Grf g(&region, 2);
    EXPECT_EQ(g.node_capacity(), 2);
    EXPECT_EQ(g.edge_capacity(), 4);
    EXPECT_EQ(g.add_node(3), 3);
    EXPECT_EQ(g.node_capacity(), 4);
    EXPECT_EQ(g.add_edge(0, 1, 10), 0);
    EXPECT_EQ(g.add_edge(0, 2, 20), 1);
    EXPECT_EQ(edges_of(g, 0), (std::vector<std::vector<int>>{{0, 2, 20}, {0, 1, 10}}));
    EXPECT_EQ(g.nostore(), 0);
    EXPECT_EQ(g.add_edge(0, 5, 1), -1);
    EXPECT_EQ(g.nostore(), 1);
    EXPECT_EQ(g.add_edge(-1, 0, 1), -1);
    EXPECT_EQ(g.add_edge(0, -2, 1), -1);
    EXPECT_EQ(g.edge_count(), 2);
    EXPECT_EQ(g.add_node(-1), -1);
    EXPECT_EQ(g.nodes(), 3);
    EXPECT_TRUE(edges_of(g, 3).empty()) << "out of range";
    EXPECT_TRUE(edges_of(g, -2).empty());
    Grf_Iterator it;
    EXPECT_EQ(it.first(nullptr, -1), 0);
    EXPECT_EQ(it.iterate(), 0);
}

TEST(Graph, DumpListsTheFields) {
    Grf g(nullptr, 2);
    g.add_node(1);
    Capture err(std::cerr);
    g.dump();
    std::string text = err.text();
    EXPECT_EQ(text.rfind("The graph at ", 0), 0u);
    EXPECT_NE(text.find("\nnn    =1\nne    =0\nmn    =2\nme    =4\nheads =0x"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 2), "\n\n");
}

// Random nodes and edges against adjacency lists (newest edge first); the
// walk over all nodes starts at the first node with an edge.
TEST(Graph, RandomGraphsAgainstAdjacencyLists) {
    std::mt19937 rng(43);
    PWSRegion region;
    Grf g(&region, 0); // the edge arrays grow from nothing
    std::vector<std::vector<std::pair<int, int>>> model;
    for (int step = 0; step < 4000; ++step) {
        if (model.empty() || rng() % 8 == 0) {
            int k = static_cast<int>(rng() % 4);
            ASSERT_EQ(g.add_node(k), static_cast<int>(model.size()) + k);
            model.resize(model.size() + static_cast<size_t>(k));
            continue;
        }
        int from = static_cast<int>(rng() % model.size()), to = static_cast<int>(rng() % model.size());
        int value = static_cast<int>(rng());
        ASSERT_GE(g.add_edge(from, to, value), 0);
        auto &out = model[static_cast<size_t>(from)];
        out.insert(out.begin(), {to, value});
    }
    std::vector<std::vector<int>> want;
    for (size_t v = 0; v < model.size(); ++v)
        for (auto &[to, value] : model[v])
            want.push_back({static_cast<int>(v), to, value});
    EXPECT_EQ(edges_of(g, -1), want);
    EXPECT_EQ(g.nostore(), 0);
}

} // namespace
