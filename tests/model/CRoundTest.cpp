#include "model/CRound.h"

#include "model/BoardServices.h"
#include "model/Constants.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <utility>

namespace {

constexpr double kEps = 1e-4;
constexpr COLORREF kLayerColour = MakeRGB(10, 200, 30);
constexpr COLORREF kHighlight = MakeRGB(255, 255, 0);

// Board services with known colours: 1 mil per pixel, board (x, y) at pixel (x, -y).
class CRoundTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_services.layerColors[1] = kLayerColour;
        m_services.layerColors[LAYER_HIGHLIGHT] = kHighlight;
        BoardServices::Install(&m_services);
    }

    static std::set<std::pair<int, int>> Points(const RecordingDrawContext& dc,
                                                RecordingDrawContext::Op op, bool inPath)
    {
        std::set<std::pair<int, int>> out;
        for (const auto* call : dc.Find(op))
            if (call->inPath == inPath)
                out.insert({call->points.at(0).x, call->points.at(0).y});
        return out;
    }

    SimpleBoardServices m_services;
    const double m_zero = 0.0;
};

// ---------------------------------------------------------------------------------
// Box

TEST_F(CRoundTest, BoxOfAnObroundIsOneShortSideLongerThanTheShape)
{
    CRound flat(Position(100.0, 50.0), 60.0, 20.0, 1);
    BOX2D box;
    ASSERT_EQ(flat.GetBox(&box), 1);
    EXPECT_NEAR(box.x1, 60.0, kEps);
    EXPECT_NEAR(box.x2, 140.0, kEps);
    EXPECT_NEAR(box.y1, 40.0, kEps);
    EXPECT_NEAR(box.y2, 60.0, kEps);
    EXPECT_NEAR(flat.GetCachedBox().x1, 60.0, kEps);

    // The long side across: the extra length goes the other way.
    CRound upright(Position(0.0, 0.0), 20.0, 60.0, 1);
    ASSERT_EQ(upright.GetBox(&box), 1);
    EXPECT_NEAR(box.Width(), 20.0, kEps);
    EXPECT_NEAR(box.Height(), 80.0, kEps);

    // Turned a quarter: the box turns with it.
    flat.SetAngle(PI * 0.5);
    ASSERT_EQ(flat.GetBox(&box), 1);
    EXPECT_NEAR(box.Width(), 20.0, kEps);
    EXPECT_NEAR(box.Height(), 80.0, kEps);
    EXPECT_NEAR(box.Center().x, 100.0, kEps);
    EXPECT_NEAR(box.Center().y, 50.0, kEps);
}

TEST_F(CRoundTest, ZeroSizeBoxIsTheCentrePoint)
{
    for (auto sizes : {std::pair{0.0, 30.0}, std::pair{30.0, 0.0}, std::pair{0.0, 0.0}}) {
        CRound r(Position(5.0, -7.0), sizes.first, sizes.second, 1);
        r.SetAngle(1.0);
        BOX2D box;
        ASSERT_EQ(r.GetBox(&box), 1);
        EXPECT_EQ(box.x1, 5.0);
        EXPECT_EQ(box.x2, 5.0);
        EXPECT_EQ(box.y1, -7.0);
        EXPECT_EQ(box.y2, -7.0);
    }
}

// ---------------------------------------------------------------------------------
// Hit test

TEST_F(CRoundTest, EqualSizesHitAsADisc)
{
    CRound disc(Position(0.0, 0.0), 40.0, 40.0, 1);
    const double tol = 1.5;
    EXPECT_TRUE(disc.HitTestPoint(Position(19.9, 0.0), &m_zero, nullptr));
    EXPECT_TRUE(disc.HitTestPoint(Position(0.0, -19.9), &m_zero, nullptr));
    // A disc is not its box: the box corner misses.
    EXPECT_FALSE(disc.HitTestPoint(Position(19.0, 19.0), &m_zero, nullptr));
    EXPECT_FALSE(disc.HitTestPoint(Position(21.0, 0.0), &m_zero, nullptr));
    EXPECT_TRUE(disc.HitTestPoint(Position(21.0, 0.0), &tol, nullptr));
}

TEST_F(CRoundTest, ObroundIsHitOnItsBodyAndAroundItsCaps)
{
    CRound r(Position(100.0, 0.0), 60.0, 20.0, 1);
    const double tol = 2.0;
    EXPECT_TRUE(r.HitTestPoint(Position(100.0, 9.0), &m_zero, nullptr));
    EXPECT_TRUE(r.HitTestPoint(Position(128.0, 0.0), &m_zero, nullptr));
    // Just beyond either tip, within the tolerance of the cap.
    EXPECT_TRUE(r.HitTestPoint(Position(131.0, 0.0), &tol, nullptr));
    EXPECT_TRUE(r.HitTestPoint(Position(69.0, 0.0), &tol, nullptr));
    // Well away from it.
    EXPECT_FALSE(r.HitTestPoint(Position(100.0, 40.0), &m_zero, nullptr));
    EXPECT_FALSE(r.HitTestPoint(Position(160.0, 0.0), &m_zero, nullptr));
    EXPECT_FALSE(r.HitTestPoint(Position(40.0, 0.0), &m_zero, nullptr));
}

TEST_F(CRoundTest, TurnedObroundIsHitWhereItLies)
{
    CRound r(Position(0.0, 0.0), 60.0, 20.0, 1);
    r.SetAngle(PI * 0.5);
    // Inside the upright shape, far along its axis.
    EXPECT_TRUE(r.HitTestPoint(Position(0.0, 25.0), &m_zero, nullptr));
    EXPECT_TRUE(r.HitTestPoint(Position(0.0, -25.0), &m_zero, nullptr));
    // Where the unturned shape would be.
    EXPECT_FALSE(r.HitTestPoint(Position(25.0, 0.0), &m_zero, nullptr));
    EXPECT_FALSE(r.HitTestPoint(Position(40.0, 0.0), &m_zero, nullptr));
}

TEST_F(CRoundTest, NotHitWhenNotLiveOrOnAHiddenLayer)
{
    HiddenLayers hidden{{1, 0}};
    HiddenLayers others{{2, 0}};
    for (double sy : {40.0, 20.0}) {
        CRound r(Position(0.0, 0.0), 40.0, sy, 1);
        EXPECT_FALSE(r.HitTestPoint(Position(0.0, 0.0), &m_zero, &hidden));
        EXPECT_TRUE(r.HitTestPoint(Position(0.0, 0.0), &m_zero, &others));
        r.Deactivate();
        EXPECT_FALSE(r.HitTestPoint(Position(0.0, 0.0), &m_zero, nullptr));
    }
}

TEST_F(CRoundTest, ZeroSizeObroundHitTestsWithoutFault)
{
    CRound r(Position(10.0, 10.0), 0.0, 30.0, 1);
    EXPECT_TRUE(r.HitTestPoint(Position(10.0, 10.0), &m_zero, nullptr));
    EXPECT_FALSE(r.HitTestPoint(Position(100.0, 100.0), &m_zero, nullptr));
    // No tolerance given counts as none.
    EXPECT_FALSE(r.HitTestPoint(Position(100.0, 100.0), nullptr, nullptr));
}

// ---------------------------------------------------------------------------------
// Drawing

TEST_F(CRoundTest, DiscDrawsOneEllipseInTheLayerColour)
{
    CRound disc(Position(100.0, 50.0), 20.0, 20.0, 1);
    RecordingDrawContext dc;
    disc.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    const auto ellipses = dc.Find(RecordingDrawContext::Op::Ellipse);
    ASSERT_EQ(ellipses.size(), 1u);
    EXPECT_EQ(ellipses[0]->rect, (Rect{90, -60, 110, -40}));
    EXPECT_EQ(ellipses[0]->brush.color, kLayerColour);
    EXPECT_EQ(disc.GetColor(), kLayerColour);
    EXPECT_EQ(dc.SaveDepth(), 0);
}

TEST_F(CRoundTest, ObroundDrawsItsSidesAndAFilledOutline)
{
    CRound r(Position(100.0, 50.0), 60.0, 20.0, 1);
    RecordingDrawContext dc;
    const PenSpec before = dc.GetPen();
    r.Draw(&dc, DM_NORMAL, Rect{}, nullptr);

    using Op = RecordingDrawContext::Op;
    // The two straight sides, y = 60 and y = 40, between the cap centres x = 80 and 120.
    EXPECT_EQ(Points(dc, Op::MoveTo, false),
              (std::set<std::pair<int, int>>{{120, -60}, {120, -40}}));
    EXPECT_EQ(Points(dc, Op::LineTo, false), (std::set<std::pair<int, int>>{{80, -60}, {80, -40}}));
    EXPECT_EQ(Points(dc, Op::LineTo, true),
              (std::set<std::pair<int, int>>{{80, -60}, {80, -40}, {120, -40}}));
    EXPECT_EQ(dc.Count(Op::BeginPath), 1);
    EXPECT_EQ(dc.Count(Op::EndPath), 1);
    const auto fills = dc.Find(Op::StrokeAndFillPath);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0]->pen, (PenSpec{PenStyle::Solid, 1, kLayerColour}));
    EXPECT_EQ(fills[0]->brush, (BrushSpec{BrushStyle::Solid, kLayerColour}));
    // The caps are drawn too, twice each (outline, then path).
    EXPECT_GE(dc.DrawingCount(), 2 + 3 + 1 + 4);

    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_EQ(dc.GetPen(), before);
}

TEST_F(CRoundTest, CapsMeetTheSidesInAScrolledView)
{
    using Op = RecordingDrawContext::Op;
    m_services.scroll = Point{5, 7};
    for (double angle : {0.0, PI * 0.5, 0.6}) {
        CRound r(Position(100.0, 50.0), 60.0, 20.0, 1);
        r.SetAngle(angle);
        RecordingDrawContext dc;
        r.Draw(&dc, DM_NORMAL, Rect{}, nullptr);

        std::set<std::pair<int, int>> sideEnds = Points(dc, Op::MoveTo, false);
        for (const auto& p : Points(dc, Op::LineTo, false))
            sideEnds.insert(p);
        std::set<std::pair<int, int>> capEnds;
        for (const auto* arc : dc.Find(Op::Arc))
            if (!arc->inPath)
                for (const Point& p : arc->points)
                    capEnds.insert({p.x, p.y});
        ASSERT_EQ(sideEnds.size(), 4u) << "angle " << angle;
        EXPECT_EQ(capEnds, sideEnds) << "angle " << angle;
        if (angle == 0.0) {
            EXPECT_EQ(sideEnds, (std::set<std::pair<int, int>>{
                                    {115, -67}, {115, -47}, {75, -67}, {75, -47}}));
        }
    }
}

TEST_F(CRoundTest, ObroundOutlinePenIsSolidInEveryMode)
{
    using Op = RecordingDrawContext::Op;
    for (int mode : {DM_DASHED, DM_ERASE, DM_OUTLINE}) {
        CRound r(Position(0.0, 0.0), 60.0, 20.0, 1);
        RecordingDrawContext dc;
        r.Draw(&dc, mode, Rect{}, nullptr);
        for (const auto* line : dc.Find(Op::LineTo))
            EXPECT_EQ(line->pen, (PenSpec{PenStyle::Solid, 1, kLayerColour})) << "mode " << mode;
        const auto fills = dc.Find(Op::StrokeAndFillPath);
        ASSERT_EQ(fills.size(), 1u);
        const BrushStyle expected = mode == DM_OUTLINE ? BrushStyle::Hollow : BrushStyle::Solid;
        EXPECT_EQ(fills[0]->brush.style, expected) << "mode " << mode;
        EXPECT_EQ(dc.SaveDepth(), 0);
    }
}

TEST_F(CRoundTest, ModeSevenLeavesTheBrushAndRestoresThePen)
{
    using Op = RecordingDrawContext::Op;
    const BrushSpec callers{BrushStyle::Hollow, MakeRGB(1, 2, 3)};
    const PenSpec callersPen{PenStyle::Dash, 3, MakeRGB(4, 5, 6)};

    CRound obround(Position(0.0, 0.0), 60.0, 20.0, 1);
    RecordingDrawContext dc;
    dc.SetBrush(callers);
    dc.SetPen(callersPen);
    dc.Clear();
    obround.Draw(&dc, DM_NONE, Rect{}, nullptr);
    EXPECT_EQ(dc.Count(Op::SetBrush), 0);
    EXPECT_EQ(dc.Find(Op::StrokeAndFillPath).at(0)->brush, callers);
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_EQ(dc.GetPen(), callersPen);

    CRound disc(Position(0.0, 0.0), 20.0, 20.0, 1);
    dc.Clear();
    disc.Draw(&dc, DM_NONE, Rect{}, nullptr);
    EXPECT_EQ(dc.Count(Op::SetBrush), 0);
    EXPECT_EQ(dc.Count(Op::SetPen), 0);
    const auto ellipses = dc.Find(Op::Ellipse);
    ASSERT_EQ(ellipses.size(), 1u);
    EXPECT_EQ(ellipses[0]->pen, callersPen);
    EXPECT_EQ(ellipses[0]->brush, callers);
}

TEST_F(CRoundTest, ZeroSizeObroundDrawsFiniteCoordinates)
{
    for (auto sizes : {std::pair{0.0, 30.0}, std::pair{30.0, 0.0}}) {
        CRound r(Position(100.0, 50.0), sizes.first, sizes.second, 1);
        r.SetAngle(0.7);
        RecordingDrawContext dc;
        r.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
        ASSERT_GT(dc.DrawingCount(), 0);
        // A NaN coordinate would reach the screen as pixel 0 (or anywhere); every point
        // must stay within the shape's 30-mil reach of the centre (100, -50).
        for (const auto& call : dc.calls) {
            for (const Point& p : call.points) {
                EXPECT_NEAR(p.x, 100, 16);
                EXPECT_NEAR(p.y, -50, 16);
            }
            if (call.op == RecordingDrawContext::Op::Arc ||
                call.op == RecordingDrawContext::Op::ArcTo) {
                EXPECT_NEAR(call.rect.left, 100, 16);
                EXPECT_NEAR(call.rect.top, -50, 16);
            }
        }
    }
}

TEST_F(CRoundTest, DrawsNothingHiddenOrNotLive)
{
    HiddenLayers hidden{{1, 0}};
    for (double sy : {20.0, 40.0}) {
        CRound r(Position(0.0, 0.0), 40.0, sy, 1);
        RecordingDrawContext dc;
        r.Draw(&dc, DM_NORMAL, Rect{}, &hidden);
        EXPECT_TRUE(dc.calls.empty());
        r.Deactivate();
        r.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
        EXPECT_TRUE(dc.calls.empty());
    }
}

TEST_F(CRoundTest, SelectedRoundDrawsItsHighlightAtFullSize)
{
    CRound disc(Position(100.0, 50.0), 20.0, 20.0, 1);
    disc.ToggleSelect();
    RecordingDrawContext dc;
    disc.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    const auto ellipses = dc.Find(RecordingDrawContext::Op::Ellipse);
    ASSERT_EQ(ellipses.size(), 2u);
    std::set<COLORREF> colours;
    for (const auto* e : ellipses) {
        EXPECT_EQ(e->rect, (Rect{90, -60, 110, -40}));
        colours.insert(e->brush.color);
    }
    EXPECT_EQ(colours, (std::set<COLORREF>{kLayerColour, kHighlight}));
    EXPECT_EQ(dc.SaveDepth(), 0);
}

// ---------------------------------------------------------------------------------
// Copies and documents

TEST_F(CRoundTest, CloneKeepsShapeAndPlace)
{
    CRound r(Position(3.0, 4.0), 60.0, 20.0, 7);
    r.SetAngle(1.25);
    std::unique_ptr<CEntity> copy(r.Clone());
    ASSERT_NE(dynamic_cast<CRound*>(copy.get()), nullptr);
    EXPECT_EQ(copy->GetType(), ET_ROUND);
    EXPECT_EQ(copy->GetPosition(), Position(3.0, 4.0));
    EXPECT_EQ(copy->GetSizeX(), 60.0);
    EXPECT_EQ(copy->GetSizeY(), 20.0);
    EXPECT_EQ(copy->GetRotation(), 1.25);
    EXPECT_EQ(copy->GetLayer(), 7);
    EXPECT_TRUE(copy->IsActive());
}

TEST_F(CRoundTest, DocumentRecordRoundTrips)
{
    CRound a(Position(12.5, -3.0), 60.0, 20.0, 5);
    a.SetAngle(0.5);
    CArchive out;
    out.WriteObject(&a);
    const std::vector<std::uint8_t> bytes = out.TakeBytes();

    CArchive in(bytes);
    std::unique_ptr<CObject> read(in.ReadObject(RUNTIME_CLASS(CEntity)));
    EXPECT_TRUE(in.AtEnd());
    auto* r = dynamic_cast<CRound*>(read.get());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetPosition(), Position(12.5, -3.0));
    EXPECT_EQ(r->GetSizeX(), 60.0);
    EXPECT_EQ(r->GetSizeY(), 20.0);
    EXPECT_EQ(r->GetLayer(), 5);
    EXPECT_EQ(r->GetRotation(), 0.5);
    EXPECT_TRUE(r->IsActive());
}

} // namespace
