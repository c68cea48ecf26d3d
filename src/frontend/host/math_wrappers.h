#pragma once
// The C library's base-10 logarithm and power in the form the sound chips' table builders
// call them at start-up; no range checks.

#include <cmath>

namespace varn {

inline double math_log10(double x) { return std::log10(x); }
inline double math_pow(double base, double exponent) { return std::pow(base, exponent); }

}  // namespace varn
