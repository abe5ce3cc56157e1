// StoreRequester: names the library entry on whose behalf the store
// requests made in a scope are made, so that the store report can group
// live blocks by it.
//
// The name is set only when none is (the outermost entry is the one its
// caller called, and the one to look for in a leak) and the previous value
// comes back at the end of the scope. Entries set it only on the paths that
// make new blocks: a block keeps its tag when resized, so growth needs none.
#ifndef KT_SRC_HOST_STORE_REQUESTER_H
#define KT_SRC_HOST_STORE_REQUESTER_H

#include "kt/host.h"

namespace kt {

class StoreRequester {
public:
    explicit StoreRequester(const char *entry) : previous_(kt_store_requester) {
        if (!previous_)
            kt_store_requester = entry;
    }
    ~StoreRequester() { kt_store_requester = previous_; }
    StoreRequester(const StoreRequester &) = delete;
    StoreRequester &operator=(const StoreRequester &) = delete;

private:
    const char *previous_;
};

} // namespace kt

#endif
