// VHDL names: which words are reserved. What passes unchanged, how the
// others are wrapped and what a refusing heap gives are checked by the
// vhdl_names fuzz target's replay.
#include <gtest/gtest.h>

#include "kt/vhdl.h"

namespace {

TEST(VhdlNames, ReservedWordsInAnyCase) {
    const struct {
        const char *name;
        int flag, usable;
    } cases[] = {
        {"Port", 0, 0},   {"SIGNAL", 1, 0},         {"elsif", 0, 0},    {"xor", 1, 0},
        {"abs", 0, 0},    {"quantity", 0, 0},       {"quantity", 1, 1}, {"Tolerance", 0, 0},
        {"across", 7, 1}, {"configurations", 0, 1}, {"\\in\\", 0, 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsVHDLIdentifier(c.name, c.flag), c.usable) << c.name << " flag " << c.flag;
}

} // namespace
