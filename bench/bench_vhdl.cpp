// The VHDL scanner against its floor: reading a generated VHDL-AMS file of
// many entities (context clauses, generics, terminal, quantity and signal
// ports, architectures with processes) into the tables and freeing them,
// next to a plain loop that reads the same file the same way (with read(2)
// into a buffer kept between runs), cuts it into the same lines and tokens
// and does nothing else. Files of 200 KB, 2 MB and 20 MB are
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
         "-- cell " +
         n +
         ": a sampled analogue stage\n"
         "entity cell_" +
         n +
         " is\n"
         "  generic (gain : real := 2.5;\n"
         "           delay : time := 10 ns;\n"
         "           width : positive := 8);\n"
         "  port (terminal inp, outp, ref : electrical;\n"
         "        quantity vctl : in real;\n"
         "        signal clk, rst : in std_logic;\n"
         "        code : out std_logic_vector(width - 1 downto 0);\n"
         "        valid : buffer std_logic := '0');\n"
         "end entity cell_" +
         n +
         ";\n"
         "\n"
         "architecture behaviour of cell_" +
         n +
         " is\n"
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

// Files that go when the program ends.
struct ScratchFiles {
    std::map<size_t, std::string> paths;
    ~ScratchFiles() {
        for (const auto &p : paths)
            std::remove(p.second.c_str());
    }
};

// The generated file of about `bytes` bytes (one of kSizes). All of them
// are written on first use, so that no run pays for another's writing;
// removed at exit.
const std::string &source_file(size_t bytes) {
    static const ScratchFiles files{[] {
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
        return made;
    }()};
    return files.paths.at(bytes);
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

bool space[256], delimiter[256];

// Cuts one line into tokens at the same white space and delimiters, each
// token copied out and ended with a zero byte, a comment ending the line:
// the number of tokens.
size_t tokenize_line(const char *line, size_t len, char *token) {
    size_t tokens = 0, i = 0;
    for (;;) {
        while (i < len && space[static_cast<unsigned char>(line[i])])
            ++i;
        if (i >= len)
            return tokens;
        size_t start = i;
        if (delimiter[static_cast<unsigned char>(line[i])])
            ++i;
        else
            while (i < len && !space[static_cast<unsigned char>(line[i])] &&
                   !delimiter[static_cast<unsigned char>(line[i])])
                ++i;
        if (i - start >= 2 && line[start] == '-' && line[start + 1] == '-')
            return tokens;
        std::memcpy(token, line + start, i - start);
        token[i - start] = '\0';
        benchmark::DoNotOptimize(token);
        ++tokens;
    }
}

// The same file read the same way, with read(2) into a 64 KB buffer kept
// between runs (a line that does not fit moves to its front), and cut into
// the same lines and tokens.
void BM_Tokenize_Only(benchmark::State &state) {
    const std::string &path = source_file(static_cast<size_t>(state.range(0)));
    for (unsigned char c : std::string(" \t\n\r"))
        space[c] = true;
    for (unsigned char c : std::string(";(),:="))
        delimiter[c] = true;
    std::vector<char> buf(64 << 10), token(64 << 10);
    size_t tokens = 0;
    for (auto _ : state) {
        int fd = open(path.c_str(), O_RDONLY);
        size_t kept = 0;
        for (ssize_t got = 1; fd >= 0 && got > 0;) {
            got = read(fd, buf.data() + kept, buf.size() - kept);
            if (got < 0) {
                state.SkipWithError("the generated file did not read");
                break;
            }
            size_t end = kept + static_cast<size_t>(got), pos = 0;
            while (const void *newline = std::memchr(buf.data() + pos, '\n', end - pos)) {
                size_t len = static_cast<size_t>(static_cast<const char *>(newline) - buf.data()) + 1 - pos;
                tokens += tokenize_line(buf.data() + pos, len, token.data());
                pos += len;
            }
            if (got == 0)
                tokens += tokenize_line(buf.data() + pos, end - pos, token.data());
            kept = end - pos;
            std::memmove(buf.data(), buf.data() + pos, kept);
            if (kept == buf.size()) {
                buf.resize(2 * buf.size());
                token.resize(buf.size());
            }
        }
        if (fd < 0 || close(fd) != 0) {
            state.SkipWithError("the generated file did not read");
            break;
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
