// A read prefetch that the compiler keeps.
//
// GCC drops __builtin_prefetch from a loop that does nothing else, since a
// prefetch has no effect it must preserve; the loops that ask for a batch of
// scattered cells ahead of their use are exactly such loops. An asm
// statement marked volatile stays where it is written.
#ifndef KT_SRC_COMMON_PREFETCH_H
#define KT_SRC_COMMON_PREFETCH_H

namespace kt {

// Asks for the cache line holding p. A prefetch never faults, so p may
// point anywhere.
inline void prefetch(const void *p) {
#if defined(__x86_64__) || defined(__i386__)
    asm volatile("prefetcht0 (%0)" : : "r"(p));
#elif defined(__aarch64__)
    asm volatile("prfm pldl1keep, [%0]" : : "r"(p));
#else
    __builtin_prefetch(p);
#endif
}

} // namespace kt

#endif
