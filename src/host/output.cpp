// Line output: text and numbers are appended to one line, which OOWRIT
// writes to the current unit. Units can be pushed and popped so that a
// routine can divert a listing into a file and restore the previous output.
// While an error message is being built (c_ermsg), appended text goes into
// the message instead.
//
// A line that cannot be written is reported (error 2064 with the system's
// reason) when its unit first fails, and so is a unit whose close fails;
// the unit then takes no more lines, so its file is a whole prefix.
//
// The line, the unit stack and captured output take the host's refusable
// heap; a refused growth raises error 2012 and leaves them as they were.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/fortran_alias.h"
#include "common/fortran_text.h"
#include "common/nonneg.h"
#include "hook_allocator.h"
#include "errors.h"
#include "kt/host.h"
#include "units.h"

using namespace kt::host;

namespace {

struct OutputState {
    kt::HookString line;
    int32_t current = kStdoutUnit;
    kt::HookVector<int32_t> stack;
    bool capture = false;
    kt::HookString captured;
    int32_t nsig = 0;
    int32_t width = 80;
    int stdout_error = 0; // the first failure on standard output
    std::unique_ptr<DescriptorWriter> journal;
    std::string journal_path;
};

OutputState &out() {
    static OutputState s;
    return s;
}

// A refused growth of the host's own memory, reported as any other.
void report_no_memory(const char *routine) { raise_error(2012, KT_NO_MEMORY_TEXT, routine); }

// Refused, the line stays as it was and error 2012 says so.
void append(std::string_view text) {
    if (error_message_open()) {
        error_message_append(text);
        return;
    }
    try {
        out().line.append(text);
    } catch (const std::bad_alloc &) {
        report_no_memory(" (oocs)");
    }
}

// Shortest text that reads back to the same value, or `nsig` significant digits.
template <typename T> std::string format_real(T value, int32_t nsig) {
    char buf[64];
    std::to_chars_result r =
        nsig > 0 ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, nsig > 40 ? 40 : nsig)
                 : std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

template <typename T> void append_complex(T re, T im) {
    int32_t nsig = out().nsig;
    append("(" + format_real(re, nsig) + "," + format_real(im, nsig) + ")");
}

bool unit_writable(int32_t unit) {
    return unit == kStdoutUnit || unit == kJournalUnit || unit_writer(unit, UnitKind::TextOut);
}

// The first failure of what the unit writes to (0: none; -1: not open).
int sink_error(int32_t unit) {
    OutputState &s = out();
    if (unit == kStdoutUnit)
        return s.stdout_error;
    if (unit == kJournalUnit)
        return s.journal ? s.journal->error() : 0;
    return unit_error(unit);
}

std::string sink_name(int32_t unit) {
    if (unit == kStdoutUnit)
        return "standard output";
    return unit == kJournalUnit ? out().journal_path : unit_path(unit);
}

void report_failure(const char *routine, const std::string &name, int err) {
    raise_error(2064, std::string(routine) + ": " + name, std::string(": ") + std::strerror(err));
}

// Standard output is shared with the rest of the process, so it stays a
// stdio stream.
bool put_stdout(const char *p, size_t n) {
    while (kt_io_fwrite(stdout, p, static_cast<int64_t>(n)) < 0)
        if (errno != EINTR)
            return false;
    return true;
}

} // namespace

extern "C" {

int32_t kt_host_write_record(int32_t unit, const char *text, int32_t n) {
    OutputState &s = out();
    size_t len = n > 0 ? static_cast<size_t>(n) : 0;
    if (unit == kStdoutUnit) {
        if (s.capture) {
            try {
                s.captured.reserve(s.captured.size() + len + 1);
            } catch (const std::bad_alloc &) {
                errno = ENOMEM;
                return -1;
            }
            s.captured.append(text, len);
            s.captured += '\n';
            return 0;
        }
        if (s.stdout_error == 0 && !(put_stdout(text, len) && put_stdout("\n", 1)))
            s.stdout_error = errno ? errno : EIO;
        return s.stdout_error == 0 ? 0 : (errno = s.stdout_error, -1);
    }
    DescriptorWriter *w = unit == kJournalUnit ? s.journal.get() : unit_writer(unit, UnitKind::TextOut);
    if (!w) {
        if (unit == kJournalUnit)
            return 0; // an unconnected journal discards its records
        errno = EBADF;
        return -1;
    }
    if (w->write(text, len) && w->write("\n", 1))
        return 0;
    errno = w->error();
    return -1;
}

int32_t kt_host_journal(const char *path) {
    OutputState &s = out();
    int32_t result = 0;
    if (s.journal && s.journal->close() != 0)
        result = -1;
    s.journal.reset();
    s.journal_path = path ? path : "";
    if (path) {
        int fd = open_for_writing(path);
        if (fd < 0)
            return -1;
        s.journal = std::make_unique<DescriptorWriter>(fd);
    }
    return result;
}

void OOCS(const char *text, int32_t text_len) { append({text, text_len > 0 ? static_cast<size_t>(text_len) : 0}); }
void OOCV(const char *text, int32_t text_len) { OOCS(text, text_len); }
void OOC(const char *text, int32_t text_len) { OOCS(text, text_len); }
void OOCA(const char *text, const int32_t *n, int32_t text_len) {
    (void)text_len; // the explicit count rules
    OOCS(text, *n);
}
void OOI(const int32_t *value) { append(std::to_string(*value)); }
void OOD(const double *value) { append(format_real(*value, out().nsig)); }
void OOS(const float *value) { append(format_real(*value, out().nsig)); }
void OOX(const float *value) { append_complex(value[0], value[1]); }
void OOZ(const double *value) { append_complex(value[0], value[1]); }
void OODB(const double *value, const int32_t *digits) { append(format_real(*value, *digits > 0 ? *digits : 17)); }

void OOTAB(const int32_t *column) {
    kt::HookString &line = out().line;
    if (*column > 0 && line.size() < static_cast<size_t>(*column)) {
        try {
            line.resize(static_cast<size_t>(*column), ' ');
        } catch (const std::bad_alloc &) {
            report_no_memory(" (ootab)");
        }
    }
}

void OOWRIT(void) {
    flush_error();
    OutputState &s = out();
    int before = sink_error(s.current);
    if (kt_host_write_record(s.current, s.line.data(), static_cast<int32_t>(s.line.size())) != 0 && before == 0)
        report_failure("oowrit", sink_name(s.current), sink_error(s.current));
    s.line.clear();
}

void OOSETO(const char *option, const int32_t *value, int32_t option_len) {
    std::string name = kt::fortran_cstr(option, option_len);
    if (kt_stricmp(name.c_str(), "nsig") == 0)
        out().nsig = kt::nonneg(*value);
    else if (kt_stricmp(name.c_str(), "bsize") == 0 && *value > 0)
        out().width = *value;
}

int32_t OOQUER(const char *option, int32_t option_len) {
    std::string name = kt::fortran_cstr(option, option_len);
    if (kt_stricmp(name.c_str(), "bsize") == 0)
        return out().width;
    if (kt_stricmp(name.c_str(), "nsig") == 0)
        return out().nsig;
    if (kt_stricmp(name.c_str(), "column") == 0)
        return static_cast<int32_t>(out().line.size());
    if (kt_stricmp(name.c_str(), "unit") == 0)
        return out().current;
    return -1;
}

int32_t OOOPEN(const char *path, int32_t path_len) {
    return open_unit(kt::fortran_cstr(path, path_len).c_str(), UnitKind::TextOut);
}

int32_t OOPUSH(const int32_t *unit) {
    if (!unit_writable(*unit))
        return -1;
    OutputState &s = out();
    try {
        s.stack.push_back(s.current);
    } catch (const std::bad_alloc &) {
        report_no_memory(" (oopush)");
        return -1;
    }
    s.current = *unit;
    return *unit;
}

void OOPOP(void) {
    OutputState &s = out();
    if (s.stack.empty()) {
        s.current = kStdoutUnit;
        return;
    }
    s.current = s.stack.back();
    s.stack.pop_back();
}

void OOCLOS(const int32_t *unit) {
    OutputState &s = out();
    if (*unit < kFirstUnit)
        return;
    // A closed unit must not stay reachable through the output stack.
    for (int32_t &u : s.stack)
        if (u == *unit)
            u = kStdoutUnit;
    if (s.current == *unit)
        OOPOP();
    int before = unit_error(*unit);
    std::string name = unit_path(*unit);
    if (close_unit(*unit) != 0 && before == 0)
        report_failure("ooclos", name, errno);
}

void c_oocs(const char *text) { append(text ? text : ""); }
void c_oocv(const char *text) { append(text ? text : ""); }
void c_ooc(const char *text) { append(text ? text : ""); }
void c_ooca(const char *text, int32_t n) { OOCS(text, n); }
void c_ooi(int32_t value) { OOI(&value); }
void c_ood(double value) { OOD(&value); }
void c_oos(float value) { OOS(&value); }
void c_oox(float re, float im) { append_complex(re, im); }
void c_ooz(double re, double im) { append_complex(re, im); }
void c_oodb(double value, int32_t digits) { OODB(&value, &digits); }
void c_ootab(int32_t column) { OOTAB(&column); }
void c_oowrit(void) { OOWRIT(); }
void c_ooseto(const char *option, int32_t value) {
    OOSETO(option, &value, option ? static_cast<int32_t>(std::char_traits<char>::length(option)) : 0);
}
int32_t c_ooquer(const char *option) {
    return OOQUER(option, option ? static_cast<int32_t>(std::char_traits<char>::length(option)) : 0);
}
int32_t c_ooopen(const char *path) { return open_unit(path, UnitKind::TextOut); }
int32_t c_oopush(int32_t unit) { return OOPUSH(&unit); }
void c_oopop(void) { OOPOP(); }
void c_ooclos(int32_t unit) { OOCLOS(&unit); }

void kt_host_capture_output(int32_t on) { out().capture = on != 0; }
const char *kt_host_output(void) { return out().captured.c_str(); }
void kt_host_clear_output(void) { out().captured.clear(); }

} // extern "C"

KT_FORTRAN_ALIAS(OOCS, oocs_);
KT_FORTRAN_ALIAS(OOCV, oocv_);
KT_FORTRAN_ALIAS(OOC, ooc_);
KT_FORTRAN_ALIAS(OOCA, ooca_);
KT_FORTRAN_ALIAS(OOI, ooi_);
KT_FORTRAN_ALIAS(OOD, ood_);
KT_FORTRAN_ALIAS(OOS, oos_);
KT_FORTRAN_ALIAS(OOX, oox_);
KT_FORTRAN_ALIAS(OOZ, ooz_);
KT_FORTRAN_ALIAS(OODB, oodb_);
KT_FORTRAN_ALIAS(OOTAB, ootab_);
KT_FORTRAN_ALIAS(OOWRIT, oowrit_);
KT_FORTRAN_ALIAS(OOSETO, ooseto_);
KT_FORTRAN_ALIAS(OOQUER, ooquer_);
KT_FORTRAN_ALIAS(OOOPEN, ooopen_);
KT_FORTRAN_ALIAS(OOPUSH, oopush_);
KT_FORTRAN_ALIAS(OOPOP, oopop_);
KT_FORTRAN_ALIAS(OOCLOS, ooclos_);
