// Helpers shared by the host tests: scratch files and patterned store blocks.
#ifndef KT_TESTS_HOST_HOST_TEST_UTIL_H
#define KT_TESTS_HOST_HOST_TEST_UTIL_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kt/host.h"

namespace kt_host_test {

// A scratch file name, removed when the test is done with it.
struct TempFile {
    explicit TempFile(const std::string &tag)
        : path(::testing::TempDir() + "kt_host_" + tag + "_" + std::to_string(::getpid())) {
        std::remove(path.c_str());
    }
    ~TempFile() { std::remove(path.c_str()); }
    const char *c_str() const { return path.c_str(); }
    std::string path;
};

// A scratch directory, removed with everything in it when done.
struct TempDir {
    explicit TempDir(const std::string &tag) {
        std::string pattern = ::testing::TempDir() + "kt_host_" + tag + "_XXXXXX";
        path = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::vector<std::string> names() const { // sorted
        std::vector<std::string> out;
        for (const auto &entry : std::filesystem::directory_iterator(path))
            out.push_back(entry.path().filename());
        std::sort(out.begin(), out.end());
        return out;
    }
    std::string path;
};

inline std::string slurp(const std::string &path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}
inline void spit(const std::string &path, const std::string &content) {
    std::ofstream(path, std::ios::binary) << content;
}

inline int32_t alloc(int32_t count, int32_t elsize, int32_t sclass = 0) {
    int32_t index = 0, status = -99;
    EXPECT_EQ(GSTORE(&count, &index, &elsize, &sclass, &status), 0);
    EXPECT_EQ(status, 0);
    EXPECT_NE(index, 0);
    return index;
}

inline void release(int32_t &index, int32_t elsize) {
    int32_t count = 0;
    EXPECT_EQ(FSTORE(&count, &index, &elsize), 0);
    EXPECT_EQ(index, 0);
}

inline unsigned char *bytes_of(int32_t index, int32_t elsize) {
    return static_cast<unsigned char *>(kt_block_ptr(index, elsize));
}
inline int64_t offset_of(int32_t index, int32_t elsize) {
    return static_cast<char *>(kt_block_ptr(index, elsize)) - kt_store_base;
}

// Block contents derived from an id, so that a block overwritten by another shows.
inline unsigned char pattern(int32_t id, int64_t j) { return static_cast<unsigned char>(id * 131 + j * 7 + (j >> 8)); }

inline void fill(int32_t index, int32_t elsize, int64_t count, int32_t id, int64_t from = 0) {
    for (int64_t j = from * elsize; j < count * elsize; ++j)
        bytes_of(index, elsize)[j] = pattern(id, j);
}

inline bool intact(int32_t index, int32_t elsize, int64_t count, int32_t id) {
    for (int64_t j = 0; j < count * elsize; ++j)
        if (bytes_of(index, elsize)[j] != pattern(id, j))
            return false;
    return true;
}

} // namespace kt_host_test

#endif
