// The pixels a QPainter on a 32-bit image lights, without antialiasing or a transform,
// for a polygon of whole-pixel corners filled with a solid brush (odd-even) and outlined
// with a thin solid pen, worked out without the painter, which spends most of its time on
// setting such a shape up rather than on its pixels.
//
// The fill lights a row's pixels from where one side crosses the row's centre line to
// where the next does, each crossing in the painter's 16.16 fixed point and rounded down
// as it rounds it; the outline steps along each side in 26.6 fixed point as the painter's
// thin lines do, and where two sides meet, lights the pixel both would light once and
// the pixel that closes a gap between them. Both hold only for polygons lying inside the
// picture and the painter's clip: the painter cuts sides at those edges, and near them
// lights a pixel or two otherwise. Coordinates must stay within ±2^15 pixels.
#pragma once

#include "platform/WinTypes.h"

#include <span>
#include <vector>

class AliasedPolygon
{
  public:
    struct Span {
        int y;
        int x;
        int length; // at least one pixel
    };
    // Appends the spans the fill lights.
    static void Fill(std::span<const Point> corners, std::vector<Span>* spans);
    // Appends the pixels the closed outline lights, neighbours on a row in one span; a
    // pixel may come twice, and one may lie a pixel past the corners' box.
    static void Outline(std::span<const Point> corners, std::vector<Span>* spans);
};
