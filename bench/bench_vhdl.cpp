// The VHDL scanner against its floor: reading a generated VHDL-AMS file of
// many entities (context clauses, generics, terminal, quantity and signal
// ports, architectures with processes) into the tables and freeing them,
// next to a plain loop that reads the same file the same way (whole, with
// read(2), into a buffer kept between runs), cuts it into the same lines
// and tokens and does nothing else. Files of 200 KB, 2 MB and 20 MB are
// written once, before any timing starts, into the temporary folder.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "kt/vhdl.h"

namespace {

void append_unit(std::string &s, int i) {
    const std::string n = std::to_string(i);
    s += "library ieee, IEEE_proposed;\n"
         "use ieee.std_logic_1164.all;\n"
         "use ieee.math_real.all;\n"
         "use IEEE_proposed.electrical_systems.all;\n"
         "\n"
         "-- cell " + n + ": a sampled analogue stage\n"
         "entity cell_" + n + " is\n"
         "  generic (gain : real := 2.5;\n"
         "           delay : time := 10 ns;\n"
         "           width : positive := 8);\n"
         "  port (terminal inp, outp, ref : electrical;\n"
         "        quantity vctl : in real;\n"
         "        signal clk, rst : in std_logic;\n"
         "        code : out std_logic_vector(width - 1 downto 0);\n"
         "        valid : buffer std_logic := '0');\n"
         "end entity cell_" + n + ";\n"
         "\n"
         "architecture behaviour of cell_" + n + " is\n"
         "  quantity vin across inp to ref;\n"
         "  quantity vout across iout through outp to ref;\n"
         "  signal level : std_logic_vector(width - 1 downto 0);\n"
         "begin\n"
         "  vout == gain * vin * (1.0 + 0.01 * vctl);\n"
         "  sample : process (clk) is\n"
         "  begin\n"
         "    if rising_edge(clk) then\n"
         "      if rst = '1' then\n"
         "        level <= (others => '0');\n"
         "        valid <= '0';\n"
         "      else\n"
         "        level <= std_logic_vector(to_unsigned(integer(vin'above(0.5)), width));\n"
         "        valid <= '1' after delay;\n"
         "      end if;\n"
         "    end if;\n"
         "  end process sample;\n"
         "  code <= level;\n"
         "end architecture behaviour;\n"
         "\n";
}

constexpr size_t kSizes[] = {200u << 10, 2u << 20, 20u << 20};

// The generated file of about `bytes` bytes (one of kSizes). All of them
// are written on first use, so that no run pays for another's writing;
// removed at exit.
const std::string &source_file(size_t bytes) {
    static const std::map<size_t, std::string> paths = [] {
        std::map<size_t, std::string> made;
        const char *tmp = std::getenv("TMPDIR");
        for (size_t size : kSizes) {
            std::string text;
            text.reserve(size + 4096);
            for (int i = 0; text.size() < size; ++i)
                append_unit(text, i);
            std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/kt_bench_vhdl_" + std::to_string(getpid()) +
                            "_" + std::to_string(size) + ".vhd";
            FILE *f = std::fopen(p.c_str(), "w");
            if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size())
                std::abort();
            std::fclose(f);
            made[size] = p;
        }
        std::atexit([] {
            for (size_t size : kSizes)
                std::remove(source_file(size).c_str());
        });
        return made;
    }();
    return paths.at(bytes);
}

int64_t file_bytes(const std::string &path) {
    FILE *f = std::fopen(path.c_str(), "r");
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fclose(f);
    return static_cast<int64_t>(size);
}

void BM_VHDLSrcRead(benchmark::State &state) {
    const std::string &path = source_file(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        if (!vhdlutil_VHDLSrcRead(path.c_str())) {
            state.SkipWithError("the generated file did not read");
            break;
        }
        vhdlutil_FreeAll();
    }
    state.SetBytesProcessed(state.iterations() * file_bytes(path));
}

// The whole file into a buffer kept between runs, as the scanner reads it;
// false when it cannot be read.
bool read_whole(const std::string &path, std::vector<char> &text, size_t &len) {
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    len = 0;
    for (;;) {
        if (len == text.size())
            text.resize(text.empty() ? 65536 : 2 * text.size());
        ssize_t got = read(fd, text.data() + len, text.size() - len);
        if (got <= 0) {
            close(fd);
            return got == 0;
        }
        len += static_cast<size_t>(got);
    }
}

// The same lines cut at the same white space and delimiters, each token
// copied out and ended with a zero byte, comments dropped.
void BM_Tokenize_Only(benchmark::State &state) {
    const std::string &path = source_file(static_cast<size_t>(state.range(0)));
    static bool space[256], delimiter[256];
    for (unsigned char c : std::string(" \t\n\r"))
        space[c] = true;
    for (unsigned char c : std::string(";(),:="))
        delimiter[c] = true;
    std::vector<char> text, token;
    size_t tokens = 0;
    for (auto _ : state) {
        size_t size = 0;
        if (!read_whole(path, text, size)) {
            state.SkipWithError("the generated file did not read");
            break;
        }
        if (token.size() < size + 1)
            token.resize(size + 1);
        for (const char *line = text.data(), *end = line + size; line < end;) {
            const auto *newline = static_cast<const char *>(std::memchr(line, '\n', static_cast<size_t>(end - line)));
            size_t len = newline ? static_cast<size_t>(newline - line) + 1 : static_cast<size_t>(end - line), i = 0;
            for (;;) {
                while (i < len && space[static_cast<unsigned char>(line[i])])
                    ++i;
                if (i >= len)
                    break;
                size_t start = i;
                if (delimiter[static_cast<unsigned char>(line[i])])
                    ++i;
                else
                    while (i < len && !space[static_cast<unsigned char>(line[i])] &&
                           !delimiter[static_cast<unsigned char>(line[i])])
                        ++i;
                if (i - start >= 2 && line[start] == '-' && line[start + 1] == '-')
                    break;
                std::memcpy(token.data(), line + start, i - start);
                token[i - start] = '\0';
                benchmark::DoNotOptimize(token.data());
                ++tokens;
            }
            line += len;
        }
    }
    benchmark::DoNotOptimize(tokens);
    state.SetBytesProcessed(state.iterations() * file_bytes(path));
}

void sizes(benchmark::internal::Benchmark *b) {
    for (size_t size : kSizes)
        b->Arg(static_cast<int64_t>(size));
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_VHDLSrcRead)->Apply(sizes);
BENCHMARK(BM_Tokenize_Only)->Apply(sizes);

} // namespace

BENCHMARK_MAIN();
