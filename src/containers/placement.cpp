// Region_placed: container objects placed in regions and freed in the
// region that owns them.
#include "kt/containers.h"

void *Region_placed::operator new(size_t size) noexcept { return operator new(size, PWS::GetMallocRegion()); }

void *Region_placed::operator new(size_t size, PWSRegion *region) noexcept {
    KT_Status status;
    return (region ? region : PWS::GetMallocRegion())->AllocMem(size, status);
}

void Region_placed::operator delete(void *p) { operator delete(p, nullptr); }

void Region_placed::operator delete(void *p, PWSRegion *region) {
    if (!p)
        return;
    KT_Status status;
    if (!region)
        region = PWS::WhichRegion(p, status);
    if (region)
        region->FreeMem(p, status);
}
