// The listing of every entity the VHDL scanner read, on standard output:
// its context lines, then its ports and its typed generics in table order.
#include <cstdio>

#include "vhdl_internal.h"

namespace kt::vhdl {
namespace {

int print_port(const char *, void *record, void *) {
    auto *p = static_cast<VHDLPort *>(record);
    std::printf("  Port %s  ", p->name);
    if (p->direction == VHDL_NO_DIRECTION)
        std::fputs(" <no direction>", stdout);
    else if (p->direction >= VHDL_IN && p->direction < VHDL_NO_DIRECTION)
        std::fputs(direction_word(p->direction), stdout);
    if (const char *kind = kind_word(p->kind))
        std::printf(" %s ", kind);
    std::fputc('\n', stdout);
    return ST_CONTINUE;
}

int print_generic(const char *, void *record, void *) {
    auto *g = static_cast<VHDLGeneric *>(record);
    if (g->type && g->type->name)
        std::printf("  Generic %s, type %s\n", g->name, g->type->name);
    return ST_CONTINUE;
}

int print_entity(const char *, void *record, void *) {
    auto *e = static_cast<VHDLEntity *>(record);
    std::printf("ENTITY %s\n", e->name);
    for (VHDLTextNode *line = e->context; line; line = line->next)
        std::printf("  %s\n", line->text);
    // Without memory for a table, the records in declaration order.
    if (st_table *ports = port_table(e))
        st_foreach(ports, print_port, nullptr);
    else
        for (VHDLPort *p = e->first_port; p; p = p->next)
            print_port(nullptr, p, nullptr);
    if (st_table *generics = generic_table(e))
        st_foreach(generics, print_generic, nullptr);
    else
        for (VHDLGeneric *g = e->first_generic; g; g = g->next)
            print_generic(nullptr, g, nullptr);
    return ST_CONTINUE;
}

} // namespace
} // namespace kt::vhdl

extern "C" void vhdlutil_PrintAll(void) {
    if (kt::vhdl::g_entities)
        st_foreach(kt::vhdl::g_entities, kt::vhdl::print_entity, nullptr);
}
