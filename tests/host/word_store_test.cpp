// The word store: reuse and coalescing of freed space, growth in place,
// refusals on demand, and a randomised workload against a model that checks
// addressing, contents, classes and the exact number of grants.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

#include "host/arena.h"
#include "host/host_test_util.h"

using namespace kt_host_test;

namespace {

// Resizes with the old count a caller would pass: what the block holds.
int32_t resize(int32_t &index, int32_t newcount, int32_t elsize, const int32_t *sclass = nullptr) {
    int32_t oldcount = index ? static_cast<int32_t>(kt_store_capacity(index, elsize)) : 0, status = -99;
    int32_t rc = sclass ? USTORE(&newcount, &index, &elsize, sclass, &oldcount, &status)
                        : XSTORE(&newcount, &index, &elsize, &oldcount, &status);
    EXPECT_EQ(rc, status);
    return rc;
}

int64_t end_of(int32_t index, int32_t elsize) {
    return offset_of(index, elsize) + kt_store_capacity(index, elsize) * elsize;
}

class WordStore : public ::testing::Test {
protected:
    void SetUp() override {
        kt_host_reset_errors();
        baseline_ = kt_host_store_bytes_in_use();
    }
    void TearDown() override {
        kt_host_fail_store_after(-1);
        EXPECT_EQ(kt_host_store_bytes_in_use(), baseline_) << "blocks left behind";
    }
    int64_t baseline_ = 0;
    int32_t neg_ = -1, zero_ = 0;
};

TEST_F(WordStore, FreedNeighboursCoalesceInAnyOrder) {
    const int orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    // Sizes no earlier test leaves a free fragment for, so the three are laid
    // end to end; small freed blocks wait in a per-size cache before merging.
    for (int32_t n : {30000, 100000, 400000})
        for (const auto &order : orders) {
            SCOPED_TRACE(testing::Message() << n << " elements, order " << order[0] << order[1] << order[2]);
            int32_t b[3] = {alloc(n, 8), alloc(n, 8), alloc(n, 8)}, guard = alloc(1, 8);
            // Laid end to end, separated only by the same small header.
            int64_t gap = offset_of(b[1], 8) - end_of(b[0], 8), start = offset_of(b[0], 8), end = end_of(b[2], 8);
            ASSERT_EQ(offset_of(b[2], 8) - end_of(b[1], 8), gap);
            ASSERT_LE(gap, 16);
            for (int k : order)
                release(b[k], 8);
            int32_t whole = alloc(static_cast<int32_t>((end - start) / 8), 8);
            EXPECT_EQ(offset_of(whole, 8), start);
            release(whole, 8);
            release(guard, 8);
        }
}

TEST_F(WordStore, GrowsInPlaceWhenItCan) {
    // Large enough to be carved from untouched space, not from a freed fragment.
    int32_t top = alloc(400000, 8), keep = top;
    fill(top, 8, 10, 1);
    ASSERT_EQ(resize(top, 500000, 8), 0);
    EXPECT_EQ(top, keep) << "the last block grows into untouched space";
    EXPECT_TRUE(intact(top, 8, 10, 1));

    int32_t b = alloc(300000, 4), c = alloc(400000, 4), guard = alloc(1, 4);
    fill(b, 4, 10, 2);
    release(c, 4);
    keep = b;
    ASSERT_EQ(resize(b, 600000, 4, &neg_), 0);
    EXPECT_EQ(b, keep) << "grows into the freed neighbour";
    EXPECT_GE(kt_store_capacity(b, 4), 600000);
    EXPECT_TRUE(intact(b, 4, 10, 2));
    EXPECT_EQ(kt_store_class(b, 4), -1);
    for (auto [index, s] : {std::pair{&top, 8}, {&b, 4}, {&guard, 4}})
        release(*index, s);
}

TEST_F(WordStore, RefusedAndInvalidRequestsChangeNothing) {
    int32_t a = alloc(8, 4, -1), keep = a;
    fill(a, 4, 8, 3);
    const int64_t before = kt_host_store_bytes_in_use();
    const struct {
        int32_t count, elsize;
        bool refusing;
    } requests[] = {{10, 4, true}, {0, 1, true},  {-1, 4, false}, {INT32_MIN, 8, false},
                    {4, 0, false}, {4, 3, false}, {4, 16, false}, {4, -8, false}};
    for (auto r : requests) {
        SCOPED_TRACE(testing::Message() << r.count << " x " << r.elsize);
        kt_host_fail_store_after(r.refusing ? 0 : -1);
        int32_t index = 777, status = 0;
        EXPECT_NE(GSTORE(&r.count, &index, &r.elsize, &zero_, &status), 0);
        EXPECT_NE(status, 0);
        EXPECT_NE(c_gstore(r.count, &index, r.elsize, 0), 0);
        EXPECT_EQ(index, 777);
        index = 0;
        EXPECT_NE(resize(index, r.count, r.elsize), 0);
        EXPECT_EQ(index, 0);
    }
    kt_host_fail_store_after(0);
    EXPECT_NE(resize(a, 100000, 4), 0);
    EXPECT_NE(resize(a, 100000, 4, &zero_), 0);
    kt_host_fail_store_after(-1);
    EXPECT_NE(resize(a, -5, 4), 0);
    EXPECT_EQ(a, keep);
    EXPECT_EQ(kt_store_class(a, 4), -1);
    EXPECT_TRUE(intact(a, 4, 8, 3));
    EXPECT_EQ(kt_host_store_bytes_in_use(), before);
    EXPECT_EQ(kt_host_error_count(), 0);
    release(a, 4);
}

TEST_F(WordStore, FreeingSomethingElseIsReportedAndHarmless) {
    int32_t a = alloc(16, 8), b = alloc(16, 4), stale = alloc(4, 8), guard = alloc(1, 8), freed = stale;
    for (int32_t k = 1; k <= 32; ++k)
        kt_set_icell(2 * a + k, k); // small cell values, as real data holds
    fill(b, 4, 16, 5);
    release(freed, 8);
    const int64_t before = kt_host_store_bytes_in_use();
    const std::pair<int32_t, int32_t> bogus[] = {{a + 1, 8}, {a, 4},         {b + 1, 4},     {stale, 8},
                                                 {-5, 8},    {INT32_MAX, 1}, {INT32_MAX, 8}, {1, 1}};
    for (auto [index, s] : bogus) {
        kt_host_reset_errors();
        int32_t count = 0, copy = index;
        testing::internal::CaptureStderr();
        EXPECT_NE(FSTORE(&count, &copy, &s), 0);
        EXPECT_EQ(copy, index);
        EXPECT_EQ(kt_store_class(index, s), 1) << "names no block";
        EXPECT_EQ(kt_store_capacity(index, s), 0);
        EXPECT_NE(c_xstore(64, &copy, s, 1), 0); // nor may it be resized
        c_erflsh();
        EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("error 1000: ", 0), 0u);
        EXPECT_EQ(copy, index);
        EXPECT_EQ(kt_host_error_number(1), 1000) << index << " x " << s;
        EXPECT_STREQ(kt_host_error_text(2), "xstore: no such block");
    }
    EXPECT_EQ(kt_host_store_bytes_in_use(), before);
    EXPECT_EQ(kt_store_class(0, 8), 1) << "index 0 names no block";
    EXPECT_EQ(kt_store_class(a, 2), 1) << "no element size 2";
    EXPECT_EQ(kt_store_capacity(a, 2), 0);
    EXPECT_TRUE(intact(b, 4, 16, 5));
    for (int32_t k = 1; k <= 32; ++k)
        ASSERT_EQ(kt_icell(2 * a + k), k);
    for (auto [index, s] : {std::pair{&a, 8}, {&b, 4}, {&guard, 8}})
        release(*index, s);
}

// Random requests against a model of the live blocks: each keeps its
// contents, class and place in its view, none overlaps another, and a
// refusing store grants exactly as many requests for more space than a
// block holds as it was told to (shrinks and frees ask for none).
TEST_F(WordStore, RandomisedWorkloadKeepsEveryBlockIntact) {
    struct Live {
        int32_t id, index, elsize, count, sclass;
    };
    std::mt19937 rng(0x6b74);
    std::vector<Live> live;
    int32_t next_id = 1, grants = -1; // grants still to come (-1: no limit)
    bool refusing = false;
    auto pick_count = [&]() -> int32_t {
        uint32_t r = rng() % 100;
        return r < 70 ? rng() % 65 : r < 95 ? 65 + rng() % 2000 : 2000 + rng() % 40000;
    };
    auto grant = [&] {
        if (grants == 0)
            return false;
        grants -= grants > 0 ? 1 : 0;
        return true;
    };
    auto check_all = [&] {
        std::vector<std::pair<int64_t, int64_t>> spans;
        for (const Live &b : live) {
            ASSERT_TRUE(intact(b.index, b.elsize, b.count, b.id)) << "block " << b.id;
            ASSERT_GE(kt_store_capacity(b.index, b.elsize), b.count);
            ASSERT_EQ(kt_store_class(b.index, b.elsize), b.sclass);
            const int64_t at = offset_of(b.index, b.elsize);
            ASSERT_EQ(at % 8, 0) << "block " << b.id;
            // Element index + 1 of the block's own view is its first byte.
            char *first = b.elsize == 1   ? kt_cptr(b.index + 1)
                          : b.elsize == 4 ? reinterpret_cast<char *>(kt_iptr(b.index + 1))
                                          : reinterpret_cast<char *>(kt_rptr(b.index + 1));
            ASSERT_EQ(first, kt_store_base + at) << "block " << b.id;
            spans.emplace_back(at, end_of(b.index, b.elsize));
        }
        std::sort(spans.begin(), spans.end());
        for (size_t k = 1; k < spans.size(); ++k)
            ASSERT_LE(spans[k - 1].second, spans[k].first) << "blocks overlap";
        ASSERT_EQ(kt_host_store_check(), 0);
    };
    for (int step = 1; step <= 6000 && !HasFatalFailure(); ++step) {
        if (step % 250 == 0) {
            refusing = !refusing;
            grants = refusing ? static_cast<int32_t>(rng() % 4) : -1;
            kt_host_fail_store_after(grants);
        }
        uint32_t op = rng() % 10;
        if (live.empty() || (op < 4 && live.size() < 150)) {
            const int32_t sizes[] = {1, 4, 8};
            Live b{next_id++, 0, sizes[rng() % 3], pick_count(), rng() % 2 ? -1 : 0};
            int32_t status = -99, rc = 0;
            if (rng() % 4 == 0) // resizing index 0 allocates too, with the class asked for
                rc = status = resize(b.index, b.count, b.elsize, &b.sclass);
            else
                rc = GSTORE(&b.count, &b.index, &b.elsize, &b.sclass, &status);
            ASSERT_EQ(rc, status);
            ASSERT_EQ(rc == 0, grant()) << "step " << step;
            ASSERT_EQ(rc == 0, b.index != 0);
            if (rc == 0) {
                fill(b.index, b.elsize, b.count, b.id);
                live.push_back(b);
            }
        } else if (op < 7) {
            Live &b = live[rng() % live.size()];
            int32_t n = pick_count(), index = b.index;
            int32_t sclass = rng() % 4 == 0 ? (rng() % 2 ? -1 : 0) : b.sclass;
            const bool asks = n > kt_store_capacity(b.index, b.elsize);
            const int32_t rc = resize(index, n, b.elsize, sclass != b.sclass ? &sclass : nullptr);
            ASSERT_EQ(rc == 0, !asks || grant()) << "step " << step;
            if (rc != 0) {
                ASSERT_EQ(index, b.index);
                ASSERT_TRUE(intact(b.index, b.elsize, b.count, b.id));
                continue;
            }
            ASSERT_TRUE(n > b.count || index == b.index) << "a shrink moved the block";
            b.index = index;
            b.sclass = sclass;
            ASSERT_TRUE(intact(b.index, b.elsize, std::min(n, b.count), b.id));
            fill(b.index, b.elsize, n, b.id, std::min(n, b.count));
            b.count = n;
        } else {
            size_t k = rng() % live.size();
            release(live[k].index, live[k].elsize);
            live.erase(live.begin() + static_cast<ptrdiff_t>(k));
        }
        if (step % 50 == 0)
            check_all();
    }
    kt_host_fail_store_after(-1);
    check_all();
    for (Live &b : live)
        release(b.index, b.elsize);
}

// Small freed blocks wait in a per-size cache; when the arena is full they
// must come back into service, merged with their free neighbours.
TEST_F(WordStore, CachedBlocksReturnWhenTheArenaIsFull) {
    int32_t small[3] = {alloc(25, 4), alloc(25, 4), alloc(25, 4)}, guard = alloc(1, 4);
    const int64_t first = offset_of(small[0], 4);
    for (int32_t &b : small)
        release(b, 4);

    std::vector<int32_t> fill_blocks;
    bool reused = false;
    for (int64_t bytes = int64_t{1} << 28; bytes >= 8; bytes /= 2) {
        for (;;) {
            int32_t n = static_cast<int32_t>(bytes), one = 1, index = 0, status = 0;
            if (GSTORE(&n, &index, &one, &zero_, &status) != 0)
                break;
            int64_t at = offset_of(index, 1);
            reused = reused || (at <= first && first < at + n);
            fill_blocks.push_back(index);
        }
    }
    EXPECT_TRUE(reused) << "the cached blocks' space was never handed out again";
    int32_t n = 1, one = 1, index = 0, status = 0;
    EXPECT_NE(GSTORE(&n, &index, &one, &zero_, &status), 0) << "the arena should be full";
    EXPECT_EQ(kt_host_store_check(), 0) << "a full arena checks clean, up to the end of its maps";
    for (int32_t &b : fill_blocks)
        release(b, 1);
    release(guard, 4);
}

// Arenas of their own, where what lands where is known.

// Freed small blocks wait whole on quick lists; once they hold a commit
// step's worth they are merged back before the arena takes more memory.
TEST(Arena, CachedChunksMergeBeforeItCommitsMoreAndHugeRequestsAreRefused) {
    kt::host::Arena arena;
    arena.init();
    std::vector<uint32_t> small;
    for (int k = 0; k < 40000; ++k)
        small.push_back(arena.allocate(120, false));
    uint32_t guard = arena.allocate(8, false);
    for (uint32_t p : small)
        arena.release(p);
    EXPECT_EQ(arena.allocate(4 << 20, false), small.front());
    EXPECT_EQ(arena.check(), 0);
    // Requests beyond the reservation are refused and change nothing.
    const int64_t in_use = arena.bytes_in_use();
    for (uint64_t bytes : {uint64_t{UINT32_MAX} - 16, uint64_t{3} << 30, uint64_t{1} << 33}) {
        EXPECT_EQ(arena.allocate(bytes, false), 0u) << bytes;
        EXPECT_EQ(arena.reallocate(guard, bytes), 0u) << bytes;
    }
    EXPECT_EQ(arena.bytes_in_use(), in_use);
    EXPECT_TRUE(arena.is_live(guard));
    EXPECT_EQ(arena.check(), 0);
    arena.release(guard);
}

// Flips bits of header word k (0: the size of a free chunk below, 1: size
// and flags, 3: a free chunk's previous link) of the chunk holding
// `payload`, or sets its word 2 (the next link of a free or cached chunk).
[[gnu::no_sanitize_address]] void poke(kt::host::Arena &arena, uint32_t payload, int k, uint32_t v, bool flip) {
    uint32_t &w = reinterpret_cast<uint32_t *>(arena.base() + payload - kt::host::Arena::kHeader)[k];
    w = flip ? w ^ v : v;
}

// Each kind of damage to the chunks or their lists is found and named by
// the invariant it breaks.
TEST(Arena, CheckFindsEachKindOfDamage) {
    using kt::host::Arena;
    // Two free chunks and two cached ones of one size each, among live ones.
    enum { kA, kF1, kB, kF2, kC, kQ1, kD, kQ2, kLarge, kTop, kChunks };
    const uint32_t sizes[kChunks] = {40, 5000, 40, 5000, 40, 16, 40, 16, 5000, 8};
    // A word is flipped in one chunk; a link is set in a chunk and in the
    // next of its kind, so that the list's head is damaged whichever it is.
    enum How { kFlip, kToLive, kToSelf, kToNone };
    const struct {
        const char *what;
        int rule, chunk;
        How how;
        int word;
        uint32_t mask;
    } damages[] = {
        {"a chunk's size", 2, kA, kFlip, 1, 48},
        {"the last chunk's size", 2, kTop, kFlip, 1, 8},
        {"the in-use flag of the chunk below", 3, kB, kFlip, 1, 2},
        {"a live chunk above a free one marked free", 4, kB, kFlip, 1, 1},
        {"the chunk below top marked free", 4, kTop, kFlip, 1, 1},
        {"the size repeated above a free chunk", 5, kB, kFlip, 0, 8},
        {"a free chunk marked cached", 6, kF1, kFlip, 1, 1u << 31},
        {"a large live chunk marked cached", 6, kLarge, kFlip, 1, 1u << 31},
        {"a cached chunk's mark", 7, kQ1, kFlip, 1, 1u << 31},
        {"a free-list link", 10, kF1, kFlip, 3, 64},
        {"a free list leading to a live chunk", 10, kF1, kToLive, 2, 0},
        {"a free chunk on no list", 10, kF1, kToNone, 2, 0},
        {"a quick list leading to a live chunk", 11, kQ1, kToLive, 2, 0},
        {"a quick list in a loop", 11, kQ1, kToSelf, 2, 0},
        {"a cached chunk on no quick list", 11, kQ1, kToNone, 2, 0},
    };
    for (const auto &d : damages) {
        Arena arena;
        arena.init();
        uint32_t chunks[kChunks];
        for (int k = 0; k < kChunks; ++k)
            chunks[k] = arena.allocate(sizes[k], false);
        for (int k : {kF1, kF2, kQ1, kQ2})
            arena.release(chunks[k]);
        ASSERT_EQ(arena.check(), 0);
        if (d.how == kFlip)
            poke(arena, chunks[d.chunk], d.word, d.mask, true);
        for (int k : {d.chunk, d.chunk + 2}) {
            const uint32_t to = d.how == kToLive ? chunks[kA] : d.how == kToSelf ? chunks[k] : Arena::kHeader;
            if (d.how != kFlip)
                poke(arena, chunks[k], d.word, to - Arena::kHeader, false);
        }
        testing::internal::CaptureStderr();
        EXPECT_EQ(arena.check(), d.rule) << d.what;
        EXPECT_NE(testing::internal::GetCapturedStderr().find("word store: rule"), std::string::npos);
    }
}

} // namespace
