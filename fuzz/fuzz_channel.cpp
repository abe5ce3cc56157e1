// The receiving side of a channel on arbitrary bytes: the first two bytes
// choose the block size and header length and how much each read asks
// for; the rest is the stream, fed through a pipe that then ends. Every
// peek and read must end (-7 at the end of the stream at the latest),
// never write beyond maxlen and never read beyond the stream. Then the
// same bytes are sent as frames and must read back unchanged, with reads
// and writes cut short or interrupted from a point the input chooses.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "kt/host.h"
#include "kt/system.h"

namespace {

constexpr size_t kMaxStream = 60000; // stays below the pipe's capacity once enlarged

struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() {
        if (pipe(fds) == 0)
            fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);
    }
};

int32_t peer(int rfd, int wfd, int32_t block, bool long_header) {
    static const int32_t proto = c_ipini(3, nullptr);
    int32_t h = c_ipocp(proto, rfd, wfd);
    c_ipseto(h, 1, block);
    c_ipseto(h, 10, long_header ? 40000 : 32764);
    return h;
}

void receive_garbage(const uint8_t *data, size_t size) {
    int32_t block = 1 + data[0] % 16;
    bool long_header = data[1] & 1;
    int32_t maxlen = data[1] >> 1; // 0..127: short reads happen often
    data += 2;
    size -= 2;
    if (size > kMaxStream)
        size = kMaxStream;
    Pipe p;
    if (p.fds[0] < 0 || write(p.fds[1], data, size) != static_cast<ssize_t>(size))
        abort();
    close(p.fds[1]);
    int32_t h = peer(p.fds[0], -1, block, long_header);
    std::vector<char> buf(static_cast<size_t>(maxlen) + 1, 0x5a);
    for (size_t steps = 0;; ++steps) {
        if (steps > size + 1) // every frame consumes at least its header
            abort();
        int32_t type = 0, len = 0;
        int32_t r = c_ippeek(h, &type, &len);
        if (r != 0)
            break;
        if (len < 0 || type < 0 || type > 255)
            abort();
        r = c_ipread(h, &type, buf.data(), maxlen);
        if (r == -7)
            break;
        if (r != len || buf[static_cast<size_t>(maxlen)] != 0x5a)
            abort();
    }
    kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
    c_ipclos(h);
}

void round_trip(const uint8_t *data, size_t size) {
    int32_t block = 1 + data[0] % 32;
    bool long_header = data[1] & 1;
    Pipe p;
    if (p.fds[0] < 0)
        abort();
    int32_t h = peer(p.fds[0], p.fds[1], block, long_header);
    // Transfers cut short or interrupted from the n-th on must change nothing.
    kt_host_fail_io_after(KT_IO_READ | KT_IO_WRITE, data[0] >> 5, data[1] & 2 ? KT_IO_SHORT : KT_IO_EINTR);
    std::vector<std::pair<int32_t, std::vector<char>>> sent;
    size_t total = 0;
    for (size_t i = 2; i < size && total < kMaxStream / 2;) {
        int32_t type = data[i++];
        size_t end = i;
        while (end < size && data[end] != 0)
            ++end;
        std::vector<char> payload(data + i, data + end);
        if (c_ipwrit(h, type, payload.data(), static_cast<int32_t>(payload.size())) !=
            static_cast<int32_t>(payload.size()))
            abort();
        total += payload.size() + 5 + static_cast<size_t>(block);
        sent.emplace_back(type, std::move(payload));
        i = end + 1;
    }
    for (const auto &[type, payload] : sent) {
        std::vector<char> got(payload.size() + 1);
        int32_t t = -1;
        if (c_ipread(h, &t, got.data(), static_cast<int32_t>(got.size())) != static_cast<int32_t>(payload.size()) ||
            t != type || (!payload.empty() && std::memcmp(got.data(), payload.data(), payload.size()) != 0))
            abort();
    }
    kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
    c_ipclos(h);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    receive_garbage(data, size);
    round_trip(data, size);
    return 0;
}
