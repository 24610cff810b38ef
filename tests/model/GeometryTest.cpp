#include "model/Geometry.h"
#include "model/BoardServices.h"
#include "model/Constants.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"
#include "support/FakeBoardServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

namespace
{

auto Corners(const BOX2D& b)
{
    return std::tuple(b.x1, b.y1, b.x2, b.y2);
}

TEST(GeometryTest, AnglesWrapByOneStepAndCompareAcrossTheWrap)
{
    EXPECT_EQ(CAngle(TWO_PI).GetValue(), TWO_PI);
    EXPECT_DOUBLE_EQ(CAngle(-0.1).GetValue(), TWO_PI - 0.1);
    EXPECT_DOUBLE_EQ(CAngle(13.0).GetValue(), 13.0 - TWO_PI); // still above one turn
    EXPECT_FALSE(CAngle(0.1).IsEqual(CAngle(0.1002)));
    EXPECT_TRUE(CAngle(6.28318).IsEqual(CAngle(0.00001)));
    EXPECT_FALSE(CAngle(0.00017).IsEqual(CAngle(TWO_PI - 0.00017)));
    EXPECT_DOUBLE_EQ(CAngle(1.0).SweepFrom(CAngle(1.0)), TWO_PI);

    // Split appends counter-clockwise steps, across the wrap and within one turn.
    std::vector<double> out{42.0};
    CAngle(PI * 0.5).Split(CAngle(PI * 1.5), 4, out);
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(out[0], 42.0);
    EXPECT_NEAR(out[2], PI * 1.75, 1e-9);
    EXPECT_NEAR(out[4], PI * 0.25, 1e-9);
    out.clear();
    CAngle(2.0).Split(CAngle(0.5), 0, out); // no steps: the start only
    EXPECT_EQ(out, std::vector<double>{0.5});

    // Directions use the board's pi for the quadrants; a point to itself is 1.5 pi.
    const Position o(10.0, 20.0);
    EXPECT_EQ(o.AngleTo(o), PI * 1.5);
    EXPECT_EQ(o.AngleTo(Position(5.0, 20.0)), PI);
    EXPECT_NEAR(o.AngleTo(Position(9.0, 19.0)), PI * 1.25, 1e-7);
    EXPECT_LT(o.AngleTo(Position(11.0, 19.0)), TWO_PI);
}

TEST(GeometryTest, PointsInBoxesNearnessAndTransforms)
{
    const BOX2D b(0.0, 0.0, 10.0, 5.0);
    EXPECT_TRUE(Position(0.0, 0.0).IsInBox(b) && Position(10.0, 5.0).IsInBox(b));
    EXPECT_FALSE(Position(10.000001, 2.0).IsInBox(b) || Position(4.0, -0.000001).IsInBox(b));
    const Position p(1.0, 2.0);
    EXPECT_TRUE(p.IsNear(Position(1.00009, 1.99991)));
    EXPECT_FALSE(p.IsNear(Position(1.00011, 2.0)) || p.IsNear(Position(1.0, 2.00011)));

    Position q(3.0, -7.0);
    q.MirrorHorizontal(Position(100.0, 2.0));
    q.MirrorVertical(Position(10.0, -50.0));
    EXPECT_NEAR(q.x, 17.0, 1e-5);
    EXPECT_NEAR(q.y, 11.0, 1e-5);
    Position on(4.5, 2.0); // a point on the mirror line does not move at all
    on.MirrorHorizontal(Position(-3.0, 2.0));
    on.MirrorVertical(Position(4.5, 99.0));
    EXPECT_EQ(on, Position(4.5, 2.0));
}

TEST(GeometryTest, BoxesUniteSkippingEmptyOnesAndIntersectStrictly)
{
    const BOX2D a(0.0, 0.0, 10.0, 10.0);
    const BOX2D farEmpty(500.0, 500.0, 500.0, 500.0);
    EXPECT_EQ(Corners(a.Union(farEmpty)), Corners(a));
    EXPECT_EQ(Corners(farEmpty.Union(a)), Corners(a));
    for (const BOX2D& meets : {BOX2D(2.0, 2.0, 8.0, 8.0), BOX2D(-5.0, -5.0, 5.0, 5.0)}) {
        EXPECT_TRUE(a.Intersects(meets));
        EXPECT_TRUE(meets.Intersects(a));
    }
    // Touching, or sharing the left or lower edge, does not count.
    for (const BOX2D& misses :
         {a, BOX2D(10.0, 2.0, 20.0, 8.0), BOX2D(-10.0, 2.0, 0.0, 8.0), BOX2D(2.0, 10.0, 8.0, 20.0),
          BOX2D(0.0, 2.0, 5.0, 8.0), BOX2D(2.0, 0.0, 8.0, 5.0)})
        EXPECT_FALSE(a.Intersects(misses)) << misses.x1 << "," << misses.y1;

    BOX2D m(1.0, 2.0, 4.0, 6.0);
    m.Move(Position(10.0, 10.0), Position(9.0, 12.0));
    m.MirrorX(Position(10.0, 0.0));
    m.MirrorY(Position(0.0, -1.0));
    EXPECT_EQ(Corners(m), std::tuple(15.0, -6.0, 18.0, -2.0));
    // A quarter turn about an outside point swaps width and height.
    BOX2D r(0.0, 0.0, 4.0, 2.0);
    r.Rotate(Position(10.0, 0.0), PI * 0.5);
    EXPECT_NEAR(r.x1, 8.0, 1e-5);
    EXPECT_NEAR(r.y1, -10.0, 1e-5);
    EXPECT_NEAR(r.x2, 10.0, 1e-5);
    EXPECT_NEAR(r.y2, -6.0, 1e-5);
}

TEST(GeometryTest, ViewTransformRoundsHalfAwayAndDrawsInClientPixels)
{
    EXPECT_EQ(Position(12.0, 7.0).ToScreen(), (Point{12, -7})); // the default: 1 mil a pixel
    FakeBoardServices services;
    services.scaleX = 2.5;
    services.scaleY = 4.0;
    services.viewOffset = Position(100.0, -50.0);
    services.originPixel = Point{40, 600};
    BoardServices::Install(&services);
    EXPECT_EQ(Position(125.0, -10.0).ToScreen(), (Point{50, 590}));
    EXPECT_EQ(Position(100.0 + 1.25, -50.0).ToScreen().x, 41);
    EXPECT_EQ(Position(100.0 - 1.25, -50.0).ToScreen().x, 39);
    const Point far = Position(1e300, -1e300).ToScreen(); // no overflow of the pixel range
    EXPECT_GT(far.x, 0);
    EXPECT_GT(far.y, 0);
    for (const Point& pt : {Point{0, 0}, Point{17, -3}, Point{-250, 900}})
        EXPECT_EQ(Position(pt).ToScreen(), pt);

    services.scroll = Point{5, 100};
    const int m = BOX2D::kDeviceMargin;
    EXPECT_EQ(BOX2D(100.0, -50.0, 125.0, -10.0).ToDeviceRect(),
              (Rect{35 - m, 490 - m, 45 + m, 500 + m}));
    services.layerColors[39] = MakeRGB(255, 0, 0); // the highlight
    RecordingDrawContext dc;
    Position(100.0, -50.0).DrawLineTo(Position(125.0, -10.0), &dc, 0, 39);
    EXPECT_EQ(dc.Find(RecordingDrawContext::Op::MoveTo).at(0)->points.at(0), (Point{35, 500}));
    const auto* line = dc.Find(RecordingDrawContext::Op::LineTo).at(0);
    EXPECT_EQ(line->points.at(0), (Point{45, 490}));
    EXPECT_EQ(line->pen.color, MakeRGB(255, 0, 0));
}

TEST(GeometryTest, PositionsAreStoredXThenYAndShortInputFails)
{
    CArchive out;
    Position(-1.25, 1e-7).Serialize(out);
    Position(123456.789, -0.0).Serialize(out);
    const std::vector<std::uint8_t> bytes = out.TakeBytes();
    ASSERT_EQ(bytes.size(), 32u);
    CArchive in(bytes);
    EXPECT_EQ(in.ReadF64(), -1.25);
    Position a, b;
    a.Serialize(in);
    EXPECT_EQ(a, Position(1e-7, 123456.789));
    EXPECT_THROW(b.Serialize(in), CArchiveException);
}

} // namespace
