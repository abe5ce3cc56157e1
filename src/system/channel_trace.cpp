// Trace lines of channel traffic.
#include "channel_trace.h"

#include <cstdio>

namespace kt::system {
namespace {

constexpr int kBytesPerLine = 20;

char role_letter(int32_t flags) {
    if (flags & kServer)
        return 'S';
    return flags & kClient ? 'C' : 'P';
}

} // namespace

void trace_event(const Channel &c, const char *operation, int32_t handle, int32_t type) {
    if (type > 0)
        std::fprintf(stderr, "%c:%s for handle %d, msg_type=%d\n", role_letter(c.flags), operation,
                     static_cast<int>(handle), static_cast<int>(type));
    else
        std::fprintf(stderr, "%c:%s for handle %d\n", role_letter(c.flags), operation, static_cast<int>(handle));
}

void trace_bytes(const void *data, int64_t n) {
    static const char kHex[] = "0123456789abcdef";
    const auto *p = static_cast<const unsigned char *>(data);
    char line[2 + 3 * kBytesPerLine + 1];
    for (int64_t start = 0; start < n; start += kBytesPerLine) {
        int len = 0;
        line[len++] = ' ';
        for (int64_t i = start; i < n && i < start + kBytesPerLine; ++i) {
            line[len++] = kHex[p[i] >> 4];
            line[len++] = kHex[p[i] & 15];
            line[len++] = ',';
        }
        line[len++] = '\n';
        std::fwrite(line, 1, static_cast<size_t>(len), stderr);
    }
}

} // namespace kt::system
