// Channels over real socket pairs. First a peer that sends arbitrary
// bytes: the first two input bytes choose the block size, the header
// length and how much each read asks for; a thread sends the rest and
// hangs up. Every peek and read must give what a plain parser of the
// stream finds (type, length, the payload bytes, cut at maxlen and never
// written past it) and end with -7 where the stream ends or a header is
// impossible. Then the same bytes, split at zero bytes into frames (the
// first byte of each its type), are sent to a thread that echoes the
// whole stream once it has ended, and must read back unchanged, with reads
// and writes cut short or interrupted from a point the input chooses;
// after the last frame the stream has ended.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fuzz_util.h"
#include "kt/host.h"
#include "kt/system.h"

using kt::fuzz::check;

namespace {

struct SocketPair {
    int fds[2] = {-1, -1};
    SocketPair() { check(socketpair(AF_UNIX, SOCK_STREAM, 0, fds) == 0); }
};

// Sends the bytes and hangs up; stops early when the other end is gone.
void send_all(int fd, std::string bytes) {
    for (size_t off = 0; off < bytes.size();) {
        ssize_t n = send(fd, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        off += static_cast<size_t>(n);
    }
    close(fd);
}

// Reads the stream to its end, then sends it all back and hangs up.
void echo_whole(int fd) {
    std::string stream;
    char buf[65536];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
        stream.append(buf, static_cast<size_t>(n));
    send_all(fd, std::move(stream));
}

int32_t peer(int rfd, int wfd, int32_t block, bool long_header) {
    static const int32_t proto = c_ipini(3, nullptr);
    int32_t h = c_ipocp(proto, rfd, wfd);
    check(h >= 0);
    c_ipseto(h, 1, block);
    c_ipseto(h, 10, long_header ? 40000 : 32764);
    return h;
}

int64_t round_up(int64_t n, int64_t block) { return (n + block - 1) / block * block; }

void receive_garbage(const uint8_t *data, size_t size) {
    const int32_t block = 1 + data[0] % 16;
    const bool long_header = data[1] & 1;
    const int32_t maxlen = data[1] >> 1; // 0..127: short reads happen often
    const std::string stream(reinterpret_cast<const char *>(data) + 2, size - 2);
    SocketPair p;
    std::thread sender(send_all, p.fds[1], stream);
    const int32_t h = peer(p.fds[0], -1, block, long_header), hl = long_header ? 5 : 3;
    std::vector<char> buf(static_cast<size_t>(maxlen) + 1, 0x5a);
    auto byte = [&](size_t i) { return static_cast<uint8_t>(stream[i]); };
    for (size_t pos = 0;;) {
        int32_t type = -1, len = -1;
        const int32_t r = c_ippeek(h, &type, &len);
        const size_t header = static_cast<size_t>(round_up(hl, block));
        if (stream.size() - pos < header) {
            check(r == -7);
            break;
        }
        int64_t l = long_header ? static_cast<int32_t>(static_cast<uint32_t>(byte(pos + 1)) << 24 |
                                                       byte(pos + 2) << 16 | byte(pos + 3) << 8 | byte(pos + 4))
                                : byte(pos + 1) << 8 | byte(pos + 2);
        if (l < hl) {
            check(r == -7);
            break;
        }
        check(r == 0 && type == byte(pos) && len == l - hl);
        const int32_t got = c_ipread(h, &type, buf.data(), maxlen);
        check(buf[static_cast<size_t>(maxlen)] == 0x5a);
        const int64_t frame = round_up(l, block);
        if (static_cast<int64_t>(stream.size() - pos) < frame) {
            check(got == -7);
            break;
        }
        const size_t n = static_cast<size_t>(std::min<int64_t>(maxlen, len));
        check(got == len && type == byte(pos) && stream.compare(pos + static_cast<size_t>(hl), n, buf.data(), n) == 0);
        pos += static_cast<size_t>(frame);
    }
    c_ipclos(h); // the sender, if still sending, sees the end hang up
    sender.join();
}

void round_trip(const uint8_t *data, size_t size) {
    const int32_t block = 1 + data[0] % 32;
    const bool long_header = data[1] & 1;
    SocketPair p;
    std::thread echo(echo_whole, p.fds[1]);
    const int32_t h = peer(p.fds[0], p.fds[0], block, long_header);
    // Transfers cut short or interrupted from the n-th on must change nothing.
    kt_host_fail_io_after(KT_IO_READ | KT_IO_WRITE, data[0] >> 5, data[1] & 2 ? KT_IO_SHORT : KT_IO_EINTR);
    std::vector<std::pair<int32_t, std::string>> sent;
    for (size_t i = 2; i < size;) {
        const int32_t type = data[i++];
        size_t end = i;
        while (end < size && data[end] != 0)
            ++end;
        std::string payload(reinterpret_cast<const char *>(data) + i, end - i);
        const int32_t n = static_cast<int32_t>(payload.size());
        const int32_t r = c_ipwrit(h, type, payload.data(), n);
        // The short header carries at most 32764 bytes and refuses more whole.
        check(r == (!long_header && n > 32764 ? -9 : n));
        if (r == n)
            sent.emplace_back(type, std::move(payload));
        i = end + 1;
    }
    shutdown(p.fds[0], SHUT_WR);
    for (const auto &[type, payload] : sent) {
        std::vector<char> got(payload.size() + 1);
        int32_t t = -1;
        check(c_ipread(h, &t, got.data(), static_cast<int32_t>(got.size())) == static_cast<int32_t>(payload.size()));
        check(t == type && std::memcmp(got.data(), payload.data(), payload.size()) == 0);
    }
    int32_t type = 0, len = 0;
    check(c_ippeek(h, &type, &len) == -7);
    kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
    c_ipclos(h);
    echo.join();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    receive_garbage(data, size);
    round_trip(data, size);
    return 0;
}
