#include "model/Intersection.h"

#include "model/CLine.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

constexpr double kEps = 1e-9;

CLine Seg(double x1, double y1, double x2, double y2)
{
    return CLine(Position(x1, y1), Position(x2, y2));
}

// ---------------------------------------------------------------------------------
// Segments

TEST(TrackSegmentCrossing, CrossingPointIsAppended)
{
    std::vector<Position> points{Position(-1, -1)};
    EXPECT_EQ(Seg(0, 0, 10, 10).IntersectSegment(Seg(0, 10, 10, 0), points), 1);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_NEAR(points[0].x, -1, 0); // what was there stays
    EXPECT_NEAR(points[1].x, 5, kEps);
    EXPECT_NEAR(points[1].y, 5, kEps);

    // An uneven crossing, away from any symmetry.
    EXPECT_EQ(Seg(0, 0, 30, 10).IntersectSegment(Seg(10, -10, 10, 20), points), 1);
    EXPECT_NEAR(points[2].x, 10, kEps);
    EXPECT_NEAR(points[2].y, 10.0 / 3.0, kEps);
}

TEST(TrackSegmentCrossing, TouchingCountsAsASinglePoint)
{
    std::vector<Position> points;
    // A T: one track ends on the other.
    EXPECT_EQ(Seg(0, 0, 10, 0).IntersectSegment(Seg(5, 0, 5, 5), points), 1);
    // Two collinear tracks meeting end to end share just that point.
    EXPECT_EQ(Seg(0, 0, 5, 0).IntersectSegment(Seg(5, 0, 10, 0), points), 1);
    // A zero-length track lying on the other one.
    EXPECT_EQ(Seg(0, 0, 10, 10).IntersectSegment(Seg(4, 4, 4, 4), points), 1);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_NEAR(points[0].x, 5, kEps);
    EXPECT_NEAR(points[0].y, 0, kEps);
    EXPECT_NEAR(points[1].x, 5, kEps);
    EXPECT_NEAR(points[2].y, 4, kEps);
}

TEST(TrackSegmentCrossing, NoSinglePointAppendsNothing)
{
    std::vector<Position> points;
    // Overlapping along a common stretch.
    EXPECT_EQ(Seg(0, 0, 10, 0).IntersectSegment(Seg(5, 0, 15, 0), points), 0);
    EXPECT_EQ(Seg(0, 0, 10, 10).IntersectSegment(Seg(2, 2, 8, 8), points), 0);
    // Parallel, and far apart.
    EXPECT_EQ(Seg(0, 0, 10, 0).IntersectSegment(Seg(0, 1, 10, 1), points), 0);
    EXPECT_EQ(Seg(0, 0, 10, 10).IntersectSegment(Seg(50, 0, 60, 10), points), 0);
    // Boxes overlap and the lines cross, but the second track stops short of it.
    EXPECT_EQ(Seg(0, 0, 10, 10).IntersectSegment(Seg(10, 0, 6, 4), points), 0);
    // A zero-length track off the other one.
    EXPECT_EQ(Seg(0, 0, 10, 10).IntersectSegment(Seg(4, 5, 4, 5), points), 0);
    EXPECT_TRUE(points.empty());
}

// ---------------------------------------------------------------------------------
// Lines

TEST(TrackLineCrossing, LinesCrossBeyondTheTracks)
{
    std::vector<Position> points;
    EXPECT_EQ(Seg(0, 0, 1, 1).IntersectLine(Seg(10, 0, 9, 1), points), 1);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_NEAR(points[0].x, 5, kEps);
    EXPECT_NEAR(points[0].y, 5, kEps);
    // The segments themselves do not meet.
    EXPECT_EQ(Seg(0, 0, 1, 1).IntersectSegment(Seg(10, 0, 9, 1), points), 0);

    EXPECT_EQ(Seg(0, 3, 10, 3).IntersectLine(Seg(-7, 100, -7, 200), points), 1);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_NEAR(points[1].x, -7, kEps);
    EXPECT_NEAR(points[1].y, 3, kEps);
}

TEST(TrackLineCrossing, ParallelCollinearOrPointLikeGiveNothing)
{
    std::vector<Position> points;
    EXPECT_EQ(Seg(0, 0, 10, 5).IntersectLine(Seg(0, 1, 20, 11), points), 0);
    EXPECT_EQ(Seg(0, 0, 10, 5).IntersectLine(Seg(20, 10, 40, 20), points), 0);
    EXPECT_EQ(Seg(0, 0, 10, 5).IntersectLine(Seg(3, 3, 3, 3), points), 0);
    EXPECT_EQ(Seg(3, 3, 3, 3).IntersectLine(Seg(0, 0, 10, 5), points), 0);
    EXPECT_TRUE(points.empty());
}

// ---------------------------------------------------------------------------------
// The kernel functions themselves

TEST(KernelIntersection, DegenerateAndNonFiniteInput)
{
    Position p(123, 456);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();

    EXPECT_FALSE(IntersectSegments(Position(nan, 0), Position(10, 10), Position(0, 10),
                                   Position(10, 0), &p));
    EXPECT_FALSE(IntersectLines(Position(0, 0), Position(inf, 10), Position(0, 10),
                                Position(10, 0), &p));
    EXPECT_DOUBLE_EQ(p.x, 123); // left alone on failure

    // Two equal points meet where they are; two different ones do not.
    EXPECT_TRUE(IntersectSegments(Position(2, 2), Position(2, 2), Position(2, 2),
                                  Position(2, 2), &p));
    EXPECT_DOUBLE_EQ(p.x, 2);
    EXPECT_FALSE(IntersectSegments(Position(2, 2), Position(2, 2), Position(3, 2),
                                   Position(3, 2), &p));
    // A line needs two distinct points.
    EXPECT_FALSE(IntersectLines(Position(0, 0), Position(0, 0), Position(0, 10),
                                Position(10, 0), &p));

    // The point is optional.
    EXPECT_TRUE(IntersectSegments(Position(0, 0), Position(10, 10), Position(0, 10),
                                  Position(10, 0), nullptr));
    EXPECT_TRUE(IntersectLines(Position(0, 0), Position(1, 1), Position(10, 0),
                               Position(9, 1), nullptr));
}

} // namespace
