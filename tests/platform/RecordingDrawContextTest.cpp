#include "platform/RecordingDrawContext.h"

#include <gtest/gtest.h>

using Op = RecordingDrawContext::Op;

namespace {

const PenSpec kRedPen{PenStyle::Solid, 1, MakeRGB(255, 0, 0)};
const PenSpec kDashPen{PenStyle::Dash, 1, MakeRGB(0, 0, 255)};
const BrushSpec kHollow{BrushStyle::Hollow, 0};
const BrushSpec kGreenBrush{BrushStyle::Solid, MakeRGB(0, 255, 0)};

} // namespace

TEST(RecordingDrawContextTest, CallsCarryThePenBrushAndPathStateInForce)
{
    RecordingDrawContext dc;
    EXPECT_EQ(dc.SetPen(kRedPen), PenSpec{});
    dc.SetBrush(kHollow);
    dc.MoveTo({1, 2});
    dc.LineTo({3, 4});
    EXPECT_EQ(dc.SetPen(kDashPen), kRedPen);
    EXPECT_EQ(dc.SetBrush(kGreenBrush), kHollow);
    dc.BeginPath();
    dc.LineTo({5, 6});
    dc.EndPath();
    dc.StrokeAndFillPath();

    const auto lines = dc.Find(Op::LineTo);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]->pen, kRedPen);
    EXPECT_EQ(lines[0]->brush, kHollow);
    EXPECT_FALSE(lines[0]->inPath);
    EXPECT_EQ(lines[0]->points, (std::vector<Point>{Point{3, 4}}));
    EXPECT_EQ(lines[1]->pen, kDashPen);
    EXPECT_EQ(lines[1]->brush, kGreenBrush);
    EXPECT_TRUE(lines[1]->inPath);

    const auto fill = dc.Find(Op::StrokeAndFillPath);
    ASSERT_EQ(fill.size(), 1u);
    EXPECT_FALSE(fill[0]->inPath);
    EXPECT_EQ(fill[0]->pen, kDashPen);

    // Only lines, arcs, shapes, fills, stroked or filled paths and text count as drawing.
    EXPECT_EQ(dc.DrawingCount(), 3);
    dc.Arc({0, 0, 10, 10}, {10, 5}, {5, 0});
    dc.FillRect({0, 0, 1, 1}, 0);
    dc.TextOut({0, 0}, "x");
    dc.SetFont(FontSpec{});
    dc.SetBkColor(0);
    EXPECT_EQ(dc.DrawingCount(), 6);
}

TEST(RecordingDrawContextTest, RestoreStateBringsBackPenBrushBackgroundAndPosition)
{
    RecordingDrawContext dc;
    dc.RestoreState(); // nothing saved: no effect
    EXPECT_EQ(dc.SaveDepth(), 0);

    dc.SetPen(kRedPen);
    dc.SetBrush(kHollow);
    dc.SetBkColor(0x123456);
    dc.MoveTo({7, 8});
    dc.SaveState();
    dc.SaveState();
    dc.SetPen(kDashPen);
    dc.SetBrush(kGreenBrush);
    dc.SetBkColor(0);
    dc.LineTo({20, 30});
    EXPECT_EQ(dc.SaveDepth(), 2);

    dc.RestoreState();
    EXPECT_EQ(dc.GetPen(), kRedPen);
    EXPECT_EQ(dc.GetBrush(), kHollow);
    EXPECT_EQ(dc.GetBkColor(), 0x123456u);
    EXPECT_EQ(dc.CurrentPosition(), (Point{7, 8}));
    dc.LineTo({9, 9});
    EXPECT_EQ(dc.calls.back().pen, kRedPen);

    dc.RestoreState();
    dc.RestoreState(); // one more than saved
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_EQ(dc.GetPen(), kRedPen);
    EXPECT_EQ(dc.CurrentPosition(), (Point{7, 8}));
}

TEST(RecordingDrawContextTest, ArcToEndsOnTheEllipseAlongTheEndRay)
{
    RecordingDrawContext dc;
    dc.MoveTo({0, 0});
    // Circle about (50, 50), radius 50: the top ray ends at the top of the circle.
    dc.ArcTo({0, 0, 100, 100}, {100, 50}, {50, -300});
    EXPECT_EQ(dc.CurrentPosition(), (Point{50, 0}));

    // Ellipse about (100, 50), semi-axes 100 and 50: the ray at 45 degrees up and right
    // meets it where x = y = 100 * 50 / sqrt(100^2 + 50^2) = 44.72 from the centre.
    dc.ArcTo({0, 0, 200, 100}, {0, 50}, {110, 40});
    EXPECT_EQ(dc.CurrentPosition(), (Point{145, 5}));
    const auto arcs = dc.Find(Op::ArcTo);
    ASSERT_EQ(arcs.size(), 2u);
    EXPECT_EQ(arcs[1]->points, (std::vector<Point>{{0, 50}, {110, 40}}));

    // Arc leaves the position alone.
    dc.Arc({0, 0, 200, 100}, {0, 50}, {200, 50});
    EXPECT_EQ(dc.CurrentPosition(), (Point{145, 5}));

    // A flat box still gives a point on it.
    dc.ArcTo({0, 10, 40, 10}, {40, 10}, {0, 10});
    EXPECT_EQ(dc.CurrentPosition(), (Point{0, 10}));
}
