// Region containers against the standard peers they compete with, each pair
// on the same inputs drawn once, with a fixed seed, before any timing:
//   - string-to-int table: n distinct keys created, then all found in a
//     random order, against std::unordered_map;
//   - string interning into dense ids: each of n keys entered twice, in a
//     random order, against std::unordered_map plus a vector of the strings;
//   both string-keyed pairs run on three key sets (random letters, numbered
//   names, hierarchical paths; see bench_keys.h) at 10^4, 10^5 and 10^6 keys;
//   - 24-byte items, 1M live, freed in random order and taken again, from a
//     Bank against malloc/free;
//   - 10M ints appended to a queue, against std::deque::push_back.
// Compare the medians of each pair. On a busy machine add
// --benchmark_enable_random_interleaving=true, so that the load falls on
// both sides of a pair alike.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "bench_keys.h"
#include "kt/containers_hash.h"

namespace {

constexpr int kItems = 1'000'000, kQueued = 10'000'000;
constexpr int kRepeats = 7;

#ifdef __GLIBC__
// Large region blocks (a queue's ring, the bucket arrays) come from malloc,
// which by default maps each one afresh and unmaps it when freed, while the
// peers' small nodes are recycled from a heap that stays warm. Let malloc
// keep its memory for both, so that neither side pays page faults the other
// does not.
[[maybe_unused]] const bool g_malloc_keeps_memory =
    (mallopt(M_MMAP_THRESHOLD, 256 << 20), mallopt(M_TRIM_THRESHOLD, 1 << 30), true);
#endif

// 0 .. n-1 in a random order.
std::vector<int> shuffled(int n, uint32_t seed) {
    std::vector<int> o(static_cast<size_t>(n));
    std::iota(o.begin(), o.end(), 0);
    std::shuffle(o.begin(), o.end(), std::mt19937(seed));
    return o;
}

// Interning requests for count n: each of the first n keys twice, in a
// random order, so half the requests find a known string.
const std::vector<int> &intern_order(int set, int64_t n) {
    static std::map<std::pair<int, int64_t>, std::vector<int>> orders;
    std::vector<int> &o = orders[{set, n}];
    if (o.empty()) {
        for (int i = 0; i < n; ++i)
            o.insert(o.end(), {i, i});
        std::shuffle(o.begin(), o.end(), std::mt19937(static_cast<uint32_t>(107 + n + set)));
    }
    return o;
}

const std::vector<int> &free_order() {
    static const std::vector<int> v = shuffled(kItems, 109);
    return v;
}

// ---- create, then find ------------------------------------------------------

// Both sides build a fresh table in every iteration from memory that an
// untimed first build has already touched: the library's region lives
// across iterations as the peer's heap does.

void BM_HashCStringInt_CreateFind(benchmark::State &state) {
    const int set = static_cast<int>(state.range(0));
    const int64_t n = state.range(1);
    const auto &keys = kt_bench::key_texts(set);
    const auto &order = kt_bench::lookup_order(n);
    PWSRegion region;
    auto run = [&] {
        Hash_cString_int table(&region);
        int created = 0;
        for (int i = 0; i < n; ++i)
            table.save_value(table.create(keys[static_cast<size_t>(i)], created), i);
        int64_t sum = 0;
        for (int i : order)
            sum += table.value(table.find(keys[static_cast<size_t>(i)]));
        return sum;
    };
    benchmark::DoNotOptimize(run());
    for (auto _ : state)
        benchmark::DoNotOptimize(run());
    state.SetItemsProcessed(state.iterations() * 2 * n);
}

void BM_UnorderedMap_StringInt(benchmark::State &state) {
    const int set = static_cast<int>(state.range(0));
    const int64_t n = state.range(1);
    const auto &keys = kt_bench::key_strings(set);
    const auto &order = kt_bench::lookup_order(n);
    auto run = [&] {
        std::unordered_map<std::string, int> table;
        for (int i = 0; i < n; ++i)
            table.emplace(keys[static_cast<size_t>(i)], i);
        int64_t sum = 0;
        for (int i : order)
            sum += table.find(keys[static_cast<size_t>(i)])->second;
        return sum;
    };
    benchmark::DoNotOptimize(run());
    for (auto _ : state)
        benchmark::DoNotOptimize(run());
    state.SetItemsProcessed(state.iterations() * 2 * n);
}

// ---- interning ---------------------------------------------------------------

void BM_StringTable_Enter(benchmark::State &state) {
    const int set = static_cast<int>(state.range(0));
    const int64_t n = state.range(1);
    const auto &keys = kt_bench::key_texts(set);
    const auto &in = intern_order(set, n);
    PWSRegion region;
    auto run = [&] {
        StringTable table(&region);
        int64_t sum = 0;
        for (int i : in)
            sum += table.enter(keys[static_cast<size_t>(i)]);
        return sum;
    };
    benchmark::DoNotOptimize(run());
    for (auto _ : state)
        benchmark::DoNotOptimize(run());
    state.SetItemsProcessed(state.iterations() * 2 * n);
}

void BM_UnorderedMap_Intern(benchmark::State &state) {
    const int set = static_cast<int>(state.range(0));
    const int64_t n = state.range(1);
    const auto &keys = kt_bench::key_strings(set);
    const auto &in = intern_order(set, n);
    auto run = [&] {
        std::unordered_map<std::string, int> ids;
        std::vector<const std::string *> strings; // id -> string, as the table keeps
        int64_t sum = 0;
        for (int i : in) {
            auto [it, inserted] = ids.try_emplace(keys[static_cast<size_t>(i)], static_cast<int>(strings.size()));
            if (inserted)
                strings.push_back(&it->first);
            sum += it->second;
        }
        return sum;
    };
    benchmark::DoNotOptimize(run());
    for (auto _ : state)
        benchmark::DoNotOptimize(run());
    state.SetItemsProcessed(state.iterations() * 2 * n);
}

// ---- small items -------------------------------------------------------------

void BM_Bank_GetFree(benchmark::State &state) {
    const auto &order = free_order();
    std::vector<void *> items(kItems);
    for (auto _ : state) {
        PWSRegion region;
        Bank bank(24, &region, 1000);
        for (int round = 0; round < 2; ++round) {
            for (void *&p : items) {
                p = bank.get();
                *static_cast<int64_t *>(p) = 1;
            }
            for (int i : order)
                bank.free(items[static_cast<size_t>(i)]);
        }
        benchmark::DoNotOptimize(bank.allocated());
    }
}

void BM_Malloc_Free_Small(benchmark::State &state) {
    const auto &order = free_order();
    std::vector<void *> items(kItems);
    for (auto _ : state) {
        for (int round = 0; round < 2; ++round) {
            for (void *&p : items) {
                p = std::malloc(24);
                *static_cast<int64_t *>(p) = 1;
            }
            for (int i : order)
                std::free(items[static_cast<size_t>(i)]);
        }
        benchmark::DoNotOptimize(items.data());
    }
}

// ---- queues ------------------------------------------------------------------

void BM_Quu_Queue(benchmark::State &state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Quu_int q(0);
        for (int i = 0; i < n; ++i)
            q.queue(i);
        benchmark::DoNotOptimize(q.item(n - 1));
    }
}

void BM_Deque_PushBack(benchmark::State &state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::deque<int> q;
        for (int i = 0; i < n; ++i)
            q.push_back(i);
        benchmark::DoNotOptimize(q.back());
    }
}

void configure(benchmark::internal::Benchmark *b) {
    b->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(kRepeats)->ReportAggregatesOnly(true);
}

// String-keyed pairs: key set (see bench_keys.h) by count, five runs each.
void string_keyed(benchmark::internal::Benchmark *b) {
    kt_bench::all_key_sets(b);
    b->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_HashCStringInt_CreateFind)->Apply(string_keyed);
BENCHMARK(BM_UnorderedMap_StringInt)->Apply(string_keyed);
BENCHMARK(BM_StringTable_Enter)->Apply(string_keyed);
BENCHMARK(BM_UnorderedMap_Intern)->Apply(string_keyed);
BENCHMARK(BM_Bank_GetFree)->Apply(configure)->Arg(kItems);
BENCHMARK(BM_Malloc_Free_Small)->Apply(configure)->Arg(kItems);
BENCHMARK(BM_Quu_Queue)->Apply(configure)->Arg(kQueued);
BENCHMARK(BM_Deque_PushBack)->Apply(configure)->Arg(kQueued);

} // namespace

BENCHMARK_MAIN();
