// Field-table operations run with the k-th store request refused, for
// k = 0, 1, 2, ... until one succeeds. Each run must give the documented
// result, keep the fields from before, leave only valid strings within each
// count, and after CFD the store must be back where it started.
#include <gtest/gtest.h>

#include <functional>

#include "host/host_test_util.h"
#include "support/field_view.h"

using namespace kt::test;

namespace {

const Fields kEarlier = {{"first", {"1", "2"}}, {"empty", {}}};

struct State {
    int32_t table = 0, name = 0, k = 0, result = -1, status = -1;
    std::vector<int32_t> values;
};

struct Scenario {
    const char *name;
    bool gives_status; // else gives the field number k
    std::function<void(State &)> act;
    Fields success; // the whole table after a successful act
};

// A file with a continued record and more values than the reader's first
// value buffer holds.
Fields file_fields(const std::string &path) {
    Field many{"many", {}};
    std::string line = "many";
    for (int i = 0; i < 60; ++i) {
        many.second.push_back(std::to_string(i));
        line += (i ? "," : " ") + std::to_string(i);
    }
    kt_host_test::spit(path, "# parameters\ngain 4.7K, 2\nbias 1 \\\n  2\n" + line + "\nlast\n");
    return {{"gain", {"4.7K", "2"}}, {"bias", {"1", "2"}}, many, {"last", {}}};
}

Fields with(Fields f, const Fields &more) {
    f.insert(f.end(), more.begin(), more.end());
    return f;
}

std::vector<Scenario> scenarios(const std::string &file) {
    return {
        {"CFR", true, [file](State &s) { s.result = c_cfr(s.table, file.c_str(), &s.status); },
         with(kEarlier, file_fields(file))},
        {"CFZSA", false,
         [](State &s) {
             int32_t m = 2;
             s.result = CFZSA(&s.table, &s.name, s.values.data(), &m, &s.k);
         },
         with(kEarlier, {{"added", {"x", "y"}}})},
        {"CFZFLD", false, [](State &s) { s.result = c_cfzfld(s.table, "named here", &s.k); },
         with(kEarlier, {{"named", {}}})},
        {"CFZADD", true,
         [](State &s) {
             int32_t k = 1, m = 3;
             s.result = CFZADD(&s.table, &k, &m, &s.status);
         },
         {{"first", {"1", "2", "", "", ""}}, kEarlier[1]}},
        {"CFXS", true, [](State &s) { s.result = c_cfxs(s.table, 1, "only", &s.status); },
         {{"first", {"only"}}, kEarlier[1]}},
        {"CFXSI", true, [](State &s) { s.result = c_cfxsi(s.table, 2, 3, "third", &s.status); },
         {kEarlier[0], {"empty", {"", "", "third"}}}},
        {"CFNS on a new name", true, [](State &s) { s.result = c_cfns(s.table, "fresh", "v", &s.status); },
         with(kEarlier, {{"fresh", {"v"}}})},
    };
}

// A failure leaves the earlier fields as they were or with some of the new
// empty values, then a prefix of the new fields, the last perhaps without
// its values.
void expect_partial(const Fields &got, const Fields &success) {
    ASSERT_GE(got.size(), kEarlier.size());
    ASSERT_LE(got.size(), success.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(got[i].first);
        EXPECT_EQ(got[i].first, success[i].first);
        const std::vector<std::string> &v = got[i].second;
        if (i < kEarlier.size() && v == kEarlier[i].second)
            continue;
        if (i + 1 == got.size() && i >= kEarlier.size() && v.empty())
            continue;
        const std::vector<std::string> &done = success[i].second;
        ASSERT_LE(v.size(), done.size());
        for (size_t j = 0; j < v.size(); ++j)
            EXPECT_TRUE(v[j] == done[j] || v[j].empty()) << j;
    }
}

TEST(FieldFailure, EveryRefusedRequestKeepsTheTableValidAndLeaksNothing) {
    kt_host_test::TempFile file("fields_failure");
    for (const Scenario &sc : scenarios(file.path)) {
        bool succeeded = false;
        for (int32_t k = 0; k < 400 && !succeeded; ++k) {
            SCOPED_TRACE(std::string(sc.name) + ", requests granted: " + std::to_string(k));
            int64_t baseline = kt_host_store_bytes_in_use();
            kt_host_reset_errors();
            State s;
            s.table = make_table(kEarlier);
            s.name = make_string("added");
            s.values = {make_string("x"), make_string("y")};
            {
                StoreGrants grants(k);
                sc.act(s);
            }
            Fields got = fields_of(s.table);
            succeeded = sc.gives_status ? s.result == 0 : s.result != 0;
            EXPECT_EQ(s.result, sc.gives_status ? s.status : s.k);
            if (succeeded) {
                EXPECT_EQ(got, sc.success);
            } else {
                EXPECT_EQ(s.result, sc.gives_status ? 1 : 0);
                expect_partial(got, sc.success);
                if (std::string(sc.name) == "CFR") {
                    EXPECT_EQ(kt_host_error_number(1), 2012);
                }
            }
            // The caller keeps what CFZSA did not take.
            if (std::string(sc.name) != "CFZSA" || got.size() == kEarlier.size())
                STRFS(&s.name);
            for (int32_t &v : s.values)
                STRFS(&v);
            c_cfd(&s.table);
            EXPECT_EQ(kt_host_store_bytes_in_use(), baseline);
        }
        EXPECT_TRUE(succeeded) << sc.name << " never succeeded";
    }
    int32_t cap = 8, len = 0;
    char line[8];
    EXPECT_EQ(IIGETL(line, &cap, &len, cap), -1) << "no input left open";
}

} // namespace
