// Built with AddressSanitizer only. The word store, regions and item banks
// carve blocks out of memory they hold, where the sanitizer cannot see one
// block end and the next begin, so they poison what they have not handed
// out: an access one element past a block, or to a block given back, must
// be reported. (That the last element of every block stays usable, the
// whole suite shows under the sanitizer.)
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "kt/containers.h"
#include "kt/host.h"

namespace {

// Reads one T at p, as the compiler must.
template <class T> void touch(const void *p) { (void)*static_cast<const volatile T *>(p); }

// The first byte of a new word-store block of n elements of size s.
char *block(int32_t n, int32_t s, int32_t &index) {
    index = 0;
    c_gstore(n, &index, s, 0);
    return static_cast<char *>(kt_block_ptr(index, s));
}

TEST(Poisoning, OverrunsAndUsesAfterFreeAreReported) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    int32_t b = 0;
    PWSRegion region;
    KT_Status status;
    const std::pair<const char *, std::function<void()>> accesses[] = {
        {"an int past 3, inside the room", [&] { touch<int32_t>(block(3, 4, b) + 12); }},
        {"an int past 2, where the room ends", [&] { touch<int32_t>(block(2, 4, b) + 8); }},
        {"a real past 5", [&] { touch<double>(block(5, 8, b) + 40); }},
        {"a character past 7", [&] { touch<char>(block(7, 1, b) + 7); }},
        {"a block of no elements", [&] { touch<int32_t>(block(0, 4, b)); }},
        {"past a block cut from 10 to 4",
         [&] {
             char *p = block(10, 4, b);
             c_xstore(4, &b, 4, 10);
             touch<int32_t>(p + 16);
         }},
        {"a block after FSTORE",
         [&] {
             char *p = block(3, 4, b);
             c_fstore(3, &b, 4);
             touch<int32_t>(p);
         }},
        {"a byte past a region block", [&] { touch<char>(static_cast<char *>(region.AllocMem(24, status)) + 24); }},
        {"a region block after FreeMem",
         [&] {
             void *p = region.AllocMem(32, status);
             region.FreeMem(p, status);
             touch<int32_t>(p);
         }},
        {"a bank item after free",
         [&] {
             Bank bank(24, &region, 8);
             void *item = bank.get();
             bank.free(item);
             touch<int32_t>(item);
         }},
        {"a bank item not yet handed out",
         [&] {
             Bank bank(24, &region, 8);
             touch<int32_t>(static_cast<char *>(bank.get()) + bank.item_size());
         }},
    };
    for (const auto &[what, access] : accesses)
        EXPECT_DEATH(access(), "use-after-poison") << what;
}

} // namespace
