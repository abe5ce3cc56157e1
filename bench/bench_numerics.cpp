// Numerics against the standard peers they compete with: the quicksorts
// against std::sort, the transforms against the plain loops a caller would
// write. Each pair runs the same workload at three sizes a factor 10 apart
// (up to 1M keys and 10M complex points). Inputs are drawn once, with a
// fixed seed, before any timing starts; sort inputs are restored outside
// the timed region.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include "kt/numerics.h"
#include "kt/store.h"

namespace {

constexpr int64_t kMaxKeys = 1'000'000, kMaxPoints = 10'000'000;

const std::vector<int32_t> &random_ints() {
    static const std::vector<int32_t> v = [] {
        std::mt19937 rng(101);
        std::vector<int32_t> r(kMaxKeys);
        for (int32_t &x : r)
            x = static_cast<int32_t>(rng());
        return r;
    }();
    return v;
}

const std::vector<double> &random_doubles() {
    static const std::vector<double> v = [] {
        std::mt19937_64 rng(102);
        std::uniform_real_distribution<double> d(-1e6, 1e6);
        std::vector<double> r(kMaxKeys);
        for (double &x : r)
            x = d(rng);
        return r;
    }();
    return v;
}

// A frequency response as a simulator writes it: magnitude varying over
// decades, phase turning smoothly through many wraps.
const std::vector<double> &spectrum() {
    static const std::vector<double> v = [] {
        std::mt19937_64 rng(103);
        std::uniform_real_distribution<double> step(0.0, 0.05), decade(-6.0, 3.0);
        std::vector<double> z(2 * kMaxPoints);
        double theta = 0;
        for (int64_t i = 0; i < kMaxPoints; ++i) {
            const double r = std::pow(10.0, decade(rng));
            z[2 * i] = r * std::cos(theta);
            z[2 * i + 1] = r * std::sin(theta);
            theta -= step(rng);
        }
        return z;
    }();
    return v;
}

std::vector<int32_t> sorted_ints(int64_t n) {
    std::vector<int32_t> v(random_ints().begin(), random_ints().begin() + n);
    std::sort(v.begin(), v.end());
    return v;
}

// ---- sorting integers in place ------------------------------------------------

void qsorti(benchmark::State &state, const std::vector<int32_t> &input) {
    std::vector<int32_t> a(input.size()), stk(input.size());
    const int32_t n = static_cast<int32_t>(input.size());
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(input.begin(), input.end(), a.begin());
        state.ResumeTiming();
        QSORTI(a.data(), stk.data(), &n);
        benchmark::DoNotOptimize(a.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void std_sort(benchmark::State &state, const std::vector<int32_t> &input) {
    std::vector<int32_t> a(input.size());
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(input.begin(), input.end(), a.begin());
        state.ResumeTiming();
        std::sort(a.begin(), a.end());
        benchmark::DoNotOptimize(a.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(input.size()));
}

void BM_QSORTI_Random(benchmark::State &state) {
    qsorti(state, std::vector<int32_t>(random_ints().begin(), random_ints().begin() + state.range(0)));
}
void BM_StdSort_Random(benchmark::State &state) {
    std_sort(state, std::vector<int32_t>(random_ints().begin(), random_ints().begin() + state.range(0)));
}
void BM_QSORTI_Sorted(benchmark::State &state) { qsorti(state, sorted_ints(state.range(0))); }
void BM_StdSort_Sorted(benchmark::State &state) { std_sort(state, sorted_ints(state.range(0))); }

// ---- sorting an index of doubles ----------------------------------------------

void BM_QSRTID_Random(benchmark::State &state) {
    const int32_t n = static_cast<int32_t>(state.range(0));
    const double *keys = random_doubles().data();
    std::vector<int32_t> idx(static_cast<size_t>(n)), stk(static_cast<size_t>(n));
    for (auto _ : state) {
        state.PauseTiming();
        std::iota(idx.begin(), idx.end(), 1);
        state.ResumeTiming();
        QSRTID(keys, idx.data(), stk.data(), &n);
        benchmark::DoNotOptimize(idx.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_StdSortIndex_Random(benchmark::State &state) {
    const int32_t n = static_cast<int32_t>(state.range(0));
    const double *keys = random_doubles().data();
    std::vector<int32_t> idx(static_cast<size_t>(n));
    for (auto _ : state) {
        state.PauseTiming();
        std::iota(idx.begin(), idx.end(), 1);
        state.ResumeTiming();
        std::sort(idx.begin(), idx.end(), [keys](int32_t a, int32_t b) { return keys[a - 1] < keys[b - 1]; });
        benchmark::DoNotOptimize(idx.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// ---- transforms of a complex spectrum -------------------------------------------

void transform(benchmark::State &state, int32_t code) {
    const int32_t n = static_cast<int32_t>(state.range(0));
    const double *z = spectrum().data();
    std::vector<double> y(static_cast<size_t>(n));
    CONSTI();
    for (auto _ : state) {
        TRZ2D(z, y.data(), &n, &code);
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_TRZ2D_DB(benchmark::State &state) { transform(state, 2); }
void BM_TRZ2D_ContPhase(benchmark::State &state) { transform(state, 4); }

void BM_Loop_DB(benchmark::State &state) {
    const int64_t n = state.range(0);
    const double *z = spectrum().data();
    std::vector<double> y(static_cast<size_t>(n));
    for (auto _ : state) {
        for (int64_t i = 0; i < n; ++i)
            y[i] = 20.0 * std::log10(std::sqrt(z[2 * i] * z[2 * i] + z[2 * i + 1] * z[2 * i + 1]));
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_Loop_Atan2(benchmark::State &state) {
    const int64_t n = state.range(0);
    const double *z = spectrum().data();
    std::vector<double> y(static_cast<size_t>(n));
    for (auto _ : state) {
        for (int64_t i = 0; i < n; ++i)
            y[i] = std::atan2(z[2 * i + 1], z[2 * i]);
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// Medians of five runs; the single runs are too noisy on a shared machine.
void at_three_sizes(benchmark::internal::Benchmark *b, int64_t largest) {
    b->Arg(largest / 100)
        ->Arg(largest / 10)
        ->Arg(largest)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
}

const bool g_registered = [] {
    const std::pair<const char *, void (*)(benchmark::State &)> sorts[] = {
        {"BM_QSORTI_Random", BM_QSORTI_Random}, {"BM_StdSort_Random", BM_StdSort_Random},
        {"BM_QSORTI_Sorted", BM_QSORTI_Sorted}, {"BM_StdSort_Sorted", BM_StdSort_Sorted},
        {"BM_QSRTID_Random", BM_QSRTID_Random}, {"BM_StdSortIndex_Random", BM_StdSortIndex_Random},
    };
    for (const auto &s : sorts)
        at_three_sizes(benchmark::RegisterBenchmark(s.first, s.second), kMaxKeys);
    const std::pair<const char *, void (*)(benchmark::State &)> transforms[] = {
        {"BM_TRZ2D_DB", BM_TRZ2D_DB},
        {"BM_Loop_DB", BM_Loop_DB},
        {"BM_TRZ2D_ContPhase", BM_TRZ2D_ContPhase},
        {"BM_Loop_Atan2", BM_Loop_Atan2},
    };
    for (const auto &t : transforms)
        at_three_sizes(benchmark::RegisterBenchmark(t.first, t.second), kMaxPoints);
    return true;
}();

} // namespace

BENCHMARK_MAIN();
