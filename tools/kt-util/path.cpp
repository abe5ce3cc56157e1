// kt-util path: the tokens of hierarchical object paths, one line each
// (code, kind, values with names shown as written in the table), then the
// compiled record or why the path was refused; or all of it as JSON.
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "each_operand.h"
#include "kt/host.h"
#include "kt/iar.h"
#include "kt/names.h"
#include "wording.h"

namespace ktutil {
namespace {

const char *kind_name(int32_t kind) {
    static const char *const names[] = {"syntax error",  "root",        "here (.)", "up (..)",   "any levels (...)",
                                        "qualified a.b", "a.*",         "*.b",      "*.*",       "name",
                                        "wildcard *",    "index",       "index *",  "range n:m", "range n:*",
                                        "range *:m",     "separator /", "end",      "",          "",
                                        "branch f(",     "*(",          "through(", "across("};
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

struct Name {
    std::string text; // lower-cased as the reader leaves it
    int32_t index;
};

struct Token {
    int32_t code;
    std::vector<Name> names;
    std::vector<int32_t> values; // of an index selection
};

struct Refusal {
    int32_t error = 0; // the host's error number; 0 for a syntax error
    int32_t at = 0;    // where the syntax error stands
    std::string message;
};

struct PathResult {
    std::vector<Token> tokens;
    bool compiled = false;
    std::vector<int32_t> record; // codes, each followed by its values
    Refusal refusal;
};

// Reads the tokens; false at a syntax error.
bool read_tokens(std::string text, int32_t table, PathResult &r) {
    kt_path_reader reader = {text.data(), static_cast<int32_t>(text.size()), table, 1, 0, 0};
    for (;;) {
        int32_t start = reader.pos;
        kt_path_token t;
        int32_t code = kt_path_next(&reader, &t);
        Token token{t.code, {}, {}};
        const int32_t values[2] = {t.v1, t.v2};
        for (int i = 0; i < 2; ++i)
            if (t.name_start[i] != 0)
                token.names.push_back(
                    {text.substr(static_cast<size_t>(t.name_start[i] - 1), static_cast<size_t>(t.name_length[i])),
                     values[i]});
        if (token.names.empty() && (t.code & KT_PATH_SELECTION) &&
            (t.code & (KT_PATH_ONE_VALUE | KT_PATH_TWO_VALUES))) {
            token.values.push_back(t.v1);
            if (t.code & KT_PATH_TWO_VALUES)
                token.values.push_back(t.v2);
        }
        r.tokens.push_back(token);
        if (code == KT_PATH_SYNTAX_ERROR) {
            r.refusal = {0, start, "syntax error"};
            return false;
        }
        if (code == KT_PATH_END)
            return true;
    }
}

PathResult analyse(const std::string &path, int32_t table) {
    PathResult r;
    if (!read_tokens(path, table, r))
        return r;
    std::string text = path;
    int32_t n = static_cast<int32_t>(text.size()), record = 0;
    LibraryError e = quietly([&] { SEPTHI(text.data(), &n, &table, &record, n); });
    if (record == 0) {
        r.refusal.error = e.number;
        if (e.number == 7056)
            r.refusal.message = "\"..\" or root after a wildcard level";
        else if (e.number == 7003)
            r.refusal.message = "a name after \"*\"";
        else
            r.refusal.message = e.text;
        return r;
    }
    r.compiled = true;
    int32_t data = kt_icell(record + 1), count = kt_icell(record + 2);
    for (int32_t i = 1; i <= count; ++i)
        r.record.push_back(kt_icell(data + i));
    IARFS(&record);
    return r;
}

std::string token_line(const Token &t) {
    std::string line = "  " + hex(t.code) + "  " + padded(kind_name(t.code >> 10), 17);
    for (size_t i = 0; i < t.names.size(); ++i)
        line += (i ? ", \"" : "\"") + t.names[i].text + "\" (" + std::to_string(t.names[i].index) + ")";
    for (size_t i = 0; i < t.values.size(); ++i)
        line += (i ? ":" : "") + std::to_string(t.values[i]);
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

// The record's cells, each code in hexadecimal followed by its values.
std::string record_cells(const std::vector<int32_t> &record) {
    std::string cells;
    for (size_t i = 0; i < record.size();) {
        int32_t code = record[i++];
        cells += " " + hex(code);
        int32_t values = (code & KT_PATH_ONE_VALUE ? 1 : 0) + (code & KT_PATH_TWO_VALUES ? 2 : 0);
        for (int32_t v = 0; v < values && i < record.size(); ++v)
            cells += " " + std::to_string(record[i++]);
    }
    return counted(static_cast<int64_t>(record.size()), "cell") + (record.empty() ? "" : ":") + cells;
}

void show(const std::string &path, const PathResult &r) {
    say("path " + path);
    for (const Token &t : r.tokens)
        say(token_line(t));
    const Refusal &no = r.refusal;
    if (r.compiled)
        say("  compiled: " + record_cells(r.record));
    else if (no.error == 0)
        say("  refused: syntax error at character " + std::to_string(no.at));
    else if (no.error == 7056 || no.error == 7003)
        say("  refused: sequence rule broken (error " + std::to_string(no.error) + "): " + no.message);
    else
        say("  refused: error " + std::to_string(no.error) + ": " + no.message);
}

void write_json(JsonWriter &json, const std::string &path, const PathResult &r) {
    json.begin_object();
    json.member("text", path);
    json.objects("tokens", r.tokens, [&](const Token &t) {
        json.member("code", t.code);
        json.member("kind", kind_name(t.code >> 10));
        json.objects("names", t.names, [&](const Name &n) {
            json.member("name", n.text);
            json.member("index", n.index);
        });
        json.key("values");
        json.begin_array();
        for (int32_t v : t.values)
            json.integer(v);
        json.end_array();
    });
    json.key("record");
    if (r.compiled) {
        json.begin_array();
        for (int32_t cell : r.record)
            json.integer(cell);
        json.end_array();
    } else {
        json.null();
    }
    json.key("refused");
    if (r.compiled) {
        json.null();
    } else {
        json.begin_object();
        json.key("error");
        r.refusal.error ? json.integer(r.refusal.error) : json.null();
        json.key("at");
        r.refusal.error ? json.null() : json.integer(r.refusal.at);
        json.member("message", r.refusal.message);
        json.end_object();
    }
    json.end_object();
}

// Each run reads into a name table of its own, so that the indices shown
// depend on its paths alone however many runs one process makes. (The
// host keeps a table per handle and has no call to free one.)
int32_t fresh_table() {
    static int32_t next = 1;
    return next++;
}

int run_path(const Args &args) {
    const int32_t table = fresh_table();
    return run_each_operand("path", args, "paths", "no path to read",
                            [table](const std::string &path, JsonWriter *json) {
                                PathResult r = analyse(path, table);
                                if (json)
                                    write_json(*json, path, r);
                                else
                                    show(path, r);
                                return r.compiled;
                            });
}

int demo_paths(const std::string &) {
    const int32_t table = fresh_table();
    for (const char *path : {"/top/x1.r2", ".../*", "bus[1:4]/q", "across(p)", "*.*/..", "bus[x]"})
        show(path, analyse(path, table));
    return 0;
}

const RegisterCommand command{{"path", "splits hierarchical object paths into tokens and compiles them",
                               "usage: kt-util path [--json] TEXT...\n"
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
                               "f(x), and names quoted as @\"As.Written\". Names are lower-cased. A TEXT\n"
                               "that starts with '-' goes after '--'.\n"
                               "\n"
                               "  --json  writes one JSON document instead:\n"
                               "          {\"paths\": [{\"text\": P, \"tokens\": [{\"code\": C, \"kind\": K,\n"
                               "                     \"names\": [{\"name\": N, \"index\": I}, ...],\n"
                               "                     \"values\": [V, ...]}, ...],\n"
                               "                     \"record\": [CELL, ...], \"refused\": R}, ...]}\n"
                               "          record is null and R {\"error\": E, \"at\": A, \"message\": M}\n"
                               "          when the path is refused (a syntax error: error null, at its\n"
                               "          position; a broken rule: at null, error 7056 or 7003); else\n"
                               "          R is null.\n"
                               "\n"
                               "Exit status: 0 when every TEXT compiles, 1 when one is refused, 2 for a\n"
                               "usage error.\n",
                               run_path}};
const RegisterDemo section{{40, "Hierarchical paths", demo_paths}};

} // namespace
} // namespace ktutil
