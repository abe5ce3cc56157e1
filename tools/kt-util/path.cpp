// kt-util path: the tokens of hierarchical object paths, one line each
// (code, kind, values with names shown as written in the table), then the
// compiled record or why the path was refused.
#include <cstdio>
#include <string>

#include "command.h"
#include "kt/host.h"
#include "kt/iar.h"
#include "kt/names.h"

namespace ktutil {
namespace {

// One name table for the whole run, so a name keeps its index across paths.
constexpr int32_t kTable = 1;

const char *kind_name(int32_t kind) {
    static const char *const names[] = {
        "syntax error", "root",      "here (.)",    "up (..)",   "any levels (...)", "qualified a.b",
        "a.*",          "*.b",       "*.*",         "name",      "wildcard *",       "index",
        "index *",      "range n:m", "range n:*",   "range *:m", "separator /",      "end",
        "",             "",          "branch f(",   "*(",        "through(",         "across("};
    return kind >= 0 && kind <= 23 ? names[kind] : "";
}

std::string hex(int32_t code) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04X", static_cast<unsigned>(code));
    return buf;
}

std::string padded(std::string s, size_t width) {
    s.resize(s.size() < width ? width : s.size(), ' ');
    return s;
}

// The token line: names as looked up with their index, numbers as read.
std::string token_line(const std::string &text, const kt_path_token &t) {
    std::string line = "  " + hex(t.code) + "  " + padded(kind_name(t.code >> 10), 17);
    const int32_t values[2] = {t.v1, t.v2};
    bool any_name = false;
    for (int i = 0; i < 2; ++i) {
        if (t.name_start[i] == 0)
            continue;
        line += (any_name ? ", " : "") + std::string("\"") +
                text.substr(static_cast<size_t>(t.name_start[i] - 1), static_cast<size_t>(t.name_length[i])) + "\" (" +
                std::to_string(values[i]) + ")";
        any_name = true;
    }
    if (!any_name && (t.code & KT_PATH_SELECTION) && (t.code & (KT_PATH_ONE_VALUE | KT_PATH_TWO_VALUES))) {
        line += std::to_string(t.v1);
        if (t.code & KT_PATH_TWO_VALUES)
            line += ":" + std::to_string(t.v2);
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

// Lists the tokens; false at a syntax error.
bool show_tokens(std::string text) {
    kt_path_reader reader = {text.data(), static_cast<int32_t>(text.size()), kTable, 1, 0, 0};
    for (;;) {
        int32_t start = reader.pos;
        kt_path_token t;
        int32_t code = kt_path_next(&reader, &t);
        say(token_line(text, t));
        if (code == KT_PATH_SYNTAX_ERROR) {
            say("  refused: syntax error at character " + std::to_string(start));
            return false;
        }
        if (code == KT_PATH_END)
            return true;
    }
}

std::string record_cells(int32_t record) {
    std::string cells;
    int32_t data = kt_icell(record + 1), count = kt_icell(record + 2);
    for (int32_t i = 1; i <= count;) {
        int32_t code = kt_icell(data + i++);
        cells += " " + hex(code);
        int32_t values = (code & KT_PATH_ONE_VALUE ? 1 : 0) + (code & KT_PATH_TWO_VALUES ? 2 : 0);
        for (int32_t v = 0; v < values && i <= count; ++v)
            cells += " " + std::to_string(kt_icell(data + i++));
    }
    return std::to_string(count) + " cells" + (count ? ":" : "") + cells;
}

// Shows one path; true when it compiles.
bool show_path(const std::string &path) {
    say("path " + path);
    if (!show_tokens(path))
        return false;
    std::string text = path;
    int32_t n = static_cast<int32_t>(text.size()), table = kTable, record = 0;
    int32_t errors = kt_host_error_count();
    if (SEPTHI(text.data(), &n, &table, &record, n) == 0) {
        int32_t number = kt_host_error_count() > errors ? kt_host_error_number(errors + 1) : 0;
        if (number == 7056)
            say("  refused: sequence rule broken (error 7056): \"..\" or root after a wildcard level");
        else if (number == 7003)
            say("  refused: sequence rule broken (error 7003): a name after \"*\"");
        else
            say("  refused: error " + std::to_string(number) + ": " + kt_host_error_text(errors + 1));
        return false;
    }
    say("  compiled: " + record_cells(record));
    IARFS(&record);
    return true;
}

int run_path(const Args &args) {
    if (args.empty())
        return usage_error("path", "no path to read");
    bool ok = true;
    for (const std::string &path : args)
        ok = show_path(path) && ok;
    return ok ? 0 : 1;
}

int demo_paths(const std::string &) {
    for (const char *path : {"/top/x1.r2", ".../*", "bus[1:4]/q", "across(p)", "*.*/..", "bus[x]"})
        show_path(path);
    return 0;
}

const RegisterCommand command{
    {"path", "splits hierarchical object paths into tokens and compiles them",
     "usage: kt-util path TEXT...\n"
     "\n"
     "For each TEXT prints one line per token: its code in hexadecimal, its kind\n"
     "and its values (names with their index in the name table, which is shared\n"
     "by all TEXTs; numbers of index selections). Then the compiled record (each\n"
     "code followed by its values) or why the path was refused: a syntax error\n"
     "and where, or a broken sequence rule (error 7056: \"..\" or root after a\n"
     "wildcard level; error 7003: a name after \"*\").\n"
     "\n"
     "Paths: levels separated by \"/\", \".\", \"..\", \"...\", a.b, wildcards \"*\",\n"
     "selections [3] [1:4] [*:2] [1,5], branch functions across(p), through(p),\n"
     "f(x), and names quoted as @\"As.Written\". Names are lower-cased.\n"
     "\n"
     "Exit status: 0 when every TEXT compiles, 1 when one is refused, 2 for a\n"
     "usage error.\n",
     run_path}};
const RegisterDemo section{{40, "Hierarchical paths", demo_paths}};

} // namespace
} // namespace ktutil
