// Sweep lists against the plain loops a caller would write instead.
//
// BM_LPXP_Dec expands a per-decade sweep of N points into a fresh word-store
// block (sizing, allocation, the multiplication chain, freeing);
// BM_Loop_Geometric runs the same chain into a buffer allocated once.
// BM_LPGV_All asks LPGV for every point of an N-point log sweep, each one
// sized and computed alone; BM_Loop_Pow computes the same powers in a loop
// that knows the ratio already.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "kt/host.h"
#include "kt/sweep.h"

namespace {

// A sweep list of kind `kind` from `from` to `to` with the third item.
int32_t range(int32_t kind, double from, double to, double third) {
    int32_t block = 0, n = 3, list = 0, name = 0, context = 0;
    c_gstore(n, &block, 8, 0);
    kt_set_rcell(block + 1, from);
    kt_set_rcell(block + 2, to);
    kt_set_rcell(block + 3, third);
    LPIE(&name, &context, &kind, &block, &n, &list);
    c_fstore(n, &block, 8);
    return list;
}

// A decade from 1 to 10 with n - 1 steps: n points.
void BM_LPXP_Dec(benchmark::State &state) {
    const auto n = static_cast<int32_t>(state.range(0));
    int32_t list = range(4, 1.0, 10.0, n - 1);
    for (auto _ : state) {
        int32_t block = 0, points = 0;
        LPXP(&list, &block, &points);
        benchmark::DoNotOptimize(kt_rcell(block + points / 2));
        c_fstore(points, &block, 8);
    }
    state.SetItemsProcessed(state.iterations() * n);
    LPD(&list);
}
BENCHMARK(BM_LPXP_Dec)->Arg(10'000)->Arg(1'000'000);

void BM_Loop_Geometric(benchmark::State &state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const double ratio = std::exp(2.302585092994046 / (n - 1));
    std::vector<double> p(static_cast<size_t>(n));
    for (auto _ : state) {
        p[0] = 1.0;
        for (int32_t i = 1; i < n; ++i)
            p[static_cast<size_t>(i)] = p[static_cast<size_t>(i) - 1] * ratio;
        p[static_cast<size_t>(n) - 1] = 10.0;
        benchmark::DoNotOptimize(p.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Loop_Geometric)->Arg(10'000)->Arg(1'000'000);

void BM_LPGV_All(benchmark::State &state) {
    const auto n = static_cast<int32_t>(state.range(0));
    int32_t list = range(3, 1e-3, 1e6, n);
    for (auto _ : state) {
        double sum = 0;
        for (int32_t i = 1; i <= n; ++i) {
            double v = 0;
            int32_t status = 0;
            LPGV(&list, &i, &v, &status);
            sum += v;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * n);
    LPD(&list);
}
BENCHMARK(BM_LPGV_All)->Arg(100'000);

void BM_Loop_Pow(benchmark::State &state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const double from = 1e-3, ratio = std::exp(std::log(1e6 / from) / (n - 1));
    for (auto _ : state) {
        double sum = 0;
        for (int32_t i = 1; i <= n; ++i)
            sum += std::pow(ratio, i - 1) * from;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Loop_Pow)->Arg(100'000);

} // namespace

BENCHMARK_MAIN();
