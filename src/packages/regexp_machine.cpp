// Regular expressions: building the matcher of a node program (see
// regexp_machine.h). The node program is checked on the way, so that a
// damaged one is refused ("memory corruption", "corrupted pointers",
// "internal foulup") and never followed.
#include "regexp_machine.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "heap.h"
#include "regexp_program.h"

using namespace kt::packages::regexp;

namespace {

bool has_string(int code) { return code == kExactly || code == kAnyOf || code == kAnyBut; }
bool single_character(int code) { return code == kAny || has_string(code); }

// The offset just past node p and its string operand, if any.
size_t after(const char *program, size_t p) {
    const char *node = program + p;
    return p + kNodeSize + (has_string(op(node)) ? std::strlen(operand(node)) + 1 : 0);
}

// Calls visit(p) for every node but the operands of stars and pluses, in
// layout order, until visit returns false; false then.
template <typename Visit> bool each_node(const char *program, size_t size, Visit visit) {
    for (size_t p = 0; p < size; p = after(program, p)) {
        if (!visit(p))
            return false;
        if (op(program + p) == kStar || op(program + p) == kPlus)
            p += kNodeSize;
    }
    return true;
}

// Space for the pieces of one block, each aligned for its type.
struct Layout {
    size_t bytes = 0;
    template <typename T> size_t take(size_t count) {
        bytes = (bytes + alignof(T) - 1) / alignof(T) * alignof(T);
        size_t at = bytes;
        bytes += count * sizeof(T);
        return at;
    }
};

// Fills the instructions of a machine from a program whose layout and
// pointers have been checked.
class Builder {
public:
    Builder(Machine *m, const char *program, size_t nodes) : m_(m), program_(program), nodes_(nodes) {}

    const char *emit() {
        const bool emitted = each_node(program_, m_->size, [this](size_t p) { return emit(p); });
        return emitted && resolve(0, &m_->start) ? nullptr : "corrupted pointers";
    }

private:
    // False when node p leads nowhere or round a cycle of nodes that only
    // pass control on (never in a compiled program).
    bool emit(size_t p) {
        const char *node = program_ + p;
        const int code = op(node);
        Inst &in = m_->inst[p];
        uint32_t exit = 0;
        if (code != kEnd && code != kBranch && !resolve_next(p, &exit))
            return false;
        switch (code) {
        case kEnd:
            in.step = Step::kMatch;
            break;
        case kBol:
        case kEol:
            in.step = code == kBol ? Step::kBol : Step::kEol;
            in.next = exit;
            break;
        case kAny:
        case kAnyOf:
        case kAnyBut:
            consume(in, node, exit);
            break;
        case kExactly:
            literal(static_cast<uint32_t>(p), exit);
            break;
        case kBranch: {
            // No alternative after this one: whoever leads here goes on into it.
            uint32_t alternative = 0;
            if (!next_of(static_cast<uint32_t>(p), &alternative) || op(program_ + alternative) != kBranch)
                break;
            in.step = Step::kSplit;
            return resolve(static_cast<uint32_t>(p + kNodeSize), &in.next) && resolve(alternative, &in.other);
        }
        case kNothing:
        case kBack:
            break;
        case kStar:
        case kPlus: {
            // The operand loops back to a split that prefers another round.
            const uint32_t q = static_cast<uint32_t>(p + kNodeSize);
            const uint32_t loop = code == kStar ? static_cast<uint32_t>(p) : q;
            const uint32_t once = code == kStar ? q : static_cast<uint32_t>(p);
            consume(m_->inst[once], program_ + q, loop);
            m_->inst[loop].step = Step::kSplit;
            m_->inst[loop].next = once;
            m_->inst[loop].other = exit;
            break;
        }
        default: // open or close n: slot 2n or 2n + 1
            in.step = Step::kSave;
            in.byte = static_cast<uint8_t>(code > kClose ? 2 * (code - kClose) + 1 : 2 * (code - kOpen));
            in.next = exit;
            break;
        }
        return true;
    }

    // Where node p's next pointer leads, when it is not 0.
    bool next_of(uint32_t p, uint32_t *to) const {
        const unsigned off = offset(program_ + p);
        if (off == 0)
            return false;
        *to = op(program_ + p) == kBack ? p - off : p + off;
        return true;
    }

    // The instruction that does the work of node p: past nodes that only
    // pass control on. A cycle of those (never in a compiled program) fails.
    bool resolve(uint32_t p, uint32_t *to) const {
        for (size_t hops = 0; hops <= nodes_; ++hops) {
            if (p >= m_->size || !m_->inst[p].node)
                return false;
            const int code = op(program_ + p);
            uint32_t next = 0;
            if (code == kNothing || code == kBack) {
                if (!next_of(p, &next))
                    return false;
                p = next;
            } else if (code == kBranch && (!next_of(p, &next) || op(program_ + next) != kBranch)) {
                p += kNodeSize;
            } else {
                *to = p;
                return true;
            }
        }
        return false;
    }

    bool resolve_next(size_t p, uint32_t *to) const {
        uint32_t next = 0;
        return next_of(static_cast<uint32_t>(p), &next) && resolve(next, to);
    }

    // A single-character node (a literal: its first character) into `in`.
    void consume(Inst &in, const char *node, uint32_t next) {
        in.next = next;
        const int code = op(node);
        if (code == kAny) {
            in.step = Step::kAny;
        } else if (code == kExactly) {
            in.step = Step::kChar;
            in.byte = static_cast<uint8_t>(*operand(node));
        } else {
            in.step = Step::kSet;
            in.other = sets_++;
            uint64_t *set = m_->sets[in.other];
            for (const char *c = operand(node); *c != '\0'; ++c)
                set[static_cast<unsigned char>(*c) >> 6] |= uint64_t{1} << (static_cast<unsigned char>(*c) & 63);
            if (code == kAnyBut)
                for (int w = 0; w < 4; ++w)
                    set[w] = ~set[w];
            set[0] &= ~uint64_t{1}; // the end of the subject is no character
        }
    }

    // A literal at p: one instruction per character, the later ones at the
    // offsets of those characters.
    void literal(uint32_t p, uint32_t exit) {
        const char *text = operand(program_ + p);
        const uint32_t len = static_cast<uint32_t>(std::strlen(text));
        for (uint32_t i = 0; i < len; ++i) {
            Inst &in = m_->inst[i == 0 ? p : p + kNodeSize + i];
            in.step = Step::kChar;
            in.byte = static_cast<uint8_t>(text[i]);
            in.next = i + 1 < len ? p + kNodeSize + i + 1 : exit;
        }
    }

    Machine *m_;
    const char *program_;
    size_t nodes_;
    uint32_t sets_ = 0;
};

// Checks the program's layout: known opcodes, terminated strings, a single
// character after every star and plus. Counts nodes and sets.
const char *check_layout(const char *program, size_t size, int groups, size_t *nodes, size_t *sets) {
    bool repeated = false; // this node is the operand of a star or plus
    for (size_t p = 0; p < size; ++*nodes) {
        if (p + kNodeSize > size)
            return "memory corruption";
        const int code = op(program + p);
        const bool group = (code > kOpen && code < kOpen + groups) || (code > kClose && code < kClose + groups);
        if (code > kPlus && !group)
            return "memory corruption";
        if (repeated && !single_character(code))
            return "internal foulup";
        size_t end = p + kNodeSize;
        if (has_string(code)) {
            const void *zero = std::memchr(program + end, '\0', size - end);
            if (!zero || (code == kExactly && zero == program + end))
                return "memory corruption";
            end = static_cast<size_t>(static_cast<const char *>(zero) - program) + 1;
            *sets += code != kExactly;
        }
        repeated = code == kStar || code == kPlus;
        p = end;
    }
    return repeated ? "internal foulup" : nullptr;
}

} // namespace

Machine *Machine::build(const char *program, size_t size, int groups, const char **error) {
    size_t nodes = 0, set_count = 0;
    if ((*error = check_layout(program, size, groups, &nodes, &set_count)) != nullptr)
        return nullptr;

    const size_t slots = 2 * static_cast<size_t>(groups);
    Layout layout;
    const size_t at_machine = layout.take<Machine>(1);
    const size_t at_caps = layout.take<const char *>(2 * size * slots);
    const size_t at_caps_best = layout.take<const char *>(2 * slots);
    const size_t at_todo = layout.take<Todo>(std::max(size + 1, kStack));
    const size_t at_seen = layout.take<uint64_t>(kPairs / 64);
    const size_t at_sets = layout.take<uint64_t[4]>(set_count);
    const size_t at_inst = layout.take<Inst>(size);
    const size_t at_index = layout.take<uint32_t>(5 * size);
    auto *block = static_cast<char *>(kt::packages::allocate_cleared(1, layout.bytes));
    if (!block) {
        *error = "out of memory";
        return nullptr;
    }
    auto *m = new (block + at_machine) Machine();
    m->size = static_cast<uint32_t>(size);
    m->slots = static_cast<uint32_t>(slots);
    m->inst = reinterpret_cast<Inst *>(block + at_inst);
    m->sets = reinterpret_cast<uint64_t(*)[4]>(block + at_sets);
    m->todo = reinterpret_cast<Todo *>(block + at_todo);
    m->seen = reinterpret_cast<uint64_t *>(block + at_seen);
    m->caps = reinterpret_cast<const char **>(block + at_caps_best);
    m->best = m->caps + slots;
    auto *index = reinterpret_cast<uint32_t *>(block + at_index);
    m->border = index + 4 * size;
    for (int l = 0; l < 2; ++l) {
        m->lists[l].where = index + (2 * l) * size;
        m->lists[l].order = index + (2 * l + 1) * size;
        m->lists[l].caps = reinterpret_cast<const char **>(block + at_caps) + l * size * slots;
    }

    // Nodes are where pointers may lead; a star's or plus's operand is not.
    each_node(program, size, [m](size_t p) { return m->inst[p].node = true; });
    const bool linked = each_node(program, size, [m, program, size](size_t p) {
        const size_t off = offset(program + p);
        const size_t to = op(program + p) == kBack ? p - off : p + off; // wraps when off > p
        return off == 0 || (to < size && m->inst[to].node);
    });
    *error = linked ? Builder(m, program, nodes).emit() : "corrupted pointers";
    if (*error) {
        destroy(m);
        return nullptr;
    }
    m->find_starts(program);
    return m;
}

void Machine::destroy(Machine *m) { kt::packages::release(m); }

// Which characters can begin a match away from the subject's start, and
// whether one can begin at its end: the instructions reachable from the
// first one without consuming, "^" failing, "$" failing or not.
void Machine::find_starts(const char *program) {
    Threads &reached = lists[0];
    for (bool at_end : {false, true}) {
        bool matches = false;
        reached.size = 0;
        uint32_t top = 0;
        todo[top++].pc = start;
        while (top > 0) {
            for (uint32_t pc = todo[--top].pc; !reached.has(pc);) {
                reached.put(pc);
                const Inst &in = inst[pc];
                if (in.step == Step::kSplit)
                    todo[top++].pc = in.other;
                else if (in.step == Step::kBol || (in.step == Step::kEol && !at_end))
                    break;
                if (in.step == Step::kSplit || in.step == Step::kSave || in.step == Step::kEol) {
                    pc = in.next;
                    continue;
                }
                matches |= in.step == Step::kMatch;
                if (at_end)
                    break;
                for (int c = 1; c < 256; ++c)
                    can_start[c] |= in.step == Step::kAny || (in.step == Step::kChar && c == in.byte) ||
                                    (in.step == Step::kSet && (sets[in.other][c >> 6] >> (c & 63) & 1));
                break;
            }
        }
        if (at_end)
            empty_at_end = matches;
        else if (matches) // an empty match anywhere: it is found at the first position anyway
            std::fill(can_start + 1, can_start + 256, true);
    }
    const auto starters = std::count(can_start, can_start + 256, true);
    starts_late = starters > 0 || empty_at_end;
    first = -1;
    if (starters == 1)
        first = static_cast<int>(std::find(can_start, can_start + 256, true) - can_start);
    // A literal first: the whole of it starts every match, and nothing but
    // the start leads into it.
    const size_t len = op(program + start) == kExactly ? std::strlen(operand(program + start)) : 0;
    if (len < 2)
        return;
    prefix = operand(program + start);
    prefix_len = static_cast<uint32_t>(len);
    after_prefix = inst[start + kNodeSize + len - 1].next;
    border[0] = 0;
    for (uint32_t k = 1, b = 0; k < prefix_len; ++k) {
        while (b > 0 && prefix[k] != prefix[b])
            b = border[b - 1];
        b += prefix[k] == prefix[b];
        border[k] = b;
    }
}
