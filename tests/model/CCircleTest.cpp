#include "model/CCircle.h"
#include "support/FakeBoardServices.h"

#include "model/BoardServices.h"
#include "model/Constants.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

namespace
{

using Op = RecordingDrawContext::Op;
constexpr COLORREF kLayerColour = MakeRGB(0, 120, 240);

// A circle about the origin with outer radius r0 and inner radius r1.
CCircle Ring(double r0, double r1)
{
    CCircle c(Position(0.0, 0.0), r0, 1);
    int outer = 1, inner = 0;
    c.DragHandle(&outer, Position(r0, 0.0));
    c.DragHandle(&inner, Position(r1, 0.0));
    return c;
}

auto Radii(const CCircle& c)
{
    return std::pair(c.GetOuterRadius(), c.GetInnerRadius());
}

TEST(CCircleTest, HitIsAFilledDiscOfTheOuterRadiusOnAnyLayerAndHandlesFindTheNearRadius)
{
    CCircle disc = Ring(20.0, 10.0);
    const double zero = 0.0, tol = 2.0;
    HiddenLayers hidden{{1, 0}};
    EXPECT_TRUE(disc.HitTestPoint(Position(0.0, 0.0), &zero, &hidden));
    EXPECT_FALSE(disc.HitTestPoint(Position(21.0, 0.0), nullptr, nullptr));
    EXPECT_TRUE(disc.HitTestPoint(Position(21.0, 0.0), &tol, nullptr));
    disc.Deactivate();
    EXPECT_FALSE(disc.HitTestPoint(Position(0.0, 0.0), &zero, nullptr));

    CCircle c = Ring(50.0, 30.0);
    int kind = -99;
    EXPECT_EQ(c.HitHandle(Position(52.0, 0.0), &kind), 1);
    EXPECT_EQ(kind, int(CEntity::ResizeCursorCode(0.0)));
    EXPECT_EQ(c.HitHandle(Position(0.0, 28.0), &kind), 0);
    EXPECT_EQ(kind, int(CEntity::ResizeCursorCode(PI * 0.5)));
    EXPECT_EQ(c.HitHandle(Position(0.0, -54.0), &kind), -1);
    EXPECT_EQ(c.HitHandle(Position(40.0, 0.0), nullptr), -1);
    EXPECT_EQ(c.HitHandle(Position(26.0, 0.0), nullptr), -1);
    EXPECT_EQ(Ring(14.0, 10.0).HitHandle(Position(12.0, 0.0), nullptr), 1); // outer wins
}

TEST(CCircleTest, DraggingAHandlePastTheOtherRadiusSwapsThem)
{
    CCircle c = Ring(50.0, 30.0);
    int handle = 1;
    const struct {
        Position to;
        std::pair<double, double> radii;
        int handle;
    } steps[] = {
        {{0, 31}, {50, 30}, 1}, // within reach of the inner radius: ignored
        {{60, 0}, {60, 30}, 1}, {{0, 40}, {40, 30}, 1},
        {{20, 0}, {30, 20}, 0}, // past the inner radius: now the inner handle
        {{10, 0}, {30, 10}, 0}, {{0, 28}, {30, 10}, 0}, // within reach of the outer radius: ignored
        {{0, 70}, {70, 30}, 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << step.to.x << "," << step.to.y);
        c.DragHandle(&handle, step.to);
        EXPECT_EQ(Radii(c), step.radii);
        EXPECT_EQ(handle, step.handle);
    }
    int other = 2;
    c.DragHandle(&other, Position(5.0, 0.0));
    c.DragHandle(nullptr, Position(5.0, 0.0));
    EXPECT_EQ(Radii(c), std::pair(70.0, 30.0));
    EXPECT_EQ(other, 2);
}

TEST(CCircleTest, DrawsTheOuterDiscInTheLayerColourAndClientPixels)
{
    FakeBoardServices services;
    services.layerColors[1] = kLayerColour;
    services.scroll = Point{5, 7};
    BoardServices::Install(&services);
    CCircle c(Position(100.0, 50.0), 10.0, 1);
    int inner = 0;
    c.DragHandle(&inner, Position(100.0, 45.0));
    ASSERT_EQ(c.GetInnerRadius(), 5.0);
    RecordingDrawContext dc;
    c.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    const auto ellipses = dc.Find(Op::Ellipse);
    ASSERT_EQ(ellipses.size(), 1u);
    EXPECT_EQ(ellipses[0]->rect, (Rect{85, -67, 105, -47}));
    EXPECT_EQ(ellipses[0]->pen, (PenSpec{PenStyle::Solid, 1, kLayerColour}));
    EXPECT_EQ(ellipses[0]->brush, (BrushSpec{BrushStyle::Solid, kLayerColour}));
    EXPECT_EQ(dc.SaveDepth(), 0);
    dc.Clear();
    c.Draw(&dc, DM_NONE, Rect{}, nullptr);
    EXPECT_EQ(dc.Count(Op::Ellipse), 1);
    EXPECT_EQ(dc.Count(Op::SetPen) + dc.Count(Op::SetBrush) + dc.Count(Op::SaveState), 0);
    dc.Clear();
    HiddenLayers hidden{{1, 0}};
    c.Draw(&dc, DM_NORMAL, Rect{}, &hidden);
    c.Deactivate();
    c.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    EXPECT_TRUE(dc.calls.empty());
}

TEST(CCircleTest, CopiesAndTheDocumentRecordKeepBothRadii)
{
    CCircle a = Ring(40.0, 25.0);
    a.MoveBy(Position(0.0, 0.0), Position(1.5, 2.5));
    a.SetLayer(5);
    CCircle b(Position(-1.0, -1.0), 3.0, 1);
    CArchive out;
    out.WriteObject(&a);
    out.WriteObject(&b);
    const std::vector<std::uint8_t> bytes = out.TakeBytes();
    CArchive in(bytes);
    std::unique_ptr<CObject> readA(in.ReadObject(RUNTIME_CLASS(CEntity)));
    std::unique_ptr<CObject> readB(in.ReadObject(RUNTIME_CLASS(CEntity)));
    EXPECT_TRUE(in.AtEnd());
    ASSERT_NE(dynamic_cast<CCircle*>(readB.get()), nullptr);
    EXPECT_EQ(Radii(*dynamic_cast<CCircle*>(readB.get())), std::pair(3.0, 3.0));

    std::unique_ptr<CEntity> clone(a.Clone());
    CCircle copy(a);
    for (CObject* o :
         {readA.get(), static_cast<CObject*>(clone.get()), static_cast<CObject*>(&copy)}) {
        auto* e = dynamic_cast<CCircle*>(o);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(Radii(*e), std::pair(40.0, 25.0));
        EXPECT_EQ(e->GetPosition(), Position(1.5, 2.5));
        EXPECT_EQ(e->GetLayer(), 5);
    }

    // A record cut short inside the radii is refused, and nothing is leaked.
    const std::vector<std::uint8_t> cut(bytes.begin(), bytes.end() - 4);
    CArchive shortIn(cut);
    std::unique_ptr<CObject> first(shortIn.ReadObject(RUNTIME_CLASS(CEntity)));
    EXPECT_THROW(shortIn.ReadObject(RUNTIME_CLASS(CEntity)), CArchiveException);
}

} // namespace
