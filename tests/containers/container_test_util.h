// Helpers shared by the container tests: capturing a standard stream, and
// running a scenario with a region's requests refused from each point on.
#ifndef KT_TESTS_CONTAINERS_CONTAINER_TEST_UTIL_H
#define KT_TESTS_CONTAINERS_CONTAINER_TEST_UTIL_H

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <sstream>
#include <string>

#include "kt/region.h"

namespace kt_cont_test {

// Collects what is written to a standard stream while it lives.
class Capture {
public:
    explicit Capture(std::ostream &stream) : stream_(stream), old_(stream.rdbuf(buf_.rdbuf())) {}
    ~Capture() { stream_.rdbuf(old_); }
    std::string text() const { return buf_.str(); }

private:
    std::ostream &stream_;
    std::stringstream buf_;
    std::streambuf *old_;
};

// Restores unlimited grants to a region even when an assertion leaves early.
struct Grants {
    Grants(PWSRegion *r, int64_t n) : region(r) { region->fail_after(n); }
    ~Grants() { region->fail_after(-1); }
    PWSRegion *region;
};

// Runs `scenario` in a fresh region whose k-th request for space is refused,
// for k = 0, 1, 2, ... until the scenario meets no refusal (it returns true
// when every request it made was granted). After each run every container
// is gone, and the region must hold no more than before.
inline void for_each_refusal(const std::function<bool(PWSRegion &)> &scenario, int limit = 5000) {
    for (int k = 0; k < limit; ++k) {
        PWSRegion region;
        KT_Status status;
        void *unrelated = region.AllocMem(40, status); // the baseline is not just 0
        int64_t before = region.bytes_in_use();
        region.fail_after(k);
        bool completed = scenario(region);
        region.fail_after(-1);
        EXPECT_EQ(region.bytes_in_use(), before) << "refusing from request " << k;
        region.FreeMem(unrelated, status);
        if (::testing::Test::HasFatalFailure() || completed)
            return;
    }
    ADD_FAILURE() << "the scenario never ran to the end";
}

} // namespace kt_cont_test

#endif
