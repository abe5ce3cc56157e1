// kt-util fields: reads a field file into a field table and prints it as
// the table printer does, fetches one value (converted by the checking
// reader on request) or replaces one and writes the table back; and the
// demo section on field files over examples/amplifier.fields.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "command.h"
#include "kt/fields.h"
#include "kt/host.h"
#include "kt/text.h"

namespace ktutil {
namespace {

constexpr int32_t kLongestChecked = 50;

struct Options {
    std::vector<std::string> words; // FILE, then get/set and their arguments
    int32_t mode = 0;               // 0: not given
    bool number = false;
    std::string out;
};

// A table read from a file, freed with the object.
struct Table {
    int32_t t = 0;
    ~Table() { c_cfd(&t); }
    bool read(const std::string &path) {
        int32_t status = 0;
        return c_cfi(&t) != 0 && c_cfr(t, path.c_str(), &status) == 0;
    }
};

std::string text_of(const char *p) { return p ? std::string(p) : std::string(); }

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
        return failure("fields", "field " + name + " has " + std::to_string(count) + " values, not " +
                                     std::to_string(j));
    std::string value = text_of(c_cfxgip(table.t, k, j));
    if (o.number)
        return say_number(value) ? 0 : 1;
    say(value);
    return 0;
}

int set(const Table &table, const Options &o) {
    const std::string &name = o.words[2];
    int32_t j = 0, status = 0;
    if (!positive(o.words[3], j))
        return usage_error("fields", "value number must be a positive integer: " + o.words[3]);
    if (c_cfnsi(table.t, name.c_str(), j, o.words[4].c_str(), &status) != 0)
        return failure("fields", "cannot set " + name);
    const std::string &out = o.out.empty() ? o.words[0] : o.out;
    if (c_cfw(table.t, out.c_str(), &status) != 0)
        return failure("fields", "cannot write " + out);
    return 0;
}

int run_fields(const Args &args) {
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a == "--mode" || a == "-o") {
            if (i + 1 == args.size())
                return usage_error("fields", a + " needs a value");
            const std::string &v = args[++i];
            if (a == "-o")
                o.out = v;
            else if (v == "1" || v == "2")
                o.mode = v[0] - '0';
            else
                return usage_error("fields", "--mode takes 1 or 2, not " + v);
        } else if (a == "--number") {
            o.number = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("fields", "unknown option " + a);
        } else {
            o.words.push_back(a);
        }
    }
    if (o.words.empty())
        return usage_error("fields", "no field file");
    std::string action = o.words.size() > 1 ? o.words[1] : "";
    bool print = o.words.size() == 1, is_get = action == "get", is_set = action == "set";
    if (!print && !is_get && !is_set)
        return usage_error("fields", "unknown action '" + action + "'");
    if ((is_get && (o.words.size() < 3 || o.words.size() > 4)) || (is_set && o.words.size() != 5))
        return usage_error("fields", "wrong number of arguments for " + action);
    if ((o.mode && !print) || (o.number && !is_get) || (!o.out.empty() && !is_set))
        return usage_error("fields", "option not taken by this form");
    Table table;
    if (!table.read(o.words[0])) {
        int32_t reason = kt_host_input_error(); // 0 when no read failed
        return failure("fields", "cannot read " + o.words[0] + (reason ? std::string(": ") + std::strerror(reason) : ""));
    }
    if (is_get)
        return get(table, o);
    if (is_set)
        return set(table, o);
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
        if (!table.read(path)) {
            std::fprintf(stderr, "kt-util demo: cannot read %s\n", path.c_str());
            return 1;
        }
        int32_t n = 0, v = 0;
        say(std::to_string(c_cfc(table.t, &n)) + " fields; one value per line (mode 1):");
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
            if (c_cfw(table.t, scratch, &written) == 0 && back.read(scratch)) {
                say("gain set to " + text_of(c_cfngp(back.t, "gain")) + ", written and read back: " +
                    std::to_string(c_cfc(back.t, &count)) + " fields, the title is \"" +
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

const RegisterCommand command{
    {"fields", "prints a field file, gets or sets one value",
     "usage: kt-util fields FILE [--mode 1|2]\n"
     "       kt-util fields FILE get NAME [J] [--number]\n"
     "       kt-util fields FILE set NAME J VALUE [-o OUT]\n"
     "\n"
     "Reads FILE, a field file: one record per field, the name, then values\n"
     "separated by commas (\\, \\n \\s \\t \\\\ for a comma, line end, blank, tab,\n"
     "backslash; a line ending in a backslash continues; # starts a comment).\n"
     "\n"
     "Alone, prints the table as the table printer does: mode 1 (default) one\n"
     "value per line, mode 2 each field on one line.\n"
     "get prints value J (default 1) of the last field named NAME (any case);\n"
     "with --number it converts it with the checking reader and marks a\n"
     "rejected character with a caret.\n"
     "set makes VALUE value J of the field (adding the field, or empty values\n"
     "up to J, where needed) and writes the table to OUT (default: FILE). A\n"
     "regular file is replaced only once the new one is whole: a write that\n"
     "fails leaves it as it was.\n"
     "\n"
     "Exit status: 0 success; 1 when the file cannot be read or written, the\n"
     "field or value does not exist, or the value is not a number; 2 for a\n"
     "usage error.\n",
     run_fields}};
const RegisterDemo section{{15, "Field files (amplifier.fields)", demo_fields}};

} // namespace
} // namespace ktutil
