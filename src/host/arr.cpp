// Arr: the growable element store beneath the typed arrays.
//
// Storage is one block of the array's region, `capacity` elements long;
// growth goes through ResizeMem and may move it. A refused growth leaves
// count, capacity and contents as they were and sets the sticky no-store flag.
#include <climits>

#include "element_block.h"
#include "kt/region.h"

Arr::Arr(int elsize, int hint) : Arr(elsize, PWS::GetMallocRegion(), hint) {}

Arr::Arr(int elsize, PWSRegion *region, int hint)
    : region_(region ? region : PWS::GetMallocRegion()), elsize_(elsize > 0 ? elsize : 1) {
    if (hint > 0)
        reserve(hint);
}

Arr::~Arr() {
    KT_Status status;
    region_->FreeMem(data_, status);
}

bool Arr::reserve(int64_t n) {
    if (n <= capacity_)
        return true;
    if (!kt::host::resize_elements(region_, data_, capacity_, n, elsize_)) {
        eflag_ = 1;
        return false;
    }
    return true;
}

int Arr::size(int n) {
    if (n < 0)
        return -1;
    if (n > capacity_) {
        int64_t doubled = int64_t{2} * capacity_;
        if (!reserve(doubled > n && doubled <= INT_MAX / elsize_ ? doubled : n))
            return -1;
    }
    count_ = n;
    if (n == 0)
        start_empty_ = last_empty_ = 0;
    return n;
}

int Arr::max_size(int n) { return reserve(n) ? capacity_ : -1; }
