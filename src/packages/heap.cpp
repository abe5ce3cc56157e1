// Heap memory of the list and hash-table packages (see heap.h).
#include "heap.h"

#include "kt/host.h"

namespace kt::packages {

int32_t g_grants_left = -1;
int32_t g_refusals_left = 0;

void report_no_memory() { c_ers(2012, KT_NO_MEMORY_TEXT); }

} // namespace kt::packages

extern "C" void kt_packages_fail_alloc_after(int32_t granted, int32_t refused) {
    kt::packages::g_grants_left = granted < 0 || refused == 0 ? -1 : granted;
    kt::packages::g_refusals_left = refused < 0 ? -1 : refused;
}
