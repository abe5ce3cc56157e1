// The path compiler against a plain split at "/" of the same texts: typical
// object paths (/top/x1.r2, .../*, bus[1:4]/q, across(p), ../blk/n,
// /top/u/v[3]) with names drawn from a few hundred. The compiler looks
// every name up in its table and builds a record per path; the peer only
// finds the pieces.
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

void BM_SEPTHI_Compile(benchmark::State &state) {
    Paths p = paths(); // names are already lower case, so compiling leaves the texts as they are
    const int32_t table = kTable;
    for (auto _ : state) {
        for (size_t i = 0; i < p.start.size(); ++i) {
            int32_t record = 0;
            SEPTHI(p.bytes.data() + p.start[i], &p.length[i], &table, &record, p.length[i]);
            benchmark::DoNotOptimize(record);
            IARFS(&record);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPaths);
}

void BM_Strtok_Split(benchmark::State &state) {
    const Paths &p = paths();
    std::string_view pieces[16];
    for (auto _ : state) {
        for (size_t i = 0; i < p.start.size(); ++i) {
            const char *t = p.bytes.data() + p.start[i];
            int32_t n = p.length[i], from = 0, count = 0;
            for (int32_t k = 0; k <= n; ++k) {
                if (k == n || t[k] == '/') {
                    if (k > from && count < 16)
                        pieces[count++] = std::string_view(t + from, static_cast<size_t>(k - from));
                    from = k + 1;
                }
            }
            benchmark::DoNotOptimize(pieces);
            benchmark::DoNotOptimize(count);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPaths);
}

void measured(benchmark::internal::Benchmark *b) {
    b->Arg(kPaths)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
}

const bool g_registered = [] {
    measured(benchmark::RegisterBenchmark("BM_SEPTHI_Compile", BM_SEPTHI_Compile));
    measured(benchmark::RegisterBenchmark("BM_Strtok_Split", BM_Strtok_Split));
    return true;
}();

} // namespace

BENCHMARK_MAIN();
