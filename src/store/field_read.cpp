// Reading a field file into a field table (CFR).
//
// Lines come through the host's input into a 1024-character buffer in the
// word store; values are decoded in place, since an escape only ever
// shortens the text. A record's name and values are held here until the
// record ends and CFZSA takes them; on every failure whatever was not taken
// is freed, the previous input is restored and both buffers are given back,
// so a failure leaves only the complete records before it.
//
// Backslashes are read left to right, each taking the next character as it
// stands: so "\\," ends a value with a backslash, and a line continues only
// when it ends in an odd number of backslashes. A carriage return before
// the line end is part of the line end (files with CRLF line ends), unless
// a backslash escapes it.
//
// A read that fails is an error (2064 with the system's reason), never the
// end of the file.
#include <cerrno>
#include <string>
#include <string_view>

#include "common/fortran_alias.h"
#include "host/store_requester.h"
#include "common/fortran_text.h"
#include "common/cells.h"
#include "host/host_calls.h"
#include "field_record.h"
#include "kt/fields.h"
#include "kt/store.h"

using namespace kt::store;

namespace {

using kt::kCharSize;
using kt::kIntSize;
constexpr int32_t kLineCapacity = 1024, kFirstValues = 50, kScratch = -1;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Number of backslashes directly before p[end].
int32_t backslashes_before(const char *p, int32_t end) {
    int32_t e = end;
    while (e > 0 && p[e - 1] == '\\')
        --e;
    return end - e;
}

class Reader {
public:
    explicit Reader(int32_t table) : table_(table) {}
    ~Reader() {
        drop_record();
        kt::store_free(value_capacity_, &values_, kIntSize);
        kt::store_free(kLineCapacity, &line_, kCharSize);
    }

    bool allocate() {
        if (!kt::store_get(kLineCapacity, &line_, kCharSize, kScratch) ||
            !kt::store_get(kFirstValues, &values_, kIntSize, kScratch))
            return false;
        value_capacity_ = kFirstValues;
        return true;
    }

    char *line() { return kt_cptr(line_ + 1); }

    // One line as read, its line end included. False on a store refusal.
    bool take_line(char *p, int32_t len) {
        if (len > 0 && p[len - 1] == '\n')
            --len;
        if (len > 0 && p[len - 1] == '\r' && backslashes_before(p, len - 1) % 2 == 0)
            --len;
        while (len > 0 && is_blank(p[len - 1]))
            --len;
        int32_t b = 0;
        while (b < len && is_blank(p[b]))
            ++b;
        if (b < len && p[b] == '#')
            return true;
        if (b == len)
            return !open_ || end_record();
        bool continued = backslashes_before(p + b, len - b) % 2 == 1;
        if (continued) {
            --len;
            while (len > b && is_blank(p[len - 1]))
                --len;
        }
        int32_t pos = b;
        if (!open_) {
            while (pos < len && !is_blank(p[pos]))
                ++pos;
            int32_t n = pos - b;
            if (!STRGEA(p + b, &n, &name_, n))
                return false;
            open_ = true;
        }
        if (!read_values(p, pos, len))
            return false;
        return continued || end_record();
    }

    // A record still open at the end of the file is complete.
    bool finish() { return !open_ || end_record(); }

private:
    bool read_values(char *p, int32_t pos, int32_t len) {
        for (;;) {
            while (pos < len && is_blank(p[pos]))
                ++pos;
            if (pos >= len)
                return true;
            int32_t start = pos, out = pos, end = pos; // end: after the last kept non-blank
            while (pos < len && p[pos] != ',') {
                char c = p[pos++];
                if (c == '\\') {
                    if (pos == len)
                        break; // nothing left to escape
                    char d = p[pos++];
                    p[out++] = d == 'n' ? '\n' : d == 's' ? ' ' : d == 't' ? '\t' : d;
                    end = out;
                } else {
                    p[out++] = c;
                    if (!is_blank(c))
                        end = out;
                }
            }
            if (!add_value(p + start, end - start))
                return false;
            if (pos >= len)
                return true;
            ++pos; // the comma
        }
    }

    bool add_value(const char *text, int32_t n) {
        if (count_ == value_capacity_) {
            int32_t grown = 2 * value_capacity_, block = values_;
            if (!kt::store_resize_class(grown, &block, kIntSize, kScratch, value_capacity_))
                return false;
            values_ = block;
            value_capacity_ = grown;
        }
        int32_t *cell = kt_iptr(values_ + count_ + 1);
        *cell = 0;
        if (!STRGEA(text, &n, cell, n))
            return false;
        ++count_;
        return true;
    }

    // Appends the open record. CFZSA clears the value cells it takes; when
    // it takes the name but not the values, those stay here to be freed.
    bool end_record() {
        int32_t before = field_count(table_), k = 0;
        bool ok = CFZSA(&table_, &name_, kt_iptr(values_ + 1), &count_, &k) != 0;
        if (field_count(table_) != before)
            name_ = 0;
        if (!ok)
            return false;
        open_ = false;
        count_ = 0;
        return true;
    }

    void drop_record() {
        for (int32_t j = 1; j <= count_; ++j)
            STRFS(kt_iptr(values_ + j));
        count_ = 0;
        STRFS(&name_);
        open_ = false;
    }

    int32_t table_;
    int32_t line_ = 0, values_ = 0, value_capacity_ = 0;
    int32_t name_ = 0, count_ = 0;
    bool open_ = false;
};

void report_no_store() { kt::raise_no_store("cfr"); }

} // namespace

extern "C" {

int32_t CFR(const int32_t *table, const char *file, int32_t *status, int32_t file_len) {
    kt::StoreRequester as("CFR");
    *status = 1;
    if (*table == 0) {
        kt::raise(1000, "cfr: no table");
        return 1;
    }
    if (IINEWS(file, file_len) < 0) {
        kt::raise(2004, kt::fortran_text(file, file_len));
        return 1;
    }
    Reader reader(*table);
    if (!reader.allocate()) {
        report_no_store();
        IIOLDF();
        return 1;
    }
    const int32_t capacity = kLineCapacity;
    int32_t len = 0, got = 0;
    while ((got = IIGETL(reader.line(), &capacity, &len, capacity)) == 0) {
        char *p = reader.line();
        // Only a line that fills the buffer without its line end is too
        // long; a last line that merely lacks one is read as it is.
        if (len == capacity && p[len - 1] != '\n') {
            kt::raise(2023, "cfr");
            kt::raise_more(capacity);
            IIOLDF();
            return 1;
        }
        if (!reader.take_line(p, len)) {
            report_no_store();
            IIOLDF();
            return 1;
        }
    }
    if (got == KT_INPUT_FAILED) {
        errno = kt_host_input_error();
        c_ersys(2064, ("cfr: " + kt::fortran_cstr(file, file_len)).c_str());
        IIOLDF();
        return 1;
    }
    IIOLDF();
    if (!reader.finish()) {
        report_no_store();
        return 1;
    }
    *status = 0;
    return 0;
}

int32_t c_cfr(int32_t table, const char *file, int32_t *status) {
    return CFR(&table, c_text(file), status, terminated_length(file));
}

} // extern "C"

KT_FORTRAN_ALIAS(CFR, cfr_);
