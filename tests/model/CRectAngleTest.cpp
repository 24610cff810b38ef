#include "model/CRectAngle.h"

#include "model/BoardServices.h"
#include "model/CArc.h"
#include "model/CLine.h"
#include "model/CPolygon.h"
#include "model/Constants.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace {

constexpr double kEps = 1e-4;
constexpr COLORREF kLayerColour = MakeRGB(200, 20, 40);

::testing::AssertionResult Near(const Position& actual, const Position& expected)
{
    if (std::fabs(actual.x - expected.x) <= kEps && std::fabs(actual.y - expected.y) <= kEps)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ") is not ("
                                         << expected.x << ", " << expected.y << ")";
}

CRectAngle MakeRect(const Position& centre, double length, double width, double angle = 0.0)
{
    CRectAngle r;
    r.SetGeometry(centre, length, width, 255.0);
    r.SetAngle(angle);
    return r;
}

class CRectAngleTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_services.layerColors[1] = kLayerColour;
        BoardServices::Install(&m_services);
    }

    SimpleBoardServices m_services;
    const double m_zero = 0.0;
};

// ---------------------------------------------------------------------------------
// Box and hit test

TEST_F(CRectAngleTest, BoxFollowsTheRotation)
{
    CRectAngle r = MakeRect(Position(100.0, 50.0), 40.0, 20.0);
    BOX2D box;
    ASSERT_EQ(r.GetBox(&box), 1);
    EXPECT_NEAR(box.x1, 80.0, kEps);
    EXPECT_NEAR(box.x2, 120.0, kEps);
    EXPECT_NEAR(box.y1, 40.0, kEps);
    EXPECT_NEAR(box.y2, 60.0, kEps);
    EXPECT_NEAR(r.GetCachedBox().y2, 60.0, kEps);

    r.SetAngle(PI * 0.5);
    ASSERT_EQ(r.GetBox(&box), 1);
    EXPECT_NEAR(box.x1, 90.0, kEps);
    EXPECT_NEAR(box.x2, 110.0, kEps);
    EXPECT_NEAR(box.y1, 30.0, kEps);
    EXPECT_NEAR(box.y2, 70.0, kEps);

    // Turned by 45 degrees, a 40-mil square spans its diagonal.
    CRectAngle square = MakeRect(Position(0.0, 0.0), 40.0, 40.0, PI * 0.25);
    ASSERT_EQ(square.GetBox(&box), 1);
    const double half = std::sqrt(2.0) * 20.0;
    EXPECT_NEAR(box.x1, -half, kEps);
    EXPECT_NEAR(box.x2, half, kEps);
    EXPECT_NEAR(box.y1, -half, kEps);
    EXPECT_NEAR(box.y2, half, kEps);
}

TEST_F(CRectAngleTest, ZeroSizeBoxIsTheCentre)
{
    for (double angle : {0.0, 0.8}) {
        CRectAngle r = MakeRect(Position(7.0, -3.0), 0.0, 0.0, angle);
        BOX2D box;
        ASSERT_EQ(r.GetBox(&box), 1);
        EXPECT_TRUE(std::isfinite(box.x1) && std::isfinite(box.y1) && std::isfinite(box.x2) &&
                    std::isfinite(box.y2));
        EXPECT_NEAR(box.x1, 7.0, kEps);
        EXPECT_NEAR(box.x2, 7.0, kEps);
        EXPECT_NEAR(box.y1, -3.0, kEps);
        EXPECT_NEAR(box.y2, -3.0, kEps);
        EXPECT_TRUE(r.HitTestPoint(Position(7.0, -3.0), &m_zero, nullptr));
    }
}

TEST_F(CRectAngleTest, TurnedRectangleIsHitInItsWholeBoxAndToleranceIsIgnored)
{
    CRectAngle r = MakeRect(Position(0.0, 0.0), 40.0, 40.0, PI * 0.25);
    const double wide = 100.0;
    // A box corner well outside the turned square itself.
    EXPECT_TRUE(r.HitTestPoint(Position(25.0, 25.0), &m_zero, nullptr));
    EXPECT_TRUE(r.HitTestPoint(Position(-25.0, 25.0), &m_zero, nullptr));
    EXPECT_TRUE(r.HitTestPoint(Position(0.0, 0.0), &m_zero, nullptr));
    EXPECT_FALSE(r.HitTestPoint(Position(30.0, 0.0), &m_zero, nullptr));
    EXPECT_FALSE(r.HitTestPoint(Position(30.0, 0.0), &wide, nullptr));

    HiddenLayers hidden{{r.GetLayer(), 0}};
    EXPECT_FALSE(r.HitTestPoint(Position(0.0, 0.0), &m_zero, &hidden));
    r.Deactivate();
    EXPECT_FALSE(r.HitTestPoint(Position(0.0, 0.0), &m_zero, nullptr));
}

// ---------------------------------------------------------------------------------
// Edges and drawing

TEST_F(CRectAngleTest, EdgesRunRoundTheRectangle)
{
    CRectAngle r = MakeRect(Position(10.0, 10.0), 40.0, 20.0, 0.3);
    std::vector<CLine*> edges;
    r.GetEdges(edges);
    ASSERT_EQ(edges.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(Near(edges[i]->GetEnd(), edges[(i + 1) % 4]->GetStart()));
        // Every corner lies at half the diagonal from the centre.
        EXPECT_NEAR(edges[i]->GetStart().Distance(Position(10.0, 10.0)), std::sqrt(500.0), kEps);
    }
    // Long and short sides alternate.
    EXPECT_NEAR(edges[0]->GetLength() + edges[1]->GetLength(), 60.0, kEps);
    EXPECT_NEAR(std::fabs(edges[0]->GetLength() - edges[1]->GetLength()), 20.0, kEps);
    EXPECT_NEAR(edges[0]->GetLength(), edges[2]->GetLength(), kEps);
    EXPECT_NEAR(edges[1]->GetLength(), edges[3]->GetLength(), kEps);
    for (CLine* e : edges)
        delete e;
}

TEST_F(CRectAngleTest, DrawsAFilledPathOfItsCorners)
{
    using Op = RecordingDrawContext::Op;
    CRectAngle r = MakeRect(Position(100.0, 50.0), 40.0, 20.0);
    r.SetLayer(1);
    RecordingDrawContext dc;
    const PenSpec before = dc.GetPen();
    r.Draw(&dc, DM_NORMAL, Rect{}, nullptr);

    EXPECT_EQ(r.GetColor(), kLayerColour);
    std::set<std::pair<int, int>> corners;
    for (const auto& c : dc.calls)
        if (c.op == Op::MoveTo || c.op == Op::LineTo) {
            EXPECT_TRUE(c.inPath);
            corners.insert({c.points.at(0).x, c.points.at(0).y});
        }
    EXPECT_EQ(corners,
              (std::set<std::pair<int, int>>{{120, -40}, {120, -60}, {80, -60}, {80, -40}}));
    EXPECT_EQ(dc.Count(Op::MoveTo), 1);
    EXPECT_EQ(dc.Count(Op::LineTo), 3);
    const auto fills = dc.Find(Op::StrokeAndFillPath);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_FALSE(fills[0]->inPath);
    EXPECT_EQ(fills[0]->pen, (PenSpec{PenStyle::Solid, 1, kLayerColour}));
    EXPECT_EQ(fills[0]->brush, (BrushSpec{BrushStyle::Solid, kLayerColour}));
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_EQ(dc.GetPen(), before);

    // The context paints in client pixels.
    m_services.scroll = Point{5, 7};
    RecordingDrawContext scrolled;
    r.Draw(&scrolled, DM_NORMAL, Rect{}, nullptr);
    ASSERT_EQ(scrolled.Count(Op::MoveTo), 1);
    EXPECT_EQ(scrolled.Find(Op::MoveTo)[0]->points.at(0), (Point{115, -47}));
}

TEST_F(CRectAngleTest, DrawingModesAndFilters)
{
    using Op = RecordingDrawContext::Op;
    CRectAngle r = MakeRect(Position(0.0, 0.0), 40.0, 20.0);
    r.SetLayer(1);

    RecordingDrawContext outline;
    r.Draw(&outline, DM_OUTLINE, Rect{}, nullptr);
    ASSERT_EQ(outline.Count(Op::StrokeAndFillPath), 1);
    EXPECT_EQ(outline.Find(Op::StrokeAndFillPath)[0]->brush.style, BrushStyle::Hollow);
    EXPECT_EQ(outline.SaveDepth(), 0);

    // Mode 7 draws with whatever the caller selected.
    RecordingDrawContext none;
    r.Draw(&none, DM_NONE, Rect{}, nullptr);
    EXPECT_EQ(none.Count(Op::SetPen), 0);
    EXPECT_EQ(none.Count(Op::SetBrush), 0);
    EXPECT_EQ(none.Count(Op::SaveState), 0);
    EXPECT_EQ(none.Count(Op::StrokeAndFillPath), 1);

    // A temporary that is not live still draws; a hidden layer never does.
    RecordingDrawContext temporary;
    r.Deactivate();
    r.Draw(&temporary, DM_NORMAL, Rect{}, nullptr);
    EXPECT_EQ(temporary.Count(Op::StrokeAndFillPath), 1);

    RecordingDrawContext hiddenDc;
    HiddenLayers hidden{{1, 0}};
    r.Draw(&hiddenDc, DM_NORMAL, Rect{}, &hidden);
    EXPECT_TRUE(hiddenDc.calls.empty());
}

// ---------------------------------------------------------------------------------
// Copies and documents

TEST_F(CRectAngleTest, CopiesKeepEveryAttribute)
{
    CRectAngle r = MakeRect(Position(3.0, 4.0), 40.0, 20.0, 1.1);
    r.SetLayer(9);
    r.SetColor(0x123456);
    std::unique_ptr<CEntity> clone(r.Clone());
    ASSERT_NE(dynamic_cast<CRectAngle*>(clone.get()), nullptr);
    CRectAngle copy(r);
    for (CEntity* e : {static_cast<CEntity*>(clone.get()), static_cast<CEntity*>(&copy)}) {
        EXPECT_EQ(e->GetType(), ET_RECTANGLE);
        EXPECT_EQ(e->GetPosition(), Position(3.0, 4.0));
        EXPECT_EQ(e->GetSizeX(), 40.0);
        EXPECT_EQ(e->GetSizeY(), 20.0);
        EXPECT_EQ(e->GetRotation(), 1.1);
        EXPECT_EQ(e->GetLayer(), 9);
        EXPECT_EQ(e->GetColor(), COLORREF(0x123456));
    }
}

TEST_F(CRectAngleTest, DocumentRecordRoundTrips)
{
    CRectAngle a = MakeRect(Position(-8.0, 2.5), 70.0, 35.0, 0.25);
    a.SetLayer(4);
    CArchive out;
    out.WriteObject(&a);
    const std::vector<std::uint8_t> bytes = out.TakeBytes();

    CArchive in(bytes);
    std::unique_ptr<CObject> read(in.ReadObject(RUNTIME_CLASS(CEntity)));
    EXPECT_TRUE(in.AtEnd());
    auto* r = dynamic_cast<CRectAngle*>(read.get());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetPosition(), Position(-8.0, 2.5));
    EXPECT_EQ(r->GetSizeX(), 70.0);
    EXPECT_EQ(r->GetSizeY(), 35.0);
    EXPECT_EQ(r->GetRotation(), 0.25);
    EXPECT_EQ(r->GetLayer(), 4);
}

// ---------------------------------------------------------------------------------
// Clearing a pour's hatch. The rectangle is 80 x 40 about the origin; grown by the
// clearance it spans x -45..45 and y -25..25.

class HatchClipTest : public CRectAngleTest
{
  protected:
    void TearDown() override
    {
        for (CEntity* e : m_hatch)
            delete e;
        for (auto& group : m_groups)
            for (CLine* t : group)
                delete t;
    }

    CLine* AddTrack(const Position& a, const Position& b)
    {
        auto* t = new CLine(a, b);
        const double width = 8.0;
        t->SetLineWidth(&width);
        t->SetLayer(3);
        m_hatch.push_back(t);
        return t;
    }
    CLine* TrackAt(std::size_t i) const { return dynamic_cast<CLine*>(m_hatch.at(i)); }

    CRectAngle m_rect = MakeRect(Position(0.0, 0.0), 80.0, 40.0);
    std::vector<CEntity*> m_hatch;
    TrackGroups m_groups;
};

TEST_F(HatchClipTest, CrossingTrackIsSplitAtTheGrownBorder)
{
    CLine* track = AddTrack(Position(-100.0, 0.0), Position(100.0, 0.0));
    m_rect.ClipHatchTracks(12.0, m_hatch, nullptr);

    ASSERT_EQ(m_hatch.size(), 2u);
    EXPECT_TRUE(Near(track->GetStart(), Position(-100.0, 0.0)));
    EXPECT_TRUE(Near(track->GetEnd(), Position(-45.0, 0.0)));
    CLine* piece = TrackAt(1);
    ASSERT_NE(piece, nullptr);
    EXPECT_TRUE(Near(piece->GetStart(), Position(45.0, 0.0)));
    EXPECT_TRUE(Near(piece->GetEnd(), Position(100.0, 0.0)));
    EXPECT_TRUE(track->IsActive());
    EXPECT_TRUE(piece->IsActive());
    EXPECT_EQ(piece->GetLineWidth(), 8.0);
    EXPECT_EQ(piece->GetLayer(), 3);
}

TEST_F(HatchClipTest, TurnedRectangleCutsAlongItsOwnSides)
{
    m_rect.SetAngle(PI * 0.5); // now x -25..25 and y -45..45
    CLine* track = AddTrack(Position(-100.0, 0.0), Position(100.0, 0.0));
    m_rect.ClipHatchTracks(12.0, m_hatch, nullptr);
    ASSERT_EQ(m_hatch.size(), 2u);
    EXPECT_TRUE(Near(track->GetEnd(), Position(-25.0, 0.0)));
    EXPECT_TRUE(Near(TrackAt(1)->GetStart(), Position(25.0, 0.0)));
}

TEST_F(HatchClipTest, TrackWhollyInsideIsRemovedOnlyWithGroups)
{
    CLine* track = AddTrack(Position(-10.0, 0.0), Position(10.0, 0.0));
    m_rect.ClipHatchTracks(12.0, m_hatch, nullptr);
    ASSERT_EQ(m_hatch.size(), 1u);
    EXPECT_TRUE(track->IsActive());
    EXPECT_TRUE(Near(track->GetStart(), Position(-10.0, 0.0)));
    EXPECT_TRUE(Near(track->GetEnd(), Position(10.0, 0.0)));

    m_rect.ClipHatchTracks(12.0, m_hatch, &m_groups);
    ASSERT_EQ(m_hatch.size(), 1u);
    EXPECT_FALSE(track->IsActive());
}

TEST_F(HatchClipTest, TrackWithOneEndInsideLeavesAZeroLengthPieceOnTheBorder)
{
    CLine* outward = AddTrack(Position(0.0, 0.0), Position(0.0, 100.0));
    CLine* inward = AddTrack(Position(0.0, -100.0), Position(0.0, 0.0));
    m_rect.ClipHatchTracks(12.0, m_hatch, nullptr);
    ASSERT_EQ(m_hatch.size(), 4u);

    EXPECT_TRUE(Near(outward->GetStart(), Position(0.0, 25.0)));
    EXPECT_TRUE(Near(outward->GetEnd(), Position(0.0, 25.0)));
    EXPECT_TRUE(Near(TrackAt(2)->GetStart(), Position(0.0, 25.0)));
    EXPECT_TRUE(Near(TrackAt(2)->GetEnd(), Position(0.0, 100.0)));

    EXPECT_TRUE(Near(inward->GetStart(), Position(0.0, -100.0)));
    EXPECT_TRUE(Near(inward->GetEnd(), Position(0.0, -25.0)));
    EXPECT_TRUE(Near(TrackAt(3)->GetStart(), Position(0.0, -25.0)));
    EXPECT_TRUE(Near(TrackAt(3)->GetEnd(), Position(0.0, -25.0)));
}

TEST_F(HatchClipTest, ClippingAgainWithoutGroupsChangesNothing)
{
    AddTrack(Position(-100.0, 0.0), Position(100.0, 0.0));
    AddTrack(Position(0.0, 0.0), Position(0.0, 100.0));
    m_rect.ClipHatchTracks(12.0, m_hatch, nullptr);
    ASSERT_EQ(m_hatch.size(), 4u);
    std::vector<std::pair<Position, Position>> first;
    for (std::size_t i = 0; i < m_hatch.size(); ++i)
        first.emplace_back(TrackAt(i)->GetStart(), TrackAt(i)->GetEnd());

    // Pieces ending on the border are not cut there again.
    m_rect.ClipHatchTracks(12.0, m_hatch, nullptr);
    ASSERT_EQ(m_hatch.size(), 4u);
    for (std::size_t i = 0; i < m_hatch.size(); ++i) {
        EXPECT_TRUE(Near(TrackAt(i)->GetStart(), first[i].first)) << i;
        EXPECT_TRUE(Near(TrackAt(i)->GetEnd(), first[i].second)) << i;
    }
}

TEST_F(HatchClipTest, ArcsAndRemovedTracksAreLeftAlone)
{
    auto* arc = new CArc(Position(0.0, 0.0), 30.0, 0.0, PI);
    m_hatch.push_back(arc);
    CLine* removed = AddTrack(Position(-100.0, 5.0), Position(100.0, 5.0));
    removed->Deactivate();

    m_rect.ClipHatchTracks(12.0, m_hatch, &m_groups);
    ASSERT_EQ(m_hatch.size(), 2u);
    EXPECT_EQ(arc->GetRadius(), 30.0);
    EXPECT_EQ(arc->GetStartAngle(), 0.0);
    EXPECT_EQ(arc->GetEndAngle(), PI);
    EXPECT_TRUE(arc->IsActive());
    EXPECT_FALSE(removed->IsActive());
    EXPECT_TRUE(Near(removed->GetStart(), Position(-100.0, 5.0)));
    EXPECT_TRUE(Near(removed->GetEnd(), Position(100.0, 5.0)));
    for (const auto& group : m_groups)
        EXPECT_TRUE(group.empty());
}

// The border tracks of one call, as unordered pairs of end points.
std::vector<std::pair<Position, Position>> Segments(const TrackGroups& groups)
{
    std::vector<std::pair<Position, Position>> out;
    for (const auto& group : groups)
        for (const CLine* t : group)
            out.emplace_back(t->GetStart(), t->GetEnd());
    return out;
}

bool HasSegment(const std::vector<std::pair<Position, Position>>& segments, const Position& a,
                const Position& b)
{
    for (const auto& s : segments)
        if ((Near(s.first, a) && Near(s.second, b)) || (Near(s.first, b) && Near(s.second, a)))
            return true;
    return false;
}

TEST_F(HatchClipTest, GroupsHoldTheBorderSnappedToCornersWithinTheGrid)
{
    for (double x : {-40.0, 0.0, 40.0})
        AddTrack(Position(x, -100.0), Position(x, 100.0));
    m_rect.ClipHatchTracks(12.0, m_hatch, &m_groups);

    // Every vertical track split in two outside the grown rectangle.
    ASSERT_EQ(m_hatch.size(), 6u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(std::fabs(TrackAt(i)->GetEnd().y), 25.0, kEps);
        EXPECT_NEAR(std::fabs(TrackAt(i + 3)->GetStart().y), 25.0, kEps);
        EXPECT_NEAR(TrackAt(i)->GetStart().y, -100.0, kEps);
        EXPECT_NEAR(TrackAt(i + 3)->GetEnd().y, 100.0, kEps);
    }

    // One group: the top and bottom sides, whose outer crossings (5 mils from the
    // corners) are pulled onto the corners. The left and right sides were not crossed.
    ASSERT_EQ(m_groups.size(), 1u);
    ASSERT_EQ(m_groups[0].size(), 2u);
    const auto segments = Segments(m_groups);
    EXPECT_TRUE(HasSegment(segments, Position(-45.0, 25.0), Position(45.0, 25.0)));
    EXPECT_TRUE(HasSegment(segments, Position(-45.0, -25.0), Position(45.0, -25.0)));

    // Each border track runs the same way as its side.
    std::vector<CLine*> sides;
    CRectAngle grown(m_rect);
    grown.Inflate(10.0, 10.0);
    grown.GetEdges(sides);
    for (const CLine* t : m_groups[0]) {
        bool sameWay = false;
        for (const CLine* side : sides)
            sameWay = sameWay ||
                      (Near(t->GetStart(), side->GetStart()) && Near(t->GetEnd(), side->GetEnd()));
        EXPECT_TRUE(sameWay);
    }
    for (CLine* s : sides)
        delete s;
}

TEST_F(HatchClipTest, CrossingsFartherThanTheGridStayWhereTheyAre)
{
    for (double x : {-40.0, 0.0, 40.0})
        AddTrack(Position(x, -100.0), Position(x, 100.0));
    m_rect.ClipHatchTracks(3.0, m_hatch, &m_groups);
    ASSERT_EQ(m_groups.size(), 1u);
    const auto segments = Segments(m_groups);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_TRUE(HasSegment(segments, Position(-40.0, 25.0), Position(40.0, 25.0)));
    EXPECT_TRUE(HasSegment(segments, Position(-40.0, -25.0), Position(40.0, -25.0)));
}

TEST_F(HatchClipTest, PourHandsOverItsHatchAndGrid)
{
    m_rect.ClipHatch(nullptr, &m_groups);
    EXPECT_TRUE(m_groups.empty());

    CPolygon pour;
    std::vector<CEntity*>& list = pour.GetHatchList();
    for (double x : {-40.0, 40.0})
        list.push_back(new CLine(Position(x, -100.0), Position(x, 100.0)));
    m_rect.ClipHatch(&pour, &m_groups);
    // The pieces went into the pour's list; take them over so they are freed here.
    m_hatch.swap(list);
    EXPECT_EQ(m_hatch.size(), 4u);
    // Crossings 5 mils from the corners snap within the pour's grid.
    ASSERT_GE(pour.GetHatchParam(), 5.0);
    const auto segments = Segments(m_groups);
    EXPECT_TRUE(HasSegment(segments, Position(-45.0, 25.0), Position(45.0, 25.0)));
}

} // namespace
