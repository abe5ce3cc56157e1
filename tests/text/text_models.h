// Pieces shared by the text tests and the fuzz targets (whose models of
// the text routines are in fuzz/text_checks.h): case folding, and Exact,
// which puts a text in a heap block of exactly its size so that the
// sanitizer catches any read past it.
#ifndef KT_TESTS_TEXT_TEXT_MODELS_H
#define KT_TESTS_TEXT_TEXT_MODELS_H

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace kt::text_test {

inline int32_t len(const std::string &s) { return static_cast<int32_t>(s.size()); }

struct Exact {
    explicit Exact(const std::string &s) : bytes(new char[s.size() ? s.size() : 1]), n(len(s)) {
        if (!s.empty())
            std::memcpy(bytes.get(), s.data(), s.size());
    }
    const char *get() const { return bytes.get(); }
    char *get() { return bytes.get(); }
    std::string str() const { return std::string(bytes.get(), static_cast<size_t>(n)); }
    std::unique_ptr<char[]> bytes;
    int32_t n;
};

inline char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
inline char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

inline bool same_ignoring_case(const std::string &a, const std::string &b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

} // namespace kt::text_test

#endif
