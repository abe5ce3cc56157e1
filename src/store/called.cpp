// CALLED: prints the names of the active routines, innermost first, to
// standard output and to the journal (unit 1).
#include <string>
#include <vector>

#include "common/fortran_alias.h"
#include "kt/host.h"
#include "kt/store.h"

namespace {

constexpr int32_t kMaxNames = 20, kNameLen = 8, kFirstLine = 8, kPerLine = 7;

// Up to 8 names on the first line, 7 after an 8-blank indent on the rest,
// each name after one blank.
std::vector<std::string> format_names(const std::vector<std::string> &names) {
    std::vector<std::string> lines;
    size_t i = 0;
    do {
        std::string line = lines.empty() ? "" : std::string(kNameLen, ' ');
        size_t per = lines.empty() ? kFirstLine : kPerLine;
        for (size_t k = 0; k < per && i < names.size(); ++k, ++i)
            line += ' ' + names[i];
        lines.push_back(line);
    } while (i < names.size());
    return lines;
}

} // namespace

extern "C" void CALLED(const int32_t *n) {
    int32_t m = *n < kMaxNames ? *n : kMaxNames;
    std::vector<std::string> names;
    for (int32_t level = 1; level <= m; ++level) {
        char name[kNameLen];
        CALNAM(&level, name, kNameLen);
        names.emplace_back(name, kNameLen);
    }
    std::vector<std::string> lines = format_names(names);
    for (int32_t unit : {6, 1})
        for (const std::string &line : lines)
            kt_host_write_record(unit, line.data(), static_cast<int32_t>(line.size()));
}

KT_FORTRAN_ALIAS(CALLED, called_);
