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
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/fortran_alias.h"
#include "common/fortran_text.h"
#include "common/prefetch.h"
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

// The escape code of a character anywhere in a value (0: none).
constexpr char inside_code(char c) { return c == '\n' ? 'n' : c == '\\' ? '\\' : c == ',' ? ',' : 0; }

// The escape codes of a character inside a value, at its start (where a
// blank or tab is also escaped) and at its end (also a carriage return,
// which the reader would take for part of a CRLF line end). A leading "#"
// is escaped only when asked for, by its own test.
struct EscapeCodes {
    char inside[256] = {}, first[256] = {}, last[256] = {};
    constexpr EscapeCodes() {
        for (int c = 0; c < 256; ++c) {
            const char ch = static_cast<char>(c);
            const char end = ch == ' ' ? 's' : ch == '\t' ? 't' : inside_code(ch);
            inside[c] = inside_code(ch);
            first[c] = end;
            last[c] = ch == '\r' ? '\r' : end;
        }
    }
};
constexpr EscapeCodes kCodes;

inline char *put_escaped(char *out, char c, char code) {
    if (code) {
        *out++ = '\\';
        c = code;
    }
    *out++ = c;
    return out;
}

// Writes the escaped form of v at out, which has room for 2 * size + 1
// characters; returns the end. `hash` escapes a leading "#".
char *escape(std::string_view v, bool hash, char *out) {
    const size_t n = v.size();
    if (n == 0) {
        *out++ = ',';
        return out;
    }
    const auto c0 = static_cast<unsigned char>(v[0]);
    const char code0 = hash && c0 == '#' ? '#' : n == 1 ? kCodes.last[c0] : kCodes.first[c0];
    out = put_escaped(out, v[0], code0);
    if (n == 1)
        return out;
    for (size_t i = 1; i + 1 < n; ++i)
        out = put_escaped(out, v[i], kCodes.inside[static_cast<unsigned char>(v[i])]);
    return put_escaped(out, v[n - 1], kCodes.last[static_cast<unsigned char>(v[n - 1])]);
}

// A table's cells read through one base address held in a register. The
// text being written may alias any cell, so the store's base would be read
// again after every character stored; the table does not change while it
// is laid out.
class TableCells {
public:
    // Table 0 reads as a table without fields.
    explicit TableCells(int32_t t)
        : base_(kt_store_base), records_(t ? cells(field_records(t) + 1) : nullptr), fields_(t ? field_count(t) : 0) {}
    int32_t fields() const { return fields_; }
    int32_t name(int32_t k) const { return records_[3 * k - 3]; }
    int32_t count(int32_t k) const { return records_[3 * k - 2]; }
    // The string indices of field k's values, value j at [j - 1].
    const int32_t *values(int32_t k) const { return cells(records_[3 * k - 1] + 1); }
    const int32_t *header(int32_t s) const { return cells(s + 1); }
    const char *chars(const int32_t *header) const { return base_ + header[0]; }
    // A string's text as a plain pair, which an array holds without clearing.
    struct Text {
        const char *chars;
        size_t length;
        std::string_view view() const { return {chars, length}; }
    };
    Text text(int32_t s) const {
        const int32_t *h = header(s);
        return {chars(h), static_cast<size_t>(h[1])};
    }

private:
    const int32_t *cells(int32_t i) const { return reinterpret_cast<const int32_t *>(base_ + 4 * int64_t{i} - 4); }
    const char *base_;
    const int32_t *records_;
    int32_t fields_;
};

int32_t column_width(const TableCells &table) {
    constexpr int32_t kAhead = 8; // name headers asked for ahead of their reading
    const int32_t n = table.fields();
    size_t w = 0;
    for (int32_t k = 1; k <= n; ++k) {
        if (k + kAhead <= n)
            kt::prefetch(table.header(table.name(k + kAhead)));
        if (table.count(k) > 0)
            w = std::max(w, table.text(table.name(k)).length);
    }
    return static_cast<int32_t>(w) + 1;
}

// Lines onto the host's current output.
class HostLines {
public:
    static bool ok() { return true; }
    void text(std::string_view s) { put(s); }
    void value(std::string_view v, bool hash) {
        scratch_.resize(2 * v.size() + 1);
        char *end = escape(v, hash, scratch_.data());
        put({scratch_.data(), static_cast<size_t>(end - scratch_.data())});
    }
    void tab(int32_t w) { OOTAB(&w); }
    void end_line() { OOWRIT(); }
    void value_line(int32_t w, std::string_view v, bool hash, bool continued) {
        tab(w);
        value(v, hash);
        if (continued)
            text(" \\");
        end_line();
    }

private:
    static void put(std::string_view s) {
        int32_t n = static_cast<int32_t>(s.size());
        OOCA(s.data(), &n, n);
    }
    std::string scratch_;
};

// Asks for what laying out later fields reads before it is read, since a
// table's strings lie scattered over the store: the characters of field
// k + 2's values, the string headers of field k + 4's and the value cells
// of field k + 8. Each asks only for what an earlier call asked for, so no
// read here waits on memory. Only the first kAhead values of a field are
// asked for, so that a field of thousands costs no second walk.
void prefetch_fields(const TableCells &table, int32_t k) {
    constexpr int32_t kAhead = 16;
    const int32_t n = table.fields();
    if (k + 8 <= n)
        kt::prefetch(table.values(k + 8));
    if (k + 4 <= n) {
        const int32_t m = std::min(table.count(k + 4), kAhead);
        const int32_t *cells = table.values(k + 4);
        for (int32_t j = 0; j < m; ++j)
            kt::prefetch(table.header(cells[j]));
    }
    if (k + 2 <= n) {
        const int32_t m = std::min(table.count(k + 2), kAhead);
        const int32_t *cells = table.values(k + 2);
        for (int32_t j = 0; j < m; ++j)
            kt::prefetch(table.chars(table.header(cells[j])));
    }
}

// Lines gathered into blocks and written to the file, so that a large
// table costs a few writes rather than one per line. A line longer than
// the reader's buffer is noted and goes no further than the buffer's slack;
// the writing stops there. Without a file the lines are only measured.
class FileBlocks {
public:
    explicit FileBlocks(ReplacementFile *file) : file_(file), buf_(kBlockBytes + kSlack) {
        end_ = buf_.data();
        full_ = end_ + kBlockBytes;
    }
    bool ok() const { return !too_long_; }
    void text(std::string_view s) {
        if (!room(s.size()))
            return;
        s.copy(end_, s.size());
        advance(s.size());
    }
    // An escaped value is at least as long as the value and at most twice
    // as long, plus one.
    void value(std::string_view v, bool hash) {
        if (room(v.size()))
            advance(static_cast<size_t>(escape(v, hash, end_) - end_));
    }
    void tab(int32_t w) {
        if (w <= column_)
            return;
        size_t n = static_cast<size_t>(w - column_);
        if (!room(n))
            return;
        pad(end_, n);
        advance(n);
    }
    // A whole line of the one-value-a-line form: padding to column w, the
    // value escaped, " \" when the field goes on, and the line end.
    void value_line(int32_t w, std::string_view v, bool hash, bool continued) {
        const size_t start = static_cast<size_t>(std::max(w, column_)), tail = continued ? 2 : 0;
        if (too_long_ || start + v.size() + tail > kLongestLine) {
            too_long_ = true;
            return;
        }
        char *line = end_ - column_;
        pad(end_, start - static_cast<size_t>(column_));
        char *p = escape(v, hash, line + start);
        if (continued) {
            p[0] = ' ';
            p[1] = '\\';
            p += 2;
        }
        end_ = p;
        column_ = static_cast<int32_t>(p - line);
        if (static_cast<size_t>(column_) > kLongestLine)
            too_long_ = true;
        else
            end_line();
    }
    void end_line() {
        *end_++ = '\n';
        column_ = 0;
        if (end_ >= full_)
            flush();
    }
    // Writes the rest and puts the file in place: false with errno when
    // any step failed.
    bool finish() {
        flush();
        return file_->commit();
    }

private:
    // Room for a line of kLongestLine, a value escaped at its end, and the
    // line end.
    static constexpr size_t kSlack = 4 * (kLongestLine + 1);

    // Whether n more characters (the least a piece adds) keep the line
    // within the reader's buffer.
    bool room(size_t n) {
        if (too_long_ || n > kLongestLine - static_cast<size_t>(column_))
            too_long_ = true;
        return !too_long_;
    }
    void advance(size_t n) {
        end_ += n;
        column_ += static_cast<int32_t>(n);
        if (static_cast<size_t>(column_) > kLongestLine)
            too_long_ = true;
    }
    // n blanks at p; the usual few as one store (the slack has room).
    static void pad(char *p, size_t n) {
        static constexpr char kBlanks[] = "                ";
        if (n <= 16)
            std::memcpy(p, kBlanks, 16);
        else
            std::memset(p, ' ', n);
    }
    void flush() {
        if (file_)
            file_->write(buf_.data(), static_cast<size_t>(end_ - buf_.data()));
        end_ = buf_.data();
    }
    ReplacementFile *file_;
    std::vector<char> buf_;
    char *end_, *full_; // full_: where a block is written out
    int32_t column_ = 0;
    bool too_long_ = false;
};

// Values read from the store ahead of laying them out.
constexpr int32_t kBatch = 16;

// Lays the table out; `whole` (the file form) also writes fields without
// values, as their name alone. Stops early once the lines are not ok().
template <typename Lines> void lay_out(const TableCells &table, int32_t w, int32_t mode, bool whole, Lines &out) {
    for (int32_t k = 1; k <= table.fields() && out.ok(); ++k) {
        prefetch_fields(table, k);
        const int32_t m = table.count(k);
        if (m == 0 && !whole)
            continue;
        const std::string_view name = table.text(table.name(k)).view();
        out.text(name);
        // A name alone that ends in a backslash would read as continued:
        // continue it on purpose, and let the blank line end the record.
        if (m == 0 && !name.empty() && name.back() == '\\') {
            out.text(" \\");
            out.end_line();
        }
        // The values are read a batch at a time, before any is written:
        // the reads then wait on memory together.
        const int32_t *cells = table.values(k);
        for (int32_t first = 1; first <= m; first += kBatch) {
            TableCells::Text batch[kBatch]; // filled before it is read, so not cleared
            const int32_t count = std::min(kBatch, m - first + 1);
            for (int32_t i = 0; i < count; ++i)
                batch[i] = table.text(cells[first - 1 + i]);
            for (int32_t i = 0; i < count; ++i) {
                const int32_t j = first + i;
                const std::string_view v = batch[i].view();
                if (mode == 1) {
                    out.value_line(w, v, j > 1, j < m);
                    continue;
                }
                if (j == 1)
                    out.tab(w);
                out.value(v, false);
                if (mode == 2 && j < m)
                    out.text(",");
            }
        }
        out.text(" ");
        out.end_line();
    }
}

} // namespace

extern "C" {

void CFO(const int32_t *table, const int32_t *mode) {
    if (*table == 0)
        return;
    HostLines out;
    const TableCells cells(*table);
    lay_out(cells, column_width(cells), *mode, false, out);
}

int32_t CFW(const int32_t *table, const char *file, int32_t *status, int32_t file_len) {
    *status = 1;
    const TableCells cells(*table);
    const int32_t w = column_width(cells);
    auto too_long = [] {
        kt::raise(2023, "cfw");
        kt::raise_more(static_cast<int32_t>(kLongestLine) + 1);
        return 1;
    };
    const std::string path = kt::fortran_cstr(file, file_len);
    // What cannot be replaced through a temporary (a device, a pipe) is
    // measured before it is opened, so that nothing reaches it.
    if (!ReplacementFile::through_temporary(path)) {
        FileBlocks measure(nullptr);
        lay_out(cells, w, 1, true, measure);
        if (!measure.ok())
            return too_long();
    }
    ReplacementFile target;
    if (path.empty() || !target.open(path)) {
        kt::raise(2007, path);
        return 1;
    }
    FileBlocks out(&target);
    lay_out(cells, w, 1, true, out);
    if (!out.ok())
        return too_long(); // the temporary goes with `target`
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
