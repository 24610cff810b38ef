#include "model/BoardServices.h"
#include "model/Constants.h"
#include "model/Geometry.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// ---------------------------------------------------------------------------------
// CAngle

TEST(CAngleTest, WrapsByOneStepOnly)
{
    EXPECT_EQ(CAngle(TWO_PI).GetValue(), TWO_PI);
    EXPECT_DOUBLE_EQ(CAngle(-0.1).GetValue(), TWO_PI - 0.1);
    EXPECT_DOUBLE_EQ(CAngle(13.0).GetValue(), 13.0 - TWO_PI); // still above one turn
    EXPECT_DOUBLE_EQ(CAngle(1.0).GetValue(), 1.0);
    EXPECT_EQ(CAngle(0.0).GetValue(), 0.0);
}

TEST(CAngleTest, IsEqualWithinToleranceAndAcrossTheWrap)
{
    EXPECT_TRUE(CAngle(0.1).IsEqual(CAngle(0.1001)));
    EXPECT_FALSE(CAngle(0.1).IsEqual(CAngle(0.1002)));
    EXPECT_TRUE(CAngle(0.00001).IsEqual(CAngle(6.28318)));
    EXPECT_TRUE(CAngle(6.28318).IsEqual(CAngle(0.00001)));
    EXPECT_TRUE(CAngle(0.0).IsEqual(CAngle(TWO_PI)));
    // Near zero and near a full turn, but further apart than the tolerance across it.
    EXPECT_FALSE(CAngle(0.00017).IsEqual(CAngle(TWO_PI - 0.00017)));
    EXPECT_FALSE(CAngle(0.0).IsEqual(CAngle(PI)));
}

TEST(CAngleTest, SweepFromIsInHalfOpenTurn)
{
    EXPECT_DOUBLE_EQ(CAngle(1.0).SweepFrom(CAngle(1.0)), TWO_PI);
    EXPECT_DOUBLE_EQ(CAngle(2.0).SweepFrom(CAngle(0.5)), 1.5);
    EXPECT_DOUBLE_EQ(CAngle(0.5).SweepFrom(CAngle(2.0)), 0.5 - 2.0 + TWO_PI);
}

TEST(CAngleTest, SplitCounterClockwise)
{
    std::vector<double> out{42.0};
    CAngle(2.0).Split(CAngle(1.0), 4, out);
    ASSERT_EQ(out.size(), 6u); // appended after what was there
    EXPECT_EQ(out[0], 42.0);
    EXPECT_DOUBLE_EQ(out[1], 1.0);
    EXPECT_DOUBLE_EQ(out[3], 1.5);
    EXPECT_DOUBLE_EQ(out[5], 2.0);

    // Across the wrap: from 1.5 pi to 0.5 pi through 0; every value kept in one turn.
    out.clear();
    CAngle(PI * 0.5).Split(CAngle(PI * 1.5), 4, out);
    ASSERT_EQ(out.size(), 5u);
    EXPECT_DOUBLE_EQ(out[0], PI * 1.5);
    EXPECT_NEAR(out[1], PI * 1.75, 1e-9);
    EXPECT_NEAR(out[3], PI * 0.25, 1e-9);
    EXPECT_NEAR(out[4], PI * 0.5, 1e-9);
    for (double v : out) {
        EXPECT_GE(v, 0.0);
        EXPECT_LE(v, TWO_PI);
    }
}

TEST(CAngleTest, SplitWithoutStepsGivesTheStartOnly)
{
    std::vector<double> out;
    CAngle(2.0).Split(CAngle(1.0), 0, out);
    CAngle(2.0).Split(CAngle(0.5), -3, out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], 1.0);
    EXPECT_EQ(out[1], 0.5);
}

TEST(CAngleTest, ToDegreeUsesTheBoardPi)
{
    EXPECT_DOUBLE_EQ(CAngle(PI).ToDegree(), 180.0);
    EXPECT_DOUBLE_EQ(CAngle(PI * 0.5).ToDegree(), 90.0);
}

// ---------------------------------------------------------------------------------
// Position

TEST(PositionTest, AngleToOnTheAxesAndInEachQuadrant)
{
    const Position o(10.0, 20.0);
    EXPECT_EQ(o.AngleTo(o), PI * 1.5);
    EXPECT_EQ(o.AngleTo(Position(10.0, 25.0)), PI * 0.5);
    EXPECT_EQ(o.AngleTo(Position(5.0, 20.0)), PI);
    EXPECT_EQ(o.AngleTo(Position(10.0, 15.0)), PI * 1.5);
    EXPECT_EQ(o.AngleTo(Position(15.0, 20.0)), 0.0);
    // atan works with the full-precision pi, the quadrant offsets with the board's.
    EXPECT_NEAR(o.AngleTo(Position(11.0, 21.0)), PI * 0.25, 1e-7);
    EXPECT_NEAR(o.AngleTo(Position(9.0, 21.0)), PI * 0.75, 1e-7);
    EXPECT_NEAR(o.AngleTo(Position(9.0, 19.0)), PI * 1.25, 1e-7);
    EXPECT_NEAR(o.AngleTo(Position(11.0, 19.0)), PI * 1.75, 1e-7);
    EXPECT_LT(o.AngleTo(Position(11.0, 19.0)), TWO_PI);
}

TEST(PositionTest, IsInBoxIncludesEdgesAndCorners)
{
    const BOX2D b(0.0, 0.0, 10.0, 5.0);
    EXPECT_TRUE(Position(0.0, 0.0).IsInBox(b));
    EXPECT_TRUE(Position(10.0, 5.0).IsInBox(b));
    EXPECT_TRUE(Position(10.0, 2.0).IsInBox(b));
    EXPECT_TRUE(Position(4.0, 5.0).IsInBox(b));
    EXPECT_FALSE(Position(10.000001, 2.0).IsInBox(b));
    EXPECT_FALSE(Position(4.0, -0.000001).IsInBox(b));
}

TEST(PositionTest, ExactAndNearComparison)
{
    const Position p(1.0, 2.0);
    EXPECT_FALSE(p != Position(1.0, 2.0));
    EXPECT_TRUE(p != Position(1.0, 2.0 + 1e-12));
    EXPECT_TRUE(p != Position(1.0 + 1e-12, 2.0));
    EXPECT_TRUE(p.IsNear(Position(1.00009, 1.99991)));
    EXPECT_FALSE(p.IsNear(Position(1.00011, 2.0)));
    EXPECT_FALSE(p.IsNear(Position(1.0, 2.00011)));
}

TEST(PositionTest, DistancesAndPolarOffset)
{
    const Position p(3.0, 4.0);
    EXPECT_DOUBLE_EQ(p.Distance(Position()), 5.0);
    EXPECT_EQ(p.DeltaX(Position(-1.0, 10.0)), 4.0);
    EXPECT_EQ(p.DeltaY(Position(-1.0, 10.0)), 6.0);
    EXPECT_EQ(p.MidPoint(Position(5.0, -4.0)), Position(4.0, 0.0));

    const Position q = Position(1.0, 1.0).PolarOffset(2.0, PI * 0.5);
    EXPECT_NEAR(q.x, 1.0, 1e-6);
    EXPECT_NEAR(q.y, 3.0, 1e-12);
}

TEST(PositionTest, RotateKeepsDistanceAndTurnsDirection)
{
    const Position c(5.0, 5.0);
    Position p(8.0, 5.0);
    p.Rotate(c, PI * 0.5);
    EXPECT_NEAR(p.x, 5.0, 1e-6);
    EXPECT_NEAR(p.y, 8.0, 1e-9);

    Position q(7.0, 9.0);
    const double r = q.Distance(c);
    const double before = c.AngleTo(q);
    q.Rotate(c, 0.7);
    EXPECT_NEAR(q.Distance(c), r, 1e-9);
    EXPECT_NEAR(c.AngleTo(q), before + 0.7, 1e-7);

    Position centre = c;
    centre.Rotate(c, 1.234);
    EXPECT_EQ(centre, c);
}

TEST(PositionTest, MirrorsReflectAcrossTheLineThroughP)
{
    Position a(3.0, 7.0);
    a.MirrorHorizontal(Position(100.0, 2.0));
    EXPECT_NEAR(a.x, 3.0, 1e-5);
    EXPECT_NEAR(a.y, -3.0, 1e-9);

    Position b(3.0, -7.0);
    b.MirrorHorizontal(Position(0.0, 2.0));
    EXPECT_NEAR(b.x, 3.0, 1e-5);
    EXPECT_NEAR(b.y, 11.0, 1e-9);

    Position c(3.0, 7.0);
    c.MirrorVertical(Position(10.0, -50.0));
    EXPECT_NEAR(c.x, 17.0, 1e-9);
    EXPECT_NEAR(c.y, 7.0, 1e-5);

    Position d(30.0, 7.0);
    d.MirrorVertical(Position(10.0, 0.0));
    EXPECT_NEAR(d.x, -10.0, 1e-9);
    EXPECT_NEAR(d.y, 7.0, 1e-5);

    // A point on the mirror line does not move at all.
    Position onH(4.5, 2.0);
    onH.MirrorHorizontal(Position(-3.0, 2.0));
    EXPECT_EQ(onH, Position(4.5, 2.0));
    Position onV(4.5, 2.0);
    onV.MirrorVertical(Position(4.5, 99.0));
    EXPECT_EQ(onV, Position(4.5, 2.0));
}

// ---------------------------------------------------------------------------------
// BOX2D

TEST(Box2dTest, UnionSkipsEmptyBoxes)
{
    const BOX2D a(0.0, 0.0, 10.0, 10.0);
    const BOX2D farEmpty(500.0, 500.0, 500.0, 500.0);
    const BOX2D u1 = a.Union(farEmpty);
    EXPECT_EQ(u1.x1, 0.0);
    EXPECT_EQ(u1.x2, 10.0);
    EXPECT_EQ(u1.y2, 10.0);
    const BOX2D u2 = farEmpty.Union(a);
    EXPECT_EQ(u2.x1, 0.0);
    EXPECT_EQ(u2.y2, 10.0);

    const BOX2D firstEmpty(1.0, 1.0, 1.0, 1.0);
    const BOX2D u3 = firstEmpty.Union(BOX2D());
    EXPECT_EQ(u3.x1, 0.0); // an empty "this" hands back the other box, empty or not
    EXPECT_TRUE(u3.IsEmpty());

    BOX2D m(0.0, 0.0, 1.0, 1.0);
    m.Merge(BOX2D(-2.0, 0.5, 0.5, 3.0));
    EXPECT_EQ(m.x1, -2.0);
    EXPECT_EQ(m.y1, 0.0);
    EXPECT_EQ(m.x2, 1.0);
    EXPECT_EQ(m.y2, 3.0);
}

TEST(Box2dTest, IntersectsIsStrict)
{
    const BOX2D a(0.0, 0.0, 10.0, 10.0);
    EXPECT_FALSE(a.Intersects(a)); // equal left edges do not count
    EXPECT_TRUE(a.Intersects(BOX2D(2.0, 2.0, 8.0, 8.0)));
    EXPECT_TRUE(BOX2D(2.0, 2.0, 8.0, 8.0).Intersects(a));
    EXPECT_TRUE(a.Intersects(BOX2D(5.0, 5.0, 15.0, 15.0)));
    EXPECT_TRUE(a.Intersects(BOX2D(-5.0, -5.0, 5.0, 5.0)));
    EXPECT_FALSE(a.Intersects(BOX2D(10.0, 2.0, 20.0, 8.0)));  // touching on the right
    EXPECT_FALSE(a.Intersects(BOX2D(-10.0, 2.0, 0.0, 8.0))); // touching on the left
    EXPECT_FALSE(a.Intersects(BOX2D(2.0, 10.0, 8.0, 20.0)));  // touching on top
    EXPECT_FALSE(a.Intersects(BOX2D(0.0, 2.0, 5.0, 8.0)));    // same left edge
    EXPECT_FALSE(a.Intersects(BOX2D(2.0, 0.0, 8.0, 5.0)));    // same lower edge
    EXPECT_FALSE(a.Intersects(BOX2D(20.0, 20.0, 30.0, 30.0)));
}

TEST(Box2dTest, SizesAndMove)
{
    BOX2D b(1.0, 2.0, 4.0, 6.0);
    EXPECT_EQ(b.Width(), 3.0);
    EXPECT_EQ(b.Height(), 4.0);
    EXPECT_DOUBLE_EQ(b.Diagonal(), 5.0);
    EXPECT_EQ(b.Center(), Position(2.5, 4.0));
    b.Move(Position(10.0, 10.0), Position(9.0, 12.0));
    EXPECT_EQ(b.x1, 2.0);
    EXPECT_EQ(b.y1, 0.0);
    EXPECT_EQ(b.x2, 5.0);
    EXPECT_EQ(b.y2, 4.0);
    EXPECT_TRUE(BOX2D().IsEmpty());
    EXPECT_FALSE(BOX2D(0.0, 0.0, 0.0, 1.0).IsEmpty());
}

TEST(Box2dTest, MirrorKeepsTheBoxNormalisedAndTwiceRestores)
{
    const BOX2D original(1.0, 2.0, 4.0, 6.0);
    BOX2D b = original;
    b.MirrorX(Position(10.0, 0.0));
    EXPECT_EQ(b.x1, 16.0);
    EXPECT_EQ(b.x2, 19.0);
    EXPECT_EQ(b.y1, 2.0);
    b.MirrorX(Position(10.0, 0.0));
    EXPECT_EQ(b.x1, original.x1);
    EXPECT_EQ(b.x2, original.x2);

    b.MirrorY(Position(0.0, -1.0));
    EXPECT_EQ(b.y1, -8.0);
    EXPECT_EQ(b.y2, -4.0);
    b.MirrorY(Position(0.0, -1.0));
    EXPECT_EQ(b.y1, original.y1);
    EXPECT_EQ(b.y2, original.y2);
}

TEST(Box2dTest, RotateCoversAllFourTurnedCorners)
{
    BOX2D b(-1.0, -1.0, 1.0, 1.0);
    b.Rotate(Position(0.0, 0.0), PI * 0.25);
    const double h = std::sqrt(2.0);
    EXPECT_NEAR(b.x1, -h, 1e-6);
    EXPECT_NEAR(b.y1, -h, 1e-6);
    EXPECT_NEAR(b.x2, h, 1e-6);
    EXPECT_NEAR(b.y2, h, 1e-6);

    // A quarter turn about an outside point swaps width and height.
    BOX2D r(0.0, 0.0, 4.0, 2.0);
    r.Rotate(Position(10.0, 0.0), PI * 0.5);
    EXPECT_LE(r.x1, r.x2);
    EXPECT_LE(r.y1, r.y2);
    EXPECT_NEAR(r.Width(), 2.0, 1e-5);
    EXPECT_NEAR(r.Height(), 4.0, 1e-5);
    EXPECT_NEAR(r.x1, 8.0, 1e-5);
    EXPECT_NEAR(r.y1, -10.0, 1e-5);
}

TEST(RoundingTest, HalvesGoAwayFromZero)
{
    EXPECT_EQ(RoundHalfAway(2.5), 3);
    EXPECT_EQ(RoundHalfAway(-2.5), -3);
    EXPECT_EQ(RoundHalfAway(2.4), 2);
    EXPECT_EQ(RoundHalfAway(1.4), 1);
    EXPECT_EQ(RoundHalfAway(0.4), 0);
    EXPECT_EQ(RoundHalfAway(-0.4), 0);
}

// ---------------------------------------------------------------------------------
// View transform through the board services

class ViewTransformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        services.scaleX = 2.5;
        services.scaleY = 4.0;
        services.viewOffset = Position(100.0, -50.0);
        services.originPixel = Point{40, 600};
        BoardServices::Install(&services);
    }
    void TearDown() override { BoardServices::Install(nullptr); }
    SimpleBoardServices services;
};

TEST_F(ViewTransformTest, BoardYGrowsUpwardsOnScreenYDownwards)
{
    const Point o = Position(100.0, -50.0).ToScreen();
    EXPECT_EQ(o, (Point{40, 600}));
    const Point up = Position(100.0, -10.0).ToScreen();
    EXPECT_EQ(up, (Point{40, 590}));
    const Point right = Position(125.0, -50.0).ToScreen();
    EXPECT_EQ(right, (Point{50, 600}));
    // Rounding half away from zero on both sides of the offset.
    EXPECT_EQ(Position(100.0 + 1.25, -50.0).ToScreen().x, 41);
    EXPECT_EQ(Position(100.0 - 1.25, -50.0).ToScreen().x, 39);
}

TEST_F(ViewTransformTest, ScreenAndBackStaysWithinHalfAPixel)
{
    const Position points[] = {{0.0, 0.0}, {123.456, -789.1}, {-3.3, 4.4}, {1e5, 2e5}};
    for (const Position& p : points) {
        const Position back(p.ToScreen());
        EXPECT_LE(std::fabs(back.x - p.x), 0.5 * services.scaleX + 1e-9);
        EXPECT_LE(std::fabs(back.y - p.y), 0.5 * services.scaleY + 1e-9);
    }
    for (const Point& pt : {Point{0, 0}, Point{17, -3}, Point{-250, 900}}) {
        EXPECT_EQ(Position(pt).ToScreen(), pt);
    }
}

TEST_F(ViewTransformTest, PixelLengths)
{
    EXPECT_EQ(services.BoardToPixels(10.0), 3); // 10 / 4 = 2.5 rounds up
    EXPECT_EQ(services.BoardToPixels(-10.0), -3);
    EXPECT_DOUBLE_EQ(services.PixelsToBoard(4), 10.0);
}

TEST_F(ViewTransformTest, FarPointsDoNotOverflowThePixelRange)
{
    const Point p = Position(1e300, -1e300).ToScreen();
    EXPECT_GT(p.x, 0);
    EXPECT_GT(p.y, 0);
}

TEST_F(ViewTransformTest, DeviceRectIsClientRelativeOrderedAndGrown)
{
    services.scroll = Point{5, 100};
    // Board (100, -50) -> (40, 600); (125, -10) -> (50, 590).
    const BOX2D box(100.0, -50.0, 125.0, -10.0);
    const Rect r = box.ToDeviceRect();
    const int m = BOX2D::kDeviceMargin;
    EXPECT_EQ(r.left, 35 - m);
    EXPECT_EQ(r.right, 45 + m);
    EXPECT_EQ(r.top, 490 - m);
    EXPECT_EQ(r.bottom, 500 + m);
}

TEST(BoardServicesTest, DefaultIsOneMilPerPixelAndInstallNullRestoresIt)
{
    EXPECT_EQ(Position(12.0, 7.0).ToScreen(), (Point{12, -7}));
    SimpleBoardServices other;
    other.scaleX = 10.0;
    BoardServices::Install(&other);
    EXPECT_EQ(&BoardServices::Current(), &other);
    EXPECT_EQ(Position(120.0, 0.0).ToScreen().x, 12);
    BoardServices::Install(nullptr);
    EXPECT_NE(&BoardServices::Current(), &other);
    EXPECT_EQ(Position(120.0, 0.0).ToScreen().x, 120);
}

TEST_F(ViewTransformTest, DrawLineToUsesTheLayerColour)
{
    services.layerColors[39] = MakeRGB(255, 0, 0);
    const Position a(100.0, -50.0);
    const Position b(125.0, -10.0);
    RecordingDrawContext dc;
    a.DrawLineTo(b, &dc, 0, 39);

    const auto lines = dc.Find(RecordingDrawContext::Op::LineTo);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back()->pen.color, MakeRGB(255, 0, 0));
    EXPECT_EQ(lines.back()->points.at(0), b.ToScreen());
    const auto moves = dc.Find(RecordingDrawContext::Op::MoveTo);
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.front()->points.at(0), a.ToScreen());
}

// ---------------------------------------------------------------------------------
// Storage

TEST(PositionSerializeTest, RoundTripThroughAnArchive)
{
    CArchive out;
    Position a(-1.25, 1e-7);
    Position b(123456.789, -0.0);
    a.Serialize(out);
    b.Serialize(out);
    const std::vector<std::uint8_t> bytes = out.TakeBytes();
    ASSERT_EQ(bytes.size(), 32u);

    CArchive in(bytes);
    Position ra, rb;
    ra.Serialize(in);
    rb.Serialize(in);
    EXPECT_EQ(ra, a);
    EXPECT_EQ(rb, b);
    EXPECT_TRUE(in.AtEnd());

    // x comes first.
    CArchive firstOnly(std::span<const std::uint8_t>(bytes.data(), 8));
    EXPECT_EQ(firstOnly.ReadF64(), -1.25);
}

TEST(PositionSerializeTest, ShortInputFails)
{
    const std::vector<std::uint8_t> bytes(12, 0);
    CArchive in(bytes);
    Position p;
    EXPECT_THROW(p.Serialize(in), CArchiveException);
}

} // namespace
