// Fuzzes the regular-expression compiler and matcher. The input is a
// pattern, a zero byte, a subject, a zero byte and a substitution template
// (missing parts are empty). Checks that the two searches (backtracking
// with a memory of failures, and the simulation of all threads) agree on
// the match and every group, that a match lies in the subject, and that
// the bounded substitution never writes past its size and agrees with a
// large enough destination. Subjects are as long as the input: a search
// is linear, so run with -timeout=2 and a slow input is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kt/regexp.h"
#include "packages/regexp_machine.h"

namespace {

std::string take_part(const uint8_t *&data, size_t &size) {
    const void *zero = std::memchr(data, 0, size);
    size_t n = zero ? static_cast<size_t>(static_cast<const uint8_t *>(zero) - data) : size;
    std::string part(reinterpret_cast<const char *>(data), n);
    size_t used = zero ? n + 1 : n;
    data += used;
    size -= used;
    return part;
}

// The match and the groups of the last search (null: took no part).
std::vector<std::string> groups_of(const Regexp_scanner &re, std::vector<bool> &took_part) {
    std::vector<std::string> texts(10);
    took_part.assign(10, false);
    for (short g = 0; g < 10; ++g)
        if (const char *text = re[g]) {
            texts[static_cast<size_t>(g)] = text;
            took_part[static_cast<size_t>(g)] = true;
        }
    return texts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string pattern = take_part(data, size);
    std::string subject = take_part(data, size);
    std::string templ = take_part(data, size);

    Regexp_scanner re(pattern.c_str());
    if (!re.valid()) {
        if (!re.error())
            std::abort();
        return 0;
    }
    kt_regexp_backtrack_limit(0);
    const int simulated = re.find_match(subject.c_str());
    std::vector<bool> simulated_part;
    const std::vector<std::string> simulated_groups = groups_of(re, simulated_part);
    kt_regexp_backtrack_limit(SIZE_MAX);
    const int found = re.find_match(subject.c_str());
    if (re.error())
        std::abort();
    std::vector<bool> took_part;
    const std::vector<std::string> groups = groups_of(re, took_part);
    if (found != simulated || groups != simulated_groups || took_part != simulated_part)
        std::abort();
    if (!found)
        return 0;
    if (!took_part[0] || !std::strstr(subject.c_str(), groups[0].c_str()))
        std::abort();
    for (size_t g = 1; g < 10; ++g)
        if (took_part[g] && groups[0].find(groups[g]) == std::string::npos)
            std::abort();

    long full = re.substitute(templ.c_str(), nullptr, 0);
    if (full != -1) // a null destination is refused
        std::abort();
    char probe = 0;
    full = re.substitute(templ.c_str(), &probe, 0);
    if (full < 0)
        std::abort();
    std::vector<char> big(static_cast<size_t>(full) + 1, '#');
    if (re.substitute(templ.c_str(), big.data(), big.size()) != full || big[static_cast<size_t>(full)] != '\0')
        std::abort();
    size_t cut = static_cast<size_t>(full) / 2 + 1;
    std::vector<char> small(cut + 1, '#');
    if (re.substitute(templ.c_str(), small.data(), cut) != full || small[cut] != '#' ||
        std::strncmp(small.data(), big.data(), cut - 1) != 0 || small[cut - 1] != '\0')
        std::abort();
    return 0;
}
