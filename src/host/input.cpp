// Line input with nesting: IINEWS makes a file the current input and keeps
// the previous one, IIOLDF closes it and goes back, IIGETL reads lines from
// whichever is current.
//
// A read that fails is never taken for the end of the file: IIGETL answers
// KT_INPUT_FAILED once, drops the line it was reading, and reads that input
// as ended from then on. kt_host_input_error keeps the system's reason.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/fortran_alias.h"
#include "common/fortran_text.h"
#include "buffered_descriptor.h"
#include "kt/host.h"

using kt::host::DescriptorReader;

namespace {

struct Input {
    explicit Input(int fd) : reader(fd) {}
    DescriptorReader reader;
    bool mid_line = false; // the last piece given out did not end a line
    bool failed = false;   // the failure was reported: read as ended
};

std::vector<std::unique_ptr<Input>> &inputs() {
    static std::vector<std::unique_ptr<Input>> s;
    return s;
}

int g_last_error = 0;

} // namespace

extern "C" {

int32_t IINEWS(const char *path, int32_t path_len) {
    std::string name = kt::fortran_cstr(path, path_len);
    int fd = name.empty() ? (errno = ENOENT, -1) : kt::host::open_for_reading(name.c_str());
    g_last_error = fd < 0 ? errno : 0;
    if (fd < 0)
        return -1;
    inputs().push_back(std::make_unique<Input>(fd));
    return static_cast<int32_t>(inputs().size());
}

int32_t IIGETL(char *buffer, const int32_t *capacity, int32_t *length, int32_t buffer_len) {
    (void)buffer_len; // the explicit capacity rules
    *length = 0;
    g_last_error = 0;
    if (inputs().empty() || inputs().back()->failed)
        return -1;
    Input &in = *inputs().back();
    int32_t cap = *capacity, n = 0;
    bool ended = false;
    while (n < cap) {
        std::string_view have = in.reader.peek();
        if (have.empty()) {
            ended = true;
            break;
        }
        size_t room = std::min(have.size(), static_cast<size_t>(cap - n));
        const void *line_end = std::memchr(have.data(), '\n', room);
        size_t take = line_end ? static_cast<size_t>(static_cast<const char *>(line_end) - have.data()) + 1 : room;
        std::memcpy(buffer + n, have.data(), take);
        in.reader.consume(take);
        n += static_cast<int32_t>(take);
        if (line_end)
            break;
    }
    if (in.reader.error() != 0) {
        in.failed = true;
        g_last_error = in.reader.error();
        return KT_INPUT_FAILED;
    }
    if (n == 0) {
        // A piece that filled the buffer mid-line, then the end: the line
        // end it lacked comes as a piece of its own.
        if (!in.mid_line || cap < 1)
            return -1;
        buffer[n++] = '\n';
    } else if (ended && buffer[n - 1] != '\n' && n < cap) {
        buffer[n++] = '\n'; // a last line without its line end
    }
    in.mid_line = buffer[n - 1] != '\n';
    *length = n;
    return 0;
}

void IIOLDF(void) {
    auto &s = inputs();
    if (!s.empty())
        s.pop_back(); // nothing was written: closing cannot lose anything
}

int32_t kt_host_input_error(void) { return g_last_error; }

} // extern "C"

KT_FORTRAN_ALIAS(IINEWS, iinews_);
KT_FORTRAN_ALIAS(IIGETL, iigetl_);
KT_FORTRAN_ALIAS(IIOLDF, iioldf_);
