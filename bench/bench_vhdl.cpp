// The VHDL scanner against its floor: reading a generated 20 MB VHDL-AMS
// file of many entities (context clauses, generics, terminal, quantity and
// signal ports, architectures with processes) into the tables and freeing
// them, next to a plain loop that reads the same lines and splits them into
// the same tokens and does nothing else. The file is written once, before
// any timing starts, into the temporary folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kt/vhdl.h"

namespace {

constexpr size_t kFileBytes = 20u << 20;

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

// The generated file's path; written on first use, removed at exit.
const std::string &source_file() {
    static const std::string path = [] {
        std::string text;
        text.reserve(kFileBytes + 4096);
        for (int i = 0; text.size() < kFileBytes; ++i)
            append_unit(text, i);
        const char *tmp = std::getenv("TMPDIR");
        std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/kt_bench_vhdl_" + std::to_string(getpid()) + ".vhd";
        FILE *f = std::fopen(p.c_str(), "w");
        if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size())
            std::abort();
        std::fclose(f);
        std::atexit([] { std::remove(source_file().c_str()); });
        return p;
    }();
    return path;
}

int64_t file_bytes() {
    static const int64_t n = [] {
        FILE *f = std::fopen(source_file().c_str(), "r");
        std::fseek(f, 0, SEEK_END);
        long size = std::ftell(f);
        std::fclose(f);
        return static_cast<int64_t>(size);
    }();
    return n;
}

void BM_VHDLSrcRead(benchmark::State &state) {
    const std::string &path = source_file();
    file_bytes();
    for (auto _ : state) {
        if (!vhdlutil_VHDLSrcRead(path.c_str())) {
            state.SkipWithError("the generated file did not read");
            break;
        }
        vhdlutil_FreeAll();
    }
    state.SetBytesProcessed(state.iterations() * file_bytes());
}

// The same lines cut at the same white space and delimiters, each token
// copied out and ended with a zero byte, comments dropped.
void BM_Tokenize_Only(benchmark::State &state) {
    const std::string &path = source_file();
    static bool space[256], delimiter[256];
    for (unsigned char c : std::string(" \t\n\r"))
        space[c] = true;
    for (unsigned char c : std::string(";(),:="))
        delimiter[c] = true;
    file_bytes();
    char line[2048], token[2048];
    size_t tokens = 0;
    for (auto _ : state) {
        FILE *f = std::fopen(path.c_str(), "r");
        while (std::fgets(line, sizeof line, f)) {
            size_t len = std::strlen(line), i = 0;
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
                std::memcpy(token, line + start, i - start);
                token[i - start] = '\0';
                benchmark::DoNotOptimize(token);
                ++tokens;
            }
        }
        std::fclose(f);
    }
    benchmark::DoNotOptimize(tokens);
    state.SetBytesProcessed(state.iterations() * file_bytes());
}

BENCHMARK(BM_VHDLSrcRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tokenize_Only)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
