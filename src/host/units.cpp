#include "units.h"

#include <vector>

#include "kt/host.h"

namespace kt::host {
namespace {

struct Unit {
    std::FILE *file = nullptr;
    UnitKind kind = UnitKind::TextOut;
};

std::vector<Unit> &units() {
    static std::vector<Unit> u;
    return u;
}

} // namespace

int32_t open_unit(const char *path, UnitKind kind) {
    if (!path || !*path)
        return -1;
    std::FILE *f = std::fopen(path, kind == UnitKind::BinaryRead ? "rb" : kind == UnitKind::BinaryWrite ? "wb" : "w");
    if (!f)
        return -1;
    auto &u = units();
    size_t slot = 0;
    while (slot < u.size() && u[slot].file)
        ++slot;
    if (slot == u.size())
        u.emplace_back();
    u[slot] = {f, kind};
    return kFirstUnit + static_cast<int32_t>(slot);
}

std::FILE *unit_file(int32_t unit, UnitKind kind) {
    auto &u = units();
    if (unit < kFirstUnit || static_cast<size_t>(unit - kFirstUnit) >= u.size())
        return nullptr;
    const Unit &e = u[static_cast<size_t>(unit - kFirstUnit)];
    return e.file && e.kind == kind ? e.file : nullptr;
}

void close_unit(int32_t unit) {
    auto &u = units();
    if (unit < kFirstUnit || static_cast<size_t>(unit - kFirstUnit) >= u.size())
        return;
    Unit &e = u[static_cast<size_t>(unit - kFirstUnit)];
    if (e.file)
        std::fclose(e.file);
    e = {};
}

} // namespace kt::host

extern "C" {

int32_t kt_host_open_unit(const char *path, const char *mode) {
    using kt::host::UnitKind;
    if (!mode || (mode[0] != 'r' && mode[0] != 'w') || mode[1] != '\0')
        return -1;
    return kt::host::open_unit(path, mode[0] == 'r' ? UnitKind::BinaryRead : UnitKind::BinaryWrite);
}

void kt_host_close_unit(int32_t unit) { kt::host::close_unit(unit); }

} // extern "C"
