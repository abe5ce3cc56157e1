// The general-purpose packages against the standard peers they compete
// with: symbol tables against std::unordered_map, the list sort against
// std::list::sort, and the regular-expression matcher against std::regex
// and POSIX regexec. Each pair runs the same workload at three sizes a
// factor 10 apart; inputs are drawn once, with a fixed seed, before any
// timing starts. The matcher also runs alone on subjects that make
// backtracking explode, where its time per byte must not grow with n.
#include <benchmark/benchmark.h>
#include <regex.h>

#include <cstdint>
#include <cstring>
#include <list>
#include <random>
#include <regex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bench_keys.h"
#include "kt/list.h"
#include "kt/regexp.h"
#include "kt/st.h"

namespace {

constexpr int64_t kMaxItems = 1'000'000, kMaxLines = 100'000;

// ---- symbol tables: insert n distinct string keys, look each up twice -------
// Keys: see bench_keys.h. Neither side copies the keys; both take their
// entries from the heap, warmed by an untimed first build.

void BM_StTable_InsertLookup(benchmark::State &state) {
    const int set = static_cast<int>(state.range(0));
    const int64_t n = state.range(1);
    const char *const *k = kt_bench::key_texts(set).data();
    const auto &order = kt_bench::lookup_order(n);
    auto run = [&] {
        st_table *t = st_init_table(strcmp, st_strhash);
        for (int64_t i = 0; i < n; ++i)
            st_insert(t, k[i], reinterpret_cast<void *>(i));
        int64_t found = 0;
        for (int round = 0; round < 2; ++round) {
            for (int i : order) {
                void *r = nullptr;
                found += st_lookup(t, k[i], &r);
                benchmark::DoNotOptimize(r);
            }
        }
        st_free_table(t);
        return found;
    };
    if (run() != 2 * n)
        state.SkipWithError("a key was not found");
    for (auto _ : state)
        benchmark::DoNotOptimize(run());
    state.SetItemsProcessed(state.iterations() * n * 3);
}

void BM_UnorderedMap_InsertLookup(benchmark::State &state) {
    const int set = static_cast<int>(state.range(0));
    const int64_t n = state.range(1);
    const char *const *k = kt_bench::key_texts(set).data();
    const auto &order = kt_bench::lookup_order(n);
    auto run = [&] {
        std::unordered_map<std::string_view, void *> t;
        for (int64_t i = 0; i < n; ++i)
            t.emplace(k[i], reinterpret_cast<void *>(i));
        int64_t found = 0;
        for (int round = 0; round < 2; ++round) {
            for (int i : order) {
                auto it = t.find(k[i]);
                found += it != t.end();
                benchmark::DoNotOptimize(it);
            }
        }
        return found;
    };
    if (run() != 2 * n)
        state.SkipWithError("a key was not found");
    for (auto _ : state)
        benchmark::DoNotOptimize(run());
    state.SetItemsProcessed(state.iterations() * n * 3);
}

// ---- sorting N random items of a linked list ---------------------------------

const std::vector<intptr_t> &sort_values() {
    static const std::vector<intptr_t> v = [] {
        std::mt19937_64 rng(99);
        std::vector<intptr_t> x(kMaxItems);
        for (intptr_t &e : x)
            e = static_cast<intptr_t>(rng() >> 2);
        return x;
    }();
    return v;
}

int compare_words(lsGeneric a, lsGeneric b) {
    auto x = reinterpret_cast<intptr_t>(a), y = reinterpret_cast<intptr_t>(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

void BM_lsSort(benchmark::State &state) {
    const int64_t n = state.range(0);
    const intptr_t *v = sort_values().data();
    for (auto _ : state) {
        state.PauseTiming();
        lsList l = lsCreate();
        for (int64_t i = 0; i < n; ++i)
            lsNewEnd(l, reinterpret_cast<lsGeneric>(v[i]), nullptr);
        state.ResumeTiming();
        lsSort(l, compare_words);
        state.PauseTiming();
        lsGeneric first = nullptr;
        lsFirstItem(l, &first, nullptr);
        benchmark::DoNotOptimize(first);
        lsDestroy(l, nullptr);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_StdListSort(benchmark::State &state) {
    const int64_t n = state.range(0);
    const intptr_t *v = sort_values().data();
    for (auto _ : state) {
        state.PauseTiming();
        auto *l = new std::list<intptr_t>(v, v + n);
        state.ResumeTiming();
        l->sort();
        state.PauseTiming();
        benchmark::DoNotOptimize(l->front());
        delete l;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// ---- searching text lines for a set of typical patterns ------------------------

// The same patterns in the syntax of all three matchers.
const char *const kPatterns[] = {
    "error",              // a literal
    "^\\*",               // comment lines
    "[0-9]+\\.[0-9]+",    // a decimal number
    "^[RCL][0-9]+ ",      // an element line
    "(warning|error): ",  // alternatives in a group
    "node_[a-z]+[0-9]*",  // a net name
    ".*timestep",         // a leading loop and a literal every match holds
    "v\\(([a-z0-9]+)\\)", // a probe and its node
};

const std::vector<std::string> &text_lines() {
    static const std::vector<std::string> lines = [] {
        std::mt19937 rng(4242);
        auto num = [&](int n) { return std::to_string(std::uniform_int_distribution<int>(0, n)(rng)); };
        auto name = [&] {
            std::string s;
            for (int i = 0, n = 2 + static_cast<int>(rng() % 5); i < n; ++i)
                s += static_cast<char>('a' + rng() % 26);
            return s;
        };
        std::vector<std::string> v;
        v.reserve(kMaxLines);
        for (int64_t i = 0; i < kMaxLines; ++i) {
            switch (rng() % 6) {
            case 0:
                v.push_back("R" + num(99) + " node_" + name() + num(9) + " n" + num(50) + " " + num(9) + "." + num(99) +
                            "k");
                break;
            case 1:
                v.push_back("* " + name() + " stage of the " + name() + " amplifier, timestep control " + num(3));
                break;
            case 2:
                v.push_back("warning: timestep too small at t=" + num(9) + "." + num(999) + "e-06 in " + name());
                break;
            case 3:
                v.push_back("v(" + name() + num(9) + ") = " + num(5) + "." + num(9999));
                break;
            case 4:
                v.push_back("info: iteration " + num(40) + " converged for " + name() + " after " + num(9) + " steps");
                break;
            default:
                v.push_back("C" + num(99) + " " + name() + " 0 " + num(999) + "n ic=" + num(3));
                break;
            }
        }
        return v;
    }();
    return lines;
}

void BM_Regexp_Match(benchmark::State &state) {
    const int64_t n = state.range(0);
    const std::vector<std::string> &lines = text_lines();
    std::vector<Regexp_scanner *> res;
    for (const char *p : kPatterns)
        res.push_back(new Regexp_scanner(p));
    int64_t matches = 0;
    for (auto _ : state)
        for (Regexp_scanner *re : res)
            for (int64_t i = 0; i < n; ++i)
                matches += re->find_match(lines[static_cast<size_t>(i)].c_str());
    for (Regexp_scanner *re : res)
        delete re;
    state.counters["matches"] = static_cast<double>(matches) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * n * static_cast<int64_t>(std::size(kPatterns)));
}

void BM_StdRegex_Match(benchmark::State &state) {
    const int64_t n = state.range(0);
    const std::vector<std::string> &lines = text_lines();
    std::vector<std::regex> res;
    for (const char *p : kPatterns)
        res.emplace_back(p, std::regex::extended);
    int64_t matches = 0;
    std::cmatch m;
    for (auto _ : state)
        for (const std::regex &re : res)
            for (int64_t i = 0; i < n; ++i)
                matches += std::regex_search(lines[static_cast<size_t>(i)].c_str(), m, re);
    state.counters["matches"] = static_cast<double>(matches) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * n * static_cast<int64_t>(std::size(kPatterns)));
}

void BM_Posix_Regexec(benchmark::State &state) {
    const int64_t n = state.range(0);
    const std::vector<std::string> &lines = text_lines();
    std::vector<regex_t> res(std::size(kPatterns));
    for (size_t p = 0; p < res.size(); ++p)
        if (regcomp(&res[p], kPatterns[p], REG_EXTENDED) != 0)
            state.SkipWithError("regcomp refused a pattern");
    int64_t matches = 0;
    regmatch_t m[10];
    for (auto _ : state)
        for (regex_t &re : res)
            for (int64_t i = 0; i < n; ++i)
                matches += regexec(&re, lines[static_cast<size_t>(i)].c_str(), 10, m, 0) == 0;
    for (regex_t &re : res)
        regfree(&re);
    state.counters["matches"] = static_cast<double>(matches) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * n * static_cast<int64_t>(std::size(kPatterns)));
}

// ---- subjects on which backtracking explodes ----------------------------------

// Each family: a pattern and a subject of n bytes. Time per byte must stay
// flat from n = 10^3 to 10^5; the expected result guards against a search
// that gives up early.
struct Pathological {
    const char *name, *pattern;
    std::string (*subject)(int64_t n);
    int matches;
};

const Pathological kPathological[] = {
    {"alt_star", "(a|b)*c", [](int64_t n) { return std::string(static_cast<size_t>(n - 1), 'a') + "c"; }, 1},
    {"group_star", "(ab)*",
     [](int64_t n) {
         std::string s;
         for (int64_t i = 0; i < n / 2; ++i)
             s += "ab";
         return s;
     },
     1},
    {"dot_star3", "(.*)(.*)(.*)y", [](int64_t n) { return "y" + std::string(static_cast<size_t>(n - 1), 'a'); }, 1},
    {"nested_plus", "(x+x+)+y", [](int64_t n) { return std::string(static_cast<size_t>(n), 'x'); }, 0},
    {"digits", "[0-9]+\\.[0-9]+", [](int64_t n) { return std::string(static_cast<size_t>(n), '7'); }, 0},
};

void BM_Regexp_Pathological(benchmark::State &state, const Pathological &family) {
    const std::string subject = family.subject(state.range(0));
    Regexp_scanner re(family.pattern);
    for (auto _ : state)
        if (re.find_match(subject.c_str()) != family.matches)
            state.SkipWithError("wrong result");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(subject.size()));
}

// Medians of five runs; the single runs are too noisy on a shared machine.
void at_three_sizes(benchmark::internal::Benchmark *b, int64_t first) {
    b->Arg(first)
        ->Arg(first * 10)
        ->Arg(first * 100)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
}

const bool g_registered = [] {
    for (auto *b : {benchmark::RegisterBenchmark("BM_StTable_InsertLookup", BM_StTable_InsertLookup),
                    benchmark::RegisterBenchmark("BM_UnorderedMap_InsertLookup", BM_UnorderedMap_InsertLookup)})
        kt_bench::all_key_sets(b->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true));
    at_three_sizes(benchmark::RegisterBenchmark("BM_lsSort", BM_lsSort), 10'000);
    at_three_sizes(benchmark::RegisterBenchmark("BM_StdListSort", BM_StdListSort), 10'000);
    at_three_sizes(benchmark::RegisterBenchmark("BM_Regexp_Match", BM_Regexp_Match), 1'000);
    at_three_sizes(benchmark::RegisterBenchmark("BM_StdRegex_Match", BM_StdRegex_Match), 1'000);
    at_three_sizes(benchmark::RegisterBenchmark("BM_Posix_Regexec", BM_Posix_Regexec), 1'000);
    for (const Pathological &family : kPathological)
        benchmark::RegisterBenchmark((std::string("BM_Regexp_Pathological/") + family.name).c_str(),
                                     BM_Regexp_Pathological, family)
            ->Arg(1'000)
            ->Arg(10'000)
            ->Arg(100'000)
            ->Unit(benchmark::kMicrosecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    return true;
}();

} // namespace

BENCHMARK_MAIN();
