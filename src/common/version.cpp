// kt_util_version: the version compiled into this library, which is the one
// loaded whatever header the caller was built with.
#include "kt/version.h"

namespace {

constexpr int32_t kPacked = KT_UTIL_VERSION_MAJOR * 10000 + KT_UTIL_VERSION_MINOR * 100 + KT_UTIL_VERSION_PATCH;
static_assert(KT_UTIL_VERSION_MINOR < 100 && KT_UTIL_VERSION_PATCH < 100, "the packed number needs two digits each");

} // namespace

extern "C" const char *kt_util_version(void) { return KT_UTIL_VERSION_STRING; }

extern "C" int32_t kt_util_version_number(void) { return kPacked; }
