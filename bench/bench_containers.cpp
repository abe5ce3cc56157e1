// Region containers against the standard peers they compete with, each pair
// on the same inputs drawn once, with a fixed seed, before any timing:
//   - string-to-int table: 1M distinct strings created, then all found
//     (in another order), in a fresh region, against std::unordered_map;
//     also 300K, which lies just after a rehash point where 1M lies just
//     before one (average chains of 1.1 and 3.8 entries);
//   - string interning into dense ids, 1M strings of which half repeat
//     earlier ones, against std::unordered_map plus a vector of the strings;
//   - 24-byte items, 1M live, freed in random order and taken again, from a
//     Bank against malloc/free;
//   - 10M ints appended to a queue, against std::deque::push_back.
// Every case runs seven times; compare the medians. On a busy machine add
// --benchmark_enable_random_interleaving=true, so that the load falls on
// both sides of a pair alike.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <numeric>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "kt/containers_hash.h"

namespace {

constexpr int kStrings = 1'000'000, kItems = 1'000'000, kQueued = 10'000'000;
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

// Identifier-like names of 6 to 14 characters, all distinct.
std::vector<std::string> make_names(int n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> letter('a', 'z'), length(2, 6);
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        std::string s;
        for (int k = length(rng); k > 0; --k)
            s += static_cast<char>(letter(rng));
        s += '_';
        for (int v = i; v > 0 || s.back() == '_'; v /= 36)
            s += "0123456789abcdefghijklmnopqrstuvwxyz"[v % 36];
        names.push_back(std::move(s));
    }
    return names;
}

const std::vector<std::string> &names() {
    static const std::vector<std::string> v = make_names(kStrings, 101);
    return v;
}

// 0 .. n-1 in a random order.
std::vector<int> shuffled(int n, uint32_t seed) {
    std::vector<int> o(static_cast<size_t>(n));
    std::iota(o.begin(), o.end(), 0);
    std::shuffle(o.begin(), o.end(), std::mt19937(seed));
    return o;
}

// The names in another order, for the lookups.
const std::vector<int> &lookup_order() {
    static const std::vector<int> v = shuffled(kStrings, 103);
    return v;
}

// 1M interning requests over 500K distinct names: each name twice, in
// random order, so half the requests find a known string.
const std::vector<const char *> &intern_input() {
    static const std::vector<const char *> v = [] {
        std::vector<const char *> in;
        for (int i = 0; i < kStrings / 2; ++i) {
            in.push_back(names()[static_cast<size_t>(i)].c_str());
            in.push_back(names()[static_cast<size_t>(i)].c_str());
        }
        std::shuffle(in.begin(), in.end(), std::mt19937(107));
        return in;
    }();
    return v;
}

const std::vector<int> &free_order() {
    static const std::vector<int> v = shuffled(kItems, 109);
    return v;
}

// ---- create, then find ------------------------------------------------------

void BM_HashCStringInt_CreateFind(benchmark::State &state) {
    const int n = static_cast<int>(state.range(0));
    const auto &in = names();
    const auto &order = lookup_order();
    for (auto _ : state) {
        PWSRegion region;
        Hash_cString_int table(&region);
        int created = 0;
        for (int i = 0; i < n; ++i)
            table.save_value(table.create(in[static_cast<size_t>(i)].c_str(), created), i);
        int64_t sum = 0;
        for (int i : order)
            if (i < n)
                sum += table.value(table.find(in[static_cast<size_t>(i)].c_str()));
        benchmark::DoNotOptimize(sum);
    }
}

void BM_UnorderedMap_StringInt(benchmark::State &state) {
    const int n = static_cast<int>(state.range(0));
    const auto &in = names();
    const auto &order = lookup_order();
    for (auto _ : state) {
        std::unordered_map<std::string, int> table;
        for (int i = 0; i < n; ++i)
            table.emplace(in[static_cast<size_t>(i)], i);
        int64_t sum = 0;
        for (int i : order)
            if (i < n)
                sum += table.find(in[static_cast<size_t>(i)])->second;
        benchmark::DoNotOptimize(sum);
    }
}

// ---- interning ---------------------------------------------------------------

void BM_StringTable_Enter(benchmark::State &state) {
    const auto &in = intern_input();
    for (auto _ : state) {
        PWSRegion region;
        StringTable table(&region);
        int64_t sum = 0;
        for (const char *s : in)
            sum += table.enter(s);
        benchmark::DoNotOptimize(sum);
    }
}

void BM_UnorderedMap_Intern(benchmark::State &state) {
    const auto &in = intern_input();
    for (auto _ : state) {
        std::unordered_map<std::string, int> ids;
        std::vector<const std::string *> strings; // id -> string, as the table keeps
        int64_t sum = 0;
        for (const char *s : in) {
            auto [it, inserted] = ids.try_emplace(s, static_cast<int>(strings.size()));
            if (inserted)
                strings.push_back(&it->first);
            sum += it->second;
        }
        benchmark::DoNotOptimize(sum);
    }
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

BENCHMARK(BM_HashCStringInt_CreateFind)->Apply(configure)->Arg(kStrings)->Arg(300'000);
BENCHMARK(BM_UnorderedMap_StringInt)->Apply(configure)->Arg(kStrings)->Arg(300'000);
// The argument is the size of the workload (the inputs are drawn for it).
BENCHMARK(BM_StringTable_Enter)->Apply(configure)->Arg(kStrings);
BENCHMARK(BM_UnorderedMap_Intern)->Apply(configure)->Arg(kStrings);
BENCHMARK(BM_Bank_GetFree)->Apply(configure)->Arg(kItems);
BENCHMARK(BM_Malloc_Free_Small)->Apply(configure)->Arg(kItems);
BENCHMARK(BM_Quu_Queue)->Apply(configure)->Arg(kQueued);
BENCHMARK(BM_Deque_PushBack)->Apply(configure)->Arg(kQueued);

} // namespace

BENCHMARK_MAIN();
