// Every container operation that can ask its region for space, run from one
// table: for k = 0, 1, 2, ... the k-th request made inside the call is
// refused (the objects placed in the heap region count too). A refusal must
// show as the documented -1, null or no-store flag and leave the container's
// contents as they were; once the containers are destroyed the region must
// hold exactly what it held before. The walk ends at the first k whose call
// meets no refusal; that call must succeed. Operations whose refusals the
// container tests already walk (a bank, a new hash table) are not repeated.
#include <gtest/gtest.h>

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
    std::unique_ptr<StringTable> table;
    std::unique_ptr<Dlist_int> list;
    std::unique_ptr<Grf> graph;
    int result = 0, created = -1;
    void *item = nullptr;
};

// A row: the check asserts the outcome against `text` and answers whether
// the call succeeded.
struct Case {
    const char *name;
    std::function<void(Box &)> setup; // not under refusal
    std::function<void(Box &)> call;
    std::function<bool(Box &, const std::string &)> check;
    std::string text = "";
};

bool region_still_grants(PWSRegion &region) {
    KT_Status status;
    void *probe = region.AllocMem(1, status);
    region.FreeMem(probe, status);
    return probe != nullptr;
}

int drive(const Case &c) {
    for (int64_t k = 0;; ++k) {
        EXPECT_LT(k, 400) << c.name << " never succeeds";
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
            const bool succeeded = c.check(box, c.text);
            if (!refused) {
                EXPECT_TRUE(succeeded) << "fails with every request granted";
                EXPECT_GT(k, 1) << "never asked the region";
            }
        }
        EXPECT_EQ(region.bytes_in_use(), baseline);
        region.FreeMem(unrelated, status);
        if (!refused || k >= 400 || ::testing::Test::HasFatalFailure())
            return static_cast<int>(k);
    }
}

void none(Box &) {}

const int kMore[] = {3, 4, 5};

std::string contents(Arr_int &a) {
    std::string s;
    for (int i = 0; i < a.size(); ++i)
        s += (i ? " " : "") + std::to_string(a[i]);
    return s;
}

std::string contents(Quu_int &q) {
    std::string s;
    for (int j = 0; j < q.size(); ++j)
        s += (j ? " " : "") + std::to_string(q.item(j));
    return s;
}

// A grown array, or -1 with the elements kept and the flag set.
bool grown_array(Box &b, const std::string &after) {
    const bool ok = b.result >= 0;
    EXPECT_EQ(contents(*b.arr), ok ? after : "1 2");
    EXPECT_EQ(b.arr->nostore(), !ok);
    return ok;
}

bool grown_queue(Box &b, const std::string &after) {
    const bool ok = b.result >= 0;
    EXPECT_EQ(contents(*b.queue), ok ? after : "1 2");
    EXPECT_EQ(b.queue->nostore(), !ok);
    EXPECT_TRUE(ok || b.queue->max_size() == 2);
    return ok;
}

// Full containers, whose next element asks the region: an array and a
// queue holding 1 2 (and an array holding 7 8 9), a bank of two items, the
// others holding one element.
void filled(Box &b) {
    b.arr = std::make_unique<Arr_int>(b.region, 2);
    while (b.arr->size() < b.arr->max_size())
        b.arr->enter(b.arr->size() + 1);
    b.arr2 = std::make_unique<Arr_int>(b.region, 3);
    for (int v : {7, 8, 9})
        b.arr2->enter(v);
    b.queue = std::make_unique<Quu_int>(b.region, 2);
    b.queue->queue(1);
    b.queue->queue(2);
    b.bank = std::make_unique<Bank>(24, b.region, 2);
    b.bank->get();
    b.bank->get();
    b.words = std::make_unique<Arr_intptr_t>(b.region, 1);
    b.words->enter(5);
    b.stack = std::make_unique<Stk_int>(b.region, 1);
    b.stack->push(1);
    b.pointers = std::make_unique<Quu_voidp>(b.region, 1);
    b.pointers->queue(&b);
    b.list = std::make_unique<Dlist_int>(b.region);
    b.list->append(b.list->newEntry(1));
    b.table = std::make_unique<StringTable>(b.region);
    b.table->enter("first");
    b.graph = std::make_unique<Grf>(b.region, 1);
    b.graph->add_node(1);
}

// One more element, its count in the text: refused, the flag is set and
// the size kept. The earlier elements stay either way.
template <class C> bool one_more(C &c, int result, const std::string &count, bool kept) {
    EXPECT_TRUE(kept) << "an earlier element changed";
    EXPECT_EQ(c.nostore(), result < 0);
    EXPECT_EQ(c.size(), result < 0 ? std::stoi(count) - 1 : std::stoi(count));
    return result == std::stoi(count);
}

// A hash entry made and linked, or null with nothing linked.
template <class Table, class Key> bool entered(Table &t, Box &b, Key key, const std::vector<Key> &earlier) {
    for (Key k : earlier)
        EXPECT_NE(t.find(k), nullptr) << "earlier entries stay";
    EXPECT_EQ(b.created, b.item ? 1 : 0);
    EXPECT_TRUE(b.item || t.nostore() == 1);
    EXPECT_EQ(t.find(key), b.item);
    return b.item != nullptr;
}

// Sixteen keys of each kind fill a table to its first rehash.
const std::vector<const char *> kStringKeys = {"k0", "k1", "k2",  "k3",  "k4",  "k5",  "k6",  "k7",
                                               "k8", "k9", "k10", "k11", "k12", "k13", "k14", "k15"};
const std::vector<int> kIntKeys = {-50, -43, -36, -29, -22, -15, -8, -1, 6, 13, 20, 27, 34, 41, 48, 55};

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
            [=](Box &b, auto &) {
                bool ok = entered<Table, Key>(*(b.*table), b, key, earlier);
                EXPECT_EQ((b.*table)->rehash_threshold() > 16, ok);
                return ok;
            }};
}

// A container made in the region: refused, the object itself may be
// missing (heap-region objects) or carry the no-store flag.
template <class C> bool made(const std::unique_ptr<C> &c) { return c && c->nostore() == 0; }

std::vector<Case> cases() {
    return {
        {"Bst", none, [](Box &b) { b.bits = std::make_unique<Bst>(200, b.region); },
         [](Box &b, auto &) {
             EXPECT_TRUE(!b.bits || b.bits->nostore() == (b.bits->bits == nullptr));
             return made(b.bits);
         }},
        {"Arr size", filled, [](Box &b) { b.result = b.arr->size(9); },
         [](Box &b, auto &) {
             EXPECT_EQ(contents(*b.arr).substr(0, 3), "1 2");
             EXPECT_EQ(b.arr->size(), b.result < 0 ? 2 : 9);
             return b.result == 9;
         }},
        {"Arr max_size", filled, [](Box &b) { b.result = b.arr->max_size(50); },
         [](Box &b, auto &) {
             EXPECT_EQ(contents(*b.arr), "1 2");
             EXPECT_EQ(b.arr->max_size() >= 50, b.result >= 50);
             return b.result >= 50;
         }},
        {"Arr_int enter", filled, [](Box &b) { b.result = b.arr->enter(9); }, grown_array, "1 2 9"},
        {"Arr_int enter of values", filled, [](Box &b) { b.result = b.arr->enter(&(*b.arr2)[0], 3); }, grown_array,
         "1 2 7 8 9"},
        {"Arr_intptr_t enter", filled, [](Box &b) { b.result = b.words->enter(6); },
         [](Box &b, auto &t) { return one_more(*b.words, b.result, t, (*b.words)[0] == 5); }, "2"},
        // A value that cannot be entered is skipped; the rest stay in order.
        {"Arr_int +=", filled, [](Box &b) { *b.arr += *b.arr2; },
         [](Box &b, auto &t) {
             EXPECT_EQ(contents(*b.arr).substr(0, 3), "1 2");
             EXPECT_EQ(contents(*b.arr2), "7 8 9");
             return contents(*b.arr) == t;
         },
         "1 2 7 8 9"},
        // The values entered before a refusal, in order.
        {"Arr_int = into an empty array",
         [](Box &b) {
             filled(b);
             b.arr = std::make_unique<Arr_int>(b.region, 1);
         },
         [](Box &b) { *b.arr = *b.arr2; },
         [](Box &b, auto &t) {
             EXPECT_EQ(t.substr(0, contents(*b.arr).size()), contents(*b.arr));
             return contents(*b.arr) == t;
         },
         "7 8 9"},
        {"Stk_int with room", none, [](Box &b) { b.stack = std::make_unique<Stk_int>(b.region, 4); },
         [](Box &b, auto &) {
             EXPECT_EQ(b.stack->max_size() >= 4, b.stack->nostore() == 0);
             EXPECT_EQ(b.stack->push(1), 1) << "storage granted later still serves";
             return made(b.stack);
         }},
        {"Stk_int push", filled, [](Box &b) { b.result = b.stack->push(2); },
         [](Box &b, auto &t) { return one_more(*b.stack, b.result, t, b.stack->top() == (b.result < 0 ? 1 : 2)); },
         "2"},
        {"Quu_int with room", none, [](Box &b) { b.queue = std::make_unique<Quu_int>(b.region, 4); },
         [](Box &b, auto &) {
             EXPECT_TRUE(!b.queue || b.queue->max_size() == (b.queue->nostore() ? 0 : 4));
             return made(b.queue);
         }},
        {"Quu max_size", filled, [](Box &b) { b.result = b.queue->max_size(8); },
         [](Box &b, auto &) {
             EXPECT_EQ(b.queue->max_size(), b.result < 0 ? 2 : 8);
             EXPECT_EQ(contents(*b.queue), "1 2");
             return b.result == 8;
         }},
        {"Quu size", filled, [](Box &b) { b.result = b.queue->size(3); },
         [](Box &b, auto &) {
             EXPECT_EQ(b.queue->size(), b.result < 0 ? 2 : 3);
             EXPECT_EQ(b.queue->item(0), 1);
             return b.result == 3;
         }},
        {"Quu_int queue", filled, [](Box &b) { b.result = b.queue->queue(3); }, grown_queue, "1 2 3"},
        {"Quu_int queue of values", filled, [](Box &b) { b.result = b.queue->queue(kMore, 3); }, grown_queue,
         "1 2 3 4 5"},
        {"Quu_int queue of its own items", filled, [](Box &b) { b.result = b.queue->queue(&b.queue->item(0), 2); },
         grown_queue, "1 2 1 2"},
        {"Quu_voidp queue", filled, [](Box &b) { b.result = b.pointers->queue(b.region); },
         [](Box &b, auto &t) { return one_more(*b.pointers, b.result, t, b.pointers->item(0) == &b); }, "2"},
        {"Bank get from a new block", filled, [](Box &b) { b.item = b.bank->get(); },
         [](Box &b, auto &) {
             EXPECT_EQ(b.bank->nostore(), b.item == nullptr);
             EXPECT_EQ(b.bank->allocated(), b.item ? 3 : 2);
             return b.item != nullptr;
         }},
        {"Dlist append of a new entry", filled, [](Box &b) { b.item = b.list->append(b.list->newEntry(2)); },
         [](Box &b, auto &t) {
             const bool kept = b.list->first()->value == 1 && b.list->last()->value == (b.item ? 2 : 1);
             return one_more(*b.list, b.item ? 2 : -1, t, kept);
         },
         "2"},
        {"Hash_cString_int", none, [](Box &b) { b.strings = std::make_unique<Hash_cString_int>(b.region); },
         [](Box &b, auto &) {
             // A table whose construction failed fails every operation cleanly.
             int created = 0;
             EXPECT_TRUE(!b.strings || b.strings->nostore() == (b.strings->bucket_count() == 0));
             EXPECT_TRUE(!b.strings || (b.strings->create("k", created) == nullptr) == (b.strings->nostore() == 1));
             return made(b.strings);
         }},
        entering<Hash_cString_int, const char *>("Hash_cString_int create with a rehash", &Box::strings, kStringKeys,
                                                 "k16"),
        entering<Hash_Key_int, int>("Hash_Key_int create with a rehash", &Box::ints, kIntKeys, 1000),
        {"StringTable", none, [](Box &b) { b.table = std::make_unique<StringTable>(b.region); },
         [](Box &b, auto &) {
             // A refused id store still lets the table grow it later.
             const bool ok = b.table && StringTable::status == 0;
             const int id = b.table ? b.table->enter("x") : -1;
             EXPECT_STREQ(id >= 0 ? b.table->string_of(id) : "x", "x");
             return ok;
         }},
        // A key too long for room in its entry takes a request of its own.
        {"StringTable enter", filled, [](Box &b) { b.result = b.table->enter("second_key_of_the_table"); },
         [](Box &b, auto &) {
             EXPECT_STREQ(b.table->string_of(0), "first");
             EXPECT_TRUE(b.result >= 0 || StringTable::status == 2);
             EXPECT_EQ(b.table->find("second_key_of_the_table"), b.result);
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
         [](Box &b, auto &) {
             // A refused release keeps the string.
             EXPECT_TRUE(StringTable::status == 0 || StringTable::status == 2);
             EXPECT_STREQ(b.table->string_of(10), StringTable::status == 2 ? "s10" : nullptr);
             return StringTable::status == 0;
         }},
        {"Grf", none, [](Box &b) { b.graph = std::make_unique<Grf>(b.region, 4); },
         [](Box &b, auto &) {
             EXPECT_EQ(b.graph->nodes(), 0);
             return made(b.graph);
         }},
        {"Grf add_node", filled, [](Box &b) { b.result = b.graph->add_node(3); },
         [](Box &b, auto &) {
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
         [](Box &b, auto &) {
             const Grf &g = *b.graph;
             for (int e = 0; e < g.edge_count() - (b.result < 0 ? 0 : 1); ++e)
                 EXPECT_EQ(g.value(e), e) << "earlier edges stay";
             EXPECT_EQ(g.nostore(), b.result < 0);
             EXPECT_EQ(b.result < 0 ? 99 : g.value(b.result), 99);
             EXPECT_EQ(b.result < 0 ? 0 : g.target(b.result), 0);
             return b.result >= 0;
         }},
    };
}

TEST(RegionRefusal, EveryRequestOfEveryOperation) {
    int refused = 0;
    for (const Case &c : cases())
        refused += drive(c);
    RecordProperty("refused_runs", refused);
}

} // namespace
