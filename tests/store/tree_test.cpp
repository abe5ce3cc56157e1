// Trees: random sequences of links and unlinks checked against a plain
// model (children lists), cell by cell and through every walk; deleting,
// dumping and misuse.
#include <algorithm>
#include <random>
#include <vector>

#include "kt/tree.h"
#include "support/store_test.h"

namespace {

using Nodes = std::vector<int32_t>;

int32_t cell(int32_t v, int32_t i) { return kt_icell(v + i); }

// The reference: each node's parent, ordered children and depth.
struct Model {
    std::vector<int32_t> id;        // model node -> store index
    std::vector<int> parent, depth; // -1: root
    std::vector<std::vector<int>> children;

    int add(int32_t v) {
        id.push_back(v);
        parent.push_back(-1);
        depth.push_back(0);
        children.emplace_back();
        return static_cast<int>(id.size()) - 1;
    }
    int root_of(int a) const {
        while (parent[a] >= 0)
            a = parent[a];
        return a;
    }
    void renumber(int a) {
        for (int c : children[a]) {
            depth[c] = depth[a] + 1;
            renumber(c);
        }
    }
    void link(int a, int x, int mode) {
        int p = mode <= KT_TR_PREVIOUS ? parent[a] : a;
        auto &ch = children[p];
        auto at = std::find(ch.begin(), ch.end(), a);
        auto pos = mode == KT_TR_NEXT       ? at + 1
                   : mode == KT_TR_PREVIOUS ? at
                   : mode == KT_TR_FIRST    ? ch.begin()
                                            : ch.end();
        ch.insert(pos, x);
        parent[x] = p;
        depth[x] = depth[p] + 1;
        renumber(x);
    }
    void unlink(int x) {
        if (parent[x] >= 0) {
            auto &ch = children[parent[x]];
            ch.erase(std::find(ch.begin(), ch.end(), x));
        }
        parent[x] = -1;
        depth[x] = 1;
        renumber(x);
    }
    // Node a and its subtree, each node before its children or after them.
    Nodes order(int a, bool post) const {
        Nodes out;
        if (!post)
            out.push_back(id[a]);
        for (int c : children[a]) {
            const Nodes sub = order(c, post);
            out.insert(out.end(), sub.begin(), sub.end());
        }
        if (post)
            out.push_back(id[a]);
        return out;
    }
    int32_t at(int a) const { return a < 0 ? 0 : id[a]; }
    int32_t child_at(int a, int k) const {
        return k < 0 || k >= static_cast<int>(children[a].size()) ? 0 : id[children[a][k]];
    }
};

// The nodes after `from` in `order` (from itself excluded), as a walk yields them.
Nodes after(const Nodes &order, int32_t from) {
    auto it = std::find(order.begin(), order.end(), from);
    return Nodes(it + 1, order.end());
}

void expect_cells_match(const Model &m) {
    for (size_t a = 0; a < m.id.size(); ++a) {
        int32_t v = m.id[a];
        SCOPED_TRACE("node " + std::to_string(a));
        int p = m.parent[a];
        int k = -1;
        if (p >= 0)
            k = static_cast<int>(std::find(m.children[p].begin(), m.children[p].end(), static_cast<int>(a)) -
                                 m.children[p].begin());
        EXPECT_EQ(cell(v, 1), p < 0 ? 0 : m.child_at(p, k + 1));
        EXPECT_EQ(cell(v, 2), p < 0 ? 0 : m.child_at(p, k - 1));
        EXPECT_EQ(cell(v, 3), m.child_at(a, 0));
        EXPECT_EQ(cell(v, 4), m.child_at(a, static_cast<int>(m.children[a].size()) - 1));
        EXPECT_EQ(cell(v, 5), m.at(p));
        EXPECT_EQ(cell(v, 6), m.depth[a]);
    }
}

Nodes walk_top_down(int32_t start, int32_t first_code, int32_t stop, bool bounded) {
    Nodes out;
    int32_t u = 0, code = first_code;
    TRITD(&start, &u);
    for (;;) {
        int32_t next = -1;
        int32_t r = bounded ? TRNTDS(&u, &code, &stop, &next) : TRNTD(&u, &code, &next);
        EXPECT_EQ(r, next);
        if (r == 0)
            return out;
        out.push_back(r);
        u = r;
        code = 0;
    }
}

Nodes walk_bottom_up(int32_t from, int32_t stop, bool bounded) {
    Nodes out{from};
    for (int32_t u = from;;) {
        int32_t next = -1;
        int32_t r = bounded ? TRNBUS(&u, &stop, &next) : TRNBU(&u, &next);
        EXPECT_EQ(r, next);
        if (r == 0)
            return out;
        out.push_back(r);
        u = r;
    }
}

void expect_walks_match(const Model &m, std::mt19937 &rng) {
    for (int round = 0; round < 4; ++round) {
        int a = static_cast<int>(rng() % m.id.size());
        int32_t u = m.id[a];
        int r = m.root_of(a);
        Nodes pre = m.order(r, false), post = m.order(r, true);
        SCOPED_TRACE("walk from node " + std::to_string(a));
        EXPECT_EQ(walk_top_down(u, 0, 0, false), after(pre, u));
        // Code 1 skips u's own subtree.
        Nodes skipped = after(pre, u);
        skipped.erase(skipped.begin(), skipped.begin() + static_cast<long>(m.order(a, false).size()) - 1);
        EXPECT_EQ(walk_top_down(u, 1, 0, false), skipped);
        Nodes from_u = after(post, u);
        from_u.insert(from_u.begin(), u);
        EXPECT_EQ(walk_bottom_up(u, 0, false), from_u);
        int32_t start = -1;
        EXPECT_EQ(TRIBU(&u, &start), m.order(a, true).front());
        EXPECT_EQ(start, m.order(a, true).front());

        // Bounded by any ancestor (u itself included).
        std::vector<int> ancestors{a};
        while (m.parent[ancestors.back()] >= 0)
            ancestors.push_back(m.parent[ancestors.back()]);
        int t = ancestors[rng() % ancestors.size()];
        int32_t stop = m.id[t];
        EXPECT_EQ(walk_top_down(u, 0, stop, true), after(m.order(t, false), u)) << "stop " << t;
        Nodes inside = after(m.order(t, true), u);
        inside.insert(inside.begin(), u);
        EXPECT_EQ(walk_bottom_up(u, stop, true), inside) << "stop " << t;
    }
}

class TreeTest : public kt::test::StoreTest {
protected:
    int32_t node() {
        int32_t v = 0;
        EXPECT_NE(TRGS(&v), 0);
        return v;
    }
};

TEST_F(TreeTest, RandomLinksAndUnlinksMatchTheModel) {
    std::mt19937 rng(20261206);
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        Model m;
        for (int i = 0; i < 24; ++i)
            m.add(node());
        for (int step = 0; step < 60; ++step) {
            int a = static_cast<int>(rng() % m.id.size()), x = static_cast<int>(rng() % m.id.size());
            int32_t mode = static_cast<int32_t>(rng() % 4) + 1;
            if (rng() % 4 == 0) {
                TRULNK(&m.id[x]);
                m.unlink(x);
            } else {
                bool allowed = m.parent[x] < 0 && m.root_of(a) != x && (mode >= KT_TR_FIRST || m.parent[a] >= 0);
                int32_t got = TRADD(&m.id[a], &m.id[x], &mode);
                EXPECT_EQ(got, allowed ? m.id[x] : 0) << "mode " << mode;
                if (allowed)
                    m.link(a, x, mode);
            }
            expect_cells_match(m);
            if (::testing::Test::HasFailure())
                return;
            expect_walks_match(m, rng);
        }
        for (int a = 0; a < static_cast<int>(m.id.size()); ++a) {
            if (m.parent[a] < 0) {
                EXPECT_EQ(TRDEL(&m.id[a]), 0);
            }
        }
    }
    EXPECT_EQ(kt_host_error_count(), 0);
}

// Root R with offspring M (holding K) and N; x stays alone. Everything
// else of linking and walking is checked against the model above.
TEST_F(TreeTest, BadModeBadCodeAndTheDump) {
    int32_t R = node(), M = node(), N = node(), K = node(), x = node(), first = KT_TR_FIRST, last = KT_TR_LAST, bad = 5;
    EXPECT_EQ(TRADD(&R, &M, &last), M);
    EXPECT_EQ(TRADD(&R, &N, &last), N);
    EXPECT_EQ(TRADD(&M, &K, &first), K);
    EXPECT_EQ(TRADD(&R, &x, &bad), 0);
    EXPECT_EQ(cell(x, 5), 0);

    // A bad code is reported and acts as "skip".
    int32_t code = 7, next = -1;
    EXPECT_EQ(TRNTD(&M, &code, &next), N);
    EXPECT_EQ(TRNTDS(&M, &code, &M, &next), 0);
    ASSERT_EQ(kt_host_error_count(), 2);
    EXPECT_EQ(kt_host_error_number(1), 1000);
    EXPECT_STREQ(kt_host_error_text(1), "trntd");
    EXPECT_STREQ(kt_host_error_text(2), "trntds");

    kt_host_capture_output(1);
    kt_host_clear_output();
    TRDMP(&N);
    std::string expected = "TR at " + std::to_string(N) + "\n  last sibling at " + std::to_string(M) +
                           ", next sibling at 0\n  first offspring at 0, last offspring at 0\n"
                           "  parent at " +
                           std::to_string(R) + ", depth = 1\n  record at 0, flag = 0\n";
    EXPECT_EQ(kt_host_output(), expected);
    kt_host_capture_output(0);

    TRFS(&x);
    EXPECT_NE(x, 0); // TRFS leaves the caller's variable alone
    EXPECT_EQ(TRDEL(&R), 0);
}

TEST_F(TreeTest, DeleteRefusesRecordsAndFreesOnlyItsSubtree) {
    int32_t R = node(), M = node(), N = node(), K = node(), last = KT_TR_LAST;
    TRADD(&R, &M, &last);
    TRADD(&R, &N, &last);
    TRADD(&M, &K, &last);
    int64_t full = kt_host_store_bytes_in_use();
    kt_set_icell(K + 8, 42);
    EXPECT_EQ(TRDEL(&R), 1);
    EXPECT_EQ(kt_host_store_bytes_in_use(), full);
    kt_set_icell(K + 8, 0);

    // A linked subtree is detached first; its siblings and parent survive.
    kt_set_icell(N + 8, 42);
    EXPECT_EQ(TRDEL(&M), 0);
    EXPECT_EQ((Nodes{cell(R, 3), cell(R, 4), cell(N, 2)}), (Nodes{N, N, 0}));
    EXPECT_EQ(TRDEL(&R), 1);
    kt_set_icell(N + 8, 0);
    EXPECT_EQ(TRDEL(&R), 0);
}

} // namespace
