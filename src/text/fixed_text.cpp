// Fixed-length text: significant length, reverse search, one-character case
// mapping, squeezing white space and splitting a line into words.
//
// A text is its hidden length of characters, blank-padded; where an entry
// takes an explicit count n, that count bounds every access. Words are
// separated by blanks only; S2SCN alone also treats a tab as white space.
#include <cstring>

#include "common/fortran_alias.h"
#include "common/fortran_text.h"
#include "common/ascii.h"
#include "common/blank_trim.h"
#include "kt/host.h"
#include "kt/text.h"

using namespace kt::text;

namespace {

constexpr char kTab = '\t';

void map_one(char *result, int32_t result_len, const char *ch, int32_t ch_len, char (*map)(char)) {
    char c = ch_len >= 1 ? map(ch[0]) : kBlank;
    kt::fortran_assign(result, result_len, std::string_view(&c, 1));
}

char to_upper(char c) { return upper_ascii(c); }
char to_lower(char c) { return lower_ascii(c); }

// Calls take(count, first, last) for each blank-separated word of the first
// n characters, 0-based positions, until `maximum` words are taken. At least
// one word is taken: callers that pass a maximum below 1 still provide room
// for one and rely on getting it.
template <typename Take> int32_t for_each_word(const char *text, int32_t n, int32_t maximum, Take take) {
    int32_t count = 0;
    if (maximum < 1)
        maximum = 1;
    for (int32_t i = 0; i < n && count < maximum;) {
        if (text[i] == kBlank) {
            ++i;
            continue;
        }
        int32_t first = i;
        while (i < n && text[i] != kBlank)
            ++i;
        take(++count, first, i - 1);
    }
    return count;
}

} // namespace

extern "C" {

int32_t SIGLEN(const char *text, int32_t text_len) { return kt::significant_length(text, text_len); }
KT_FORTRAN_ALIAS(SIGLEN, siglen_);

int32_t KTRIDX(const char *text, const char *ch, int32_t text_len, int32_t ch_len) {
    if (ch_len < 1)
        return 0;
    for (int32_t i = text_len; i >= 1; --i)
        if (text[i - 1] == ch[0])
            return i;
    return 0;
}
KT_FORTRAN_ALIAS(KTRIDX, ktridx_);

void UPCASE(char *result, int32_t result_len, const char *ch, int32_t ch_len) {
    map_one(result, result_len, ch, ch_len, to_upper);
}
KT_FORTRAN_ALIAS(UPCASE, upcase_);

void LOCASE(char *result, int32_t result_len, const char *ch, int32_t ch_len) {
    map_one(result, result_len, ch, ch_len, to_lower);
}
KT_FORTRAN_ALIAS(LOCASE, locase_);

int32_t S2SCN(char *text, const int32_t *n, int32_t text_len) {
    (void)text_len;
    int32_t out = 0;
    bool gap = false;
    // The output never overtakes the input: a blank is written only for a
    // run of white space already passed.
    for (int32_t i = 0; i < *n; ++i) {
        char c = text[i];
        if (c == kBlank || c == kTab) {
            gap = true;
            continue;
        }
        if (gap && out > 0)
            text[out++] = kBlank;
        text[out++] = c;
        gap = false;
    }
    LCASES(text, &out, out);
    return out;
}
KT_FORTRAN_ALIAS(S2SCN, s2scn_);

int32_t VBTOKS(const char *text, const int32_t *n, char *words, const int32_t *maximum, int32_t *count,
               int32_t text_len, int32_t words_len) {
    (void)text_len;
    size_t width = words_len > 0 ? static_cast<size_t>(words_len) : 0;
    *count = for_each_word(text, *n, *maximum, [&](int32_t k, int32_t first, int32_t last) {
        char *word = words + (k - 1) * width;
        size_t len = static_cast<size_t>(last - first + 1);
        std::memset(word, kBlank, width);
        std::memcpy(word, text + first, len < width ? len : width);
    });
    return *count;
}
KT_FORTRAN_ALIAS(VBTOKS, vbtoks_);

int32_t VBTOKP(const char *text, const int32_t *n, int32_t *starts, int32_t *ends, const int32_t *maximum,
               int32_t *count, int32_t text_len) {
    (void)text_len;
    *count = for_each_word(text, *n, *maximum, [&](int32_t k, int32_t first, int32_t last) {
        starts[k - 1] = first + 1;
        ends[k - 1] = last + 1;
    });
    return *count;
}
KT_FORTRAN_ALIAS(VBTOKP, vbtokp_);

} // extern "C"
