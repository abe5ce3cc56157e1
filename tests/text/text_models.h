// Plain models of the text routines, written from their documented
// behaviour and shared by the tests and the fuzz targets (which add their
// own checks in fuzz/text_checks.h); and Exact, which
// puts a text in a heap block of exactly its size so that the sanitizer
// catches any read past it.
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

// %{name} substitution: replace in place, resume after the inserted value;
// a '%' not opening a reference hides the next character; an unclosed
// reference ends the scan.
inline int32_t reference_substitute(std::string &s, const std::string &name, const std::string &value) {
    int32_t count = 0;
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == '%' && i + 1 < s.size() && s[i + 1] == '{') {
            size_t close = s.find('}', i + 2);
            if (close == std::string::npos)
                return count;
            if (same_ignoring_case(s.substr(i + 2, close - i - 2), name)) {
                s.replace(i, close - i + 1, value);
                ++count;
                i += value.size();
            } else {
                i = close + 1;
            }
        } else if (s[i] == '%') {
            i += 2;
        } else {
            ++i;
        }
    }
    return count;
}

// White space squeezed: words (split at blanks and tabs) joined by one
// blank, lower-cased.
inline std::string reference_squeeze(const std::string &s) {
    std::string out, word;
    auto flush = [&] {
        if (word.empty())
            return;
        if (!out.empty())
            out += ' ';
        out += word;
        word.clear();
    };
    for (char c : s) {
        if (c == ' ' || c == '\t')
            flush();
        else
            word += c >= 'A' && c <= 'Z' ? lower(c) : c;
    }
    flush();
    return out;
}

// An abbreviation matches when it holds at least the keyword's leading
// capitals (all of the keyword, up to its first blank, when it marks none),
// is no longer than the keyword, and equals the keyword's beginning
// ignoring case.
inline bool reference_abbreviation(const std::string &keyword, const std::string &text) {
    size_t stop = keyword.find(' ');
    std::string word = keyword.substr(0, stop);
    size_t minimum = 0;
    for (size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        if (c >= 'a' && c <= 'z')
            break;
        if (c < 'A' || c > 'Z')
            continue;
        minimum = i + 1;
    }
    if (minimum == 0)
        minimum = word.size();
    return text.size() >= minimum && text.size() <= keyword.size() &&
           same_ignoring_case(keyword.substr(0, text.size()), text);
}

} // namespace kt::text_test

#endif
