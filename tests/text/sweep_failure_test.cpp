// Every sweep operation that asks the word store for space is run with its
// k-th request refused, for k = 0, 1, 2, ... until it needs no more than
// it was granted. Each run must give the documented failure result (or
// succeed completely), leave a caller's record as it was, and leak no byte.
#include <functional>

#include "sweep_test_util.h"

using namespace kt::text_test;
using kt::test::StoreGrants;

namespace {

struct State {
    int32_t source = 0, dest = 0, result = 0, status = 0, block = 0, points = 0;
    std::string dest_before;
};

struct Scenario {
    const char *name;
    std::function<void(State &)> setup;
    std::function<void(State &)> act;
    // Asserts the outcome; true when the operation succeeded.
    std::function<bool(State &)> check;
};

int32_t named(const std::string &name, int32_t kind, const std::vector<double> &reals,
              const std::vector<std::string> &names = {}) {
    std::vector<int32_t> strings;
    for (const std::string &n : names)
        strings.push_back(kt::test::make_string(n));
    int32_t s = kt::test::make_string(name);
    int32_t list = make_sweep(kind, reals, strings, s);
    STRFS(&s);
    for (int32_t &t : strings)
        STRFS(&t);
    return list;
}

void make_with_lpie(State &s, int32_t kind, const std::vector<double> &reals, const std::vector<std::string> &names) {
    s.result = named("VDD", kind, reals, names);
    s.dest = s.result;
}

// A copy made into a fresh record: complete, or nothing at all.
bool copy_outcome(State &s, const std::string &text) {
    if (s.status != 0) {
        EXPECT_EQ(s.result, 1);
        EXPECT_EQ(s.dest, 0);
        return false;
    }
    EXPECT_EQ(printed(s.dest), text);
    return true;
}

std::vector<Scenario> scenarios() {
    return {
        {"LPIE reals", [](State &) {}, [](State &s) { make_with_lpie(s, 6, {1, 2, 3}, {}); },
         [](State &s) {
             if (s.result == 0)
                 return false;
             EXPECT_EQ(printed(s.dest), "VDD in 1 2 3");
             return true;
         }},
        {"LPIE names", [](State &) {}, [](State &s) { make_with_lpie(s, 7, {}, {"a", "bb", "ccc"}); },
         [](State &s) {
             if (s.result == 0)
                 return false;
             EXPECT_EQ(printed(s.dest), "VDD in a bb ccc");
             return true;
         }},
        {"LPCP names into a new record", [](State &s) { s.source = named("N", 7, {}, {"x", "y"}); },
         [](State &s) { s.result = LPCP(&s.source, &s.dest, &s.status); },
         [](State &s) { return copy_outcome(s, "N in x y"); }},
        {"LPCP into a caller's record",
         [](State &s) {
             s.source = named("N", 7, {}, {"x", "y"});
             s.dest = named("OLD", 6, {4, 5});
             s.dest_before = printed(s.dest);
         },
         [](State &s) { s.result = LPCP(&s.source, &s.dest, &s.status); },
         [](State &s) {
             EXPECT_NE(s.dest, 0);
             if (s.status != 0) {
                 EXPECT_EQ(printed(s.dest), s.dest_before);
                 return false;
             }
             EXPECT_EQ(printed(s.dest), "N in x y");
             return true;
         }},
        {"LPXP", [](State &s) { s.source = make_range(4, 1, 1e6, 10); },
         [](State &s) { s.result = LPXP(&s.source, &s.block, &s.points); },
         [](State &s) {
             EXPECT_EQ(s.result, s.block);
             if (s.block == 0) {
                 EXPECT_EQ(s.points, 0);
                 return false;
             }
             EXPECT_EQ(s.points, 61);
             EXPECT_EQ(kt_rcell(s.block + 61), 1e6);
             return true;
         }},
        {"LPXPCP of a falling range", [](State &s) { s.source = named("F", 2, {3, 1, 3}); },
         [](State &s) {
             int32_t order = 1;
             s.result = LPXPCP(&s.source, &order, &s.dest, &s.status);
         },
         [](State &s) { return copy_outcome(s, "F in 1 2 3"); }},
        {"LPXPCP sorting values", [](State &s) { s.source = named("V", 6, {3, 1, 2}); },
         [](State &s) {
             int32_t order = 1;
             s.result = LPXPCP(&s.source, &order, &s.dest, &s.status);
         },
         [](State &s) { return copy_outcome(s, "V in 1 2 3"); }},
    };
}

TEST(SweepStoreFailure, RefusedAtEveryRequest) {
    for (const Scenario &sc : scenarios()) {
        int failures = 0;
        for (int32_t k = 0;; ++k) {
            ASSERT_LT(k, 100) << sc.name << ": never succeeds";
            const int64_t baseline = kt_host_store_bytes_in_use();
            State s;
            sc.setup(s);
            {
                StoreGrants grants(k);
                sc.act(s);
            }
            const bool succeeded = sc.check(s);
            LPD(&s.source);
            LPD(&s.dest);
            if (s.block != 0)
                c_fstore(s.points, &s.block, 8);
            EXPECT_EQ(kt_host_store_bytes_in_use(), baseline) << sc.name << " with request " << k << " refused";
            if (succeeded)
                break;
            ++failures;
        }
        EXPECT_GT(failures, 0) << sc.name << " never asked the store";
    }
}

} // namespace
