// VHDL names: which texts stand unchanged, and how the others are wrapped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "kt/vhdl.h"
#include "packages/heap.h"

namespace {

TEST(VhdlNames, IdentifierTest) {
    struct Case {
        const char *name;
        int flag;
        int usable;
    } cases[] = {
        {"a_b", 0, 1},        {"X1", 0, 1},
        {"Data_Bus_2", 0, 1}, {"1a", 0, 0},
        {"a__b", 0, 0},       {"a_", 0, 0},
        {"_a", 0, 0},         {"", 0, 0},
        {"a-b", 0, 0},        {"a b", 0, 0},
        {"Port", 0, 0},       {"SIGNAL", 1, 0},
        {"elsif", 0, 0},      {"xor", 1, 0},
        {"abs", 0, 0},        {"quantity", 0, 0},
        {"quantity", 1, 1},   {"Tolerance", 0, 0},
        {"across", 7, 1},     {"configurations", 0, 1},
        {"\\my net\\", 0, 1}, {"\\in\\", 0, 1},
        {"\\", 0, 0},         {"\\\\", 0, 0},
        {"\\a", 0, 0},        {"r\xe9sistance", 0, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsVHDLIdentifier(c.name, c.flag), c.usable) << c.name << " flag " << c.flag;
    EXPECT_EQ(IsVHDLIdentifier(nullptr, 0), 0);
}

TEST(VhdlNames, NewNamesAreCopiesOrExtendedIdentifiers) {
    struct Case {
        const char *name;
        int flag;
        const char *result;
    } cases[] = {
        {"net1", 0, "net1"},       {"my-net", 0, "\\my-net\\"}, {"signal", 0, "\\signal\\"}, {"noise", 1, "noise"},
        {"noise", 0, "\\noise\\"}, {"a\\b", 0, "\\a\\\\b\\"},   {"\\x y\\", 0, "\\x y\\"},   {"", 0, "\\\\"},
    };
    for (const Case &c : cases) {
        char *made = VHDLName(c.name, c.flag);
        ASSERT_NE(made, nullptr) << c.name;
        EXPECT_STREQ(made, c.result) << c.name;
        EXPECT_NE(made, c.name);
        std::free(made);
        const char *shared = VHDLNameBuf(c.name, c.flag);
        ASSERT_NE(shared, nullptr);
        EXPECT_STREQ(shared, c.result) << c.name;
    }
}

TEST(VhdlNames, SharedBufferIsReusedAndOnlyForWrappedNames) {
    const char *valid = "clk";
    EXPECT_EQ(VHDLNameBuf(valid, 0), valid);
    const char *first = VHDLNameBuf("a-1", 0);
    const char *second = VHDLNameBuf("b-2", 0);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(second, "\\b-2\\");
}

TEST(VhdlNames, RefusedMemoryGivesNull) {
    // A name longer than any before, so the shared buffer must grow.
    std::string longer(300, 'x');
    longer += "-y";
    const char *kept = VHDLNameBuf("q-q", 0);
    ASSERT_NE(kept, nullptr);
    kt_packages_fail_alloc_after(0, -1);
    char *copy = VHDLName("plain", 0);
    char *wrapped = VHDLName("not plain", 0);
    const char *shared = VHDLNameBuf(longer.c_str(), 0);
    const char *fits = VHDLNameBuf("r-r", 0); // no growth needed
    kt_packages_fail_alloc_after(-1, 0);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(wrapped, nullptr);
    EXPECT_EQ(shared, nullptr);
    ASSERT_NE(fits, nullptr);
    EXPECT_STREQ(fits, "\\r-r\\");
    EXPECT_STREQ(VHDLNameBuf(longer.c_str(), 0), ("\\" + longer + "\\").c_str());
}

} // namespace
