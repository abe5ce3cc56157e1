// Magnitude of a complex value from the squares of its parts.
//
// Wherever the sum of squares is a normal number (or NaN) the result is
// exactly sqrt(re*re + im*im) in T, the formula callers compare against.
// Where the sum overflows, or underflows while a part is not zero, the
// squares alone would give infinity or lose every digit of a magnitude
// that T can hold; those rare values take hypot instead.
#ifndef KT_SRC_NUMERICS_MAGNITUDE_H
#define KT_SRC_NUMERICS_MAGNITUDE_H

#include <cmath>
#include <limits>

namespace kt::numerics {

// Whether the plain formula holds for this sum of squares.
template <typename T> inline bool normal_sum(T sum) {
    return sum >= std::numeric_limits<T>::min() && sum <= std::numeric_limits<T>::max();
}

// The magnitude where the sum of squares is not normal: zero, NaN, or
// over- or underflowed.
template <typename T> [[gnu::noinline, gnu::cold]] T rare_magnitude(T re, T im) {
    const T sum = re * re + im * im;
    return sum != sum ? sum : std::hypot(re, im);
}

template <typename T> inline T magnitude(T re, T im) {
    const T sum = re * re + im * im;
    return normal_sum(sum) ? std::sqrt(sum) : rare_magnitude(re, im);
}

// Whether magnitude(re, im) > 0, without the square root: the phase of a
// value is defined only then.
template <typename T> inline bool has_phase(T re, T im) {
    const T sum = re * re + im * im;
    if (sum >= std::numeric_limits<T>::min())
        return true;
    return sum == sum && (re != 0 || im != 0);
}

} // namespace kt::numerics

#endif
