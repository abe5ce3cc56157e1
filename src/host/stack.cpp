// Stk: the growable stack store, and Stk_int::push.
//
// Storage is one block of the stack's region holding `capacity` elements;
// it doubles when full. A refused growth leaves the stack as it was and sets
// the sticky no-store flag.
#include <climits>

#include "element_block.h"
#include "kt/region.h"

Stk::Stk(int elsize, PWSRegion *region, int hint)
    : region_(region ? region : PWS::GetMallocRegion()), elsize_(elsize > 0 ? elsize : 1) {
    if (hint > 0 && !kt::host::resize_elements(region_, data_, capacity_, hint, elsize_))
        eflag_ = 1;
}

Stk::~Stk() {
    KT_Status status;
    region_->FreeMem(data_, status);
}

bool Stk::grow() {
    int64_t want = capacity_ > 0 ? int64_t{2} * capacity_ : 4;
    if (want > INT_MAX / elsize_)
        want = INT_MAX / elsize_;
    if (want <= count_ || !kt::host::resize_elements(region_, data_, capacity_, want, elsize_)) {
        eflag_ = 1;
        return false;
    }
    return true;
}

int Stk_int::push(int value) {
    if (count_ >= capacity_ && !grow())
        return -1;
    static_cast<int *>(data_)[count_] = value;
    return ++count_;
}
