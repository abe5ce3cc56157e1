// VHDL names: which words are reserved, and a wrapped name that fits the
// shared buffer while the heap refuses. What passes unchanged and how
// the others are wrapped is checked by the vhdl_names fuzz target's replay.
#include <gtest/gtest.h>

#include <string>

#include "kt/vhdl.h"
#include "packages/heap.h"

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

TEST(VhdlNames, SharedBufferServesWhatFitsWhileRefusing) {
    const std::string longer = std::string(300, 'x') + "-y";
    ASSERT_NE(VHDLNameBuf("q-q", 0), nullptr);
    kt_packages_fail_alloc_after(0, -1);
    const char *shared = VHDLNameBuf(longer.c_str(), 0); // must grow: refused
    const char *fits = VHDLNameBuf("r-r", 0);
    kt_packages_fail_alloc_after(-1, 0);
    EXPECT_EQ(shared, nullptr);
    ASSERT_NE(fits, nullptr);
    EXPECT_STREQ(fits, "\\r-r\\");
    EXPECT_STREQ(VHDLNameBuf(longer.c_str(), 0), ("\\" + longer + "\\").c_str());
}

} // namespace
