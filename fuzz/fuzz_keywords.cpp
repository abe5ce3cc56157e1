// Reserved words, name orderings and packed-name keywords on the texts of
// the input (split at zero bytes), each held in a block of exactly its
// size so that a read past it is caught. KORMKW must agree with the word
// list (INF and UNDEF only with flag 0) and its C twin; ALSCMP must order
// names before integers, integers by value and names ignoring case, then
// by length, and be antisymmetric and transitive over three texts;
// R8SCMP and R8KEYW must agree with a plain comparison of the eight
// characters of a cell.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "kt/text.h"
#include "text/text_models.h"

using kt::fuzz::check;
using kt::text_test::Exact;
using kt::text_test::lower;

namespace {

const char *const kAlways[] = {"UNIT",       "PIN",
                               "NUMBER",     "STRING",
                               "VAL",        "BRANCH",
                               "STATE",      "EXTERNAL",
                               "EXPORT",     "TEMPLATE",
                               "FUNCTION",   "FOREIGN",
                               "ELEMENT",    "COMPONENT",
                               "ENCRYPTED",  "SIMVAR",
                               "ENUM",       "STRUC",
                               "UNION",      "ALTER",
                               "PARAMETERS", "STATES",
                               "WHEN",       "VALUES",
                               "EQUATIONS",  "CONTROL_SECTION",
                               "IF",         "CONFLICT_RESOLUTION",
                               "RETURN"};

int sign(int64_t v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

// Case-blind comparison of the bytes as unsigned values, then by length.
int compare(const std::string &a, const std::string &b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        int d = static_cast<unsigned char>(lower(a[i])) - static_cast<unsigned char>(lower(b[i]));
        if (d)
            return sign(d);
    }
    return sign(static_cast<int64_t>(a.size()) - static_cast<int64_t>(b.size()));
}

bool reserved(const std::string &text, int32_t flag) {
    static const std::vector<std::string> always(std::begin(kAlways), std::end(kAlways));
    static const std::string inf = "INF", undef = "UNDEF";
    for (const std::string &w : always)
        if (w.size() == text.size() && compare(text, w) == 0)
            return true;
    return flag == 0 && (compare(text, inf) == 0 || compare(text, undef) == 0);
}

// An optional sign and digits (none: 0), wrapping as the integer reader does.
bool integer(const std::string &t, int64_t &value) {
    size_t i = !t.empty() && (t[0] == '+' || t[0] == '-') ? 1 : 0;
    uint32_t v = 0;
    for (size_t k = i; k < t.size(); ++k) {
        if (t[k] < '0' || t[k] > '9')
            return false;
        v = v * 10u + static_cast<uint32_t>(t[k] - '0');
    }
    value = static_cast<int32_t>(!t.empty() && t[0] == '-' ? 0u - v : v);
    return true;
}

int ordered(const std::string &a, const std::string &b) {
    int64_t x = 0, y = 0;
    bool na = integer(a, x), nb = integer(b, y);
    if (na && nb)
        return sign(x - y);
    if (na != nb)
        return na ? 1 : -1;
    return compare(a, b);
}

int32_t alscmp(const std::string &a, const std::string &b) {
    Exact x(a), y(b);
    return ALSCMP(x.get(), &x.n, y.get(), &y.n, x.n, y.n);
}

void orderings(const std::vector<std::string> &t) {
    for (size_t i = 0; i < t.size(); ++i) {
        for (size_t j = 0; j < t.size(); ++j) {
            int32_t r = alscmp(t[i], t[j]);
            check(sign(r) == ordered(t[i], t[j]));
            check(sign(r) == -sign(alscmp(t[j], t[i])));
            for (size_t k = 0; k < t.size(); ++k)
                if (r <= 0 && alscmp(t[j], t[k]) <= 0)
                    check(alscmp(t[i], t[k]) <= 0);
        }
    }
}

void reserved_words(const std::string &text) {
    Exact e(text);
    for (int32_t flag : {0, 1, -1}) {
        int32_t r = KORMKW(e.get(), &flag, e.n);
        check(r == (reserved(text, flag) ? 1 : 0));
        if (text.find('\0') == std::string::npos)
            check(c_kormkw(text.c_str(), flag) == r);
    }
}

// The first eight bytes of the text as a cell, the rest as the keyword text.
void packed(const std::string &text) {
    std::string name = text.substr(0, 8);
    name.resize(8, ' ');
    double cell, other;
    std::memcpy(&cell, name.data(), 8);
    const std::string keyword = text.size() > 8 ? text.substr(8) : std::string();
    Exact k(keyword);
    const size_t stop = name.find(' ');
    const std::string word = name.substr(0, stop);
    // A cell that starts with a blank also matches a text equal to it when
    // both are padded with blanks to the longer length.
    std::string a = name, b = keyword;
    a.resize(std::max(a.size(), b.size()), ' ');
    b.resize(a.size(), ' ');
    const bool blank_match = stop == 0 && a == b;
    check((R8KEYW(&cell, k.get(), k.n) == 0) == (blank_match || compare(word, keyword) == 0));

    std::string second = keyword.substr(0, 8);
    second.resize(8, ' ');
    std::memcpy(&other, second.data(), 8);
    check(sign(R8SCMP(&cell, &other)) == compare(name, second));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<std::string> texts = kt::fuzz::words_of(data, size);
    std::string whole(reinterpret_cast<const char *>(data), size);
    reserved_words(whole);
    packed(whole);
    for (const std::string &t : texts)
        reserved_words(t);
    // Transitivity is checked over triples: three texts are enough.
    if (texts.size() > 3)
        texts.resize(3);
    orderings(texts);
    return 0;
}
