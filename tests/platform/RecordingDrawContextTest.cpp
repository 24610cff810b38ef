#include "platform/RecordingDrawContext.h"

#include <gtest/gtest.h>

using Op = RecordingDrawContext::Op;

TEST(RecordingDrawContextTest, CallsCarryTheStateInForceAndRestoreBringsItBack)
{
    const PenSpec red{PenStyle::Solid, 1, MakeRGB(255, 0, 0)};
    const PenSpec dash{PenStyle::Dash, 1, MakeRGB(0, 0, 255)};
    const BrushSpec hollow{BrushStyle::Hollow, 0}, green{BrushStyle::Solid, MakeRGB(0, 255, 0)};
    RecordingDrawContext dc;
    dc.RestoreState(); // nothing saved: no effect
    EXPECT_EQ(dc.SetPen(red), PenSpec{});
    dc.SetBrush(hollow);
    dc.SetBkColor(0x123456);
    dc.MoveTo({7, 8});
    dc.SaveState();
    EXPECT_EQ(dc.SetPen(dash), red);
    EXPECT_EQ(dc.SetBrush(green), hollow);
    dc.SetBkColor(0);
    dc.BeginPath();
    dc.LineTo({20, 30});
    dc.EndPath();
    dc.StrokeAndFillPath();
    const auto* inPath = dc.Find(Op::LineTo).at(0);
    EXPECT_TRUE(inPath->pen == dash && inPath->brush == green && inPath->inPath);
    EXPECT_FALSE(dc.Find(Op::StrokeAndFillPath).at(0)->inPath);

    dc.RestoreState();
    dc.RestoreState(); // one more than saved
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_TRUE(dc.GetPen() == red && dc.GetBrush() == hollow && dc.GetBkColor() == 0x123456u);
    EXPECT_EQ(dc.CurrentPosition(), (Point{7, 8}));
    dc.LineTo({9, 9});
    EXPECT_TRUE(dc.calls.back().pen == red && !dc.calls.back().inPath);
    EXPECT_EQ(dc.calls.back().points, (std::vector<Point>{Point{9, 9}}));

    // Only lines, arcs, shapes, fills, stroked or filled paths and text count as drawing.
    dc.Arc({0, 0, 10, 10}, {10, 5}, {5, 0});
    dc.ArcTo({0, 0, 100, 100}, {100, 50}, {50, -300}); // ends at the top of the circle
    EXPECT_EQ(dc.CurrentPosition(), (Point{50, 0}));
    dc.TextOut({0, 0}, "x");
    dc.SetFont(FontSpec{});
    EXPECT_EQ(dc.DrawingCount(), 6);
}
