// Regular expressions: searching with a compiled program, sub-matches and
// substitution. The search itself is the machine's (regexp_machine.h),
// built from the program by the first search and kept with the scanner.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "kt/regexp.h"
#include "heap.h"
#include "regexp_machine.h"

using namespace kt::packages::regexp;

namespace {

// The result buffer of operator[], shared by all scanners. It grows to fit
// a sub-match; should that fail, the text is cut to what fits.
struct SubmatchBuffer {
    char initial[256];
    char *data = initial;
    size_t capacity = sizeof initial;

    void reserve(size_t bytes) {
        if (bytes <= capacity)
            return;
        size_t want = std::max(bytes, 2 * capacity);
        auto *p = static_cast<char *>(kt::packages::allocate(want));
        if (!p)
            return;
        if (data != initial)
            kt::packages::release(data);
        data = p;
        capacity = want;
    }
};

SubmatchBuffer g_submatch;

// Writes into a destination of `size` bytes, always leaving room for the
// terminating zero, and counts every byte offered, written or not.
struct Sink {
    char *dest;
    size_t size;
    size_t length = 0;

    void put(const char *s, size_t n) {
        if (length + 1 < size)
            std::memcpy(dest + length, s, std::min(n, size - 1 - length));
        length += n;
    }
    void finish() {
        if (size > 0)
            dest[std::min(length, size - 1)] = '\0';
    }
};

} // namespace

int Regexp_scanner::find_match(const char *subject) {
    std::fill(start_, start_ + kGroups, nullptr);
    std::fill(end_, end_ + kGroups, nullptr);
    if (!subject) {
        fail("0 parameter");
        return 0;
    }
    if (!program_ || (must_ && !std::strstr(subject, must_)))
        return 0;
    if (!machine_) {
        const char *message = nullptr;
        machine_ = Machine::build(program_, size_, next_group_, &message);
        if (!machine_) {
            fail(message);
            return 0;
        }
    }
    return machine_->run(subject, std::strlen(subject), start_, end_) ? 1 : 0;
}

bool Regexp_scanner::bounds(short n, const char **begin, const char **end) const {
    bool took_part = n >= 0 && n < kGroups && start_[n] && end_[n] && end_[n] >= start_[n];
    *begin = took_part ? start_[n] : nullptr;
    *end = took_part ? end_[n] : nullptr;
    return took_part;
}

const char *Regexp_scanner::operator[](short n) const {
    const char *begin, *end;
    if (!bounds(n, &begin, &end))
        return nullptr;
    size_t len = static_cast<size_t>(end - begin);
    g_submatch.reserve(len + 1);
    len = std::min(len, g_submatch.capacity - 1);
    std::memcpy(g_submatch.data, begin, len);
    g_submatch.data[len] = '\0';
    return g_submatch.data;
}

long Regexp_scanner::substitute(const char *templ, char *dest, size_t dest_size) {
    if (!templ || !dest) {
        fail("NULL parm to sub");
        return -1;
    }
    Sink out{dest, dest_size};
    for (const char *src = templ; *src != '\0';) {
        char c = *src++;
        int group = -1;
        if (c == '&')
            group = 0;
        else if (c == '\\' && *src >= '0' && *src <= '9')
            group = *src++ - '0';
        if (group < 0) {
            if (c == '\\' && (*src == '\\' || *src == '&'))
                c = *src++;
            out.put(&c, 1);
            continue;
        }
        const char *from, *to;
        if (!bounds(static_cast<short>(group), &from, &to))
            continue;
        size_t len = static_cast<size_t>(to - from);
        // The subject changed since the match: its text ends inside the sub-match.
        if (const void *zero = std::memchr(from, '\0', len)) {
            out.put(from, static_cast<size_t>(static_cast<const char *>(zero) - from));
            out.finish();
            fail("damaged match string");
            return -1;
        }
        out.put(from, len);
    }
    out.finish();
    return static_cast<long>(out.length);
}

void Regexp_scanner::substitute(const char *templ, char *dest) { substitute(templ, dest, SIZE_MAX); }
