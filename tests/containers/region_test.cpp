// Memory regions and the host's container bases: reuse of freed space,
// contents kept across resizes, owners found from blocks, refusals on
// demand, and Arr, Stk and ktout on top of them.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "container_test_util.h"
#include "kt/region.h"

using kt_cont_test::Capture;
using kt_cont_test::Grants;

namespace {

void fill(void *p, size_t n, unsigned char seed) {
    for (size_t i = 0; i < n; ++i)
        static_cast<unsigned char *>(p)[i] = static_cast<unsigned char>(seed + i * 7);
}

bool holds(const void *p, size_t n, unsigned char seed) {
    for (size_t i = 0; i < n; ++i)
        if (static_cast<const unsigned char *>(p)[i] != static_cast<unsigned char>(seed + i * 7))
            return false;
    return true;
}

TEST(Region, FreedBlocksAreReusedLastFreedFirst) {
    PWSRegion region;
    KT_Status status;
    void *a = region.AllocMem(24, status), *b = region.AllocMem(30, status);
    region.FreeMem(a, status);
    region.FreeMem(b, status);
    EXPECT_EQ(region.AllocMem(32, status), b); // same 32-byte size class
    EXPECT_EQ(region.AllocMem(17, status), a);
    void *big = region.AllocMem(50000, status);
    region.FreeMem(big, status);
    EXPECT_EQ(region.bytes_in_use(), 64);
}

TEST(Region, WhichRegionFindsTheOwnerAndBadPointersAreRefused) {
    PWSRegion one, two;
    PWSRegion *heap = PWS::GetMallocRegion();
    EXPECT_EQ(heap, PWS::GetMallocRegion());
    EXPECT_TRUE(heap->is_heap());
    EXPECT_FALSE(one.is_heap());
    KT_Status status;
    for (size_t bytes : {8, 3000, 70000}) {
        void *a = one.AllocMem(bytes, status), *b = two.AllocMem(bytes, status), *h = heap->AllocMem(bytes, status);
        EXPECT_EQ(PWS::WhichRegion(a, status), &one);
        EXPECT_EQ(PWS::WhichRegion(b, status), &two);
        EXPECT_EQ(PWS::WhichRegion(h, status), heap);
        EXPECT_EQ(status.code, 0);
        one.FreeMem(a, status);
        two.FreeMem(b, status);
        heap->FreeMem(h, status);
    }
    // Pointers a region does not own are refused with status 2.
    EXPECT_EQ(PWS::WhichRegion(nullptr, status), nullptr);
    EXPECT_EQ(status.code, 2);

    void *a = one.AllocMem(40, status);
    KT_Status foreign;
    two.FreeMem(a, foreign);
    EXPECT_EQ(foreign.code, 2);
    EXPECT_EQ(one.bytes_in_use(), 48);
    KT_Status resize;
    EXPECT_EQ(two.ResizeMem(a, 40, 80, resize), nullptr);
    EXPECT_EQ(resize.code, 2);

    one.FreeMem(a, status);
    KT_Status twice, which;
    one.FreeMem(a, twice);
    EXPECT_EQ(twice.code, 2);
    EXPECT_EQ(PWS::WhichRegion(a, which), nullptr);
    EXPECT_EQ(which.code, 2);
    EXPECT_EQ(one.bytes_in_use(), 0);
    KT_Status null_free;
    one.FreeMem(nullptr, null_free);
    EXPECT_EQ(null_free.code, 0);
}

TEST(Region, RefusesAfterTheGrantedCountButNeverAShrink) {
    for (PWSRegion *region : {new PWSRegion, PWS::GetMallocRegion()}) {
        KT_Status status;
        void *p = region->AllocMem(5000, status);
        void *small = region->AllocMem(64, status);
        int64_t in_use = region->bytes_in_use();
        {
            Grants grants(region, 2);
            void *x = region->AllocMem(10, status), *y = region->AllocMem(10, status);
            EXPECT_NE(x, nullptr);
            EXPECT_NE(y, nullptr);
            KT_Status refused;
            EXPECT_EQ(region->AllocMem(10, refused), nullptr);
            EXPECT_EQ(refused.code, 1);
            KT_Status grow;
            EXPECT_EQ(region->ResizeMem(p, 5000, 6000, grow), nullptr);
            EXPECT_EQ(grow.code, 1);
            EXPECT_EQ(region->ResizeMem(small, 64, 100, grow), nullptr);
            KT_Status shrink;
            p = region->ResizeMem(p, 5000, 100, shrink);
            EXPECT_NE(p, nullptr);
            EXPECT_NE(region->ResizeMem(small, 64, 64, shrink), nullptr);
            EXPECT_EQ(shrink.code, 0);
            region->FreeMem(x, status);
            region->FreeMem(y, status);
        }
        small = region->ResizeMem(small, 64, 100000, status);
        EXPECT_NE(small, nullptr) << "grants are back";
        EXPECT_LT(in_use, region->bytes_in_use());
        region->FreeMem(small, status);
        region->FreeMem(p, status);
        EXPECT_EQ(status.code, 0);
        if (!region->is_heap())
            delete region;
    }
}

// Below 4 KiB a block holds whole 16-byte granules (at least one).
int64_t charged(size_t bytes) {
    return static_cast<int64_t>(bytes > 4096 ? bytes : bytes == 0 ? 16 : (bytes + 15) / 16 * 16);
}

// Random allocations, resizes and frees against a model of every live
// block's size and contents: blocks are aligned, distinct, counted and
// owned by the region, and a shrink stays in place.
TEST(Region, RandomTrafficKeepsEveryBlockIntact) {
    std::mt19937 rng(42);
    PWSRegion region;
    struct Live {
        size_t bytes;
        unsigned char seed;
        int64_t charge; // what the block counts in bytes_in_use
    };
    std::map<void *, Live> live;
    std::vector<void *> order;
    for (int step = 0; step < 20000; ++step) {
        KT_Status status;
        int op = static_cast<int>(rng() % 3);
        size_t bytes = rng() % 64 == 0 ? rng() % 300000 : rng() % 4 == 0 ? rng() % 20000 : rng() % 300;
        auto seed = static_cast<unsigned char>(rng());
        const int64_t in_use = region.bytes_in_use();
        if (op == 0 || live.empty()) {
            void *p = region.AllocMem(bytes, status);
            ASSERT_NE(p, nullptr);
            ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
            ASSERT_EQ(live.count(p), 0u);
            fill(p, bytes, seed);
            live[p] = {bytes, seed, charged(bytes)};
            order.push_back(p);
            ASSERT_EQ(region.bytes_in_use(), in_use + charged(bytes));
            continue;
        }
        size_t pick = rng() % order.size();
        void *p = order[pick];
        Live was = live[p];
        ASSERT_TRUE(holds(p, was.bytes, was.seed));
        live.erase(p);
        if (op == 1) {
            void *q = region.ResizeMem(p, was.bytes, bytes, status);
            ASSERT_NE(q, nullptr);
            ASSERT_TRUE(holds(q, std::min(was.bytes, bytes), was.seed));
            ASSERT_EQ(PWS::WhichRegion(q, status), &region);
            if (bytes <= was.bytes) {
                ASSERT_EQ(q, p) << "a shrink stays in place";
            }
            fill(q, bytes, seed);
            live[q] = {bytes, seed, region.bytes_in_use() - in_use + was.charge};
            order[pick] = q;
        } else {
            region.FreeMem(p, status);
            order[pick] = order.back();
            order.pop_back();
            ASSERT_EQ(region.bytes_in_use(), in_use - was.charge);
        }
        ASSERT_EQ(status.code, 0);
        ASSERT_EQ(region.blocks_in_use(), static_cast<int64_t>(live.size()));
    }
    for (auto &[p, l] : live)
        EXPECT_TRUE(holds(p, l.bytes, l.seed));
    KT_Status status;
    void *p = region.ResizeMem(nullptr, 0, 40, status);
    EXPECT_EQ(PWS::WhichRegion(p, status), &region) << "resizing null allocates";
    // Whatever is still live goes with the region.
}

TEST(Region, ManySmallBlocksFillChunksOfEverySize) {
    // 12 MB of small blocks: the region's chunks grow from 16 KiB to the
    // 2 MiB chunks that are mapped on their own.
    PWSRegion region;
    KT_Status status;
    std::vector<void *> blocks;
    for (int k = 0; k < 40000; ++k) {
        void *p = region.AllocMem(288, status);
        ASSERT_NE(p, nullptr);
        fill(p, 288, static_cast<unsigned char>(k));
        blocks.push_back(p);
    }
    EXPECT_EQ(region.bytes_in_use(), int64_t{40000} * 288);
    for (int k = 0; k < 40000; ++k)
        ASSERT_TRUE(holds(blocks[static_cast<size_t>(k)], 288, static_cast<unsigned char>(k))) << k;
    for (size_t k = 0; k < blocks.size(); k += 2)
        region.FreeMem(blocks[k], status);
    EXPECT_EQ(region.bytes_in_use(), int64_t{20000} * 288);
}

TEST(ArrBase, HintSizesTheFirstBlockAndGrowthDoubles) {
    PWSRegion region;
    Arr a(4, &region, 5);
    EXPECT_EQ(a.max_size(), 5);
    EXPECT_EQ(a.size(), 0);
    EXPECT_EQ(a.size(6), 6);
    EXPECT_EQ(a.max_size(), 10);
    EXPECT_EQ(a.size(25), 25);
    EXPECT_EQ(a.max_size(), 25);
    EXPECT_EQ(a.max_size(40), 40);
    EXPECT_EQ(a.max_size(3), 40) << "max_size never shrinks";
    EXPECT_EQ(a.size(-1), -1);
    EXPECT_EQ(a.size(), 25);
    EXPECT_EQ(a.nostore(), 0);
    EXPECT_EQ(a.region(), &region);
    EXPECT_EQ(a.elsize(), 4);
    Arr heap(8, 0);
    EXPECT_EQ(heap.region(), PWS::GetMallocRegion());
    EXPECT_EQ(heap.start(), nullptr);
    EXPECT_EQ(heap.max_size(), 0);
}

// Refused growth of every container is the reliability table's; the flag
// it raises stays.
TEST(ArrBase, TheNoStoreFlagIsSticky) {
    PWSRegion region;
    Arr a(4, &region, 4);
    {
        Grants none(&region, 0);
        EXPECT_EQ(a.size(5), -1);
    }
    EXPECT_EQ(a.size(5), 5) << "usable again once storage is there";
    EXPECT_EQ(a.nostore(), 1);
}

// Pops and tops of an empty stack give -1 and change nothing.
TEST(StkInt, PushPopAgainstAVector) {
    PWSRegion region;
    Stk_int s(&region, 0);
    std::vector<int> model;
    std::mt19937 rng(7);
    for (int step = 0; step < 5000; ++step) {
        if (rng() % 2 != 0) {
            int v = static_cast<int>(rng());
            ASSERT_EQ(s.push(v), static_cast<int>(model.size()) + 1);
            model.push_back(v);
        } else {
            ASSERT_EQ(s.top(), model.empty() ? -1 : model.back());
            ASSERT_EQ(s.pop(), model.empty() ? -1 : model.back());
            if (!model.empty())
                model.pop_back();
        }
        ASSERT_EQ(s.size(), static_cast<int>(model.size()));
    }
    EXPECT_GE(s.max_size(), s.size());
}

TEST(Ktout, InterleavesWithStandardOutputAndFollowsItsRedirection) {
    Capture out(std::cout);
    std::cout << "a";
    ktout << "b" << 42;
    std::cout << "c";
    ktout << static_cast<const void *>(nullptr) << std::flush;
    EXPECT_EQ(out.text(), "ab42c0");
}

} // namespace
