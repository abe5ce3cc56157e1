// Regular expressions: the matcher against a plain recursive backtracker on
// random patterns and subjects, subjects that make backtracking explode,
// the syntax the random patterns leave out, every error message,
// substitution in both forms and refused memory.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "kt/regexp.h"
#include "packages/heap.h"
#include "packages/regexp_machine.h"

namespace {

struct Alternatives;

// One atom and its repetition ('\0', '*', '+' or '?').
struct Piece {
    enum Kind { kChar, kAny, kClass, kBol, kEol, kGroup } kind = kChar;
    std::string text;                     // kChar: the character; kClass: its members
    int group = 0;                        // kGroup
    std::shared_ptr<Alternatives> inside; // kGroup
    char repeat = '\0';
};

struct Alternatives {
    std::vector<std::vector<Piece>> branches;
};

// Tries alternatives in order, a repetition's longest run first, and
// records a group's bounds when the rest of the match has succeeded, unless
// a later round already did: the matching rules written as directly as
// possible, with no regard for cost.
struct Backtracker {
    const std::string &s;
    std::vector<long> start, end; // -1: took no part
    using Rest = std::function<bool(size_t)>;

    bool alternatives(const Alternatives &a, size_t i, const Rest &rest) {
        for (const auto &b : a.branches)
            if (sequence(b, 0, i, rest))
                return true;
        return false;
    }
    bool sequence(const std::vector<Piece> &seq, size_t k, size_t i, const Rest &rest) {
        if (k == seq.size())
            return rest(i);
        return piece(seq[k], i, [&](size_t j) { return sequence(seq, k + 1, j, rest); });
    }
    bool piece(const Piece &p, size_t i, const Rest &rest) {
        switch (p.repeat) {
        case '?':
            return atom(p, i, rest) || rest(i);
        case '*':
            return loop(p, i, rest);
        case '+':
            return atom(p, i, [&](size_t j) { return loop(p, j, rest); });
        default:
            return atom(p, i, rest);
        }
    }
    bool loop(const Piece &p, size_t i, const Rest &rest) {
        return atom(p, i,
                    [&](size_t j) {
                        EXPECT_GT(j, i) << "a repeated atom that can match nothing compiled";
                        return j > i && loop(p, j, rest);
                    }) ||
               rest(i);
    }
    bool atom(const Piece &p, size_t i, const Rest &rest) {
        const bool more = i < s.size();
        switch (p.kind) {
        case Piece::kChar:
            return more && s[i] == p.text[0] && rest(i + 1);
        case Piece::kAny:
            return more && rest(i + 1);
        case Piece::kClass:
            return more && p.text.find(s[i]) != std::string::npos && rest(i + 1);
        case Piece::kBol:
            return i == 0 && rest(i);
        case Piece::kEol:
            return i == s.size() && rest(i);
        case Piece::kGroup:
            break;
        }
        const int g = p.group;
        bool ok = alternatives(*p.inside, i, [&](size_t j) {
            bool r = rest(j);
            if (r && end[g] < 0)
                end[g] = static_cast<long>(j);
            return r;
        });
        if (ok && start[g] < 0)
            start[g] = static_cast<long>(i);
        return ok;
    }
    // The leftmost match: group texts, group 0 the match; empty when none.
    std::vector<std::optional<std::string>> search(const Alternatives &top) {
        for (size_t at = 0; at <= s.size(); ++at) {
            start.assign(10, -1);
            end.assign(10, -1);
            if (!alternatives(top, at, [&](size_t j) { return end[0] = static_cast<long>(j), true; }))
                continue;
            start[0] = static_cast<long>(at);
            std::vector<std::optional<std::string>> texts(10);
            for (int g = 0; g < 10; ++g)
                if (start[g] >= 0 && end[g] >= start[g])
                    texts[g] = s.substr(start[g], end[g] - start[g]);
            return texts;
        }
        return {};
    }
};

// Random patterns over a, b, c and -.
struct Generator {
    std::mt19937 rng{20260611};
    int groups = 0;

    int pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }

    Piece atom(int depth, std::string &out) {
        // Each class as written, and its members among the subjects' characters.
        static const char *const classes[][2] = {{"[ab]", "ab"},   {"[^a]", "bc-]"}, {"[a-c]", "abc"}, {"[]a]", "]a"},
                                                 {"[^-b]", "ac]"}, {"[b-]", "b-"},   {"[c-c]", "c"}};
        Piece p;
        int choice = pick(depth < 3 && groups < 9 ? 12 : 10);
        if (choice < 4) {
            p.text = std::string(1, "aabc"[choice]);
            out += p.text;
        } else if (choice == 4) {
            p.text = "-";
            out += "\\-";
        } else if (choice == 5) {
            p.kind = Piece::kAny;
            out += ".";
        } else if (choice == 6) {
            p.kind = Piece::kClass;
            const auto &c = classes[pick(7)];
            out += c[0];
            p.text = c[1];
        } else if (choice < 10) {
            p.kind = choice == 7 ? Piece::kEol : choice == 8 ? Piece::kBol : Piece::kChar;
            p.text = "b";
            out += choice == 7 ? "$" : choice == 8 ? "^" : "b";
        } else {
            p.kind = Piece::kGroup;
            p.group = ++groups;
            out += "(";
            p.inside = alternatives(depth + 1, out);
            out += ")";
        }
        if (pick(3) == 0) {
            p.repeat = "*+?"[pick(3)];
            out += p.repeat;
        }
        return p;
    }
    std::shared_ptr<Alternatives> alternatives(int depth, std::string &out) {
        auto a = std::make_shared<Alternatives>();
        for (int b = 0, n = 1 + (pick(3) == 0) + (pick(4) == 0); b < n; ++b) {
            if (b > 0)
                out += "|";
            a->branches.emplace_back();
            for (int k = 0, pieces = pick(4 - depth / 2); k < pieces; ++k)
                a->branches.back().push_back(atom(depth, out));
        }
        return a;
    }
};

const char kTemplate[] = "<&>\\1.\\2.\\3.\\4.\\5.\\6.\\7.\\8.\\9";

// Small searches backtrack, with a memory of what failed; large ones
// simulate every thread at once. Each must agree with the model.
TEST(RegexpTest, AgreesWithBacktrackingOnRandomPatterns) {
    Generator gen;
    int compiled = 0, matched = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string pattern;
        gen.groups = 0;
        auto top = gen.alternatives(0, pattern);
        Regexp_scanner re(pattern.c_str());
        if (!re.valid())
            continue; // a repeated atom that can match nothing
        ++compiled;
        for (int k = 0; k < 25; ++k) {
            std::string subject;
            for (int len = gen.pick(13); len > 0; --len)
                subject += "aabbc-]"[gen.pick(7)];
            Backtracker model{subject, {}, {}};
            const std::vector<std::optional<std::string>> want = model.search(*top);
            matched += !want.empty();
            for (size_t limit : {SIZE_MAX, size_t{0}}) {
                SCOPED_TRACE("\"" + pattern + "\" on \"" + subject + "\", limit " + std::to_string(limit));
                kt_regexp_backtrack_limit(limit);
                ASSERT_EQ(re.find_match(subject.c_str()), want.empty() ? 0 : 1);
                if (want.empty())
                    continue;
                std::string substituted = "<" + *want[0] + ">";
                for (short g = 0; g < 10; ++g) {
                    const std::optional<std::string> &text = want[static_cast<size_t>(g)];
                    if (g > 0)
                        substituted += (g > 1 ? "." : "") + text.value_or("");
                    ASSERT_EQ(re[g] ? std::optional<std::string>(re[g]) : std::nullopt, text) << "group " << g;
                }
                char dest[128];
                ASSERT_EQ(re.substitute(kTemplate, dest, sizeof dest), static_cast<long>(substituted.size()));
                ASSERT_EQ(dest, substituted);
            }
        }
    }
    kt_regexp_backtrack_limit(SIZE_MAX);
    EXPECT_GT(compiled, 2000);
    EXPECT_GT(matched, 20000);
}

// Subjects that make backtracking explode or recurse per character, and
// syntax the random patterns leave out.

TEST(RegexpTest, LongSubjectsAndMoreSyntax) {
    struct Case {
        const char *pattern, *head, *unit, *tail; // subject: head, n units, tail
        long from, to;                            // the match in it (to -1: its end); from -1: none
        std::vector<const char *> groups;         // from group 1
    } cases[] = {
        {"(a|b)*c", "", "a", "c", 0, -1, {"a"}},
        {"(ab)*", "", "ab", "", 0, -1, {"ab"}},
        {"(.*)(.*)(.*)y", "y", "a", "", 0, 1, {"", "", ""}},
        {"(x+x+)+y", "", "x", "", -1, 0, {}},
        {"[0-9]+\\.[0-9]+", "", "7", "", -1, 0, {}},
        {"[0-9]+\\.[0-9]+", "v", "7", ".5", 1, -1, {}},
        {"^a*[^a]*$", "", "a", "", 0, -1, {}},
        {"[[]", "a[b", "", "", 1, 2, {}},
        {"\\(", "f(x)", "", "", 1, 2, {}},
        {"a\\*\\+b", "a*+b", "", "", 0, -1, {}},
        {"[\x01-\xff]+", "\x7f\xfe", "", "", 0, -1, {}},
        {"(((((((((a)))))))))", "a", "", "", 0, -1, std::vector<const char *>(9, "a")},
    };
    for (const Case &c : cases) {
        Regexp_scanner re(c.pattern);
        for (size_t n = 100; n <= 100000; n *= 10) {
            SCOPED_TRACE(std::string(c.pattern) + " at " + std::to_string(n));
            std::string subject = c.head;
            for (size_t i = 0; i < n; ++i)
                subject += c.unit;
            subject += c.tail;
            ASSERT_EQ(re.find_match(subject.c_str()), c.from < 0 ? 0 : 1);
            EXPECT_EQ(re.error(), nullptr);
            if (c.from < 0)
                continue;
            const size_t to = c.to < 0 ? subject.size() : static_cast<size_t>(c.to);
            EXPECT_EQ(re[0], subject.substr(static_cast<size_t>(c.from), to - static_cast<size_t>(c.from)));
            for (short g = 1; g < 10; ++g) {
                if (g <= static_cast<short>(c.groups.size()))
                    EXPECT_STREQ(re[g], c.groups[static_cast<size_t>(g - 1)]) << g;
                else
                    EXPECT_EQ(re[g], nullptr) << g;
            }
        }
    }
}

TEST(RegexpTest, CompileErrors) {
    struct Case {
        std::string pattern;
        const char *message;
    } cases[] = {
        // One of each message is the Python binding's test.
        {"((((((((((a))))))))))", "too many ()"},
        {"a|b)", "unmatched ()"},
        {"(|a)*", "*+ operand could be empty"},
        {"(^)+", "*+ operand could be empty"},
        {"(ab)+*", "nested *?+"},
        {"a|+b", "?+* follows nothing"},
        {"[a-", "unmatched []"},
        {"[^]", "unmatched []"},
        {"x[d-c]", "invalid [] range"},
        {std::string(70000, 'a'), "regexp too big"},
        {[] {
             std::string s;
             for (int i = 0; i < 300; ++i)
                 s += "[\x01-\xff]";
             return s;
         }(),
         "regexp too big"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pattern.substr(0, 40));
        Regexp_scanner re(c.pattern.c_str());
        EXPECT_FALSE(re.valid());
        ASSERT_NE(re.error(), nullptr);
        EXPECT_STREQ(re.error(), c.message);
        EXPECT_EQ(re.find_match("aaaa"), 0);
    }
    Regexp_scanner none(nullptr);
    EXPECT_FALSE(none.valid());
    EXPECT_STREQ(none.error(), "0 argument");
}

TEST(RegexpTest, LargestProgramsStillLinkAndMatch) {
    std::string literal(65000, 'q');
    Regexp_scanner re((literal + "(x|y)*z").c_str());
    ASSERT_TRUE(re.valid()) << re.error();
    std::string subject = "q" + literal + "xyxz";
    EXPECT_EQ(re.find_match(subject.c_str()), 1);
    EXPECT_STREQ(re[1], "x");
    EXPECT_EQ(std::strlen(re[0]), subject.size() - 1);
    EXPECT_EQ(re.find_match((literal + "xyw").c_str()), 0);
}

TEST(RegexpTest, RuntimeErrors) {
    Regexp_scanner re("a+");
    ASSERT_EQ(re.find_match("baac"), 1);
    EXPECT_EQ(re.find_match("xyz"), 0);
    EXPECT_EQ(re[0], nullptr) << "a failed match forgets the previous one";
    EXPECT_EQ(re[-1], nullptr);
    EXPECT_EQ(re[10], nullptr);
    EXPECT_EQ(re.find_match(nullptr), 0);
    EXPECT_STREQ(re.error(), "0 parameter");
    EXPECT_FALSE(re.valid());
    char dest[16];
    EXPECT_EQ(re.substitute(nullptr, dest, sizeof dest), -1);
    EXPECT_STREQ(re.error(), "NULL parm to sub");
    EXPECT_EQ(re.substitute("&", nullptr, 4), -1);
    EXPECT_STREQ(re.error(), "NULL parm to sub");
    re.substitute(nullptr, dest);
    EXPECT_STREQ(re.error(), "NULL parm to sub");

    char subject[] = "xaaay";
    ASSERT_EQ(re.find_match(subject), 1);
    subject[2] = '\0'; // the subject changes under the recorded match
    EXPECT_EQ(re.substitute("<&>", dest, sizeof dest), -1);
    EXPECT_STREQ(re.error(), "damaged match string");
    EXPECT_STREQ(dest, "<a");
}

// Memory refused to the matcher is an error of the scanner (every refusal
// is the reliability table's); the matcher is built again by the next search.
TEST(RegexpTest, RefusedMemory) {
    Regexp_scanner re("(a|b)*c");
    kt_packages_fail_alloc_after(0, 1);
    EXPECT_EQ(re.find_match("abc"), 0);
    EXPECT_STREQ(re.error(), "out of memory");
    EXPECT_EQ(re.find_match("abc"), 1);
    EXPECT_STREQ(re[1], "b");
    kt_packages_fail_alloc_after(-1, 0);
}

// The compiled program is the scanner's first member; these tests damage
// it on purpose to reach the matcher's self-checks.
char *program_of(Regexp_scanner &re) {
    char *p = nullptr;
    std::memcpy(&p, &re, sizeof p);
    return p;
}

TEST(RegexpTest, DamagedProgramsAreReportedNotFollowed) {
    struct Case {
        const char *pattern;
        int byte; // program byte to overwrite
        char value;
        const char *message;
    } cases[] = {
        // branch @0, exactly @3 "ab" @6, end @9
        {"ab", 3, 99, "memory corruption"},
        {"ab", 3, 20, "memory corruption"}, // no group 0
        {"ab", 5, 0, "corrupted pointers"},
        {"ab", 5, 40, "corrupted pointers"}, // past the end
        {"ab", 5, 4, "corrupted pointers"},  // into the literal
        {"ab", 8, 1, "memory corruption"},   // unterminated literal
        // branch @0, star @3, exactly @6 "a" @9, end @11
        {"a*", 6, 6, "internal foulup"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        Regexp_scanner re(c.pattern);
        ASSERT_TRUE(re.valid());
        program_of(re)[c.byte] = c.value;
        EXPECT_EQ(re.find_match("ab"), 0);
        ASSERT_NE(re.error(), nullptr);
        EXPECT_STREQ(re.error(), c.message);
    }
}

// A bounded destination takes what fits of the result, terminated; the
// length of the whole result comes back all the same.
TEST(RegexpTest, Substitution) {
    struct Case {
        const char *pattern, *subject, *templ, *result;
    } cases[] = {
        {"(x)(y)", "axyb", "[\\2\\1&]", "[yxxy]"},
        {"b+", "abbc", "\\\\&\\&", "\\bb&"},
        {"b+", "abbc", "\\n\\", "\\n\\"},
        {"b+", "abbc", "", ""},
        {"(b)", "abbc", "\\9\\0", "b"},
    };
    for (const Case &c : cases) {
        Regexp_scanner re(c.pattern);
        ASSERT_EQ(re.find_match(c.subject), 1);
        const size_t length = std::strlen(c.result);
        for (size_t size : {size_t{64}, length + 1, length, size_t{3}, size_t{1}, size_t{0}}) {
            SCOPED_TRACE(std::string(c.templ) + " into " + std::to_string(size));
            char dest[65];
            std::memset(dest, '#', sizeof dest);
            EXPECT_EQ(re.substitute(c.templ, dest, size), static_cast<long>(length));
            if (size > 0) {
                EXPECT_EQ(std::string(dest), std::string(c.result).substr(0, size - 1));
            }
            EXPECT_EQ(dest[size], '#') << "wrote past the given size";
            EXPECT_TRUE(re.valid()) << "a cut is not an error";
        }
        char unbounded[64];
        re.substitute(c.templ, unbounded);
        EXPECT_STREQ(unbounded, c.result);
    }
}

} // namespace
