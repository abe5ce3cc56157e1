// The scan functions of the VHDL scanner: iterators with hidden cursors
// over the entity table and over one entity's declaration-order lists.
//
// Invariants: a scan runs while its entity cursor is set; it ends (both
// cursors cleared) as soon as it returns null, whatever the name argument,
// and whenever the tables are freed.
#include "vhdl_internal.h"

namespace kt::vhdl {
namespace {

st_generator *g_entity_walk = nullptr;

template <typename Item> struct Cursor {
    VHDLEntity *entity = nullptr;
    Item *next = nullptr;

    // The item to hand out, or null (and the scan ended).
    Item *step(const char *name, Item *VHDLEntity::*first) {
        if (!entity) {
            void *found = nullptr;
            if (!name || !g_entities || !st_lookup(g_entities, name, &found))
                return nullptr;
            entity = static_cast<VHDLEntity *>(found);
            next = entity->*first;
        }
        Item *item = next;
        if (!item) {
            entity = nullptr;
            return nullptr;
        }
        next = item->next;
        return item;
    }
};

Cursor<VHDLTextNode> g_header;
Cursor<VHDLGeneric> g_generics;
Cursor<VHDLPort> g_ports;

} // namespace

void end_scans() {
    st_free_gen(g_entity_walk);
    g_entity_walk = nullptr;
    g_header = {};
    g_generics = {};
    g_ports = {};
}

} // namespace kt::vhdl

using namespace kt::vhdl;

extern "C" {

const char *vhdlutil_ScanEntities(void) {
    if (!g_entity_walk) {
        if (!g_entities || !(g_entity_walk = st_init_gen(g_entities)))
            return nullptr;
    }
    const char *key = nullptr;
    if (st_gen(g_entity_walk, &key, nullptr))
        return key;
    st_free_gen(g_entity_walk);
    g_entity_walk = nullptr;
    return nullptr;
}

const char *vhdlutil_ScanHeader(const char *entity) {
    VHDLTextNode *line = g_header.step(entity, &VHDLEntity::context);
    return line ? line->text : nullptr;
}

const char *vhdlutil_ScanGenerics(const char *entity, const char **name, const char **type, const char **value) {
    VHDLGeneric *g = g_generics.step(entity, &VHDLEntity::first_generic);
    if (!g)
        return nullptr;
    *name = g->name;
    *type = g->type ? g->type->name : nullptr;
    *value = g->value;
    return g->name;
}

const char *vhdlutil_ScanPorts(const char *entity, const char **name, const char **type, const char **kind,
                               const char **direction, const char **constraint) {
    *name = *type = *kind = *direction = nullptr;
    VHDLPort *p = g_ports.step(entity, &VHDLEntity::first_port);
    if (!p)
        return nullptr;
    *name = p->name;
    *type = p->type ? p->type->name : nullptr;
    *kind = kind_word(p->kind);
    *direction = direction_word(p->direction);
    *constraint = p->constraint;
    return p->name;
}

} // extern "C"
