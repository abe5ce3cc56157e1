// Result file identifiers and object names, built within their room.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "kt/names.h"

namespace {

// A code naming no kind, or no room for the parts, gives kind 0; no dot at
// all gives class 0, whatever the first characters say.
TEST(FileIdTest, ClassesPartsAndKinds) {
    const struct {
        const char *text;
        int32_t cls, s1, e1, s2, e2, kind;
    } cases[] = {{"run/out.p1", 3, 1, 3, 5, 7, 2},
                 {"run/out.WF", 3, 1, 3, 5, 7, 1},
                 {"run/out.e3", 3, 1, 3, 5, 7, 0},
                 {"run/out.p2", 3, 1, 3, 5, 7, 3},
                 {"x/run/out.r1", 3, 3, 5, 7, 9, 12},
                 {"./name.p1", 3, 0, 0, 0, 0, 0},
                 {"run/out.p1x", 3, 0, 0, 0, 0, 0},
                 {"abcd/.p1", 3, 0, 0, 0, 0, 0},
                 {"run/out.d2.bak", 2, 5, 7, 12, 14, 6},
                 {"run/out.wf.bak", 2, 5, 7, 12, 14, 1},
                 {"run/o.wf.zz", 2, 5, 5, 10, 11, 1},
                 {".x.p1.bak", 2, 0, 0, 0, 0, 0},
                 {"run/a.b.p1.bak", 2, 0, 0, 0, 0, 0},
                 {"run/out.bak.e1", 1, 5, 7, 9, 11, 8},
                 {"run/out.bak.kt_pl", 1, 5, 7, 9, 11, 2},
                 {"run/out.bak.WF", 1, 5, 7, 9, 11, 1},
                 {"a/b.x.i2", 1, 3, 3, 5, 5, 11},
                 {"run/a.b.i3.kt_pl", 1, 5, 5, 7, 7, 0},
                 {"run/a.b.r3.kt_pl", 1, 5, 5, 7, 7, 0},
                 {"run/a.b.x1.kt_pl", 1, 5, 5, 7, 7, 0},
                 {"run/a.b.c.kt_pl", 1, 5, 5, 7, 7, 0},
                 {"out.p2", 1, 0, 0, 0, 0, 0},
                 {"run/out.txt", 0, 0, 0, 0, 0, 0},
                 {"dir.d1/name", 0, 0, 0, 0, 0, 0},
                 {"run/out.p", 0, 0, 0, 0, 0, 0},
                 {"run/out.p4", 0, 0, 0, 0, 0, 0},
                 {"run/out.p0", 0, 0, 0, 0, 0, 0},
                 {"run/out.wx", 0, 0, 0, 0, 0, 0},
                 {"", 0, 0, 0, 0, 0, 0},
                 {"p1x", 0, 0, 0, 0, 0, 0},
                 {"kt_pl", 0, 0, 0, 0, 0, 0},
                 {"wf", 0, 0, 0, 0, 0, 0}};
    for (const auto &c : cases) {
        int32_t n = static_cast<int32_t>(std::strlen(c.text)), p[5] = {9, 9, 9, 9, 9};
        EXPECT_EQ(FIDFMT(c.text, &n, n), c.cls) << c.text;
        const std::vector<int32_t> expected{c.s1, c.e1, c.s2, c.e2, c.kind};
        EXPECT_EQ(PRSFID(c.text, &n, &p[0], &p[1], &p[2], &p[3], &p[4], n), c.kind) << c.text;
        EXPECT_EQ(std::vector<int32_t>(p, p + 5), expected) << c.text;
        std::fill(p, p + 5, 9);
        EXPECT_EQ(c_prsfid(c.text, n, &p[0], &p[1], &p[2], &p[3], &p[4]), c.kind) << c.text;
        EXPECT_EQ(std::vector<int32_t>(p, p + 5), expected) << c.text;
    }
}

TEST(FileIdTest, RelativeIdentifiersStayInTheirRoom) {
    const struct {
        const char *ref, *name;
        int32_t declared, result;
        const char *after;
    } cases[] = {
        {"dir/out.bak.e1", "new.bak.e1", 16, 14, "dir/new.bak.e1"},
        {"dir/out.bak.e1", "new.bak.e1", 14, 14, "dir/new.bak.e1"},
        {"dir/out.bak.e1", "new.bak.e1", 13, 0, "new.bak.e1"},
        {"dir/out.d2.bak", "new.d2.bak", 14, 14, "dir/new.d2.bak"},
        {"dir/out.bak.e1", "z/new.bak.e1", 20, 0, "z/new.bak.e1"},
        {"x/a/b.p1", "c/d.p1", 10, 8, "x/c/d.p1"},
        {"x/a/b.p1", "/c/d.p1", 10, 0, "/c/d.p1"},
        {"a/b.p1", "c/d.p1", 10, 6, "c/d.p1"},
        {"notes.txt", "c/d.p1", 10, 6, "c/d.p1"},
    };
    for (const auto &c : cases) {
        std::string buf(32, '#');
        std::string name = c.name;
        name.resize(static_cast<size_t>(c.declared), ' ');
        buf.replace(0, name.size(), name);
        int32_t rn = static_cast<int32_t>(std::strlen(c.ref)), capacity = 30, out = -1;
        EXPECT_EQ(MKRFID(c.ref, &rn, buf.data(), &capacity, &out, rn, c.declared), c.result) << c.ref << " " << c.name;
        EXPECT_EQ(out, c.result);
        std::string expected = std::string(c.after);
        expected.resize(static_cast<size_t>(c.declared), ' ');
        EXPECT_EQ(buf, expected + std::string(32 - expected.size(), '#')) << c.ref << " " << c.name;
    }
    char c_name[10] = "c/d.p1";
    int32_t out = 0;
    EXPECT_EQ(c_mkrfid("x/a/b.p1", 8, c_name, 8, &out), 0); // no room left for the zero
    EXPECT_EQ(c_mkrfid("x/a/b.p1", 8, c_name, 9, &out), 8);
    EXPECT_STREQ(c_name, "x/c/d.p1");
}

TEST(ObjectNameTest, Parts) {
    const struct {
        const char *text;
        int32_t qs, qe, bs, be, es, ee;
    } cases[] = {
        {"\"q\"x.y", 2, 2, 4, 4, 6, 6}, {"a.b.c", 1, 0, 1, 3, 5, 5}, {"pin", 1, 0, 1, 0, 1, 3},
        {"\"a.b\"c", 2, 4, 1, 0, 6, 6}, {"\"q", 2, 2, 1, 0, 3, 2},   {"", 1, 0, 1, 0, 1, 0},
    };
    for (const auto &c : cases) {
        int32_t n = static_cast<int32_t>(std::strlen(c.text)), p[6];
        PARSON(c.text, &n, &p[0], &p[1], &p[2], &p[3], &p[4], &p[5], n);
        const std::vector<int32_t> expected{c.qs, c.qe, c.bs, c.be, c.es, c.ee};
        EXPECT_EQ((std::vector<int32_t>(p, p + 6)), expected) << c.text;
        c_parson(c.text, n, &p[0], &p[1], &p[2], &p[3], &p[4], &p[5]);
        EXPECT_EQ((std::vector<int32_t>(p, p + 6)), expected) << c.text;
    }
    int32_t p[6];
    c_parson("a.b", -1, &p[0], &p[1], &p[2], &p[3], &p[4], &p[5]); // a negative count reads nothing
    EXPECT_EQ((std::vector<int32_t>(p, p + 6)), (std::vector<int32_t>{1, 0, 1, 0, 1, 0}));
}

TEST(ObjectNameTest, NamesWithDefaultInstanceWithinTheOutput) {
    const struct {
        const char *name;
        int32_t declared;
        const char *out;
    } cases[] = {
        {"pin", 10, "inst.pin  "}, {"a.pin", 10, "a.pin     "},
        {"_", 4, "_   "},          {"\"q\"x", 10, "\"q\"inst.x "},
        {"pin", 5, "inst."},       {"pin", 0, ""},
        {"x", 4, "inst"},
    };
    for (const auto &c : cases) {
        std::string buf(16, '#');
        int32_t n = static_cast<int32_t>(std::strlen(c.name)), dn = 4;
        MAKONM(c.name, &n, "inst", &dn, buf.data(), n, dn, c.declared);
        EXPECT_EQ(buf, std::string(c.out) + std::string(16 - std::strlen(c.out), '#')) << c.name;
    }
    char out[] = "          ";
    c_makonm("pin", 3, "u", 1, out);
    EXPECT_STREQ(out, "u.pin     ");
}

} // namespace
