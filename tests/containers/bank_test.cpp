// Item banks: blocks of `incr` items, last-freed-first reuse, counts, the
// dump listing, and the minimum item size and increment.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <set>
#include <vector>

#include "container_test_util.h"
#include "kt/containers.h"

using kt_cont_test::Capture;

namespace {

TEST(Bank, ItemsComeFromBlocksOfIncrItems) {
    PWSRegion region;
    Bank bank(24, &region, 3);
    EXPECT_EQ(bank.total(), 3);
    std::vector<char *> items;
    for (int k = 0; k < 3; ++k)
        items.push_back(static_cast<char *>(bank.get()));
    EXPECT_EQ(items[1] - items[0], 24);
    EXPECT_EQ(items[2] - items[1], 24);
    EXPECT_EQ(bank.total(), 3);
    items.push_back(static_cast<char *>(bank.get()));
    EXPECT_EQ(bank.total(), 6);
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
    EXPECT_EQ(bank.get(), items[1]);
    EXPECT_EQ(bank.get(), items[0]);
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
