// Printing a field table (CFO) and writing it as a field file (CFW).
//
// Mode 1 puts the name and the first value on one line and every later
// value on a line of its own at column w (1 + the longest name of a field
// with values); each value but the last is followed by " \". A value is
// escaped so that the reader gives it back: line ends as \n, a blank or
// tab at either end as \s or \t, a carriage return at its end with a
// backslash (the reader takes a bare one there for part of a CRLF line
// end), backslashes and commas doubled with a backslash, an empty value
// as ",".
//
// What CFW adds so that CFR reads every table back value for value: a value
// that begins its own line and starts with "#" gets "\#" (else it reads as
// a comment), a field with no values is written as its name alone (a name
// ending in a backslash followed by " \" and the blank line), and a
// table with a line longer than the reader's buffer is not written at all.
// CFW lays the lines out as CFO does but writes them in large blocks to a
// file that replaces the old one only once it is whole (field_replace.h):
// a caller's unfinished output line stays out of the file, and a failed
// write is reported and leaves the old file as it was.
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/fortran_alias.h"
#include "common/fortran_text.h"
#include "host/host_calls.h"
#include "field_record.h"
#include "field_replace.h"
#include "kt/fields.h"

using namespace kt::store;

namespace {

// The reader's line buffer holds 1024 characters, the line end included.
constexpr size_t kLongestLine = 1023;
// CFW hands the file to its unit in blocks of about this many bytes.
constexpr size_t kBlockBytes = 1 << 16;

// Writes the escaped form of v at out, which has room for 2 * size + 1
// characters; returns the end. `hash` escapes a leading "#".
char *escape(std::string_view v, bool hash, char *out) {
    size_t n = v.size();
    if (n == 0) {
        *out++ = ',';
        return out;
    }
    for (size_t i = 0; i < n; ++i) {
        char c = v[i];
        char code = 0;
        switch (c) {
        case '\n':
            code = 'n';
            break;
        case '\\':
            code = '\\';
            break;
        case ',':
            code = ',';
            break;
        case ' ':
            code = i == 0 || i + 1 == n ? 's' : 0;
            break;
        case '\t':
            code = i == 0 || i + 1 == n ? 't' : 0;
            break;
        case '\r':
            code = i + 1 == n ? '\r' : 0;
            break;
        case '#':
            code = i == 0 && hash ? '#' : 0;
            break;
        default:
            break;
        }
        if (code) {
            *out++ = '\\';
            c = code;
        }
        *out++ = c;
    }
    return out;
}

int32_t column_width(int32_t t) {
    int32_t w = 0;
    for (int32_t k = 1; k <= field_count(t); ++k)
        if (value_count(t, k) > 0 && kt_icell(field_name(t, k) + 2) > w)
            w = kt_icell(field_name(t, k) + 2);
    return w + 1;
}

// Lines onto the host's current output.
class HostLines {
public:
    void text(std::string_view s) { put(s); }
    void value(std::string_view v, bool hash) {
        scratch_.resize(2 * v.size() + 1);
        char *end = escape(v, hash, scratch_.data());
        put({scratch_.data(), static_cast<size_t>(end - scratch_.data())});
    }
    void tab(int32_t w) { OOTAB(&w); }
    void end_line() { OOWRIT(); }

private:
    static void put(std::string_view s) {
        int32_t n = static_cast<int32_t>(s.size());
        OOCA(s.data(), &n, n);
    }
    std::string scratch_;
};

// Lines gathered into blocks and written to the file, so that a large
// table costs a few writes rather than one per line. Every line fits the
// reader's buffer (checked before), so a block flushed at a line end once
// it holds kBlockBytes never overflows.
class FileBlocks {
public:
    explicit FileBlocks(ReplacementFile &file) : file_(file), buf_(kBlockBytes + 2 * (kLongestLine + 1)) {
        line_ = end_ = buf_.data();
    }
    void text(std::string_view s) {
        s.copy(end_, s.size());
        end_ += s.size();
    }
    void value(std::string_view v, bool hash) { end_ = escape(v, hash, end_); }
    void tab(int32_t w) {
        ptrdiff_t pad = w - (end_ - line_);
        if (pad > 0) {
            std::memset(end_, ' ', static_cast<size_t>(pad));
            end_ += pad;
        }
    }
    void end_line() {
        *end_++ = '\n';
        line_ = end_;
        if (static_cast<size_t>(end_ - buf_.data()) >= kBlockBytes)
            flush();
    }
    // Writes the rest and puts the file in place: false with errno when
    // any step failed.
    bool finish() {
        flush();
        return file_.commit();
    }

private:
    void flush() {
        file_.write(buf_.data(), static_cast<size_t>(end_ - buf_.data()));
        line_ = end_ = buf_.data();
    }
    ReplacementFile &file_;
    std::vector<char> buf_;
    char *line_, *end_;
};

// Lays the table out; `whole` (the file form) also writes fields without
// values, as their name alone.
template <typename Lines> void lay_out(int32_t t, int32_t w, int32_t mode, bool whole, Lines &out) {
    for (int32_t k = 1; k <= field_count(t); ++k) {
        int32_t m = value_count(t, k);
        if (m == 0 && !whole)
            continue;
        std::string_view name = string_view_of(field_name(t, k));
        out.text(name);
        // A name alone that ends in a backslash would read as continued:
        // continue it on purpose, and let the blank line end the record.
        if (m == 0 && !name.empty() && name.back() == '\\') {
            out.text(" \\");
            out.end_line();
        }
        for (int32_t j = 1; j <= m; ++j) {
            if (mode == 1 || j == 1)
                out.tab(w);
            out.value(string_view_of(value_cell(t, k, j)), mode == 1 && j > 1);
            if (mode == 1) {
                if (j < m)
                    out.text(" \\");
                out.end_line();
            } else if (mode == 2 && j < m) {
                out.text(",");
            }
        }
        out.text(" ");
        out.end_line();
    }
}

// Whether every line of the file form fits the reader's buffer. Most values
// are short enough that even their escaped form cannot be too long.
bool fits_reader(int32_t t, int32_t width) {
    size_t w = static_cast<size_t>(width);
    std::vector<char> text;
    for (int32_t k = 1; k <= field_count(t); ++k) {
        int32_t m = value_count(t, k);
        if (m == 0 && string_view_of(field_name(t, k)).size() + 2 > kLongestLine)
            return false;
        for (int32_t j = 1; j <= m; ++j) {
            std::string_view v = string_view_of(value_cell(t, k, j));
            size_t tail = j < m ? 2 : 0;
            if (w + 2 * v.size() + 1 + tail <= kLongestLine)
                continue;
            text.resize(2 * v.size() + 1);
            if (w + static_cast<size_t>(escape(v, j > 1, text.data()) - text.data()) + tail > kLongestLine)
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" {

void CFO(const int32_t *table, const int32_t *mode) {
    if (*table == 0)
        return;
    HostLines out;
    lay_out(*table, column_width(*table), *mode, false, out);
}

int32_t CFW(const int32_t *table, const char *file, int32_t *status, int32_t file_len) {
    *status = 1;
    int32_t t = *table, w = t ? column_width(t) : 1;
    if (t && !fits_reader(t, w)) {
        kt::raise(2023, "cfw");
        kt::raise_more(static_cast<int32_t>(kLongestLine) + 1);
        return 1;
    }
    const std::string path = kt::fortran_cstr(file, file_len);
    ReplacementFile target;
    if (path.empty() || !target.open(path)) {
        kt::raise(2007, path);
        return 1;
    }
    FileBlocks out(target);
    if (t)
        lay_out(t, w, 1, true, out);
    if (!out.finish()) {
        c_ersys(2064, ("cfw: " + path).c_str());
        return 1;
    }
    *status = 0;
    return 0;
}

void c_cfo(int32_t table, int32_t mode) { CFO(&table, &mode); }
int32_t c_cfw(int32_t table, const char *file, int32_t *status) {
    return CFW(&table, c_text(file), status, terminated_length(file));
}

} // extern "C"

KT_FORTRAN_ALIAS(CFO, cfo_);
KT_FORTRAN_ALIAS(CFW, cfw_);
