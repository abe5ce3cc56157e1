// The layout of a frame on the wire, shared by the channels and by the
// kt-util server: a type byte, the frame length L (header included)
// big-endian in 2 bytes (3-byte header) or 4 bytes (5-byte header), the
// payload, and padding to a multiple of the block size. The 2-byte length
// is unsigned, the 4-byte one signed; a frame of the 3-byte header is at
// most 32767 bytes long. Nothing on the wire tells the header length or
// the block size: both ends must agree on them.
#ifndef KT_SRC_SYSTEM_CHANNEL_FRAMING_H
#define KT_SRC_SYSTEM_CHANNEL_FRAMING_H

#include <cstdint>

namespace kt::system {

constexpr int32_t kShortHeader = 3, kLongHeader = 5, kShortMaxMessage = 32764;

// The largest L the header can carry.
inline int64_t max_frame_length(int32_t header) { return header == kLongHeader ? INT32_MAX : 32767; }

// Bytes on the wire of a frame of `length` bytes (header and payload).
inline int64_t padded_size(int64_t length, int32_t block) { return (length + block - 1) / block * block; }

// L from the header at h.
inline int64_t read_frame_length(const unsigned char *h, int32_t header) {
    if (header == kLongHeader)
        return static_cast<int32_t>(uint32_t{h[1]} << 24 | uint32_t{h[2]} << 16 | uint32_t{h[3]} << 8 | h[4]);
    return int64_t{h[1]} << 8 | h[2];
}

// Writes the header of a frame of the low byte of type and L = length.
inline void write_header(unsigned char *h, int32_t header, int32_t type, int64_t length) {
    h[0] = static_cast<unsigned char>(type & 0xff);
    auto l = static_cast<uint32_t>(length);
    if (header == kLongHeader) {
        h[1] = static_cast<unsigned char>(l >> 24);
        h[2] = static_cast<unsigned char>(l >> 16);
        h[3] = static_cast<unsigned char>(l >> 8);
        h[4] = static_cast<unsigned char>(l);
    } else {
        h[1] = static_cast<unsigned char>(l >> 8);
        h[2] = static_cast<unsigned char>(l);
    }
}

} // namespace kt::system

#endif
