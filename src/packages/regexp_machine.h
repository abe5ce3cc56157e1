// The matcher of a compiled regular expression: the node program turned
// into instructions, and two searches over them that both find exactly
// what the backtracking run of the program would, in O(program x subject)
// time.
//
// Instructions are indexed by program offset: a node's instruction sits at
// the node's offset, and a literal of n characters also uses the offsets
// of its 2nd..nth characters inside its operand. Nodes that only pass
// control on (nothing, back, a branch with no alternative after it) get no
// instruction; whoever leads to them leads past them.
//
// Both searches rest on one fact: without back-references, whether the
// rest of the program matches from an instruction at a subject position
// does not depend on how that pair was reached. So the first (highest-
// priority) arrival at a pair decides, and a later one, from the same start
// or a later start, can only repeat its failure or lose to its success.
// - The backtracking search walks the program depth-first in priority
//   order with an explicit stack and skips every pair it has seen, for all
//   start positions together; the first match it reaches is the answer.
//   Its bitmap of pairs has a fixed size, so it serves small searches.
// - The simulation keeps a list of threads (an instruction and the group
//   bounds met on the way) in priority order, each instruction at most
//   once per position, and steps them all over the subject; a new start
//   joins at the lowest priority. A thread reaching the end records a match
//   and drops the threads below it; those above it may still replace it.
//   Its memory depends on the program only.
// A match can start only where the machine's first characters (or its
// literal prefix) occur; both searches skip the rest.
#ifndef KT_SRC_PACKAGES_REGEXP_MACHINE_H
#define KT_SRC_PACKAGES_REGEXP_MACHINE_H

#include <cstddef>
#include <cstdint>

#include "kt/abi.h"

// Searches of at most `pairs` (instruction, position) pairs backtrack, the
// others simulate (clamped to the bitmap's size; the default is that size).
// Exported for tests, which compare the two; declared only here.
extern "C" KT_API void kt_regexp_backtrack_limit(size_t pairs);

namespace kt::packages::regexp {

enum class Step : uint8_t {
    kNone,  // no instruction at this offset
    kChar,  // the character `byte`
    kSet,   // a character of set `other`
    kAny,   // any character
    kBol,   // at the start of the subject
    kEol,   // at the end of the subject
    kSplit, // `next` first, then `other`
    kSave,  // records the position in slot `byte`
    kMatch, // the match ends here
};

// All zero in a new machine (whose storage comes cleared).
struct Inst {
    Step step;
    uint8_t byte;
    bool node;      // a node starts at this offset
    uint32_t next;  // the instruction after this one
    uint32_t other; // see Step
};

// The instructions and threads that are in a list, in priority order; a
// thread that consumes a character or ends the match owns `slots` group
// bounds at caps + index * slots.
struct Threads {
    uint32_t *where; // per instruction: its index in `order` when it is there
    uint32_t *order;
    const char **caps;
    uint32_t size;

    bool has(uint32_t pc) const { return where[pc] < size && order[where[pc]] == pc; }
    uint32_t put(uint32_t pc) {
        where[pc] = size;
        order[size] = pc;
        return size++;
    }
};

constexpr uint32_t kNoSlot = UINT32_MAX;

// Pending work: go on at instruction pc and position at, or (slot !=
// kNoSlot) put `at` back into that group bound.
struct Todo {
    uint32_t pc;
    uint32_t slot;
    const char *at;
};

// Where a match may start: at `start`, going on at instruction pc and
// position at (past the literal prefix, when there is one); null start: no
// more starts.
struct Start {
    const char *start;
    const char *at;
    uint32_t pc;
};

struct Machine {
    // Pairs of the backtracking search's bitmap, entries of its stack.
    static constexpr size_t kPairs = 1 << 15, kStack = 1 << 11;

    // Builds the machine of a program of `size` bytes with `groups` groups
    // (match 0 included); null with *error set when the program is damaged
    // or memory is short.
    static Machine *build(const char *program, size_t size, int groups, const char **error);
    static void destroy(Machine *m);

    // Searches the subject of n characters; on success fills starts and ends
    // (groups that took no part stay null).
    bool run(const char *subject, size_t n, const char **starts, const char **ends);

    Inst *inst;
    uint64_t (*sets)[4];
    uint32_t size;       // instructions, one per program offset
    uint32_t slots;      // two per group
    uint32_t start;      // the first instruction
    bool can_start[256]; // first characters of a match not at the subject's start
    bool empty_at_end;   // a match can start at the end of the subject
    bool starts_late;    // a match can start past the subject's start
    int first;           // the only character in can_start, or -1
    // A literal of two or more characters that every match starts with
    // (else prefix_len is 0), its borders (border[k]: the longest proper
    // prefix of prefix[0..k] that also ends it) and the instruction after it.
    const char *prefix;
    uint32_t prefix_len;
    uint32_t *border;
    uint32_t after_prefix;

    // Working storage of a search.
    Threads lists[2];
    Todo *todo;        // size + 1 entries for the simulation, kStack for backtracking
    uint64_t *seen;    // kPairs bits
    const char **caps; // the group bounds of the thread at hand
    const char **best; // those of the best match so far
    const char *bol;
    const char *eol;
    const char *scan; // where the search for the prefix goes on
    uint32_t scanned; // characters of the prefix just before scan

    void find_starts(const char *program);
    Start first_start();
    Start next_start(const Start &after);
    const char *next_prefix();
    // Whether `in` consumes character c (0: the subject's end, never taken).
    bool takes(const Inst &in, unsigned char c) const {
        switch (in.step) {
        case Step::kChar:
            return c == in.byte;
        case Step::kAny:
            return c != 0;
        case Step::kSet:
            return sets[in.other][c / 64] >> (c % 64) & 1;
        default:
            return false;
        }
    }
    // Each returns 1 for a match (in best), 0 for none, -1 when the
    // backtracking stack ran out.
    int backtrack();
    int simulate();
    void add(Threads &list, uint32_t pc, const char *at, const char **bounds);
};

} // namespace kt::packages::regexp

#endif
