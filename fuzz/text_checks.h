// What the text fuzz targets check: plain models of the text routines,
// written from their documented behaviour, and the readers' properties.
// A violated property ends the run.
#ifndef KT_FUZZ_TEXT_CHECKS_H
#define KT_FUZZ_TEXT_CHECKS_H

#include <cstring>
#include <string>

#include "fuzz_util.h"
#include "text/text_models.h"

namespace kt::text_test {

inline void require(bool ok) { kt::fuzz::check(ok); }

// A non-empty text of an optional minus, digits and at most one point:
// what every reader must take at face value.
inline bool plain_number(const std::string &s) {
    size_t i = s[0] == '-' ? 1 : 0, digits = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        ++digits;
    if (i < s.size() && s[i] == '.')
        ++i;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        ++digits;
    return digits > 0 && i == s.size();
}

// For a text the checking reader accepts: the same number as a literal for
// strtod, the scale word at its end replaced by its exponent.
inline std::string expanded_literal(const std::string &text) {
    static const char *const words[][2] = {{"MEG", "E6"}, {"ME", "E6"},  {"MU", "E-6"}, {"A", "E-18"},
                                           {"F", "E-15"}, {"P", "E-12"}, {"N", "E-9"},  {"U", "E-6"},
                                           {"M", "E-3"},  {"K", "E3"},   {"G", "E9"},   {"T", "E12"}};
    std::string s;
    for (char c : text)
        s += upper(c);
    for (const auto &w : words) {
        size_t k = std::strlen(w[0]);
        if (s.size() > k && s.compare(s.size() - k, k, w[0]) == 0) {
            s = s.substr(0, s.size() - k) + w[1];
            break;
        }
    }
    for (char &c : s)
        if (c == 'D')
            c = 'E';
    return s;
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
