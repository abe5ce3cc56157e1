// The path compiler against a plain split at "/" of the same texts: typical
// object paths (/top/x1.r2, .../*, bus[1:4]/q, across(p), ../blk/n,
// /top/u/v[3]) with names drawn from a few hundred, 1K, 10K and 100K paths.
// The compiler looks every name up in its table and builds a record per
// path; the peer only finds the pieces. Both run once over their paths
// before the clock starts, so the names are in the table and the texts in
// the caches for both.
//
// BM_SEPTHI_Nested/<n> compiles one path of n "through(" in a row, each of
// which looks ahead for a ")" that never comes; its time per byte must not
// grow with n.
//
// Pair (ratio of medians, ours over peer): BM_SEPTHI_Compile / BM_Strtok_Split.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "kt/iar.h"
#include "kt/names.h"

namespace {

constexpr int64_t kPaths = 100'000;
constexpr int32_t kTable = 41;

struct Paths {
    std::string bytes;
    std::vector<uint32_t> start;
    std::vector<int32_t> length;
};

const Paths &paths() {
    static const Paths p = [] {
        std::mt19937 rng(20261206);
        auto num = [&rng](unsigned range) { return std::to_string(rng() % range); };
        Paths out;
        for (int64_t i = 0; i < kPaths; ++i) {
            std::string t;
            switch (i % 6) {
            case 0:
                t = "/top/x" + num(300) + ".r" + num(50);
                break;
            case 1:
                t = "/top/sub" + num(100) + "/.../*";
                break;
            case 2:
                t = "bus" + num(200) + "[1:" + num(64) + "]/q";
                break;
            case 3:
                t = "across(p" + num(300) + ")";
                break;
            case 4:
                t = "../blk" + num(100) + "/n" + num(100);
                break;
            default:
                t = "/top/u" + num(100) + "/v[" + num(16) + "]";
                break;
            }
            out.start.push_back(static_cast<uint32_t>(out.bytes.size()));
            out.length.push_back(static_cast<int32_t>(t.size()));
            out.bytes += t;
        }
        return out;
    }();
    return p;
}

// Compiles paths 0..count-1; names are already lower case, so compiling
// leaves the texts as they are.
void compile_all(Paths &p, size_t count) {
    const int32_t table = kTable;
    for (size_t i = 0; i < count; ++i) {
        int32_t record = 0;
        SEPTHI(p.bytes.data() + p.start[i], &p.length[i], &table, &record, p.length[i]);
        benchmark::DoNotOptimize(record);
        IARFS(&record);
    }
}

// Splits paths 0..count-1 at "/" into views of their pieces.
void split_all(const Paths &p, size_t count) {
    std::string_view pieces[16];
    for (size_t i = 0; i < count; ++i) {
        const char *t = p.bytes.data() + p.start[i];
        int32_t n = p.length[i], from = 0, pieces_found = 0;
        for (int32_t k = 0; k <= n; ++k) {
            if (k == n || t[k] == '/') {
                if (k > from && pieces_found < 16)
                    pieces[pieces_found++] = std::string_view(t + from, static_cast<size_t>(k - from));
                from = k + 1;
            }
        }
        benchmark::DoNotOptimize(pieces);
        benchmark::DoNotOptimize(pieces_found);
    }
}

// One pass over the paths before the clock starts, then passes under it.
template <typename Pass> void warm_then_timed(benchmark::State &state, Pass pass) {
    pass();
    for (auto _ : state)
        pass();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_SEPTHI_Compile(benchmark::State &state) {
    Paths p = paths();
    const size_t count = static_cast<size_t>(state.range(0));
    warm_then_timed(state, [&p, count] { compile_all(p, count); });
}

void BM_Strtok_Split(benchmark::State &state) {
    const Paths &p = paths();
    const size_t count = static_cast<size_t>(state.range(0));
    warm_then_timed(state, [&p, count] { split_all(p, count); });
}

void BM_SEPTHI_Nested(benchmark::State &state) {
    std::string path;
    for (int64_t i = 0; i < state.range(0); ++i)
        path += "through(";
    int32_t n = static_cast<int32_t>(path.size()), table = kTable;
    for (auto _ : state) {
        int32_t record = 0;
        SEPTHI(path.data(), &n, &table, &record, n);
        benchmark::DoNotOptimize(record);
        IARFS(&record);
    }
    state.SetBytesProcessed(state.iterations() * n);
}

void measured(benchmark::internal::Benchmark *b) {
    b->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
}

const bool g_registered = [] {
    for (auto *b : {benchmark::RegisterBenchmark("BM_SEPTHI_Compile", BM_SEPTHI_Compile),
                    benchmark::RegisterBenchmark("BM_Strtok_Split", BM_Strtok_Split)})
        measured(b->Arg(1'000)->Arg(10'000)->Arg(kPaths));
    measured(benchmark::RegisterBenchmark("BM_SEPTHI_Nested", BM_SEPTHI_Nested)->Arg(1'000)->Arg(10'000)->Arg(100'000));
    return true;
}();

} // namespace

BENCHMARK_MAIN();
