// Pieces shared by the fuzz targets: the property check, a reader that
// takes an input apart from the front, and scratch files private to the
// process (removed when it exits normally).
#ifndef KT_FUZZ_FUZZ_UTIL_H
#define KT_FUZZ_FUZZ_UTIL_H

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace kt::fuzz {

// A violated property ends the run, under libFuzzer and in the replay.
inline void check(bool ok) {
    if (!ok)
        std::abort();
}

// Past the end every read gives zeros or an empty text, so a short input
// still decodes to something.
struct Input {
    const uint8_t *p, *end;

    Input(const uint8_t *data, size_t size) : p(data), end(data + size) {}
    size_t left() const { return static_cast<size_t>(end - p); }
    bool done() const { return p >= end; }
    uint8_t byte() { return p < end ? *p++ : 0; }
    uint16_t u16() { return static_cast<uint16_t>(byte() | byte() << 8); }
    uint32_t u32() { return static_cast<uint32_t>(u16()) | static_cast<uint32_t>(u16()) << 16; }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    double f64() {
        uint64_t bits = static_cast<uint64_t>(u32()) | static_cast<uint64_t>(u32()) << 32;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    // The bytes up to the next zero byte (which is passed over) or the end.
    std::string word() {
        const uint8_t *zero = static_cast<const uint8_t *>(std::memchr(p, 0, left()));
        const uint8_t *stop = zero ? zero : end;
        std::string w(reinterpret_cast<const char *>(p), static_cast<size_t>(stop - p));
        p = zero ? zero + 1 : end;
        return w;
    }
    std::string rest() {
        std::string r(reinterpret_cast<const char *>(p), left());
        p = end;
        return r;
    }
};

// The input split at its zero bytes.
inline std::vector<std::string> words_of(const uint8_t *data, size_t size) {
    std::vector<std::string> words;
    Input in(data, size);
    while (!in.done())
        words.push_back(in.word());
    return words;
}

namespace detail {
inline std::vector<std::string> &scratch_paths() {
    static std::vector<std::string> paths;
    return paths;
}
inline void remove_scratch() {
    for (const std::string &p : scratch_paths())
        std::remove(p.c_str());
}
} // namespace detail

// kt_fuzz_<tag>_<pid> in memory where the system offers it (files on a
// disk cost milliseconds per input), else in /tmp; removed at exit.
inline std::string scratch_path(const std::string &tag) {
    static const std::string dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string path = dir + "/kt_fuzz_" + tag + "_" + std::to_string(getpid());
    if (detail::scratch_paths().empty())
        std::atexit(detail::remove_scratch);
    detail::scratch_paths().push_back(path);
    return path;
}

inline void write_file(const std::string &path, const void *data, size_t size) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    check(f != nullptr);
    check(size == 0 || std::fwrite(data, 1, size, f) == size);
    check(std::fclose(f) == 0);
}

inline std::string read_file(const std::string &path) {
    std::string bytes;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    check(f != nullptr);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    std::fclose(f);
    return bytes;
}

} // namespace kt::fuzz

#endif
