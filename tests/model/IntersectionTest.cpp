#include "model/Intersection.h"

#include "model/CLine.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace
{

CLine Seg(double x1, double y1, double x2, double y2)
{
    return CLine(Position(x1, y1), Position(x2, y2));
}

TEST(IntersectionTest, TrackSegmentsAppendTheirSinglePointOnly)
{
    const struct {
        const char* what;
        CLine a, b;
        int found;
        Position at;
    } cases[] = {{"crossing", Seg(0, 0, 10, 10), Seg(0, 10, 10, 0), 1, {5, 5}},
                 {"uneven crossing", Seg(0, 0, 30, 10), Seg(10, -10, 10, 20), 1, {10, 10.0 / 3.0}},
                 {"T: one ends on the other", Seg(0, 0, 10, 0), Seg(5, 0, 5, 5), 1, {5, 0}},
                 {"collinear, end to end", Seg(0, 0, 5, 0), Seg(5, 0, 10, 0), 1, {5, 0}},
                 {"zero length, on the other", Seg(0, 0, 10, 10), Seg(4, 4, 4, 4), 1, {4, 4}},
                 {"overlapping", Seg(0, 0, 10, 0), Seg(5, 0, 15, 0), 0, {}},
                 {"one inside the other", Seg(0, 0, 10, 10), Seg(2, 2, 8, 8), 0, {}},
                 {"parallel", Seg(0, 0, 10, 0), Seg(0, 1, 10, 1), 0, {}},
                 {"stops short, boxes overlap", Seg(0, 0, 10, 10), Seg(10, 0, 6, 4), 0, {}},
                 {"zero length, off the other", Seg(0, 0, 10, 10), Seg(4, 5, 4, 5), 0, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Position> points{Position(-1, -1)};
        EXPECT_EQ(c.a.IntersectSegment(c.b, points), c.found);
        ASSERT_EQ(points.size(), 1u + c.found);
        EXPECT_EQ(points[0], Position(-1, -1)); // what was there stays
        if (c.found) {
            EXPECT_NEAR(points[1].x, c.at.x, 1e-9);
            EXPECT_NEAR(points[1].y, c.at.y, 1e-9);
        }
    }
}

TEST(IntersectionTest, LinesCrossBeyondTheTracksButNotWhenParallelOrPointLike)
{
    std::vector<Position> points;
    EXPECT_EQ(Seg(0, 3, 10, 3).IntersectLine(Seg(-7, 100, -7, 200), points), 1);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_NEAR(points[0].x, -7, 1e-9);
    EXPECT_NEAR(points[0].y, 3, 1e-9);
    EXPECT_EQ(Seg(0, 0, 10, 5).IntersectLine(Seg(0, 1, 20, 11), points), 0);   // parallel
    EXPECT_EQ(Seg(0, 0, 10, 5).IntersectLine(Seg(20, 10, 40, 20), points), 0); // collinear
    EXPECT_EQ(Seg(0, 0, 10, 5).IntersectLine(Seg(3, 3, 3, 3), points), 0);
    EXPECT_EQ(Seg(3, 3, 3, 3).IntersectLine(Seg(0, 0, 10, 5), points), 0);
    EXPECT_EQ(points.size(), 1u);

    // Not finite: refused, and the point is left alone; the point is optional.
    Position p(123, 456);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(IntersectSegments(Position(nan, 0), Position(10, 10), Position(0, 10),
                                   Position(10, 0), &p));
    EXPECT_FALSE(IntersectLines(Position(0, 0),
                                Position(std::numeric_limits<double>::infinity(), 10),
                                Position(0, 10), Position(10, 0), &p));
    EXPECT_EQ(p, Position(123, 456));
    EXPECT_TRUE(
        IntersectSegments(Position(2, 2), Position(2, 2), Position(2, 2), Position(2, 2), nullptr));
    EXPECT_TRUE(
        IntersectLines(Position(0, 0), Position(1, 1), Position(10, 0), Position(9, 1), nullptr));
}

} // namespace
