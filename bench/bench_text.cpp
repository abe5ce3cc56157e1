// The real readers against the standard conversions they compete with, on
// the same engineering numbers: a third plain ("220", "-0.47"), a third
// with an exponent ("2.2e-9"), a third with a scale word ("4.7K", "3.3MEG",
// "10p"). The peers read the same texts with the scale word already turned
// into its exponent, which the library's readers must do themselves.
//
// Pairs (ratio of medians, ours over peer): BM_VBCS2D / BM_FromChars,
// BM_VBCS2D / BM_Strtod, BM_S2DCNV / BM_Strtod.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "kt/text.h"

namespace {

constexpr int64_t kMaxNumbers = 1'000'000;

// Texts stored back to back, each followed by a zero byte for strtod.
struct Texts {
    std::string bytes;
    std::vector<uint32_t> start;
    std::vector<int32_t> length;

    void add(const std::string &t) {
        start.push_back(static_cast<uint32_t>(bytes.size()));
        length.push_back(static_cast<int32_t>(t.size()));
        bytes += t;
        bytes += '\0';
    }
    const char *at(size_t i) const { return bytes.data() + start[i]; }
};

struct Numbers {
    Texts written, expanded;
};

const Numbers &numbers() {
    static const Numbers n = [] {
        struct Scale {
            const char *word, *exponent;
        };
        const Scale scales[] = {{"K", "e3"},   {"k", "e3"},   {"MEG", "e6"}, {"meg", "e6"}, {"M", "e-3"},
                                {"U", "e-6"},  {"u", "e-6"},  {"MU", "e-6"}, {"N", "e-9"},  {"n", "e-9"},
                                {"P", "e-12"}, {"p", "e-12"}, {"F", "e-15"}, {"G", "e9"},   {"T", "e12"}};
        std::mt19937 rng(20240612);
        Numbers out;
        for (int64_t i = 0; i < kMaxNumbers; ++i) {
            std::string mantissa = rng() % 5 == 0 ? "-" : "";
            mantissa += std::to_string(1 + rng() % (rng() % 2 ? 999 : 99999));
            if (rng() % 2) {
                std::string frac = std::to_string(rng() % 10000);
                mantissa += "." + frac.substr(0, 1 + rng() % frac.size());
            }
            switch (i % 3) {
            case 0:
                out.written.add(mantissa);
                out.expanded.add(mantissa);
                break;
            case 1: {
                std::string e = std::string(rng() % 2 ? "e" : "E") +
                                (rng() % 2   ? "-"
                                 : rng() % 2 ? "+"
                                             : "") +
                                std::to_string(rng() % 20);
                out.written.add(mantissa + e);
                out.expanded.add(mantissa + e);
                break;
            }
            default: {
                const Scale &s = scales[rng() % (sizeof scales / sizeof scales[0])];
                out.written.add(mantissa + s.word);
                out.expanded.add(mantissa + s.exponent);
                break;
            }
            }
        }
        return out;
    }();
    return n;
}

template <typename Read> void run(benchmark::State &state, const Texts &texts, Read read) {
    const size_t n = static_cast<size_t>(state.range(0));
    for (auto _ : state) {
        double sum = 0;
        for (size_t i = 0; i < n; ++i)
            sum += read(texts.at(i), texts.length[i]);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n));
}

void BM_VBCS2D(benchmark::State &state) {
    run(state, numbers().written, [](const char *t, int32_t n) {
        double v = 0;
        VBCS2D(t, &n, &v, n);
        return v;
    });
}

void BM_S2DCNV(benchmark::State &state) {
    run(state, numbers().written, [](const char *t, int32_t n) { return S2DCNV(t, &n, n); });
}

void BM_FromChars(benchmark::State &state) {
    run(state, numbers().expanded, [](const char *t, int32_t n) {
        double v = 0;
        std::from_chars(t, t + n, v);
        return v;
    });
}

void BM_Strtod(benchmark::State &state) {
    run(state, numbers().expanded, [](const char *t, int32_t) { return std::strtod(t, nullptr); });
}

// Medians of five runs; the single runs are too noisy on a shared machine.
void at_three_sizes(benchmark::internal::Benchmark *b) {
    b->Arg(10'000)
        ->Arg(100'000)
        ->Arg(kMaxNumbers)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
}

const bool g_registered = [] {
    at_three_sizes(benchmark::RegisterBenchmark("BM_VBCS2D", BM_VBCS2D));
    at_three_sizes(benchmark::RegisterBenchmark("BM_FromChars", BM_FromChars));
    at_three_sizes(benchmark::RegisterBenchmark("BM_Strtod", BM_Strtod));
    at_three_sizes(benchmark::RegisterBenchmark("BM_S2DCNV", BM_S2DCNV));
    return true;
}();

} // namespace

BENCHMARK_MAIN();
