// Line input: whole lines with their line ends, long lines in pieces, and
// nested input files that resume where they were left.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <random>
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

// Random files read with random capacities against a plain reference: each
// line, the last given its line end, comes in pieces of at most the capacity.
TEST(Input, LongLinesComeInPieces) {
    std::mt19937 rng(8);
    for (int i = 0; i < 300; ++i) {
        std::string content(rng() % 12, 'a');
        for (char &c : content)
            c = "ab\n"[rng() % 3];
        const int32_t capacity = 1 + static_cast<int32_t>(rng() % 5);
        std::vector<std::string> expected, got;
        for (size_t at = 0, end; at < content.size(); at = end + 1) {
            end = std::min(content.find('\n', at), content.size());
            const std::string line = content.substr(at, end - at) + "\n";
            for (size_t k = 0; k < line.size(); k += static_cast<size_t>(capacity))
                expected.push_back(line.substr(k, static_cast<size_t>(capacity)));
        }
        TempFile f("pieces");
        spit(f.path, content);
        ASSERT_GE(open_input(f.path), 1);
        while (auto piece = next_line(capacity))
            got.push_back(*piece);
        IIOLDF();
        ASSERT_EQ(got, expected) << '"' << content << "\" capacity " << capacity;
    }
}

} // namespace
