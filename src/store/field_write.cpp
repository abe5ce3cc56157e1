// Printing a field table (CFO) and writing it as a field file (CFW).
//
// Mode 1 puts the name and the first value on one line and every later
// value on a line of its own at column w (1 + the longest name of a field
// with values); each value but the last is followed by " \". A value is
// escaped so that the reader gives it back: line ends as \n, a blank or
// tab at either end as \s or \t, backslashes and commas doubled with a
// backslash, an empty value as ",".
//
// What CFW adds so that CFR reads every table back value for value: a value
// that begins its own line and starts with "#" gets "\#" (else it reads as
// a comment), a field with no values is written as its name alone, and a
// table with a line longer than the reader's buffer is not written at all.
#include <string>
#include <string_view>

#include "../common/abi.h"
#include "field_record.h"
#include "kt/fields.h"

using namespace kt::store;

namespace {

// The reader's line buffer holds 1024 characters, the line end included.
constexpr size_t kLongestLine = 1023;

// Appends the escaped form of v; `hash` escapes a leading "#".
void escape(std::string_view v, bool hash, std::string &out) {
    out.clear();
    size_t n = v.size(), run = 0;
    for (size_t i = 0; i < n; ++i) {
        char c = v[i];
        const char *code = nullptr;
        switch (c) {
        case '\n': code = "\\n"; break;
        case '\\': code = "\\\\"; break;
        case ',': code = "\\,"; break;
        case ' ': code = i == 0 || i + 1 == n ? "\\s" : nullptr; break;
        case '\t': code = i == 0 || i + 1 == n ? "\\t" : nullptr; break;
        case '#': code = i == 0 && hash ? "\\#" : nullptr; break;
        default: break;
        }
        if (!code)
            continue;
        out.append(v.data() + run, i - run);
        out.append(code, 2);
        run = i + 1;
    }
    out.append(v.data() + run, n - run);
    if (out.empty())
        out = ",";
}

int32_t length_of(const std::string &s) { return static_cast<int32_t>(s.size()); }

int32_t column_width(int32_t t) {
    int32_t w = 0;
    for (int32_t k = 1; k <= field_count(t); ++k)
        if (value_count(t, k) > 0 && kt_icell(field_name(t, k) + 2) > w)
            w = kt_icell(field_name(t, k) + 2);
    return w + 1;
}

// Prints the table; `whole` (the file form) also writes fields without
// values, as their name alone.
void print(int32_t t, int32_t mode, bool whole) {
    if (t == 0)
        return;
    int32_t w = column_width(t);
    std::string text;
    for (int32_t k = 1; k <= field_count(t); ++k) {
        int32_t m = value_count(t, k);
        if (m == 0 && !whole)
            continue;
        std::string_view name = string_view_of(field_name(t, k));
        int32_t name_len = static_cast<int32_t>(name.size());
        OOCA(name.data(), &name_len, name_len);
        for (int32_t j = 1; j <= m; ++j) {
            if (mode == 1 || j == 1)
                OOTAB(&w);
            escape(string_view_of(value_cell(t, k, j)), mode == 1 && j > 1, text);
            int32_t len = length_of(text);
            OOCA(text.data(), &len, len);
            if (mode == 1) {
                if (j < m)
                    OOCS(" \\", 2);
                OOWRIT();
            } else if (mode == 2 && j < m) {
                OOCS(",", 1);
            }
        }
        OOCS(" ", 1);
        OOWRIT();
    }
}

// Whether every line of the file form fits the reader's buffer. Most values
// are short enough that even their escaped form cannot be too long.
bool fits_reader(int32_t t) {
    if (t == 0)
        return true;
    size_t w = static_cast<size_t>(column_width(t));
    std::string text;
    for (int32_t k = 1; k <= field_count(t); ++k) {
        int32_t m = value_count(t, k);
        if (m == 0 && string_view_of(field_name(t, k)).size() + 1 > kLongestLine)
            return false;
        for (int32_t j = 1; j <= m; ++j) {
            std::string_view v = string_view_of(value_cell(t, k, j));
            size_t tail = j < m ? 2 : 0;
            if (w + 2 * v.size() + 2 + tail <= kLongestLine)
                continue;
            escape(v, j > 1, text);
            if (w + text.size() + tail > kLongestLine)
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" {

void CFO(const int32_t *table, const int32_t *mode) { print(*table, *mode, false); }

int32_t CFW(const int32_t *table, const char *file, int32_t *status, int32_t file_len) {
    *status = 1;
    if (!fits_reader(*table)) {
        const int32_t too_long = 2023, format = 0, capacity = static_cast<int32_t>(kLongestLine) + 1;
        ERC(&too_long, "cfw", 3);
        ERI(&format, &capacity);
        return 1;
    }
    int32_t unit = OOOPEN(file, file_len);
    if (unit < 0) {
        const int32_t cannot_open = 2007;
        ERC(&cannot_open, file, file_len);
        return 1;
    }
    if (OOPUSH(&unit) != unit) {
        const int32_t internal = 1001;
        ERC(&internal, "cfw: cannot push", 16);
    } else {
        print(*table, 1, true);
        OOPOP();
        *status = 0;
    }
    OOCLOS(&unit);
    return *status;
}

void c_cfo(int32_t table, int32_t mode) { CFO(&table, &mode); }
int32_t c_cfw(int32_t table, const char *file, int32_t *status) {
    return CFW(&table, c_text(file), status, c_length(file));
}

} // extern "C"

KT_FORTRAN_ALIAS(CFO, cfo_)
KT_FORTRAN_ALIAS(CFW, cfw_)
