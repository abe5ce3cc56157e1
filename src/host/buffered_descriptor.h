// Buffered reading and writing of a descriptor through the guarded calls
// (kt_io_read, kt_io_write, kt_io_close), for the host's units and inputs.
//
// An interrupted call is made again and a short transfer continued, so a
// caller sees whole transfers, the end of input, or a failure. The first
// failure sticks (error()): later transfers fail without touching the
// descriptor, so nothing is read on past a gap and a written file never
// gets a hole with more data behind it. Both classes own the descriptor.
#ifndef KT_SRC_HOST_BUFFERED_DESCRIPTOR_H
#define KT_SRC_HOST_BUFFERED_DESCRIPTOR_H

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kt::host {

// A descriptor for reading the file: -1 with errno when it cannot be
// opened or is a directory (EISDIR), which opens but cannot be read.
int open_for_reading(const char *path);
// A descriptor for writing the file from its start, made when missing.
int open_for_writing(const char *path);
// Closes a descriptor: 0, or -1 with errno. An interrupted close counts as
// done: the descriptor is released and a file's data is not lost with it.
int close_descriptor(int fd);

class DescriptorReader {
public:
    explicit DescriptorReader(int fd) : fd_(fd) {}
    ~DescriptorReader() { close_descriptor(fd_); }
    DescriptorReader(const DescriptorReader &) = delete;
    DescriptorReader &operator=(const DescriptorReader &) = delete;

    // The bytes buffered, reading more when none are: empty at the end of
    // input or after a failure.
    std::string_view peek();
    void consume(size_t n) { pos_ += n; }
    // Reads n bytes into out: n, fewer at the end of input, -1 on failure.
    int64_t read(char *out, int64_t n);
    // errno of the first failure, 0 while there was none.
    int error() const { return error_; }

private:
    int fd_;
    std::vector<char> buf_;
    size_t pos_ = 0, end_ = 0;
    bool at_end_ = false;
    int error_ = 0;
};

class DescriptorWriter {
public:
    explicit DescriptorWriter(int fd) : fd_(fd) {}
    ~DescriptorWriter() { close(); }
    DescriptorWriter(const DescriptorWriter &) = delete;
    DescriptorWriter &operator=(const DescriptorWriter &) = delete;

    // Buffers or writes the bytes: false once any transfer failed.
    bool write(const char *p, size_t n);
    // Writes what is buffered: false once any transfer failed.
    bool flush();
    // Flushes and closes (once): 0, or -1 with errno set to the first
    // failure of any transfer or of the close.
    int close();
    int error() const { return error_; }

private:
    int fd_;
    std::vector<char> buf_;
    int error_ = 0;
};

} // namespace kt::host

#endif
