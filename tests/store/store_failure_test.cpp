// Every list and string operation that asks the word store for space is run
// with the k-th request refused, for k = 0, 1, 2, ... until it needs no more
// than it was granted. Each run must give the documented failure result (or
// succeed), leave its inputs intact where promised, and leak no byte.
#include <gtest/gtest.h>

#include <functional>

#include "support/store_view.h"

using namespace kt::test;

namespace {

struct State {
    int32_t list = 0, other = 0, string = 0, source = 0, out = 0, result = 0;
    std::vector<int32_t> values_before;
    std::string text_before;
    int32_t capacity_before = 0;
};

struct Scenario {
    const char *name;
    std::function<void(State &)> setup;
    std::function<void(State &)> act;
    // Asserts the outcome; returns true when the operation succeeded.
    std::function<bool(State &)> check;
};

void fill_list(State &s, std::initializer_list<int32_t> v) {
    s.list = make_list(v);
    s.values_before = list_values(s.list);
    s.capacity_before = list_capacity(s.list);
}

// On failure a list must keep entries, count and capacity.
bool list_outcome(State &s, int32_t success_count) {
    if (s.result == 0) {
        EXPECT_EQ(list_values(s.list), s.values_before);
        EXPECT_EQ(list_capacity(s.list), s.capacity_before);
        return false;
    }
    EXPECT_EQ(list_count(s.list), success_count);
    return true;
}

// On failure a string operation frees the string and clears the variable.
bool string_outcome(State &s, const std::string &success_text) {
    if (s.result == 0) {
        EXPECT_EQ(s.string, 0);
        return false;
    }
    EXPECT_EQ(string_text(s.string), success_text);
    EXPECT_EQ(string_terminator(s.string), '\0');
    return true;
}

const int32_t kFive[] = {1, 2, 3, 4, 5};

std::vector<Scenario> scenarios() {
    return {
        {"LSTI", [](State &) {},
         [](State &s) {
             int32_t cap = 5, kind = 1;
             s.result = LSTI(&cap, &kind, &s.list);
         },
         [](State &s) {
             EXPECT_EQ(s.result, s.list);
             return s.list != 0;
         }},
        {"LSTE on a full list", [](State &s) { fill_list(s, {1, 2}); },
         [](State &s) {
             int32_t v = 3;
             s.result = LSTE(&s.list, &v);
         },
         [](State &s) { return list_outcome(s, 3); }},
        {"LSTEA onto a full list", [](State &s) { fill_list(s, {1, 2}); },
         [](State &s) {
             int32_t n = 5;
             s.result = LSTEA(&s.list, kFive, &n);
         },
         [](State &s) { return list_outcome(s, 7); }},
        {"LSTA of a list onto itself", [](State &s) { fill_list(s, {1, 2, 3, 4}); },
         [](State &s) { s.result = LSTA(&s.list, &s.list); },
         [](State &s) { return list_outcome(s, 8); }},
        {"LSTA of another list", [](State &s) {
             fill_list(s, {1, 2});
             s.other = make_list({7, 8, 9});
         },
         [](State &s) { s.result = LSTA(&s.other, &s.list); },
         [](State &s) { return list_outcome(s, 5); }},
        {"LSTGMS", [](State &s) { fill_list(s, {1}); },
         [](State &s) {
             int32_t min = 40;
             s.out = -1;
             s.result = LSTGMS(&s.list, &min, &s.out);
         },
         [](State &s) {
             EXPECT_EQ(s.out, s.result);
             if (s.result == 0) {
                 EXPECT_EQ(list_capacity(s.list), s.capacity_before);
                 return false;
             }
             EXPECT_EQ(list_capacity(s.list), 42);
             return true;
         }},
        {"LSTT never needs space", [](State &s) {
             int32_t cap = 20, kind = 1;
             LSTI(&cap, &kind, &s.list);
             int32_t v = 4;
             LSTE(&s.list, &v);
         },
         [](State &s) { LSTT(&s.list); },
         [](State &s) {
             EXPECT_EQ(list_capacity(s.list), 2);
             return true;
         }},
        {"STRGS", [](State &) {},
         [](State &s) {
             int32_t n = 10;
             s.result = STRGS(&n, &s.string);
         },
         [](State &s) {
             EXPECT_EQ(s.result, s.string);
             return s.string != 0;
         }},
        {"STRGEA", [](State &) {},
         [](State &s) {
             int32_t n = 4;
             s.result = STRGEA("diode", &n, &s.string, 5);
         },
         [](State &s) { return string_outcome(s, "diod"); }},
        {"STRDUPR", [](State &s) { s.source = make_string("opamp"); },
         [](State &s) { s.result = STRDUPR(&s.source, &s.string); },
         [](State &s) {
             EXPECT_EQ(string_text(s.source), "opamp");
             return string_outcome(s, "opamp");
         }},
        {"STRXS growing", [](State &s) { s.string = make_string("abc"); },
         [](State &s) {
             int32_t n = 100;
             s.result = STRXS(&n, &s.string);
         },
         [](State &s) {
             if (s.result == 0) {
                 EXPECT_EQ(s.string, 0);
                 return false;
             }
             EXPECT_EQ(string_length(s.string), 100);
             EXPECT_EQ(string_text(s.string).substr(0, 3), "abc");
             return true;
         }},
        {"STRXS shrinking never needs space", [](State &s) { s.string = make_string("abcdefgh"); },
         [](State &s) {
             int32_t n = 2;
             s.result = STRXS(&n, &s.string);
         },
         [](State &s) {
             EXPECT_TRUE(string_outcome(s, "ab"));
             return true;
         }},
        {"STRAPA onto a string", [](State &s) { s.string = make_string("induct"); },
         [](State &s) {
             int32_t n = 20;
             s.result = STRAPA("or-and-more-text....", &n, &s.string, n);
         },
         [](State &s) { return string_outcome(s, "inductor-and-more-text...."); }},
        {"STRAPA onto itself", [](State &s) { s.string = make_string("switch"); },
         [](State &s) {
             int32_t n = 6;
             s.result = STRAPA(kt_cptr(kt_icell(s.string + 1) + 1), &n, &s.string, n);
         },
         [](State &s) { return string_outcome(s, "switchswitch"); }},
        {"STRAPA onto nothing", [](State &) {},
         [](State &s) {
             int32_t n = 3;
             s.result = STRAPA("abc", &n, &s.string, n);
         },
         [](State &s) { return string_outcome(s, "abc"); }},
    };
}

void cleanup(State &s) {
    LSTD(&s.list);
    LSTD(&s.other);
    STRFS(&s.string);
    STRFS(&s.source);
}

TEST(StoreFailureTest, EveryRefusedRequestGivesTheDocumentedResultAndLeaksNothing) {
    for (const Scenario &sc : scenarios()) {
        bool succeeded = false;
        for (int32_t k = 0; k < 16 && !succeeded; ++k) {
            SCOPED_TRACE(std::string(sc.name) + ", requests granted: " + std::to_string(k));
            int64_t baseline = kt_host_store_bytes_in_use();
            State s;
            sc.setup(s);
            {
                StoreGrants grants(k);
                sc.act(s);
            }
            succeeded = sc.check(s);
            cleanup(s);
            EXPECT_EQ(kt_host_store_bytes_in_use(), baseline);
        }
        EXPECT_TRUE(succeeded) << sc.name << " never succeeded";
    }
}

} // namespace
