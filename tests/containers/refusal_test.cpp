// Containers that grow through many requests, with the k-th request refused
// for every k: the refusals that only come after the first block or array
// is full. A refusal must show as null, -1 or the flag, link nothing, and
// give back every byte.
#include <gtest/gtest.h>

#include <string>

#include "container_test_util.h"
#include "kt/containers_hash.h"

namespace {

TEST(Refusals, GrowingContainers) {
    kt_cont_test::for_each_refusal([](PWSRegion &region) {
        Bank bank(24, &region, 5);
        bool ok = bank.nostore() == 0;
        for (int k = 0; k < 60; ++k) {
            if (!bank.get()) {
                ok = false;
                EXPECT_EQ(bank.nostore(), 1);
            }
        }
        Quu_int queue(&region, 0);
        EXPECT_EQ(queue.nostore(), 0) << "no space asked, none refused";
        const int five[] = {1, 2, 3, 4, 5};
        ok &= queue.queue(five, 5) == 5;
        Hash_cString_int strings(&region);
        Hash_Key_int ints(&region);
        StringTable table(&region);
        ok &= StringTable::status == 0;
        int made = 0;
        for (int k = 0; k < 150; ++k) {
            // Every third key is too long for room in its entry: its copy is a request.
            const std::string key = (k % 3 ? "key" : "key_of_a_longer_name_") + std::to_string(k);
            int created = -1;
            if (!strings.create(key.c_str(), created)) {
                ok = false;
                EXPECT_EQ(created, 0);
                EXPECT_EQ(strings.find(key.c_str()), nullptr) << "nothing linked";
            }
            if (ints.create(k * 7 - 500, created)) {
                ++made;
            } else {
                ok = false;
                EXPECT_EQ(ints.find(k * 7 - 500), nullptr);
            }
            if (table.enter(key.c_str()) < 0) {
                ok = false;
                EXPECT_EQ(StringTable::status, 2);
                EXPECT_EQ(table.find(key.c_str()), -1);
            }
        }
        EXPECT_EQ(ints.allocated(), made) << "0 when the table has no bank";
        return ok && strings.nostore() == 0 && ints.nostore() == 0;
    });
}

} // namespace
