// Regular expressions: the two searches of a machine and the choice
// between them (see regexp_machine.h). Both try the starts in order and
// read the subject through bol..eol, whose end is its terminating zero.
#include <algorithm>
#include <cstring>

#include "regexp_machine.h"

using namespace kt::packages::regexp;

namespace {

size_t g_backtrack_limit = Machine::kPairs;

} // namespace

extern "C" void kt_regexp_backtrack_limit(size_t pairs) { g_backtrack_limit = std::min(pairs, Machine::kPairs); }

bool Machine::run(const char *subject, size_t n, const char **starts, const char **ends) {
    bol = subject;
    eol = subject + n;
    int found = -1;
    if (n < g_backtrack_limit / size)
        found = backtrack();
    if (found < 0)
        found = simulate();
    if (found == 0)
        return false;
    for (uint32_t g = 0; g < slots / 2; ++g) {
        starts[g] = best[2 * g];
        ends[g] = best[2 * g + 1];
    }
    return true;
}

Start Machine::first_start() {
    if (prefix_len == 0)
        return {bol, bol, start};
    scan = bol;
    scanned = 0;
    return next_start({});
}

Start Machine::next_start(const Start &after) {
    if (prefix_len > 0) {
        const char *p = next_prefix();
        return p ? Start{p, p + prefix_len, after_prefix} : Start{};
    }
    if (after.start == eol || !starts_late)
        return {};
    const char *at = after.start + 1;
    if (first >= 0)
        at = static_cast<const char *>(std::memchr(at, first, static_cast<size_t>(eol - at)));
    else
        while (at < eol && !can_start[static_cast<unsigned char>(*at)])
            ++at;
    if (at && at < eol)
        return {at, at, start};
    return empty_at_end ? Start{eol, eol, start} : Start{};
}

// The start of the next occurrence of the prefix, overlapping ones
// included, or null: each character of the subject is looked at once, and
// stretches where no occurrence has begun are skipped to the prefix's first
// character.
const char *Machine::next_prefix() {
    while (scan < eol) {
        if (scanned == 0) {
            scan = static_cast<const char *>(std::memchr(scan, prefix[0], static_cast<size_t>(eol - scan)));
            if (!scan) {
                scan = eol;
                break;
            }
        }
        const char c = *scan++;
        while (scanned > 0 && c != prefix[scanned])
            scanned = border[scanned - 1];
        scanned += c == prefix[scanned];
        if (scanned == prefix_len) {
            scanned = border[scanned - 1];
            return scan - prefix_len;
        }
    }
    return nullptr;
}

// Depth first, in priority order, never twice through the same
// (instruction, position), whatever the start: the first match reached is
// the answer.
int Machine::backtrack() {
    const size_t width = static_cast<size_t>(eol - bol) + 1;
    std::fill(seen, seen + (size * width + 63) / 64, 0);
    for (Start s = first_start(); s.start; s = next_start(s)) {
        std::fill(caps, caps + slots, nullptr);
        caps[0] = s.start;
        uint32_t top = 0;
        todo[top++] = {s.pc, kNoSlot, s.at};
        while (top > 0) {
            const Todo t = todo[--top];
            if (t.slot != kNoSlot) {
                caps[t.slot] = t.at;
                continue;
            }
            uint32_t pc = t.pc;
            const char *at = t.at;
            for (;;) {
                const size_t pair = pc * width + static_cast<size_t>(at - bol);
                if (seen[pair / 64] >> (pair % 64) & 1)
                    break;
                seen[pair / 64] |= uint64_t{1} << (pair % 64);
                const Inst &in = inst[pc];
                if (in.step == Step::kSplit || in.step == Step::kSave) {
                    if (top == kStack)
                        return -1;
                    todo[top++] =
                        in.step == Step::kSplit ? Todo{in.other, kNoSlot, at} : Todo{0, in.byte, caps[in.byte]};
                    if (in.step == Step::kSave)
                        caps[in.byte] = at;
                } else if (in.step == Step::kMatch) {
                    std::copy(caps, caps + slots, best);
                    best[1] = at;
                    return 1;
                } else if (in.step == Step::kBol || in.step == Step::kEol) {
                    if (at != (in.step == Step::kBol ? bol : eol))
                        break;
                } else if (takes(in, static_cast<unsigned char>(*at))) {
                    ++at;
                } else {
                    break;
                }
                pc = in.next;
            }
        }
    }
    return 0;
}

// All threads at once, one subject position after the other.
int Machine::simulate() {
    Threads *now = &lists[0], *then = &lists[1];
    now->size = 0;
    bool matched = false;
    Start next = first_start();
    for (const char *at = bol;; ++at) {
        if (!matched) {
            if (now->size == 0) { // nothing running: on to the next start
                if (!next.start)
                    break;
                at = next.at;
            }
            if (next.start && next.at == at) { // after every earlier start
                std::fill(caps, caps + slots, nullptr);
                caps[0] = next.start;
                add(*now, next.pc, at, caps);
                next = next_start(next);
            }
        } else if (now->size == 0) {
            break;
        }
        then->size = 0;
        const auto c = static_cast<unsigned char>(*at);
        for (uint32_t i = 0; i < now->size; ++i) {
            const Inst &in = inst[now->order[i]];
            const char **bounds = now->caps + static_cast<size_t>(i) * slots;
            if (in.step == Step::kMatch) {
                // Better than any match found so far; the threads after it
                // could only give worse ones.
                std::copy(bounds, bounds + slots, best);
                best[1] = at;
                matched = true;
                break;
            }
            if (takes(in, c))
                add(*then, in.next, at + 1, bounds);
        }
        std::swap(now, then);
        if (at == eol)
            break;
    }
    return matched ? 1 : 0;
}

// Adds the thread at pc, with the group bounds `bounds`, to the list at
// position `at`, and every thread it leads to without consuming, in
// priority order. bounds is changed on the way and restored.
void Machine::add(Threads &list, uint32_t pc, const char *at, const char **bounds) {
    uint32_t top = 0;
    todo[top++] = {pc, kNoSlot, nullptr};
    while (top > 0) {
        const Todo t = todo[--top];
        if (t.slot != kNoSlot) {
            bounds[t.slot] = t.at;
            continue;
        }
        for (uint32_t p = t.pc; !list.has(p);) {
            const uint32_t index = list.put(p);
            const Inst &in = inst[p];
            if (in.step == Step::kSplit) {
                todo[top++] = {in.other, kNoSlot, nullptr};
            } else if (in.step == Step::kSave) {
                todo[top++] = {0, in.byte, bounds[in.byte]};
                bounds[in.byte] = at;
            } else if (in.step == Step::kBol || in.step == Step::kEol) {
                if (at != (in.step == Step::kBol ? bol : eol))
                    break;
            } else {
                std::copy(bounds, bounds + slots, list.caps + static_cast<size_t>(index) * slots);
                break;
            }
            p = in.next;
        }
    }
}
