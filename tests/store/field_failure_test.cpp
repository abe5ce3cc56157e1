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
    std::function<void(State &)> prepare; // runs before the refusals start
    std::function<void(State &)> act;
    Fields success;                       // the fields after kEarlier on success
};

// A file with a continued record and one with more values than the
// reader's first value buffer holds.
std::string field_file(const std::string &path) {
    std::string many = "many 0";
    for (int i = 1; i < 60; ++i)
        many += "," + std::to_string(i);
    kt_host_test::spit(path, "# parameters\ngain 4.7K, 2\nbias 1 \\\n  2\n" + many + "\nlast\n");
    return path;
}

Fields file_fields() {
    Field many{"many", {}};
    for (int i = 0; i < 60; ++i)
        many.second.push_back(std::to_string(i));
    return {{"gain", {"4.7K", "2"}}, {"bias", {"1", "2"}}, many, {"last", {}}};
}

std::vector<Scenario> scenarios(const std::string &file) {
    return {
        {"CFR", [](State &) {},
         [file](State &s) { s.result = c_cfr(s.table, file.c_str(), &s.status); },
         file_fields()},
        {"CFZSA", [](State &s) {
             s.name = make_string("added");
             s.values = {make_string("x"), make_string("y")};
         },
         [](State &s) {
             int32_t m = 2;
             s.result = CFZSA(&s.table, &s.name, s.values.data(), &m, &s.k);
         },
         {{"added", {"x", "y"}}}},
        {"CFZFLD", [](State &) {}, [](State &s) { s.result = c_cfzfld(s.table, "named here", &s.k); },
         {{"named", {}}}},
        {"CFZADD", [](State &) {},
         [](State &s) {
             int32_t k = 1, m = 3;
             s.result = CFZADD(&s.table, &k, &m, &s.status);
         },
         {}},
        {"CFXS", [](State &) {}, [](State &s) { s.result = c_cfxs(s.table, 1, "only", &s.status); }, {}},
        {"CFXSI", [](State &) {}, [](State &s) { s.result = c_cfxsi(s.table, 2, 3, "third", &s.status); }, {}},
        {"CFNS on a new name", [](State &) {}, [](State &s) { s.result = c_cfns(s.table, "fresh", "v", &s.status); },
         {{"fresh", {"v"}}}},
    };
}

// What the earlier fields must look like after a successful act.
Fields earlier_after(const std::string &scenario) {
    Fields f = kEarlier;
    if (scenario == "CFZADD")
        f[0].second = {"1", "2", "", "", ""};
    else if (scenario == "CFXS")
        f[0].second = {"only"};
    else if (scenario == "CFXSI")
        f[1].second = {"", "", "third"};
    return f;
}

// Whatever a failure leaves must be a state some prefix of the work reaches:
// earlier fields unchanged or grown by valid empty values, new fields a
// prefix of the expected ones, the last perhaps without its values.
void expect_partial(const std::string &scenario, const Fields &got, const Fields &added) {
    Fields done = earlier_after(scenario);
    ASSERT_GE(got.size(), kEarlier.size());
    for (size_t i = 0; i < kEarlier.size(); ++i) {
        const auto &v = got[i].second;
        EXPECT_EQ(got[i].first, kEarlier[i].first);
        bool unchanged = v == kEarlier[i].second;
        bool partly = v.size() <= done[i].second.size() &&
                      std::equal(v.begin(), v.end(), done[i].second.begin(), [](const std::string &a, const std::string &b) {
                          return a == b || a.empty();
                      });
        EXPECT_TRUE(unchanged || partly) << got[i].first;
    }
    ASSERT_LE(got.size(), kEarlier.size() + added.size());
    for (size_t i = kEarlier.size(); i < got.size(); ++i) {
        const Field &want = added[i - kEarlier.size()];
        if (i + 1 == got.size() && got[i].second.empty())
            EXPECT_EQ(got[i].first, want.first);
        else
            EXPECT_EQ(got[i], want);
    }
}

TEST(FieldFailure, EveryRefusedRequestKeepsTheTableValidAndLeaksNothing) {
    kt_host_test::TempFile file("fields_failure");
    field_file(file.path);
    for (const Scenario &sc : scenarios(file.path)) {
        bool succeeded = false;
        for (int32_t k = 0; k < 400 && !succeeded; ++k) {
            SCOPED_TRACE(std::string(sc.name) + ", requests granted: " + std::to_string(k));
            int64_t baseline = kt_host_store_bytes_in_use();
            kt_host_reset_errors();
            State s;
            s.table = make_table(kEarlier);
            sc.prepare(s);
            {
                StoreGrants grants(k);
                sc.act(s);
            }
            Fields got = fields_of(s.table);
            bool is_status = std::string(sc.name) != "CFZSA" && std::string(sc.name) != "CFZFLD";
            succeeded = is_status ? s.result == 0 : s.result != 0;
            if (is_status)
                EXPECT_EQ(s.result, s.status);
            else
                EXPECT_EQ(s.result, s.k);
            if (succeeded) {
                Fields want = earlier_after(sc.name);
                want.insert(want.end(), sc.success.begin(), sc.success.end());
                EXPECT_EQ(got, want);
            } else {
                EXPECT_EQ(s.result, is_status ? 1 : 0);
                expect_partial(sc.name, got, sc.success);
                if (std::string(sc.name) == "CFR") {
                    ASSERT_EQ(kt_host_error_count(), 1);
                    EXPECT_EQ(kt_host_error_number(1), 2012);
                }
            }
            // The caller keeps what CFZSA did not take.
            if (s.table && fields_of(s.table).size() == kEarlier.size())
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
