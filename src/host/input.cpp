// Line input with nesting: IINEWS makes a file the current input and keeps
// the previous one, IIOLDF closes it and goes back, IIGETL reads lines from
// whichever is current.
#include <cstdio>
#include <vector>

#include "../common/abi.h"
#include "../common/fortran_text.h"
#include "kt/host.h"

namespace {

std::vector<std::FILE *> &inputs() {
    static std::vector<std::FILE *> s;
    return s;
}

} // namespace

extern "C" {

int32_t IINEWS(const char *path, int32_t path_len) {
    std::string name = kt::fortran_cstr(path, path_len);
    std::FILE *f = name.empty() ? nullptr : std::fopen(name.c_str(), "r");
    if (!f)
        return -1;
    inputs().push_back(f);
    return static_cast<int32_t>(inputs().size());
}

int32_t IIGETL(char *buffer, const int32_t *capacity, int32_t *length, int32_t buffer_len) {
    (void)buffer_len; // the explicit capacity rules
    *length = 0;
    if (inputs().empty())
        return -1;
    std::FILE *f = inputs().back();
    int32_t cap = *capacity, n = 0;
    int c = EOF;
    while (n < cap && (c = std::getc(f)) != EOF) {
        buffer[n++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    if (n == 0)
        return -1;
    // A last line without its line end still reads as a whole line.
    if (c == EOF && buffer[n - 1] != '\n' && n < cap) {
        buffer[n++] = '\n';
    } else if (n == cap && buffer[n - 1] != '\n') {
        // The buffer is full mid-line: if the file ends here, the line end
        // it lacks comes as the next piece.
        int next = std::getc(f);
        std::ungetc(next == EOF ? '\n' : next, f);
    }
    *length = n;
    return 0;
}

void IIOLDF(void) {
    auto &s = inputs();
    if (s.empty())
        return;
    std::fclose(s.back());
    s.pop_back();
}

} // extern "C"

KT_FORTRAN_ALIAS(IINEWS, iinews_)
KT_FORTRAN_ALIAS(IIGETL, iigetl_)
KT_FORTRAN_ALIAS(IIOLDF, iioldf_)
