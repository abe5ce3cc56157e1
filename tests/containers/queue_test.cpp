// Ring-buffer queues and item banks: the growth rule, refused resizes, bank
// blocks, last-freed-first reuse and counts against a stack model, the
// listing, minimum sizes, and the placement of both in regions.
#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <random>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "container_test_util.h"
#include "kt/containers.h"

using kt_cont_test::Capture;

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

// Contents under random traffic are the containers fuzz target's. A queue
// that is too small doubles, or grows to exactly the count needed when
// doubling is not enough; takes first make the ring wrap.
TEST(Queue, GrowthDoublesOrTakesWhatIsNeeded) {
    PWSRegion region;
    Quu_int q(&region, 0);
    EXPECT_EQ(q.nostore(), 0);
    std::deque<int> model;
    const struct {
        int take, append, capacity;
    } steps[] = {{0, 1, 1}, {0, 1, 2}, {1, 2, 4}, {0, 0, 4}, {2, 8, 9}, {3, 1, 9}, {0, 3, 18}, {5, 1, 18}};
    int next = 0;
    for (const auto &s : steps) {
        for (int k = 0; k < s.take; ++k) {
            EXPECT_EQ(take(q), model.front());
            model.pop_front();
        }
        std::vector<int> v;
        for (int k = 0; k < s.append; ++k)
            v.push_back(next++);
        model.insert(model.end(), v.begin(), v.end());
        EXPECT_EQ(s.append == 1 ? q.queue(v[0]) : q.queue(v.data(), s.append), static_cast<int>(model.size()));
        EXPECT_EQ(q.max_size(), s.capacity) << next;
        EXPECT_EQ(contents(q), std::vector<int>(model.begin(), model.end()));
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
    for (auto [count, capacity] : {std::pair{1, 2}, {3, 4}, {9, 9}}) {
        EXPECT_EQ(q.size(count), count);
        EXPECT_EQ(q.max_size(), capacity);
    }
    EXPECT_EQ(q.size(-2), -1);
    EXPECT_EQ(q.size(), 9);
    EXPECT_EQ(q.head, 0);
}

TEST(Queue, QueueObjectsLiveInRegionsAndPointerQueues) {
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

    Quu_voidp pointers(1);
    int x, y, z;
    void *const three[] = {&x, &y, &z};
    EXPECT_EQ(pointers.queue(&x), 1);
    EXPECT_EQ(pointers.queue(three, 3), 4);
    EXPECT_EQ(pointers.item(0), &x);
    EXPECT_EQ(pointers.item(3), &z);
    EXPECT_EQ(pointers.itemsz, static_cast<int>(sizeof(void *)));
}

TEST(Bank, ItemsComeFromBlocksOfIncrItems) {
    PWSRegion region;
    Bank bank(24, &region, 3);
    std::vector<char *> items;
    for (int k = 0; k < 3; ++k)
        items.push_back(static_cast<char *>(bank.get()));
    EXPECT_EQ(items[1] - items[0], 24);
    EXPECT_EQ(items[2] - items[1], 24);
    items.push_back(static_cast<char *>(bank.get()));
    bank.free(items[0]);
    bank.free(items[1]);
    bank.free(nullptr);
    EXPECT_EQ(bank.allocated(), 2);

    Capture err(std::cerr);
    bank.dump();
    std::string text = err.text();
    size_t blocks = 0;
    for (size_t at = text.find("block  @ "); at != std::string::npos; at = text.find("block  @ ", at + 1))
        ++blocks;
    EXPECT_EQ(blocks, 2u);
    EXPECT_NE(text.find("itemsz = 24\nincr   = 3\neflag  = 0\nn_alloc= 2\nn_total= 6\n"), std::string::npos) << text;
    EXPECT_NE(text.find("n      = 1\nm      = 3\n"), std::string::npos) << text;
    // The free list, last freed first, ends the listing.
    std::ostringstream free_list;
    const std::string nine(9, ' ');
    free_list << "free_p = " << nine << static_cast<void *>(items[1]) << '\n'
              << nine << static_cast<void *>(items[0]) << '\n'
              << nine << "0\n\n";
    EXPECT_EQ(text.rfind(free_list.str()), text.size() - free_list.str().size()) << text;
}

TEST(Bank, ItemSizeAndIncrementAreRaisedToTheMinimum) {
    struct Case {
        int itemsz, incr, want_itemsz, want_incr;
    } cases[] = {{1, 5, 8, 5}, {0, 5, 8, 5}, {-4, 5, 8, 5}, {12, 0, 16, 1}, {20, -3, 24, 1}, {8, 1, 8, 1}};
    for (const Case &c : cases) {
        Bank bank(c.itemsz, nullptr, c.incr);
        EXPECT_EQ(bank.item_size(), c.want_itemsz) << c.itemsz;
        EXPECT_EQ(bank.increment(), c.want_incr) << c.incr;
        void *a = bank.get(), *b = bank.get(); // a second block when incr is 1
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % alignof(void *), 0u);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % alignof(void *), 0u);
        bank.free(a);
        bank.free(b);
        EXPECT_EQ(bank.get(), b);
    }
}

// Random gets and frees: items are distinct and aligned, the free list is a
// stack, and the counts follow.
TEST(Bank, RandomTrafficAgainstAStackModel) {
    std::mt19937 rng(17);
    PWSRegion region;
    Bank bank(40, &region, 7);
    std::set<void *> live;
    std::vector<void *> freed; // the bank's free list, top last
    std::vector<void *> order;
    int from_blocks = 0;
    for (int step = 0; step < 20000; ++step) {
        if (rng() % 5 < 3 || order.empty()) {
            void *item = bank.get();
            ASSERT_NE(item, nullptr);
            if (!freed.empty()) {
                ASSERT_EQ(item, freed.back());
                freed.pop_back();
            } else {
                ++from_blocks;
            }
            ASSERT_TRUE(live.insert(item).second);
            std::memset(item, 0xAB, 40);
            order.push_back(item);
        } else {
            size_t pick = rng() % order.size();
            void *item = order[pick];
            order[pick] = order.back();
            order.pop_back();
            live.erase(item);
            bank.free(item);
            freed.push_back(item);
        }
        ASSERT_EQ(bank.allocated(), static_cast<int>(live.size()));
        ASSERT_EQ(bank.total(), (from_blocks + 6) / 7 * 7 + (from_blocks == 0 ? 7 : 0));
    }
}

TEST(Bank, BankObjectsLiveInRegions) {
    PWSRegion region;
    Bank *bank = new (&region) Bank(32, &region, 10);
    ASSERT_NE(bank, nullptr);
    KT_Status status;
    EXPECT_EQ(PWS::WhichRegion(bank, status), &region);
    bank->get();
    delete bank;
    EXPECT_EQ(region.bytes_in_use(), 0);
    Bank *other = new (&region) Bank(32, &region, 10);
    other->~Bank();
    Bank::operator delete(other, nullptr); // the region is found through the block
    EXPECT_EQ(region.bytes_in_use(), 0);
}

} // namespace
