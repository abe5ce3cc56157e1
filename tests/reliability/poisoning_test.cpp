// Built with AddressSanitizer only. The word store, regions and item banks
// carve blocks out of memory they hold, where the sanitizer cannot see one
// block end and the next begin; they poison what they have not handed out.
// An access one element past a block, or to a block given back, must be
// reported, while the last element of every block stays usable.
#include <gtest/gtest.h>

#include <functional>

#include "kt/containers.h"
#include "kt/host.h"

namespace {

// An access the compiler must make.
int64_t read_at(const void *p, int32_t bytes) {
    if (bytes == 1)
        return *static_cast<const volatile char *>(p);
    if (bytes == 4)
        return *static_cast<const volatile int32_t *>(p);
    return *static_cast<const volatile int64_t *>(p);
}

// A word-store block of n elements of size s, with its last element read.
char *store_block(int32_t n, int32_t s, int32_t &index) {
    index = 0;
    c_gstore(n, &index, s, 0);
    char *first = static_cast<char *>(kt_block_ptr(index, s));
    if (n > 0)
        read_at(first + int64_t{n - 1} * s, s);
    return first;
}

TEST(Poisoning, OverrunsAndUsesAfterFreeAreReported) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Fault {
        const char *what;
        std::function<void()> run;
    };
    const Fault faults[] = {
        // One element past: inside the block's room, and where the room ends.
        {"store, int cell after 3", [] { int32_t b; read_at(store_block(3, 4, b) + 12, 4); }},
        {"store, int cell after 2", [] { int32_t b; read_at(store_block(2, 4, b) + 8, 4); }},
        {"store, real after 5", [] { int32_t b; read_at(store_block(5, 8, b) + 40, 8); }},
        {"store, character after 7", [] { int32_t b; read_at(store_block(7, 1, b) + 7, 1); }},
        {"store, a block of no elements", [] { int32_t b; read_at(store_block(0, 4, b), 4); }},
        {"store, past a shrunk block",
         [] {
             int32_t b;
             char *p = store_block(10, 4, b);
             c_xstore(4, &b, 4, 10);
             read_at(p + 16, 4);
         }},
        {"store, after FSTORE",
         [] {
             int32_t b;
             char *p = store_block(3, 4, b);
             c_fstore(3, &b, 4);
             read_at(p, 4);
         }},
        {"region, byte after 24",
         [] {
             PWSRegion region;
             KT_Status status;
             read_at(static_cast<char *>(region.AllocMem(24, status)) + 24, 1);
         }},
        {"region, after FreeMem",
         [] {
             PWSRegion region;
             KT_Status status;
             void *p = region.AllocMem(32, status);
             region.FreeMem(p, status);
             read_at(p, 4);
         }},
        {"bank, item after free",
         [] {
             PWSRegion region;
             Bank bank(24, &region, 8);
             void *item = bank.get();
             bank.free(item);
             read_at(item, 4);
         }},
        {"bank, item not yet handed out",
         [] {
             PWSRegion region;
             Bank bank(24, &region, 8);
             read_at(static_cast<char *>(bank.get()) + bank.item_size(), 4);
         }},
    };
    for (const Fault &f : faults)
        EXPECT_DEATH(f.run(), "AddressSanitizer: use-after-poison") << f.what;
}

} // namespace
