// kt-util fields: reads a field file into a field table and prints it as
// the table printer does (or as JSON), fetches one value (converted by the
// checking reader on request) or replaces one and writes the table to
// another file, or back only when asked, since the table keeps no
// comments; and the demo section on field files over
// examples/amplifier.fields.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "command.h"
#include "json.h"
#include "kt/fields.h"
#include "kt/host.h"
#include "kt/text.h"
#include "options.h"
#include "progress.h"
#include "wording.h"

namespace ktutil {
namespace {

constexpr int32_t kLongestChecked = 50;
// The reader's line buffer holds 1024 characters, the line end included.
constexpr size_t kLongestLine = 1023;

struct Options {
    std::vector<std::string> words; // FILE, then get/set and their arguments
    int32_t mode = 0;               // 0: not given
    bool number = false, in_place = false, json = false;
    std::string out;
};

// A table read from a file, freed with the object.
struct Table {
    int32_t t = 0;
    ~Table() { c_cfd(&t); }
};

std::string text_of(const char *p) { return p ? std::string(p) : std::string(); }

// The number (from 1) of the first line of the file too long for the
// reader; 0 when none is.
int64_t first_long_line(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    for (int64_t number = 1; std::getline(in, line); ++number)
        if (line.size() > kLongestLine)
            return number;
    return 0;
}

// The part of a library message after "routine: PATH: ", the system's reason.
std::string reason_in(const std::string &message, const std::string &routine, const std::string &path) {
    std::string prefix = routine + ": " + path + ": ";
    return message.compare(0, prefix.size(), prefix) == 0 ? message.substr(prefix.size()) : message;
}

// Reads the file into the table; false once the failure is reported.
bool read_table(Table &table, const std::string &path, const char *command = "fields") {
    if (c_cfi(&table.t) == 0) {
        failure(command, "out of memory");
        return false;
    }
    LibraryError e;
    {
        Progress progress("reading " + path, 0, "", false);
        progress.follow_reading(path);
        int32_t status = 0;
        e = quietly([&] { c_cfr(table.t, path.c_str(), &status); });
    }
    switch (e.number) {
    case 0:
        return true;
    case 2004:
        failure(command, file_problem(path, kt_host_input_error()));
        break;
    case 2064:
        failure(command, path + ": " + reason_in(e.text, "cfr", path));
        break;
    case 2023:
        failure(command, path + ":" + std::to_string(first_long_line(path)) + ": line longer than " +
                             std::to_string(kLongestLine) + " characters, the most a field file line may hold");
        break;
    case 2012:
        failure(command, path + ": out of memory");
        break;
    default:
        failure(command, path + ": " + e.text);
    }
    return false;
}

bool positive(const std::string &s, int32_t &value) {
    if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoi(s);
    return value > 0;
}

// The value of a field as the checking reader takes it; false with the
// rejected character marked.
bool say_number(const std::string &text) {
    double x = 0;
    int32_t code = c_vbcs2d(text.data(), static_cast<int32_t>(text.size()), &x);
    if (code == 0) {
        c_ood(x);
        c_oowrit();
        return true;
    }
    if (code > kLongestChecked) {
        say(text + ": not a number (longer than " + std::to_string(kLongestChecked) + " characters)");
        return false;
    }
    say(text);
    say(std::string(static_cast<size_t>(code - 1), ' ') + "^ not a number");
    return false;
}

int get(const Table &table, const Options &o) {
    const std::string &name = o.words[2];
    int32_t j = 1, k = 0, count = 0;
    if (o.words.size() == 4 && !positive(o.words[3], j))
        return usage_error("fields", "value number must be a positive integer: " + o.words[3]);
    if (c_cfngx(table.t, name.c_str(), &k) == 0)
        return failure("fields", "no field " + name);
    if (j > c_cfxgc(table.t, k, &count))
        return failure("fields", "field " + name + " has " + counted(count, "value") + ", not " + std::to_string(j));
    std::string value = text_of(c_cfxgip(table.t, k, j));
    if (!o.json) {
        if (o.number)
            return say_number(value) ? 0 : 1;
        say(value);
        return 0;
    }
    JsonWriter json;
    json.begin_object();
    json.member("file", o.words[0]);
    json.member("name", text_of(c_cfxgnp(table.t, k)));
    json.member("j", j);
    json.member("value", value);
    int32_t code = 0;
    if (o.number) {
        double x = 0;
        code = c_vbcs2d(value.data(), static_cast<int32_t>(value.size()), &x);
        json.key("number");
        code == 0 ? json.number(x) : json.null();
        json.key("rejected_at");
        code == 0 ? json.null() : json.integer(code);
    }
    json.end_object();
    json.finish();
    return code == 0 ? 0 : 1;
}

int set(const Table &table, const Options &o) {
    const std::string &name = o.words[2];
    int32_t j = 0, status = 0;
    if (!positive(o.words[3], j))
        return usage_error("fields", "value number must be a positive integer: " + o.words[3]);
    if (c_cfnsi(table.t, name.c_str(), j, o.words[4].c_str(), &status) != 0)
        return failure("fields", "out of memory setting " + name);
    const std::string &out = o.in_place ? o.words[0] : o.out;
    int err = 0;
    LibraryError e = quietly([&] {
        c_cfw(table.t, out.c_str(), &status);
        err = errno;
    });
    switch (e.number) {
    case 0:
        return 0;
    case 2007:
        return failure("fields", file_problem(out, err));
    case 2064:
        return failure("fields", out + ": " + reason_in(e.text, "cfw", out));
    case 2023:
        return failure("fields", out + ": not written: a line would be longer than " + std::to_string(kLongestLine) +
                                     " characters, the most a field file line may hold");
    default:
        return failure("fields", out + ": " + e.text);
    }
}

void print_json(const Table &table, const std::string &file) {
    JsonWriter json;
    json.begin_object();
    json.member("file", file);
    json.key("fields");
    json.begin_array();
    int32_t n = 0;
    c_cfc(table.t, &n);
    Progress progress("fields", n, "fields", true);
    std::vector<char *> values;
    for (int32_t k = 1; k <= n; ++k) {
        json.begin_object();
        json.member("name", text_of(c_cfxgnp(table.t, k)));
        json.key("values");
        json.begin_array();
        values.resize(static_cast<size_t>(c_cfxgap(table.t, k, 0, nullptr)));
        c_cfxgap(table.t, k, static_cast<int32_t>(values.size()), values.data());
        for (const char *v : values)
            json.string(text_of(v));
        json.end_array();
        json.end_object();
        progress.update(k);
    }
    json.end_array();
    json.end_object();
    json.finish();
}

int run_fields(const Args &args) {
    Options o;
    OptionTable options{
        {{"--mode",
          {"1 or 2",
           [&](const std::string &v) {
               o.mode = v == "1" ? 1 : v == "2" ? 2 : 0;
               return o.mode != 0;
           }}},
         {"-o",
          {"a file name",
           [&](const std::string &v) {
               o.out = v;
               return !v.empty();
           }}}},
        {{"--number", set_flag(o.number)}, {"--in-place", set_flag(o.in_place)}, {"--json", set_flag(o.json)}}};
    if (int done = read_options("fields", args, options, o.words); done >= 0)
        return done;
    if (o.words.empty())
        return usage_error("fields", "no field file");
    std::string action = o.words.size() > 1 ? o.words[1] : "";
    bool print = o.words.size() == 1, is_get = action == "get", is_set = action == "set";
    if (!print && !is_get && !is_set)
        return usage_error("fields", "unknown action '" + action + "'");
    if ((is_get && (o.words.size() < 3 || o.words.size() > 4)) || (is_set && o.words.size() != 5))
        return usage_error("fields", "wrong number of arguments for " + action);
    const struct {
        bool given, taken;
        const char *option, *form;
    } fits[] = {{o.mode != 0, print, "--mode", "printing"},
                {o.number, is_get, "--number", "get"},
                {o.json, !is_set, "--json", "printing and get"},
                {!o.out.empty(), is_set, "-o", "set"},
                {o.in_place, is_set, "--in-place", "set"}};
    for (const auto &f : fits)
        if (f.given && !f.taken)
            return usage_error("fields", std::string(f.option) + " goes with " + f.form + " only");
    if (is_set && o.out.empty() == !o.in_place)
        return usage_error("fields", o.in_place ? "-o and --in-place exclude each other"
                                                : "set writes to -o OUT, or to FILE with --in-place "
                                                  "(which drops its comments and layout)");
    Table table;
    if (!read_table(table, o.words[0]))
        return 1;
    if (is_get)
        return get(table, o);
    if (is_set)
        return set(table, o);
    if (o.json)
        print_json(table, o.words[0]);
    else
        c_cfo(table.t, o.mode ? o.mode : 1);
    return 0;
}

// Reads the example, prints it, converts a value, changes one and
// reads the written file back.
int demo_fields(const std::string &dir) {
    const std::string path = dir + "/amplifier.fields";
    int64_t baseline = kt_host_store_bytes_in_use();
    int status = 1;
    {
        Table table;
        if (!read_table(table, path, "demo"))
            return 1;
        int32_t n = 0, v = 0;
        say(counted(c_cfc(table.t, &n), "field") + "; one value per line (mode 1):");
        c_cfo(table.t, 1);
        std::string gain = text_of(c_cfngp(table.t, "GAIN"));
        c_oocs(("gain " + gain + " read by the checking reader: ").c_str());
        say_number(gain);
        c_cfns(table.t, "gain", "10K", &v);
        char scratch[] = "/tmp/kt-util-fields-XXXXXX";
        int fd = mkstemp(scratch);
        if (fd >= 0) {
            kt_io_close(fd);
            Table back;
            int32_t written = 0, count = 0;
            if (c_cfw(table.t, scratch, &written) == 0 && read_table(back, scratch, "demo")) {
                say("gain set to " + text_of(c_cfngp(back.t, "gain")) +
                    ", written and read back: " + counted(c_cfc(back.t, &count), "field") + ", the title is \"" +
                    text_of(c_cfngp(back.t, "title")) + "\"");
                status = 0;
            }
            std::remove(scratch);
        }
    }
    say("word store in use after freeing the tables: " + std::to_string(kt_host_store_bytes_in_use() - baseline) +
        " bytes above the start");
    return status;
}

const RegisterCommand command{{"fields", "prints a field file, gets or sets one value",
                               "usage: kt-util fields FILE [--mode 1|2] [--json]\n"
                               "       kt-util fields FILE get NAME [J] [--number] [--json]\n"
                               "       kt-util fields FILE set NAME J VALUE (-o OUT | --in-place)\n"
                               "\n"
                               "Reads FILE, a field file: one record per field, the name, then values\n"
                               "separated by commas (\\, \\n \\s \\t \\\\ for a comma, line end, blank, tab,\n"
                               "backslash; a line ending in a backslash continues; # starts a comment).\n"
                               "Lines hold at most 1023 characters.\n"
                               "\n"
                               "Alone, prints the table as the table printer does: mode 1 (default) one\n"
                               "value per line, mode 2 each field on one line.\n"
                               "get prints value J (default 1) of the last field named NAME (any case);\n"
                               "with --number it converts it with the checking reader and marks a\n"
                               "rejected character with a caret.\n"
                               "set makes VALUE value J of the field (adding the field, or empty values\n"
                               "up to J, where needed) and writes the table to OUT, or back to FILE with\n"
                               "--in-place. The table holds the fields alone: the comments of FILE and\n"
                               "the layout of its records are not written, which is why set replaces\n"
                               "FILE only when --in-place asks for it. A regular file is replaced only\n"
                               "once the new one is whole: a write that fails leaves it as it was. A\n"
                               "VALUE that starts with '-' and is not a number goes after '--'.\n"
                               "\n"
                               "  --mode 1|2    the printer's mode\n"
                               "  --number      get: the value as a number\n"
                               "  -o OUT        set: the file written\n"
                               "  --in-place    set: rewrite FILE itself\n"
                               "  --json        writes one JSON document instead; printing:\n"
                               "                {\"file\": F, \"fields\": [{\"name\": N, \"values\": [V, ...]}, ...]}\n"
                               "                get: {\"file\": F, \"name\": N, \"j\": J, \"value\": V} and,\n"
                               "                with --number, \"number\": X and \"rejected_at\": P as in\n"
                               "                'kt-util number --json'.\n"
                               "\n"
                               "Exit status: 0 success; 1 when the file cannot be read or written, the\n"
                               "field or value does not exist, or the value is not a number; 2 for a\n"
                               "usage error.\n",
                               run_fields}};
const RegisterDemo section{{15, "Field files (amplifier.fields)", demo_fields}};

} // namespace
} // namespace ktutil
