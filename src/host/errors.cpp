// Numbered errors: ER, ERC, ERI, ERSTOR, ERFBAK, the c_er* calls and the
// error log of the control interface.
#include "errors.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../common/abi.h"
#include "kt/host.h"
#include "../common/fortran_text.h"

extern "C" const char KT_NO_MEMORY_TEXT[] = "NO_MEMORY - Memory exhausted - increase swap space!";

namespace kt::host {
namespace {

struct LoggedError {
    int32_t number;
    std::string text;
};

struct ErrorState {
    std::vector<LoggedError> log;
    // The latest message; its text also answers c_erquer / c_ergetb.
    int32_t number = 0;
    std::string text;
    bool pending = false;  // its line is not yet written
    bool building = false; // c_ermsg is collecting pieces
    bool logged = false;   // it is the last log entry
    bool silent_next = false;
};

ErrorState &state() {
    static ErrorState *s = [] {
        auto *p = new ErrorState; // outlives every static destructor
        std::atexit(flush_error);
        return p;
    }();
    return *s;
}

// Texts for numbers raised without one of their own.
const char *catalogue(int32_t number) {
    switch (number) {
    case 1000: return "internal misuse";
    case 1001: return "internal error";
    case 1008: return "assertion failed";
    case 2004: return "cannot open file for reading";
    case 2007: return "cannot open file for writing";
    case 2012: return KT_NO_MEMORY_TEXT;
    case 2013: return "cannot rename file";
    case 2015: return "cannot remove file";
    case 2023: return "line too long";
    case 2064: return "unanticipated condition";
    case 2069: return "cannot remove file";
    case 7003:
    case 7056: return "path rule violated";
    default: return "";
    }
}

void sync_log(ErrorState &s) {
    if (s.logged && !s.log.empty())
        s.log.back().text = s.text;
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
    s.text.assign(text);
    s.text.append(more);
    if (s.text.empty())
        s.text = catalogue(number);
    // A silenced error is kept only for c_ergetb: neither printed nor logged.
    bool silent = s.silent_next;
    s.silent_next = false;
    s.pending = !silent;
    s.logged = !silent;
    if (!silent)
        s.log.push_back({number, s.text});
}

bool error_message_open() { return state().building; }

void error_message_append(std::string_view piece) {
    ErrorState &s = state();
    s.text.append(piece);
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
    s.text += ' ';
    s.text += std::to_string(*value);
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
        s.text += ": ";
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
    std::string line = state().text + '\n';
    size_t n = line.size() < static_cast<size_t>(size - 1) ? line.size() : static_cast<size_t>(size - 1);
    std::memcpy(buffer, line.data(), n);
    buffer[n] = '\0';
    return static_cast<int32_t>(n);
}

void kt_host_reset_errors(void) {
    flush_error();
    ErrorState &s = state();
    s.log.clear();
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
    return k >= 1 && static_cast<size_t>(k) <= log.size() ? log[k - 1].text.c_str() : "";
}

} // extern "C"

KT_FORTRAN_ALIAS(ER, er_)
KT_FORTRAN_ALIAS(ERC, erc_)
KT_FORTRAN_ALIAS(ERI, eri_)
KT_FORTRAN_ALIAS(ERSTOR, erstor_)
KT_FORTRAN_ALIAS(ERFBAK, erfbak_)
