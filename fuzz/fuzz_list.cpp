// The generic list package driven by two-byte operations (code, argument)
// and checked against a plain model after every one: the items in both
// directions, the length, the ends, every handle's data and list, and the
// position of the one generator in use. Data words carry a small key (for
// the comparisons of sort, uniq and reorder) and a serial number, so that
// stability and the data given to callbacks can be told apart. Any other
// change to the list first finishes the generator, whose neighbours it
// might take away.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "fuzz_util.h"
#include "kt/list.h"

using kt::fuzz::check;

namespace {

struct Item {
    intptr_t data;
    lsHandle handle;
};

intptr_t key(lsGeneric d) { return reinterpret_cast<intptr_t>(d) & 7; }
int by_key(lsGeneric a, lsGeneric b) { return static_cast<int>(key(a) - key(b)); }
// Only the low 16 bits of a match count: 0x10000 is no match.
int keys_match(lsGeneric a, lsGeneric b) { return key(a) == key(b) ? 1 : 0x10000; }
lsGeneric flipped(lsGeneric d) { return reinterpret_cast<lsGeneric>(reinterpret_cast<intptr_t>(d) ^ 0x5500); }
lsGeneric as_data(intptr_t v) { return reinterpret_cast<lsGeneric>(v); }

std::vector<intptr_t> g_deleted; // data given to a delete callback, in order
void deleted(lsGeneric d) { g_deleted.push_back(reinterpret_cast<intptr_t>(d)); }

// The answers of an apply callback: one per serial number modulo 4.
struct Answers {
    lsStatus code[4];
    std::vector<intptr_t> visited;
};
lsStatus answer(lsGeneric d, lsGeneric arg) {
    auto *a = static_cast<Answers *>(arg);
    a->visited.push_back(reinterpret_cast<intptr_t>(d));
    return a->code[(reinterpret_cast<intptr_t>(d) >> 3) % 4];
}

struct State {
    lsList list = lsCreate();
    std::vector<Item> model;
    lsGen gen = nullptr;
    size_t pos = 0; // the generator sits before model[pos]
    intptr_t serial = 0;

    intptr_t fresh(uint8_t arg) { return ++serial << 3 | (arg & 7); }
    void finish() {
        if (gen)
            check(lsFinish(gen) == LS_OK);
        gen = nullptr;
    }
    // After an operation that may have replaced items: the handles again.
    void rehandle() {
        lsGen g = lsStart(list);
        for (Item &it : model) {
            lsGeneric d;
            check(lsNext(g, &d, &it.handle) == LS_OK);
        }
        lsFinish(g);
    }
    void verify() const {
        check(lsLength(list) == static_cast<int>(model.size()));
        lsGeneric d = as_data(-1);
        lsHandle h = nullptr;
        lsGen g = lsStart(list);
        for (const Item &it : model) {
            check(lsNext(g, &d, &h) == LS_OK && d == as_data(it.data) && h == it.handle);
            check(lsFetchHandle(h) == d && lsQueryHandle(h) == list);
        }
        check(lsNext(g, &d, &h) == LS_NOMORE && d == nullptr && h == nullptr);
        lsFinish(g);
        g = lsEnd(list);
        for (auto it = model.rbegin(); it != model.rend(); ++it)
            check(lsPrev(g, &d, &h) == LS_OK && h == it->handle);
        check(lsPrev(g, &d, &h) == LS_NOMORE);
        lsFinish(g);
        bool empty = model.empty();
        check(lsFirstItem(list, &d, &h) == (empty ? LS_NOMORE : LS_OK) && h == (empty ? nullptr : model[0].handle));
        check(lsLastItem(list, &d, &h) == (empty ? LS_NOMORE : LS_OK) && h == (empty ? nullptr : model.back().handle));
        check(lsQueryHandle(nullptr) == nullptr);
    }
};

void at_generator(State &s, int op, uint8_t arg) {
    if (!s.gen) {
        s.gen = lsStart(s.list);
        s.pos = 0;
    }
    lsGeneric d = as_data(-1);
    lsHandle h = nullptr;
    switch (op) {
    case 0:
        if (s.pos == s.model.size()) {
            check(lsNext(s.gen, &d, &h) == LS_NOMORE && d == nullptr && h == nullptr);
        } else {
            check(lsNext(s.gen, &d, &h) == LS_OK && h == s.model[s.pos].handle);
            ++s.pos;
        }
        break;
    case 1:
        if (s.pos == 0) {
            check(lsPrev(s.gen, &d, &h) == LS_NOMORE && d == nullptr && h == nullptr);
        } else {
            check(lsPrev(s.gen, &d, &h) == LS_OK && h == s.model[--s.pos].handle);
        }
        break;
    case 2:
    case 3: {
        intptr_t v = s.fresh(arg);
        check((op == 2 ? lsInBefore : lsInAfter)(s.gen, as_data(v), &h) == LS_OK);
        s.model.insert(s.model.begin() + static_cast<std::ptrdiff_t>(s.pos), Item{v, h});
        if (op == 2)
            ++s.pos;
        break;
    }
    case 4:
        if (s.pos == 0) {
            check(lsDelBefore(s.gen, &d) == LS_BADSTATE && d == nullptr);
        } else {
            check(lsDelBefore(s.gen, &d) == LS_OK && d == as_data(s.model[--s.pos].data));
            s.model.erase(s.model.begin() + static_cast<std::ptrdiff_t>(s.pos));
        }
        break;
    default:
        if (s.pos == s.model.size()) {
            check(lsDelAfter(s.gen, &d) == LS_BADSTATE && d == nullptr);
        } else {
            check(lsDelAfter(s.gen, &d) == LS_OK && d == as_data(s.model[s.pos].data));
            s.model.erase(s.model.begin() + static_cast<std::ptrdiff_t>(s.pos));
        }
        break;
    }
}

// A new generator: at either end, or next to the item the argument names.
void new_generator(State &s, uint8_t arg) {
    s.finish();
    if (arg % 4 == 0 || s.model.empty()) {
        s.gen = arg & 1 ? lsEnd(s.list) : lsStart(s.list);
        s.pos = arg & 1 ? s.model.size() : 0;
        return;
    }
    size_t k = arg / 4 % s.model.size();
    int option = arg % 4; // 1 before, 2 after, 3 both bits: before
    lsGeneric d = nullptr;
    s.gen = lsGenHandle(s.model[k].handle, &d, option);
    check(s.gen != nullptr && d == as_data(s.model[k].data));
    s.pos = option & LS_BEFORE ? k : k + 1;
    check(lsGenHandle(s.model[k].handle, &d, 0) == nullptr && d == as_data(s.model[k].data));
}

void walk(State &s, uint8_t arg, kt::fuzz::Input &in) {
    static const lsStatus kCodes[] = {LS_OK, LS_STOP, LS_DELETE, 7};
    Answers a{{kCodes[in.byte() % 4], kCodes[in.byte() % 4], kCodes[in.byte() % 4], kCodes[in.byte() % 4]}, {}};
    const bool backwards = arg & 1;
    lsStatus r = (backwards ? lsBackeach : lsForeach)(s.list, answer, &a);
    std::vector<intptr_t> expected;
    lsStatus want = LS_OK;
    for (size_t k = 0; k < s.model.size();) {
        size_t i = backwards ? s.model.size() - 1 - k : k;
        intptr_t v = s.model[i].data;
        expected.push_back(v);
        lsStatus c = a.code[(v >> 3) % 4];
        if (c == LS_STOP || c == 7) {
            want = c == 7 ? LS_BADPARAM : LS_STOP;
            break;
        }
        // Deleting brings the next item to the same count from the start.
        if (c == LS_DELETE)
            s.model.erase(s.model.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++k;
    }
    check(r == want && a.visited == expected);
}

void reorder(State &s, kt::fuzz::Input &in) {
    lsList a = lsCreate();
    std::vector<intptr_t> keys;
    for (int n = in.byte() % 6; n > 0; --n) {
        keys.push_back(in.byte() & 7);
        lsNewEnd(a, as_data(keys.back()), nullptr);
    }
    const size_t na = keys.size(), nb = s.model.size();
    size_t moved = 0;
    for (intptr_t k : keys) {
        for (size_t i = 0; i < s.model.size(); ++i) {
            if ((s.model[i].data & 7) == k) {
                Item it = s.model[i];
                s.model.erase(s.model.begin() + static_cast<std::ptrdiff_t>(i));
                s.model.push_back(it);
                ++moved;
                break;
            }
        }
    }
    lsStatus want = nb > na    ? LS_BADSTATE
                    : nb == na ? (moved == nb ? LS_OK : LS_BADSTATE)
                               : (moved == nb ? LS_BADPARAM : LS_BADSTATE);
    check(lsReorderToMatch(a, s.list, keys_match) == want);
    lsDestroy(a, nullptr);
    s.rehandle();
}

void operation(State &s, uint8_t op, uint8_t arg, kt::fuzz::Input &in) {
    lsGeneric d = as_data(-1);
    lsHandle h = nullptr;
    const int code = op % 16;
    if (code >= 10) {
        at_generator(s, code - 10, arg);
        return;
    }
    s.finish();
    switch (code) {
    case 0:
    case 1: {
        intptr_t v = s.fresh(arg);
        check((code == 0 ? lsNewBegin : lsNewEnd)(s.list, as_data(v), &h) == LS_OK);
        s.model.insert(code == 0 ? s.model.begin() : s.model.end(), Item{v, h});
        break;
    }
    case 2:
    case 3: {
        lsStatus r = (code == 2 ? lsDelBegin : lsDelEnd)(s.list, &d);
        if (s.model.empty()) {
            check(r == LS_NOMORE && d == nullptr);
            break;
        }
        auto at = code == 2 ? s.model.begin() : s.model.end() - 1;
        check(r == LS_OK && d == as_data(at->data));
        s.model.erase(at);
        break;
    }
    case 4:
        new_generator(s, arg);
        break;
    case 5:
        if (!s.model.empty()) {
            size_t k = arg % s.model.size();
            if (arg & 0x80) {
                intptr_t v = s.fresh(arg);
                check(lsReplaceData(s.model[k].handle, as_data(v)) == LS_OK);
                s.model[k].data = v;
            } else {
                check(lsRemoveItem(s.model[k].handle, &d) == LS_OK && d == as_data(s.model[k].data));
                s.model.erase(s.model.begin() + static_cast<std::ptrdiff_t>(k));
            }
        }
        break;
    case 6:
        check(lsSort(s.list, by_key) == LS_OK);
        std::stable_sort(s.model.begin(), s.model.end(),
                         [](const Item &x, const Item &y) { return (x.data & 7) < (y.data & 7); });
        break;
    case 7: {
        g_deleted.clear();
        std::vector<intptr_t> gone;
        std::vector<Item> kept;
        for (const Item &it : s.model) {
            if (!kept.empty() && (kept.back().data & 7) == (it.data & 7))
                gone.push_back(it.data);
            else
                kept.push_back(it);
        }
        check(lsUniq(s.list, by_key, arg & 1 ? deleted : nullptr) == LS_OK);
        check(g_deleted == (arg & 1 ? gone : std::vector<intptr_t>{}));
        s.model = kept;
        break;
    }
    case 8: {
        const bool flip = arg & 1;
        lsList copy = lsCopy(s.list, flip ? flipped : nullptr);
        g_deleted.clear();
        lsDestroy(copy, deleted);
        check(g_deleted.size() == s.model.size());
        for (size_t i = 0; i < s.model.size(); ++i)
            check(as_data(g_deleted[i]) == (flip ? flipped(as_data(s.model[i].data)) : as_data(s.model[i].data)));
        break;
    }
    default:
        if (arg & 0x80)
            reorder(s, in);
        else
            walk(s, arg, in);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kt::fuzz::Input in(data, size);
    State s;
    while (!in.done()) {
        uint8_t op = in.byte(), arg = in.byte();
        operation(s, op, arg, in);
        s.verify();
    }
    s.finish();
    g_deleted.clear();
    check(lsDestroy(s.list, deleted) == LS_OK);
    check(g_deleted.size() == s.model.size());
    for (size_t i = 0; i < s.model.size(); ++i)
        check(g_deleted[i] == s.model[i].data);
    return 0;
}
