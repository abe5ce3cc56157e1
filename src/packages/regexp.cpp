// Regular expressions: compiling a pattern into a node program.
//
// Two passes over the pattern with the same recursive-descent parser: the
// first emits into a dummy byte and only counts the program's size (and
// finds every syntax error), the second emits into the allocated program.
// Node surgery (insert, tail) happens in place in the second pass.
#include <cstdlib>
#include <cstring>

#include "kt/regexp.h"
#include "heap.h"
#include "regexp_machine.h"
#include "regexp_program.h"

using namespace kt::packages::regexp;

namespace {

const char kMeta[] = "^$.[()|?+*\\";

bool is_repeat(char c) { return c == '*' || c == '+' || c == '?'; }

} // namespace

Regexp_scanner::Regexp_scanner(const char *pattern) { valid_ = compile(pattern) ? 1 : 0; }

Regexp_scanner::~Regexp_scanner() {
    Machine::destroy(machine_);
    kt::packages::release(program_);
}

void Regexp_scanner::fail(const char *message) {
    error_ = message;
    valid_ = 0;
}

bool Regexp_scanner::compile(const char *pattern) {
    if (!pattern) {
        fail("0 argument");
        return false;
    }
    int flags = 0;
    parse_ = pattern;
    next_group_ = 1;
    size_ = 0;
    emit_ = &dummy_;
    if (!reg(false, &flags))
        return false;
    // Offsets between nodes are 16 bits wide.
    if (size_ > kMaxProgram) {
        fail("regexp too big");
        return false;
    }
    program_ = static_cast<char *>(kt::packages::allocate(size_ + 1));
    if (!program_) {
        fail("out of memory");
        return false;
    }
    parse_ = pattern;
    next_group_ = 1;
    emit_ = program_;
    if (!reg(false, &flags)) {
        kt::packages::release(program_);
        program_ = nullptr;
        return false;
    }

    // With a single top-level alternative that starts with a repetition,
    // the longest literal of that alternative is in every match.
    const char *first_branch = program_;
    if (op(next_node(first_branch)) == kEnd && (flags & kStartsWithStar)) {
        size_t longest = 0;
        for (const char *scan = operand(first_branch); scan; scan = next_node(scan)) {
            if (op(scan) == kExactly && std::strlen(operand(scan)) >= longest) {
                must_ = operand(scan);
                longest = std::strlen(must_);
            }
        }
    }
    return true;
}

// A top-level expression or a group: alternatives chained by their branch
// nodes, every alternative ending at one close (or end) node.
char *Regexp_scanner::reg(bool paren, int *flags) {
    *flags = kHasWidth;
    char *ret = nullptr;
    int group = 0;
    if (paren) {
        if (next_group_ >= kGroups) {
            fail("too many ()");
            return nullptr;
        }
        group = next_group_++;
        ret = node(kOpen + group);
    }
    for (bool first = true;; first = false) {
        int f = 0;
        char *br = branch(&f);
        if (!br)
            return nullptr;
        if (first && !ret)
            ret = br;
        else
            tail(ret, br);
        if (!(f & kHasWidth))
            *flags &= ~kHasWidth;
        *flags |= f & kStartsWithStar;
        if (*parse_ != '|')
            break;
        ++parse_;
    }
    char *ender = node(paren ? kClose + group : kEnd);
    tail(ret, ender);
    for (char *br = ret; br; br = br == &dummy_ ? nullptr : next_node(br))
        optail(br, ender);

    if (paren) {
        if (*parse_ != ')') {
            fail("unmatched ()");
            return nullptr;
        }
        ++parse_;
    } else if (*parse_ != '\0') {
        fail(*parse_ == ')' ? "unmatched ()" : "junk on end");
        return nullptr;
    }
    return ret;
}

// One alternative: a branch node followed by its pieces.
char *Regexp_scanner::branch(int *flags) {
    *flags = 0;
    char *ret = node(kBranch);
    char *chain = nullptr;
    while (*parse_ != '\0' && *parse_ != '|' && *parse_ != ')') {
        int f = 0;
        char *latest = piece(&f);
        if (!latest)
            return nullptr;
        *flags |= f & kHasWidth;
        if (!chain)
            *flags |= f & kStartsWithStar;
        else
            tail(chain, latest);
        chain = latest;
    }
    if (!chain)
        node(kNothing);
    return ret;
}

// An atom and its repetition operator, if any. A single-character atom
// gets a star or plus node; anything else is built from branches and a
// back node that loops to them.
char *Regexp_scanner::piece(int *flags) {
    int f = 0;
    char *ret = atom(&f);
    if (!ret)
        return nullptr;
    const char rep = *parse_;
    if (!is_repeat(rep)) {
        *flags = f;
        return ret;
    }
    if (!(f & kHasWidth) && rep != '?') {
        fail("*+ operand could be empty");
        return nullptr;
    }
    *flags = rep == '+' ? kHasWidth : kStartsWithStar;

    if (rep == '*' && (f & kSimple)) {
        insert(kStar, ret);
    } else if (rep == '*') { // x* is (x, back to here | nothing)
        insert(kBranch, ret);
        optail(ret, node(kBack));
        optail(ret, ret);
        tail(ret, node(kBranch));
        tail(ret, node(kNothing));
    } else if (rep == '+' && (f & kSimple)) {
        insert(kPlus, ret);
    } else if (rep == '+') { // x+ is x, then (back to x | nothing)
        char *next = node(kBranch);
        tail(ret, next);
        tail(node(kBack), ret);
        tail(next, node(kBranch));
        tail(ret, node(kNothing));
    } else { // x? is (x | nothing)
        insert(kBranch, ret);
        tail(ret, node(kBranch));
        char *next = node(kNothing);
        tail(ret, next);
        optail(ret, next);
    }
    ++parse_;
    if (is_repeat(*parse_)) {
        fail("nested *?+");
        return nullptr;
    }
    return ret;
}

char *Regexp_scanner::atom(int *flags) {
    *flags = 0;
    switch (*parse_++) {
    case '^':
        return node(kBol);
    case '$':
        return node(kEol);
    case '.':
        *flags = kHasWidth | kSimple;
        return node(kAny);
    case '[': {
        char *ret = bracket_class();
        *flags = kHasWidth | kSimple;
        return ret;
    }
    case '(': {
        int f = 0;
        char *ret = reg(true, &f);
        *flags = f & (kHasWidth | kStartsWithStar);
        return ret;
    }
    case '\0':
    case '|':
    case ')':
        fail("internal urp"); // branch() stops before these
        return nullptr;
    case '?':
    case '+':
    case '*':
        fail("?+* follows nothing");
        return nullptr;
    case '\\': {
        if (*parse_ == '\0') {
            fail("trailing \\");
            return nullptr;
        }
        char *ret = node(kExactly);
        regc(*parse_++);
        regc('\0');
        *flags = kHasWidth | kSimple;
        return ret;
    }
    default:
        --parse_;
        return literal_run(flags);
    }
}

// After "[" (and "^"): the members up to "]". A "]" or "-" first is a
// member, as is a "-" last; "a-z" adds the whole range.
char *Regexp_scanner::bracket_class() {
    char *ret = nullptr;
    if (*parse_ == '^') {
        ret = node(kAnyBut);
        ++parse_;
    } else {
        ret = node(kAnyOf);
    }
    if (*parse_ == ']' || *parse_ == '-')
        regc(*parse_++);
    while (*parse_ != '\0' && *parse_ != ']') {
        if (*parse_ != '-') {
            regc(*parse_++);
            continue;
        }
        ++parse_;
        if (*parse_ == ']' || *parse_ == '\0') {
            regc('-');
            continue;
        }
        // The range's first character is already a member.
        int from = static_cast<unsigned char>(parse_[-2]), to = static_cast<unsigned char>(*parse_);
        if (from > to) {
            fail("invalid [] range");
            return nullptr;
        }
        for (int c = from + 1; c <= to; ++c)
            regc(c);
        ++parse_;
    }
    regc('\0');
    if (*parse_ != ']') {
        fail("unmatched []");
        return nullptr;
    }
    ++parse_;
    return ret;
}

// The longest run of ordinary characters. When a repetition operator
// follows, its last character is left for the next atom so that the
// operator applies to that character alone.
char *Regexp_scanner::literal_run(int *flags) {
    size_t len = std::strcspn(parse_, kMeta);
    if (len == 0) {
        fail("internal disaster");
        return nullptr;
    }
    if (len > 1 && is_repeat(parse_[len]))
        --len;
    *flags = kHasWidth | (len == 1 ? kSimple : 0);
    char *ret = node(kExactly);
    while (len-- > 0)
        regc(*parse_++);
    regc('\0');
    return ret;
}

char *Regexp_scanner::node(int code) {
    if (emit_ == &dummy_) {
        size_ += kNodeSize;
        return &dummy_;
    }
    char *p = emit_;
    p[0] = static_cast<char>(code);
    p[1] = p[2] = 0;
    emit_ += kNodeSize;
    return p;
}

void Regexp_scanner::regc(int byte) {
    if (emit_ == &dummy_)
        ++size_;
    else
        *emit_++ = static_cast<char>(byte);
}

// Moves the operand up to make room for a node in front of it.
void Regexp_scanner::insert(int code, char *operand_start) {
    if (emit_ == &dummy_) {
        size_ += kNodeSize;
        return;
    }
    std::memmove(operand_start + kNodeSize, operand_start, static_cast<size_t>(emit_ - operand_start));
    emit_ += kNodeSize;
    operand_start[0] = static_cast<char>(code);
    operand_start[1] = operand_start[2] = 0;
}

// Points the last node of the chain starting at p at value.
void Regexp_scanner::tail(char *p, const char *value) {
    if (p == &dummy_)
        return;
    char *scan = p;
    while (char *next = next_node(scan))
        scan = next;
    size_t off = op(scan) == kBack ? static_cast<size_t>(scan - value) : static_cast<size_t>(value - scan);
    scan[1] = static_cast<char>((off >> 8) & 0xFF);
    scan[2] = static_cast<char>(off & 0xFF);
}

// tail() on the operand of a branch node; nothing for other nodes.
void Regexp_scanner::optail(char *p, const char *value) {
    if (!p || p == &dummy_ || op(p) != kBranch)
        return;
    tail(operand(p), value);
}
