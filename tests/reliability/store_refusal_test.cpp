// Operations that ask for memory (the word store, or the heap behind
// kt_host_alloc: channels, the matcher, the host's units), run from one
// table: for k = 0, 1, 2, ... the k-th request made inside the call is
// refused. Each run must give the documented failure result (or succeed),
// keep its inputs as promised, leave the store consistent, and give back
// every byte and block once the inputs are freed. The walk ends at the first
// k whose call meets no refusal; that call must succeed. One row stands for
// the entries that share its refusal path; lists, strings and blocks are
// refused in their own model tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "host/host_test_util.h"
#include "kt/fields.h"
#include "kt/iar.h"
#include "kt/names.h"
#include "kt/regexp_c.h"
#include "kt/store.h"
#include "kt/system.h"
#include "kt/sweep.h"
#include "kt/text.h"
#include "kt/tree.h"
#include "support/field_view.h"
#include "support/iar_view.h"
#include "text/sweep_test_util.h"

using namespace kt::test;
using kt::text_test::printed;

namespace {

// Everything a call works on. The driver frees whatever is left here, so a
// check hands over ownership by moving a result into one of these.
struct Io {
    int32_t s1 = 0, s2 = 0, values[2] = {0, 0}; // strings
    int32_t list = 0, table = 0, tree = 0;
    int32_t iar = 0, iar2 = 0, nested = 0, nested2 = 0; // one-level, two-level
    int32_t sweep = 0, sweep2 = 0, block = 0, block_count = 0, block_size = 4;
    int32_t result = -1, out = -1, status = -1;
    int32_t channel = -1, prototype = -1, unit = -1, pipe[2] = {-1, -1}; // a peer's channel owns the pipe
    kt_regexp *re = nullptr;
    std::string before, kept;    // s1 before the call; what s2 must still hold after it
    int32_t n[4] = {}, refs = 0; // integers an entry takes by reference
    int32_t *ref(int32_t v) {
        int32_t *p = &n[refs++ % 4];
        *p = v;
        return p;
    }
};

// A row: the check asserts the outcome against `text` and answers whether
// the call succeeded.
struct Case {
    const char *name;
    std::function<void(Io &)> setup; // not under refusal
    std::function<void(Io &)> call;
    std::function<bool(Io &, const std::string &)> check;
    std::string text = "";
};

void teardown(Io &io) {
    for (int32_t *s : {&io.s1, &io.s2, &io.values[0], &io.values[1]})
        STRFS(s);
    LSTD(&io.list);
    CFD(&io.table);
    IARFS(&io.iar);
    IARFS(&io.iar2);
    IARFS2(&io.nested);
    IARFS2(&io.nested2);
    LPD(&io.sweep);
    LPD(&io.sweep2);
    TRFS(&io.tree);
    c_fstore(io.block_count, &io.block, io.block_size);
    for (int32_t h : {io.channel, io.prototype})
        if (h >= 0)
            c_ipclos(h);
    for (int fd : io.pipe)
        if (fd >= 0)
            close(fd);
    c_regexp_free(io.re);
    if (io.unit >= 0)
        OOCLOS(&io.unit);
}

// One run with the k-th request refused (k < 0: none refused); true when a
// refusal was met. A warm-up run leaves the host's process-wide tables
// (channel slots, units, the error log) at their size, so it checks no baseline.
bool run(const Case &c, int32_t k, bool warm_up = false) {
    kt_host_reset_errors();
    const int64_t baseline = kt_host_store_bytes_in_use(), blocks = kt_host_alloc_live();
    Io io;
    c.setup(io);
    bool refused;
    {
        StoreGrants grants(k);
        c.call(io);
        refused = kt_host_alloc_refusals() > 0;
        EXPECT_EQ(kt_host_store_check(), 0) << "the store's blocks disagree after the call";
    }
    const bool succeeded = c.check(io, c.text);
    if (!io.kept.empty()) {
        EXPECT_EQ(string_text(io.s2), io.kept) << "the call changed its input";
    }
    teardown(io);
    if (!refused) {
        EXPECT_TRUE(succeeded) << "fails with every request granted";
        EXPECT_EQ(kt_host_error_count(), 0) << "a success reports nothing";
    }
    if (!warm_up) {
        EXPECT_EQ(kt_host_store_bytes_in_use(), baseline);
        EXPECT_EQ(kt_host_alloc_live(), blocks) << "heap blocks left behind";
    }
    return refused;
}

int drive(const Case &c) {
    run(c, -1, true);
    for (int32_t k = 0; k < 400; ++k) {
        SCOPED_TRACE(std::string(c.name) + ", requests granted: " + std::to_string(k));
        if (!run(c, k)) {
            EXPECT_GT(k, 0) << "never asked for memory";
            return k;
        }
    }
    ADD_FAILURE() << c.name << " never succeeds";
    return 400;
}

void none(Io &) {}

const int32_t kFourFiveSix[] = {4, 5, 6};
const char *const kPQR[] = {"p", "q", "r"};

// An input string in s1, which the call may change.
std::function<void(Io &)> s1(const char *text) {
    return [text](Io &io) { io.s1 = make_string(io.before = text); };
}

void expect_store_reported() {
    EXPECT_EQ(kt_host_error_count(), 1);
    EXPECT_EQ(kt_host_error_number(1), 2012);
}

std::string joined(const std::vector<int32_t> &values) {
    std::string s;
    for (int32_t v : values)
        s += (s.empty() ? "" : " ") + std::to_string(v);
    return s;
}

// A new string in s1 (also the result), or 0 with nothing made.
bool string_made(Io &io, const std::string &text, bool reported) {
    EXPECT_EQ(io.result, io.s1);
    if (io.s1 == 0) {
        if (reported)
            expect_store_reported();
        return false;
    }
    EXPECT_EQ(string_text(io.s1), text);
    EXPECT_EQ(string_terminator(io.s1), '\0');
    return true;
}
bool new_string(Io &io, const std::string &text) { return string_made(io, text, false); }
bool reported_string(Io &io, const std::string &text) { return string_made(io, text, true); }

// A string edited in place, or left as it was and the refusal reported.
bool edited_string(Io &io, const std::string &text) {
    EXPECT_NE(io.s1, 0);
    if (string_text(io.s1) == io.before) {
        expect_store_reported();
        return false;
    }
    EXPECT_EQ(string_text(io.s1), text);
    return true;
}

// A structure made by the call in `made`, which is also the result; 0 when
// refused. What is made must show `property`.
bool made(const Io &io, int32_t made, bool property = true) {
    EXPECT_EQ(io.result, made);
    EXPECT_TRUE(made == 0 || property);
    return made != 0;
}

const Fields kEarlier = {{"first", {"1", "2"}}, {"empty", {}}};

Fields with(Fields f, const Fields &more) {
    f.insert(f.end(), more.begin(), more.end());
    return f;
}

void field_inputs(Io &io) {
    io.table = make_table(kEarlier);
    io.s1 = make_string("added");
    io.values[0] = make_string("x");
    io.values[1] = make_string("y");
}

// A refused write leaves the earlier fields as they were or with some of
// the new empty values, then a prefix of the new fields, the last perhaps
// without its values; within each count every value is a valid string.
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

// gives_status: the result is a status (0 done, 1 refused) also stored in
// io.status; else a field number (0 refused) stored in io.out.
Case field_case(const char *name, bool gives_status, std::function<void(Io &)> call, const Fields &success) {
    return {name, field_inputs, std::move(call), [gives_status, success, name](Io &io, auto &) {
                EXPECT_EQ(io.result, gives_status ? io.status : io.out);
                const bool ok = gives_status ? io.result == 0 : io.result != 0;
                Fields got = fields_of(io.table);
                if (ok) {
                    EXPECT_EQ(got, success);
                } else {
                    EXPECT_EQ(io.result, gives_status ? 1 : 0);
                    expect_partial(got, success);
                }
                if (std::string(name) == "CFR" && !ok)
                    expect_store_reported();
                // The table took the name string when it kept the new field.
                if (std::string(name) == "CFZSA" && got.size() > kEarlier.size())
                    io.s1 = 0;
                return ok;
            }};
}

// A file with a continued record and more values than the reader's first
// value buffer holds.
Fields write_field_file(const std::string &path) {
    Field many{"many", {}};
    std::string line = "many";
    for (int i = 0; i < 60; ++i) {
        many.second.push_back(std::to_string(i));
        line += (i ? "," : " ") + std::to_string(i);
    }
    kt_host_test::spit(path, "# parameters\ngain 4.7K, 2\nbias 1 \\\n  2\n" + line + "\nlast\n");
    return {{"gain", {"4.7K", "2"}}, {"bias", {"1", "2"}}, many, {"last", {}}};
}

std::string record(int32_t r) { return r ? "[" + joined(iar_values(r)) + "]" : ""; }

// A record made by the call in iar, holding the values in the text.
bool new_record(Io &io, const std::string &values) { return made(io, io.iar, record(io.iar) == "[" + values + "]"); }

const std::vector<std::vector<int32_t>> kNested = {{1, 2}, {}, {3}};

bool new_nested(Io &io, const std::string &) {
    return made(io, io.nested, io.nested && iar2_values(io.nested) == kNested);
}

int32_t named_sweep(const std::string &name, int32_t kind, const std::vector<double> &reals,
                    const std::vector<std::string> &names = {}) {
    std::vector<int32_t> strings;
    for (const std::string &n : names)
        strings.push_back(make_string(n));
    int32_t s = make_string(name), list = kt::text_test::make_sweep(kind, reals, strings, s);
    STRFS(&s);
    for (int32_t &t : strings)
        STRFS(&t);
    return list;
}
// A setup making the list to copy.
std::function<void(Io &)> sweep_of(const char *name, int32_t kind, std::vector<double> reals,
                                   std::vector<std::string> names = {}) {
    return [=](Io &io) { io.sweep = named_sweep(name, kind, reals, names); };
}

// A path long enough for its token record to grow past its first cells.
int32_t compile_path(int32_t &out) {
    std::string path = "/top/a.b/c/d/e/f/g/h[1:4]/x.y";
    int32_t n = static_cast<int32_t>(path.size()), table = 77;
    return SEPTHI(path.data(), &n, &table, &out, n);
}

// The inputs of LPIE: a name, and a caller's block of reals or of strings.
std::function<void(Io &)> lpie_inputs(std::vector<double> reals, std::vector<std::string> names) {
    return [=](Io &io) {
        io.s2 = make_string(io.kept = "VDD");
        io.block_count = static_cast<int32_t>(names.empty() ? reals.size() : names.size());
        io.block_size = names.empty() ? 8 : 4;
        c_gstore(io.block_count, &io.block, io.block_size, 0);
        for (int32_t i = 1; i <= io.block_count; ++i) {
            if (names.empty())
                kt_set_rcell(io.block + i, reals[static_cast<size_t>(i - 1)]);
            else
                kt_set_icell(io.block + i, io.values[i - 1] = make_string(names[static_cast<size_t>(i - 1)]));
        }
    };
}

void call_lpie(Io &io, int32_t kind) {
    io.result = LPIE(&io.s2, io.ref(0), &kind, &io.block, &io.block_count, &io.sweep);
}

bool new_sweep(Io &io, const std::string &text) { return made(io, io.sweep, io.sweep && printed(io.sweep) == text); }

// A copy into a record made by the call: complete, or none at all.
bool new_sweep_copy(Io &io, const std::string &text) {
    EXPECT_EQ(io.result, io.status);
    if (io.status != 0) {
        EXPECT_EQ(io.sweep2, 0);
        return false;
    }
    EXPECT_EQ(printed(io.sweep2), text);
    return true;
}

void expand_copy(Io &io) { io.result = LPXPCP(&io.sweep, io.ref(1), &io.sweep2, &io.status); }

// A peer prototype and a pipe to run it over.
void peer_inputs(Io &io) {
    int32_t port = 0;
    io.prototype = c_ipini(3, &port);
    ASSERT_EQ(pipe(io.pipe), 0);
}

void open_and_write(Io &io) {
    io.result = -1;
    io.channel = c_ipocp(io.prototype, io.pipe[0], io.pipe[1]);
    if (io.channel >= 0) {
        io.pipe[0] = io.pipe[1] = -1;
        io.result = c_ipwrit(io.channel, 7, "frame", 5);
    }
}

bool frame_written(Io &io, const std::string &) {
    if (io.channel < 0 || io.result < 0) {
        EXPECT_EQ(io.channel < 0 ? io.channel : io.result, -2);
        return false;
    }
    int32_t type = 0;
    char got[8] = {};
    EXPECT_EQ(c_ipread(io.channel, &type, got, sizeof got), 5);
    EXPECT_EQ(std::string(got), "frame");
    EXPECT_EQ(type, 7);
    return true;
}

std::vector<Case> cases(const std::string &files) {
    const std::string field_file = files + "_fields", iar_file = files + "_iar", block_file = files + "_block";
    const Fields from_file = write_field_file(field_file);
    {
        int32_t r = make_iar({4, 5, 6}), r2 = make_iar2(kNested), status = 0;
        int32_t unit = kt_host_open_unit(iar_file.c_str(), "w");
        IARW(&unit, &r, &status);
        IARW2(&unit, &r2, &status);
        kt_host_close_unit(unit);
        IARFS(&r);
        IARFS2(&r2);
        int32_t block = 0, n = 3, s = 4;
        c_gstore(n, &block, s, 0);
        for (int32_t i = 1; i <= n; ++i)
            kt_set_icell(block + i, 10 * i);
        unit = kt_host_open_unit(block_file.c_str(), "w");
        MMWRIT(&unit, &n, &block, &s, &status);
        kt_host_close_unit(unit);
        c_fstore(n, &block, s);
    }
    static const std::string x40(40, 'x');
    return {
        {"STRGEA", none, [](Io &io) { io.result = STRGEA("diode", io.ref(4), &io.s1, 5); }, new_string, "diod"},
        // String builders and editors report a refusal.
        {"UIESTR", none, [](Io &io) { io.result = io.s1 = UIESTR("gate", io.ref(3), 4); }, reported_string, "gat"},
        {"UIASTR", [](Io &io) { io.s2 = make_string(io.kept = "tox"); },
         [](Io &io) { io.result = io.s1 = UIASTR(&io.s2, "ide", 3); }, reported_string, "toxide"},
        {"UIXSTR", s1("kappa"), [](Io &io) { io.result = UIXSTR(&io.s1, x40.c_str(), io.ref(40), 40); },
         [](Io &io, auto &t) {
             EXPECT_EQ(io.result, io.s1);
             return edited_string(io, t);
         },
         "kappa" + x40},
        {"STRSUB", s1("a%{X}b%{x}c"), [](Io &io) { io.result = c_strsub(io.s1, "X", "1234567", &io.out); },
         [](Io &io, auto &t) {
             EXPECT_EQ(io.result, io.out);
             EXPECT_EQ(edited_string(io, t), io.result != -1);
             return io.result != -1;
         },
         "a1234567b1234567c"},
        {"LSTI", none, [](Io &io) { io.result = LSTI(io.ref(5), io.ref(2), &io.list); },
         [](Io &io, auto &) { return made(io, io.list, io.list && list_capacity(io.list) == 5); }},
        {"CFI", none, [](Io &io) { io.result = CFI(&io.table); },
         [](Io &io, auto &) { return made(io, io.table, io.table && fields_of(io.table).empty()); }},
        field_case(
            "CFR", true, [field_file](Io &io) { io.result = c_cfr(io.table, field_file.c_str(), &io.status); },
            with(kEarlier, from_file)),
        field_case(
            "CFZSA", false, [](Io &io) { io.result = CFZSA(&io.table, &io.s1, io.values, io.ref(2), &io.out); },
            with(kEarlier, {{"added", {"x", "y"}}})),
        field_case(
            "CFZFLD", false, [](Io &io) { io.result = c_cfzfld(io.table, "named here", &io.out); },
            with(kEarlier, {{"named", {}}})),
        field_case("CFZADD", true, [](Io &io) { io.result = CFZADD(&io.table, io.ref(1), io.ref(3), &io.status); },
                   {{"first", {"1", "2", "", "", ""}}, kEarlier[1]}),
        field_case("CFXS", true, [](Io &io) { io.result = c_cfxs(io.table, 1, "only", &io.status); },
                   {{"first", {"only"}}, kEarlier[1]}),
        field_case("CFXSI", true, [](Io &io) { io.result = c_cfxsi(io.table, 2, 3, "third", &io.status); },
                   {kEarlier[0], {"empty", {"", "", "third"}}}),
        field_case("CFXSC", true, [](Io &io) { io.result = c_cfxsc(io.table, 2, 2, &io.status); },
                   {kEarlier[0], {"empty", {"", ""}}}),
        field_case(
            "CFNS of a new name", true, [](Io &io) { io.result = c_cfns(io.table, "fresh", "v", &io.status); },
            with(kEarlier, {{"fresh", {"v"}}})),
        field_case("c_cfxsap", true, [](Io &io) { io.result = io.status = c_cfxsap(io.table, 1, 3, kPQR); },
                   {{"first", {"p", "q", "r"}}, kEarlier[1]}),
        field_case(
            "c_cfnsap of a new name", true,
            [](Io &io) { io.result = io.status = c_cfnsap(io.table, "fresh", 2, kPQR); },
            with(kEarlier, {{"fresh", {"p", "q"}}})),
        {"IARI", none, [](Io &io) { io.result = IARI(io.ref(2), &io.iar); }, new_record, "0 0"},
        {"IARIE", none, [](Io &io) { io.result = IARIE(kFourFiveSix, io.ref(3), &io.iar); }, new_record, "4 5 6"},
        {"IARA",
         [](Io &io) {
             io.iar = make_iar({1, 1, 1});
             io.iar2 = make_iar({7, 7});
         },
         [](Io &io) { io.result = IARA(&io.iar, &io.iar2); },
         [](Io &io, auto &) {
             // Joined, the first record is freed; refused, both stay.
             EXPECT_EQ(record(io.iar) + record(io.iar2), io.result ? "[7 7 1 1 1]" : "[1 1 1][7 7]");
             EXPECT_EQ(io.result, io.result ? io.iar2 : 0);
             return io.result != 0;
         }},
        {"IARR2", none,
         [iar_file](Io &io) {
             int32_t unit = kt_host_open_unit(iar_file.c_str(), "r"), skipped = 0;
             IARR(&unit, &skipped);
             IARFS(&skipped);
             io.result = IARR2(&unit, &io.nested);
             kt_host_close_unit(unit);
         },
         new_nested},
        {"IARCP2", [](Io &io) { io.nested2 = make_iar2(kNested); },
         [](Io &io) { io.result = IARCP2(&io.nested2, &io.nested); },
         [](Io &io, auto &t) {
             EXPECT_EQ(iar2_values(io.nested2), kNested);
             return new_nested(io, t);
         }},
        {"TRGS", none, [](Io &io) { io.result = TRGS(&io.tree); }, [](Io &io, auto &) { return made(io, io.tree); }},
        {"RSCIEA", [](Io &io) { io.s2 = make_string(io.kept = "name"); },
         [](Io &io) { io.result = RSCIEA(io.ref(2), &io.s2, &io.out); },
         [](Io &io, auto &) {
             EXPECT_EQ(io.result, io.out);
             if (io.out == 0) {
                 expect_store_reported();
                 EXPECT_NE(std::string(kt_host_error_text(1)).find("rsciea"), std::string::npos);
                 return false;
             }
             EXPECT_EQ(string_text(kt_icell(io.out + 2)), "name");
             RSCD(&io.out);
             return true;
         }},
        {"SEPTHI", [](Io &io) { io.iar2 = compile_path(io.iar2); }, [](Io &io) { io.result = compile_path(io.iar); },
         [](Io &io, auto &) {
             if (io.iar == 0)
                 expect_store_reported();
             else
                 EXPECT_EQ(iar_values(io.iar), iar_values(io.iar2));
             return made(io, io.iar);
         }},
        {"LPI", none, [](Io &io) { io.result = LPI(&io.sweep); }, [](Io &io, auto &) { return made(io, io.sweep); }},
        {"LPIE of reals", lpie_inputs({1, 2, 3}, {}), [](Io &io) { call_lpie(io, 6); }, new_sweep, "VDD in 1 2 3"},
        {"LPIE of names", lpie_inputs({}, {"a", "bb"}), [](Io &io) { call_lpie(io, 7); }, new_sweep, "VDD in a bb"},
        {"LPCP into a new record", sweep_of("N", 7, {}, {"x", "y"}),
         [](Io &io) { io.result = LPCP(&io.sweep, &io.sweep2, &io.status); }, new_sweep_copy, "N in x y"},
        {"LPCP into a caller's record",
         [](Io &io) {
             io.sweep = named_sweep("N", 7, {}, {"x", "y"});
             io.sweep2 = named_sweep("OLD", 6, {4, 5});
         },
         [](Io &io) { io.result = LPCP(&io.sweep, &io.sweep2, &io.status); },
         [](Io &io, auto &) {
             EXPECT_EQ(io.result, io.status);
             EXPECT_EQ(printed(io.sweep2), io.status == 0 ? "N in x y" : "OLD in 4 5");
             return io.status == 0;
         }},
        {"LPXP", [](Io &io) { io.sweep = kt::text_test::make_range(4, 1, 1e6, 10); },
         [](Io &io) { io.result = LPXP(&io.sweep, &io.block, &io.block_count); },
         [](Io &io, auto &) {
             io.block_size = 8;
             EXPECT_EQ(io.block_count, io.block == 0 ? 0 : 61);
             return made(io, io.block, io.block && kt_rcell(io.block + 61) == 1e6);
         }},
        {"LPXPCP of a falling range", sweep_of("F", 2, {3, 1, 3}), expand_copy, new_sweep_copy, "F in 1 2 3"},
        {"LPXPCP sorting reals", sweep_of("V", 6, {3, 1, 2}), expand_copy, new_sweep_copy, "V in 1 2 3"},
        {"LPXPCP of names", sweep_of("N", 7, {}, {"b", "a"}), expand_copy, new_sweep_copy, "N in b a"},
        {"MMREAD", none,
         [block_file](Io &io) {
             int32_t unit = kt_host_open_unit(block_file.c_str(), "r"), cls = 0;
             io.result = MMREAD(&unit, io.ref(io.block_count = 3), &io.block, &io.block_size, &cls, &io.status);
             kt_host_close_unit(unit);
         },
         [](Io &io, auto &) {
             EXPECT_EQ(io.result, io.status);
             // Refused: no block; read: the last cell.
             EXPECT_EQ(io.block ? std::to_string(kt_icell(io.block + 3)) : "none", io.result ? "none" : "30");
             return io.result == 0;
         }},
        // Heap memory: channels, the matcher, the host's units.
        {"c_ipocp and c_ipwrit", peer_inputs, open_and_write, frame_written},
        {"c_regexp_new", none, [](Io &io) { io.re = c_regexp_new("(a|b)+c[0-9]*"); },
         [](Io &io, auto &) {
             const char *error = io.re ? c_regexp_error(io.re) : nullptr;
             if (error && *error) {
                 EXPECT_STREQ(error, "out of memory");
                 return false;
             }
             return io.re != nullptr;
         }},
        {"c_regexp_search", [](Io &io) { io.re = c_regexp_new("x(a|b)+c[0-9]*"); },
         [](Io &io) { io.result = c_regexp_search(io.re, "zzxabac12", nullptr); },
         [](Io &io, auto &) {
             if (io.result < 0) {
                 EXPECT_STREQ(c_regexp_error(io.re), "out of memory");
                 return false;
             }
             EXPECT_EQ(io.result, 1);
             return true;
         }},
        {"OOOPEN", none,
         [block_file](Io &io) {
             std::string path = block_file + "_output_unit_with_a_long_name";
             io.result = io.unit = OOOPEN(path.data(), static_cast<int32_t>(path.size()));
         },
         [](Io &io, auto &) { return io.unit >= 0; }},
    };
}

TEST(StoreRefusal, EveryRequestOfEveryOperation) {
    kt_host_test::TempFile files("reliability");
    int refused = 0;
    for (const Case &c : cases(files.path))
        refused += drive(c);
    RecordProperty("refused_runs", refused);
    std::remove((files.path + "_fields").c_str());
    std::remove((files.path + "_iar").c_str());
    std::remove((files.path + "_block").c_str());
    int32_t cap = 8, len = 0;
    char line[8];
    EXPECT_EQ(IIGETL(line, &cap, &len, cap), -1) << "no input left open";
    kt_host_reset_errors();
}

// Deleting fields and values asks for no space, so it succeeds with every
// request refused.
TEST(StoreRefusal, DeletingNeedsNoGrant) {
    const int64_t baseline = kt_host_store_bytes_in_use();
    int32_t table = make_table(kEarlier), k = 1, one = 1;
    {
        StoreGrants none(0);
        CFZDEL(&table, &k, &one);
        EXPECT_EQ(c_cfxd(table, 1), 0);
        EXPECT_EQ(kt_host_store_check(), 0);
    }
    EXPECT_EQ(fields_of(table), (Fields{{"first", {}}, kEarlier[1]}));
    CFD(&table);
    EXPECT_EQ(kt_host_store_bytes_in_use(), baseline);
}

} // namespace
