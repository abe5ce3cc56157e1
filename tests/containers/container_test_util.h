// Helpers shared by the container tests: capturing a standard stream, and
// refusing a region's requests for a while.
#ifndef KT_TESTS_CONTAINERS_CONTAINER_TEST_UTIL_H
#define KT_TESTS_CONTAINERS_CONTAINER_TEST_UTIL_H

#include <gtest/gtest.h>

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

} // namespace kt_cont_test

#endif
