// Doubly linked lists: positions, the entries a list gives back, and random
// traffic against a vector.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "container_test_util.h"
#include "kt/containers_list.h"

namespace {

std::vector<int> values(const Dlist_int &list) {
    std::vector<int> v;
    for (auto *e = list.first(); e; e = list.next(e))
        v.push_back(e->value);
    // The backward links must tell the same story.
    std::vector<int> back;
    for (auto *e = list.last(); e; e = list.prev(e))
        back.insert(back.begin(), e->value);
    EXPECT_EQ(v, back);
    EXPECT_EQ(list.size(), static_cast<int>(v.size()));
    return v;
}

Dlist_int::Entry *add(Dlist_int &list, int v) { return list.append(list.newEntry(v)); }

TEST(Dlist, NullEntriesAndPositionsOutsideAreRefused) {
    Dlist_int list(nullptr, 7); // the heap's region
    EXPECT_EQ(list.tag(), 7);
    add(list, 0);
    add(list, 1);
    EXPECT_EQ(list.atEntry(1), list.last());
    EXPECT_EQ(list.atEntry(2), nullptr);
    EXPECT_EQ(list.atEntry(-1), nullptr);
    EXPECT_EQ(list.nostore(), 0);
    EXPECT_EQ(list.append(nullptr), nullptr);
    auto *orphan = list.newEntry(9);
    EXPECT_EQ(list.insertAfter(nullptr, orphan), nullptr);
    delete orphan;
    EXPECT_EQ(list.nostore(), 1);
}

TEST(Dlist, TheDestructorReturnsTheEntriesButNotRemovedOnes) {
    PWSRegion region;
    Dlist_void_p::Entry *kept;
    {
        Dlist_void_p list(&region);
        for (int k = 0; k < 5; ++k)
            list.append(list.newEntry(&region));
        kept = list.first();
        EXPECT_EQ(list.remove(kept), &region);
        EXPECT_EQ(kept->next, nullptr);
        EXPECT_EQ(kept->prev, nullptr);
    }
    KT_Status status;
    EXPECT_EQ(PWS::WhichRegion(kept, status), &region);
    delete kept;
    EXPECT_EQ(region.bytes_in_use(), 0);
}

// Every operation against a vector; a walk that removes the tail ends (it
// must not start over), and a reset walk starts at the head again.
TEST(Dlist, RandomTrafficAgainstAVector) {
    std::mt19937 rng(37);
    PWSRegion region;
    Dlist_int list(&region);
    std::vector<int> model;
    for (int step = 0; step < 3000; ++step) {
        int v = static_cast<int>(rng() % 1000);
        int size = static_cast<int>(model.size());
        int i = size ? static_cast<int>(rng() % static_cast<unsigned>(size)) : 0;
        switch (rng() % 7) {
        case 0:
            add(list, v);
            model.push_back(v);
            break;
        case 1:
            list.prepend(list.newEntry(v));
            model.insert(model.begin(), v);
            break;
        case 2:
            if (size) {
                list.insertAfter(list.at(i), list.newEntry(v));
                model.insert(model.begin() + i + 1, v);
            }
            break;
        case 3:
            if (size) {
                list.insertBefore(list.at(i), list.newEntry(v));
                model.insert(model.begin() + i, v);
            }
            break;
        case 4:
            if (size) {
                auto *e = list.at(i);
                ASSERT_EQ(list.remove(e), model[static_cast<size_t>(i)]);
                delete e;
                model.erase(model.begin() + i);
            }
            break;
        case 5: {
            if (rng() % 10 == 0) {
                list.clear();
                model.clear();
                ASSERT_EQ(region.bytes_in_use(), 0) << "clear returns the entries";
                break;
            }
            int limit = static_cast<int>(rng() % 1000), one = 1;
            auto above = [](int &x, void *arg) -> kt_boolean_t { return x > *static_cast<int *>(arg); };
            auto over = [limit](int x) { return x > limit; };
            auto *e = list.findNext(list.first(), above, &limit);
            auto at = std::find_if(model.begin(), model.end(), over);
            ASSERT_EQ(e ? e->value : -1, at == model.end() ? -1 : *at);
            ASSERT_EQ(list.nOfEntries(above, &limit), std::count_if(model.begin(), model.end(), over));
            list.apply([](int &x, void *arg) { x = (x + *static_cast<int *>(arg)) % 1000; }, &one);
            for (int &x : model)
                x = (x + 1) % 1000;
            break;
        }
        default: {
            // A walk that removes some entries as it goes; the model keeps
            // the same cursor: -1 before the head, `ended` after the tail.
            Dlist_Iterator_int it(&list);
            ASSERT_EQ(it.remove(), 0) << "nothing current, nothing removed";
            int cur = -1;
            bool ended = false;
            for (;;) {
                auto *e = it();
                if (ended || cur + 1 >= static_cast<int>(model.size())) {
                    ASSERT_EQ(e, nullptr);
                    it.reset();
                    e = it();
                    ASSERT_EQ(e ? e->value : -1, model.empty() ? -1 : model[0]);
                    break;
                }
                ++cur;
                ASSERT_NE(e, nullptr);
                ASSERT_EQ(e->value, model[static_cast<size_t>(cur)]);
                unsigned pick = rng() % 4;
                if (pick == 0) {
                    ASSERT_EQ(it.remove(), model[static_cast<size_t>(cur)]);
                    model.erase(model.begin() + cur);
                    --cur;
                    delete e;
                } else if (pick == 1) {
                    ASSERT_EQ(it.removeNext(), model[static_cast<size_t>(cur)]);
                    model.erase(model.begin() + cur);
                    ended = cur >= static_cast<int>(model.size());
                    delete e;
                }
            }
        }
        }
        ASSERT_EQ(values(list), model) << step;
    }
}

} // namespace
