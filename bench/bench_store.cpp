// Word-store operations against the standard peers they compete with. Each
// pair runs the same workload on inputs drawn once, with a fixed seed, before
// any timing starts, at sizes a factor 10 apart so that the growth of the
// cost shows. Both sides are measured warm: memory that one side keeps
// between iterations (the word store never gives pages back) the other
// keeps too, so neither pays page faults the other does not.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
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
    uint32_t slot;
    uint16_t cells;
};

const std::vector<Step> &alloc_steps() {
    static const std::vector<Step> steps = [] {
        std::mt19937 rng(20240611);
        std::uniform_int_distribution<int> slot(0, kLiveSlots - 1), cells(1, 256);
        std::vector<Step> v(kMaxSteps);
        for (Step &s : v)
            s = {static_cast<uint32_t>(slot(rng)), static_cast<uint16_t>(cells(rng))};
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
// glibc by default hands large blocks and the top of its heap back to the
// system; let it keep them, as the word store keeps its pages.
[[maybe_unused]] const bool g_malloc_keeps_memory =
    (mallopt(M_MMAP_THRESHOLD, 32 << 20), mallopt(M_TRIM_THRESHOLD, 1 << 30), true);
#endif

// The vector's allocator: malloc, except that blocks too large for malloc to
// keep (it maps them on their own and unmaps them when freed) are kept here
// and handed out again for the same size. A growing vector then reuses warm
// pages from one iteration to the next, as the word store does. (The strings
// stay below that size; std::string keeps its standard allocator, whose
// append is compiled into the standard library, as callers get it.)
struct KeptBlocks {
    static constexpr size_t kKeepFrom = size_t{16} << 20;
    std::multimap<size_t, void *> kept;

    void *get(size_t bytes) {
        if (bytes >= kKeepFrom) {
            auto it = kept.find(bytes);
            if (it != kept.end()) {
                void *p = it->second;
                kept.erase(it);
                return p;
            }
        }
        void *p = std::malloc(bytes);
        if (!p)
            throw std::bad_alloc();
        return p;
    }
    void put(void *p, size_t bytes) {
        if (bytes >= kKeepFrom)
            kept.emplace(bytes, p);
        else
            std::free(p);
    }
    static KeptBlocks &instance() {
        static KeptBlocks *blocks = new KeptBlocks; // never destroyed: blocks stay with the process
        return *blocks;
    }
};

template <class T> struct KeptAllocator {
    using value_type = T;
    KeptAllocator() = default;
    template <class U> KeptAllocator(const KeptAllocator<U> &) {}
    T *allocate(size_t n) { return static_cast<T *>(KeptBlocks::instance().get(n * sizeof(T))); }
    void deallocate(T *p, size_t n) { KeptBlocks::instance().put(p, n * sizeof(T)); }
    bool operator==(const KeptAllocator &) const { return true; }
    bool operator!=(const KeptAllocator &) const { return false; }
};

using KeptVector = std::vector<int32_t, KeptAllocator<int32_t>>;

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

// ---- many live blocks of mixed sizes, freed in random order -----------------

// N blocks are made, N/2 random ones are replaced by blocks of other sizes
// (so that requests meet a fragmented store), then all are freed in random
// order. Sizes are log-uniform from 1 to 1024 cells: mostly small, a few large.
struct Fragmentation {
    std::vector<uint16_t> first;   // cells of block k
    std::vector<Step> replace;     // then these replacements
    std::vector<uint32_t> release; // then the frees, in this order
};

const Fragmentation &fragmentation(int64_t n) {
    static std::map<int64_t, std::unique_ptr<Fragmentation>> plans;
    std::unique_ptr<Fragmentation> &plan = plans[n];
    if (!plan) {
        plan = std::make_unique<Fragmentation>();
        std::mt19937 rng(static_cast<uint32_t>(n));
        std::uniform_real_distribution<double> scale(0.0, 10.0);
        std::uniform_int_distribution<uint32_t> slot(0, static_cast<uint32_t>(n - 1));
        auto cells = [&] { return static_cast<uint16_t>(std::exp2(scale(rng))); };
        for (int64_t k = 0; k < n; ++k)
            plan->first.push_back(cells());
        for (int64_t k = 0; k < n / 2; ++k)
            plan->replace.push_back({slot(rng), cells()});
        for (uint32_t k = 0; k < static_cast<uint32_t>(n); ++k)
            plan->release.push_back(k);
        std::shuffle(plan->release.begin(), plan->release.end(), rng);
    }
    return *plan;
}

// Runs the plan for state.range(0) blocks: make(k, cells) makes block k
// (false when refused), drop(k) frees it (nothing when it was not made).
template <class Make, class Drop> void run_fragmented(benchmark::State &state, Make make, Drop drop) {
    const int64_t n = state.range(0);
    const Fragmentation &plan = fragmentation(n);
    for (auto _ : state) {
        bool ok = true;
        for (uint32_t k = 0; ok && k < static_cast<uint32_t>(n); ++k)
            ok = make(k, plan.first[k]);
        for (size_t i = 0; ok && i < plan.replace.size(); ++i) {
            drop(plan.replace[i].slot);
            ok = make(plan.replace[i].slot, plan.replace[i].cells);
        }
        for (uint32_t k : plan.release)
            drop(k);
        if (!ok) {
            state.SkipWithError("refused");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * 3 * n);
}

void BM_WordStore_Fragmented(benchmark::State &state) {
    std::vector<int32_t> block(static_cast<size_t>(state.range(0)), 0), cells(block.size(), 0);
    run_fragmented(
        state,
        [&](uint32_t k, int32_t count) {
            int32_t status = 0;
            if (GSTORE(&count, &block[k], &kIntSize, &kClassZero, &status) != 0)
                return false;
            cells[k] = count;
            *kt_iptr(block[k] + 1) = count;
            return true;
        },
        [&](uint32_t k) { FSTORE(&cells[k], &block[k], &kIntSize); });
    benchmark::DoNotOptimize(block.data());
}

void BM_Malloc_Fragmented(benchmark::State &state) {
    std::vector<int32_t *> block(static_cast<size_t>(state.range(0)), nullptr);
    run_fragmented(
        state,
        [&](uint32_t k, int32_t count) {
            block[k] = static_cast<int32_t *>(std::malloc(static_cast<size_t>(count) * sizeof(int32_t)));
            if (!block[k])
                return false;
            *block[k] = count;
            return true;
        },
        [&](uint32_t k) {
            std::free(block[k]);
            block[k] = nullptr;
        });
    benchmark::DoNotOptimize(block.data());
}

// ---- appending integers to a growing sequence --------------------------------

void BM_LSTE_Append(benchmark::State &state) {
    const int64_t n = state.range(0);
    const int32_t *values = append_values().data();
    const int32_t capacity = 2, kind = 1;
    for (auto _ : state) {
        int32_t list = 0, count = 0;
        if (!LSTI(&capacity, &kind, &list)) {
            state.SkipWithError("LSTI refused");
            break;
        }
        for (int64_t i = 0; i < n; ++i) {
            count = LSTE(&list, &values[i]);
            if (count == 0) {
                state.SkipWithError("LSTE refused");
                break;
            }
        }
        benchmark::DoNotOptimize(count);
        LSTD(&list);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_Vector_PushBack(benchmark::State &state) {
    const int64_t n = state.range(0);
    const int32_t *values = append_values().data();
    for (auto _ : state) {
        KeptVector v;
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
        benchmark::DoNotOptimize(s);
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
void at_sizes(benchmark::internal::Benchmark *b, int64_t first, int64_t last, benchmark::TimeUnit unit) {
    for (int64_t n = first; n <= last; n *= 10)
        b->Arg(n);
    b->Unit(unit)->Repetitions(5)->ReportAggregatesOnly(true);
}

const bool g_registered = [] {
    using benchmark::RegisterBenchmark;
    at_sizes(RegisterBenchmark("BM_WordStore_AllocFree", BM_WordStore_AllocFree), 100'000, 10'000'000,
             benchmark::kMillisecond);
    at_sizes(RegisterBenchmark("BM_Malloc_AllocFree", BM_Malloc_AllocFree), 100'000, 10'000'000,
             benchmark::kMillisecond);
    at_sizes(RegisterBenchmark("BM_WordStore_Fragmented", BM_WordStore_Fragmented), 10'000, 1'000'000,
             benchmark::kMillisecond);
    at_sizes(RegisterBenchmark("BM_Malloc_Fragmented", BM_Malloc_Fragmented), 10'000, 1'000'000,
             benchmark::kMillisecond);
    at_sizes(RegisterBenchmark("BM_LSTE_Append", BM_LSTE_Append), 1'000, 10'000'000, benchmark::kMicrosecond);
    at_sizes(RegisterBenchmark("BM_Vector_PushBack", BM_Vector_PushBack), 1'000, 10'000'000, benchmark::kMicrosecond);
    at_sizes(RegisterBenchmark("BM_STRAPA_Append", BM_STRAPA_Append), 10'000, 1'000'000, benchmark::kMicrosecond);
    at_sizes(RegisterBenchmark("BM_StdString_Append", BM_StdString_Append), 10'000, 1'000'000, benchmark::kMicrosecond);
    return true;
}();

} // namespace

BENCHMARK_MAIN();
