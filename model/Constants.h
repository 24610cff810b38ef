// Numeric conventions shared by the whole board model.
#pragma once

#include <cmath>

// The board model works with this value of pi everywhere, not the full-precision one:
// stored files and computed positions depend on it.
inline constexpr double PI = 3.1415926;
inline constexpr double TWO_PI = 6.2831852;

// Angles closer than this compare equal.
inline constexpr double ANGLE_TOLERANCE = 0.0001745329;
// Points closer than this on both axes are "near".
inline constexpr double POINT_TOLERANCE = 0.0001;

// The slope that stands for a vertical track: tan(pi/2 - 0.0001).
inline const double VERTICAL_SLOPE = std::tan(PI * 0.5 - 0.0001);

// Millimetres are shown as mils divided by this.
inline constexpr double MILS_PER_MM = 39.37007874015748;

// Rounds to the nearest integer, halves away from zero (2.5 -> 3, -2.5 -> -3); `v` must
// lie within the range of int. The conversion to int truncates towards zero, which is the
// floor of v + 0.5 when that is positive and the ceiling of v - 0.5 when that is
// negative, without a call into the maths library.
inline int RoundHalfAway(double v)
{
    return int(v < 0.0 ? v - 0.5 : v + 0.5);
}
