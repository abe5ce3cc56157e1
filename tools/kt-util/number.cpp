// kt-util number: how the two real readers take a text. The checking reader
// (VBCS2D) either gives the value or points at the character it rejects;
// the lenient reader (S2DCNV) always gives a value.
#include <cstdio>
#include <string>

#include "command.h"
#include "each_operand.h"
#include "kt/host.h"
#include "kt/text.h"

namespace ktutil {
namespace {

constexpr int32_t kLongestChecked = 50;

struct Reading {
    int32_t code; // 0, or the rejected position (51: too long)
    double checked, lenient;
};

Reading read(const std::string &text) {
    int32_t n = static_cast<int32_t>(text.size());
    Reading r{0, 0.0, 0.0};
    r.code = c_vbcs2d(text.data(), n, &r.checked);
    r.lenient = c_s2dcnv(text.data(), n);
    return r;
}

std::string rejection(int32_t code) {
    if (code > kLongestChecked)
        return "rejected: longer than " + std::to_string(kLongestChecked) + " characters";
    return "rejected at character " + std::to_string(code);
}

void say_value(const char *label, double value) {
    c_oocs(label);
    c_ood(value);
    c_oowrit();
}

void json_number(JsonWriter &json, const std::string &text, const Reading &r) {
    json.begin_object();
    json.member("text", text);
    json.key("checked");
    r.code == 0 ? json.number(r.checked) : json.null();
    json.key("rejected_at");
    r.code == 0 ? json.null() : json.integer(r.code);
    json.member("lenient", r.lenient);
    json.end_object();
}

// Shows one text as the two readers take it; false when the checking reader rejects it.
bool show_number(const std::string &text, JsonWriter *json) {
    Reading r = read(text);
    if (json) {
        json_number(*json, text, r);
        return r.code == 0;
    }
    say(text);
    if (r.code == 0) {
        say_value("  checked: ", r.checked);
    } else {
        say("  checked: " + rejection(r.code));
        if (r.code <= kLongestChecked) {
            say("    " + text);
            say("    " + std::string(static_cast<size_t>(r.code - 1), ' ') + "^");
        }
    }
    say_value("  lenient: ", r.lenient);
    return r.code == 0;
}

int run_number(const Args &args) { return run_each_operand("number", args, "numbers", "no text to read", show_number); }

// One line per number of numbers.txt: the text, then what each reader makes of it.
int demo_numbers(const std::string &dir) {
    const std::string path = dir + "/numbers.txt";
    if (IINEWS(path.c_str(), static_cast<int32_t>(path.size())) < 0) {
        return failure("demo", file_problem(path, kt_host_input_error()));
    }
    const int32_t checked_column = 12, lenient_column = 40;
    c_oocs("text");
    c_ootab(checked_column);
    c_oocs("checking reader (VBCS2D)");
    c_ootab(lenient_column);
    c_oocs("lenient reader (S2DCNV)");
    c_oowrit();
    char line[256];
    int32_t capacity = sizeof line, length = 0;
    while (IIGETL(line, &capacity, &length, capacity) == 0) {
        std::string text(line, static_cast<size_t>(length));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
            text.pop_back();
        if (text.empty() || text[0] == '#')
            continue;
        Reading r = read(text);
        c_oocs(text.c_str());
        c_ootab(checked_column);
        if (r.code == 0)
            c_ood(r.checked);
        else
            c_oocs(rejection(r.code).c_str());
        c_ootab(lenient_column);
        c_ood(r.lenient);
        c_oowrit();
    }
    IIOLDF();
    say("A scale letter becomes an exponent: 4.7K is read as 4.7E3, the double nearest 4700.");
    return 0;
}

const RegisterCommand command{{"number", "reads engineering numbers ('4.7K', '1MEG') as the library does",
                               "usage: kt-util number [--json] TEXT...\n"
                               "\n"
                               "For each TEXT prints the value the checking reader (VBCS2D) gives, or the\n"
                               "character it rejects, marked with a caret; then the value the lenient\n"
                               "reader (S2DCNV) gives. Numbers are written as an optional sign, digits\n"
                               "with an optional point, then an exponent (E or D) or one scale word:\n"
                               "A F P N U MU M K ME MEG G T (1E-18 .. 1E12; M is milli, MEG mega).\n"
                               "A TEXT that starts with '-' and a digit or a point is a negative number;\n"
                               "any other TEXT that starts with '-' goes after '--'.\n"
                               "\n"
                               "  --json  writes one JSON document instead:\n"
                               "          {\"numbers\": [{\"text\": T, \"checked\": X, \"rejected_at\": N,\n"
                               "                       \"lenient\": X}, ...]}\n"
                               "          checked is null when the checking reader rejects the text, and\n"
                               "          rejected_at null when it accepts it; otherwise rejected_at is\n"
                               "          the position (from 1) of the character rejected, 51 for a text\n"
                               "          longer than the 50 characters that reader takes.\n"
                               "\n"
                               "Exit status: 0 when the checking reader accepts every TEXT, 1 when it\n"
                               "rejects one, 2 for a usage error.\n",
                               run_number}};
const RegisterDemo section{{20, "Engineering numbers (numbers.txt)", demo_numbers}};

} // namespace
} // namespace ktutil
