// Helpers of the VHDL scanner tests: source files in a temporary folder and
// the scan functions' results gathered into plain strings.
#ifndef KT_TESTS_VHDL_VHDL_SUPPORT_H
#define KT_TESTS_VHDL_VHDL_SUPPORT_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kt/vhdl.h"

namespace kt::test {

inline std::string text_or_dash(const char *s) { return s ? s : "-"; }

// Ports as "name:type:kind:direction:constraint", "-" for a null text.
inline std::vector<std::string> scanned_ports(const char *entity) {
    std::vector<std::string> rows;
    const char *name, *type, *kind, *dir, *constraint = nullptr;
    while (vhdlutil_ScanPorts(entity, &name, &type, &kind, &dir, &constraint))
        rows.push_back(text_or_dash(name) + ":" + text_or_dash(type) + ":" + text_or_dash(kind) + ":" +
                       text_or_dash(dir) + ":" + text_or_dash(constraint));
    return rows;
}

// Generics as "name:type:value".
inline std::vector<std::string> scanned_generics(const char *entity) {
    std::vector<std::string> rows;
    const char *name, *type, *value;
    while (vhdlutil_ScanGenerics(entity, &name, &type, &value))
        rows.push_back(text_or_dash(name) + ":" + text_or_dash(type) + ":" + text_or_dash(value));
    return rows;
}

inline std::vector<std::string> scanned_header(const char *entity) {
    std::vector<std::string> rows;
    while (const char *line = vhdlutil_ScanHeader(entity))
        rows.push_back(line);
    return rows;
}

// Entity names, sorted (the table's order is not the file's).
inline std::vector<std::string> scanned_entities() {
    std::vector<std::string> names;
    while (const char *name = vhdlutil_ScanEntities())
        names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

// Everything the tables hold, one text: each entity (sorted) with its
// context lines, generics and ports.
inline std::string tables_text() {
    std::string all;
    for (const std::string &e : scanned_entities()) {
        all += "entity " + e + "\n";
        for (auto *rows : {&scanned_header, &scanned_generics, &scanned_ports})
            for (const std::string &row : (*rows)(e.c_str()))
                all += "  " + row + "\n";
    }
    return all;
}

// A fresh folder per test for source files; the scanner's tables are
// emptied before and after.
class VhdlFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = ::testing::TempDir() + "kt_vhdl_XXXXXX";
        ASSERT_NE(mkdtemp(dir_.data()), nullptr);
        vhdlutil_FreeAll();
    }
    void TearDown() override {
        vhdlutil_FreeAll();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string write(const std::string &name, const std::string &text) {
        std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // Writes and reads one source file: the reader's result.
    int read(const std::string &text, const std::string &name = "unit.vhd") {
        return vhdlutil_VHDLSrcRead(write(name, text).c_str());
    }

    std::string dir_;
};

} // namespace kt::test

#endif
