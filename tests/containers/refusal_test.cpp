// Every container under refused region requests: the k-th request is
// refused for every k until the scenario runs through. A refusal must show
// as nostore(), -1 or null, leave what was there intact, and the container
// must work again once storage comes back; destroying it must give back
// every byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "container_test_util.h"
#include "kt/containers_hash.h"
#include "kt/containers_list.h"

using kt_cont_test::for_each_refusal;

namespace {

TEST(Refusals, TypedArray) {
    for_each_refusal([](PWSRegion &region) {
        bool ok = true;
        Arr_intptr_t a(&region, 2);
        ok &= a.nostore() == 0;
        std::vector<intptr_t> model;
        for (intptr_t v = 0; v < 100; ++v) {
            int slot = a.enter(v);
            if (slot < 0) {
                ok = false;
                EXPECT_EQ(a.nostore(), 1);
                continue;
            }
            EXPECT_EQ(slot, static_cast<int>(model.size()) + 1);
            model.push_back(v);
        }
        const intptr_t more[] = {7, 8, 9};
        if (a.enter(more, 3) < 0)
            ok = false;
        else
            model.insert(model.end(), more, more + 3);
        EXPECT_EQ(a.size(), static_cast<int>(model.size()));
        for (int i = 0; i < a.size(); ++i)
            EXPECT_EQ(a[i], model[static_cast<size_t>(i)]);
        if (!model.empty()) {
            a.remove(0);
            EXPECT_EQ(a.enter(5), 1) << "a free slot needs no storage";
        }
        Arr_intptr_t b(&region, 1);
        b += a; // what cannot be entered is skipped
        ok &= b.nostore() == 0;
        if (b.nostore() == 0) {
            EXPECT_EQ(b.size(), a.size());
        }
        region.fail_after(-1);
        EXPECT_GT(a.enter(1), 0);
        return ok;
    });
}

TEST(Refusals, Queue) {
    for_each_refusal([](PWSRegion &region) {
        bool ok = true;
        Quu_int q(&region, 1);
        ok &= q.nostore() == 0;
        std::vector<int> model;
        for (int v = 0; v < 60; ++v) {
            if (v % 10 == 0) {
                const int five[] = {v, v, v, v, v};
                if (q.queue(five, 5) < 0)
                    ok = false;
                else
                    model.insert(model.end(), five, five + 5);
            } else if (q.queue(v) < 0) {
                ok = false;
            } else {
                model.push_back(v);
            }
        }
        EXPECT_EQ(q.size(), static_cast<int>(model.size()));
        for (int j = 0; j < q.size(); ++j)
            EXPECT_EQ(q.item(j), model[static_cast<size_t>(j)]);
        if (!ok) {
            EXPECT_EQ(q.nostore(), 1);
        }
        if (q.size(q.size() + 40) < 0) {
            ok = false;
            EXPECT_EQ(q.size(), static_cast<int>(model.size()));
        }
        Quu_int nothing(&region, 0);
        EXPECT_EQ(nothing.nostore(), 0) << "no space asked, none refused";
        return ok;
    });
}

TEST(Refusals, Bank) {
    for_each_refusal([](PWSRegion &region) {
        bool ok = true;
        Bank *bank = new (&region) Bank(24, &region, 5);
        if (!bank)
            return false;
        ok &= bank->nostore() == 0;
        std::vector<void *> items;
        for (int k = 0; k < 60; ++k) {
            void *item = bank->get();
            if (!item) {
                ok = false;
                EXPECT_EQ(bank->nostore(), 1);
                continue;
            }
            items.push_back(item);
            if (k % 3 == 0) {
                bank->free(items.back());
                items.pop_back();
            }
        }
        EXPECT_EQ(bank->allocated(), static_cast<int>(items.size()));
        delete bank;
        return ok;
    });
}

TEST(Refusals, StringKeyedTable) {
    for_each_refusal([](PWSRegion &region) {
        bool ok = true;
        auto *table = new (&region) Hash_cString_int(&region);
        if (!table)
            return false;
        std::vector<std::string> present;
        for (int k = 0; k < 150; ++k) {
            std::string key = "key" + std::to_string(k);
            int created = -1;
            Hash_entry_cString_int *e = table->create(key.c_str(), created);
            if (!e) {
                ok = false;
                EXPECT_EQ(created, 0);
                EXPECT_EQ(table->nostore(), 1);
                EXPECT_EQ(table->find(key.c_str()), nullptr) << "nothing linked";
                continue;
            }
            table->save_value(e, k);
            present.push_back(key);
        }
        ok &= table->nostore() == 0; // a refused rehash also counts
        for (size_t k = 0; k < present.size(); ++k) {
            Hash_entry_cString_int *e = table->find(present[k].c_str());
            EXPECT_NE(e, nullptr) << present[k];
            if (e)
                table->free(e);
        }
        EXPECT_EQ(table->allocated(), 0);
        delete table;
        return ok;
    });
}

TEST(Refusals, IntKeyedTable) {
    for_each_refusal([](PWSRegion &region) {
        Hash_Key_int table(&region);
        int made = 0;
        for (int k = 0; k < 300; ++k) {
            int created = 0;
            if (table.create(k * 7 - 1000, created))
                ++made;
        }
        int found = 0;
        for (int k = 0; k < 300; ++k)
            found += table.find(k * 7 - 1000) != nullptr;
        EXPECT_EQ(found, made);
        return table.nostore() == 0 && made == 300;
    });
}

TEST(Refusals, StringTable) {
    for_each_refusal([](PWSRegion &region) {
        bool ok = true;
        StringTable table(&region);
        ok &= StringTable::status == 0;
        std::vector<int> ids;
        for (int k = 0; k < 40; ++k) {
            int id = table.enter(("s" + std::to_string(k)).c_str());
            if (id < 0) {
                ok = false;
                EXPECT_EQ(StringTable::status, 2);
                continue;
            }
            ids.push_back(id);
        }
        // Release them all: the released-id stack grows as it goes.
        for (int id : ids) {
            table.free(id);
            if (StringTable::status == 2) {
                ok = false;
                EXPECT_NE(table.string_of(id), nullptr) << "a refused release keeps the string";
            } else {
                EXPECT_EQ(StringTable::status, 0);
            }
        }
        return ok;
    });
}

TEST(Refusals, Graph) {
    for_each_refusal([](PWSRegion &region) {
        bool ok = true;
        Grf g(&region, 1);
        ok &= g.nostore() == 0;
        for (int k = 0; k < 20; ++k)
            ok &= g.add_node(1) >= 0;
        int edges = 0;
        for (int k = 0; k < 60 && g.nodes() > 0; ++k) {
            if (g.add_edge(k % g.nodes(), 0, k) >= 0)
                ++edges;
            else
                ok = false;
        }
        EXPECT_EQ(g.edge_count(), edges);
        ok &= edges == 60;
        return ok;
    });
}

TEST(Refusals, LinkedList) {
    for_each_refusal([](PWSRegion &region) {
        bool ok = true;
        Dlist_int list(&region);
        int made = 0;
        for (int v = 0; v < 30; ++v) {
            if (list.append(list.newEntry(v))) {
                ++made;
            } else {
                ok = false;
                EXPECT_EQ(list.nostore(), 1);
            }
        }
        EXPECT_EQ(list.size(), made);
        return ok;
    });
}

// The heap's region is refused too where containers use it behind the scenes.
TEST(Refusals, CopiesLiveInTheHeapRegion) {
    PWSRegion region;
    Arr_intptr_t a(&region, 4);
    for (intptr_t v = 0; v < 4; ++v)
        a.enter(v);
    PWSRegion *heap = PWS::GetMallocRegion();
    int64_t before = heap->bytes_in_use();
    {
        kt_cont_test::Grants none(heap, 0);
        Arr_intptr_t copy(a);
        EXPECT_EQ(copy.nostore(), 1);
        EXPECT_EQ(copy.size(), 0);
    }
    EXPECT_EQ(heap->bytes_in_use(), before);
}

} // namespace
