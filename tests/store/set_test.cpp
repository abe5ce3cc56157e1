// Bit sets in caller arrays against a plain word model: element e in bit
// (e - 1) % 32 of word (e - 1) / 32, whole-word operations on the bits
// above n too, element operations that read no n and ignore elements
// below 1, and guard words around the set that nothing touches.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <vector>

#include "kt/abi.h"
#include "kt/store.h"

namespace {

constexpr uint32_t kGuard = 0x5A5A5A5A;

using Words = std::vector<uint32_t>; // a guard, the set's words, a guard

uint32_t bit(int32_t e) { return uint32_t{1} << ((e - 1) % 32); }
int32_t *as_set(Words &w) { return reinterpret_cast<int32_t *>(w.data() + 1); }

TEST(Sets, RandomOperationsMatchAWordModel) {
    std::mt19937 rng(31);
    const int32_t garbage_n = -99;
    for (int round = 0; round < 300; ++round) {
        const int32_t n = static_cast<int32_t>(rng() % 140) - 5;
        const size_t w = n > 0 ? static_cast<size_t>(n + 31) / 32 : 0;
        Words sets[3], model[3];
        for (int k = 0; k < 3; ++k) {
            sets[k].push_back(kGuard);
            for (size_t i = 1; i <= w; ++i)
                sets[k].push_back(rng() % 3 ? static_cast<uint32_t>(rng()) : 0);
            sets[k].push_back(kGuard);
            model[k] = sets[k];
        }
        for (int step = 0; step < 40; ++step) {
            const int a = static_cast<int>(rng() % 3), b = static_cast<int>(rng() % 3);
            Words &x = sets[a], &y = sets[b], &mx = model[a], &my = model[b], mask = model[rng() % 3];
            // Elements up to the last bit of the last word; none when there are no words.
            const int32_t e = rng() % 50 == 0 ? INT32_MIN : static_cast<int32_t>(rng() % (32 * w + 36)) - 35;
            switch (rng() % 10) {
            case 0:
                SETN(as_set(x), &n);
                std::fill(mx.begin() + 1, mx.end() - 1, 0);
                break;
            case 1:
                SETC(as_set(x), &n);
                for (size_t i = 1; i <= w; ++i)
                    mx[i] = ~mx[i];
                break;
            case 2:
                SETU(as_set(x), as_set(y), &n);
                for (size_t i = 1; i <= w; ++i)
                    mx[i] |= my[i];
                break;
            case 3:
                SETI(as_set(x), as_set(y), &n);
                for (size_t i = 1; i <= w; ++i)
                    mx[i] &= my[i];
                break;
            case 4:
                SETCP(as_set(y), as_set(x), &n);
                std::copy(my.begin() + 1, my.end() - 1, mx.begin() + 1);
                break;
            case 5:
            case 6:
                SETE(as_set(x), &garbage_n, &e);
                if (e >= 1)
                    mx[static_cast<size_t>(e - 1) / 32 + 1] |= bit(e);
                break;
            case 7:
                SETR(as_set(x), &garbage_n, &e);
                if (e >= 1)
                    mx[static_cast<size_t>(e - 1) / 32 + 1] &= ~bit(e);
                break;
            default: {
                bool empty = true, equal = true, masked = true;
                for (size_t i = 1; i <= w; ++i) {
                    empty = empty && mx[i] == 0;
                    equal = equal && mx[i] == my[i];
                    masked = masked && ((mx[i] ^ my[i]) & mask[i]) == 0;
                }
                EXPECT_EQ(SETISN(as_set(x), &n), empty ? KT_TRUE : KT_FALSE);
                EXPECT_EQ(SETEQ(as_set(x), as_set(y), &n), equal ? 1 : 0);
                EXPECT_EQ(SETEQM(as_set(x), as_set(y), as_set(mask), &n), masked ? 1 : 0);
                const bool member = e >= 1 && (mx[static_cast<size_t>(e - 1) / 32 + 1] & bit(e));
                EXPECT_EQ(SETM(as_set(x), &garbage_n, &e), member ? KT_TRUE : KT_FALSE) << e;
            }
            }
            ASSERT_EQ(x, mx) << "n " << n << " round " << round << " step " << step;
        }
    }
}

} // namespace
