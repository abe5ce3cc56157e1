// The compiled form of a regular expression, shared by its compiler and
// its matcher.
//
// A program is a sequence of nodes: one opcode byte, the offset to the
// next node in two bytes, high byte first (0: no next node; counted
// backwards for a back node), then the operand: a zero-terminated string
// for exactly, any-of and any-but, the nodes of the sub-program for
// branch, star and plus. Programs never exceed kMaxProgram bytes, so every
// offset fits in 16 bits.
#ifndef KT_SRC_PACKAGES_REGEXP_PROGRAM_H
#define KT_SRC_PACKAGES_REGEXP_PROGRAM_H

#include <cstddef>

namespace kt::packages::regexp {

enum Op : int {
    kEnd = 0,
    kBol = 1,
    kEol = 2,
    kAny = 3,
    kAnyOf = 4,
    kAnyBut = 5,
    kBranch = 6,
    kBack = 7,
    kExactly = 8,
    kNothing = 9,
    kStar = 10,
    kPlus = 11,
    kOpen = 20,  // + group number 1-9
    kClose = 30, // + group number 1-9
};

// Flags of a parsed sub-expression.
enum Flags : int {
    kHasWidth = 1,       // cannot match the empty string
    kSimple = 2,         // matches exactly one character
    kStartsWithStar = 4, // begins with a * or ? piece
};

constexpr int kNodeSize = 3;
constexpr size_t kMaxProgram = 0xFFFF;

inline int op(const char *p) { return static_cast<unsigned char>(p[0]); }

inline unsigned offset(const char *p) {
    return static_cast<unsigned>(static_cast<unsigned char>(p[1]) << 8) | static_cast<unsigned char>(p[2]);
}

template <typename Char> Char *operand(Char *p) { return p + kNodeSize; }

template <typename Char> Char *next_node(Char *p) {
    unsigned off = offset(p);
    if (off == 0)
        return nullptr;
    return op(p) == kBack ? p - off : p + off;
}

} // namespace kt::packages::regexp

#endif
