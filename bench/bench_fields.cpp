// Field files against the plain standard ways of doing the same: CFR reading
// a 20 MB parameter file into a field table against a std::getline loop
// that splits each line into a name and comma-separated values, and CFW
// writing that table against fwrite of the very lines CFW writes. The file is
// generated once, with a fixed seed, before any timing starts; each timed
// run also frees what it built.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kt/fields.h"
#include "kt/host.h"

namespace {

constexpr size_t kFileBytes = 20'000'000;

std::string scratch(const char *tag) {
    return "/tmp/kt_bench_fields_" + std::string(tag) + "_" + std::to_string(getpid());
}

// A file that goes when the program ends.
struct ScratchFile {
    std::string path;
    ~ScratchFile() { std::remove(path.c_str()); }
};

// One field per line, as people write parameter files: a name, then one to
// eight values, a few with escapes.
const std::string &input_path() {
    static const ScratchFile file{[] {
        std::string p = scratch("in");
        std::mt19937 rng(20240611);
        const char *const words[] = {"4.7K", "1.25E-3",   "10MEG", "input stage", "2.2N", "0",
                                     "lin",  "dec\\, 10", "out",   "-3.3",        "1U",   "vdd\\sx"};
        std::string text;
        text.reserve(kFileBytes + 256);
        for (int k = 0; text.size() < kFileBytes; ++k) {
            text += "param_" + std::to_string(k);
            int m = 1 + static_cast<int>(rng() % 8);
            for (int j = 0; j < m; ++j) {
                text += j == 0 ? " " : ", ";
                text += words[rng() % (sizeof words / sizeof words[0])];
            }
            text += '\n';
        }
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }()};
    return file.path;
}

int32_t read_table() {
    int32_t t = 0, status = 0;
    c_cfi(&t);
    c_cfr(t, input_path().c_str(), &status);
    return t;
}

void BM_CFR_Read(benchmark::State &state) {
    const std::string &path = input_path();
    for (auto _ : state) {
        int32_t t = 0, status = 0, n = 0;
        c_cfi(&t);
        c_cfr(t, path.c_str(), &status);
        benchmark::DoNotOptimize(c_cfc(t, &n));
        c_cfd(&t);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFileBytes));
}

using Record = std::pair<std::string, std::vector<std::string>>;

void BM_Getline_Split(benchmark::State &state) {
    const std::string &path = input_path();
    for (auto _ : state) {
        std::ifstream in(path);
        std::vector<Record> records;
        std::string line;
        while (std::getline(in, line)) {
            size_t blank = line.find(' ');
            Record r{line.substr(0, blank), {}};
            while (blank != std::string::npos) {
                size_t start = line.find_first_not_of(' ', blank + 1);
                if (start == std::string::npos)
                    break;
                blank = line.find(',', start);
                r.second.push_back(line.substr(start, blank == std::string::npos ? blank : blank - start));
            }
            records.push_back(std::move(r));
        }
        benchmark::DoNotOptimize(records.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFileBytes));
}

void BM_CFW_Write(benchmark::State &state) {
    int32_t t = read_table();
    const std::string out = scratch("out");
    for (auto _ : state) {
        int32_t status = 0;
        c_cfw(t, out.c_str(), &status);
        benchmark::DoNotOptimize(status);
    }
    c_cfd(&t);
    std::remove(out.c_str());
}

// The text CFW writes for the table.
const std::string &written_text() {
    static const std::string text = [] {
        int32_t t = read_table(), status = 0;
        const std::string out = scratch("text");
        c_cfw(t, out.c_str(), &status);
        c_cfd(&t);
        std::ifstream in(out, std::ios::binary);
        std::string s{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::remove(out.c_str());
        return s;
    }();
    return text;
}

// The same text line by line, each line written with one fwrite: what a
// writer that already held every line as text would do.
void BM_Fwrite_Text(benchmark::State &state) {
    std::vector<std::string_view> lines;
    const std::string &text = written_text();
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        lines.push_back(std::string_view(text).substr(start, end - start + 1));
    }
    const std::string out = scratch("out");
    for (auto _ : state) {
        std::FILE *f = std::fopen(out.c_str(), "w");
        for (std::string_view line : lines)
            std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
    }
    std::remove(out.c_str());
}

// The same text as one block and one fwrite: the floor, what the disk
// cache costs.
void BM_Fwrite_Block(benchmark::State &state) {
    const std::string &text = written_text();
    const std::string out = scratch("out");
    for (auto _ : state) {
        std::FILE *f = std::fopen(out.c_str(), "w");
        benchmark::DoNotOptimize(std::fwrite(text.data(), 1, text.size(), f));
        std::fclose(f);
    }
    std::remove(out.c_str());
}

BENCHMARK(BM_CFR_Read)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Getline_Split)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CFW_Write)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fwrite_Text)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fwrite_Block)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
