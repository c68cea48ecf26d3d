#pragma once
// Small measures of a rendered signal for the sound tests.

#include <cmath>
#include <numbers>
#include <span>

#include "base/types.h"

namespace varn::test {

// Frequency from the number of rising zero crossings over the whole signal.
inline double zero_crossing_hz(std::span<const s16> s, double rate) {
    int first = -1, last = -1, count = 0;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i - 1] < 0 && s[i] >= 0) {
            if (first < 0) first = static_cast<int>(i);
            last = static_cast<int>(i);
            ++count;
        }
    }
    if (count < 2) return 0.0;
    return (count - 1) * rate / (last - first);
}

// Magnitude of one frequency component (a single DFT bin, Goertzel's way).
inline double tone_magnitude(std::span<const s16> s, double hz, double rate) {
    const double w = 2.0 * std::numbers::pi * hz / rate;
    const double c = 2.0 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (s16 x : s) {
        const double s0 = x + c * s1 - s2;
        s2              = s1;
        s1              = s0;
    }
    return std::sqrt(s1 * s1 + s2 * s2 - c * s1 * s2) / static_cast<double>(s.size());
}

// The strongest of the frequencies lo, lo + step, ... hi.
inline double dominant_hz(std::span<const s16> s, double rate, double lo, double hi, double step) {
    double best = lo, best_mag = -1;
    for (double f = lo; f <= hi; f += step) {
        const double m = tone_magnitude(s, f, rate);
        if (m > best_mag) {
            best_mag = m;
            best     = f;
        }
    }
    return best;
}

}  // namespace varn::test
