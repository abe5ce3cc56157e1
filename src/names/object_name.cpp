// Object names: an optional quoted part, an optional instance (base) part
// ending at the last ".", and the object itself.
//
// PARSON reads only text(1..n); MAKONM writes only out(1..declared length),
// cutting what does not fit.
#include <cstring>

#include "common/fortran_alias.h"
#include "kt/names.h"

namespace {

struct Parts {
    int32_t qs, qe, bs, be, es, ee;
};

Parts split(const char *t, int32_t n) {
    if (n < 0)
        n = 0;
    int32_t f = 1;
    Parts p{1, 0, 1, 0, 1, n};
    if (n >= 1 && t[0] == '"') {
        int32_t q = 2;
        while (q <= n && t[q - 1] != '"')
            ++q;
        p.qs = 2;
        p.qe = q - 1;
        f = q <= n ? q + 1 : n + 1;
    }
    for (int32_t k = n; k >= f; --k) {
        if (t[k - 1] == '.') {
            p.bs = f;
            p.be = k - 1;
            p.es = k + 1;
            return p;
        }
    }
    p.es = f;
    return p;
}

struct Writer {
    char *out;
    int32_t room, used = 0;
    void put(const char *t, int32_t n) {
        for (int32_t i = 0; i < n && used < room; ++i)
            out[used++] = t[i];
    }
    void put(char c) { put(&c, 1); }
};

void make_name(const char *name, int32_t n, const char *def, int32_t def_n, char *out, int32_t out_len) {
    if (out_len <= 0)
        return;
    std::memset(out, ' ', static_cast<size_t>(out_len));
    Writer w{out, out_len};
    if (n == 1 && name[0] == '_') {
        w.put('_');
        return;
    }
    Parts p = split(name, n);
    if (p.qe >= p.qs) {
        w.put('"');
        w.put(name + p.qs - 1, p.qe - p.qs + 1);
        w.put('"');
    }
    if (p.be >= p.bs)
        w.put(name + p.bs - 1, p.be - p.bs + 1);
    else
        w.put(def, def_n);
    w.put('.');
    w.put(name + p.es - 1, p.ee - p.es + 1);
}

void parse_name(const char *text, int32_t n, int32_t *qs, int32_t *qe, int32_t *bs, int32_t *be, int32_t *es,
                int32_t *ee) {
    Parts p = split(text, n);
    *qs = p.qs;
    *qe = p.qe;
    *bs = p.bs;
    *be = p.be;
    *es = p.es;
    *ee = p.ee;
}

} // namespace

extern "C" {

void PARSON(const char *text, const int32_t *n, int32_t *qs, int32_t *qe, int32_t *bs, int32_t *be, int32_t *es,
            int32_t *ee, int32_t text_len) {
    (void)text_len; // the explicit count rules
    parse_name(text, *n, qs, qe, bs, be, es, ee);
}

void c_parson(const char *text, int32_t n, int32_t *qs, int32_t *qe, int32_t *bs, int32_t *be, int32_t *es,
              int32_t *ee) {
    parse_name(text, n, qs, qe, bs, be, es, ee);
}

void MAKONM(const char *name, const int32_t *n, const char *def, const int32_t *def_n, char *out, int32_t name_len,
            int32_t def_len, int32_t out_len) {
    (void)name_len;
    (void)def_len;
    make_name(name, *n, def, *def_n, out, out_len);
}

void c_makonm(const char *name, int32_t n, const char *def, int32_t def_n, char *out) {
    make_name(name, n, def, def_n, out, static_cast<int32_t>(std::strlen(out)));
}

} // extern "C"

KT_FORTRAN_ALIAS(PARSON, parson_);
KT_FORTRAN_ALIAS(MAKONM, makonm_);
