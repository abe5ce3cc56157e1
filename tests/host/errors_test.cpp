// Numbered errors: the line on standard error, the log, texts attached by
// ERI or built by c_ermsg, silenced errors that stay queryable, and errors
// raised while memory is refused. (c_ersys's text: the system tests.)
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "kt/host.h"

namespace {

class Errors : public ::testing::Test {
protected:
    void SetUp() override { kt_host_reset_errors(); }
    void TearDown() override { kt_host_reset_errors(); }
    // What fn writes to standard error, a line still pending included.
    static std::string stderr_of(const std::function<void()> &fn) {
        testing::internal::CaptureStderr();
        fn();
        c_erflsh();
        return testing::internal::GetCapturedStderr();
    }
};

TEST_F(Errors, EachEntryLogsAndPrintsOneLine) {
    const struct {
        const char *what;
        std::function<void(int32_t)> raise; // raises the number it is given
        int32_t number;
        std::string text;
    } cases[] = {
        {"ER", [](int32_t n) { ER(&n); }, 2012, "NO_MEMORY - Memory exhausted - increase swap space!"},
        {"OSTORE", [](int32_t) { OSTORE(); }, 2012, KT_NO_MEMORY_TEXT},
        {"ERC padded", [](int32_t n) { ERC(&n, "line 7 too long      ", 21); }, 2023, "line 7 too long"},
        {"ERC short length", [](int32_t n) { ERC(&n, "abcdef", 3); }, 7003, "abc"},
        {"ERC blank", [](int32_t n) { ERC(&n, "    ", 4); }, 2064, "unanticipated condition"},
        {"ERC no length", [](int32_t n) { ERC(&n, "abc", 0); }, 2064, "unanticipated condition"},
        {"ERC stops at a zero", [](int32_t n) { ERC(&n, "ab\0cd", 5); }, 7003, "ab"},
        {"c_ers", [](int32_t n) { EXPECT_EQ(c_ers(n, "path /x/../y"), -1); }, 7056, "path /x/../y"},
        {"small number", [](int32_t n) { c_ers(n, "x"); }, 42, "x"},
        {"ER misuse", [](int32_t n) { ER(&n); }, 1000, "internal misuse"},
        {"ER internal", [](int32_t n) { ER(&n); }, 1001, "internal error"},
        {"ER read", [](int32_t n) { ER(&n); }, 2004, "cannot open file for reading"},
        {"ER write", [](int32_t n) { ER(&n); }, 2007, "cannot open file for writing"},
        {"ER remove", [](int32_t n) { ER(&n); }, 2069, "cannot remove file"},
        {"ER rename", [](int32_t n) { ER(&n); }, 2013, "cannot rename file"},
        {"c_ers null", [](int32_t n) { c_ers(n, nullptr); }, 2015, "cannot remove file"},
        {"c_erss nulls", [](int32_t n) { c_erss(n, nullptr, nullptr); }, 2023, "line too long"},
        {"c_erss", [](int32_t n) { c_erss(n, "cannot write", "out.lis"); }, 2007, "cannot write out.lis"},
        {"ERSTOR", [](int32_t) { ERSTOR("LSTI    ", 8); }, 2012, std::string(KT_NO_MEMORY_TEXT) + " (LSTI)"},
    };
    // The log keeps every one in order, and the last is the one queried.
    int32_t k = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        char number[8];
        std::snprintf(number, sizeof number, "%04d", c.number);
        EXPECT_EQ(stderr_of([&c] { c.raise(c.number); }), "error " + std::string(number) + ": " + c.text + "\n");
        ASSERT_EQ(kt_host_error_count(), ++k);
        EXPECT_EQ(kt_host_error_number(k), c.number);
        EXPECT_EQ(kt_host_error_text(k), c.text);
        EXPECT_EQ(c_erquer("number"), c.number);
    }
    EXPECT_EQ(kt_host_error_number(1), cases[0].number);
    for (int32_t beyond : {0, -1, k + 1}) {
        EXPECT_EQ(kt_host_error_number(beyond), 0) << beyond;
        EXPECT_STREQ(kt_host_error_text(beyond), "") << beyond;
    }
    kt_host_reset_errors();
    EXPECT_EQ(kt_host_error_count(), 0);
    EXPECT_EQ(kt_host_error_number(1), 0);
}

TEST_F(Errors, EriAppendsToThePendingError) {
    EXPECT_EQ(stderr_of([] {
                  int32_t n = 2064, fmt = 0, v1 = 42, v2 = -7;
                  ERC(&n, "count", 5);
                  ERI(&fmt, &v1);
                  ERI(&fmt, &v2);
              }),
              "error 2064: count 42 -7\n");
    EXPECT_STREQ(kt_host_error_text(1), "count 42 -7");
    // Once the line is out, a late value must not change the logged text.
    int32_t fmt = 0, late = 9;
    ERI(&fmt, &late);
    EXPECT_STREQ(kt_host_error_text(1), "count 42 -7");
}

TEST_F(Errors, FallbackNamesTheActiveRoutinesInnermostFirst) {
    EXPECT_EQ(stderr_of([] { ERFBAK(); }), "") << "no routine active: nothing to name";
    kt_host_push_routine("OUTER");
    kt_host_push_routine("INNER");
    std::string err = stderr_of([] { ERFBAK(); });
    kt_host_pop_routine();
    kt_host_pop_routine();
    EXPECT_EQ(err, "internal error in INNER < OUTER\n");
}

TEST_F(Errors, MessageIsBuiltFromOutputCalls) {
    kt_host_capture_output(1);
    c_oowrit();
    kt_host_clear_output();
    std::string err = stderr_of([] {
        c_ermsg(4711);
        c_ooi(17);
        c_ermore();
        c_oocv("cells left");
        c_erflsh();
        c_oocv("after"); // the message is closed: back to the output line
    });
    c_oowrit();
    std::string text = kt_host_error_text(1);
    ASSERT_GE(text.size(), 13u);
    EXPECT_EQ(text.substr(text.size() - 13), "17 cells left");
    EXPECT_EQ(err, "error 4711: " + text + "\n");
    EXPECT_STREQ(kt_host_output(), "after\n");
    kt_host_clear_output();
    kt_host_capture_output(0);
}

TEST_F(Errors, SilencedErrorIsOnlyQueryableAndUnknownOptionsAreRefused) {
    EXPECT_EQ(c_erseto("silent", 1), 0);
    EXPECT_EQ(stderr_of([] { c_ers(2023, "quiet one"); }), "");
    EXPECT_EQ(kt_host_error_count(), 0);
    EXPECT_EQ(c_erquer("size"), 10); // the text and its line end
    char buf[64];
    EXPECT_EQ(c_ergetb(buf, sizeof buf), 10);
    EXPECT_STREQ(buf, "quiet one\n");
    EXPECT_EQ(c_ergetb(buf, 4), 3);
    EXPECT_STREQ(buf, "qui");
    EXPECT_EQ(c_ergetb(buf, 0), 0);
    // Only the next error is silenced, and the option can be withdrawn.
    EXPECT_EQ(stderr_of([] { c_ers(2024, "loud"); }), "error 2024: loud\n");
    EXPECT_EQ(kt_host_error_count(), 1);
    EXPECT_EQ(c_erseto("silent", 1), 0);
    EXPECT_EQ(c_erseto("silent", 0), 1);
    EXPECT_EQ(stderr_of([] { c_ers(2025, "loud again"); }), "error 2025: loud again\n");
    c_erseto("silent", 1);
    errno = ENOENT;
    EXPECT_EQ(stderr_of([] { EXPECT_EQ(c_ersys(2015, nullptr), -1); }), "");
    EXPECT_EQ(c_erquer("number"), 2015);
    EXPECT_EQ(kt_host_error_count(), 2);
    EXPECT_EQ(c_erquer("COUNT"), 2);
    // Unknown options and bad buffers are refused.
    c_ermore(); // no message is being built: nothing
    EXPECT_EQ(c_erseto("loud", 1), -1);
    EXPECT_EQ(c_erseto(nullptr, 1), -1);
    for (const char *option : {"colour", "", static_cast<const char *>(nullptr)})
        EXPECT_EQ(c_erquer(option), -1) << (option ? option : "null");
    EXPECT_EQ(c_ergetb(nullptr, 8), 0);
}

// Errors raised while memory is refused still print and log, from the room
// kept ahead: each keeps its number, and its text or the start of it.
TEST_F(Errors, UnderRefusalKeepTheirNumbersAndCutTheirTexts) {
    std::vector<std::string> texts;
    for (int i = 0; i < 12; ++i)
        texts.push_back(std::string(300 * static_cast<size_t>(i + 1), static_cast<char>('a' + i)));
    testing::internal::CaptureStderr();
    kt_host_fail_alloc_after(0);
    for (size_t i = 0; i < texts.size(); ++i)
        c_ers(1000 + static_cast<int32_t>(i), texts[i].c_str());
    c_erflsh();
    kt_host_fail_alloc_after(-1);
    const std::string printed = testing::internal::GetCapturedStderr();
    const int32_t count = kt_host_error_count();
    EXPECT_GE(count, 1);
    for (int32_t k = 1; k <= count; ++k) {
        const std::string &full = texts[static_cast<size_t>(k - 1)];
        const std::string kept = kt_host_error_text(k);
        EXPECT_EQ(kt_host_error_number(k), 999 + k);
        EXPECT_EQ(full.compare(0, kept.size(), kept), 0) << k;
        EXPECT_NE(printed.find("error " + std::to_string(999 + k) + ": " + full.substr(0, 10)), std::string::npos) << k;
    }
}

} // namespace
