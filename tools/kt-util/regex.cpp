// kt-util regex: compiles a pattern, searches subjects for it, shows the
// match, its groups and a substitution; and the demo section on regular
// expressions over examples/netlist.txt.
#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

#include "command.h"
#include "json.h"
#include "kt/regexp.h"
#include "options.h"

namespace ktutil {
namespace {

std::string quoted(const std::string &s) { return "\"" + s + "\""; }

// The substitution of templ, through the bounded form, grown until it fits.
bool substitution(Regexp_scanner &re, const std::string &templ, std::string &result) {
    std::vector<char> buf(256);
    for (;;) {
        long n = re.substitute(templ.c_str(), buf.data(), buf.size());
        if (n < 0)
            return false;
        if (static_cast<size_t>(n) < buf.size()) {
            result.assign(buf.data(), static_cast<size_t>(n));
            return true;
        }
        buf.resize(static_cast<size_t>(n) + 1);
    }
}

struct Search {
    bool matched = false;
    std::string match;
    std::string groups[10]; // 1..9; took_part tells which are set
    bool took_part[10] = {};
    bool substituted = false;
    std::string substitution;
    std::string error; // empty: none
};

Search search(Regexp_scanner &re, const std::string &subject, const std::string *templ) {
    Search s;
    if (!re.find_match(subject.c_str())) {
        s.error = re.error() ? re.error() : "";
        return s;
    }
    s.matched = true;
    s.match = re[0];
    for (short g = 1; g <= 9; ++g)
        if (const char *text = re[g]) {
            s.groups[g] = text;
            s.took_part[g] = true;
        }
    if (templ) {
        s.substituted = substitution(re, *templ, s.substitution);
        if (!s.substituted)
            s.error = "substitution failed: " + std::string(re.error() ? re.error() : "");
    }
    return s;
}

void show(const std::string &subject, const Search &s, bool with_template) {
    if (!s.matched) {
        say(quoted(subject) + (s.error.empty() ? ": no match" : ": error: " + s.error));
        return;
    }
    say(quoted(subject) + ": match " + quoted(s.match));
    for (int g = 1; g <= 9; ++g)
        if (s.took_part[g])
            say("  \\" + std::to_string(g) + " = " + quoted(s.groups[g]));
    if (with_template)
        say(s.substituted ? "  substitution: " + quoted(s.substitution) : "  " + s.error);
}

void write_json(JsonWriter &json, const std::string &subject, const Search &s, bool with_template) {
    json.begin_object();
    json.member("subject", subject);
    json.key("match");
    s.matched ? json.string(s.match) : json.null();
    json.key("groups");
    json.begin_object();
    for (int g = 1; g <= 9; ++g)
        if (s.took_part[g])
            json.member(std::to_string(g), s.groups[g]);
    json.end_object();
    if (with_template) {
        json.key("substitution");
        s.substituted ? json.string(s.substitution) : json.null();
    }
    json.text_or_null("error", s.error);
    json.end_object();
}

int run_regex(const Args &args) {
    std::string templ;
    bool have_templ = false, as_json = false;
    OptionTable options{{{"--sub",
                          {"a TEMPLATE",
                           [&](const std::string &v) {
                               templ = v;
                               return have_templ = true;
                           }}}},
                        {{"--json", set_flag(as_json)}}};
    Args operands;
    if (int done = read_options("regex", args, options, operands); done >= 0)
        return done;
    if (operands.empty())
        return usage_error("regex", "missing PATTERN");
    const std::string &pattern = operands[0];
    Regexp_scanner re(pattern.c_str());
    std::string compile_error = re.valid() ? "" : re.error() ? re.error() : "cannot compile";
    JsonWriter json;
    if (as_json) {
        json.begin_object();
        json.member("pattern", pattern);
        json.text_or_null("error", compile_error);
        json.key("subjects");
        json.begin_array();
    }
    const bool compiled = compile_error.empty();
    bool ok = compiled;
    for (size_t i = 1; compiled && i < operands.size(); ++i) {
        Search s = search(re, operands[i], have_templ ? &templ : nullptr);
        ok = ok && s.error.empty();
        if (as_json)
            write_json(json, operands[i], s, have_templ);
        else
            show(operands[i], s, have_templ);
    }
    if (as_json) {
        json.end_array();
        json.end_object();
        json.finish();
    } else if (ok && operands.size() == 1) {
        say(quoted(pattern) + ": compiles");
    }
    if (!compiled)
        return failure("regex", quoted(pattern) + ": " + compile_error);
    return ok ? 0 : 1;
}

int demo_regex(const std::string &dir) {
    std::ifstream in(dir + "/netlist.txt");
    if (!in)
        return failure("demo", file_problem(dir + "/netlist.txt", errno));
    const char *pattern = "^([RCL])([0-9]+) +([a-z0-9]+) +([a-z0-9]+) +([0-9.]+)([a-zA-Z]*)$";
    const std::string templ = "\\1\\2 = \\5 \\6 from \\3 to \\4";
    Regexp_scanner re(pattern);
    say(std::string("pattern: ") + pattern);
    say("template: " + templ);
    std::string line, result;
    while (std::getline(in, line)) {
        if (!re.find_match(line.c_str()))
            say("  skipped: " + line);
        else if (substitution(re, templ, result))
            say("  " + result);
    }
    for (const char *bad : {"a**", "(ab", "[z-a]", "*x"}) {
        Regexp_scanner broken(bad);
        say(std::string("bad pattern ") + quoted(bad) + ": " + (broken.error() ? broken.error() : "?"));
    }
    return 0;
}

const RegisterCommand command{{"regex", "matches a regular expression against subjects",
                               "usage: kt-util regex PATTERN [SUBJECT...] [--sub TEMPLATE] [--json]\n"
                               "\n"
                               "Compiles PATTERN and searches each SUBJECT for its leftmost match.\n"
                               "For each subject prints whether it matches, the match and every group\n"
                               "(\\1..\\9) that took part.\n"
                               "\n"
                               "Patterns: . [abc] [^a-z] ^ $ * + ? | ( ) and \\c for the character c.\n"
                               "A search takes time linear in the subject's length, whatever the\n"
                               "pattern. A PATTERN or SUBJECT that starts with '-' goes after '--'.\n"
                               "\n"
                               "  --sub TEMPLATE  also prints TEMPLATE with \"&\" replaced by the match\n"
                               "                  and \"\\1\"..\"\\9\" by the groups\n"
                               "  --json          writes one JSON document instead:\n"
                               "                  {\"pattern\": P, \"error\": E, \"subjects\": [{\"subject\": S,\n"
                               "                  \"match\": M, \"groups\": {\"1\": G, ...}, \"substitution\": T,\n"
                               "                  \"error\": E}, ...]}\n"
                               "                  match is null when there is none; groups holds the\n"
                               "                  groups that took part; substitution is there with\n"
                               "                  --sub (null without a match); an error is null or\n"
                               "                  its message.\n"
                               "\n"
                               "Exit status: 0 success; 1 when the pattern does not compile or a\n"
                               "search or substitution fails (out of memory), with its error; 2 for a\n"
                               "usage error.\n",
                               run_regex}};
const RegisterDemo section{{60, "Regular expressions (netlist.txt)", demo_regex}};

} // namespace
} // namespace ktutil
