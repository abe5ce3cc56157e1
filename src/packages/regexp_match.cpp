// Regular expressions: searching with a compiled program, sub-matches and
// substitution.
//
// The matcher backtracks by recursion. Sequences of nodes are walked in a
// loop; only alternatives, repetitions and groups recurse, but a loop over
// a sub-expression recurses once per round, so the depth can grow with the
// subject. Past kMaxDepth levels the match gives up with an error rather
// than run out of stack. Backtracking can also take exponential time
// ("(a?a?b)*c" on a long run of "ab"): a search gets a budget of steps
// that grows with the square of the subject, more than a search of
// quadratic cost needs, and past it gives up the same way. So every search
// ends in bounded time, and the caller can tell "no match" from "gave up"
// by error().
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "kt/regexp.h"
#include "regexp_program.h"

using namespace kt::packages::regexp;

namespace {

// Levels of match() at most. A level costs about 100 bytes of stack in an
// optimised build and 250 under the sanitizers, so a match never needs
// more than 1 MB (2.5 MB): well inside a usual thread's stack. A loop over
// a group of two characters still matches some 6,000 characters.
constexpr int kMaxDepth = 10000;

// Steps (levels entered) of one search: kBaseSteps + kStepsPerPair * n * n
// for a subject of n characters.
constexpr unsigned long long kBaseSteps = 1000000, kStepsPerPair = 64;

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
        auto *p = static_cast<char *>(std::malloc(want));
        if (!p)
            return;
        if (data != initial)
            std::free(data);
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

struct DepthGuard {
    int &depth;
    explicit DepthGuard(int &d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
    DepthGuard(const DepthGuard &) = delete;
    DepthGuard &operator=(const DepthGuard &) = delete;
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
    bol_ = subject;
    depth_ = 0;
    const unsigned long long n = std::strlen(subject);
    steps_left_ = kBaseSteps + kStepsPerPair * n * n;
    too_deep_ = false;
    if (anchored_)
        return try_at(subject) ? 1 : 0;
    if (first_) {
        for (const char *p = subject; (p = std::strchr(p, first_)) != nullptr && !too_deep_; ++p)
            if (try_at(p))
                return 1;
        return 0;
    }
    const char *p = subject;
    do {
        if (try_at(p))
            return 1;
    } while (*p++ != '\0' && !too_deep_);
    return 0;
}

bool Regexp_scanner::try_at(const char *position) {
    input_ = position;
    // Groups past next_group_ never occur in this program.
    std::fill(start_, start_ + next_group_, nullptr);
    std::fill(end_, end_ + next_group_, nullptr);
    if (!match(program_))
        return false;
    start_[0] = position;
    end_[0] = input_;
    return true;
}

// Runs the program from `scan` at input_; on success input_ is just past
// the text matched.
bool Regexp_scanner::match(const char *scan) {
    if (too_deep_)
        return false;
    if (depth_ >= kMaxDepth) {
        too_deep_ = true;
        fail("match too deep");
        return false;
    }
    if (steps_left_-- == 0) {
        too_deep_ = true;
        fail("match too long");
        return false;
    }
    DepthGuard level(depth_);
    while (scan) {
        const char *next = next_node(scan);
        const char *text = operand(scan);
        switch (op(scan)) {
        case kBol:
            if (input_ != bol_)
                return false;
            break;
        case kEol:
            if (*input_ != '\0')
                return false;
            break;
        case kAny:
            if (*input_ == '\0')
                return false;
            ++input_;
            break;
        case kExactly: {
            if (*text != *input_)
                return false;
            size_t len = std::strlen(text);
            if (len > 1 && std::strncmp(text, input_, len) != 0)
                return false;
            input_ += len;
            break;
        }
        case kAnyOf:
            if (*input_ == '\0' || !std::strchr(text, *input_))
                return false;
            ++input_;
            break;
        case kAnyBut:
            if (*input_ == '\0' || std::strchr(text, *input_))
                return false;
            ++input_;
            break;
        case kNothing:
        case kBack:
            break;
        case kBranch:
            if (next && op(next) == kBranch)
                return match_branch(scan);
            next = text; // a single alternative needs no backtracking point
            break;
        case kStar:
        case kPlus:
            return match_repeat(scan, next);
        case kEnd:
            return true;
        default:
            if ((op(scan) > kOpen && op(scan) < kOpen + kGroups) || (op(scan) > kClose && op(scan) < kClose + kGroups))
                return match_group(op(scan), next);
            fail("memory corruption");
            return false;
        }
        scan = next;
    }
    fail("corrupted pointers");
    return false;
}

// Tries each alternative of a chain of branch nodes from the same input.
bool Regexp_scanner::match_branch(const char *scan) {
    const char *save = input_;
    for (; scan && op(scan) == kBranch; scan = next_node(scan)) {
        if (match(operand(scan)))
            return true;
        if (too_deep_)
            return false;
        input_ = save;
    }
    return false;
}

// Star and plus: the longest run of the single-character operand first,
// then shorter ones. A literal after the loop must start right after the
// run, which skips most hopeless tries.
bool Regexp_scanner::match_repeat(const char *scan, const char *next) {
    const char hint = next && op(next) == kExactly ? *operand(next) : '\0';
    const size_t least = op(scan) == kStar ? 0 : 1;
    const char *save = input_;
    for (size_t count = repeat(operand(scan)); count >= least; --count) {
        input_ = save + count;
        if ((hint == '\0' || *input_ == hint) && match(next))
            return true;
        if (too_deep_ || count == 0)
            return false;
    }
    return false;
}

// Open and close nodes record where they were met once the rest matched;
// a deeper record (a later round of a loop) wins.
bool Regexp_scanner::match_group(int code, const char *next) {
    const char *save = input_;
    if (!match(next))
        return false;
    const char **slot = code > kClose ? &end_[code - kClose] : &start_[code - kOpen];
    if (!*slot)
        *slot = save;
    return true;
}

// Consumes as many characters as the single-character node p accepts.
size_t Regexp_scanner::repeat(const char *p) {
    const char *scan = input_;
    const char *text = operand(p);
    switch (op(p)) {
    case kAny:
        scan += std::strlen(scan);
        break;
    case kExactly:
        while (*scan == *text)
            ++scan;
        break;
    case kAnyOf:
        while (*scan != '\0' && std::strchr(text, *scan))
            ++scan;
        break;
    case kAnyBut:
        while (*scan != '\0' && !std::strchr(text, *scan))
            ++scan;
        break;
    default:
        fail("internal foulup");
        break;
    }
    size_t count = static_cast<size_t>(scan - input_);
    input_ = scan;
    return count;
}

const char *Regexp_scanner::operator[](short n) const {
    if (n < 0 || n >= kGroups || !start_[n] || !end_[n] || end_[n] < start_[n])
        return nullptr;
    size_t len = static_cast<size_t>(end_[n] - start_[n]);
    g_submatch.reserve(len + 1);
    len = std::min(len, g_submatch.capacity - 1);
    std::memcpy(g_submatch.data, start_[n], len);
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
        const char *from = start_[group], *to = end_[group];
        if (!from || !to || to < from)
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
