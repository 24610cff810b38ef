#include "model/CCircle.h"

#include "model/BoardServices.h"
#include "model/CRound.h"
#include "model/Constants.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr COLORREF kLayerColour = MakeRGB(0, 120, 240);

class CCircleTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_services.layerColors[1] = kLayerColour;
        BoardServices::Install(&m_services);
    }

    // A circle about the origin with outer radius r0 and inner radius r1.
    static CCircle Ring(double r0, double r1)
    {
        CCircle c(Position(0.0, 0.0), r0, 1);
        int outer = 1;
        c.DragHandle(&outer, Position(r0, 0.0));
        int inner = 0;
        c.DragHandle(&inner, Position(r1, 0.0));
        return c;
    }

    SimpleBoardServices m_services;
    const double m_zero = 0.0;
};

// ---------------------------------------------------------------------------------
// Hit test and handles

TEST_F(CCircleTest, HitIsAFilledDiscOfTheOuterRadiusOnAnyLayer)
{
    CCircle c = Ring(20.0, 10.0);
    const double tol = 2.0;
    HiddenLayers hidden{{1, 0}};
    EXPECT_TRUE(c.HitTestPoint(Position(0.0, 0.0), &m_zero, nullptr));
    EXPECT_TRUE(c.HitTestPoint(Position(0.0, 15.0), &m_zero, nullptr));
    EXPECT_TRUE(c.HitTestPoint(Position(0.0, -20.0), &m_zero, nullptr));
    EXPECT_FALSE(c.HitTestPoint(Position(21.0, 0.0), &m_zero, nullptr));
    EXPECT_TRUE(c.HitTestPoint(Position(21.0, 0.0), &tol, nullptr));
    EXPECT_FALSE(c.HitTestPoint(Position(21.0, 0.0), nullptr, nullptr));
    EXPECT_TRUE(c.HitTestPoint(Position(0.0, 0.0), &m_zero, &hidden));
    c.Deactivate();
    EXPECT_FALSE(c.HitTestPoint(Position(0.0, 0.0), &m_zero, nullptr));
}

TEST_F(CCircleTest, HitHandleFindsTheNearRadiusAndTheCursor)
{
    CCircle c = Ring(50.0, 30.0);
    int kind = -99;
    EXPECT_EQ(c.HitHandle(Position(52.0, 0.0), &kind), 1);
    EXPECT_EQ(kind, int(CEntity::ResizeCursorCode(0.0)));
    EXPECT_EQ(c.HitHandle(Position(0.0, 28.0), &kind), 0);
    EXPECT_EQ(kind, int(CEntity::ResizeCursorCode(PI * 0.5)));
    EXPECT_EQ(c.HitHandle(Position(0.0, -54.0), &kind), -1);
    EXPECT_EQ(kind, int(CEntity::ResizeCursorCode(PI * 1.5)));
    EXPECT_EQ(c.HitHandle(Position(40.0, 0.0), nullptr), -1);
    EXPECT_EQ(c.HitHandle(Position(26.0, 0.0), nullptr), -1);

    // Both radii within reach: the outer one wins.
    CCircle close = Ring(14.0, 10.0);
    EXPECT_EQ(close.HitHandle(Position(12.0, 0.0), nullptr), 1);
}

TEST_F(CCircleTest, DraggingTheOuterHandle)
{
    CCircle c = Ring(50.0, 30.0);
    int handle = 1;
    c.DragHandle(&handle, Position(0.0, 31.0)); // within reach of the inner radius
    EXPECT_EQ(c.GetOuterRadius(), 50.0);
    EXPECT_EQ(c.GetInnerRadius(), 30.0);
    EXPECT_EQ(handle, 1);

    c.DragHandle(&handle, Position(60.0, 0.0));
    EXPECT_EQ(c.GetOuterRadius(), 60.0);
    EXPECT_EQ(handle, 1);

    c.DragHandle(&handle, Position(0.0, 40.0)); // still outside the inner radius
    EXPECT_EQ(c.GetOuterRadius(), 40.0);

    // Past the inner radius the two swap and the drag goes on with the inner handle.
    c.DragHandle(&handle, Position(20.0, 0.0));
    EXPECT_EQ(c.GetOuterRadius(), 30.0);
    EXPECT_EQ(c.GetInnerRadius(), 20.0);
    EXPECT_EQ(handle, 0);
}

TEST_F(CCircleTest, DraggingTheInnerHandle)
{
    CCircle c = Ring(50.0, 30.0);
    int handle = 0;
    c.DragHandle(&handle, Position(10.0, 0.0));
    EXPECT_EQ(c.GetInnerRadius(), 10.0);
    EXPECT_EQ(c.GetOuterRadius(), 50.0);
    EXPECT_EQ(handle, 0);

    c.DragHandle(&handle, Position(48.0, 0.0)); // within reach of the outer radius
    EXPECT_EQ(c.GetInnerRadius(), 10.0);
    EXPECT_EQ(c.GetOuterRadius(), 50.0);

    c.DragHandle(&handle, Position(0.0, 70.0));
    EXPECT_EQ(c.GetOuterRadius(), 70.0);
    EXPECT_EQ(c.GetInnerRadius(), 50.0);
    EXPECT_EQ(handle, 1);

    int other = 2;
    c.DragHandle(&other, Position(5.0, 0.0));
    c.DragHandle(nullptr, Position(5.0, 0.0));
    EXPECT_EQ(c.GetOuterRadius(), 70.0);
    EXPECT_EQ(c.GetInnerRadius(), 50.0);
    EXPECT_EQ(other, 2);
}

// ---------------------------------------------------------------------------------
// Drawing

TEST_F(CCircleTest, DrawsTheOuterDiscInTheLayerColour)
{
    using Op = RecordingDrawContext::Op;
    CCircle c(Position(100.0, 50.0), 10.0, 1);
    int inner = 0;
    c.DragHandle(&inner, Position(100.0, 45.0));
    ASSERT_EQ(c.GetInnerRadius(), 5.0);

    RecordingDrawContext dc;
    const BrushSpec before = dc.GetBrush();
    c.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    const auto ellipses = dc.Find(Op::Ellipse);
    ASSERT_EQ(ellipses.size(), 1u);
    EXPECT_EQ(ellipses[0]->rect, (Rect{90, -60, 110, -40}));
    EXPECT_EQ(ellipses[0]->pen, (PenSpec{PenStyle::Solid, 1, kLayerColour}));
    EXPECT_EQ(ellipses[0]->brush, (BrushSpec{BrushStyle::Solid, kLayerColour}));
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_EQ(dc.GetBrush(), before);

    // The context paints in client pixels.
    m_services.scroll = Point{5, 7};
    RecordingDrawContext scrolled;
    c.Draw(&scrolled, DM_NORMAL, Rect{}, nullptr);
    ASSERT_EQ(scrolled.Count(Op::Ellipse), 1);
    EXPECT_EQ(scrolled.Find(Op::Ellipse)[0]->rect, (Rect{85, -67, 105, -47}));
}

TEST_F(CCircleTest, DrawingModesAndFilters)
{
    using Op = RecordingDrawContext::Op;
    CCircle c(Position(0.0, 0.0), 10.0, 1);

    RecordingDrawContext outline;
    c.Draw(&outline, DM_OUTLINE, Rect{}, nullptr);
    ASSERT_EQ(outline.Count(Op::Ellipse), 1);
    EXPECT_EQ(outline.Find(Op::Ellipse)[0]->brush.style, BrushStyle::Hollow);
    EXPECT_EQ(outline.SaveDepth(), 0);

    RecordingDrawContext none;
    c.Draw(&none, DM_NONE, Rect{}, nullptr);
    EXPECT_EQ(none.Count(Op::Ellipse), 1);
    EXPECT_EQ(none.Count(Op::SetPen), 0);
    EXPECT_EQ(none.Count(Op::SetBrush), 0);
    EXPECT_EQ(none.Count(Op::SaveState), 0);

    RecordingDrawContext hiddenDc;
    HiddenLayers hidden{{1, 0}};
    c.Draw(&hiddenDc, DM_NORMAL, Rect{}, &hidden);
    EXPECT_TRUE(hiddenDc.calls.empty());

    RecordingDrawContext deadDc;
    c.Deactivate();
    c.Draw(&deadDc, DM_NORMAL, Rect{}, nullptr);
    EXPECT_TRUE(deadDc.calls.empty());
}

// ---------------------------------------------------------------------------------
// Copies and documents

TEST_F(CCircleTest, CloneAndCopyKeepBothRadii)
{
    CCircle c = Ring(40.0, 25.0);
    c.MoveBy(Position(0.0, 0.0), Position(3.0, -4.0));
    c.SetLayer(6);
    std::unique_ptr<CEntity> clone(c.Clone());
    auto* cc = dynamic_cast<CCircle*>(clone.get());
    ASSERT_NE(cc, nullptr);
    CCircle copy(c);
    for (CCircle* e : {cc, &copy}) {
        EXPECT_EQ(e->GetOuterRadius(), 40.0);
        EXPECT_EQ(e->GetInnerRadius(), 25.0);
        EXPECT_EQ(e->GetPosition(), Position(3.0, -4.0));
        EXPECT_EQ(e->GetLayer(), 6);
        EXPECT_EQ(e->GetType(), ET_CIRCLE);
    }

    // From an object that is not a circle only the common attributes come over.
    CRound other(Position(9.0, 9.0), 10.0, 10.0, 2);
    c.CopyFrom(other);
    EXPECT_EQ(c.GetLayer(), 2);
    EXPECT_EQ(c.GetOuterRadius(), 40.0);
    EXPECT_EQ(c.GetInnerRadius(), 25.0);
}

TEST_F(CCircleTest, DocumentRecordRoundTripsBothRadii)
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
    auto* ca = dynamic_cast<CCircle*>(readA.get());
    auto* cb = dynamic_cast<CCircle*>(readB.get());
    ASSERT_NE(ca, nullptr);
    ASSERT_NE(cb, nullptr);
    EXPECT_EQ(ca->GetOuterRadius(), 40.0);
    EXPECT_EQ(ca->GetInnerRadius(), 25.0);
    EXPECT_EQ(ca->GetPosition(), Position(1.5, 2.5));
    EXPECT_EQ(ca->GetLayer(), 5);
    EXPECT_TRUE(ca->IsActive());
    EXPECT_EQ(cb->GetOuterRadius(), 3.0);
    EXPECT_EQ(cb->GetInnerRadius(), 3.0);

    // A record cut short inside the radii is refused, and nothing is leaked.
    const std::vector<std::uint8_t> cut(bytes.begin(), bytes.end() - 4);
    CArchive shortIn(cut);
    std::unique_ptr<CObject> first(shortIn.ReadObject(RUNTIME_CLASS(CEntity)));
    EXPECT_THROW(shortIn.ReadObject(RUNTIME_CLASS(CEntity)), CArchiveException);
}

} // namespace
