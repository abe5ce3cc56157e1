// Channels against plain sockets, both between two processes over
// loopback and moving the same bytes: the raw side writes and reads
// messages of header + payload bytes with a plain write/read loop on the
// same kind of socket (made by the same host calls, so with the same
// options). A partner process is forked per run; it sinks or echoes.
//
//   Throughput: batches of 32 frames of 32 KB (5-byte header), the batch
//   acknowledged by the partner so that delivery is inside the time.
//   Round trip: 64-byte ping-pong (3-byte header).
//
// Times are wall-clock: the partner's work and the waits are the cost.
#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "kt/host.h"
#include "kt/system.h"

namespace {

constexpr int32_t kBigPayload = 32768, kSmallPayload = 64, kBatch = 32;
constexpr int32_t kLongHeader = 5, kShortHeader = 3;
constexpr int32_t kData = 1, kSync = 2;
constexpr int32_t kLongMaxMessage = 40000;

enum class Work { Sink, Echo };

// ---- raw sockets ----------------------------------------------------------

bool read_exact(int fd, char *p, size_t n) {
    while (n > 0) {
        ssize_t r = read(fd, p, n);
        if (r <= 0)
            return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

bool write_all(int fd, const char *p, size_t n) {
    while (n > 0) {
        ssize_t r = send(fd, p, n, MSG_NOSIGNAL);
        if (r <= 0)
            return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

// The raw partner: messages of `size` bytes whose first byte is the type.
void raw_partner(int fd, Work work, size_t size) {
    std::vector<char> buf(size);
    while (read_exact(fd, buf.data(), size)) {
        if (work == Work::Echo) {
            if (!write_all(fd, buf.data(), size))
                return;
        } else if (buf[0] == kSync && !write_all(fd, "s", 1)) {
            return;
        }
    }
}

// ---- channels ---------------------------------------------------------------

void channel_partner(int32_t h, Work work) {
    std::vector<char> buf(kBigPayload);
    for (;;) {
        int32_t type = 0;
        int32_t n = c_ipread(h, &type, buf.data(), kBigPayload);
        if (n < 0)
            return;
        if (work == Work::Echo) {
            if (c_ipwrit(h, type, buf.data(), n) != n)
                return;
        } else if (type == kSync && c_ipwrit(h, kSync, "", 0) != 0) {
            return;
        }
    }
}

// A forked partner process connected over loopback.
struct Partner {
    pid_t pid = -1;
    int fd = -1;         // raw: our socket
    int32_t handle = -1; // channel: our connection

    ~Partner() {
        if (handle >= 0)
            c_ipclos(handle);
        if (fd >= 0)
            close(fd);
        int status;
        if (pid > 0)
            waitpid(pid, &status, 0);
    }
};

void start_raw(Partner &p, Work work, size_t size) {
    int32_t port = 0;
    int listener = c_sfcrs(&port);
    p.pid = fork();
    if (p.pid == 0) {
        alarm(300);
        int fd = c_sfc2h("127.0.0.1", port);
        if (fd >= 0)
            raw_partner(fd, work, size);
        _exit(0);
    }
    p.fd = c_sfacs(listener, 10.0);
    close(listener);
}

void start_channel(Partner &p, Work work, bool long_header) {
    int32_t port = 0;
    int32_t server = c_ipini(1, &port);
    p.pid = fork();
    if (p.pid == 0) {
        alarm(300);
        int32_t client = c_ipini(2, nullptr);
        int32_t h = c_ipoccs(client, "127.0.0.1", port);
        if (h >= 0) {
            if (long_header)
                c_ipseto(h, 10, kLongMaxMessage);
            channel_partner(h, work);
        }
        _exit(0);
    }
    p.handle = c_ipocss(server, 10.0);
    c_ipclos(server);
    if (long_header)
        c_ipseto(p.handle, 10, kLongMaxMessage);
}

// ---- throughput ---------------------------------------------------------------

void BM_Channel_Throughput_32K(benchmark::State &state) {
    Partner p;
    start_channel(p, Work::Sink, true);
    std::vector<char> payload(kBigPayload, 'x');
    char ack[1];
    int32_t type = 0;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i)
            if (c_ipwrit(p.handle, kData, payload.data(), kBigPayload) != kBigPayload)
                state.SkipWithError("write failed");
        c_ipwrit(p.handle, kSync, "", 0);
        if (c_ipread(p.handle, &type, ack, 0) != 0)
            state.SkipWithError("no acknowledgement");
    }
    state.SetBytesProcessed(state.iterations() * kBatch * (kBigPayload + kLongHeader));
}

void BM_RawSocket_Throughput_32K(benchmark::State &state) {
    const size_t size = kBigPayload + kLongHeader;
    Partner p;
    start_raw(p, Work::Sink, size);
    std::vector<char> message(size, 'x'), sync(size, 'x');
    message[0] = kData;
    sync[0] = kSync;
    char ack[1];
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i)
            if (!write_all(p.fd, message.data(), size))
                state.SkipWithError("write failed");
        if (!write_all(p.fd, sync.data(), size) || !read_exact(p.fd, ack, 1))
            state.SkipWithError("no acknowledgement");
    }
    state.SetBytesProcessed(state.iterations() * kBatch * static_cast<int64_t>(size));
}

// ---- round trip -------------------------------------------------------------------

void BM_Channel_RoundTrip_64(benchmark::State &state) {
    Partner p;
    start_channel(p, Work::Echo, false);
    char out[kSmallPayload], in[kSmallPayload];
    std::memset(out, 'p', sizeof out);
    int32_t type = 0;
    for (auto _ : state) {
        c_ipwrit(p.handle, kData, out, kSmallPayload);
        if (c_ipread(p.handle, &type, in, kSmallPayload) != kSmallPayload)
            state.SkipWithError("no echo");
    }
}

void BM_RawSocket_RoundTrip_64(benchmark::State &state) {
    const size_t size = kSmallPayload + kShortHeader;
    Partner p;
    start_raw(p, Work::Echo, size);
    std::vector<char> out(size, 'p'), in(size);
    out[0] = kData;
    for (auto _ : state) {
        write_all(p.fd, out.data(), size);
        if (!read_exact(p.fd, in.data(), size))
            state.SkipWithError("no echo");
    }
}

// Pairs run next to each other, five times each, so that the medians
// compare runs taken under the same load.
BENCHMARK(BM_Channel_Throughput_32K)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RawSocket_Throughput_32K)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Channel_RoundTrip_64)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RawSocket_RoundTrip_64)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
