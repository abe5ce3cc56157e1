// The string table against a model: dense ids, reuse of released ids (last
// released first) and the shared status word.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "container_test_util.h"
#include "kt/containers_hash.h"

namespace {

TEST(StringTable, InvalidIdsOnlySetStatusOne) {
    StringTable table(nullptr);
    table.enter("x");
    for (int id : {-1, 1, 100}) {
        StringTable::status = 0;
        table.free(id);
        EXPECT_EQ(StringTable::status, 1) << id;
    }
    table.free(0);
    EXPECT_EQ(StringTable::status, 0);
    table.free(0);
    EXPECT_EQ(StringTable::status, 1) << "released twice";
    EXPECT_EQ(table.enter(nullptr), -1);
    EXPECT_EQ(StringTable::status, 1);
    EXPECT_EQ(table.find(nullptr), -1);
    EXPECT_EQ(table.string_of(-3), nullptr);
}

// Random enters, finds and releases against a map and a stack of free ids.
TEST(StringTable, RandomTrafficAgainstAModel) {
    std::mt19937 rng(31);
    PWSRegion region;
    {
        StringTable table(&region);
        std::map<std::string, int> ids;
        std::vector<std::string> by_id;
        std::vector<int> free_ids;
        for (int step = 0; step < 20000; ++step) {
            std::string s = "s" + std::to_string(rng() % 700);
            int op = static_cast<int>(rng() % 5);
            if (op < 3) {
                int want;
                if (ids.count(s)) {
                    want = ids[s];
                } else if (!free_ids.empty()) {
                    want = free_ids.back();
                    free_ids.pop_back();
                } else {
                    want = static_cast<int>(by_id.size());
                    by_id.emplace_back();
                }
                ASSERT_EQ(table.enter(s.c_str()), want);
                ASSERT_EQ(StringTable::status, 0);
                ids[s] = want;
                by_id[static_cast<size_t>(want)] = s;
            } else if (op == 3) {
                ASSERT_EQ(table.find(s.c_str()), ids.count(s) ? ids[s] : -1);
                ASSERT_EQ(StringTable::status, ids.count(s) ? 0 : 1);
            } else if (!by_id.empty()) {
                int id = static_cast<int>(rng() % by_id.size());
                table.free(id);
                bool live = !by_id[static_cast<size_t>(id)].empty();
                ASSERT_EQ(StringTable::status, live ? 0 : 1);
                if (live) {
                    ids.erase(by_id[static_cast<size_t>(id)]);
                    by_id[static_cast<size_t>(id)].clear();
                    free_ids.push_back(id);
                }
            }
        }
        EXPECT_EQ(table.id_limit(), static_cast<int>(by_id.size()));
        for (size_t id = 0; id < by_id.size(); ++id) {
            const char *s = table.string_of(static_cast<int>(id));
            EXPECT_EQ(s ? std::string(s) : std::string(), by_id[id]);
        }
    }
    EXPECT_EQ(region.bytes_in_use(), 0);
}

} // namespace
