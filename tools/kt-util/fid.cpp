// kt-util fid: layout class, kind and parts of result file identifiers.
#include <string>
#include <vector>

#include "command.h"
#include "each_operand.h"
#include "kt/names.h"

namespace ktutil {
namespace {

const char *const kLayouts[] = {"not a result file identifier", "dir/name.ext.CC", "dir/name.CC.ext", "dir/name.CC"};
const char *const kKinds[] = {"none", "wf", "p1", "p2", "p3", "d1", "d2", "d3", "e1", "e2", "i1", "i2", "r1", "r2"};

struct Part {
    const char *role;
    int32_t start, end; // 1-based, inclusive; end < start for an empty part
    std::string text;
};

struct Identifier {
    int32_t layout = 0, kind = 0;
    std::vector<Part> parts;
};

Identifier classify(const std::string &text) {
    int32_t n = static_cast<int32_t>(text.size()), s1, e1, s2, e2;
    Identifier id;
    id.layout = FIDFMT(text.data(), &n, n);
    PRSFID(text.data(), &n, &s1, &e1, &s2, &e2, &id.kind, n);
    if (id.layout == 0)
        return id;
    const int32_t starts[] = {s1, s2}, ends[] = {e1, e2};
    const char *roles[] = {id.layout == 3 ? "directory" : "name", id.layout == 3 ? "name" : "ext"};
    for (int i = 0; i < 2; ++i) {
        if (starts[i] == 0)
            continue;
        std::string value = ends[i] >= starts[i] ? text.substr(static_cast<size_t>(starts[i] - 1),
                                                               static_cast<size_t>(ends[i] - starts[i] + 1))
                                                 : "";
        id.parts.push_back({roles[i], starts[i], ends[i], value});
    }
    return id;
}

void show(const std::string &text, const Identifier &id) {
    std::string line = text + ": class " + std::to_string(id.layout) + " (" + kLayouts[id.layout] + ")";
    if (id.layout != 0)
        line += ", kind " + std::to_string(id.kind) + " (" + kKinds[id.kind] + ")";
    for (const Part &p : id.parts)
        line += std::string(", ") + p.role + " \"" + p.text + "\" (" + std::to_string(p.start) + ".." +
                std::to_string(p.end) + ")";
    say(line);
}

void write_json(JsonWriter &json, const std::string &text, const Identifier &id) {
    json.begin_object();
    json.member("text", text);
    json.member("class", id.layout);
    json.text_or_null("layout", id.layout ? kLayouts[id.layout] : "");
    json.member("kind", id.kind);
    json.text_or_null("code", id.kind ? kKinds[id.kind] : "");
    json.objects("parts", id.parts, [&](const Part &p) {
        json.member("role", p.role);
        json.member("text", p.text);
        json.member("start", p.start);
        json.member("end", p.end);
    });
    json.end_object();
}

int run_fid(const Args &args) {
    return run_each_operand("fid", args, "identifiers", "no identifier to read",
                            [](const std::string &text, JsonWriter *json) {
                                Identifier id = classify(text);
                                if (json)
                                    write_json(*json, text, id);
                                else
                                    show(text, id);
                                return id.kind != 0;
                            });
}

int demo_fids(const std::string &) {
    for (const char *text : {"run/out.p2", "run/out.d2.bak", "run/out.bak.e1", "out.p2", "run/out.e3", "notes.txt"})
        show(text, classify(text));
    return 0;
}

const RegisterCommand command{{"fid", "classifies result file identifiers (run/out.p2, run/out.d2.bak)",
                               "usage: kt-util fid [--json] TEXT...\n"
                               "\n"
                               "For each TEXT prints its layout class (1 dir/name.ext.CC, 2 dir/name.CC.ext,\n"
                               "3 dir/name.CC, 0 none), its kind from the code CC (wf, p1..p3, d1..d3,\n"
                               "e1, e2, i1, i2, r1, r2; kt_pl counts as p1) and its two parts with their\n"
                               "positions. Only the two characters after the dot decide the class, so a\n"
                               "text may have a class but no kind (run/out.e3).\n"
                               "\n"
                               "  --json  writes one JSON document instead:\n"
                               "          {\"identifiers\": [{\"text\": T, \"class\": 0..3, \"layout\": L,\n"
                               "                           \"kind\": 0..13, \"code\": C, \"parts\": [{\"role\": R,\n"
                               "                           \"text\": T, \"start\": S, \"end\": E}, ...]}, ...]}\n"
                               "          layout is null for class 0 and code null for kind 0; a role is\n"
                               "          directory, name or ext; start and end count from 1.\n"
                               "\n"
                               "Exit status: 0 when every TEXT has a kind, 1 when one has none, 2 for a\n"
                               "usage error.\n",
                               run_fid}};
const RegisterDemo section{{45, "Result file identifiers", demo_fids}};

} // namespace
} // namespace ktutil
