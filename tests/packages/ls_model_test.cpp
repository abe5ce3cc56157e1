// Random operation sequences on a list, mirrored on a std::list. After
// every step the links, the length, the handles and the generator's
// position must agree with the model; walks, copies and uniq must hand
// their callbacks what the model says.
#include <gtest/gtest.h>

#include <iterator>
#include <list>
#include <random>

#include "ls_support.h"

using namespace kt::test;

namespace {

struct Item {
    intptr_t value;
    lsHandle handle;
};

struct Model {
    std::list<Item> items;
    std::list<Item>::iterator gen_after; // the item after the generator (end(): none)
};

int compare_mod7(lsGeneric a, lsGeneric b) { return static_cast<int>(value(a) % 7 - value(b) % 7); }

std::vector<intptr_t> g_deleted;
void record_delete(lsGeneric d) { g_deleted.push_back(value(d)); }
lsGeneric times_ten(lsGeneric d) { return word(value(d) * 10); }

// A walk's answer for each value, chosen by the value modulo 7.
struct Answers {
    lsStatus code[7];
    std::vector<intptr_t> visited;
};

lsStatus answer(lsGeneric data, lsGeneric arg) {
    auto *a = static_cast<Answers *>(arg);
    a->visited.push_back(value(data));
    return a->code[value(data) % 7];
}

class ListModel {
public:
    explicit ListModel(uint32_t seed) : rng_(seed), list_(lsCreate()) {
        gen_ = lsStart(list_);
        model_.gen_after = model_.items.end();
    }
    ~ListModel() {
        lsFinish(gen_);
        lsDestroy(list_, nullptr);
    }
    ListModel(const ListModel &) = delete;
    ListModel &operator=(const ListModel &) = delete;

    void step() {
        switch (pick(17)) {
        case 0:
            add_end(true);
            break;
        case 1:
            add_end(false);
            break;
        case 2:
            del_end(true);
            break;
        case 3:
            del_end(false);
            break;
        case 4:
            move(true);
            break;
        case 5:
            move(false);
            break;
        case 6:
            insert(true);
            break;
        case 7:
            insert(false);
            break;
        case 8:
            del_at_gen(true);
            break;
        case 9:
            del_at_gen(false);
            break;
        case 10:
            remove_by_handle();
            break;
        case 11:
            replace_by_handle();
            break;
        case 12:
            regen_from_handle();
            break;
        case 13:
            walk(true);
            break;
        case 14:
            walk(false);
            break;
        case 15:
            copy();
            break;
        default:
            sort_or_uniq();
            break;
        }
        check();
    }

private:
    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
    intptr_t fresh() { return next_value_++ * 10 + static_cast<intptr_t>(pick(7)); }

    std::list<Item>::iterator random_item() {
        return std::next(model_.items.begin(), static_cast<long>(pick(model_.items.size())));
    }

    // After a change made around the generator, put it somewhere valid again.
    void reset_gen() {
        lsFinish(gen_);
        gen_ = lsStart(list_);
        model_.gen_after = model_.items.begin();
    }

    void add_end(bool front) {
        intptr_t v = fresh();
        lsHandle h = nullptr;
        (front ? lsNewBegin : lsNewEnd)(list_, word(v), &h);
        auto at = front ? model_.items.begin() : model_.items.end();
        // A generator at that end keeps its old neighbour: the new item
        // lies beyond it, so put the generator somewhere well defined.
        bool gen_at_that_end = model_.gen_after == at;
        model_.items.insert(at, {v, h});
        if (gen_at_that_end)
            reset_gen();
    }

    void del_end(bool front) {
        lsGeneric d = word(-1);
        lsStatus s = (front ? lsDelBegin : lsDelEnd)(list_, &d);
        if (model_.items.empty()) {
            EXPECT_EQ(s, LS_NOMORE);
            EXPECT_EQ(d, nullptr);
            return;
        }
        auto victim = front ? model_.items.begin() : std::prev(model_.items.end());
        EXPECT_EQ(value(d), victim->value);
        bool near_gen = victim == model_.gen_after ||
                        (model_.gen_after != model_.items.begin() && std::prev(model_.gen_after) == victim);
        model_.items.erase(victim);
        if (near_gen)
            reset_gen();
    }

    void move(bool forward) {
        lsGeneric d = word(-1);
        lsHandle h = reinterpret_cast<lsHandle>(&d);
        lsStatus s = (forward ? lsNext : lsPrev)(gen_, &d, &h);
        auto &at = model_.gen_after;
        bool at_end = forward ? at == model_.items.end() : at == model_.items.begin();
        if (at_end) {
            EXPECT_EQ(s, LS_NOMORE);
            EXPECT_EQ(d, nullptr);
            EXPECT_EQ(h, nullptr);
            return;
        }
        auto passed = forward ? at : std::prev(at);
        EXPECT_EQ(s, LS_OK);
        EXPECT_EQ(value(d), passed->value);
        EXPECT_EQ(h, passed->handle);
        at = forward ? std::next(at) : passed;
    }

    void insert(bool before) {
        intptr_t v = fresh();
        lsHandle h = nullptr;
        (before ? lsInBefore : lsInAfter)(gen_, word(v), &h);
        auto it = model_.items.insert(model_.gen_after, {v, h});
        if (!before)
            model_.gen_after = it;
    }

    void del_at_gen(bool before) {
        lsGeneric d = word(-1);
        lsStatus s = (before ? lsDelBefore : lsDelAfter)(gen_, &d);
        auto &at = model_.gen_after;
        bool none = before ? at == model_.items.begin() : at == model_.items.end();
        if (none) {
            EXPECT_EQ(s, LS_BADSTATE);
            EXPECT_EQ(d, nullptr);
            return;
        }
        auto victim = before ? std::prev(at) : at;
        EXPECT_EQ(value(d), victim->value);
        if (!before)
            at = std::next(at);
        model_.items.erase(victim);
    }

    void remove_by_handle() {
        if (model_.items.empty())
            return;
        auto victim = random_item();
        lsGeneric d = nullptr;
        EXPECT_EQ(lsRemoveItem(victim->handle, &d), LS_OK);
        EXPECT_EQ(value(d), victim->value);
        model_.items.erase(victim);
        reset_gen();
    }

    void replace_by_handle() {
        if (model_.items.empty())
            return;
        auto it = random_item();
        it->value = fresh();
        lsReplaceData(it->handle, word(it->value));
    }

    void regen_from_handle() {
        if (model_.items.empty())
            return;
        auto it = random_item();
        lsGeneric d = nullptr;
        EXPECT_EQ(lsGenHandle(it->handle, &d, 0), nullptr) << "no side, no generator";
        EXPECT_EQ(value(d), it->value);
        const int options[] = {LS_BEFORE, LS_AFTER, LS_BEFORE | LS_AFTER}, option = options[pick(3)];
        d = nullptr;
        lsGen g = lsGenHandle(it->handle, &d, option);
        EXPECT_EQ(value(d), it->value);
        lsFinish(gen_);
        gen_ = g;
        model_.gen_after = option & LS_BEFORE ? it : std::next(it);
    }

    // Answers OK, DELETE, STOP or a bad code; deleting an item brings the
    // next to the callback in the same round.
    void walk(bool forward) {
        static const lsStatus kCodes[] = {LS_OK, LS_OK, LS_DELETE, LS_DELETE, LS_STOP, 17};
        Answers a{};
        for (lsStatus &c : a.code)
            c = kCodes[pick(6)];
        lsStatus got = (forward ? lsForeach : lsBackeach)(list_, answer, &a);
        std::vector<std::list<Item>::iterator> order;
        for (auto it = model_.items.begin(); it != model_.items.end(); ++it)
            order.insert(forward ? order.end() : order.begin(), it);
        std::vector<intptr_t> visited;
        lsStatus want = LS_OK;
        for (auto it : order) {
            visited.push_back(it->value);
            const lsStatus c = a.code[it->value % 7];
            if (c == LS_STOP || c == 17) {
                want = c == LS_STOP ? LS_STOP : LS_BADPARAM;
                break;
            }
            if (c == LS_DELETE)
                model_.items.erase(it);
        }
        EXPECT_EQ(got, want);
        EXPECT_EQ(a.visited, visited);
        reset_gen();
    }

    void copy() {
        const bool scaled = pick(2);
        lsList c = lsCopy(list_, scaled ? times_ten : nullptr);
        std::vector<intptr_t> expected;
        for (const Item &i : model_.items)
            expected.push_back(scaled ? i.value * 10 : i.value);
        EXPECT_EQ(values_of(c), expected);
        g_deleted.clear();
        lsDestroy(c, record_delete);
        EXPECT_EQ(g_deleted, expected);
    }

    void sort_or_uniq() {
        auto by_mod7 = [](const Item &a, const Item &b) { return a.value % 7 < b.value % 7; };
        if (pick(2)) {
            lsSort(list_, compare_mod7);
            model_.items.sort(by_mod7); // std::list::sort is stable too
        } else {
            std::vector<intptr_t> gone;
            for (auto it = model_.items.begin(); it != model_.items.end() && std::next(it) != model_.items.end();) {
                if (std::next(it)->value % 7 == it->value % 7) {
                    gone.push_back(std::next(it)->value);
                    model_.items.erase(std::next(it));
                } else {
                    ++it;
                }
            }
            const bool report = pick(2);
            g_deleted.clear();
            EXPECT_EQ(lsUniq(list_, compare_mod7, report ? record_delete : nullptr), LS_OK);
            EXPECT_EQ(g_deleted, report ? gone : std::vector<intptr_t>{});
        }
        reset_gen();
    }

    void check() {
        Walked w = walk_checked(list_);
        std::vector<intptr_t> values;
        std::vector<lsHandle> handles;
        for (const Item &i : model_.items) {
            values.push_back(i.value);
            handles.push_back(i.handle);
        }
        ASSERT_EQ(w.values, values);
        ASSERT_EQ(w.handles, handles);
    }

    std::mt19937 rng_;
    lsList list_;
    lsGen gen_;
    Model model_;
    intptr_t next_value_ = 1;
};

TEST(ListModelTest, RandomSequencesAgreeWithStdList) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        ListModel m(seed);
        for (int i = 0; i < 400 && !testing::Test::HasFatalFailure(); ++i)
            m.step();
        if (testing::Test::HasFatalFailure())
            return;
    }
}

} // namespace
