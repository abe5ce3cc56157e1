// Random operations on the region containers, with region refusals mixed
// in, checked against standard-library models after every step: a string
// table, an int-keyed hash table, a typed array with slot reuse and a queue.
// At the end every container is destroyed and the region must be empty.
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "kt/containers_hash.h"

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

struct Models {
    std::map<std::string, int> ids;
    std::vector<std::string> by_id;
    std::vector<int> free_ids;
    std::map<int, bool> ints;
    std::vector<std::optional<intptr_t>> slots;
    int live_slots = 0;
    std::deque<int> queue;
};

void string_op(StringTable &table, Models &m, uint8_t arg, bool release) {
    std::string s = "k" + std::to_string(arg % 48);
    if (release) {
        int id = m.by_id.empty() ? -1 : arg % static_cast<int>(m.by_id.size() + 1);
        table.free(id);
        bool live = id >= 0 && id < static_cast<int>(m.by_id.size()) && !m.by_id[static_cast<size_t>(id)].empty();
        if (StringTable::status == 0) {
            check(live);
            m.ids.erase(m.by_id[static_cast<size_t>(id)]);
            m.by_id[static_cast<size_t>(id)].clear();
            m.free_ids.push_back(id);
        } else {
            check(StringTable::status == (live ? 2 : 1));
        }
        return;
    }
    int id = table.enter(s.c_str());
    if (m.ids.count(s)) {
        check(id == m.ids[s]);
        return;
    }
    if (id < 0) {
        check(StringTable::status == 2 && table.find(s.c_str()) == -1);
        return;
    }
    int want = m.free_ids.empty() ? static_cast<int>(m.by_id.size()) : m.free_ids.back();
    check(id == want);
    if (m.free_ids.empty())
        m.by_id.emplace_back();
    else
        m.free_ids.pop_back();
    m.ids[s] = id;
    m.by_id[static_cast<size_t>(id)] = s;
}

void int_op(Hash_Key_int &table, Models &m, uint8_t arg, bool release) {
    int key = static_cast<int>(arg) - 128;
    if (release) {
        Hash_entry_int *e = table.find(key);
        check((e != nullptr) == (m.ints.count(key) > 0));
        table.free(e);
        m.ints.erase(key);
        return;
    }
    int created = -1;
    Hash_entry_int *e = table.create(key, created);
    if (!e) {
        check(created == 0 && !m.ints.count(key) && table.find(key) == nullptr);
        return;
    }
    check(e->key() == key && created == (m.ints.count(key) ? 0 : 1));
    m.ints[key] = true;
}

void array_op(Arr_intptr_t &a, Models &m, uint8_t arg, bool release) {
    if (release) {
        if (m.slots.empty())
            return;
        size_t i = arg % m.slots.size();
        a.remove(static_cast<int>(i));
        if (m.slots[i]) {
            m.slots[i].reset();
            --m.live_slots;
        }
        return;
    }
    size_t s = 0;
    while (s < m.slots.size() && m.slots[s])
        ++s;
    int slot = a.enter(arg);
    if (slot < 0) {
        check(s == m.slots.size());
        return;
    }
    check(slot == static_cast<int>(s) + 1);
    if (s == m.slots.size())
        m.slots.emplace_back();
    m.slots[s] = arg;
    ++m.live_slots;
}

void queue_op(Quu_int &q, Models &m, uint8_t arg, bool take) {
    if (take) {
        if (m.queue.empty())
            return;
        check(q.item(0) == m.queue.front());
        q.head = (q.head + 1) % q.capacity;
        --q.count;
        m.queue.pop_front();
        return;
    }
    int k = arg % 5;
    int values[4] = {arg, arg + 1, arg + 2, arg + 3};
    int r = k == 4 ? q.queue(arg) : q.queue(values, k);
    if (r < 0)
        return;
    if (k == 4)
        m.queue.push_back(arg);
    else
        m.queue.insert(m.queue.end(), values, values + k);
    check(r == static_cast<int>(m.queue.size()));
}

void verify(StringTable &table, Hash_Key_int &ints, Arr_intptr_t &a, Quu_int &q, Models &m) {
    for (size_t id = 0; id < m.by_id.size(); ++id) {
        const char *s = table.string_of(static_cast<int>(id));
        check(m.by_id[id].empty() ? s == nullptr : s && m.by_id[id] == s);
    }
    int n = 0;
    Hash_Iterator it(&ints);
    while (Hash_entry *e = it()) {
        check(m.ints.count(static_cast<Hash_entry_int *>(e)->key()) == 1);
        ++n;
    }
    check(n == static_cast<int>(m.ints.size()));
    Arr_intptr_t_iterator walk(&a);
    for (auto &slot : m.slots) {
        if (!slot)
            continue;
        intptr_t *v = walk();
        check(v && *v == *slot);
    }
    check(walk() == nullptr && a.size() == m.live_slots);
    check(q.size() == static_cast<int>(m.queue.size()));
    for (int j = 0; j < q.size(); ++j)
        check(q.item(j) == m.queue[static_cast<size_t>(j)]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    PWSRegion region;
    {
        StringTable table(&region);
        Hash_Key_int ints(&region);
        Arr_intptr_t array(&region, 1);
        Quu_int queue(&region, 0);
        Models m;
        for (size_t i = 0; i + 1 < size; i += 2) {
            uint8_t op = data[i], arg = data[i + 1];
            bool second = op & 8;
            switch (op % 8) {
            case 0:
                // Refuse after a few more requests, or never again.
                region.fail_after(arg < 128 ? arg % 6 : -1);
                break;
            case 1:
            case 2:
                string_op(table, m, arg, second);
                break;
            case 3:
            case 4:
                int_op(ints, m, arg, second);
                break;
            case 5:
                array_op(array, m, arg, second);
                break;
            default:
                queue_op(queue, m, arg, second);
                break;
            }
            verify(table, ints, array, queue, m);
        }
        region.fail_after(-1);
    }
    check(region.bytes_in_use() == 0);
    return 0;
}
