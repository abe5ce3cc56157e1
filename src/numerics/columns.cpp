// WRCOL: fixed-width texts set in columns across the host's output width.
//
// With P = width / W - 1, a text is followed by W blanks while the slot
// counter (1 for the first text of a line, 2 more per text) plus 1 stays
// below P, and ends the line otherwise. A width of no characters per
// text lists nothing but the final line.
#include <cstdint>
#include <string>

#include "common/fortran_alias.h"
#include "host/host_calls.h"
#include "kt/host.h"
#include "kt/numerics.h"

extern "C" {

void WRCOL(const char *texts, const int32_t *n, const int32_t *w, int32_t texts_len) {
    (void)texts_len; // n and w give the extent
    const int32_t width = *w;
    if (width > 0) {
        const int32_t per_line = kt::output_option("bsize") / width - 1;
        const std::string gap(static_cast<size_t>(width), ' ');
        int32_t slot = 1;
        for (int32_t i = 0; i < *n; ++i) {
            OOCA(texts + int64_t{i} * width, &width, width);
            if (slot + 1 >= per_line) {
                OOWRIT();
                slot = 1;
            } else {
                OOCS(gap.data(), width);
                slot += 2;
            }
        }
    }
    OOWRIT();
}
KT_FORTRAN_ALIAS(WRCOL, wrcol_);

} // extern "C"
