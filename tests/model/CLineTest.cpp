#include "model/CLine.h"

#include "model/BoardServices.h"
#include "model/CArc.h"
#include "model/CRound.h"
#include "model/Constants.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kEps = 1e-9;

void ExpectAt(const Position& p, double x, double y, double eps = kEps)
{
    EXPECT_NEAR(p.x, x, eps);
    EXPECT_NEAR(p.y, y, eps);
}

// The reference point, which the track itself reports as its midpoint.
Position ReferencePoint(CLine& t)
{
    return t.CEntity::GetPosition();
}

// Little-endian bytes, built field by field as the archive lays them out.
class Bytes {
public:
    Bytes& U8(std::uint8_t v)
    {
        data.push_back(v);
        return *this;
    }
    Bytes& U16(std::uint16_t v) { return U8(std::uint8_t(v)).U8(std::uint8_t(v >> 8)); }
    Bytes& U32(std::uint32_t v) { return U16(std::uint16_t(v)).U16(std::uint16_t(v >> 16)); }
    Bytes& I32(std::int32_t v) { return U32(std::uint32_t(v)); }
    Bytes& F64(double v)
    {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        return U32(std::uint32_t(bits)).U32(std::uint32_t(bits >> 32));
    }
    Bytes& Chars(const std::string& s)
    {
        data.insert(data.end(), s.begin(), s.end());
        return *this;
    }
    std::vector<std::uint8_t> data;
};

// ---------------------------------------------------------------------------------
// Construction and the prototype

TEST(CLineConstruction, BareSegmentTakesCommonDefaultsNotThePrototype)
{
    const double wide = 33.0;
    theDefaultLine.SetLineWidth(&wide);
    theDefaultLine.SetLayer(LAYER_BOTTOM);

    CLine t(Position(1, 2), Position(3, 4));
    EXPECT_EQ(t.GetType(), ET_LINE);
    EXPECT_DOUBLE_EQ(t.GetLineWidth(), 10.0);
    EXPECT_EQ(t.GetLayer(), LAYER_TOP);
    EXPECT_TRUE(t.IsActive());
    ExpectAt(t.GetStart(), 1, 2);
    ExpectAt(t.GetEnd(), 3, 4);
    ExpectAt(ReferencePoint(t), 1, 2);
    EXPECT_EQ(t.GetAttachedEntity(), nullptr);
}

TEST(CLineConstruction, NewTrackCopiesThePrototypeThenTakesPointsAndLayer)
{
    const double wide = 33.0;
    theDefaultLine.SetLineWidth(&wide);
    theDefaultLine.SetLayer(LAYER_BOTTOM);
    theDefaultLine.SetExportVariant(1);
    theDefaultLine.SetStart(Position(-50, -50));
    theDefaultLine.SetEnd(Position(-60, -60));

    const int layer = LAYER_TOP_OVERLAY;
    CLine t(Position(1, 2), Position(3, 4), &layer);
    EXPECT_DOUBLE_EQ(t.GetLineWidth(), 33.0);
    EXPECT_EQ(t.GetExportVariant(), 1);
    EXPECT_EQ(t.GetLayer(), LAYER_TOP_OVERLAY);
    ExpectAt(t.GetStart(), 1, 2);
    ExpectAt(t.GetEnd(), 3, 4);
    ExpectAt(ReferencePoint(t), 1, 2);
}

TEST(CLineConstruction, ResetPutsThePrototypeBackToItsStartUpValues)
{
    const double wide = 42.0;
    theDefaultLine.SetLineWidth(&wide);
    theDefaultLine.SetLayer(LAYER_KEEPOUT);
    theDefaultLine.SetStart(Position(5, 5));
    theDefaultLine.SetEnd(Position(9, 9));
    theDefaultLine.Rotate(Position(0, 0), 1.0);
    int noRepaint = 0;
    theDefaultLine.SetAttachedEntity(new CLine(Position(0, 0), Position(1, 1)), &noRepaint);

    theDefaultLine.Reset();
    EXPECT_DOUBLE_EQ(theDefaultLine.GetLineWidth(), 10.0);
    EXPECT_EQ(theDefaultLine.GetLayer(), LAYER_TOP);
    EXPECT_DOUBLE_EQ(theDefaultLine.GetRotation(), 0.0);
    EXPECT_EQ(theDefaultLine.GetType(), ET_LINE);
    ExpectAt(theDefaultLine.GetStart(), 0, 0);
    ExpectAt(theDefaultLine.GetEnd(), 0, 0);
    EXPECT_EQ(theDefaultLine.GetAttachedEntity(), nullptr);
}

TEST(CLineConstruction, CopyFromTakesThePointsOnlyFromAnotherTrack)
{
    CLine source(Position(1, 2), Position(3, 4));
    const double w = 7.0;
    source.SetLineWidth(&w);
    source.SetLayer(LAYER_BOTTOM);

    CLine t(Position(10, 10), Position(20, 20));
    t.CopyFrom(source);
    ExpectAt(t.GetStart(), 1, 2);
    ExpectAt(t.GetEnd(), 3, 4);
    EXPECT_DOUBLE_EQ(t.GetLineWidth(), 7.0);
    EXPECT_EQ(t.GetLayer(), LAYER_BOTTOM);

    // From another kind of object only the common attributes come along.
    CRound round(Position(0, 0), 5.0, 5.0, LAYER_TOP_OVERLAY);
    CLine u(Position(10, 10), Position(20, 20));
    u.CopyFrom(round);
    EXPECT_EQ(u.GetLayer(), LAYER_TOP_OVERLAY);
    ExpectAt(u.GetStart(), 10, 10);
    ExpectAt(u.GetEnd(), 20, 20);
}

// ---------------------------------------------------------------------------------
// The attached guide: owned, replaced, copied, never shared

TEST(CLineAttached, CloneGetsItsOwnCopyOfTheGuide)
{
    auto* track = new CLine(Position(0, 0), Position(100, 0));
    const double w = 12.0;
    track->SetLineWidth(&w);
    track->SetLayer(LAYER_BOTTOM);
    track->ToggleSelect();
    auto* guide = new CLine(Position(5, 5), Position(6, 7));
    const int noRepaint = 0;
    track->SetAttachedEntity(guide, &noRepaint);

    std::unique_ptr<CEntity> clone(track->Clone());
    auto* copy = dynamic_cast<CLine*>(clone.get());
    ASSERT_NE(copy, nullptr);
    ExpectAt(copy->GetStart(), 0, 0);
    ExpectAt(copy->GetEnd(), 100, 0);
    EXPECT_DOUBLE_EQ(copy->GetLineWidth(), 12.0);
    EXPECT_EQ(copy->GetLayer(), LAYER_BOTTOM);
    EXPECT_FALSE(copy->IsSelected());
    ASSERT_NE(copy->GetAttachedEntity(), nullptr);
    EXPECT_NE(copy->GetAttachedEntity(), guide);

    // The original and its guide go; the clone's guide must live on.
    delete track;
    auto* copiedGuide = dynamic_cast<CLine*>(copy->GetAttachedEntity());
    ASSERT_NE(copiedGuide, nullptr);
    ExpectAt(copiedGuide->GetStart(), 5, 5);
    ExpectAt(copiedGuide->GetEnd(), 6, 7);
}

TEST(CLineAttached, AnArcGuideIsCopiedAsAnArc)
{
    CLine track(Position(0, 0), Position(100, 0));
    const int noRepaint = 0;
    track.SetAttachedEntity(new CArc(Position(50, 50), 20.0, 0.0, PI), &noRepaint);

    std::unique_ptr<CEntity> clone(track.Clone());
    auto* copy = static_cast<CLine*>(clone.get());
    ASSERT_NE(copy->GetAttachedEntity(), nullptr);
    EXPECT_NE(copy->GetAttachedEntity(), track.GetAttachedEntity());
    EXPECT_EQ(copy->GetAttachedEntity()->GetType(), ET_ARC);
}

TEST(CLineAttached, CopyConstructorDoesNotShareTheGuide)
{
    auto track = std::make_unique<CLine>(Position(0, 0), Position(10, 0));
    const int noRepaint = 0;
    track->SetAttachedEntity(new CLine(Position(1, 1), Position(2, 2)), &noRepaint);
    CLine copy(*track);
    EXPECT_NE(copy.GetAttachedEntity(), track->GetAttachedEntity());
    track.reset();
    ASSERT_NE(copy.GetAttachedEntity(), nullptr);
    ExpectAt(static_cast<CLine*>(copy.GetAttachedEntity())->GetEnd(), 2, 2);
}

TEST(CLineAttached, ReplacingDeletesTheOldGuideButNotTheSameOneTwice)
{
    CLine track(Position(0, 0), Position(10, 0));
    const int noRepaint = 0;
    auto* first = new CLine(Position(1, 1), Position(2, 2));
    track.SetAttachedEntity(first, &noRepaint);
    // Attaching the guide already held must keep it alive.
    track.SetAttachedEntity(first, &noRepaint);
    ExpectAt(static_cast<CLine*>(track.GetAttachedEntity())->GetEnd(), 2, 2);

    track.SetAttachedEntity(new CLine(Position(3, 3), Position(4, 4)), &noRepaint);
    ExpectAt(static_cast<CLine*>(track.GetAttachedEntity())->GetEnd(), 4, 4);
    track.SetAttachedEntity(nullptr, &noRepaint);
    EXPECT_EQ(track.GetAttachedEntity(), nullptr);

    track.SetAttachedEntity(new CLine(Position(3, 3), Position(4, 4)), &noRepaint);
    track.Reset();
    EXPECT_EQ(track.GetAttachedEntity(), nullptr);
}

TEST(CLineAttached, RepaintsAroundTheChangeOnlyWhenAsked)
{
    SimpleBoardServices board;
    BoardServices::Install(&board);
    CLine track(Position(0, 0), Position(10, 0));
    const int noRepaint = 0;
    const int repaint = 1;
    track.SetAttachedEntity(new CLine(Position(1, 1), Position(2, 2)), &noRepaint);
    EXPECT_TRUE(board.invalidated.empty());
    track.SetAttachedEntity(new CLine(Position(500, 500), Position(600, 600)), &repaint);
    ASSERT_EQ(board.invalidated.size(), 2u);
    // The second repaint covers the new guide, far from the track.
    EXPECT_GT(board.invalidated[1].Width(), 500);
}

// ---------------------------------------------------------------------------------
// Geometry

TEST(CLineGeometry, AngleInEveryDirection)
{
    EXPECT_DOUBLE_EQ(CLine(Position(0, 0), Position(10, 0)).GetAngle(), 0.0);
    EXPECT_DOUBLE_EQ(CLine(Position(0, 0), Position(-10, 0)).GetAngle(), PI);
    EXPECT_DOUBLE_EQ(CLine(Position(5, 0), Position(5, 10)).GetAngle(), PI * 0.5);
    EXPECT_DOUBLE_EQ(CLine(Position(5, 0), Position(5, -10)).GetAngle(), PI * 1.5);
    EXPECT_DOUBLE_EQ(CLine(Position(5, 5), Position(5, 5)).GetAngle(), PI * 1.5);
    // Diagonals in the four quadrants, with the board's value of pi.
    const double q = std::atan(1.0);
    EXPECT_NEAR(CLine(Position(0, 0), Position(1, 1)).GetAngle(), q, 1e-15);
    EXPECT_NEAR(CLine(Position(0, 0), Position(-1, 1)).GetAngle(), PI - q, 1e-15);
    EXPECT_NEAR(CLine(Position(0, 0), Position(-1, -1)).GetAngle(), PI + q, 1e-15);
    EXPECT_NEAR(CLine(Position(0, 0), Position(1, -1)).GetAngle(), TWO_PI - q, 1e-15);
}

TEST(CLineGeometry, SlopeLengthMidpointReverse)
{
    CLine vertical(Position(3, 0), Position(3, 50));
    EXPECT_DOUBLE_EQ(vertical.GetSlope(), VERTICAL_SLOPE);
    EXPECT_NEAR(vertical.GetSlope(), 9997.32119477449, 1e-8);
    EXPECT_DOUBLE_EQ(CLine(Position(0, 0), Position(-4, 3)).GetSlope(), -0.75);

    CLine t(Position(1, 2), Position(4, 6));
    EXPECT_DOUBLE_EQ(t.GetLength(), 5.0);
    ExpectAt(t.GetMidPoint(), 2.5, 4.0);
    ExpectAt(t.GetPosition(), 2.5, 4.0);
    t.Reverse();
    ExpectAt(t.GetStart(), 4, 6);
    ExpectAt(t.GetEnd(), 1, 2);
}

TEST(CLineGeometry, FootPoint)
{
    // General slope: (0,0)-(80,60); the point lies 10 off the middle.
    CLine slanted(Position(0, 0), Position(80, 60));
    ExpectAt(slanted.FootPoint(Position(34, 38)), 40, 30);
    ExpectAt(slanted.FootPoint(Position(80, 60)), 80, 60);
    // Vertical and horizontal.
    ExpectAt(CLine(Position(7, 0), Position(7, 10)).FootPoint(Position(20, 30)), 7, 30);
    ExpectAt(CLine(Position(0, 4), Position(10, 4)).FootPoint(Position(-3, 30)), -3, 4);
    // Steeper than the vertical constant counts as vertical: the start's x.
    ExpectAt(CLine(Position(0, 0), Position(0.0001, 10)).FootPoint(Position(5, 3)), 0, 3);
    // A slope this small must not throw the foot off the track.
    CLine almostFlat(Position(0, 0), Position(1000, 1e-11));
    const Position f = almostFlat.FootPoint(Position(500, 50));
    EXPECT_NEAR(f.x, 500, 1e-9);
    EXPECT_NEAR(f.y, 0, 1e-9);
    // Nor a steep downward one, whose squared slope overflows.
    CLine steepDown(Position(0, 0), Position(1e-200, -1));
    const Position g = steepDown.FootPoint(Position(5, -0.5));
    EXPECT_NEAR(g.x, 0, 1e-9);
    EXPECT_NEAR(g.y, -0.5, 1e-9);
}

// ---------------------------------------------------------------------------------
// Box and hit tests

TEST(CLineBox, CoversTheBodyAndTheGuide)
{
    CLine t(Position(0, 0), Position(100, 0));
    BOX2D box;
    ASSERT_EQ(t.GetBox(&box), 1);
    // The body's obround (110 x 10) boxed through its round: one width longer again.
    EXPECT_NEAR(box.x1, -10, 1e-4);
    EXPECT_NEAR(box.x2, 110, 1e-4);
    EXPECT_NEAR(box.y1, -5, 1e-4);
    EXPECT_NEAR(box.y2, 5, 1e-4);
    EXPECT_NEAR(t.GetCachedBox().x2, 110, 1e-4);

    const int noRepaint = 0;
    t.SetAttachedEntity(new CLine(Position(300, 300), Position(310, 300)), &noRepaint);
    ASSERT_EQ(t.GetBox(&box), 1);
    EXPECT_NEAR(box.x1, -10, 1e-4);
    EXPECT_NEAR(box.x2, 320, 1e-4);
    EXPECT_NEAR(box.y2, 305, 1e-4);

    EXPECT_EQ(t.GetBox(nullptr), 0);
    const HiddenLayers hidden{{LAYER_TOP, 1}};
    EXPECT_EQ(t.GetBox(&box, &hidden), 0);
}

TEST(CLineBox, ScreenRectIsTheBoxInClientPixels)
{
    SimpleBoardServices board;
    board.scroll = Point{4, -20};
    BoardServices::Install(&board);
    CLine t(Position(0, 0), Position(100, 0));
    // Box (-10,-5)-(110,5) -> pixels x -10..110, y -5..5, less the scroll, grown by 3.
    EXPECT_EQ(t.GetScreenRect(), (Rect{-17, 12, 109, 28}));
}

TEST(CLineHit, WithinOneWidthOfTheCentreLineAndInsideTheBox)
{
    CLine t(Position(0, 0), Position(80, 60));
    // 10 off the centre line at the middle (direction (4,3), normal (-3,4)).
    EXPECT_TRUE(t.HitTestPoint(Position(34, 38), nullptr, nullptr));
    EXPECT_TRUE(t.HitTestPoint(Position(46, 22), nullptr, nullptr));
    EXPECT_FALSE(t.HitTestPoint(Position(31, 42), nullptr, nullptr));
    EXPECT_TRUE(t.HitTestPoint(Position(40, 30), nullptr, nullptr));
    // On the line through the track, but well beyond its end and its box.
    EXPECT_FALSE(t.HitTestPoint(Position(96, 72), nullptr, nullptr));
    // The tolerance plays no part.
    const double wide = 1000.0;
    EXPECT_FALSE(t.HitTestPoint(Position(31, 42), &wide, nullptr));
}

TEST(CLineHit, HiddenOrNotLiveIsNeverHit)
{
    CLine t(Position(0, 0), Position(100, 0));
    const HiddenLayers hidden{{LAYER_TOP, 0}};
    const HiddenLayers other{{LAYER_BOTTOM, 0}};
    EXPECT_FALSE(t.HitTestPoint(Position(50, 0), nullptr, &hidden));
    EXPECT_TRUE(t.HitTestPoint(Position(50, 0), nullptr, &other));
    t.Deactivate();
    EXPECT_FALSE(t.HitTestPoint(Position(50, 0), nullptr, nullptr));
}

TEST(CLineHit, EndPointsAndSnap)
{
    CLine t(Position(0, 0), Position(100, 0));
    EXPECT_EQ(t.HitEndPoint(Position(2.9, 0)), 0);
    EXPECT_EQ(t.HitEndPoint(Position(100, -2.9)), 1);
    EXPECT_EQ(t.HitEndPoint(Position(3.0, 0)), -1);
    EXPECT_EQ(t.HitEndPoint(Position(50, 0)), -1);
    // Both ends in reach: the start wins.
    EXPECT_EQ(CLine(Position(0, 0), Position(2, 0)).HitEndPoint(Position(1.5, 0)), 0);

    ExpectAt(t.GetSnapPoint(Position(50, 30)), 0, 0);
    ExpectAt(t.GetSnapPoint(Position(51, 30)), 100, 0);
    ExpectAt(t.GetSnapPoint(Position(-20, 0)), 0, 0);
}

// ---------------------------------------------------------------------------------
// Transformations

TEST(CLineTransform, MoveShiftsEndsReferencePointAndBoxOnce)
{
    CLine t(Position(0, 0), Position(10, 0));
    BOX2D before;
    t.GetBox(&before);
    int flag = 0;
    EXPECT_EQ(t.Move(Position(5, 7), Position(0, 0), &flag), 0);
    ExpectAt(t.GetStart(), 5, 7);
    ExpectAt(t.GetEnd(), 15, 7);
    ExpectAt(ReferencePoint(t), 5, 7);
    EXPECT_NEAR(t.GetCachedBox().x1, before.x1 + 5, kEps);
    EXPECT_NEAR(t.GetCachedBox().y2, before.y2 + 7, kEps);

    // MoveBy takes its arguments the other way round.
    t.MoveBy(Position(5, 7), Position(0, 0));
    ExpectAt(t.GetStart(), 0, 0);
    ExpectAt(t.GetEnd(), 10, 0);
    ExpectAt(ReferencePoint(t), 0, 0);
    EXPECT_NEAR(t.GetCachedBox().x1, before.x1, kEps);
}

TEST(CLineTransform, RotatingATrackRotatesThePrototypeToo)
{
    theDefaultLine.SetStart(Position(10, 0));
    theDefaultLine.SetEnd(Position(20, 0));
    CLine t(Position(10, 0), Position(30, 0));

    t.Rotate(Position(0, 0), PI * 0.5);
    ExpectAt(t.GetStart(), 0, 10, 1e-6);
    ExpectAt(t.GetEnd(), 0, 30, 1e-6);
    EXPECT_DOUBLE_EQ(t.GetRotation(), PI * 0.5);
    ExpectAt(theDefaultLine.GetStart(), 0, 10, 1e-6);
    ExpectAt(theDefaultLine.GetEnd(), 0, 20, 1e-6);
    EXPECT_DOUBLE_EQ(theDefaultLine.GetRotation(), PI * 0.5);

    // The prototype rotated by itself turns once, not twice.
    theDefaultLine.Rotate(Position(0, 0), PI * 0.5);
    ExpectAt(theDefaultLine.GetStart(), -10, 0, 1e-6);
    EXPECT_DOUBLE_EQ(theDefaultLine.GetRotation(), PI);
    ExpectAt(t.GetStart(), 0, 10, 1e-6);

    // A component's track turns with its component, never the prototype.
    CLine part(Position(10, 0), Position(30, 0));
    part.SetComponentPart(1);
    part.Rotate(Position(0, 0), PI * 0.5);
    part.MirrorX(Position(0, 0));
    EXPECT_DOUBLE_EQ(theDefaultLine.GetRotation(), PI);
    ExpectAt(theDefaultLine.GetStart(), -10, 0, 1e-6);
}

TEST(CLineTransform, MirrorsMoveEndsAndThePrototype)
{
    // Mirrors go through directions, so the board's pi leaves them a hair off.
    const double kPiSlack = 1e-4;
    theDefaultLine.SetStart(Position(10, 10));
    theDefaultLine.SetEnd(Position(10, 10));
    CLine t(Position(10, 5), Position(30, 15));

    t.MirrorX(Position(0, 0)); // across the vertical line x = 0
    ExpectAt(t.GetStart(), -10, 5, kPiSlack);
    ExpectAt(t.GetEnd(), -30, 15, kPiSlack);
    ExpectAt(ReferencePoint(t), -10, 5, kPiSlack);
    ExpectAt(theDefaultLine.GetStart(), -10, 10, kPiSlack);

    t.MirrorY(Position(0, 100)); // across the horizontal line y = 100
    ExpectAt(t.GetStart(), -10, 195, kPiSlack);
    ExpectAt(t.GetEnd(), -30, 185, kPiSlack);
    ExpectAt(theDefaultLine.GetStart(), -10, 190, kPiSlack);

    theDefaultLine.MirrorY(Position(0, 0));
    ExpectAt(theDefaultLine.GetStart(), -10, -190, kPiSlack);
}

TEST(CLineTransform, OffsetCopyLiesParallelOnTheSideAsked)
{
    CLine t(Position(0, 0), Position(100, 0));
    const double d = 10.0;
    std::unique_ptr<CEntity> above(t.CreateOffset(Position(50, 20), &d));
    auto* a = dynamic_cast<CLine*>(above.get());
    ASSERT_NE(a, nullptr);
    ExpectAt(a->GetStart(), 0, 10, 1e-6);
    ExpectAt(a->GetEnd(), 100, 10, 1e-6);
    ExpectAt(t.GetStart(), 0, 0);

    std::unique_ptr<CEntity> below(t.CreateOffset(Position(50, -20), &d));
    ExpectAt(static_cast<CLine*>(below.get())->GetStart(), 0, -10, 1e-6);
    // A side point on the track itself: straight down.
    std::unique_ptr<CEntity> onTrack(t.CreateOffset(Position(30, 0), &d));
    ExpectAt(static_cast<CLine*>(onTrack.get())->GetEnd(), 100, -10, 1e-6);

    // A slanted track moves along its normal.
    CLine s(Position(0, 0), Position(80, 60));
    const double five = 5.0;
    std::unique_ptr<CEntity> side(s.CreateOffset(Position(0, 100), &five));
    ExpectAt(static_cast<CLine*>(side.get())->GetStart(), -3, 4, 1e-6);

    EXPECT_EQ(t.CreateOffset(Position(50, 20), nullptr), nullptr);
}

TEST(CLineTransform, SetStartAndEndRepaintTheOldAndTheNewArea)
{
    SimpleBoardServices board;
    BoardServices::Install(&board);
    CLine t(Position(0, 0), Position(10, 0));
    const Rect before = t.GetScreenRect();
    t.SetStart(Position(-200, 50));
    const Rect after = t.GetScreenRect();
    ASSERT_EQ(board.invalidated.size(), 2u);
    EXPECT_EQ(board.invalidated[0], before);
    EXPECT_EQ(board.invalidated[1], after);
    EXPECT_NE(before, after);
    ExpectAt(ReferencePoint(t), -200, 50);

    board.invalidated.clear();
    t.SetEnd(Position(300, 0));
    ASSERT_EQ(board.invalidated.size(), 2u);
    EXPECT_EQ(board.invalidated[0], after);
    EXPECT_EQ(board.invalidated[1], t.GetScreenRect());
    ExpectAt(ReferencePoint(t), -200, 50);
}

// ---------------------------------------------------------------------------------
// Drawing

class CLineDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        board.layerColors[LAYER_TOP] = kRed;
        board.layerColors[LAYER_BOTTOM] = kGreen;
        board.layerColors[LAYER_HIGHLIGHT] = kWhite;
        BoardServices::Install(&board);
    }

    // Every pixel the calls reach on x: line and move points, and arc boxes.
    static std::pair<int, int> XSpan(const RecordingDrawContext& dc)
    {
        int lo = std::numeric_limits<int>::max();
        int hi = std::numeric_limits<int>::min();
        for (const auto& c : dc.calls) {
            for (const Point& p : c.points) {
                lo = std::min(lo, p.x);
                hi = std::max(hi, p.x);
            }
            if (c.op == RecordingDrawContext::Op::Arc || c.op == RecordingDrawContext::Op::ArcTo ||
                c.op == RecordingDrawContext::Op::Ellipse) {
                lo = std::min(lo, std::min(c.rect.left, c.rect.right));
                hi = std::max(hi, std::max(c.rect.left, c.rect.right));
            }
        }
        return {lo, hi};
    }

    static constexpr COLORREF kRed = MakeRGB(255, 0, 0);
    static constexpr COLORREF kGreen = MakeRGB(0, 255, 0);
    static constexpr COLORREF kWhite = MakeRGB(255, 255, 255);
    SimpleBoardServices board;
};

TEST_F(CLineDrawing, ATrackIsAFilledObroundInItsLayerColour)
{
    CLine t(Position(0, 0), Position(100, 0));
    RecordingDrawContext dc;
    t.Draw(&dc, DM_NORMAL, Rect{}, nullptr);

    EXPECT_GE(dc.Count(RecordingDrawContext::Op::StrokeAndFillPath), 1);
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_EQ(t.GetColor(), kRed);
    for (const auto& c : dc.calls)
        if (c.op == RecordingDrawContext::Op::StrokeAndFillPath) {
            EXPECT_EQ(c.pen.color, kRed);
            EXPECT_EQ(c.brush.color, kRed);
        }
    // Half a width beyond each end: the body runs from x = -5 to x = 105.
    const auto [lo, hi] = XSpan(dc);
    EXPECT_NEAR(lo, -5, 1);
    EXPECT_NEAR(hi, 105, 1);
}

TEST_F(CLineDrawing, HiddenOrNotLiveDrawsNothing)
{
    CLine t(Position(0, 0), Position(100, 0));
    RecordingDrawContext dc;
    const HiddenLayers hidden{{LAYER_TOP, 1}};
    t.Draw(&dc, DM_NORMAL, Rect{}, &hidden);
    t.DrawThin(&dc, DM_NORMAL, Rect{}, &hidden);
    t.Deactivate();
    t.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    t.DrawThin(&dc, DM_NORMAL, Rect{}, nullptr);
    EXPECT_TRUE(dc.calls.empty());
}

TEST_F(CLineDrawing, ASelectedTrackGetsItsHighlight)
{
    CLine t(Position(0, 0), Position(100, 0));
    t.ToggleSelect();
    RecordingDrawContext dc;
    t.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    const bool highlighted = std::any_of(dc.calls.begin(), dc.calls.end(), [](const auto& c) {
        return c.op == RecordingDrawContext::Op::StrokeAndFillPath && c.pen.color == kWhite;
    });
    EXPECT_TRUE(highlighted);
    EXPECT_EQ(t.GetLayer(), LAYER_TOP);
}

TEST_F(CLineDrawing, TheGuideIsDrawnWithTheTrackAndTakesItsWidth)
{
    CLine t(Position(0, 0), Position(100, 0));
    const double w = 16.0;
    t.SetLineWidth(&w);
    auto* guide = new CLine(Position(400, 0), Position(500, 0));
    guide->SetLayer(LAYER_BOTTOM);
    const int noRepaint = 0;
    t.SetAttachedEntity(guide, &noRepaint);

    RecordingDrawContext dc;
    t.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    EXPECT_DOUBLE_EQ(guide->GetLineWidth(), 16.0);
    const auto [lo, hi] = XSpan(dc);
    EXPECT_NEAR(lo, -8, 1);
    EXPECT_NEAR(hi, 508, 1);
    // Even with its own layer hidden, the guide is drawn with the track.
    dc.Clear();
    const HiddenLayers hideGuide{{LAYER_BOTTOM, 1}};
    t.Draw(&dc, DM_NORMAL, Rect{}, &hideGuide);
    EXPECT_NEAR(XSpan(dc).second, 508, 1);
}

TEST_F(CLineDrawing, ThinLineInClientPixels)
{
    board.layerColors[LAYER_MID_FIRST] = MakeRGB(1, 2, 3);
    board.scroll = Point{5, -100};
    CLine t(Position(10, 20), Position(30, 40));
    t.SetLayer(LAYER_MID_FIRST);
    RecordingDrawContext dc;
    t.DrawThin(&dc, DM_NORMAL, Rect{}, nullptr);

    const auto moves = dc.Find(RecordingDrawContext::Op::MoveTo);
    const auto lines = dc.Find(RecordingDrawContext::Op::LineTo);
    ASSERT_EQ(moves.size(), 1u);
    ASSERT_EQ(lines.size(), 1u);
    // Board y grows upwards: (10, 20) is pixel (10, -20), less the scroll.
    EXPECT_EQ(moves[0]->points[0], (Point{5, 80}));
    EXPECT_EQ(lines[0]->points[0], (Point{25, 60}));
    EXPECT_EQ(lines[0]->pen, (PenSpec{PenStyle::Solid, 1, MakeRGB(1, 2, 3)}));
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_EQ(dc.GetPen(), PenSpec{});
}

// ---------------------------------------------------------------------------------
// Property dialog

class CLineProperties : public ::testing::Test {
protected:
    void SetUp() override
    {
        UiServices::Install(&ui);
        BoardServices::Install(&board);
    }
    FakeUiServices ui;
    SimpleBoardServices board;
};

TEST_F(CLineProperties, ConfirmedValuesGoToTheTrackAndBothPrototypes)
{
    CLine t(Position(0, 0), Position(100, 0));
    ui.Expect<TrackProperties>(true, [&t](TrackProperties& v) {
        EXPECT_FALSE(t.IsActive()); // hidden while the dialog is open
        v.width = 25.0;
        v.start = Position(10, 10);
        v.end = Position(20, 30);
        v.layer = LAYER_BOTTOM;
    });

    EXPECT_EQ(t.EditProperties(0, Position(1, 1)), 1);
    ASSERT_EQ(ui.trackDialogs.size(), 1u);
    EXPECT_DOUBLE_EQ(ui.trackDialogs[0].width, 10.0);
    ExpectAt(ui.trackDialogs[0].start, 0, 0);
    ExpectAt(ui.trackDialogs[0].end, 100, 0);
    EXPECT_EQ(ui.trackDialogs[0].layer, LAYER_TOP);

    EXPECT_TRUE(t.IsActive());
    EXPECT_DOUBLE_EQ(t.GetLineWidth(), 25.0);
    ExpectAt(t.GetStart(), 10, 10);
    ExpectAt(t.GetEnd(), 20, 30);
    EXPECT_EQ(t.GetLayer(), LAYER_BOTTOM);
    EXPECT_DOUBLE_EQ(theDefaultLine.GetLineWidth(), 25.0);
    EXPECT_EQ(theDefaultLine.GetLayer(), LAYER_BOTTOM);
    EXPECT_TRUE(theDefaultLine.IsActive());
    EXPECT_DOUBLE_EQ(thePrototypeArc.GetLineWidth(), 25.0);
    EXPECT_EQ(thePrototypeArc.GetLayer(), LAYER_BOTTOM);
    EXPECT_EQ(board.captureReleases, 1);
    EXPECT_FALSE(board.invalidated.empty());
    EXPECT_TRUE(ui.AllAnswersUsed());
}

TEST_F(CLineProperties, CancelChangesNothing)
{
    CLine t(Position(0, 0), Position(100, 0));
    const double arcWidth = thePrototypeArc.GetLineWidth();
    const int arcLayer = thePrototypeArc.GetLayer();
    ui.Expect<TrackProperties>(false, [](TrackProperties& v) { v.width = 99.0; });

    EXPECT_EQ(t.EditProperties(0, Position()), 0);
    EXPECT_TRUE(t.IsActive());
    EXPECT_DOUBLE_EQ(t.GetLineWidth(), 10.0);
    ExpectAt(t.GetEnd(), 100, 0);
    EXPECT_DOUBLE_EQ(theDefaultLine.GetLineWidth(), 10.0);
    EXPECT_DOUBLE_EQ(thePrototypeArc.GetLineWidth(), arcWidth);
    EXPECT_EQ(thePrototypeArc.GetLayer(), arcLayer);
    EXPECT_EQ(board.captureReleases, 1);
}

// ---------------------------------------------------------------------------------
// Document record

void SetCommon(CLine& t, const std::string& name, int layer, double rotation, double width,
               double sx, double sy, int variant, int penStyle, COLORREF colour)
{
    t.SetName(name);
    t.SetLayer(layer);
    t.SetAngle(rotation);
    t.SetLineWidth(&width);
    t.SetSizeX(sx);
    t.SetSizeY(sy);
    t.SetExportVariant(variant);
    t.SetPenStyle(penStyle);
    t.SetColor(colour);
}

TEST(CLineDocument, TwoTracksByteForByte)
{
    CLine first(Position(1.5, -2.25), Position(100, 0.25));
    SetCommon(first, "", LAYER_BOTTOM, 0.0, 10.0, 0.0, 0.0, 1, 0, 0x00123456);
    CLine second(Position(0, 0), Position(0, -20));
    SetCommon(second, "N1", LAYER_TOP, 0.5, 20.0, 3.0, 4.0, 0, 1, 0x000000FF);
    second.Deactivate();

    CArchive out;
    out.WriteObject(&first);
    out.WriteObject(&second);

    Bytes expected;
    // First track: a new class "CLine" (index 1), the object (index 2), then its body,
    // which opens with the common part's new class "CEntity" (index 3) ...
    expected.U16(0xFFFF).U16(1).U16(5).Chars("CLine");
    expected.U16(0xFFFF).U16(1).U16(7).Chars("CEntity");
    expected.F64(1.5).F64(-2.25);                 // reference point
    expected.U8(0);                               // name
    expected.I32(15);                             // layer
    expected.F64(0.0).F64(10.0).F64(0.0).F64(0.0); // rotation, width, sizes
    expected.I32(1).I32(1).I32(0).U32(0x00123456); // live, export variant, pen, colour
    // ... and goes on with the class record of "CLine", seen before as index 1.
    expected.U16(0x8001);
    expected.F64(1.5).F64(-2.25).F64(100).F64(0.25);
    // Second track: both classes are known now (CLine 1, CEntity 3); the object is 4.
    expected.U16(0x8001);
    expected.U16(0x8003);
    expected.F64(0).F64(0);
    expected.U8(2).Chars("N1");
    expected.I32(0);
    expected.F64(0.5).F64(20.0).F64(3.0).F64(4.0);
    expected.I32(0).I32(0).I32(1).U32(0x000000FF);
    expected.U16(0x8001);
    expected.F64(0).F64(0).F64(0).F64(-20);

    EXPECT_EQ(out.Bytes(), expected.data);
}

TEST(CLineDocument, RoundTrip)
{
    CLine first(Position(1.5, -2.25), Position(100, 0.25));
    SetCommon(first, "", LAYER_BOTTOM, 0.0, 10.0, 0.0, 0.0, 1, 0, 0x00123456);
    CLine second(Position(0, 0), Position(0, -20));
    SetCommon(second, "N1", LAYER_TOP, 0.5, 20.0, 3.0, 4.0, 0, 1, 0x000000FF);
    second.Deactivate();
    // A reference point astray is brought back to the start on loading.
    second.SetPosition(Position(77, 77), 0);

    CArchive out;
    out.WriteObject(&first);
    out.WriteObject(&second);
    const std::vector<std::uint8_t> bytes = out.TakeBytes();

    CArchive in(bytes);
    std::unique_ptr<CObject> a(in.ReadObject(RUNTIME_CLASS(CLine)));
    std::unique_ptr<CObject> b(in.ReadObject(RUNTIME_CLASS(CLine)));
    EXPECT_TRUE(in.AtEnd());
    auto* t1 = dynamic_cast<CLine*>(a.get());
    auto* t2 = dynamic_cast<CLine*>(b.get());
    ASSERT_NE(t1, nullptr);
    ASSERT_NE(t2, nullptr);

    ExpectAt(t1->GetStart(), 1.5, -2.25, 0);
    ExpectAt(t1->GetEnd(), 100, 0.25, 0);
    EXPECT_EQ(t1->GetLayer(), LAYER_BOTTOM);
    EXPECT_EQ(t1->GetExportVariant(), 1);
    EXPECT_EQ(t1->GetColor(), 0x00123456u);
    EXPECT_TRUE(t1->IsActive());
    EXPECT_EQ(t1->GetType(), ET_LINE);

    ExpectAt(t2->GetEnd(), 0, -20, 0);
    EXPECT_STREQ(t2->GetName(), "N1");
    EXPECT_DOUBLE_EQ(t2->GetRotation(), 0.5);
    EXPECT_DOUBLE_EQ(t2->GetLineWidth(), 20.0);
    EXPECT_DOUBLE_EQ(t2->GetSizeX(), 3.0);
    EXPECT_DOUBLE_EQ(t2->GetSizeY(), 4.0);
    EXPECT_EQ(t2->GetPenStyle(), 1);
    EXPECT_FALSE(t2->IsActive());
    ExpectAt(ReferencePoint(*t2), 0, 0, 0);
}

TEST(CLineDocument, NonFiniteEndPointIsRefused)
{
    for (double bad : {std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()}) {
        CLine t(Position(0, 0), Position(bad, 5));
        CArchive out;
        out.WriteObject(&t);
        const std::vector<std::uint8_t> bytes = out.TakeBytes();
        CArchive in(bytes);
        try {
            delete in.ReadObject(RUNTIME_CLASS(CLine));
            ADD_FAILURE() << "a track with a coordinate of " << bad << " was read";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::generic);
        }
    }
}

TEST(CLineDocument, TruncatedRecordFailsAtTheEnd)
{
    CLine t(Position(1, 2), Position(3, 4));
    CArchive out;
    out.WriteObject(&t);
    std::vector<std::uint8_t> bytes = out.TakeBytes();
    bytes.resize(bytes.size() - 4);
    CArchive in(bytes);
    try {
        delete in.ReadObject(RUNTIME_CLASS(CLine));
        ADD_FAILURE() << "a cut record was read";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
}

// ---------------------------------------------------------------------------------
// Library record

TEST(CLineLibrary, RecordByteForByte)
{
    CLine t(Position(1.5, -2.25), Position(100, 0.00005));
    const double w = 10.12345;
    t.SetLineWidth(&w);
    t.SetLayer(LAYER_BOTTOM);
    EXPECT_EQ(t.GetRecordSize(), 32);
    EXPECT_EQ(t.GetFixedRecordSize(), 32);

    std::vector<BYTE> buf(96, 0xCC);
    int offset = 32;
    ASSERT_EQ(t.WriteLibraryRecord(buf.data(), &offset), 1);
    EXPECT_EQ(offset, 64);

    const std::vector<BYTE> record = {
        0x05, 0x00, 0x10, 0x00,  // kind 5, layer 15 + 1
        0x98, 0x3A, 0x00, 0x00,  // 1.5 mils -> 15000
        0x1C, 0xA8, 0xFF, 0xFF,  // -2.25 -> -22500
        0x40, 0x42, 0x0F, 0x00,  // 100 -> 1000000
        0x00, 0x00, 0x00, 0x00,  // 0.00005 -> 0.5, truncated
        0x72, 0x8B, 0x01, 0x00,  // 10.12345 -> 101234
        0, 0, 0, 0, 0, 0, 0, 0}; // zero-filled
    EXPECT_EQ(std::vector<BYTE>(buf.begin() + 32, buf.begin() + 64), record);
    EXPECT_TRUE(std::all_of(buf.begin(), buf.begin() + 32, [](BYTE b) { return b == 0xCC; }));
    EXPECT_TRUE(std::all_of(buf.begin() + 64, buf.end(), [](BYTE b) { return b == 0xCC; }));

    int untouched = 0;
    EXPECT_EQ(t.WriteLibraryRecord(nullptr, &untouched), 0);
    EXPECT_EQ(untouched, 0);
}

TEST(CLineLibrary, RoundTripAndRefusals)
{
    CLine t(Position(-12.5, 7.25), Position(300, -0.0001));
    const double w = 8.0;
    t.SetLineWidth(&w);
    t.SetLayer(LAYER_TOP_OVERLAY);
    BYTE rec[32];
    int offset = 0;
    ASSERT_EQ(t.WriteLibraryRecord(rec, &offset), 1);

    CLine back(Position(1, 1), Position(2, 2));
    ASSERT_EQ(back.ReadFromLibraryRecord(rec, 32), 1);
    ExpectAt(back.GetStart(), -12.5, 7.25);
    ExpectAt(back.GetEnd(), 300, -0.0001);
    ExpectAt(ReferencePoint(back), -12.5, 7.25);
    EXPECT_DOUBLE_EQ(back.GetLineWidth(), 8.0);
    EXPECT_EQ(back.GetLayer(), LAYER_TOP_OVERLAY);

    // Short or missing records are refused, and the track is left reset.
    const double wide = 50.0;
    back.SetLineWidth(&wide);
    EXPECT_EQ(back.ReadFromLibraryRecord(rec, 31), 0);
    EXPECT_DOUBLE_EQ(back.GetLineWidth(), 10.0);
    ExpectAt(back.GetEnd(), 0, 0);
    EXPECT_EQ(back.ReadFromLibraryRecord(nullptr, 32), 0);
}

// ---------------------------------------------------------------------------------
// Protel ASCII record

TEST(CLineProtel, FreeTrackRecordAndCount)
{
    CLine t(Position(0, 0), Position(100, 0.25));
    std::map<int, int> counts{{ET_LINE, 0}, {ET_ARC, 0}};
    std::string out = "stale";
    t.ExportText(out, counts);
    EXPECT_EQ(out, "FT\n0 0 0 0 100000 250 10000 1 0 0 0\n 0 0 1 0 0\n");
    EXPECT_EQ(counts[ET_LINE], 1);
    EXPECT_EQ(counts[ET_ARC], 0);

    // Without the track's key nothing is counted, nor created.
    std::map<int, int> none;
    t.ExportText(out, none);
    EXPECT_TRUE(none.empty());
}

TEST(CLineProtel, ComponentPartWithTheOtherTrailer)
{
    CLine t(Position(-0.25, 12.3456), Position(-100, 0.0004));
    const double w = 8.0;
    t.SetLineWidth(&w);
    t.SetLayer(LAYER_BOTTOM);
    t.SetExportVariant(1);
    t.SetComponentPart(1);
    std::map<int, int> counts{{ET_LINE, 4}};
    std::string out;
    t.ExportText(out, counts);
    EXPECT_EQ(out, "CT\n0 0 -249 12346 -99999 0 8000 16 0 0 0\n 1 0 1 0 0\n");
    EXPECT_EQ(counts[ET_LINE], 5);
}

} // namespace
