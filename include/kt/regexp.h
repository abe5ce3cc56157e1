/// @file
/// Regular expressions: a pattern compiled once into a compact byte program,
/// then searched for in strings, with up to nine parenthesised sub-matches
/// and substitution templates. A search finds what backtracking would (the
/// leftmost match; the first alternative and the longest repetition that
/// let the rest match; a group's last round) in time linear in the
/// subject's length, whatever the pattern.
///
/// Pattern language: literal characters; "." any character; "[...]" and
/// "[^...]" classes with ranges ("]" or "-" first is a member, "-" last is a
/// member, a range's first character is not above its last); "^" and "$"
/// anchors; "*", "+" and "?" after an atom; "|" alternation; "(" ")"
/// groups, numbered 1-9 by their opening; "\c" the character c literally.
///
/// Invariants: the program is built by the constructor and never changed;
/// valid() is true after a successful compile and false after any error,
/// whose message error() gives until the next one. Every find_match
/// replaces the recorded matches. Errors never throw.
///
/// Not reentrant: operator[] hands out a buffer shared by all scanners.
#ifndef KT_REGEXP_H
#define KT_REGEXP_H

#include <cstddef>

#include "kt/abi.h"

namespace kt::packages::regexp {
struct Machine;
}

/// A compiled pattern and the matches of its last search.
class KT_API Regexp_scanner {
public:
    /// Compiles the pattern; valid() tells whether that succeeded (a null
    /// pattern or a syntax error leaves an error message).
    explicit Regexp_scanner(const char *pattern);
    ~Regexp_scanner();
    Regexp_scanner(const Regexp_scanner &) = delete;
    Regexp_scanner &operator=(const Regexp_scanner &) = delete;

    /// 1 when the pattern matches somewhere in subject (the leftmost match
    /// is recorded), else 0. Time O(program size x subject length); the
    /// first search allocates the matcher's working storage, kept until the
    /// scanner goes (0 with "out of memory" when that fails).
    int find_match(const char *subject);

    /// The text of sub-match n (0: the whole match), valid until the next
    /// call of operator[] on any scanner; null for n outside 0-9 or a group
    /// that took no part in the match.
    const char *operator[](short n) const;

    /// Where sub-match n (0: the whole match) lies in the subject of the
    /// last find_match: true with its first character and the one after its
    /// last; false, both null, where operator[] gives null.
    bool bounds(short n, const char **begin, const char **end) const;
    /// The number of groups the pattern opens (0-9).
    int group_count() const { return next_group_ - 1; }

    /// Copies templ to dest with "&" replaced by the match, "\d" by sub-match
    /// d, "\\" and "\&" by "\" and "&". The bounded form writes at most
    /// dest_size bytes, the terminating zero included, and returns the length
    /// of the whole result: the result was cut when that is >= dest_size.
    /// -1 on an error (null argument, a sub-match holding a zero byte).
    long substitute(const char *templ, char *dest, size_t dest_size);
    /// For callers that know dest is large enough.
    void substitute(const char *templ, char *dest);

    /// The last error message, null when there has been none.
    const char *error() const { return error_; }
    /// True when the pattern compiled and no error has occurred since.
    bool valid() const { return valid_ != 0; }

private:
    static constexpr int kGroups = 10;

    bool compile(const char *pattern);
    void fail(const char *message);
    /// Parser: each returns the node it emitted first, or null after an error.
    char *reg(bool paren, int *flags);
    char *branch(int *flags);
    char *piece(int *flags);
    char *atom(int *flags);
    char *bracket_class();
    char *literal_run(int *flags);
    /// Emitting and linking.
    char *node(int code);
    void regc(int byte);
    void insert(int code, char *operand_start);
    void tail(char *p, const char *value);
    void optail(char *p, const char *value);

    char *program_ = nullptr;
    const char *must_ = nullptr;  ///< literal every match contains, or null
    const char *parse_ = nullptr; ///< position in the pattern while compiling
    char *emit_ = nullptr;        ///< &dummy_ during the sizing pass
    const char *error_ = nullptr; ///< a constant message: failing never needs memory
    int next_group_ = 1;
    size_t size_ = 0; ///< program bytes counted by the sizing pass
    char dummy_ = 0;
    char valid_ = 0;
    const char *start_[kGroups] = {};
    const char *end_[kGroups] = {};
    kt::packages::regexp::Machine *machine_ = nullptr; ///< built by the first search
};

#endif
