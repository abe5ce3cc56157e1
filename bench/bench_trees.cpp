// Tree walks against the same walk over heap nodes linked by pointers. Both
// trees have the same random shape (each node's parent drawn among the
// nodes made before it), built once per size before timing; each iteration
// walks the whole tree top-down, then bottom-up.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "kt/tree.h"

namespace {

// Parent of node i (i >= 1) for a tree of n nodes; node 0 is the root.
std::vector<int> shape(int n) {
    std::mt19937 rng(20261206);
    std::vector<int> parent(static_cast<size_t>(n), -1);
    for (int i = 1; i < n; ++i)
        parent[static_cast<size_t>(i)] = static_cast<int>(rng() % static_cast<unsigned>(i));
    return parent;
}

void BM_TRNTD_Walk(benchmark::State &state) {
    int n = static_cast<int>(state.range(0));
    std::vector<int> parent = shape(n);
    std::vector<int32_t> node(static_cast<size_t>(n));
    const int32_t last = KT_TR_LAST;
    for (int i = 0; i < n; ++i) {
        TRGS(&node[static_cast<size_t>(i)]);
        if (i > 0)
            TRADD(&node[static_cast<size_t>(parent[static_cast<size_t>(i)])], &node[static_cast<size_t>(i)], &last);
    }
    const int32_t code = 0;
    for (auto _ : state) {
        int64_t sum = 0;
        for (int32_t u = node[0], next = 0; u != 0; u = TRNTD(&u, &code, &next))
            sum += u;
        int32_t u = 0;
        for (TRIBU(&node[0], &u); u != 0;) {
            sum += u;
            int32_t next = 0;
            u = TRNBU(&u, &next);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 2 * n);
    TRDEL(&node[0]);
}

struct Node {
    Node *next = nullptr, *first = nullptr, *last = nullptr, *parent = nullptr;
};

void BM_PointerTree_Walk(benchmark::State &state) {
    int n = static_cast<int>(state.range(0));
    std::vector<int> parent = shape(n);
    std::vector<Node *> node(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        Node *x = node[static_cast<size_t>(i)] = new Node;
        if (i == 0)
            continue;
        Node *p = node[static_cast<size_t>(parent[static_cast<size_t>(i)])];
        (p->last ? p->last->next : p->first) = x;
        p->last = x;
        x->parent = p;
    }
    for (auto _ : state) {
        int64_t sum = 0;
        for (Node *u = node[0]; u;) {
            sum += reinterpret_cast<intptr_t>(u);
            if (u->first) {
                u = u->first;
                continue;
            }
            while (u && !u->next)
                u = u->parent;
            u = u ? u->next : nullptr;
        }
        Node *u = node[0];
        while (u->first)
            u = u->first;
        while (u) {
            sum += reinterpret_cast<intptr_t>(u);
            if (u->next) {
                u = u->next;
                while (u->first)
                    u = u->first;
            } else {
                u = u->parent;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 2 * n);
    for (Node *x : node)
        delete x;
}

BENCHMARK(BM_TRNTD_Walk)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_PointerTree_Walk)->Arg(1000)->Arg(10000)->Arg(100000);

} // namespace

BENCHMARK_MAIN();
