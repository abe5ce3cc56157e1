// kt-util vhdl: reads VHDL and VHDL-AMS sources into one set of tables and
// lists their entities (the library's listing, a table per entity, or
// JSON); and the demo section on examples/sensor_frontend.vhd.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "json.h"
#include "kt/vhdl.h"
#include "options.h"
#include "progress.h"

namespace ktutil {
namespace {

struct Generic {
    std::string name, type, value;
};
struct Port {
    std::string name, kind, direction, type, constraint;
};
struct Entity {
    std::string name;
    std::vector<std::string> context;
    std::vector<Generic> generics;
    std::vector<Port> ports;
};

std::string text(const char *s) { return s ? s : ""; }

// Every entity of the tables, sorted by name, through the scan functions.
std::vector<Entity> entities() {
    std::vector<Entity> all;
    while (const char *name = vhdlutil_ScanEntities())
        all.push_back({name, {}, {}, {}});
    std::sort(all.begin(), all.end(), [](const Entity &a, const Entity &b) { return a.name < b.name; });
    for (Entity &e : all) {
        const char *n = e.name.c_str();
        while (const char *line = vhdlutil_ScanHeader(n)) {
            std::string l = line;
            while (!l.empty() && l.back() == '\n')
                l.pop_back();
            e.context.push_back(l);
        }
        const char *name, *type, *value, *kind, *dir, *constraint = nullptr;
        while (vhdlutil_ScanGenerics(n, &name, &type, &value))
            e.generics.push_back({text(name), text(type), text(value)});
        while (vhdlutil_ScanPorts(n, &name, &type, &kind, &dir, &constraint))
            e.ports.push_back({text(name), text(kind), text(dir), text(type), text(constraint)});
    }
    return all;
}

std::string padded(const std::string &s, size_t width) {
    return s.size() < width ? s + std::string(width - s.size(), ' ') : s;
}

void print_tables(const std::vector<Entity> &all) {
    for (const Entity &e : all) {
        say("entity " + e.name);
        for (const std::string &line : e.context)
            say("  " + line);
        size_t w = 4;
        for (const Generic &g : e.generics)
            w = std::max(w, g.name.size());
        for (const Port &p : e.ports)
            w = std::max(w, p.name.size());
        if (!e.generics.empty())
            say("  generics:");
        for (const Generic &g : e.generics)
            say("    " + padded(g.name, w) + "  " + (g.type.empty() ? "?" : g.type) +
                (g.value.empty() ? "" : " := " + g.value));
        if (!e.ports.empty())
            say("  ports:");
        for (const Port &p : e.ports)
            say("    " + padded(p.name, w) + "  " + padded(p.kind, 8) + "  " + padded(p.direction, 7) + "  " +
                (p.type.empty() ? "?" : p.type) + (p.constraint.empty() ? "" : " (" + p.constraint + ")"));
    }
}

struct Failure {
    std::string file, message;
};

void print_json(const std::vector<Entity> &all, const std::vector<Failure> &failures) {
    JsonWriter json;
    json.begin_object();
    json.objects("entities", all, [&](const Entity &e) {
        json.member("name", e.name);
        json.key("context");
        json.begin_array();
        for (const std::string &line : e.context)
            json.string(line);
        json.end_array();
        json.objects("generics", e.generics, [&](const Generic &g) {
            json.member("name", g.name);
            json.text_or_null("type", g.type);
            json.text_or_null("default", g.value);
        });
        json.objects("ports", e.ports, [&](const Port &p) {
            json.member("name", p.name);
            json.text_or_null("kind", p.kind);
            json.member("direction", p.direction);
            json.text_or_null("type", p.type);
            json.text_or_null("constraint", p.constraint);
        });
    });
    json.objects("errors", failures, [&](const Failure &f) {
        json.member("file", f.file);
        json.member("message", f.message);
    });
    json.end_object();
    json.finish();
}

// Reads every file into the tables; the failures, each with its message.
std::vector<Failure> read_all(const std::vector<std::string> &files) {
    std::vector<Failure> failures;
    Progress progress("vhdl", static_cast<int64_t>(files.size()), "files", false);
    for (size_t i = 0; i < files.size(); ++i) {
        if (!vhdlutil_VHDLSrcRead(files[i].c_str()))
            failures.push_back({files[i], text(vhdlutil_GetError())});
        progress.update(static_cast<int64_t>(i + 1));
    }
    return failures;
}

int run_vhdl(const Args &args) {
    bool ports = false, json = false;
    std::vector<std::string> files;
    if (int done = read_options("vhdl", args, {{}, {{"--ports", set_flag(ports)}, {"--json", set_flag(json)}}}, files);
        done >= 0)
        return done;
    if (files.empty())
        return usage_error("vhdl", "missing FILE");
    if (ports && json)
        return usage_error("vhdl", "--ports and --json exclude each other");
    vhdlutil_FreeAll();
    std::vector<Failure> failures = read_all(files);
    if (json)
        print_json(entities(), failures);
    else if (ports)
        print_tables(entities());
    else
        vhdlutil_PrintAll();
    std::fflush(stdout);
    for (const Failure &f : failures)
        failure("vhdl", f.file + ": " + f.message);
    vhdlutil_FreeAll();
    return failures.empty() ? 0 : 1;
}

int demo_vhdl(const std::string &dir) {
    std::string path = dir + "/sensor_frontend.vhd";
    vhdlutil_FreeAll();
    if (!vhdlutil_VHDLSrcRead(path.c_str())) {
        say("cannot read " + path + ": " + text(vhdlutil_GetError()));
        vhdlutil_FreeAll();
        return 1;
    }
    print_tables(entities());
    // Names of our own objects written into VHDL text.
    for (const char *name : {"vref", "out+", "signal", "quantity", "a\\b"}) {
        const char *vhdl = VHDLNameBuf(name, 0);
        say(std::string("name ") + name + " -> " + (vhdl ? vhdl : "?"));
    }
    vhdlutil_FreeAll();
    return 0;
}

const RegisterCommand command{{"vhdl", "lists the entities of VHDL and VHDL-AMS sources",
                               "usage: kt-util vhdl FILE... [--ports | --json]\n"
                               "\n"
                               "Reads every FILE into one set of tables and lists each entity it\n"
                               "declares: by default in the library's own listing (context lines,\n"
                               "ports with direction and kind, typed generics).\n"
                               "\n"
                               "  --ports  a table per entity instead: context lines, generics with\n"
                               "           type and default, ports with kind, direction, type and\n"
                               "           constraint\n"
                               "  --json   the same as one JSON document, with the errors:\n"
                               "           {\"entities\": [{\"name\": N, \"context\": [LINE, ...],\n"
                               "             \"generics\": [{\"name\": N, \"type\": T, \"default\": D}, ...],\n"
                               "             \"ports\": [{\"name\": N, \"kind\": K, \"direction\": DIR,\n"
                               "                        \"type\": T, \"constraint\": C}, ...]}, ...],\n"
                               "            \"errors\": [{\"file\": F, \"message\": M}, ...]}\n"
                               "           entities come sorted by name; a type, default, kind or\n"
                               "           constraint the source does not give is null. Sources are\n"
                               "           mostly Latin-1: their bytes that are not UTF-8 are read so.\n"
                               "\n"
                               "A file that cannot be read or holds a syntax error prints its message\n"
                               "after the listing of what was read, and the exit status is 1.\n",
                               run_vhdl}};
const RegisterDemo section{{90, "VHDL-AMS interfaces (sensor_frontend.vhd)", demo_vhdl}};

} // namespace
} // namespace ktutil
