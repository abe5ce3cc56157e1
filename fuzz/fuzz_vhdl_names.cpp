// VHDL names on the texts of the input, split at zero bytes; byte 0 holds
// the flag and, in its high bit, a heap that refuses from the next
// request on. A name passes exactly when it is an extended identifier or
// has the form of a basic one and is no reserved word; letter case never
// matters, and the flag only adds the 13 analogue words. VHDLName gives
// the name itself or its wrapped form, which unwraps to the name and
// passes (but for the empty name: an empty extended identifier is none); VHDLNameBuf gives the same text, the name
// itself when it passes; when the heap refuses, both give null or the right text.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_util.h"
#include "kt/vhdl.h"
#include "packages/heap.h"

using kt::fuzz::check;

namespace {

const char *const kAnalogueWords[] = {"across",     "break",    "limit",     "nature",   "noise",
                                      "procedural", "quantity", "reference", "spectrum", "subnature",
                                      "terminal",   "through",  "tolerance"};

bool letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string lowered(std::string s) {
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string raised(std::string s) {
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool basic_form(const std::string &s) {
    if (s.empty() || !letter(s[0]) || s.back() == '_')
        return false;
    for (size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '_' ? s[i - 1] == '_' : !letter(c) && !(c >= '0' && c <= '9'))
            return false;
    }
    return true;
}

bool extended(const std::string &s) { return s.size() >= 3 && s.front() == '\\' && s.back() == '\\'; }

bool analogue_word(const std::string &s) {
    for (const char *w : kAnalogueWords)
        if (lowered(s) == w)
            return true;
    return false;
}

std::string unwrapped(const std::string &w) {
    check(w.size() >= 2 && w.front() == '\\' && w.back() == '\\');
    std::string s;
    for (size_t i = 1; i + 1 < w.size(); ++i) {
        s += w[i];
        if (w[i] == '\\') {
            check(w[i + 1] == '\\'); // inner backslashes come doubled
            ++i;
        }
    }
    return s;
}

void one_name(const std::string &name, int flag, bool refuse) {
    const char *c = name.c_str();
    const int usable = IsVHDLIdentifier(c, flag);
    check(usable == 0 || usable == 1);
    check(usable == IsVHDLIdentifier(lowered(name).c_str(), flag));
    check(usable == IsVHDLIdentifier(raised(name).c_str(), flag));
    if (extended(name))
        check(usable == 1);
    else if (!basic_form(name))
        check(usable == 0);
    // Reserved words are letters only.
    if (!extended(name) && basic_form(name) && !usable)
        check(name.size() >= 2 && std::all_of(name.begin(), name.end(), letter));
    const int other_flag = IsVHDLIdentifier(c, flag == 0 ? 1 : 0);
    const bool analogue = !extended(name) && basic_form(name) && analogue_word(name);
    check((usable != other_flag) == analogue);
    if (analogue)
        check(usable == (flag == 0 ? 0 : 1));

    if (refuse)
        kt_packages_fail_alloc_after(0, -1);
    char *made = VHDLName(c, flag);
    const char *buffered = VHDLNameBuf(c, flag);
    kt_packages_fail_alloc_after(-1, 0);
    check(made || refuse);
    if (made) {
        check(IsVHDLIdentifier(made, flag) == 1 || name.empty());
        check(usable ? name == made : unwrapped(made) == name);
        std::free(made);
    }
    check(buffered || refuse);
    if (buffered && usable)
        check(buffered == c);
    if (buffered && !usable)
        check(unwrapped(buffered) == name && (IsVHDLIdentifier(buffered, flag) == 1 || name.empty()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kt::fuzz::Input in(data, size);
    const uint8_t control = in.byte();
    const int flag = control & 0x7f;
    const bool refuse = control & 0x80;
    check(IsVHDLIdentifier(nullptr, flag) == 0);
    while (!in.done())
        one_name(in.word(), flag, refuse);
    return 0;
}
