// Word-store operations against the standard peers they compete with. Each
// pair runs the same workload, at three sizes a factor 10 apart so that the
// growth of the cost shows. Inputs are drawn once, with a fixed seed, before
// any timing starts.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "kt/host.h"
#include "kt/store.h"

namespace {

constexpr int32_t kIntSize = 4, kClassZero = 0;
constexpr int kLiveSlots = 10000;
constexpr int64_t kMaxSteps = 10'000'000, kMaxTextBytes = 1'000'000;
constexpr int32_t kPiece = 8;

// One allocation step: the slot whose block is replaced, and the new block's cells.
struct Step {
    uint16_t slot;
    uint16_t cells;
};

const std::vector<Step> &alloc_steps() {
    static const std::vector<Step> steps = [] {
        std::mt19937 rng(20240611);
        std::uniform_int_distribution<int> slot(0, kLiveSlots - 1), cells(1, 256);
        std::vector<Step> v(kMaxSteps);
        for (Step &s : v)
            s = {static_cast<uint16_t>(slot(rng)), static_cast<uint16_t>(cells(rng))};
        return v;
    }();
    return steps;
}

const std::vector<int32_t> &append_values() {
    static const std::vector<int32_t> values = [] {
        std::mt19937 rng(7);
        std::vector<int32_t> v(kMaxSteps);
        for (int32_t &x : v)
            x = static_cast<int32_t>(rng());
        return v;
    }();
    return values;
}

const std::string &append_text() {
    static const std::string text = [] {
        std::mt19937 rng(11);
        std::uniform_int_distribution<int> letter('a', 'z');
        std::string t(kMaxTextBytes, ' ');
        for (char &c : t)
            c = static_cast<char>(letter(rng));
        return t;
    }();
    return text;
}

#ifdef __GLIBC__
// The word store keeps the pages it has committed. glibc by default hands
// large blocks and the top of its heap back to the system, so the peers'
// times would include page faults that depend on what ran before. Let it keep
// its memory too, so that both sides are measured warm.
[[maybe_unused]] const bool g_malloc_keeps_memory =
    (mallopt(M_MMAP_THRESHOLD, 32 << 20), mallopt(M_TRIM_THRESHOLD, 1 << 30), true);
#endif

// ---- allocate and free with about 10,000 blocks live ------------------------

void BM_WordStore_AllocFree(benchmark::State &state) {
    const int64_t n = state.range(0);
    const Step *steps = alloc_steps().data();
    std::vector<int32_t> block(kLiveSlots, 0), cells(kLiveSlots, 0);
    for (auto _ : state) {
        for (int64_t i = 0; i < n; ++i) {
            const Step s = steps[i];
            int32_t &b = block[s.slot];
            FSTORE(&cells[s.slot], &b, &kIntSize);
            int32_t count = s.cells, status = 0;
            if (GSTORE(&count, &b, &kIntSize, &kClassZero, &status) != 0) {
                state.SkipWithError("GSTORE refused");
                break;
            }
            cells[s.slot] = count;
            int32_t *first = kt_iptr(b + 1);
            *first = static_cast<int32_t>(i);
            benchmark::DoNotOptimize(first);
        }
        for (int k = 0; k < kLiveSlots; ++k)
            FSTORE(&cells[k], &block[k], &kIntSize);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_Malloc_AllocFree(benchmark::State &state) {
    const int64_t n = state.range(0);
    const Step *steps = alloc_steps().data();
    std::vector<int32_t *> block(kLiveSlots, nullptr);
    for (auto _ : state) {
        for (int64_t i = 0; i < n; ++i) {
            const Step s = steps[i];
            int32_t *&b = block[s.slot];
            std::free(b);
            b = static_cast<int32_t *>(std::malloc(static_cast<size_t>(s.cells) * sizeof(int32_t)));
            if (!b) {
                state.SkipWithError("malloc refused");
                break;
            }
            *b = static_cast<int32_t>(i);
            benchmark::DoNotOptimize(b);
        }
        for (int32_t *&b : block) {
            std::free(b);
            b = nullptr;
        }
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// ---- appending integers to a growing sequence --------------------------------

void BM_LSTE_Append(benchmark::State &state) {
    const int64_t n = state.range(0);
    const int32_t *values = append_values().data();
    const int32_t capacity = 2, kind = 1;
    for (auto _ : state) {
        int32_t list = 0;
        if (!LSTI(&capacity, &kind, &list)) {
            state.SkipWithError("LSTI refused");
            break;
        }
        for (int64_t i = 0; i < n; ++i) {
            if (!LSTE(&list, &values[i])) {
                state.SkipWithError("LSTE refused");
                break;
            }
        }
        LSTD(&list);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_Vector_PushBack(benchmark::State &state) {
    const int64_t n = state.range(0);
    const int32_t *values = append_values().data();
    for (auto _ : state) {
        std::vector<int32_t> v;
        for (int64_t i = 0; i < n; ++i)
            v.push_back(values[i]);
        benchmark::DoNotOptimize(v.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// ---- appending 8-character pieces to one string ------------------------------

void BM_STRAPA_Append(benchmark::State &state) {
    const int64_t pieces = state.range(0) / kPiece;
    const char *text = append_text().data();
    for (auto _ : state) {
        int32_t s = 0;
        for (int64_t i = 0; i < pieces; ++i) {
            if (!STRAPA(text + kPiece * i, &kPiece, &s, kPiece)) {
                state.SkipWithError("STRAPA refused");
                break;
            }
        }
        STRFS(&s);
    }
    state.SetItemsProcessed(state.iterations() * pieces);
    state.SetBytesProcessed(state.iterations() * pieces * kPiece);
}

void BM_StdString_Append(benchmark::State &state) {
    const int64_t pieces = state.range(0) / kPiece;
    const char *text = append_text().data();
    for (auto _ : state) {
        std::string s;
        for (int64_t i = 0; i < pieces; ++i)
            s.append(text + kPiece * i, kPiece);
        benchmark::DoNotOptimize(s.data());
    }
    state.SetItemsProcessed(state.iterations() * pieces);
    state.SetBytesProcessed(state.iterations() * pieces * kPiece);
}

// Medians of five runs; the single runs are too noisy on a shared machine.
void at_three_sizes(benchmark::internal::Benchmark *b, int64_t first, benchmark::TimeUnit unit) {
    b->Arg(first)->Arg(first * 10)->Arg(first * 100)->Unit(unit)->Repetitions(5)->ReportAggregatesOnly(true);
}

const bool g_registered = [] {
    at_three_sizes(benchmark::RegisterBenchmark("BM_WordStore_AllocFree", BM_WordStore_AllocFree), 100'000,
                   benchmark::kMillisecond);
    at_three_sizes(benchmark::RegisterBenchmark("BM_Malloc_AllocFree", BM_Malloc_AllocFree), 100'000,
                   benchmark::kMillisecond);
    at_three_sizes(benchmark::RegisterBenchmark("BM_LSTE_Append", BM_LSTE_Append), 100'000, benchmark::kMicrosecond);
    at_three_sizes(benchmark::RegisterBenchmark("BM_Vector_PushBack", BM_Vector_PushBack), 100'000,
                   benchmark::kMicrosecond);
    at_three_sizes(benchmark::RegisterBenchmark("BM_STRAPA_Append", BM_STRAPA_Append), 10'000,
                   benchmark::kMicrosecond);
    at_three_sizes(benchmark::RegisterBenchmark("BM_StdString_Append", BM_StdString_Append), 10'000,
                   benchmark::kMicrosecond);
    return true;
}();

} // namespace

BENCHMARK_MAIN();
