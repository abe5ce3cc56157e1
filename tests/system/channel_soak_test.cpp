// 100,000 frames each way between two processes, with random types, sizes,
// block sizes and header lengths that both ends draw from the same seed.
// Every payload is checked byte for byte: nothing may be lost, duplicated,
// reordered or corrupted. The ends take turns in batches, so neither ever
// blocks writing while the other writes too.
#include <gtest/gtest.h>


#include "system/channel_harness.h"

using namespace kt::test;

namespace {

constexpr int kFrames = 100000, kBatch = 50;

struct Frame {
    int32_t type, size, block;
    bool long_header, peek_first;
    int32_t maxlen; // what the receiver asks for: sometimes less than size
};

// A small generator seeded per frame (splitmix64).
struct Rng {
    uint64_t state;
    uint32_t operator()() {
        uint64_t z = (state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return static_cast<uint32_t>((z ^ (z >> 31)) >> 16);
    }
};

// Frame i of direction `dir`, the same in both processes.
Frame frame(uint32_t dir, uint32_t i) {
    Rng rng{uint64_t{dir} << 32 | i};
    static const int32_t blocks[] = {1, 1, 1, 2, 3, 4, 8, 16, 512};
    Frame f{};
    f.type = static_cast<int32_t>(rng() % 300); // above 255 the low byte goes out
    uint32_t kind = rng() % 100;
    f.long_header = rng() % 4 == 0;
    uint32_t most = f.long_header ? 100000 : 32765; // beyond the 3-byte header's limit only with the 5-byte one
    f.size = static_cast<int32_t>(kind < 70 ? rng() % 65 : kind < 97 ? rng() % 2000 : rng() % most);
    f.block = blocks[rng() % (sizeof blocks / sizeof blocks[0])];
    f.peek_first = rng() % 3 == 0;
    f.maxlen = rng() % 10 == 0 ? static_cast<int32_t>(rng() % (static_cast<uint32_t>(f.size) + 1)) : f.size;
    return f;
}

uint8_t payload_byte(uint32_t dir, uint32_t i, uint32_t k) {
    return static_cast<uint8_t>((i * 2654435761u) ^ (k * 40503u) ^ (dir << 7) ^ (k >> 3));
}

bool send_frame(int32_t h, uint32_t dir, uint32_t i, std::vector<uint8_t> &buf) {
    Frame f = frame(dir, i);
    c_ipseto(h, 1, f.block);
    c_ipseto(h, 10, f.long_header ? 40000 : 32764);
    buf.resize(static_cast<size_t>(f.size));
    for (int32_t k = 0; k < f.size; ++k)
        buf[static_cast<size_t>(k)] = payload_byte(dir, i, static_cast<uint32_t>(k));
    return c_ipwrit(h, f.type, buf.data(), f.size) == f.size;
}

// Empty when the frame arrived intact, else what was wrong.
std::string receive_frame(int32_t h, uint32_t dir, uint32_t i, std::vector<uint8_t> &buf) {
    Frame f = frame(dir, i);
    c_ipseto(h, 1, f.block);
    c_ipseto(h, 10, f.long_header ? 40000 : 32764);
    int32_t type = -1, len = -1;
    if (f.peek_first) {
        if (c_ippeek(h, &type, &len) != 0 || type != (f.type & 0xff) || len != f.size)
            return "peek of frame " + std::to_string(i);
    }
    buf.assign(static_cast<size_t>(f.maxlen) + 1, 0xee);
    int32_t r = c_ipread(h, &type, buf.data(), f.maxlen);
    if (r != f.size || type != (f.type & 0xff))
        return "frame " + std::to_string(i) + ": read " + std::to_string(r) + " type " + std::to_string(type);
    for (int32_t k = 0; k < f.maxlen; ++k)
        if (buf[static_cast<size_t>(k)] != payload_byte(dir, i, static_cast<uint32_t>(k)))
            return "frame " + std::to_string(i) + ": byte " + std::to_string(k);
    if (buf[static_cast<size_t>(f.maxlen)] != 0xee)
        return "frame " + std::to_string(i) + ": written beyond maxlen";
    return "";
}

TEST(ChannelSoak, HundredThousandFramesEachWay) {
    HangGuard guard;
    Listener server;
    // Batches alternate: the parent sends batch b (direction 0) while the
    // child reads it, then the child sends batch b (direction 1).
    pid_t pid = fork_child([&] {
        int32_t h = connect_to(server.port);
        if (h < 0)
            return 1;
        std::vector<uint8_t> buf;
        for (int start = 0; start < kFrames; start += kBatch) {
            for (int i = start; i < start + kBatch; ++i) {
                std::string err = receive_frame(h, 0, static_cast<uint32_t>(i), buf);
                if (!err.empty()) {
                    std::fprintf(stderr, "child: %s\n", err.c_str());
                    return 2;
                }
            }
            for (int i = start; i < start + kBatch; ++i)
                if (!send_frame(h, 1, static_cast<uint32_t>(i), buf))
                    return 3;
        }
        // Nothing more may arrive: the parent closes next.
        int32_t type, len;
        if (c_ippeek(h, &type, &len) != -7)
            return 4;
        c_ipclos(h);
        return 0;
    });
    int32_t h = c_ipocss(server.handle, kWaitSeconds);
    ASSERT_GE(h, 0);
    std::vector<uint8_t> buf;
    for (int start = 0; start < kFrames; start += kBatch) {
        for (int i = start; i < start + kBatch; ++i)
            ASSERT_TRUE(send_frame(h, 0, static_cast<uint32_t>(i), buf)) << i;
        for (int i = start; i < start + kBatch; ++i) {
            std::string err = receive_frame(h, 1, static_cast<uint32_t>(i), buf);
            ASSERT_EQ(err, "");
        }
    }
    int32_t ready = 0;
    EXPECT_EQ(c_ippend(&h, 1, 0.0, &ready), -5); // no frame duplicated or left over
    c_ipclos(h);
    EXPECT_EQ(wait_child(pid), 0);
}

} // namespace
