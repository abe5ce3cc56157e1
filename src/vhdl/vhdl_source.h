// Source files of the VHDL scanner, read whole before any of their text is
// looked at: a file that cannot be opened or read contributes nothing, and
// lines of any length arrive whole.
//
// Invariants: every read goes through the host's guarded kt_io_read; an
// interrupted read is retried, a short one continued, any other failure
// ends the load with its errno. The text lives in one buffer kept between
// loads, grown on demand and never shrunk, with room for one byte more.
#ifndef KT_SRC_VHDL_VHDL_SOURCE_H
#define KT_SRC_VHDL_VHDL_SOURCE_H

#include <cstddef>

namespace kt::vhdl {

struct Source {
    char *text = nullptr; // the file's bytes and one more writable byte, valid until the next load; null on failure
    size_t len = 0;
    const char *failed_at = nullptr; // on failure: "open" or "read"
    int error = 0;                   // on failure: errno, or 0 when memory ran out
};

Source load_source(const char *path);

} // namespace kt::vhdl

#endif
