// Fuzzes the regular-expression compiler and matcher. The input is a
// pattern, a zero byte, a subject, a zero byte and a substitution template
// (missing parts are empty). Checks that a match lies in the subject and
// that the bounded substitution never writes past its size and agrees
// with a large enough destination.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kt/regexp.h"

namespace {

// Backtracking is exponential for some patterns; short subjects keep each run quick.
constexpr size_t kMaxPattern = 256, kMaxSubject = 48;

std::string take_part(const uint8_t *&data, size_t &size, size_t limit) {
    const void *zero = std::memchr(data, 0, size);
    size_t n = zero ? static_cast<size_t>(static_cast<const uint8_t *>(zero) - data) : size;
    std::string part(reinterpret_cast<const char *>(data), n < limit ? n : limit);
    size_t used = zero ? n + 1 : n;
    data += used;
    size -= used;
    return part;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string pattern = take_part(data, size, kMaxPattern);
    std::string subject = take_part(data, size, kMaxSubject);
    std::string templ = take_part(data, size, kMaxPattern);

    Regexp_scanner re(pattern.c_str());
    if (!re.valid()) {
        if (!re.error())
            std::abort();
        return 0;
    }
    if (!re.find_match(subject.c_str()))
        return 0;
    const char *whole = re[0];
    if (!whole || !std::strstr(subject.c_str(), whole))
        std::abort();
    for (short g = 1; g < 10; ++g)
        if (const char *text = re[g]; text && !std::strstr(subject.c_str(), text))
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
