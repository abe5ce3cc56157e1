// Numbered errors: ER, ERC, ERI, ERSTOR, ERFBAK, the c_er* calls and the
// error log of the control interface.
#include "errors.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/fortran_alias.h"
#include "kt/host.h"
#include "common/fortran_text.h"
#include "hook_allocator.h"

extern "C" const char KT_NO_MEMORY_TEXT[] = "NO_MEMORY - Memory exhausted - increase swap space!";

namespace kt::host {
namespace {

// The log keeps its texts one after another in `texts`, each ending in a
// zero byte, and holds room for the next entries and kReserve more
// characters ahead: an error raised while memory is refused, the usual
// companion of one, is still recorded, its text cut only beyond that room.
struct LoggedError {
    int32_t number;
    size_t offset; // of its text in ErrorState::texts
};

constexpr size_t kReserve = 1024, kSpareEntries = 8;

struct ErrorState {
    kt::HookVector<LoggedError> log;
    kt::HookString texts;
    // The latest message; its text also answers c_erquer / c_ergetb.
    int32_t number = 0;
    kt::HookString text;
    bool pending = false;  // its line is not yet written
    bool building = false; // c_ermsg is collecting pieces
    bool logged = false;   // it is the last log entry
    bool silent_next = false;
};

// Room for the next errors, when memory is granted; none is needed now.
void reserve_ahead(ErrorState &s) {
    try {
        if (s.log.capacity() - s.log.size() < kSpareEntries)
            s.log.reserve(2 * s.log.size() + kSpareEntries);
        if (s.texts.capacity() - s.texts.size() < kReserve)
            s.texts.reserve(2 * s.texts.size() + 2 * kReserve);
        if (s.text.capacity() < kReserve)
            s.text.reserve(kReserve);
    } catch (const std::bad_alloc &) {
    }
}

// Appends to a text, cutting at its room when more is refused.
void append_kept(kt::HookString &to, std::string_view piece) {
    try {
        to.append(piece);
    } catch (const std::bad_alloc &) {
        to.append(piece.substr(0, to.capacity() - to.size()));
    }
}

ErrorState &state() {
    static ErrorState *s = [] {
        auto *p = new ErrorState; // outlives every static destructor
        reserve_ahead(*p);
        std::atexit(flush_error);
        return p;
    }();
    return *s;
}

// Made when the library is loaded, so that its room is had before any
// request can be refused.
[[maybe_unused]] const bool g_errors_ready = (state(), true);

// Texts for numbers raised without one of their own.
const char *catalogue(int32_t number) {
    switch (number) {
    case 1000:
        return "internal misuse";
    case 1001:
        return "internal error";
    case 1008:
        return "assertion failed";
    case 2004:
        return "cannot open file for reading";
    case 2007:
        return "cannot open file for writing";
    case 2012:
        return KT_NO_MEMORY_TEXT;
    case 2013:
        return "cannot rename file";
    case 2015:
        return "cannot remove file";
    case 2023:
        return "line too long";
    case 2064:
        return "unanticipated condition";
    case 2069:
        return "cannot remove file";
    case 7003:
    case 7056:
        return "path rule violated";
    default:
        return "";
    }
}

constexpr size_t kNoText = static_cast<size_t>(-1);

// Puts the message's text, and a zero byte, last in the log's texts as the
// text of entry e (the last entry), cut to the room there is when more is
// refused.
void log_text(ErrorState &s, LoggedError &e) {
    if (e.offset == kNoText)
        e.offset = s.texts.size();
    std::string_view text(s.text.data(), s.text.size());
    s.texts.resize(e.offset); // never grows
    try {
        s.texts.append(text);
        s.texts.push_back('\0');
        return;
    } catch (const std::bad_alloc &) {
    }
    s.texts.resize(e.offset);
    size_t room = s.texts.capacity() - e.offset;
    if (room == 0) {
        e.offset = kNoText;
        return;
    }
    s.texts.append(text.substr(0, room - 1));
    s.texts.push_back('\0');
}

void sync_log(ErrorState &s) {
    if (s.logged && !s.log.empty())
        log_text(s, s.log.back());
}

} // namespace

void flush_error() {
    ErrorState &s = state();
    s.building = false;
    if (!s.pending)
        return;
    s.pending = false;
    std::fprintf(stderr, "error %04d: %s\n", static_cast<int>(s.number), s.text.c_str());
    std::fflush(stderr);
}

void raise_error(int32_t number, std::string_view text, std::string_view more) {
    ErrorState &s = state();
    flush_error();
    s.number = number;
    s.text.clear();
    append_kept(s.text, text);
    append_kept(s.text, more);
    if (s.text.empty())
        append_kept(s.text, catalogue(number));
    // A silenced error is kept only for c_ergetb: neither printed nor logged.
    bool silent = s.silent_next;
    s.silent_next = false;
    s.pending = !silent;
    s.logged = false;
    if (!silent && s.log.size() < s.log.capacity()) { // the room kept ahead: never refused
        s.log.push_back({number, s.texts.size()});
        s.logged = true;
        log_text(s, s.log.back());
    }
    reserve_ahead(s);
}

bool error_message_open() { return state().building; }

void error_message_append(std::string_view piece) {
    ErrorState &s = state();
    append_kept(s.text, piece);
    sync_log(s);
}

} // namespace kt::host

using namespace kt::host;

extern "C" {

void ER(const int32_t *number) { raise_error(*number, "", ""); }

void ERC(const int32_t *number, const char *text, int32_t text_len) {
    raise_error(*number, kt::fortran_text(text, text_len), "");
}

void ERI(const int32_t *format, const int32_t *value) {
    (void)format; // only plain decimal is offered
    ErrorState &s = state();
    if (!s.pending)
        return; // its line is out already; nothing to attach to
    append_kept(s.text, " " + std::to_string(*value));
    sync_log(s);
}

void ERSTOR(const char *routine, int32_t routine_len) {
    std::string more = " (";
    more.append(kt::fortran_text(routine, routine_len));
    more += ')';
    raise_error(2012, KT_NO_MEMORY_TEXT, more);
}

void ERFBAK(void) {
    flush_error();
    int32_t level = 1;
    char name[8];
    std::string chain;
    for (;; ++level) {
        CALNAM(&level, name, 8);
        std::string_view n = kt::fortran_text(name, 8);
        if (n.empty())
            break;
        if (!chain.empty())
            chain += " < ";
        chain.append(n);
    }
    if (!chain.empty())
        std::fprintf(stderr, "internal error in %s\n", chain.c_str());
}

int32_t c_ers(int32_t number, const char *text) {
    raise_error(number, text ? text : "", "");
    return -1;
}

int32_t c_erss(int32_t number, const char *text1, const char *text2) {
    // No second part: no separator either, so that a missing pair still
    // falls back to the catalogue text.
    std::string more;
    if (text2 && *text2)
        more.append(" ").append(text2);
    raise_error(number, text1 ? text1 : "", more);
    return -1;
}

int32_t c_ersys(int32_t number, const char *text) {
    int saved = errno;
    std::string more = ": ";
    more += std::strerror(saved);
    raise_error(number, text ? text : "", more);
    return -1;
}

void c_ermsg(int32_t number) {
    raise_error(number, "", "");
    ErrorState &s = state();
    if (!s.text.empty())
        append_kept(s.text, ": ");
    sync_log(s);
    s.building = true;
}

void c_ermore(void) {
    if (state().building)
        error_message_append(" ");
}

void c_erflsh(void) { flush_error(); }

int32_t c_erseto(const char *option, int32_t value) {
    ErrorState &s = state();
    if (option && kt_stricmp(option, "silent") == 0) {
        int32_t old = s.silent_next ? 1 : 0;
        s.silent_next = value != 0;
        return old;
    }
    return -1;
}

int32_t c_erquer(const char *option) {
    ErrorState &s = state();
    if (option && kt_stricmp(option, "size") == 0)
        return static_cast<int32_t>(s.text.size() + 1); // the text and its line end
    if (option && kt_stricmp(option, "number") == 0)
        return s.number;
    if (option && kt_stricmp(option, "count") == 0)
        return static_cast<int32_t>(s.log.size());
    return -1;
}

int32_t c_ergetb(char *buffer, int32_t size) {
    if (!buffer || size <= 0)
        return 0;
    const kt::HookString &text = state().text;
    std::string line(text.data(), text.size());
    line += '\n';
    size_t n = line.size() < static_cast<size_t>(size - 1) ? line.size() : static_cast<size_t>(size - 1);
    std::memcpy(buffer, line.data(), n);
    buffer[n] = '\0';
    return static_cast<int32_t>(n);
}

void kt_host_reset_errors(void) {
    flush_error();
    ErrorState &s = state();
    s.log.clear();
    s.texts.clear();
    s.logged = false;
    s.silent_next = false;
}

int32_t kt_host_error_count(void) { return static_cast<int32_t>(state().log.size()); }

int32_t kt_host_error_number(int32_t k) {
    const auto &log = state().log;
    return k >= 1 && static_cast<size_t>(k) <= log.size() ? log[k - 1].number : 0;
}

const char *kt_host_error_text(int32_t k) {
    const auto &log = state().log;
    if (k < 1 || static_cast<size_t>(k) > log.size() || log[k - 1].offset == kNoText)
        return "";
    return state().texts.c_str() + log[k - 1].offset;
}

} // extern "C"

KT_FORTRAN_ALIAS(ER, er_);
KT_FORTRAN_ALIAS(ERC, erc_);
KT_FORTRAN_ALIAS(ERI, eri_);
KT_FORTRAN_ALIAS(ERSTOR, erstor_);
KT_FORTRAN_ALIAS(ERFBAK, erfbak_);
