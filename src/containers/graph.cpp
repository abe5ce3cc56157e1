// Grf: a directed graph in index arrays, and its edge iterator.
//
// `heads` is one region block of `mn` ints; `links`, `targets` and `edges`
// are the three thirds of a second block of 3 * `me` ints. When the edge
// block grows the thirds are cut again at the new size and the old targets
// and edges moved up to their new places.
#include <climits>
#include <iostream>

#include "kt/containers_list.h"

namespace {

constexpr int kMinEdges = 2;

size_t ints(int64_t n) { return static_cast<size_t>(n) * sizeof(int); }

} // namespace

Grf::Grf(PWSRegion *home, int n)
    : region(home ? home : PWS::GetMallocRegion()), nn(0), ne(0), mn(0), me(0), heads(nullptr), links(nullptr),
      targets(nullptr), edges(nullptr), eflag(0) {
    if (n < 0)
        n = 0;
    if (n > INT_MAX / 6) {
        eflag = 1;
        return;
    }
    KT_Status status;
    heads = static_cast<int *>(region->AllocMem(ints(n), status));
    links = static_cast<int *>(region->AllocMem(ints(int64_t{6} * n), status));
    if (heads)
        mn = n;
    if (links) {
        me = 2 * n;
        targets = links + me;
        edges = links + 2 * me;
    }
    eflag = n >= 1 && (!heads || !links);
}

Grf::~Grf() {
    KT_Status status;
    region->FreeMem(heads, status);
    region->FreeMem(links, status);
}

int Grf::add_node(int k) {
    if (k < 0 || nn > INT_MAX - k)
        return -1;
    int count = nn + k;
    if (count >= mn) {
        int64_t want = int64_t{2} * mn > count ? int64_t{2} * mn : count;
        if (want > INT_MAX)
            want = count;
        if (want > mn) {
            KT_Status status;
            auto *grown = static_cast<int *>(region->ResizeMem(heads, ints(mn), ints(want), status));
            if (!grown) {
                eflag = 1;
                return -1;
            }
            heads = grown;
            mn = static_cast<int>(want);
        }
    }
    for (int v = nn; v < count; ++v)
        heads[v] = -1;
    nn = count;
    return nn;
}

bool Grf::grow_edges() {
    int64_t want = me > 0 ? int64_t{3} * me : kMinEdges;
    if (want > INT_MAX / 3)
        return false;
    KT_Status status;
    auto *block = static_cast<int *>(region->ResizeMem(links, ints(int64_t{3} * me), ints(3 * want), status));
    if (!block)
        return false;
    int grown = static_cast<int>(want);
    // Edges first: their new place lies furthest up.
    std::memmove(block + 2 * grown, block + 2 * me, ints(me));
    std::memmove(block + grown, block + me, ints(me));
    links = block;
    targets = block + grown;
    edges = block + 2 * grown;
    me = grown;
    return true;
}

int Grf::add_edge(int from, int to, int value) {
    if (from < 0 || to < 0 || from >= nn || to >= nn || (ne >= me && !grow_edges())) {
        eflag = 1;
        return -1;
    }
    int e = ne++;
    targets[e] = to;
    edges[e] = value;
    links[e] = heads[from];
    heads[from] = e;
    return e;
}

void Grf::dump() const {
    std::cerr << "The graph at " << static_cast<const void *>(this) << ":\n"
              << "region=" << static_cast<const void *>(region) << '\n'
              << "nn    =" << nn << '\n'
              << "ne    =" << ne << '\n'
              << "mn    =" << mn << '\n'
              << "me    =" << me << '\n'
              << "heads =" << static_cast<const void *>(heads) << '\n'
              << "edges =" << static_cast<const void *>(edges) << '\n'
              << '\n';
}

int Grf_Iterator::scan_nodes(int from) {
    for (int v = from; v < graph_->nn; ++v) {
        if (graph_->heads[v] >= 0) {
            cur_node_ = v;
            edge_ = graph_->heads[v];
            return 1;
        }
    }
    edge_ = -1;
    return 0;
}

int Grf_Iterator::first(const Grf *graph, int node) {
    graph_ = graph;
    node_ = node;
    edge_ = -1;
    cur_node_ = -1;
    if (!graph || node < -1 || node >= graph->nn)
        return 0;
    if (node == -1)
        return scan_nodes(0);
    cur_node_ = node;
    edge_ = graph->heads[node];
    return edge_ >= 0;
}

int Grf_Iterator::iterate() {
    if (!graph_ || edge_ < 0)
        return 0;
    edge_ = graph_->links[edge_];
    if (edge_ >= 0)
        return 1;
    return node_ == -1 ? scan_nodes(cur_node_ + 1) : 0;
}
