// qsortg: sorts up to 32767 32-bit words with the caller's comparison,
// of which only the low 16 bits count.
//
// Each pass partitions around a pivot kept in the last word: words before
// it compare below or equal, words after it above or equal. The pivot is
// the median of the first, middle and last word, or from 40 words on the
// median of three such medians spread over the words, so sorted, reversed
// and rotated input split evenly. The smaller side is sorted by the
// recursive call while the larger one continues the loop, so the recursion
// is at most 15 deep. The upward scan stops at the pivot's place even when
// the comparison does not call the pivot equal to itself.
#include <cstdint>
#include <utility>

#include "kt/numerics.h"

namespace {

using Compare = int16_t (*)(int32_t, int32_t);

constexpr int32_t kNintherWords = 40;

int32_t median_position(const int32_t *w, int32_t a, int32_t b, int32_t c, Compare compare) {
    if (compare(w[b], w[a]) < 0)
        std::swap(a, b);
    if (compare(w[c], w[b]) < 0)
        b = compare(w[c], w[a]) < 0 ? a : c;
    return b;
}

int32_t pivot_position(const int32_t *w, int32_t last, Compare compare) {
    if (last + 1 < kNintherWords)
        return median_position(w, 0, last / 2, last, compare);
    const int32_t s = last / 8;
    return median_position(w, median_position(w, 0, s, 2 * s, compare),
                           median_position(w, 3 * s, 4 * s, 5 * s, compare),
                           median_position(w, 6 * s, 7 * s, last, compare), compare);
}

// Puts the pivot at its final place and returns that place.
int32_t partition(int32_t *w, int32_t count, Compare compare) {
    const int32_t last = count - 1;
    std::swap(w[pivot_position(w, last, compare)], w[last]);
    const int32_t pivot = w[last];
    int32_t i = -1, j = last;
    for (;;) {
        do
            ++i;
        while (i < last && compare(w[i], pivot) < 0);
        do
            --j;
        while (j > 0 && compare(w[j], pivot) > 0);
        if (i >= j)
            break;
        std::swap(w[i], w[j]);
    }
    std::swap(w[i], w[last]);
    return i;
}

void sort_words(int32_t *w, int32_t count, Compare compare) {
    while (count > 1) {
        const int32_t at = partition(w, count, compare);
        const int32_t left = at, right = count - at - 1;
        if (left < right) {
            sort_words(w, left, compare);
            w += at + 1;
            count = right;
        } else {
            sort_words(w + at + 1, right, compare);
            count = left;
        }
    }
}

} // namespace

extern "C" void qsortg(int32_t *base, int16_t n, int16_t (*compare)(int32_t, int32_t)) { sort_words(base, n, compare); }
