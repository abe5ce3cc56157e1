// Line input: whole lines with their line ends, long lines in pieces, and
// nested input files that resume where they were left.
#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "host/host_test_util.h"

using namespace kt_host_test;

namespace {

// Next line (or piece) of the current input; nothing at the end.
std::optional<std::string> next_line(int32_t capacity = 256) {
    std::vector<char> buf(static_cast<size_t>(capacity) + 8, '#');
    int32_t length = -5;
    int32_t rc = IIGETL(buf.data(), &capacity, &length, capacity);
    EXPECT_EQ(buf[static_cast<size_t>(capacity)], '#') << "wrote past the capacity";
    EXPECT_TRUE(rc == -1 ? length == 0 : rc == 0 && length >= 1 && length <= capacity) << rc << " " << length;
    return rc == -1 ? std::nullopt : std::optional(std::string(buf.data(), static_cast<size_t>(length)));
}

int32_t open_input(const std::string &path) {
    std::string padded = path + "   ";
    return IINEWS(padded.c_str(), static_cast<int32_t>(padded.size()));
}

TEST(Input, LinesKeepTheirEndsAndNestedFilesResume) {
    TempFile outer("outer"), inner("inner");
    spit(outer.path, "a1\n\n  a3 \nlast");
    spit(inner.path, "b1\nb2\n");
    int32_t u1 = open_input(outer.path);
    ASSERT_GE(u1, 1);
    EXPECT_EQ(next_line(), "a1\n");
    int32_t u2 = open_input(inner.path);
    ASSERT_GE(u2, 1);
    EXPECT_NE(u1, u2);
    EXPECT_EQ(next_line(), "b1\n");
    IIOLDF();
    EXPECT_EQ(next_line(), "\n");
    // Read to its end, the inner file does not run on into the outer one.
    ASSERT_GE(open_input(inner.path), 1);
    EXPECT_EQ(next_line(), "b1\n");
    EXPECT_EQ(next_line(), "b2\n");
    EXPECT_EQ(next_line(), std::nullopt);
    IIOLDF();
    // What cannot be opened leaves the current input alone.
    EXPECT_LT(open_input(outer.path + ".missing"), 0);
    EXPECT_EQ(kt_host_input_error(), ENOENT);
    EXPECT_LT(open_input(::testing::TempDir()), 0) << "a directory opens but cannot be read";
    EXPECT_EQ(kt_host_input_error(), EISDIR);
    EXPECT_LT(IINEWS("    ", 4), 0);
    EXPECT_EQ(next_line(), "  a3 \n");
    EXPECT_EQ(next_line(), "last\n") << "the last line gets its line end";
    EXPECT_EQ(next_line(), std::nullopt);
    EXPECT_EQ(next_line(), std::nullopt);
    IIOLDF();
    IIOLDF(); // nothing open: harmless
    EXPECT_EQ(next_line(), std::nullopt) << "no input at all";
}

TEST(Input, LongLinesComeInPieces) {
    const struct {
        const char *content;
        int32_t capacity;
        std::vector<std::string> pieces;
    } cases[] = {
        {"abcdefghij\nxy\n", 4, {"abcd", "efgh", "ij\n", "xy\n"}},
        {"abcd\n", 4, {"abcd", "\n"}},
        {"abc", 4, {"abc\n"}},
        {"abcd", 4, {"abcd", "\n"}},
        {"ab", 1, {"a", "b", "\n"}},
        {"\n\n", 1, {"\n", "\n"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.content << "\" capacity " << c.capacity);
        TempFile f("pieces");
        spit(f.path, c.content);
        ASSERT_GE(open_input(f.path), 1);
        std::vector<std::string> got;
        while (auto piece = next_line(c.capacity))
            got.push_back(*piece);
        IIOLDF();
        EXPECT_EQ(got, c.pieces);
    }
}

} // namespace
