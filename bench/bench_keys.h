// Key sets of the string-keyed table benchmarks, shared by every pair of a
// library table and its std::unordered_map peer so that both sides see the
// same keys in the same orders. A set is chosen by the first benchmark
// argument:
//   0 random letters: 6 to 12 lower-case letters, all distinct;
//   1 numbered names: net_1, net_2, ...;
//   2 hierarchical paths: x<i>/x<j>/net_<k>, 100 nets to a block and 100
//     blocks to a top level (x0/x0/net_0, x0/x0/net_1, ...).
// The first n keys of a set are its keys for count n. Keys and lookup
// orders are built once, with fixed seeds, before any timing.
#ifndef KT_BENCH_KEYS_H
#define KT_BENCH_KEYS_H

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

namespace kt_bench {

constexpr int kKeySets = 3;
constexpr int64_t kMaxKeys = 1'000'000;

inline std::vector<std::string> make_key_set(int set) {
    std::vector<std::string> keys;
    keys.reserve(kMaxKeys);
    if (set == 0) {
        std::mt19937 rng(20240612);
        std::uniform_int_distribution<int> letter('a', 'z'), length(6, 12);
        std::unordered_set<std::string> seen;
        while (static_cast<int64_t>(keys.size()) < kMaxKeys) {
            std::string k(static_cast<size_t>(length(rng)), ' ');
            for (char &c : k)
                c = static_cast<char>(letter(rng));
            if (seen.insert(k).second)
                keys.push_back(std::move(k));
        }
    } else if (set == 1) {
        for (int64_t i = 1; i <= kMaxKeys; ++i)
            keys.push_back("net_" + std::to_string(i));
    } else {
        for (int64_t i = 0; i < kMaxKeys; ++i)
            keys.push_back("x" + std::to_string(i / 10'000) + "/x" + std::to_string(i / 100 % 100) + "/net_" +
                           std::to_string(i % 100));
    }
    return keys;
}

/// All kMaxKeys keys of a set (0, 1 or 2).
inline const std::vector<std::string> &key_strings(int set) {
    static std::vector<std::string> sets[kKeySets];
    if (sets[set].empty())
        sets[set] = make_key_set(set);
    return sets[set];
}

/// The same keys as zero-terminated texts.
inline const std::vector<const char *> &key_texts(int set) {
    static std::vector<const char *> sets[kKeySets];
    if (sets[set].empty())
        for (const std::string &s : key_strings(set))
            sets[set].push_back(s.c_str());
    return sets[set];
}

/// 0 .. n-1 in a random order: the order of the lookups for count n.
inline const std::vector<int> &lookup_order(int64_t n) {
    static std::map<int64_t, std::vector<int>> orders;
    std::vector<int> &o = orders[n];
    if (o.empty()) {
        o.resize(static_cast<size_t>(n));
        std::iota(o.begin(), o.end(), 0);
        std::shuffle(o.begin(), o.end(), std::mt19937(static_cast<uint32_t>(103 + n)));
    }
    return o;
}

/// Key set (first argument) by count (second argument): 10^4, 10^5, 10^6.
inline void all_key_sets(benchmark::internal::Benchmark *b) {
    for (int set = 0; set < kKeySets; ++set)
        for (int64_t n = 10'000; n <= kMaxKeys; n *= 10)
            b->Args({set, n});
    b->ArgNames({"keys", "n"});
}

} // namespace kt_bench

#endif
