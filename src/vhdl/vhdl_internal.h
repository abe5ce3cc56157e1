// Internals of the VHDL scanner shared by its files: the process-wide
// tables, record construction and the last error.
//
// Invariants: the entity table is null or holds every entity read since the
// last vhdlutil_FreeAll, keyed by the record's own name; the type table is
// made once and never freed; every heap block comes from the packages' heap
// (kt::packages::allocate), so tests can refuse it.
#ifndef KT_SRC_VHDL_VHDL_INTERNAL_H
#define KT_SRC_VHDL_VHDL_INTERNAL_H

#include <cstddef>
#include <cstring>

#include "packages/heap.h"
#include "kt/vhdl.h"

namespace kt::vhdl {

// Grows a heap buffer to at least `need` bytes (doubling), keeping its first
// `keep` bytes; false, with the buffer as it was, when memory ran out.
inline bool reserve(char *&buf, size_t &cap, size_t need, size_t keep) {
    if (need <= cap)
        return true;
    size_t grown = need > 2 * cap ? need : 2 * cap;
    auto *bigger = static_cast<char *>(kt::packages::allocate(grown));
    if (!bigger)
        return false;
    if (keep)
        std::memcpy(bigger, buf, keep);
    kt::packages::release(buf);
    buf = bigger;
    cap = grown;
    return true;
}

// Names (vhdl_names.cpp).
bool reserved_word(const char *token, size_t len, int flag);
bool usable_name(const char *name, size_t len, int flag);

// Records (vhdl_records.cpp). Each gives null when memory ran out.
extern st_table *g_entities;
VHDLEntity *find_or_make_entity(const char *name, size_t len);
// A read's changes to the entities: begin_read starts noting them (each
// entity as find_or_make_entity hands it out, before the read changes it),
// undo_read takes them all back: entities the read made are freed, the
// others get back their context lines and lose the generics and ports the
// read appended. Types the read made stay.
void begin_read();
void undo_read();
VHDLType *find_or_make_type(const char *name, size_t len);
VHDLGeneric *make_generic(VHDLEntity *entity, const char *name, size_t len);
VHDLPort *make_port(VHDLEntity *entity, const char *name, size_t len);
// The entity's generic or port table, made from its list on first need;
// null when memory ran out.
st_table *generic_table(VHDLEntity *entity);
st_table *port_table(VHDLEntity *entity);
// A text kept by the entity (a default value or a constraint) until it is freed.
char *entity_text(VHDLEntity *entity, const char *text, size_t len);
// Replaces the entity's context lines by `count` zero-terminated lines
// stored back to back; false when memory ran out.
bool set_context(VHDLEntity *entity, const char *lines, size_t count);
// Replaces the last error; a null message just forgets it.
void set_error(char *message);
// A message formatted as printf does, in a new heap block; null when memory ran out.
char *formatted(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Words of the scan functions and the listing.
const char *kind_word(int kind);           // null for an unknown code
const char *direction_word(int direction); // "IN" .. "LINKAGE", "NONE"

// Scan cursors (vhdl_scan.cpp): forgotten when the tables are freed.
void end_scans();

} // namespace kt::vhdl

#endif
