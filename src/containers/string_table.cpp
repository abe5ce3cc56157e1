// StringTable: dense ids for interned strings.
//
// `ids` maps an id to its entry (null for a released id); released ids wait
// on `free_ids` and are handed out again most recently released first. Every
// operation leaves the table as it was when it reports status 2.
#include "kt/containers_hash.h"

int StringTable::status = 0;

StringTable::StringTable(PWSRegion *home) : Hash_cString_int(home), ids(region, 10), free_ids(region, 10) {
    status = (eflag || ids.nostore() || free_ids.nostore()) ? 2 : 0;
}

int StringTable::enter(const char *s) {
    if (!s) {
        status = 1;
        return -1;
    }
    int created = 0;
    Hash_entry_cString *e = Hash_Key_cString::create(s, created);
    if (!e) {
        status = 2;
        return -1;
    }
    if (!created) {
        status = 0;
        return value(e);
    }
    int id;
    if (free_ids.size() > 0) {
        id = free_ids.pop();
        ids[id] = e;
    } else {
        int slot = ids.enter(e);
        if (slot < 0) {
            Hash_Key_cString::free(e);
            status = 2;
            return -1;
        }
        id = slot - 1;
    }
    save_value(e, id);
    status = 0;
    return id;
}

int StringTable::find(const char *s) const {
    Hash_entry_cString *e = Hash_Key_cString::find(s);
    status = e ? 0 : 1;
    return e ? value(e) : -1;
}

void StringTable::free(int id) {
    if (id < 0 || id >= ids.size() || !ids[id]) {
        status = 1;
        return;
    }
    // The id is queued for reuse first: if that is refused nothing changes.
    if (free_ids.push(id) < 0) {
        status = 2;
        return;
    }
    Hash_Key_cString::free(static_cast<Hash_entry_cString *>(ids[id]));
    ids[id] = nullptr;
    status = 0;
}

const char *StringTable::string_of(int id) const {
    if (id < 0 || id >= ids.size() || !ids[id])
        return nullptr;
    return static_cast<const Hash_entry_cString *>(ids[id])->key();
}
