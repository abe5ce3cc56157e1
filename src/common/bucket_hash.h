// Choosing a bucket of a chained table from a key's hash.
//
// The tables' published string hashes stay as they are defined, because
// callers compute them too; but their low bits, or their values modulo a
// bucket count, follow the key's bytes too closely (names that differ in a
// digit or two land in a handful of buckets). Buckets are therefore chosen
// from a well-mixed 32-bit value: its high bits, scaled to the bucket count,
// which needs no division.
//
// The byte sum of the region tables is weaker still: whole sets of such
// names share one sum, so those tables choose buckets from key_hash, a hash
// of all the key's bytes, and keep the published sum for their callers.
#ifndef KT_SRC_COMMON_BUCKET_HASH_H
#define KT_SRC_COMMON_BUCKET_HASH_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kt::bucket {

// The high 64 bits of a * b folded onto the low ones.
inline uint64_t fold_multiply(uint64_t a, uint64_t b) {
    const unsigned __int128 r = static_cast<unsigned __int128>(a) * b;
    return static_cast<uint64_t>(r) ^ static_cast<uint64_t>(r >> 64);
}

constexpr uint64_t kOdd0 = 0x9E3779B97F4A7C15ull, kOdd1 = 0xC2B2AE3D27D4EB4Full, kOdd2 = 0x165667B19E3779F9ull;

// A 32-bit hash spread over all 32 bits.
inline uint32_t mix(uint32_t h) { return static_cast<uint32_t>(fold_multiply(h ^ kOdd1, kOdd0)); }

// A well-mixed value onto 0 .. n-1, by its high bits.
inline int scale(uint32_t mixed, int n) {
    return static_cast<int>((static_cast<uint64_t>(mixed) * static_cast<uint32_t>(n)) >> 32);
}

inline uint64_t load8(const unsigned char *p) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

inline uint64_t load4(const unsigned char *p) {
    uint32_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// A hash of the len bytes at s, well mixed and never 0 (0 means "not known"
// where tables keep it). Sixteen bytes a round; the last round reads the
// last (up to) sixteen bytes, overlapping the previous ones.
inline uint32_t key_hash(const char *s, size_t len) {
    const auto *p = reinterpret_cast<const unsigned char *>(s);
    uint64_t h = kOdd2 ^ len, a = 0, b = 0;
    if (len > 16) {
        size_t left = len;
        for (; left > 16; left -= 16, p += 16)
            h = fold_multiply(load8(p) ^ kOdd0, load8(p + 8) ^ h);
        p += left;
        a = load8(p - 16);
        b = load8(p - 8);
    } else if (len >= 8) {
        a = load8(p);
        b = load8(p + len - 8);
    } else if (len >= 4) {
        a = load4(p);
        b = load4(p + len - 4);
    } else if (len > 0) {
        a = uint64_t{p[0]} << 16 | uint64_t{p[len / 2]} << 8 | p[len - 1];
    }
    h = fold_multiply(a ^ kOdd0, b ^ h ^ kOdd1);
    h = fold_multiply(h ^ kOdd0, len ^ kOdd2);
    const auto v = static_cast<uint32_t>(h ^ (h >> 32));
    return v ? v : 1;
}

} // namespace kt::bucket

#endif
