// Records of the VHDL scanner: the entity and type tables, construction of
// entities, generics, ports and types, taking back a read, the last error,
// and freeing all.
//
// Invariants: an entity's lists keep every record in declaration order; its
// tables, made from the lists when the listing first needs them and kept
// up to date from then on, map each name to the latest record of that name
// (the same tables as entering each record when it is made, at a fraction
// of the heap requests). Types are shared and outlive vhdlutil_FreeAll.
// A record and its name are one block, the name right behind the record;
// an entity's generics, ports, context lines and their texts come from
// chunks it owns (replaced lines stay there until it is freed):
// reading a large design makes few heap requests. A read notes each entity
// it hands out once, with the ends its lists had then: records are only
// ever appended, so cutting the lists there takes the read back.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "packages/heap.h"
#include "packages/low_strhash.h"
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

// The generics and ports of an entity and their texts are carved one after
// the other out of chunks that the entity owns, and freed with it at once.
struct Chunk {
    Chunk *next;
    size_t used, size;
};
constexpr size_t kChunkBytes = 960;

// An entity with its chunks and what the read that last handed it out
// found in it; its name lies right behind.
struct OwnedEntity {
    VHDLEntity entity; // first: an entity's address is its owner's
    Chunk *chunks;
    uint64_t read; // the read that noted it
    bool made_by_read;
    OwnedEntity *next_noted; // of the same read
    VHDLTextNode *old_context;
    VHDLGeneric *old_last_generic; // null: it had none
    VHDLPort *old_last_port;
};
OwnedEntity *owner_of(VHDLEntity *e) { return reinterpret_cast<OwnedEntity *>(e); }

void *from_chunks(VHDLEntity *e, size_t bytes) {
    bytes = (bytes + alignof(void *) - 1) & ~(alignof(void *) - 1);
    Chunk *c = owner_of(e)->chunks;
    if (!c || c->size - c->used < bytes) {
        size_t size = bytes > kChunkBytes ? bytes : kChunkBytes;
        auto *fresh = static_cast<Chunk *>(allocate(sizeof(Chunk) + size));
        if (!fresh)
            return nullptr;
        *fresh = Chunk{c, 0, size};
        owner_of(e)->chunks = c = fresh;
    }
    void *p = reinterpret_cast<char *>(c + 1) + c->used;
    c->used += bytes;
    return p;
}

// Fills a block with `fields` and the name behind them, and enters the
// record in table under its name; null when there is no block or no entry.
template <typename Record> Record *enter(st_table *table, void *block, const char *name, size_t len, Record fields) {
    if (!block)
        return nullptr;
    auto *r = static_cast<Record *>(block);
    fields.name = reinterpret_cast<char *>(r + 1);
    std::memcpy(fields.name, name, len);
    fields.name[len] = '\0';
    *r = fields;
    return table && st_insert(table, r->name, r) == ST_OUT_OF_MEMORY ? nullptr : r;
}

// The table of a list: made on first need, by entering the records in
// list order.
template <typename Record> st_table *table_of(st_table *&table, Record *first) {
    if (table)
        return table;
    st_table *made = new_table();
    if (!made)
        return nullptr;
    for (Record *r = first; r; r = r->next) {
        if (st_insert(made, r->name, r) == ST_OUT_OF_MEMORY) {
            st_free_table(made);
            return nullptr;
        }
    }
    return table = made;
}

uint64_t g_read = 0;            // the current read
OwnedEntity *g_noted = nullptr; // the entities it handed out

template <typename Record> Record *last_of(Record *first) {
    while (first && first->next)
        first = first->next;
    return first;
}

// Ends a list after `last` (null: empties it).
template <typename Record> void cut_after(Record *&first, Record *last) {
    if (last)
        last->next = nullptr;
    else
        first = nullptr;
}

void note(OwnedEntity *o, bool made) {
    if (o->read == g_read)
        return;
    VHDLEntity &e = o->entity;
    o->read = g_read;
    o->made_by_read = made;
    o->old_context = e.context;
    o->old_last_generic = last_of(e.first_generic);
    o->old_last_port = last_of(e.first_port);
    o->next_noted = g_noted;
    g_noted = o;
}

void free_entity(VHDLEntity *e) {
    st_free_table(e->generics);
    st_free_table(e->ports);
    for (Chunk *c = owner_of(e)->chunks; c;) {
        Chunk *next = c->next;
        release(c);
        c = next;
    }
    release(owner_of(e));
}

} // namespace

VHDLEntity *find_or_make_entity(const char *name, size_t len) {
    if (!g_entities && !(g_entities = new_table()))
        return nullptr;
    // Made before the look-up, so that the table's key is the record's own
    // name and the look-up and the insertion are one walk.
    auto *o = static_cast<OwnedEntity *>(allocate(sizeof(OwnedEntity) + len + 1));
    if (!o)
        return nullptr;
    auto *own_name = reinterpret_cast<char *>(o + 1);
    std::memcpy(own_name, name, len);
    own_name[len] = '\0';
    *o = OwnedEntity{VHDLEntity{own_name, 1, nullptr, nullptr, nullptr, nullptr, nullptr},
                     nullptr,
                     0,
                     false,
                     nullptr,
                     nullptr,
                     nullptr,
                     nullptr};
    VHDLEntity *e = &o->entity;
    void **slot = nullptr;
    int found = st_find_or_add(g_entities, e->name, &slot);
    if (found == 1) {
        release(o);
        e = static_cast<VHDLEntity *>(*slot);
        note(owner_of(e), false);
        return e;
    }
    if (found == ST_OUT_OF_MEMORY) {
        free_entity(e);
        return nullptr;
    }
    *slot = e;
    note(o, true);
    return e;
}

void begin_read() {
    ++g_read;
    g_noted = nullptr;
}

void undo_read() {
    bool freed = false;
    for (OwnedEntity *o = g_noted, *next = nullptr; o; o = next) {
        next = o->next_noted;
        VHDLEntity *e = &o->entity;
        if (o->made_by_read) {
            const char *key = e->name;
            st_delete(g_entities, &key, nullptr);
            free_entity(e);
            freed = true;
            continue;
        }
        e->context = o->old_context;
        cut_after(e->first_generic, o->old_last_generic);
        cut_after(e->first_port, o->old_last_port);
        // The tables may hold records of the read; they are made again
        // from the lists when needed.
        st_free_table(e->generics);
        st_free_table(e->ports);
        e->generics = e->ports = nullptr;
    }
    g_noted = nullptr;
    // A walk over the entity table must not go on into freed entries.
    if (freed)
        end_scans();
}

VHDLType *find_or_make_type(const char *name, size_t len) {
    // Declarations name a few types again and again: the last type seen
    // under each of a few hashes of the exact text spares most look-ups.
    // Types are never freed, and a text equal to a type's name finds it.
    static VHDLType *recent[64];
    VHDLType *&seen =
        recent[(len * 31 + static_cast<unsigned char>(name[0]) * 7 + static_cast<unsigned char>(name[len - 1])) % 64];
    if (seen && std::strncmp(seen->name, name, len) == 0 && seen->name[len] == '\0')
        return seen;
    if (!g_types && !(g_types = new_table()))
        return nullptr;
    void *found = nullptr;
    if (st_lookup(g_types, name, &found))
        return seen = static_cast<VHDLType *>(found);
    void *block = allocate(sizeof(VHDLType) + len + 1);
    VHDLType *t = enter(g_types, block, name, len, VHDLType{nullptr, nullptr, 3});
    if (!t)
        release(block);
    return t ? seen = t : nullptr;
}

VHDLGeneric *make_generic(VHDLEntity *entity, const char *name, size_t len) {
    return enter(entity->generics, from_chunks(entity, sizeof(VHDLGeneric) + len + 1), name, len,
                 VHDLGeneric{nullptr, nullptr, nullptr, nullptr});
}

VHDLPort *make_port(VHDLEntity *entity, const char *name, size_t len) {
    return enter(entity->ports, from_chunks(entity, sizeof(VHDLPort) + len + 1), name, len,
                 VHDLPort{nullptr, nullptr, VHDL_SIGNAL, VHDL_NO_DIRECTION, nullptr, nullptr});
}

st_table *generic_table(VHDLEntity *entity) { return table_of(entity->generics, entity->first_generic); }

st_table *port_table(VHDLEntity *entity) { return table_of(entity->ports, entity->first_port); }

char *entity_text(VHDLEntity *entity, const char *text, size_t len) {
    auto *copy = static_cast<char *>(from_chunks(entity, len + 1));
    if (copy) {
        std::memcpy(copy, text, len);
        copy[len] = '\0';
    }
    return copy;
}

bool set_context(VHDLEntity *entity, const char *lines, size_t count) {
    VHDLTextNode **link = &entity->context;
    for (size_t k = 0; k < count; ++k) {
        size_t len = std::strlen(lines);
        auto *node = static_cast<VHDLTextNode *>(from_chunks(entity, sizeof(VHDLTextNode) + len + 1));
        if (!node)
            return false;
        *node = VHDLTextNode{reinterpret_cast<char *>(node + 1), nullptr};
        std::memcpy(node->text, lines, len + 1);
        *link = node;
        link = &node->next;
        lines += len + 1;
    }
    *link = nullptr;
    return true;
}

char *formatted(const char *format, ...) {
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    auto *message = n < 0 ? nullptr : static_cast<char *>(allocate(static_cast<size_t>(n) + 1));
    if (message) {
        va_start(args, format);
        std::vsnprintf(message, static_cast<size_t>(n) + 1, format, args);
        va_end(args);
    }
    return message;
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
    // st_foreach needs no memory of its own, so freeing cannot fail; each
    // entry goes with its entity, in the one walk over the table.
    st_foreach(
        g_entities,
        [](const char *, void *record, void *) {
            free_entity(static_cast<VHDLEntity *>(record));
            return static_cast<int>(ST_DELETE);
        },
        nullptr);
    st_free_table(g_entities);
    g_entities = nullptr;
}

} // extern "C"
