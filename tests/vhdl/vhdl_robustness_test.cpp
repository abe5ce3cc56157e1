// Real-world VHDL and VHDL-AMS sources of public projects, read in place
// when the shared test data is present (KT_VHDL_TESTDATA may point
// elsewhere): no crash, no leak, and every entity a file declares is either
// listed or the read reports an error.
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "vhdl_support.h"

namespace fs = std::filesystem;

namespace {

std::string lower(std::string s) {
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Names of the entity declarations outside comments: "entity NAME is" at
// the start of a line.
std::vector<std::string> declared_entities(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    static const std::regex decl(R"(^[ \t]*entity[ \t]+([A-Za-z][A-Za-z0-9_]*)[ \t\r\n]+is\b)",
                                 std::regex::icase | std::regex::multiline);
    std::vector<std::string> names;
    std::string s = text.str();
    for (std::sregex_iterator it(s.begin(), s.end(), decl), end; it != end; ++it)
        names.push_back(lower((*it)[1].str()));
    return names;
}

class VhdlRealWorld : public kt::test::VhdlFiles {};

TEST_F(VhdlRealWorld, EveryFileReadsOrSaysWhy) {
    const char *env = std::getenv("KT_VHDL_TESTDATA");
    const std::string dir = env && *env ? env : KT_VHDL_TESTDATA;
    if (!fs::is_directory(dir))
        GTEST_SKIP() << "no test data at " << dir;
    std::vector<std::string> paths;
    for (const auto &entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            paths.push_back(entry.path().string());
    ASSERT_FALSE(paths.empty());
    for (const std::string &path : paths) {
        vhdlutil_FreeAll();
        int ok = vhdlutil_VHDLSrcRead(path.c_str());
        kt::test::tables_text(); // every table walked to its end
        std::vector<std::string> listed;
        for (const std::string &name : kt::test::scanned_entities())
            listed.push_back(lower(name));
        if (!ok) {
            EXPECT_NE(vhdlutil_GetError(), nullptr) << path;
            continue;
        }
        for (const std::string &name : declared_entities(path))
            EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end()) << name << " in " << path;
    }
    // All files into one set of tables, as a user reads a design.
    vhdlutil_FreeAll();
    for (const std::string &path : paths)
        vhdlutil_VHDLSrcRead(path.c_str());
    testing::internal::CaptureStdout();
    vhdlutil_PrintAll();
    EXPECT_FALSE(testing::internal::GetCapturedStdout().empty());
}

} // namespace
