// File identifiers and object names on any text: results in range, parts
// inside the text, and no write past the declared room of an output (each
// buffer is exactly its declared size, so the sanitizer sees any overrun).
#include <cstdint>
#include <cstring>
#include <string>

#include "kt/names.h"
#include "text_checks.h"

using namespace kt::text_test;

namespace {

bool inside(int32_t s, int32_t e, int32_t n) { return s == 0 ? e == 0 : s >= 1 && e <= n && e >= s - 1; }

void identifiers(const std::string &t) {
    Exact x(t);
    int32_t cls = FIDFMT(x.get(), &x.n, x.n), s1, e1, s2, e2, kind;
    require(cls >= 0 && cls <= 3);
    if (t.find('.') == std::string::npos)
        require(cls == 0);
    require(PRSFID(x.get(), &x.n, &s1, &e1, &s2, &e2, &kind, x.n) == kind);
    require(kind >= 0 && kind <= 13 && (kind == 0 || cls != 0));
    require(inside(s1, e1, x.n) && inside(s2, e2, x.n));

    int32_t qs, qe, bs, be, es, ee;
    PARSON(x.get(), &x.n, &qs, &qe, &bs, &be, &es, &ee, x.n);
    require(qs >= 1 && qe <= x.n && bs >= 1 && be <= x.n && ee == x.n && es >= 1 && es <= x.n + 1);
}

// ref, then the name, then room and output sizes from two bytes.
void outputs(const std::string &ref, const std::string &name, uint8_t room_byte, uint8_t out_byte) {
    int32_t declared = static_cast<int32_t>(name.size()) + room_byte % 16, capacity = declared + room_byte / 16 - 4;
    Exact buf(name + std::string(static_cast<size_t>(declared) - name.size(), ' '));
    std::string before = buf.str();
    int32_t rn = static_cast<int32_t>(ref.size()), out = -1;
    int32_t result = MKRFID(ref.data(), &rn, buf.get(), &capacity, &out, rn, declared);
    require(result == out && result >= 0 && result <= declared);
    if (result == 0)
        require(buf.str() == before);

    int32_t out_len = out_byte % 24, n = static_cast<int32_t>(name.size()), dn = rn;
    Exact made(std::string(static_cast<size_t>(out_len), '#'));
    MAKONM(name.data(), &n, ref.data(), &dn, made.get(), n, dn, out_len);
    require(made.str().find('#') == std::string::npos || name.find('#') != std::string::npos ||
            ref.find('#') != std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    std::string text(reinterpret_cast<const char *>(data) + 2, size - 2);
    identifiers(text);
    size_t cut = text.find('\n');
    std::string ref = text.substr(0, cut), name = cut == std::string::npos ? "" : text.substr(cut + 1);
    outputs(ref, name, data[0], data[1]);
    return 0;
}
