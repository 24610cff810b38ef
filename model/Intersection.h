// Crossing points of segments and of infinite lines, in double precision.
#pragma once

#include "Geometry.h"

// True, with *out set, when the segments a1-a2 and b1-b2 meet in exactly one point.
// Overlapping collinear segments and disjoint ones give false.
bool IntersectSegments(const Position& a1, const Position& a2, const Position& b1,
                       const Position& b2, Position* out);
// The same for the infinite lines through the two point pairs (parallel: false).
bool IntersectLines(const Position& a1, const Position& a2, const Position& b1, const Position& b2,
                    Position* out);
