// kt-util vhdl: reads VHDL and VHDL-AMS sources into one set of tables and
// lists their entities (the library's listing, a table per entity, or
// JSON); and the demo section on examples/sensor_frontend.vhd.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "kt/vhdl.h"

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

std::string json_string(const std::string &s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// A text of the tables, or null where the scanner recorded none.
std::string json_text(const std::string &s) { return s.empty() ? "null" : json_string(s); }

struct Failure {
    std::string file, message;
};

void print_json(const std::vector<Entity> &all, const std::vector<Failure> &failures) {
    std::string out = "{\"entities\": [";
    for (size_t i = 0; i < all.size(); ++i) {
        const Entity &e = all[i];
        out += i ? ",\n  " : "\n  ";
        out += "{\"name\": " + json_string(e.name) + ", \"context\": [";
        for (size_t k = 0; k < e.context.size(); ++k)
            out += (k ? ", " : "") + json_string(e.context[k]);
        out += "],\n   \"generics\": [";
        for (size_t k = 0; k < e.generics.size(); ++k) {
            const Generic &g = e.generics[k];
            out += std::string(k ? ", " : "") + "{\"name\": " + json_string(g.name) + ", \"type\": " +
                   json_text(g.type) + ", \"default\": " + json_text(g.value) + "}";
        }
        out += "],\n   \"ports\": [";
        for (size_t k = 0; k < e.ports.size(); ++k) {
            const Port &p = e.ports[k];
            out += std::string(k ? ",\n     " : "") + "{\"name\": " + json_string(p.name) + ", \"kind\": " +
                   json_text(p.kind) + ", \"direction\": " + json_string(p.direction) + ", \"type\": " +
                   json_text(p.type) + ", \"constraint\": " + json_text(p.constraint) + "}";
        }
        out += "]}";
    }
    out += "\n],\n\"errors\": [";
    for (size_t i = 0; i < failures.size(); ++i)
        out += std::string(i ? ", " : "") + "{\"file\": " + json_string(failures[i].file) +
               ", \"message\": " + json_string(failures[i].message) + "}";
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
}

// Reads every file into the tables; the failures, each with its message.
std::vector<Failure> read_all(const std::vector<std::string> &files) {
    std::vector<Failure> failures;
    for (const std::string &f : files) {
        if (!vhdlutil_VHDLSrcRead(f.c_str()))
            failures.push_back({f, text(vhdlutil_GetError())});
    }
    return failures;
}

int run_vhdl(const Args &args) {
    bool ports = false, json = false;
    std::vector<std::string> files;
    for (const std::string &a : args) {
        if (a == "--ports")
            ports = true;
        else if (a == "--json")
            json = true;
        else if (a.size() > 1 && a[0] == '-')
            return usage_error("vhdl", "unknown option '" + a + "'");
        else
            files.push_back(a);
    }
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

const RegisterCommand command{{"vhdl", "list the entities of VHDL and VHDL-AMS sources",
                               "usage: kt-util vhdl FILE... [--ports] [--json]\n"
                               "\n"
                               "Reads every FILE into one set of tables and lists each entity it\n"
                               "declares: by default in the library's own listing (context lines,\n"
                               "ports with direction and kind, typed generics); with --ports as a\n"
                               "table per entity (context lines, generics with type and default,\n"
                               "ports with kind, direction, type and constraint); with --json the\n"
                               "same for other tools, with the errors.\n"
                               "\n"
                               "A file that cannot be read or holds a syntax error prints its\n"
                               "message after the listing of what was read, and the exit status\n"
                               "is 1.\n",
                               run_vhdl}};
const RegisterDemo section{{90, "VHDL-AMS interfaces (sensor_frontend.vhd)", demo_vhdl}};

} // namespace
} // namespace ktutil
