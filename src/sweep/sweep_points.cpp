// The points of a sweep: sizing (LPGN), expansion (LPXP) and single
// points (LPGV, LPGS).
//
// LPXP steps logarithmic kinds by repeated multiplication and linear kinds
// as (i - 1) * step + from, never accumulating a sum; LPGV computes point i
// on its own (a power of the ratio), so both agree exactly on the first and
// last points and on every point of kinds 1 and 2. The last point of every
// kind but 1 is "to" itself, so a sweep ends exactly where the user said.
#include <cmath>
#include <cstring>

#include "common/fortran_alias.h"
#include "host/store_requester.h"
#include "host/host_calls.h"
#include "kt/host.h"
#include "kt/sweep.h"
#include "sweep_record.h"

using namespace kt::sweep;

namespace {

// Absorbs a relative error of 1e-5 in a span that is a whole number of steps.
constexpr double kRangeTolerance = 1.00001;
constexpr double kLn10 = 2.302585092994046, kLn2 = 0.6931471805599453;

// Truncation toward zero into a point count; NaN counts nothing and counts
// beyond the 32-bit range stop at its end.
int32_t truncated(double x) {
    if (std::isnan(x))
        return 0;
    if (x >= 2147483647.0)
        return INT32_MAX;
    if (x <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(x);
}

// to - from, divided by d; when the difference of two finite ends leaves
// the range of a double (from -1e308 to 1e308), each end is divided first.
double span_over(const Range &r, double d) {
    const double span = r.to - r.from;
    return std::isfinite(span) ? span / d : r.to / d - r.from / d;
}

// ln(to / from) for ends of one sign; when the quotient itself leaves the
// range of a double (from 1e-300 to 1e300), the logarithms are subtracted.
double log_ratio(const Range &r) {
    const double q = r.to / r.from;
    return std::isfinite(q) && q != 0.0 ? std::log(q) : std::log(std::fabs(r.to)) - std::log(std::fabs(r.from));
}
Sizing size_range(int32_t kind, const Range &r) {
    Sizing s;
    switch (kind) {
    case kBy:
        s.points = truncated(std::fabs(span_over(r, r.third)) + kRangeTolerance);
        s.step = r.to < r.from ? -std::fabs(r.third) : std::fabs(r.third);
        break;
    case kLin:
    case kLog:
        s.points = r.to == r.from ? 1 : truncated(r.third);
        if (kind == kLin)
            s.step = s.points <= 1 ? 0.0 : span_over(r, s.points - 1);
        else
            s.step = s.points <= 1 ? 1.0 : std::exp(log_ratio(r) / (s.points - 1));
        break;
    default: { // per decade or per octave
        double rate = (kind == kDec ? kLn10 : kLn2) / r.third;
        double x = log_ratio(r) / rate;
        if (!(x > 0.0)) {
            x = -x;
            rate = -rate;
        }
        s.step = std::exp(rate);
        // A span of whole steps that rounding carried just past a whole
        // number (2^5 / 2^0 at 3 per octave gives x = 15.000000000000002)
        // would get a last step of next to nothing, visiting the end value
        // twice; within the range tolerance the span counts as whole.
        const double whole = std::trunc(x);
        const bool partial = x - whole > kRangeTolerance - 1.0;
        s.points = truncated(whole + (partial ? 2.0 : 1.0));
        break;
    }
    }
    if (s.points < 0)
        s.points = 0;
    return s;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The sizing of the range last sized. Callers ask LPGV for every point of
// one sweep in turn, and a range's sizing depends on nothing but its kind
// and three items, so it is worked out (a logarithm and an exponential)
// once per sweep rather than once per point.
Sizing size_range_cached(int32_t kind, const Range &r) {
    static int32_t last_kind = kEmpty;
    static Range last_range;
    static Sizing last;
    if (kind != last_kind || !same_bits(r.from, last_range.from) || !same_bits(r.to, last_range.to) ||
        !same_bits(r.third, last_range.third)) {
        last = check_range(kind, r) == 0 ? size_range(kind, r) : Sizing{};
        last_kind = kind;
        last_range = r;
    }
    return last;
}

// i * step + from; when the product alone leaves the range of a double
// although the point lies between the ends, one fused operation gives it.
double linear_point(int32_t i, double step, double from) {
    const double v = i * step + from;
    return std::isfinite(v) ? v : std::fma(i, step, from);
}

// from * step^e; when the power alone would leave the range of a double
// although the point lies between the ends (from 1e-300 to 1e300), the
// point is taken through logarithms instead.
double log_point(double step, int32_t e, double from) {
    const double p = std::pow(step, e);
    if (std::isfinite(p) && p != 0.0)
        return p * from;
    return std::copysign(std::exp(e * std::log(step) + std::log(std::fabs(from))), from);
}

} // namespace

namespace kt::sweep {

Sizing size_of(int32_t list, Range *range) {
    if (list == 0)
        return {};
    const int32_t kind = kind_of(list);
    if (kind == kValues || kind == kNames)
        return {item_count(list), 0.0};
    if (!is_range(kind) || item_count(list) == 0)
        return {};
    Range local;
    Range &r = range ? *range : local;
    read_range(list, r);
    return size_range_cached(kind, r);
}

} // namespace kt::sweep

extern "C" {

void LPGN(const int32_t *list, int32_t *points, double *step) {
    Sizing s = size_of(*list);
    *points = s.points;
    *step = s.step;
}
KT_FORTRAN_ALIAS(LPGN, lpgn_);

int32_t LPXP(const int32_t *list, int32_t *block, int32_t *points) {
    kt::StoreRequester as("LPXP");
    *block = 0;
    Range r;
    const Sizing s = size_of(*list, &r);
    const int32_t kind = *list == 0 ? kEmpty : kind_of(*list);
    *points = 0;
    if (!is_range(kind) || s.points == 0)
        return 0;
    if (!kt::store_get(s.points, block, kRealSize, 0)) {
        *block = 0;
        return 0;
    }
    double *p = kt_rptr(*block + 1);
    const int32_t n = s.points;
    const double step = s.step, from = r.from;
    p[0] = from;
    if (kind == kBy || kind == kLin) {
        for (int32_t i = 1; i < n; ++i)
            p[i] = linear_point(i, step, from);
    } else {
        double v = from;
        for (int32_t i = 1; i < n; ++i) {
            v *= step;
            p[i] = v;
        }
    }
    if (kind != kBy)
        p[n - 1] = r.to;
    *points = n;
    return *block;
}
KT_FORTRAN_ALIAS(LPXP, lpxp_);

int32_t LPGV(const int32_t *list, const int32_t *i, double *value, int32_t *status) {
    *status = 1;
    Range r;
    const Sizing s = size_of(*list, &r);
    const int32_t k = *i;
    if (k < 1 || k > s.points)
        return 1;
    const int32_t kind = kind_of(*list);
    if (kind == kNames)
        return 1;
    *status = 0;
    if (kind == kValues) {
        *value = reals(*list)[k - 1];
        return 0;
    }
    if (k == s.points && kind != kBy)
        *value = r.to;
    else if (k == 1)
        *value = r.from;
    else if (kind == kBy || kind == kLin)
        *value = linear_point(k - 1, s.step, r.from);
    else
        *value = log_point(s.step, k - 1, r.from);
    return 0;
}
KT_FORTRAN_ALIAS(LPGV, lpgv_);

int32_t LPGS(const int32_t *list, const int32_t *i, int32_t *string, int32_t *status) {
    const Sizing s = size_of(*list);
    const int32_t k = *i;
    *status = 1;
    if (k < 1 || k > s.points || kind_of(*list) != kNames)
        return 1;
    *string = names(*list)[k - 1];
    *status = 0;
    return 0;
}
KT_FORTRAN_ALIAS(LPGS, lpgs_);

} // extern "C"
