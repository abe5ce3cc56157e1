// The table of numbered units; see units.h.
#include "units.h"

#include <cerrno>
#include <memory>
#include <utility>
#include <vector>

#include "hook_allocator.h"
#include "kt/host.h"

namespace kt::host {
namespace {

struct Unit {
    UnitKind kind = UnitKind::TextOut;
    kt::HookString path;
    std::unique_ptr<DescriptorReader> in;
    std::unique_ptr<DescriptorWriter> out;
    bool open() const { return in || out; }
};

kt::HookVector<Unit> &units() {
    static kt::HookVector<Unit> u;
    return u;
}

Unit *find(int32_t unit) {
    auto &u = units();
    if (unit < kFirstUnit || static_cast<size_t>(unit - kFirstUnit) >= u.size())
        return nullptr;
    Unit &e = u[static_cast<size_t>(unit - kFirstUnit)];
    return e.open() ? &e : nullptr;
}

} // namespace

int32_t open_unit(const char *path, UnitKind kind) {
    if (!path || !*path)
        return -1;
    auto &u = units();
    size_t slot = 0;
    while (slot < u.size() && u[slot].open())
        ++slot;
    // Slot and name first: a refusal then leaves every file untouched (a
    // slot left behind is free).
    try {
        if (slot == u.size())
            u.emplace_back();
        u[slot].path = path;
    } catch (const std::bad_alloc &) {
        errno = ENOMEM;
        return -1;
    }
    int fd = kind == UnitKind::BinaryRead ? open_for_reading(path) : open_for_writing(path);
    if (fd < 0)
        return -1;
    Unit &e = u[slot];
    e.kind = kind;
    if (kind == UnitKind::BinaryRead)
        e.in = std::make_unique<DescriptorReader>(fd);
    else
        e.out = std::make_unique<DescriptorWriter>(fd);
    return kFirstUnit + static_cast<int32_t>(slot);
}

DescriptorWriter *unit_writer(int32_t unit, UnitKind kind) {
    Unit *e = find(unit);
    return e && e->kind == kind ? e->out.get() : nullptr;
}

DescriptorReader *unit_reader(int32_t unit) {
    Unit *e = find(unit);
    return e ? e->in.get() : nullptr;
}

std::string unit_path(int32_t unit) {
    Unit *e = find(unit);
    return e ? std::string(e->path.data(), e->path.size()) : std::string();
}

int unit_error(int32_t unit) {
    Unit *e = find(unit);
    if (!e)
        return -1;
    return e->in ? e->in->error() : e->out->error();
}

int close_unit(int32_t unit) {
    Unit *e = find(unit);
    if (!e)
        return 0;
    int r = 0, err = 0;
    if (e->out) {
        r = e->out->close();
        err = errno;
    } else if (e->in->error() != 0) {
        r = -1;
        err = e->in->error();
    }
    Unit closed; // takes the unit's name with it: a free slot holds no memory
    std::swap(*e, closed);
    errno = err;
    return r;
}

} // namespace kt::host

extern "C" {

int32_t kt_host_open_unit(const char *path, const char *mode) {
    using kt::host::UnitKind;
    if (!mode || (mode[0] != 'r' && mode[0] != 'w') || mode[1] != '\0')
        return -1;
    return kt::host::open_unit(path, mode[0] == 'r' ? UnitKind::BinaryRead : UnitKind::BinaryWrite);
}

int32_t kt_host_close_unit(int32_t unit) { return kt::host::close_unit(unit); }

int32_t kt_host_unit_error(int32_t unit) { return kt::host::unit_error(unit); }

} // extern "C"
