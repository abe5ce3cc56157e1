// The sorts and searches on keys decoded from the input, every array and
// work stack exactly as long as the contract asks (so the sanitizer sees
// any access past it). Byte 0 chooses the routine, byte 1 a parameter.
// In-place sorts must give what std::sort gives (std::stable_sort for the
// stable exchange sorts, their index included); index sorts a permutation
// of 1..N along which the keys ascend in the routine's order (markers
// -M first and +M last for double keys; real part, then |imaginary part|
// for complex ones); the searches what a plain scan of the same keys
// says. Keys are NaN-free where the contract demands an order (with NaNs
// the quicksorts need only keep every key and stay inside the arrays), and
// integer keys of the quicksorts differ by less than 2^31.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "kt/host.h"
#include "kt/numerics.h"

using kt::fuzz::check;

namespace {

// Integers within +-2^30, so that the difference of two fits.
std::vector<int32_t> integers(kt::fuzz::Input &in) {
    std::vector<int32_t> v;
    while (in.left() >= 4)
        v.push_back(in.i32() >> 1);
    return v;
}

// One byte gives a key from a few values, so ties and markers are common,
// or eight more any bit pattern (NaN only when allowed).
std::vector<double> reals(kt::fuzz::Input &in, bool nan = false) {
    static const double kCommon[] = {0.0, -0.0, 1.0, -1.0, 2.5, 1e300, -1e300, INFINITY, -INFINITY};
    std::vector<double> v;
    while (in.left() >= 1) {
        uint8_t b = in.byte();
        double d = b < 128 ? kCommon[b % 9] : b < 160 ? (b & 1 ? 1 : -1) * MACHC.d[4] : in.f64();
        v.push_back(std::isnan(d) && !nan ? 3.0 : d);
    }
    return v;
}

std::vector<float> singles(kt::fuzz::Input &in, bool nan = false) {
    std::vector<float> v;
    for (double d : reals(in, nan))
        v.push_back(static_cast<float>(d));
    return v;
}

// Keys and index as the routines take them: the index filled with 1..N,
// a stack of exactly N entries (one, holding a sentinel, for N = 0).
template <typename T> struct Case {
    std::vector<T> a;
    std::vector<int32_t> idx, stk;
    int32_t n;
    explicit Case(std::vector<T> keys)
        : a(std::move(keys)), idx(a.size()), stk(a.empty() ? 1 : a.size(), -5), n(static_cast<int32_t>(a.size())) {
        std::iota(idx.begin(), idx.end(), 1);
    }
    bool permutation() const {
        std::vector<int32_t> s = idx;
        std::sort(s.begin(), s.end());
        for (int32_t i = 0; i < n; ++i)
            if (s[static_cast<size_t>(i)] != i + 1)
                return false;
        return true;
    }
    void stack_done() const { check(stk[0] == (n > 0 ? n : -5)); }
};

template <typename T> bool same_values(const std::vector<T> &x, const std::vector<T> &y) {
    return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin());
}

template <typename T> bool same_bits(const std::vector<T> &x, const std::vector<T> &y) {
    return x.size() == y.size() && (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(T)) == 0);
}

template <typename T> std::vector<T> sorted_bits(std::vector<T> v) {
    std::sort(v.begin(), v.end(), [](T x, T y) { return std::memcmp(&x, &y, sizeof x) < 0; });
    return v;
}

// The order of QSRTID: -M before everything, +M after, the rest by value.
bool marker_less(double x, double y) {
    const double m = MACHC.d[4];
    auto rank = [m](double v) { return v == -m ? 0 : v == m ? 2 : 1; };
    return rank(x) != rank(y) ? rank(x) < rank(y) : x < y;
}

template <typename T, typename Less>
bool ascends_along(const std::vector<T> &a, const std::vector<int32_t> &idx, Less less) {
    for (size_t i = 1; i < idx.size(); ++i)
        if (less(a[static_cast<size_t>(idx[i] - 1)], a[static_cast<size_t>(idx[i - 1] - 1)]))
            return false;
    return true;
}

void in_place(kt::fuzz::Input &in, bool single, bool nan) {
    if (single) {
        Case<float> c(singles(in, nan));
        std::vector<float> want = c.a;
        std::sort(want.begin(), want.end());
        QSORTS(c.a.data(), c.stk.data(), &c.n);
        if (nan) // no order to check, but nothing lost or made up
            check(same_bits(sorted_bits(c.a), sorted_bits(want)));
        else
            check(same_values(c.a, want));
        c.stack_done();
    } else {
        Case<int32_t> c(integers(in));
        std::vector<int32_t> want = c.a;
        std::sort(want.begin(), want.end());
        QSORTI(c.a.data(), c.stk.data(), &c.n);
        check(c.a == want);
        c.stack_done();
    }
}

// With NaN keys there is no order to check, only that the index is still
// a permutation (every access inside the arrays).
void by_index(kt::fuzz::Input &in, int which, bool nan) {
    if (which == 0) {
        Case<int32_t> c(integers(in));
        QSRTII(c.a.data(), c.idx.data(), c.stk.data(), &c.n);
        check(c.permutation() && ascends_along(c.a, c.idx, std::less<int32_t>()));
        c.stack_done();
    } else if (which == 1) {
        Case<float> c(singles(in, nan));
        QSRTIS(c.a.data(), c.idx.data(), c.stk.data(), &c.n);
        check(c.permutation() && (nan || ascends_along(c.a, c.idx, std::less<float>())));
        c.stack_done();
    } else {
        Case<double> c(reals(in, nan));
        QSRTID(c.a.data(), c.idx.data(), c.stk.data(), &c.n);
        check(c.permutation() && (nan || ascends_along(c.a, c.idx, marker_less)));
        c.stack_done();
    }
}

void complex_index(kt::fuzz::Input &in, int32_t dir) {
    std::vector<double> parts = reals(in);
    parts.resize(parts.size() / 2 * 2);
    Case<double> c(std::vector<double>(parts.size() / 2));
    std::vector<double> w(c.a.size());
    QSRTIZ(parts.data(), w.data(), c.idx.data(), c.stk.data(), &c.n, &dir);
    check(c.permutation());
    auto less = [&](int32_t x, int32_t y) {
        double rx = parts[2 * static_cast<size_t>(x - 1)], ry = parts[2 * static_cast<size_t>(y - 1)];
        if (rx != ry)
            return marker_less(rx, ry);
        return marker_less(std::fabs(parts[2 * static_cast<size_t>(x) - 1]),
                           std::fabs(parts[2 * static_cast<size_t>(y) - 1]));
    };
    for (size_t i = 1; i < c.idx.size(); ++i)
        check(dir < 0 ? !less(c.idx[i - 1], c.idx[i]) : !less(c.idx[i], c.idx[i - 1]));
}

void exchange_sorts(kt::fuzz::Input &in, uint8_t param) {
    if (param & 1) {
        // Texts of L bytes compared as unsigned bytes.
        int32_t l = 1 + param / 2 % 8;
        std::string all = in.rest();
        int32_t n = static_cast<int32_t>(all.size()) / l;
        all.resize(static_cast<size_t>(n) * static_cast<size_t>(l));
        std::vector<std::string> want;
        for (int32_t i = 0; i < n; ++i)
            want.push_back(all.substr(static_cast<size_t>(i * l), static_cast<size_t>(l)));
        std::stable_sort(want.begin(), want.end());
        std::vector<char> texts(all.begin(), all.end());
        QSORTC(texts.data(), &n, &l, static_cast<int32_t>(texts.size()));
        check(std::accumulate(want.begin(), want.end(), std::string()) == std::string(texts.begin(), texts.end()));
        return;
    }
    Case<double> c(reals(in));
    std::vector<std::pair<double, int32_t>> want;
    for (int32_t i = 0; i < c.n; ++i)
        want.emplace_back(c.a[static_cast<size_t>(i)], i + 1);
    std::stable_sort(want.begin(), want.end(), [](const auto &x, const auto &y) { return x.first < y.first; });
    std::fill(c.idx.begin(), c.idx.end(), 0);
    QSORTD(c.a.data(), c.idx.data(), &c.n);
    for (int32_t i = 0; i < c.n; ++i) {
        check(std::memcmp(&c.a[static_cast<size_t>(i)], &want[static_cast<size_t>(i)].first, sizeof(double)) == 0);
        check(c.idx[static_cast<size_t>(i)] == want[static_cast<size_t>(i)].second);
    }
}

// Only the low byte of a word decides its place, so ties are common; the
// comparison answers in 16 bits.
int16_t low_byte_order(int32_t a, int32_t b) { return static_cast<int16_t>((a & 0xff) - (b & 0xff)); }

void generic(kt::fuzz::Input &in) {
    std::vector<int32_t> words;
    while (in.left() >= 4)
        words.push_back(in.i32());
    int16_t n = static_cast<int16_t>(std::min<size_t>(words.size(), 32767)); // its count is 16 bits wide
    std::vector<int32_t> before = words;
    qsortg(words.data(), n, low_byte_order);
    std::vector<int32_t> sorted_part(words.begin(), words.begin() + n), original(before.begin(), before.begin() + n);
    for (size_t i = 1; i < sorted_part.size(); ++i)
        check(low_byte_order(sorted_part[i - 1], sorted_part[i]) <= 0);
    std::sort(sorted_part.begin(), sorted_part.end());
    std::sort(original.begin(), original.end());
    check(sorted_part == original && std::equal(words.begin() + n, words.end(), before.begin() + n));
}

template <typename T> int32_t plain_search(const std::vector<T> &a, T x) {
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] == x)
            return static_cast<int32_t>(i) + 1;
    return 0;
}

// A table search: a linear one, or bisection of the keys sorted either
// way (or left unsorted: any position, read inside the table).
template <typename T> void table_search(std::vector<T> a, int32_t dir, bool sorted, T x) {
    const int32_t n = static_cast<int32_t>(a.size());
    if (dir > 0 && sorted)
        std::sort(a.begin(), a.end());
    if (dir < 0 && sorted)
        std::sort(a.begin(), a.end(), [](T p, T q) { return p > q; });
    int32_t pos = -9, r;
    if constexpr (std::is_same_v<T, double>) {
        r = INDEXD(a.data(), &n, &dir, &x, &pos);
        int32_t twin = -9;
        check(c_indexd(a.data(), n, dir, x, &twin) == r && twin == r);
    } else {
        r = INDEXS(a.data(), &n, &dir, &x, &pos);
        int32_t twin = -9;
        check(c_indexs(a.data(), n, dir, x, &twin) == r && twin == r);
    }
    check(r == pos);
    const int32_t found = plain_search(a, x);
    if (n == 1) {
        check(r == (found ? 1 : 0));
    } else if (dir == 0) {
        check(r == (found ? found : n + 1) || (n == 0 && r == 1));
    } else if (!sorted) {
        check(r >= 0 && r <= n);
    } else if (n == 0 || (dir > 0 ? x < a[0] || x > a.back() : x > a[0] || x < a.back())) {
        check(r == 0);
    } else if (found) {
        check(r >= 1 && a[static_cast<size_t>(r - 1)] == x);
    } else {
        // x lies strictly between a(r) and a(r + 1).
        check(r >= 1 && r < n);
        T lo = a[static_cast<size_t>(r - 1)], hi = a[static_cast<size_t>(r)];
        check(dir > 0 ? lo < x && x < hi : lo > x && x > hi);
    }
}

void searches(kt::fuzz::Input &in, uint8_t param) {
    const int32_t dir = param % 3 == 0 ? 0 : param % 3 == 1 ? 1 + (param >> 4) : -1 - (param >> 4);
    const bool sorted = !(param & 8), from_table = param & 4;
    const uint8_t pick = in.byte();
    if (param & 2) {
        std::vector<int32_t> a = integers(in);
        int32_t n = static_cast<int32_t>(a.size()), v = a.empty() || !from_table ? pick : a[pick % a.size()], pos = -9;
        check(INDEXI(a.data(), &n, &v, &pos) == plain_search(a, v) && pos == plain_search(a, v));
        // Every other element, from the first.
        int32_t stride = 2, half = (n + 1) / 2;
        std::vector<int32_t> odd;
        for (size_t i = 0; i < a.size(); i += 2)
            odd.push_back(a[i]);
        check(INDXIA(a.data(), &half, &stride, &v, &pos) == plain_search(odd, v) && pos == plain_search(odd, v));
        return;
    }
    std::vector<double> a = reals(in);
    double x = a.empty() || !from_table ? pick / 16.0 - 4 : a[pick % a.size()];
    if (param & 1) {
        std::vector<float> f(a.begin(), a.end());
        table_search<float>(f, dir, sorted, static_cast<float>(x));
    } else {
        table_search<double>(a, dir, sorted, x);
    }
}

void comparisons(kt::fuzz::Input &in) {
    // Two arrays from one: the second half against the first, NaNs allowed.
    std::vector<double> d;
    while (in.left() >= 8)
        d.push_back(in.f64());
    int32_t n = static_cast<int32_t>(d.size() / 2);
    bool equal = true;
    for (int32_t i = 0; i < n; ++i)
        equal = equal && d[static_cast<size_t>(i)] == d[static_cast<size_t>(n + i)];
    check(CMPR8(d.data(), d.data() + n, &n) == (equal ? 0 : 1));
    std::vector<int32_t> w;
    for (double v : d)
        w.push_back(static_cast<int32_t>(std::fmod(std::isfinite(v) ? v : 0.0, 4.0)));
    equal = true;
    for (int32_t i = 0; i < n; ++i)
        equal = equal && w[static_cast<size_t>(i)] == w[static_cast<size_t>(n + i)];
    check(CMPI4(w.data(), w.data() + n, &n) == (equal ? 0 : 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kt::fuzz::Input in(data, size);
    const uint8_t which = in.byte(), param = in.byte();
    switch (which % 8) {
    case 0:
        in_place(in, param & 1, param & 2);
        break;
    case 1:
        by_index(in, param % 3, param & 4);
        break;
    case 2:
        complex_index(in, static_cast<int8_t>(param));
        break;
    case 3:
        exchange_sorts(in, param);
        break;
    case 4:
        generic(in);
        break;
    case 5:
    case 6:
        searches(in, param);
        break;
    default:
        comparisons(in);
        break;
    }
    return 0;
}
