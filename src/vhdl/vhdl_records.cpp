// Records of the VHDL scanner: the entity and type tables, construction of
// entities, generics, ports and types, the last error, and freeing all.
//
// Invariants: an entity's tables map each name to the latest record of that
// name, while its lists keep every record in declaration order, so freeing
// goes through the lists. Types are shared and outlive vhdlutil_FreeAll.
// A record and its name are one heap block, the name right behind the
// record: reading a large design makes half as many requests.
#include <cstring>

#include "../packages/heap.h"
#include "../packages/low_strhash.h"
#include "kt/host.h"
#include "vhdl_internal.h"

using kt::packages::allocate;
using kt::packages::release;

namespace kt::vhdl {

st_table *g_entities = nullptr;

namespace {

st_table *g_types = nullptr;
char *g_error = nullptr;

st_table *new_table() { return st_init_table(kt_stricmp, low_strhash); }

// A record with room for its name behind it; its name set, the rest to fill.
template <typename Record> Record *allocate_named(const char *name, size_t len) {
    auto *r = static_cast<Record *>(allocate(sizeof(Record) + len + 1));
    if (r) {
        r->name = reinterpret_cast<char *>(r + 1);
        std::memcpy(r->name, name, len);
        r->name[len] = '\0';
    }
    return r;
}

// A record made of `fields` and the name, entered in table under its name.
template <typename Record> Record *make_entered(st_table *table, const char *name, size_t len, Record fields) {
    auto *r = allocate_named<Record>(name, len);
    if (!r)
        return nullptr;
    fields.name = r->name;
    *r = fields;
    if (st_insert(table, r->name, r) == ST_OUT_OF_MEMORY) {
        release(r);
        return nullptr;
    }
    return r;
}

void free_entity(VHDLEntity *e) {
    for (VHDLGeneric *g = e->first_generic; g;) {
        VHDLGeneric *next = g->next;
        release(g->value);
        release(g);
        g = next;
    }
    st_free_table(e->generics);
    for (VHDLPort *p = e->first_port; p;) {
        VHDLPort *next = p->next;
        release(p->constraint);
        release(p);
        p = next;
    }
    st_free_table(e->ports);
    free_text_list(e->context);
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
    // Made before the look-up, so that the table's key is the record's own
    // name and the look-up and the insertion are one walk.
    auto *e = allocate_named<VHDLEntity>(name, len);
    if (!e)
        return nullptr;
    *e = VHDLEntity{e->name, 1, nullptr, nullptr, nullptr, nullptr, nullptr};
    void **slot = nullptr;
    int found = st_find_or_add(g_entities, e->name, &slot);
    if (found == 1) {
        release(e);
        return static_cast<VHDLEntity *>(*slot);
    }
    e->generics = new_table();
    e->ports = new_table();
    if (found == ST_OUT_OF_MEMORY || !e->generics || !e->ports) {
        if (found != ST_OUT_OF_MEMORY) {
            const char *key = e->name;
            st_delete(g_entities, &key, nullptr);
        }
        free_entity(e);
        return nullptr;
    }
    *slot = e;
    return e;
}

VHDLType *find_or_make_type(const char *name, size_t len) {
    if (!g_types && !(g_types = new_table()))
        return nullptr;
    void *found = nullptr;
    if (st_lookup(g_types, name, &found))
        return static_cast<VHDLType *>(found);
    return make_entered(g_types, name, len, VHDLType{nullptr, nullptr, 3});
}

VHDLGeneric *make_generic(VHDLEntity *entity, const char *name, size_t len) {
    return make_entered(entity->generics, name, len, VHDLGeneric{nullptr, nullptr, nullptr, nullptr});
}

VHDLPort *make_port(VHDLEntity *entity, const char *name, size_t len) {
    return make_entered(entity->ports, name, len,
                        VHDLPort{nullptr, nullptr, VHDL_SIGNAL, VHDL_NO_DIRECTION, nullptr, nullptr});
}

VHDLTextNode *make_text_node(const char *keyword, const char *word, size_t len) {
    size_t k = std::strlen(keyword);
    auto *node = static_cast<VHDLTextNode *>(allocate(sizeof(VHDLTextNode) + k + len + 4));
    if (!node)
        return nullptr;
    char *text = reinterpret_cast<char *>(node + 1);
    std::memcpy(text, keyword, k);
    text[k] = ' ';
    std::memcpy(text + k + 1, word, len);
    std::memcpy(text + k + 1 + len, ";\n", 3);
    *node = VHDLTextNode{text, nullptr};
    return node;
}

void free_text_list(VHDLTextNode *node) {
    while (node) {
        VHDLTextNode *next = node->next;
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
