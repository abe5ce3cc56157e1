// Transforms of real and complex arrays into plotted curves: magnitude,
// decibels, log10, phase, continuous phase, real and imaginary part.
//
// The code is decoded once per call and each transform is one loop. The
// single-precision forms use the float functions (sqrt, log10, atan2 of
// floats); only products with the double constants of MATHC and the
// continuous-phase offsets are carried in double before the result is
// rounded. Element i of the input is read before element i of the output
// is written, so the output may be the input's own storage.
//
// Continuous phase: a phase that jumps by more than T = 1.6f * pi against
// its predecessor has wrapped, and 2 pi is added to (or taken from) the
// offset of every later element. Along the array (TRX2S, TRZ2D) a zero
// magnitude breaks the chain; across calls (TRX2SN) each point keeps its
// own previous phase and offset in the caller's workspace.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "common/fortran_alias.h"
#include "kt/numerics.h"
#include "magnitude.h"

using kt::numerics::has_phase;
using kt::numerics::magnitude;

namespace {

enum Code : int32_t {
    kMagnitude = 1,
    kDecibel = 2,
    kPhase = 3,
    kContinuousPhase = 4,
    kReal = 5,
    kImaginary = 6,
    kPhaseDegrees = 7,
    kContinuousDegrees = 8,
    kLog10 = 9,
};

// Written where the logarithm of a zero (or NaN) magnitude would be taken.
constexpr double kLogSentinel = -1000.0;

double pi() { return MATHC[0]; }
double two_pi() { return MATHC[1]; }
double degrees_per_radian() { return MATHC[4]; }
// 1.6 as the caller's single-precision constant, widened before the product.
double wrap_threshold() { return static_cast<double>(1.6f) * pi(); }

double phase_scale(int32_t code) { return code == kContinuousDegrees ? degrees_per_radian() : 1.0; }

// factor * log10(m) for a positive magnitude, else the sentinel. The
// product of two floats is exact in double, so rounding it once equals
// the float product.
template <typename T> T log_or_sentinel(T m, T factor) {
    return m > 0 ? factor * std::log10(m) : static_cast<T>(kLogSentinel);
}

// factor * log10 of the magnitude of (re, im), or the sentinel. The usual
// value takes the short path, as a plain loop would.
template <typename T> T log_magnitude(T re, T im, T factor) {
    const T sum = re * re + im * im;
    if (kt::numerics::normal_sum(sum))
        return factor * std::log10(std::sqrt(sum));
    return log_or_sentinel(kt::numerics::rare_magnitude(re, im), factor);
}

template <typename T> T phase_or_zero(T re, T im) { return has_phase(re, im) ? std::atan2(im, re) : T(0); }

template <typename T> void real_transform(const T *x, T *y, int32_t n, int32_t code) {
    const size_t count = n > 0 ? static_cast<size_t>(n) : 0;
    switch (code) {
    case kMagnitude:
        for (size_t i = 0; i < count; ++i)
            y[i] = std::abs(x[i]);
        break;
    case kDecibel:
        for (size_t i = 0; i < count; ++i)
            y[i] = log_or_sentinel(std::abs(x[i]), T(20));
        break;
    case kLog10:
        for (size_t i = 0; i < count; ++i)
            y[i] = log_or_sentinel(std::abs(x[i]), T(1));
        break;
    default:
        if (x != y)
            for (size_t i = 0; i < count; ++i)
                y[i] = x[i];
        break;
    }
}

template <typename T> void continuous_phase_along(const T *x, T *y, size_t count, double scale) {
    const double limit = wrap_threshold(), step = two_pi();
    double offset = 0;
    bool previous_has_phase = false;
    T previous = 0;
    for (size_t i = 0; i < count; ++i) {
        const T re = x[2 * i], im = x[2 * i + 1];
        const bool now = has_phase(re, im);
        T phase = 0;
        if (now) {
            phase = std::atan2(im, re);
            const double jump = static_cast<double>(previous) - static_cast<double>(phase);
            // |jump| > limit is jump > limit or -jump > limit; wraps are rare.
            if (__builtin_expect(previous_has_phase && std::fabs(jump) > limit, 0))
                offset += jump > limit ? step : -step;
        }
        y[i] = static_cast<T>((static_cast<double>(phase) + offset) * scale);
        previous_has_phase = now;
        previous = phase;
    }
}

template <typename T> void complex_transform(const T *x, T *y, int32_t n, int32_t code) {
    const size_t count = n > 0 ? static_cast<size_t>(n) : 0;
    switch (code) {
    case kMagnitude:
        for (size_t i = 0; i < count; ++i)
            y[i] = magnitude(x[2 * i], x[2 * i + 1]);
        break;
    case kDecibel:
        for (size_t i = 0; i < count; ++i)
            y[i] = log_magnitude(x[2 * i], x[2 * i + 1], T(20));
        break;
    case kLog10:
        for (size_t i = 0; i < count; ++i)
            y[i] = log_magnitude(x[2 * i], x[2 * i + 1], T(1));
        break;
    case kPhase:
        for (size_t i = 0; i < count; ++i)
            y[i] = phase_or_zero(x[2 * i], x[2 * i + 1]);
        break;
    case kPhaseDegrees: {
        const double scale = degrees_per_radian();
        for (size_t i = 0; i < count; ++i)
            y[i] = static_cast<T>(static_cast<double>(phase_or_zero(x[2 * i], x[2 * i + 1])) * scale);
        break;
    }
    case kReal:
        for (size_t i = 0; i < count; ++i)
            y[i] = x[2 * i];
        break;
    case kImaginary:
        for (size_t i = 0; i < count; ++i)
            y[i] = x[2 * i + 1];
        break;
    case kContinuousPhase:
    case kContinuousDegrees:
        continuous_phase_along(x, y, count, phase_scale(code));
        break;
    default: // no transform: the output keeps its contents
        break;
    }
}

// w[0..n) holds each point's phase from the previous call, w[n..2n) its
// accumulated offset; both stay with the caller between calls.
void continuous_phase_across(const float *x, float *y, size_t count, double scale, float *w, bool new_family) {
    const double limit = wrap_threshold(), step = two_pi();
    float *previous = w, *offset = w + count;
    for (size_t i = 0; i < count; ++i) {
        const float re = x[2 * i], im = x[2 * i + 1];
        const float phase = phase_or_zero(re, im);
        if (new_family) {
            offset[i] = 0;
        } else {
            const double jump = static_cast<double>(previous[i]) - static_cast<double>(phase);
            if (jump > limit)
                offset[i] = static_cast<float>(offset[i] + step);
            else if (-jump > limit)
                offset[i] = static_cast<float>(offset[i] - step);
        }
        previous[i] = phase;
        y[i] = static_cast<float>((static_cast<double>(phase) + offset[i]) * scale);
    }
}

} // namespace

extern "C" {

void TRS2S(const float *x, float *y, const int32_t *n, const int32_t *code) { real_transform(x, y, *n, *code); }
KT_FORTRAN_ALIAS(TRS2S, trs2s_);

void TRD2D(const double *x, double *y, const int32_t *n, const int32_t *code) { real_transform(x, y, *n, *code); }
KT_FORTRAN_ALIAS(TRD2D, trd2d_);

void TRX2S(const float *x, float *y, const int32_t *n, const int32_t *code) { complex_transform(x, y, *n, *code); }
KT_FORTRAN_ALIAS(TRX2S, trx2s_);

void TRZ2D(const double *x, double *y, const int32_t *n, const int32_t *code) { complex_transform(x, y, *n, *code); }
KT_FORTRAN_ALIAS(TRZ2D, trz2d_);

void TRX2SN(const float *x, float *y, const int32_t *n, const int32_t *code, float *w, const int32_t *k) {
    if (*n <= 0)
        return;
    if (*code != kContinuousPhase && *code != kContinuousDegrees) {
        complex_transform(x, y, *n, *code);
        return;
    }
    continuous_phase_across(x, y, static_cast<size_t>(*n), phase_scale(*code), w, *k <= 1);
}
KT_FORTRAN_ALIAS(TRX2SN, trx2sn_);

} // extern "C"
