// Files by path: times, renaming and removal, with the errors the host
// reports for them, through the c_ and the upper-case entries.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "host/host_test_util.h"
#include "kt/system.h"

namespace {

class Files : public testing::Test {
protected:
    void SetUp() override { kt_host_reset_errors(); }
    std::string path(const std::string &name) const { return dir_.path + "/" + name; }
    static bool exists(const std::string &p) { return access(p.c_str(), F_OK) == 0; }
    // Blank-padded, as a Fortran caller passes it.
    static std::string padded(const std::string &s) { return s + std::string(200 - s.size(), ' '); }
    static int32_t len(const std::string &s) { return static_cast<int32_t>(s.size()); }

    kt_host_test::TempDir dir_{"system_files"};
};

// An absent path or none gives -1 and leaves the outputs alone; neither is
// reported.
TEST_F(Files, Times) {
    const std::string f = path("timed"), p = padded(f), absent = path("absent"), pabsent = padded(absent);
    kt_host_test::spit(f, "x");
    timespec times[2] = {{1000000000, 0}, {1234567890, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, f.c_str(), times, 0), 0);
    struct stat st;
    ASSERT_EQ(stat(f.c_str(), &st), 0);
    const std::vector<int32_t> want{1000000000, 1234567890, static_cast<int32_t>(st.st_ctime)};
    std::vector<int32_t> t(3, 0), u(3, 0), v(3, 7);
    EXPECT_EQ(c_ftimes(f.c_str(), &t[0], &t[1], &t[2]), 0);
    EXPECT_EQ(FTIMES(p.c_str(), &u[0], &u[1], &u[2], len(p)), 0);
    EXPECT_EQ(t, want);
    EXPECT_EQ(u, want);
    EXPECT_EQ(c_ftimes(absent.c_str(), &v[0], &v[1], &v[2]), -1);
    EXPECT_EQ(FTIMES(pabsent.c_str(), &v[0], &v[1], &v[2], len(pabsent)), -1);
    EXPECT_EQ(c_ftimes(nullptr, &v[0], &v[1], &v[2]), -1);
    EXPECT_EQ(v, std::vector<int32_t>(3, 7));
    EXPECT_EQ(kt_host_error_count(), 0);
}

// Each entry renames or removes, and reports a failure as one error with
// its reason; removing what is not there is a quiet non-zero.
TEST_F(Files, RenameAndRemove) {
    const std::string a = path("a"), b = path("b"), d = path("subdir"), pa = padded(a), pb = padded(b), pd = padded(d);
    kt_host_test::spit(a, "x");
    ASSERT_EQ(mkdir(d.c_str(), 0700), 0);
    EXPECT_EQ(c_sfmv(a.c_str(), b.c_str()), 0);
    EXPECT_FALSE(exists(a));
    EXPECT_TRUE(exists(b));
    SFMV(pb.c_str(), pa.c_str(), len(pb), len(pa));
    EXPECT_TRUE(exists(a));
    EXPECT_EQ(c_sfrm(a.c_str()), 0);
    EXPECT_FALSE(exists(a));
    EXPECT_NE(c_sfrm(a.c_str()), 0);
    EXPECT_EQ(c_sfrm(nullptr), -1);
    kt_host_test::spit(a, "x");
    SFRM(pa.c_str(), len(pa));
    EXPECT_FALSE(exists(a));
    ASSERT_EQ(kt_host_error_count(), 0);

    const struct {
        int32_t result, number;
        std::string text;
    } failures[] = {
        {c_sfmv(a.c_str(), b.c_str()), 2013, "sfmv: No such file or directory"},
        {c_sfmv(nullptr, b.c_str()), 2013, "sfmv: Invalid argument"},
        {c_sfmv(b.c_str(), nullptr), 2013, "sfmv: Invalid argument"},
        {c_sfrm(d.c_str()), 2015, d},
        {(SFMV(pa.c_str(), pb.c_str(), len(pa), len(pb)), 1), 2013, "sfmv: No such file or directory"},
        {(SFRM(pd.c_str(), len(pd)), 1), 2015, "Is a directory"},
    };
    ASSERT_EQ(kt_host_error_count(), 6);
    for (int32_t i = 0; i < 6; ++i) {
        EXPECT_NE(failures[i].result, 0) << i;
        EXPECT_EQ(kt_host_error_number(i + 1), failures[i].number) << i;
        EXPECT_NE(std::string(kt_host_error_text(i + 1)).find(failures[i].text), std::string::npos) << i;
    }
    EXPECT_TRUE(exists(d));
}

} // namespace
