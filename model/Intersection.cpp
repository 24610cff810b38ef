// The only place that includes the geometry kernel: its headers are heavy, and the
// rest of the model needs nothing from it but these two answers.
#include "Intersection.h"

#include <CGAL/Simple_cartesian.h>
#include <CGAL/intersections.h>
#include <CGAL/version_macros.h>

#include <cmath>
#include <exception>

namespace
{

using Kernel = CGAL::Simple_cartesian<double>;
using Point2 = Kernel::Point_2;
using Segment2 = Kernel::Segment_2;
using Line2 = Kernel::Line_2;

Point2 ToKernel(const Position& p)
{
    return Point2(p.x, p.y);
}

bool IsFinite(const Position& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// The point held by an intersection result, or null when the result is something else
// (an overlapping stretch, a common line).
template <class Variant> const Point2* PointOf(const Variant& v)
{
#if CGAL_VERSION_MAJOR >= 6
    return std::get_if<Point2>(&v);
#else
    return boost::get<Point2>(&v);
#endif
}

template <class A, class B> bool SinglePoint(const A& a, const B& b, Position* out)
{
    // Inexact arithmetic can trip one of the kernel's internal checks on nearly
    // degenerate input; such a pair has no dependable single crossing.
    try {
        const auto result = CGAL::intersection(a, b);
        if (!result)
            return false;
        const Point2* p = PointOf(*result);
        if (!p || !std::isfinite(p->x()) || !std::isfinite(p->y()))
            return false;
        if (out)
            out->Set(p->x(), p->y());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool IntersectSegments(const Position& a1, const Position& a2, const Position& b1,
                       const Position& b2, Position* out)
{
    if (!IsFinite(a1) || !IsFinite(a2) || !IsFinite(b1) || !IsFinite(b2))
        return false;
    const bool aIsPoint = a1 == a2;
    const bool bIsPoint = b1 == b2;
    // A segment shrunk to a point meets the other one at most in that point.
    if (aIsPoint && bIsPoint) {
        if (a1 != b1)
            return false;
        if (out)
            *out = a1;
        return true;
    }
    if (aIsPoint || bIsPoint) {
        const Position& point = aIsPoint ? a1 : b1;
        const Segment2 segment =
            aIsPoint ? Segment2(ToKernel(b1), ToKernel(b2)) : Segment2(ToKernel(a1), ToKernel(a2));
        if (!segment.has_on(ToKernel(point)))
            return false;
        if (out)
            *out = point;
        return true;
    }
    return SinglePoint(Segment2(ToKernel(a1), ToKernel(a2)), Segment2(ToKernel(b1), ToKernel(b2)),
                       out);
}

bool IntersectLines(const Position& a1, const Position& a2, const Position& b1, const Position& b2,
                    Position* out)
{
    if (!IsFinite(a1) || !IsFinite(a2) || !IsFinite(b1) || !IsFinite(b2))
        return false;
    // Two equal points give no direction, hence no line.
    if (a1 == a2 || b1 == b2)
        return false;
    return SinglePoint(Line2(ToKernel(a1), ToKernel(a2)), Line2(ToKernel(b1), ToKernel(b2)), out);
}
