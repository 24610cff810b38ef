#include "model/CRectAngle.h"
#include "support/FakeBoardServices.h"

#include "model/BoardServices.h"
#include "model/CArc.h"
#include "model/CLine.h"
#include "model/CPolygon.h"
#include "model/Constants.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace
{

using Op = RecordingDrawContext::Op;
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
    r.SetLayer(1);
    return r;
}

std::vector<std::uint8_t> Stored(CObject* ob)
{
    CArchive out;
    out.WriteObject(ob);
    return out.TakeBytes();
}

class CRectAngleTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_services.layerColors[1] = kLayerColour;
        BoardServices::Install(&m_services);
    }
    FakeBoardServices m_services;
    const double m_zero = 0.0;
};

TEST_F(CRectAngleTest, BoxFollowsTheRotationAndATurnedRectangleIsHitInItsWholeBox)
{
    const double h = std::sqrt(2.0) * 20.0;
    const struct {
        double length, width, angle;
        BOX2D box;
    } cases[] = {{40, 20, 0.0, {80, 40, 120, 60}},
                 {40, 20, PI * 0.5, {90, 30, 110, 70}},
                 {40, 40, PI * 0.25, {100 - h, 50 - h, 100 + h, 50 + h}}, // spans its diagonal
                 {0, 0, 0.8, {100, 50, 100, 50}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.angle);
        CRectAngle r = MakeRect(Position(100.0, 50.0), c.length, c.width, c.angle);
        BOX2D box;
        ASSERT_EQ(r.GetBox(&box), 1);
        EXPECT_TRUE(Near(Position(box.x1, box.y1), Position(c.box.x1, c.box.y1)));
        EXPECT_TRUE(Near(Position(box.x2, box.y2), Position(c.box.x2, c.box.y2)));
        // Near a corner of the box: for the turned square, well outside the square.
        const Position nearCorner(0.1 * c.box.x1 + 0.9 * c.box.x2, 0.1 * c.box.y1 + 0.9 * c.box.y2);
        EXPECT_TRUE(r.HitTestPoint(nearCorner, &m_zero, nullptr));
    }

    // The tolerance is ignored.
    CRectAngle r = MakeRect(Position(0.0, 0.0), 40.0, 40.0, PI * 0.25);
    const double wide = 100.0;
    EXPECT_FALSE(r.HitTestPoint(Position(30.0, 0.0), &wide, nullptr));
    HiddenLayers hidden{{1, 0}};
    EXPECT_FALSE(r.HitTestPoint(Position(0.0, 0.0), &m_zero, &hidden));
    r.Deactivate();
    EXPECT_FALSE(r.HitTestPoint(Position(0.0, 0.0), &m_zero, nullptr));
}

TEST(CRectAngleBoxTest, BoxesOfOneSizeAndTurnRoundOtherCentresAreTheirCornersOwn)
{
    // Few sizes and turns, many centres: the box comes from kept reaches, and must be
    // bit for bit the box of the four corners worked out one by one.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-60000.0, 60000.0);
    const double sizes[][2] = {{60, 60}, {80, 40}, {0, 0}, {12.5, 90}, {1e-9, 3}};
    const double turns[] = {0.0, 0.3, PI * 0.5, 4.1, TWO_PI - 1e-12};
    for (int i = 0; i < 4000; ++i) {
        const auto& size = sizes[i % 5];
        const double turn = turns[(i / 5) % 5];
        const Position centre(coordinate(random), coordinate(random));
        const double h = std::sqrt(size[0] * size[0] + size[1] * size[1]) * 0.5;
        const double t = std::atan2(size[1], size[0]);
        std::vector<double> xs;
        std::vector<double> ys;
        for (double a : {t, PI - t, PI + t, TWO_PI - t}) {
            a += turn;
            NormalizeAngle(&a);
            const Position corner = centre.PolarOffset(h, a);
            xs.push_back(corner.x);
            ys.push_back(corner.y);
        }
        const BOX2D box = CRectAngle::BoxOf(centre, size[0], size[1], turn);
        ASSERT_EQ(box.x1, *std::min_element(xs.begin(), xs.end())) << i;
        ASSERT_EQ(box.y1, *std::min_element(ys.begin(), ys.end())) << i;
        ASSERT_EQ(box.x2, *std::max_element(xs.begin(), xs.end())) << i;
        ASSERT_EQ(box.y2, *std::max_element(ys.begin(), ys.end())) << i;
    }
}

TEST_F(CRectAngleTest, DrawsAFilledPathOfItsCornersInClientPixels)
{
    CRectAngle r = MakeRect(Position(100.0, 50.0), 40.0, 20.0);
    m_services.scroll = Point{5, 7};
    RecordingDrawContext dc;
    r.Deactivate(); // a temporary that is not live still draws
    r.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    std::set<std::pair<int, int>> corners;
    for (const auto& c : dc.calls)
        if (c.op == Op::MoveTo || c.op == Op::LineTo) {
            EXPECT_TRUE(c.inPath);
            corners.insert({c.points.at(0).x, c.points.at(0).y});
        }
    EXPECT_EQ(corners,
              (std::set<std::pair<int, int>>{{115, -47}, {115, -67}, {75, -67}, {75, -47}}));
    EXPECT_EQ(dc.Count(Op::MoveTo) + dc.Count(Op::LineTo), 4);
    ASSERT_EQ(dc.Count(Op::StrokeAndFillPath), 1);
    EXPECT_EQ(dc.Find(Op::StrokeAndFillPath)[0]->brush,
              (BrushSpec{BrushStyle::Solid, kLayerColour}));
    EXPECT_EQ(dc.SaveDepth(), 0);
    // A hidden layer never draws.
    dc.Clear();
    HiddenLayers hidden{{1, 0}};
    r.Draw(&dc, DM_NORMAL, Rect{}, &hidden);
    EXPECT_TRUE(dc.calls.empty());
}

TEST_F(CRectAngleTest, CopiesAndTheDocumentRecordKeepEveryAttribute)
{
    CRectAngle r = MakeRect(Position(3.0, 4.0), 40.0, 20.0, 1.1);
    r.SetColor(0x123456);
    const std::vector<std::uint8_t> bytes = Stored(&r);
    CArchive in(bytes);
    std::unique_ptr<CObject> read(in.ReadObject(RUNTIME_CLASS(CEntity)));
    EXPECT_TRUE(in.AtEnd());
    std::unique_ptr<CEntity> clone(r.Clone());
    CRectAngle copy(r);
    for (CObject* o :
         {read.get(), static_cast<CObject*>(clone.get()), static_cast<CObject*>(&copy)}) {
        ASSERT_NE(dynamic_cast<CRectAngle*>(o), nullptr);
        EXPECT_EQ(Stored(o), bytes);
    }
}

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
    ::testing::AssertionResult Pieces(const std::vector<std::pair<Position, Position>>& expected)
    {
        if (m_hatch.size() != expected.size())
            return ::testing::AssertionFailure() << m_hatch.size() << " pieces";
        for (std::size_t i = 0; i < expected.size(); ++i)
            if (!TrackAt(i) || !Near(TrackAt(i)->GetStart(), expected[i].first) ||
                !Near(TrackAt(i)->GetEnd(), expected[i].second))
                return ::testing::AssertionFailure() << "piece " << i << " differs";
        return ::testing::AssertionSuccess();
    }
    // Whether a group holds a border track between a and b, either way round.
    bool HasBorder(const Position& a, const Position& b) const
    {
        for (const auto& group : m_groups)
            for (const CLine* t : group)
                if ((Near(t->GetStart(), a) && Near(t->GetEnd(), b)) ||
                    (Near(t->GetStart(), b) && Near(t->GetEnd(), a)))
                    return true;
        return false;
    }

    CRectAngle m_rect = MakeRect(Position(0.0, 0.0), 80.0, 40.0);
    std::vector<CEntity*> m_hatch;
    TrackGroups m_groups;
};

TEST_F(HatchClipTest, CrossingTracksAreCutAtTheGrownBorderOnce)
{
    AddTrack(Position(-100.0, 0.0), Position(100.0, 0.0));
    AddTrack(Position(0.0, 0.0), Position(0.0, 100.0));  // one end inside
    AddTrack(Position(0.0, -100.0), Position(0.0, 0.0)); // the other end inside
    m_rect.ClipHatchTracks(12.0, m_hatch, nullptr);
    // An end inside leaves a zero-length piece on the border.
    const std::vector<std::pair<Position, Position>> cut = {
        {{-100, 0}, {-45, 0}}, {{0, 25}, {0, 25}},  {{0, -100}, {0, -25}},
        {{45, 0}, {100, 0}},   {{0, 25}, {0, 100}}, {{0, -25}, {0, -25}}};
    EXPECT_TRUE(Pieces(cut));
    EXPECT_TRUE(TrackAt(3)->IsActive() && TrackAt(3)->GetLineWidth() == 8.0);
    EXPECT_EQ(TrackAt(3)->GetLayer(), 3);
    // Pieces ending on the border are not cut there again.
    m_rect.ClipHatchTracks(12.0, m_hatch, nullptr);
    EXPECT_TRUE(Pieces(cut));
}

TEST_F(HatchClipTest, TurnedRectangleCutsAlongItsOwnSides)
{
    m_rect.SetAngle(PI * 0.5); // now x -25..25 and y -45..45
    AddTrack(Position(-100.0, 0.0), Position(100.0, 0.0));
    m_rect.ClipHatchTracks(12.0, m_hatch, nullptr);
    EXPECT_TRUE(Pieces({{{-100, 0}, {-25, 0}}, {{25, 0}, {100, 0}}}));
}

TEST_F(HatchClipTest, GroupsHoldTheCrossedSidesSnappedToCornersWithinTheGrid)
{
    for (double x : {-40.0, 0.0, 40.0})
        AddTrack(Position(x, -100.0), Position(x, 100.0));
    m_rect.ClipHatchTracks(12.0, m_hatch, &m_groups);
    ASSERT_EQ(m_hatch.size(), 6u);
    // One group: the top and bottom sides, whose outer crossings (5 mils from the
    // corners) are pulled onto the corners. The left and right sides were not crossed.
    ASSERT_EQ(m_groups.size(), 1u);
    ASSERT_EQ(m_groups[0].size(), 2u);
    EXPECT_TRUE(HasBorder(Position(-45.0, 25.0), Position(45.0, 25.0)));
    EXPECT_TRUE(HasBorder(Position(-45.0, -25.0), Position(45.0, -25.0)));
    // Each border track runs the same way as its side.
    std::vector<CLine*> sides;
    CRectAngle grown(m_rect);
    grown.Inflate(10.0, 10.0);
    grown.GetEdges(sides);
    for (const CLine* t : m_groups[0]) {
        bool sameWay = false;
        for (const CLine* side : sides)
            sameWay |= Near(t->GetStart(), side->GetStart()) && Near(t->GetEnd(), side->GetEnd());
        EXPECT_TRUE(sameWay);
    }
    for (CLine* s : sides)
        delete s;
}

TEST_F(HatchClipTest, CrossingsFartherThanTheGridStayAndThePourHandsOverItsOwn)
{
    for (double x : {-40.0, 0.0, 40.0})
        AddTrack(Position(x, -100.0), Position(x, 100.0));
    m_rect.ClipHatchTracks(3.0, m_hatch, &m_groups);
    EXPECT_TRUE(HasBorder(Position(-40.0, 25.0), Position(40.0, 25.0)));
    EXPECT_TRUE(HasBorder(Position(-40.0, -25.0), Position(40.0, -25.0)));

    CPolygon pour;
    std::vector<CEntity*>& list = pour.GetHatchList();
    for (double x : {-40.0, 40.0})
        list.push_back(new CLine(Position(x, -100.0), Position(x, 100.0)));
    ASSERT_GE(pour.GetHatchParam(), 5.0);
    for (auto& group : m_groups)
        for (CLine* t : group)
            delete t;
    m_groups.clear();
    m_rect.ClipHatch(&pour, &m_groups);
    EXPECT_EQ(list.size(), 4u); // the pieces went into the pour's own list; free them here
    m_hatch.insert(m_hatch.end(), list.begin(), list.end());
    list.clear();
    EXPECT_TRUE(HasBorder(Position(-45.0, 25.0), Position(45.0, 25.0)));
}

} // namespace
