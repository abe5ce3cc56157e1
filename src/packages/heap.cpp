// Heap memory of the list and hash-table packages (see heap.h).
#include "heap.h"

namespace kt::packages {

void report_no_memory() { c_ers(2012, KT_NO_MEMORY_TEXT); }

} // namespace kt::packages

extern "C" void kt_packages_fail_alloc_after(int32_t granted, int32_t refused) {
    kt_host_fail_alloc_window(granted, refused);
}
