// Constants of the statistics' logarithms, named once.
#pragma once

// Added to the argument of every logarithm of a probability or frequency, so that a zero gives
// a very negative number instead of minus infinity.
constexpr double LOG_GUARD = 1e-200;

constexpr double LN_2 = 0.6931471805599453;
constexpr double LN_10 = 2.302585092994046;
