// Source files of the VHDL scanner, read line by line: lines of any length
// arrive whole, and a file that cannot be opened or read says why.
//
// Invariants: every read goes through the host's guarded kt_io_read; an
// interrupted read is retried, a short one continued, any other failure
// ends the file with its errno. The bytes not yet handed out lie in one
// buffer of 64 KB kept from file to file; a longer line grows it for the
// rest of its file. Every line handed out ends in "\n" (one is added to a
// last line without) and is writable.
#ifndef KT_SRC_VHDL_VHDL_SOURCE_H
#define KT_SRC_VHDL_VHDL_SOURCE_H

#include <cstddef>

namespace kt::vhdl {

class SourceFile {
public:
    // Opens the file; false (see failed_at) when it cannot be opened.
    bool open(const char *path);
    ~SourceFile();

    // The next line, valid until the next call; false at the end of the
    // file or when it cannot be read further (see failed_at).
    bool next_line(char *&line, size_t &len);

    // After a failure: "open" or "read", with errno (0: memory ran out).
    const char *failed_at() const { return failed_at_; }
    int error() const { return error_; }

private:
    bool fail(const char *at, int error);
    bool fill();

    int fd_ = -1;
    size_t pos_ = 0, end_ = 0; // bytes not yet handed out
    size_t scanned_ = 0;       // [pos_, scanned_) holds no line end
    bool at_end_ = false;
    const char *failed_at_ = nullptr;
    int error_ = 0;
};

} // namespace kt::vhdl

#endif
