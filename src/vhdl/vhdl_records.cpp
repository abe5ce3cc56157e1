// Records of the VHDL scanner: the entity and type tables, construction of
// entities, generics, ports and types, the last error, and freeing all.
//
// Invariants: an entity's tables map each name to the latest record of that
// name, while its lists keep every record in declaration order, so freeing
// goes through the lists. Types are shared and outlive vhdlutil_FreeAll.
#include <cstring>

#include "../packages/heap.h"
#include "../packages/low_strhash.h"
#include "kt/host.h"
#include "vhdl_internal.h"

using kt::packages::allocate;
using kt::packages::allocate_one;
using kt::packages::release;

namespace kt::vhdl {

st_table *g_entities = nullptr;

namespace {

st_table *g_types = nullptr;
char *g_error = nullptr;

st_table *new_table() { return st_init_table(kt_stricmp, low_strhash); }

void free_entity(VHDLEntity *e) {
    for (VHDLGeneric *g = e->first_generic; g;) {
        VHDLGeneric *next = g->next;
        release(g->name);
        release(g->value);
        release(g);
        g = next;
    }
    st_free_table(e->generics);
    for (VHDLPort *p = e->first_port; p;) {
        VHDLPort *next = p->next;
        release(p->name);
        release(p->constraint);
        release(p);
        p = next;
    }
    st_free_table(e->ports);
    free_text_list(e->context);
    release(e->name);
    release(e);
}

} // namespace

char *copy_text(const char *text, size_t len) {
    auto *copy = static_cast<char *>(allocate(len + 1));
    if (copy) {
        std::memcpy(copy, text, len);
        copy[len] = '\0';
    }
    return copy;
}

VHDLEntity *find_or_make_entity(const char *name, size_t len) {
    if (!g_entities && !(g_entities = new_table()))
        return nullptr;
    void *found = nullptr;
    if (st_lookup(g_entities, name, &found))
        return static_cast<VHDLEntity *>(found);
    auto *e = allocate_one<VHDLEntity>();
    if (!e)
        return nullptr;
    *e = VHDLEntity{copy_text(name, len), 1, new_table(), new_table(), nullptr, nullptr, nullptr};
    if (!e->name || !e->generics || !e->ports || st_insert(g_entities, e->name, e) == ST_OUT_OF_MEMORY) {
        free_entity(e);
        return nullptr;
    }
    return e;
}

VHDLType *find_or_make_type(const char *name, size_t len) {
    if (!g_types && !(g_types = new_table()))
        return nullptr;
    void *found = nullptr;
    if (st_lookup(g_types, name, &found))
        return static_cast<VHDLType *>(found);
    auto *t = allocate_one<VHDLType>();
    if (!t)
        return nullptr;
    *t = VHDLType{copy_text(name, len), nullptr, 3};
    if (!t->name || st_insert(g_types, t->name, t) == ST_OUT_OF_MEMORY) {
        release(t->name);
        release(t);
        return nullptr;
    }
    return t;
}

VHDLGeneric *make_generic(VHDLEntity *entity, const char *name, size_t len) {
    auto *g = allocate_one<VHDLGeneric>();
    if (!g)
        return nullptr;
    *g = VHDLGeneric{copy_text(name, len), nullptr, nullptr, nullptr};
    if (!g->name || st_insert(entity->generics, g->name, g) == ST_OUT_OF_MEMORY) {
        release(g->name);
        release(g);
        return nullptr;
    }
    return g;
}

VHDLPort *make_port(VHDLEntity *entity, const char *name, size_t len) {
    auto *p = allocate_one<VHDLPort>();
    if (!p)
        return nullptr;
    *p = VHDLPort{copy_text(name, len), nullptr, VHDL_SIGNAL, VHDL_NO_DIRECTION, nullptr, nullptr};
    if (!p->name || st_insert(entity->ports, p->name, p) == ST_OUT_OF_MEMORY) {
        release(p->name);
        release(p);
        return nullptr;
    }
    return p;
}

void free_text_list(VHDLTextNode *node) {
    while (node) {
        VHDLTextNode *next = node->next;
        release(node->text);
        release(node);
        node = next;
    }
}

void set_error(char *message) {
    release(g_error);
    g_error = message;
}

const char *kind_word(int kind) {
    switch (kind) {
    case VHDL_SIGNAL:
        return "signal";
    case VHDL_TERMINAL:
        return "terminal";
    case VHDL_QUANTITY:
        return "quantity";
    default:
        return nullptr;
    }
}

const char *direction_word(int direction) {
    static const char *const words[] = {"IN", "OUT", "INOUT", "BUFFER", "LINKAGE"};
    return direction >= VHDL_IN && direction <= VHDL_LINKAGE ? words[direction] : "NONE";
}

} // namespace kt::vhdl

extern "C" {

const char *vhdlutil_GetError(void) { return kt::vhdl::g_error; }

void vhdlutil_FreeAll(void) {
    using namespace kt::vhdl;
    end_scans();
    set_error(nullptr);
    if (!g_entities)
        return;
    // st_foreach needs no memory of its own, so freeing cannot fail.
    st_foreach(
        g_entities,
        [](const char *, void *record, void *) {
            free_entity(static_cast<VHDLEntity *>(record));
            return static_cast<int>(ST_CONTINUE);
        },
        nullptr);
    st_free_table(g_entities);
    g_entities = nullptr;
}

} // extern "C"
