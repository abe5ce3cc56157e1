// kt-util regex: compiles a pattern, searches subjects for it, shows the
// match, its groups and a substitution; and the demo section on regular
// expressions over examples/netlist.txt.
#include <fstream>
#include <string>
#include <vector>

#include "command.h"
#include "kt/regexp.h"

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

// Reports one subject; false when the match or the substitution failed.
bool report(Regexp_scanner &re, const std::string &subject, const std::string *templ) {
    if (!re.find_match(subject.c_str())) {
        if (re.error()) {
            say(quoted(subject) + ": error: " + re.error());
            return false;
        }
        say(quoted(subject) + ": no match");
        return true;
    }
    say(quoted(subject) + ": match " + quoted(re[0]));
    for (short g = 1; g <= 9; ++g)
        if (const char *text = re[g])
            say("  \\" + std::to_string(g) + " = " + quoted(text));
    if (templ) {
        std::string result;
        if (!substitution(re, *templ, result)) {
            say("  substitution failed: " + std::string(re.error() ? re.error() : ""));
            return false;
        }
        say("  substitution: " + quoted(result));
    }
    return true;
}

int run_regex(const Args &args) {
    std::string pattern, templ;
    bool have_pattern = false, have_templ = false;
    std::vector<std::string> subjects;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--sub") {
            if (i + 1 >= args.size())
                return usage_error("regex", "--sub needs a TEMPLATE");
            templ = args[++i];
            have_templ = true;
        } else if (!have_pattern) {
            pattern = args[i];
            have_pattern = true;
        } else {
            subjects.push_back(args[i]);
        }
    }
    if (!have_pattern)
        return usage_error("regex", "missing PATTERN");
    Regexp_scanner re(pattern.c_str());
    if (!re.valid())
        return failure("regex", quoted(pattern) + ": " + (re.error() ? re.error() : "cannot compile"));
    if (subjects.empty())
        say(quoted(pattern) + ": compiles");
    bool ok = true;
    for (const std::string &s : subjects)
        ok = report(re, s, have_templ ? &templ : nullptr) && ok;
    return ok ? 0 : 1;
}

int demo_regex(const std::string &dir) {
    std::ifstream in(dir + "/netlist.txt");
    if (!in) {
        say("cannot open " + dir + "/netlist.txt");
        return 1;
    }
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

const RegisterCommand command{{"regex", "match a regular expression against subjects",
                               "usage: kt-util regex PATTERN [SUBJECT...] [--sub TEMPLATE]\n"
                               "\n"
                               "Compiles PATTERN and searches each SUBJECT for its leftmost match.\n"
                               "For each subject prints whether it matches, the match, every group\n"
                               "(\\1..\\9) that took part and, with --sub,\n"
                               "TEMPLATE with \"&\" replaced by the match and \"\\1\"..\"\\9\" by the groups.\n"
                               "\n"
                               "Patterns: . [abc] [^a-z] ^ $ * + ? | ( ) and \\c for the character c.\n"
                               "A search takes time linear in the subject's length, whatever the\n"
                               "pattern. A pattern that does not compile, or a search that runs out of\n"
                               "memory, prints its error and exits 1.\n",
                               run_regex}};
const RegisterDemo section{{60, "Regular expressions (netlist.txt)", demo_regex}};

} // namespace
} // namespace ktutil
