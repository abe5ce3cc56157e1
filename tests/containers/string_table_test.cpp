// The string table's refusals of ids it does not hold. Dense ids and the
// reuse of released ids (last released first) against a model are the
// containers fuzz target's, replayed over its corpus.
#include <gtest/gtest.h>

#include <string>

#include "container_test_util.h"
#include "kt/containers_hash.h"

namespace {

TEST(StringTable, InvalidIdsOnlySetStatusOne) {
    StringTable table(nullptr);
    EXPECT_EQ(table.enter("x"), 0);
    EXPECT_EQ(table.id_limit(), 1);
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

} // namespace
