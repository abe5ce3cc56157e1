// What the text fuzz targets check beside the models they share with the
// tests: a violated property ends the run.
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

} // namespace kt::text_test

#endif
