// Ring-buffer queues: growth sequence, order across growth of a wrapped
// ring, refused resizes, and the placement of queue objects in regions.
#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <random>
#include <vector>

#include "container_test_util.h"
#include "kt/containers.h"

namespace {

std::vector<int> contents(Quu_int &q) {
    std::vector<int> v;
    for (int j = 0; j < q.size(); ++j)
        v.push_back(q.item(j));
    return v;
}

// Takes the oldest element, as a caller of the queue does.
int take(Quu_int &q) {
    int v = q.item(0);
    q.head = (q.head + 1) % q.capacity;
    --q.count;
    return v;
}

TEST(Queue, GrowthFromNothingDoubles) {
    Quu_int q(0);
    EXPECT_EQ(q.max_size(), 0);
    EXPECT_EQ(q.nostore(), 0);
    EXPECT_EQ(q.queue(7), 1);
    EXPECT_EQ(q.max_size(), 1);
    Quu_int r(0);
    std::vector<int> capacities;
    for (int v = 1; v <= 5; ++v) {
        EXPECT_EQ(r.queue(v), v);
        capacities.push_back(r.max_size());
    }
    EXPECT_EQ(capacities, (std::vector<int>{1, 2, 4, 4, 8}));
    EXPECT_EQ(r.size(), 5);
    const int many[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    EXPECT_EQ(r.queue(many, 20), 25);
    EXPECT_EQ(r.max_size(), 25) << "exactly the needed count when doubling is not enough";
}

// Random appends (one or many) and takes against a deque.
TEST(Queue, RandomTrafficAgainstADeque) {
    std::mt19937 rng(5);
    PWSRegion region;
    Quu_int q(&region, 3);
    std::deque<int> model;
    for (int step = 0; step < 20000; ++step) {
        int op = static_cast<int>(rng() % 4);
        if (op == 0 && !model.empty()) {
            ASSERT_EQ(take(q), model.front());
            model.pop_front();
        } else if (op == 1) {
            int k = static_cast<int>(rng() % 9);
            std::vector<int> v(static_cast<size_t>(k));
            for (int &x : v) {
                x = static_cast<int>(rng());
                model.push_back(x);
            }
            ASSERT_EQ(q.queue(v.data(), k), static_cast<int>(model.size()));
        } else {
            int x = static_cast<int>(rng());
            model.push_back(x);
            ASSERT_EQ(q.queue(x), static_cast<int>(model.size()));
        }
        ASSERT_LE(q.size(), q.max_size());
        if (step % 101 == 0) {
            ASSERT_EQ(contents(q), std::vector<int>(model.begin(), model.end()));
        }
    }
}

TEST(Queue, ResizesThatWouldLoseElementsAreRefused) {
    Quu_int q(8);
    for (int v = 0; v < 8; ++v)
        q.queue(v);
    take(q);
    take(q);
    q.queue(8); // head 2, wrapped
    EXPECT_EQ(q.max_size(8), 8) << "the same size is granted at once";
    EXPECT_EQ(q.max_size(9), -1) << "below capacity + head";
    EXPECT_EQ(q.max_size(4), -1);
    EXPECT_EQ(q.max_size(-1), -1);
    EXPECT_EQ(q.nostore(), 0) << "a refused shrink is not a storage failure";
    EXPECT_EQ(q.max_size(), 8);
    EXPECT_EQ(q.max_size(10), 10);
    EXPECT_EQ(contents(q), (std::vector<int>{2, 3, 4, 5, 6, 7, 8}));
}

TEST(Queue, ItemsOfTheQueueItselfSurviveItsGrowth) {
    Quu_int q(4);
    for (int v = 1; v <= 4; ++v)
        q.queue(v);
    EXPECT_EQ(q.queue(&q.item(1), 3), 7); // the buffer moves while they are read
    EXPECT_EQ(contents(q), (std::vector<int>{1, 2, 3, 4, 2, 3, 4}));
}

TEST(Queue, ImpossibleSizesAndBadItemsAreRefused) {
    Quu_int big(INT_MAX);
    EXPECT_EQ(big.nostore(), 1);
    EXPECT_EQ(big.max_size(), 0);
    Quu_int q(2);
    EXPECT_EQ(q.max_size(INT_MAX), -1);
    EXPECT_EQ(q.nostore(), 1) << "more bytes than a size holds";
    int one = 1;
    EXPECT_EQ(q.queue(nullptr, 2), -1);
    EXPECT_EQ(q.queue(&one, -1), -1);
    EXPECT_EQ(q.size(), 0);
}

TEST(Queue, SizeSetsTheCountAndGrows) {
    Quu_int q(2);
    EXPECT_EQ(q.size(1), 1);
    EXPECT_EQ(q.max_size(), 2);
    EXPECT_EQ(q.size(3), 3);
    EXPECT_EQ(q.max_size(), 4);
    EXPECT_EQ(q.size(9), 9);
    EXPECT_EQ(q.max_size(), 9);
    EXPECT_EQ(q.size(-2), -1);
    EXPECT_EQ(q.size(), 9);
    EXPECT_EQ(q.head, 0);
}

TEST(Queue, PointerQueue) {
    Quu_voidp q(1);
    int a, b, c;
    void *const three[] = {&a, &b, &c};
    EXPECT_EQ(q.queue(&a), 1);
    EXPECT_EQ(q.queue(three, 3), 4);
    EXPECT_EQ(q.item(0), &a);
    EXPECT_EQ(q.item(3), &c);
    EXPECT_EQ(q.itemsz, static_cast<int>(sizeof(void *)));
}

TEST(Queue, QueueObjectsLiveInRegions) {
    PWSRegion region;
    Quu_int *q = new (&region) Quu_int(&region, 16);
    ASSERT_NE(q, nullptr);
    KT_Status status;
    EXPECT_EQ(PWS::WhichRegion(q, status), &region);
    q->queue(1);
    delete q;
    EXPECT_EQ(region.bytes_in_use(), 0);

    Quu_int *h = new Quu_int(4);
    EXPECT_EQ(PWS::WhichRegion(h, status), PWS::GetMallocRegion());
    delete h;

    region.fail_after(0);
    EXPECT_EQ(new (&region) Quu_int(&region, 16), nullptr);
    region.fail_after(-1);
}

} // namespace
