// Embeds the replacement host in a C++ program: captures the library's line
// output and numbered errors, and makes the word store refuse a request to
// see a failure handled.
#include <cstdio>
#include <string>

#include "kt/host.h"
#include "kt/store.h"

int main() {
    kt_host_capture_output(1); // lines go to a buffer instead of stdout
    int32_t cap = 4, kind = 1, list = 0;
    LSTI(&cap, &kind, &list);
    for (int32_t v : {3, 5, 7})
        LSTE(&list, &v);
    LSTO(&list, "values:", 7);
    std::string captured = kt_host_output();
    kt_host_capture_output(0);
    std::printf("captured: %s", captured.c_str());

    // The next store request is refused: the list keeps what it had.
    int64_t before = kt_host_store_bytes_in_use();
    kt_host_fail_store_after(0);
    int32_t big = 1000, extra = 9;
    for (int32_t i = 0; i < big; ++i)
        if (LSTE(&list, &extra) == 0)
            break;
    kt_host_fail_store_after(-1);
    std::printf("after a refused growth: %d entries, %lld bytes more in use\n", kt_icell(list + 2),
                static_cast<long long>(kt_host_store_bytes_in_use() - before));

    // Numbered errors are logged as well as printed.
    kt_host_reset_errors();
    OSTORE();
    std::printf("errors logged: %d, first: %d %s\n", kt_host_error_count(), kt_host_error_number(1),
                kt_host_error_text(1));

    LSTD(&list);
    std::printf("bytes in use at the end: %lld\n", static_cast<long long>(kt_host_store_bytes_in_use()));
    return 0;
}
