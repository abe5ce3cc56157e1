// The DMP dumps: a vector on one line, or a matrix stored by columns one
// row to a line, each element formatted by the host's output call for its
// type (OOD, OOS, OOX, OOZ) and followed by two blanks. A true SHOW puts
// the title and ":" on a line before them.
#include <cstdint>

#include "common/fortran_alias.h"
#include "host/host_calls.h"
#include "kt/host.h"
#include "kt/numerics.h"

namespace {

void title_line(const char *title, int32_t title_len, const int32_t *show) {
    if ((*show & 1) == 0)
        return;
    OOCV(title, title_len);
    kt::print(":");
    OOWRIT();
}

// A line of two blanks, then element k of each k in [first, first + count * step)
// taken every step, each followed by two blanks.
template <typename Put> void element_line(int64_t first, int64_t count, int64_t step, Put put) {
    kt::print("  ");
    for (int64_t j = 0; j < count; ++j) {
        put(first + j * step);
        kt::print("  ");
    }
    OOWRIT();
}

template <typename Put>
void dump_vector(const char *title, int32_t title_len, const int32_t *show, int32_t n, Put put) {
    title_line(title, title_len, show);
    element_line(0, n > 0 ? n : 0, 1, put);
}

// Element (i, j) of an m-by-n matrix stored by columns is element i + j*m.
template <typename Put>
void dump_matrix(const char *title, int32_t title_len, const int32_t *show, int32_t m, int32_t n, Put put) {
    title_line(title, title_len, show);
    for (int32_t i = 0; i < m; ++i)
        element_line(i, n > 0 ? n : 0, m, put);
}

auto put_double(const double *a) {
    return [a](int64_t k) { OOD(&a[k]); };
}
auto put_single(const float *a) {
    return [a](int64_t k) { OOS(&a[k]); };
}
auto put_single_complex(const float *a) {
    return [a](int64_t k) { OOX(&a[2 * k]); };
}
auto put_double_complex(const double *a) {
    return [a](int64_t k) { OOZ(&a[2 * k]); };
}

} // namespace

extern "C" {

void DMPD1(const char *title, const int32_t *show, const double *a, const int32_t *n, int32_t title_len) {
    dump_vector(title, title_len, show, *n, put_double(a));
}
KT_FORTRAN_ALIAS(DMPD1, dmpd1_);

void DMPR1(const char *title, const int32_t *show, const float *a, const int32_t *n, int32_t title_len) {
    dump_vector(title, title_len, show, *n, put_single(a));
}
KT_FORTRAN_ALIAS(DMPR1, dmpr1_);

void DMPDC1(const char *title, const int32_t *show, const double *a, const int32_t *n, int32_t title_len) {
    dump_vector(title, title_len, show, *n, put_double_complex(a));
}
KT_FORTRAN_ALIAS(DMPDC1, dmpdc1_);

void DMPD2(const char *title, const int32_t *show, const double *a, const int32_t *m, const int32_t *n,
           int32_t title_len) {
    dump_matrix(title, title_len, show, *m, *n, put_double(a));
}
KT_FORTRAN_ALIAS(DMPD2, dmpd2_);

void DMPR2(const char *title, const int32_t *show, const float *a, const int32_t *m, const int32_t *n,
           int32_t title_len) {
    dump_matrix(title, title_len, show, *m, *n, put_single(a));
}
KT_FORTRAN_ALIAS(DMPR2, dmpr2_);

void DMPC2(const char *title, const int32_t *show, const float *a, const int32_t *m, const int32_t *n,
           int32_t title_len) {
    dump_matrix(title, title_len, show, *m, *n, put_single_complex(a));
}
KT_FORTRAN_ALIAS(DMPC2, dmpc2_);

void DMPDC2(const char *title, const int32_t *show, const double *a, const int32_t *m, const int32_t *n,
            int32_t title_len) {
    dump_matrix(title, title_len, show, *m, *n, put_double_complex(a));
}
KT_FORTRAN_ALIAS(DMPDC2, dmpdc2_);

} // extern "C"
