// Directed graphs: node and edge growth, edge order per node, the walk over
// all nodes, range checks, and random graphs against adjacency lists.
#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "container_test_util.h"
#include "kt/containers_list.h"

using kt_cont_test::Capture;

namespace {

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
    EXPECT_TRUE(edges_of(g, 1).empty());
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
