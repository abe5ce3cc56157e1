// kt-util fid: layout class, kind and parts of result file identifiers.
#include <string>

#include "command.h"
#include "kt/names.h"

namespace ktutil {
namespace {

const char *const kLayouts[] = {"not a result file identifier", "dir/name.ext.CC", "dir/name.CC.ext", "dir/name.CC"};
const char *const kKinds[] = {"none", "wf", "p1", "p2", "p3", "d1", "d2", "d3", "e1", "e2", "i1", "i2", "r1", "r2"};

std::string part(const std::string &text, const char *label, int32_t s, int32_t e) {
    if (s == 0)
        return "";
    std::string value = e >= s ? text.substr(static_cast<size_t>(s - 1), static_cast<size_t>(e - s + 1)) : "";
    return std::string(", ") + label + " \"" + value + "\" (" + std::to_string(s) + ".." + std::to_string(e) + ")";
}

// Shows one identifier; true when it has a kind.
bool show_fid(const std::string &text) {
    int32_t n = static_cast<int32_t>(text.size());
    int32_t cls = FIDFMT(text.data(), &n, n), s1, e1, s2, e2, kind;
    PRSFID(text.data(), &n, &s1, &e1, &s2, &e2, &kind, n);
    std::string line = text + ": class " + std::to_string(cls) + " (" + kLayouts[cls] + ")";
    if (cls != 0) {
        line += ", kind " + std::to_string(kind) + " (" + kKinds[kind] + ")";
        line += part(text, cls == 3 ? "directory" : "name", s1, e1);
        line += part(text, cls == 3 ? "name" : "ext", s2, e2);
    }
    say(line);
    return kind != 0;
}

int run_fid(const Args &args) {
    if (args.empty())
        return usage_error("fid", "no identifier to read");
    bool ok = true;
    for (const std::string &text : args)
        ok = show_fid(text) && ok;
    return ok ? 0 : 1;
}

int demo_fids(const std::string &) {
    for (const char *text : {"run/out.p2", "run/out.d2.bak", "run/out.bak.e1", "out.p2", "run/out.e3", "notes.txt"})
        show_fid(text);
    return 0;
}

const RegisterCommand command{
    {"fid", "classifies result file identifiers (run/out.p2, run/out.d2.bak)",
     "usage: kt-util fid TEXT...\n"
     "\n"
     "For each TEXT prints its layout class (1 dir/name.ext.CC, 2 dir/name.CC.ext,\n"
     "3 dir/name.CC, 0 none), its kind from the code CC (wf, p1..p3, d1..d3,\n"
     "e1, e2, i1, i2, r1, r2; kt_pl counts as p1) and its two parts with their\n"
     "positions. Only the two characters after the dot decide the class, so a\n"
     "text may have a class but no kind (run/out.e3).\n"
     "\n"
     "Exit status: 0 when every TEXT has a kind, 1 when one has none, 2 for a\n"
     "usage error.\n",
     run_fid}};
const RegisterDemo section{{45, "Result file identifiers", demo_fids}};

} // namespace
} // namespace ktutil
