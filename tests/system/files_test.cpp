// Files by path: times, renaming and removal, with the errors the host
// reports for them, through the c_ and the upper-case entries.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "host/host_test_util.h"
#include "kt/system.h"

namespace {

class Files : public testing::Test {
protected:
    void SetUp() override { kt_host_reset_errors(); }
    std::string path(const std::string &name) const { return dir_.path + "/" + name; }
    static void touch(const std::string &p) { kt_host_test::spit(p, "x"); }
    static bool exists(const std::string &p) { return access(p.c_str(), F_OK) == 0; }
    // Blank-padded to `len`, as a Fortran caller passes it.
    static std::string padded(const std::string &s, size_t len = 200) { return s + std::string(len - s.size(), ' '); }

    kt_host_test::TempDir dir_{"system_files"};
};

TEST_F(Files, Times) {
    std::string f = path("timed");
    touch(f);
    timespec times[2] = {{1000000000, 0}, {1234567890, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, f.c_str(), times, 0), 0);
    struct stat st;
    ASSERT_EQ(stat(f.c_str(), &st), 0);
    int32_t a = 0, m = 0, c = 0;
    EXPECT_EQ(c_ftimes(f.c_str(), &a, &m, &c), 0);
    EXPECT_EQ(a, 1000000000);
    EXPECT_EQ(m, 1234567890);
    EXPECT_EQ(c, static_cast<int32_t>(st.st_ctime));

    std::string p = padded(f);
    a = m = c = 0;
    EXPECT_EQ(FTIMES(p.c_str(), &a, &m, &c, static_cast<int32_t>(p.size())), 0);
    EXPECT_EQ(m, 1234567890);

    a = m = c = 7;
    EXPECT_EQ(c_ftimes(path("absent").c_str(), &a, &m, &c), -1);
    EXPECT_EQ(a + m + c, 21); // outputs unchanged
    p = padded(path("absent"));
    EXPECT_EQ(FTIMES(p.c_str(), &a, &m, &c, static_cast<int32_t>(p.size())), -1);
    EXPECT_EQ(kt_host_error_count(), 0);
}

TEST_F(Files, MissingPathsAreRefused) {
    int32_t a = 7, m = 7, c = 7;
    EXPECT_EQ(c_ftimes(nullptr, &a, &m, &c), -1);
    EXPECT_EQ(c_sfrm(nullptr), -1);
    EXPECT_EQ(kt_host_error_count(), 0);
    std::string to = path("b");
    EXPECT_NE(c_sfmv(nullptr, to.c_str()), 0);
    EXPECT_NE(c_sfmv(to.c_str(), nullptr), 0);
    ASSERT_EQ(kt_host_error_count(), 2);
    EXPECT_STREQ(kt_host_error_text(2), "sfmv: Invalid argument");
}

TEST_F(Files, Rename) {
    std::string from = path("a"), to = path("b");
    touch(from);
    EXPECT_EQ(c_sfmv(from.c_str(), to.c_str()), 0);
    EXPECT_FALSE(exists(from));
    EXPECT_TRUE(exists(to));
    std::string pf = padded(to), pt = padded(from);
    SFMV(pf.c_str(), pt.c_str(), static_cast<int32_t>(pf.size()), static_cast<int32_t>(pt.size()));
    EXPECT_TRUE(exists(from));
    EXPECT_EQ(kt_host_error_count(), 0);

    EXPECT_NE(c_sfmv(path("absent").c_str(), to.c_str()), 0);
    ASSERT_EQ(kt_host_error_count(), 1);
    EXPECT_EQ(kt_host_error_number(1), 2013);
    EXPECT_STREQ(kt_host_error_text(1), "sfmv: No such file or directory");
    pf = padded(path("absent"));
    SFMV(pf.c_str(), pt.c_str(), static_cast<int32_t>(pf.size()), static_cast<int32_t>(pt.size()));
    EXPECT_EQ(kt_host_error_count(), 2);
}

TEST_F(Files, Remove) {
    std::string f = path("doomed");
    touch(f);
    EXPECT_EQ(c_sfrm(f.c_str()), 0);
    EXPECT_FALSE(exists(f));
    // Absent: the host's access answer, and nothing reported.
    EXPECT_NE(c_sfrm(f.c_str()), 0);
    EXPECT_EQ(kt_host_error_count(), 0);

    touch(f);
    std::string p = padded(f);
    SFRM(p.c_str(), static_cast<int32_t>(p.size()));
    EXPECT_FALSE(exists(f));

    // A directory cannot be unlinked: error 2015 names the path and the reason.
    std::string d = path("subdir");
    ASSERT_EQ(mkdir(d.c_str(), 0700), 0);
    EXPECT_NE(c_sfrm(d.c_str()), 0);
    ASSERT_EQ(kt_host_error_count(), 1);
    EXPECT_EQ(kt_host_error_number(1), 2015);
    std::string text = kt_host_error_text(1);
    EXPECT_NE(text.find(d), std::string::npos) << text;
    EXPECT_NE(text.find("Is a directory"), std::string::npos) << text;
    EXPECT_TRUE(exists(d));
    p = padded(d);
    SFRM(p.c_str(), static_cast<int32_t>(p.size()));
    EXPECT_EQ(kt_host_error_count(), 2);
}

} // namespace
