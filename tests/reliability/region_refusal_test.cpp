// Every container operation that can ask its region for space, run from one
// table: for k = 0, 1, 2, ... the k-th request made inside the call is
// refused (the objects placed in the heap region count too). A refusal must
// show as the documented -1, null or no-store flag
// and leave the container's contents as they were; once the containers
// are destroyed the region must hold exactly what it held before. The walk
// ends at the first k whose call meets no refusal; that call must succeed.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kt/containers_hash.h"
#include "kt/containers_list.h"

namespace {

// The containers a call works on; all live in `region` and go with the box.
struct Box {
    explicit Box(PWSRegion *r) : region(r) {}
    PWSRegion *region;
    std::unique_ptr<Bst> bits;
    std::unique_ptr<Arr_int> arr, arr2;
    std::unique_ptr<Arr_intptr_t> words;
    std::unique_ptr<Stk_int> stack;
    std::unique_ptr<Quu_int> queue;
    std::unique_ptr<Quu_voidp> pointers;
    std::unique_ptr<Bank> bank;
    std::unique_ptr<Hash_cString_int> strings;
    std::unique_ptr<Hash_Key_int> ints;
    std::unique_ptr<Hash_Key_voidp> addresses;
    std::unique_ptr<StringTable> table;
    std::unique_ptr<Dlist_int> list;
    std::unique_ptr<Grf> graph;
    int result = 0, created = -1;
    void *item = nullptr;
};

struct Case {
    const char *name;
    std::function<void(Box &)> setup; // not under refusal
    std::function<void(Box &)> call;
    std::function<bool(Box &)> check; // asserts the outcome; true when the call succeeded
};

bool region_still_grants(PWSRegion &region) {
    KT_Status status;
    void *probe = region.AllocMem(1, status);
    region.FreeMem(probe, status);
    return probe != nullptr;
}

void drive(const Case &c) {
    for (int64_t k = 0;; ++k) {
        ASSERT_LT(k, 400) << c.name << " never succeeds";
        SCOPED_TRACE(std::string(c.name) + ", requests granted: " + std::to_string(k));
        PWSRegion region;
        KT_Status status;
        void *unrelated = region.AllocMem(40, status); // the baseline is not just 0
        const int64_t baseline = region.bytes_in_use();
        bool refused = false;
        {
            Box box(&region);
            c.setup(box);
            region.fail_after(k);
            c.call(box);
            refused = !region_still_grants(region);
            region.fail_after(-1);
            const bool succeeded = c.check(box);
            if (!refused) {
                EXPECT_TRUE(succeeded) << "fails with every request granted";
                EXPECT_GT(k, 1) << "never asked the region";
            }
        }
        EXPECT_EQ(region.bytes_in_use(), baseline);
        region.FreeMem(unrelated, status);
        if (!refused || ::testing::Test::HasFatalFailure())
            return;
    }
}

std::vector<int> contents(const Arr_int &a) {
    std::vector<int> v;
    for (int i = 0; i < a.size(); ++i)
        v.push_back(a[i]);
    return v;
}

std::vector<int> contents(Quu_int &q) {
    std::vector<int> v;
    for (int j = 0; j < q.size(); ++j)
        v.push_back(q.item(j));
    return v;
}

// A typed array holding 1, 2, ... up to its capacity.
void full_array(Box &b) {
    b.arr = std::make_unique<Arr_int>(b.region, 2);
    while (b.arr->size() < b.arr->max_size())
        b.arr->enter(b.arr->size() + 1);
}

const std::vector<int> kFull = {1, 2};

// A grown array, or -1 with the elements kept and the flag set.
bool grown_array(Box &b, const std::vector<int> &after) {
    if (b.result < 0) {
        EXPECT_EQ(contents(*b.arr), kFull);
        EXPECT_EQ(b.arr->nostore(), 1);
        return false;
    }
    EXPECT_EQ(contents(*b.arr), after);
    return true;
}

void full_queue(Box &b) {
    b.queue = std::make_unique<Quu_int>(b.region, 2);
    b.queue->queue(1);
    b.queue->queue(2);
}

bool grown_queue(Box &b, const std::vector<int> &after) {
    if (b.result < 0) {
        EXPECT_EQ(contents(*b.queue), kFull);
        EXPECT_EQ(b.queue->max_size(), 2);
        EXPECT_EQ(b.queue->nostore(), 1);
        return false;
    }
    EXPECT_EQ(contents(*b.queue), after);
    return true;
}

// A hash entry made and linked, or null with nothing linked.
template <class Table, class Key> bool entered(Table &t, Box &b, Key key, const std::vector<Key> &earlier) {
    for (Key k : earlier)
        EXPECT_NE(t.find(k), nullptr) << "earlier entries stay";
    if (!b.item) {
        EXPECT_EQ(b.created, 0);
        EXPECT_EQ(t.nostore(), 1);
        EXPECT_EQ(t.find(key), nullptr);
        return false;
    }
    EXPECT_EQ(b.created, 1);
    EXPECT_EQ(t.find(key), b.item);
    return true;
}

std::vector<const char *> sixteen_keys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> k;
        for (int i = 0; i < 16; ++i)
            k.push_back("key" + std::to_string(i));
        return k;
    }();
    std::vector<const char *> out;
    for (const std::string &k : keys)
        out.push_back(k.c_str());
    return out;
}

char places[17]; // sixteen keys and one more

std::vector<void *> sixteen_addresses() {
    std::vector<void *> out;
    for (int i = 0; i < 16; ++i)
        out.push_back(&places[i]);
    return out;
}

std::vector<int> sixteen_ints() {
    std::vector<int> out;
    for (int k = 0; k < 16; ++k)
        out.push_back(k * 7 - 50);
    return out;
}

// A table holding `earlier`, then `key` entered under refusal: past 16
// keys the table rehashes, and grows its threshold when that is granted.
template <class Table, class Key>
Case entering(const char *name, std::unique_ptr<Table> Box::*table, std::vector<Key> earlier, Key key) {
    return {name,
            [=](Box &b) {
                b.*table = std::make_unique<Table>(b.region);
                int created = 0;
                for (Key k : earlier)
                    (b.*table)->create(k, created);
            },
            [=](Box &b) { b.item = (b.*table)->create(key, b.created); },
            [=](Box &b) {
                bool ok = entered<Table, Key>(*(b.*table), b, key, earlier);
                if (!earlier.empty()) {
                    EXPECT_EQ((b.*table)->rehash_threshold() > 16, ok);
                }
                return ok;
            }};
}

std::vector<Case> cases() {
    auto none = [](Box &) {};
    return {
        {"Bst", none, [](Box &b) { b.bits = std::make_unique<Bst>(200, b.region); },
         [](Box &b) {
             if (!b.bits) // the object itself was refused
                 return false;
             EXPECT_EQ(b.bits->nostore(), b.bits->bits == nullptr);
             return b.bits->nostore() == 0;
         }},
        {"Arr_int with room", none, [](Box &b) { b.arr = std::make_unique<Arr_int>(b.region, 8); },
         [](Box &b) {
             EXPECT_EQ(b.arr->size(), 0);
             EXPECT_EQ(b.arr->max_size() >= 8, b.arr->nostore() == 0);
             return b.arr->nostore() == 0;
         }},
        {"Arr size", full_array, [](Box &b) { b.result = b.arr->size(9); },
         [](Box &b) {
             if (b.result < 0) {
                 EXPECT_EQ(contents(*b.arr), kFull);
             }
             EXPECT_EQ(b.arr->size(), b.result < 0 ? 2 : 9);
             return b.result == 9;
         }},
        {"Arr max_size", full_array, [](Box &b) { b.result = b.arr->max_size(50); },
         [](Box &b) {
             EXPECT_EQ(contents(*b.arr), kFull);
             EXPECT_EQ(b.arr->max_size() >= 50, b.result >= 50);
             return b.result >= 50;
         }},
        {"Arr_int enter", full_array, [](Box &b) { b.result = b.arr->enter(9); },
         [](Box &b) {
             return grown_array(b, {1, 2, 9});
         }},
        {"Arr_int enter of values", full_array,
         [](Box &b) {
             const int more[] = {7, 8, 9};
             b.result = b.arr->enter(more, 3);
         },
         [](Box &b) {
             return grown_array(b, {1, 2, 7, 8, 9});
         }},
        {"Arr_int enter of its own values", full_array,
         [](Box &b) { b.result = b.arr->enter(static_cast<const int *>(b.arr->start()), 2); },
         [](Box &b) {
             return grown_array(b, {1, 2, 1, 2});
         }},
        {"Arr_intptr_t enter",
         [](Box &b) {
             b.words = std::make_unique<Arr_intptr_t>(b.region, 1);
             b.words->enter(5);
         },
         [](Box &b) { b.result = b.words->enter(6); },
         [](Box &b) {
             EXPECT_EQ((*b.words)[0], 5);
             EXPECT_EQ(b.words->size(), b.result < 0 ? 1 : 2);
             return b.result == 2;
         }},
        {"Arr_int +=",
         [](Box &b) {
             full_array(b);
             b.arr2 = std::make_unique<Arr_int>(b.region, 3);
             for (int v : {7, 8, 9})
                 b.arr2->enter(v);
         },
         [](Box &b) { *b.arr += *b.arr2; },
         [](Box &b) {
             // A value that cannot be entered is skipped; the rest stay in order.
             std::vector<int> got = contents(*b.arr);
             EXPECT_EQ(std::vector<int>(got.begin(), got.begin() + 2), kFull);
             EXPECT_EQ(contents(*b.arr2), (std::vector<int>{7, 8, 9}));
             return got == std::vector<int>{1, 2, 7, 8, 9};
         }},
        {"Arr_int =",
         [](Box &b) {
             b.arr = std::make_unique<Arr_int>(b.region, 1);
             b.arr2 = std::make_unique<Arr_int>(b.region, 3);
             for (int v : {7, 8, 9})
                 b.arr2->enter(v);
         },
         [](Box &b) { *b.arr = *b.arr2; },
         [](Box &b) {
             // The values entered before a refusal, in order.
             const std::vector<int> all = {7, 8, 9};
             std::vector<int> got = contents(*b.arr);
             EXPECT_LE(got.size(), all.size());
             EXPECT_TRUE(std::equal(got.begin(), got.end(), all.begin()));
             return got == all;
         }},
        {"Stk_int with room", none, [](Box &b) { b.stack = std::make_unique<Stk_int>(b.region, 4); },
         [](Box &b) {
             EXPECT_EQ(b.stack->max_size() >= 4, b.stack->nostore() == 0);
             EXPECT_EQ(b.stack->push(1), 1) << "storage granted later still serves";
             return b.stack->nostore() == 0;
         }},
        {"Stk_int push",
         [](Box &b) {
             b.stack = std::make_unique<Stk_int>(b.region, 1);
             b.stack->push(1);
         },
         [](Box &b) { b.result = b.stack->push(2); },
         [](Box &b) {
             EXPECT_EQ(b.stack->nostore(), b.result < 0);
             EXPECT_EQ(b.stack->size(), b.result < 0 ? 1 : 2);
             EXPECT_EQ(b.stack->top(), b.result < 0 ? 1 : 2);
             return b.result == 2;
         }},
        {"Quu_int with room", none, [](Box &b) { b.queue = std::make_unique<Quu_int>(b.region, 4); },
         [](Box &b) {
             if (!b.queue) // the object itself, from the heap region, was refused
                 return false;
             EXPECT_EQ(b.queue->max_size(), b.queue->nostore() ? 0 : 4);
             return b.queue->nostore() == 0;
         }},
        {"Quu max_size", full_queue, [](Box &b) { b.result = b.queue->max_size(8); },
         [](Box &b) {
             if (b.result < 0) {
                 EXPECT_EQ(b.queue->max_size(), 2);
             }
             EXPECT_EQ(contents(*b.queue), kFull);
             return b.result == 8;
         }},
        {"Quu size", full_queue, [](Box &b) { b.result = b.queue->size(3); },
         [](Box &b) {
             EXPECT_EQ(b.queue->size(), b.result < 0 ? 2 : 3);
             EXPECT_EQ(b.queue->item(0), 1);
             return b.result == 3;
         }},
        {"Quu_int queue", full_queue, [](Box &b) { b.result = b.queue->queue(3); },
         [](Box &b) {
             return grown_queue(b, {1, 2, 3});
         }},
        {"Quu_int queue of values", full_queue,
         [](Box &b) {
             const int more[] = {3, 4, 5};
             b.result = b.queue->queue(more, 3);
         },
         [](Box &b) {
             return grown_queue(b, {1, 2, 3, 4, 5});
         }},
        {"Quu_int queue of its own items", full_queue, [](Box &b) { b.result = b.queue->queue(&b.queue->item(0), 2); },
         [](Box &b) {
             return grown_queue(b, {1, 2, 1, 2});
         }},
        {"Quu_voidp queue",
         [](Box &b) {
             b.pointers = std::make_unique<Quu_voidp>(b.region, 1);
             b.pointers->queue(&b);
         },
         [](Box &b) { b.result = b.pointers->queue(b.region); },
         [](Box &b) {
             EXPECT_EQ(b.pointers->item(0), &b);
             EXPECT_EQ(b.pointers->size(), b.result < 0 ? 1 : 2);
             return b.result == 2;
         }},
        {"Bank", none, [](Box &b) { b.bank = std::make_unique<Bank>(24, b.region, 5); },
         [](Box &b) {
             if (!b.bank || b.bank->nostore())
                 return false;
             return b.bank->get() != nullptr;
         }},
        {"Bank get from a new block",
         [](Box &b) {
             b.bank = std::make_unique<Bank>(24, b.region, 2);
             b.bank->get();
             b.bank->get();
         },
         [](Box &b) { b.item = b.bank->get(); },
         [](Box &b) {
             EXPECT_EQ(b.bank->nostore(), b.item == nullptr);
             EXPECT_EQ(b.bank->allocated(), b.item ? 3 : 2);
             return b.item != nullptr;
         }},
        {"Dlist append of a new entry",
         [](Box &b) {
             b.list = std::make_unique<Dlist_int>(b.region);
             b.list->append(b.list->newEntry(1));
         },
         [](Box &b) { b.item = b.list->append(b.list->newEntry(2)); },
         [](Box &b) {
             EXPECT_EQ(b.list->nostore(), b.item == nullptr);
             EXPECT_EQ(b.list->size(), b.item ? 2 : 1);
             EXPECT_EQ(b.list->first()->value, 1);
             EXPECT_EQ(b.list->last()->value, b.item ? 2 : 1);
             return b.item != nullptr;
         }},
        {"Hash_cString_int", none, [](Box &b) { b.strings = std::make_unique<Hash_cString_int>(b.region); },
         [](Box &b) {
             if (!b.strings) // the object itself was refused
                 return false;
             EXPECT_EQ(b.strings->nostore(), b.strings->bucket_count() == 0);
             int created = 0;
             // A table whose construction failed fails every operation cleanly.
             EXPECT_EQ(b.strings->create("k", created) == nullptr, b.strings->nostore() == 1);
             return b.strings->nostore() == 0;
         }},
        // A key too long for room in its entry takes a request of its own.
        entering<Hash_cString_int, const char *>("Hash_cString_int create", &Box::strings, {}, "resistor_of_stage_2"),
        entering<Hash_cString_int, const char *>("Hash_cString_int create with a rehash", &Box::strings, sixteen_keys(),
                                                 "key16"),
        entering<Hash_Key_int, int>("Hash_Key_int create with a rehash", &Box::ints, sixteen_ints(), 1000),
        entering<Hash_Key_voidp, void *>("Hash_Key_voidp create with a rehash", &Box::addresses, sixteen_addresses(),
                                         static_cast<void *>(&places[16])),
        {"StringTable", none, [](Box &b) { b.table = std::make_unique<StringTable>(b.region); },
         [](Box &b) {
             if (!b.table) // the object itself was refused
                 return false;
             // A refused id store still lets the table grow it later.
             bool ok = StringTable::status == 0;
             int id = b.table->enter("x");
             if (id >= 0) {
                 EXPECT_STREQ(b.table->string_of(id), "x");
             }
             return ok;
         }},
        {"StringTable enter",
         [](Box &b) {
             b.table = std::make_unique<StringTable>(b.region);
             b.table->enter("first");
         },
         [](Box &b) { b.result = b.table->enter("second_key_of_the_table"); },
         [](Box &b) {
             EXPECT_STREQ(b.table->string_of(0), "first");
             if (b.result < 0) {
                 EXPECT_EQ(StringTable::status, 2);
                 EXPECT_EQ(b.table->find("second_key_of_the_table"), -1);
                 return false;
             }
             EXPECT_STREQ(b.table->string_of(b.result), "second_key_of_the_table");
             return b.result == 1;
         }},
        {"StringTable free",
         [](Box &b) {
             b.table = std::make_unique<StringTable>(b.region);
             for (int i = 0; i < 12; ++i)
                 b.table->enter(("s" + std::to_string(i)).c_str());
             for (int id = 0; id < 10; ++id)
                 b.table->free(id); // the released-id stack is full now
         },
         [](Box &b) { b.table->free(10); },
         [](Box &b) {
             if (StringTable::status == 2) {
                 EXPECT_STREQ(b.table->string_of(10), "s10") << "a refused release keeps the string";
                 return false;
             }
             EXPECT_EQ(StringTable::status, 0);
             EXPECT_EQ(b.table->string_of(10), nullptr);
             return true;
         }},
        {"Grf", none, [](Box &b) { b.graph = std::make_unique<Grf>(b.region, 4); },
         [](Box &b) {
             EXPECT_EQ(b.graph->nodes(), 0);
             return b.graph->nostore() == 0;
         }},
        {"Grf add_node",
         [](Box &b) {
             b.graph = std::make_unique<Grf>(b.region, 1);
             b.graph->add_node(1);
         },
         [](Box &b) { b.result = b.graph->add_node(3); },
         [](Box &b) {
             EXPECT_EQ(b.graph->nodes(), b.result < 0 ? 1 : 4);
             return b.result == 4;
         }},
        {"Grf add_edge",
         [](Box &b) {
             b.graph = std::make_unique<Grf>(b.region, 1);
             b.graph->add_node(2);
             while (b.graph->edge_count() < b.graph->edge_capacity())
                 b.graph->add_edge(0, 1, b.graph->edge_count());
         },
         [](Box &b) { b.result = b.graph->add_edge(1, 0, 99); },
         [](Box &b) {
             const Grf &g = *b.graph;
             for (int e = 0; e < g.edge_count() - (b.result < 0 ? 0 : 1); ++e)
                 EXPECT_EQ(g.value(e), e) << "earlier edges stay";
             if (b.result < 0) {
                 EXPECT_EQ(g.nostore(), 1);
                 return false;
             }
             EXPECT_EQ(g.value(b.result), 99);
             EXPECT_EQ(g.target(b.result), 0);
             return true;
         }},
    };
}

TEST(RegionRefusal, EveryRequestOfEveryOperation) {
    for (const Case &c : cases())
        drive(c);
}

} // namespace
