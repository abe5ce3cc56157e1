// Ring-buffer queues: growth and order across growth of a wrapped ring
// against a deque, refused resizes, and the placement of queue objects in
// regions.
#include <gtest/gtest.h>

#include <algorithm>
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

// Random appends (one or many) and takes against a deque. A queue that is
// too small doubles, or grows to exactly the count needed when doubling is
// not enough; from nothing it grows to one.
TEST(Queue, RandomTrafficAgainstADeque) {
    std::mt19937 rng(5);
    PWSRegion region;
    Quu_int q(&region, 0);
    EXPECT_EQ(q.nostore(), 0);
    std::deque<int> model;
    int capacity = 0;
    auto grow_to = [&capacity](size_t needed) {
        if (static_cast<int>(needed) > capacity)
            capacity = std::max(2 * capacity, static_cast<int>(needed));
    };
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
        grow_to(model.size());
        ASSERT_EQ(q.max_size(), capacity);
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

TEST(Queue, SizesAndBadItems) {
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
    // Setting the count grows the queue as appending would.
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
