#include "model/CRound.h"
#include "support/FakeBoardServices.h"

#include "model/BoardServices.h"
#include "model/Constants.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace
{

using Op = RecordingDrawContext::Op;
using PointSet = std::set<std::pair<int, int>>;
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

    static PointSet Points(const RecordingDrawContext& dc, Op op, bool inPath)
    {
        PointSet out;
        for (const auto* call : dc.Find(op))
            if (call->inPath == inPath)
                out.insert({call->points.at(0).x, call->points.at(0).y});
        return out;
    }
    static void ExpectBox(CRound& r, double x1, double y1, double x2, double y2, double eps)
    {
        BOX2D b;
        ASSERT_EQ(r.GetBox(&b), 1);
        EXPECT_NEAR(b.x1, x1, eps);
        EXPECT_NEAR(b.y1, y1, eps);
        EXPECT_NEAR(b.x2, x2, eps);
        EXPECT_NEAR(b.y2, y2, eps);
    }

    FakeBoardServices m_services;
    const double m_zero = 0.0;
};

TEST_F(CRoundTest, BoxOfAnObroundIsOneShortSideLongerAndTurnsWithIt)
{
    CRound flat(Position(100.0, 50.0), 60.0, 20.0, 1);
    ExpectBox(flat, 60.0, 40.0, 140.0, 60.0, 1e-4);
    flat.SetAngle(PI * 0.5);
    ExpectBox(flat, 90.0, 10.0, 110.0, 90.0, 1e-4);

    // A zero size boxes the centre point, at any angle.
    for (auto [sx, sy] : {std::pair{0.0, 30.0}, std::pair{30.0, 0.0}, std::pair{0.0, 0.0}}) {
        CRound r(Position(5.0, -7.0), sx, sy, 1);
        r.SetAngle(1.0);
        ExpectBox(r, 5.0, -7.0, 5.0, -7.0, 0.0);
    }
}

TEST_F(CRoundTest, HitTests)
{
    const double tol = 2.0;
    const struct {
        const char* what;
        double sx, sy, angle;
        Position p;
        const double* tolerance;
        bool hit;
    } cases[] = {{"disc, box corner", 40, 40, 0, {19, 19}, &m_zero, false},
                 {"disc, just outside", 40, 40, 0, {21, 0}, &m_zero, false},
                 {"disc, within tolerance", 40, 40, 0, {21, 0}, &tol, true},
                 {"obround, cap", 60, 20, 0, {28, 0}, &m_zero, true},
                 {"obround, past the right tip", 60, 20, 0, {31, 0}, &tol, true},
                 {"obround, past the left tip", 60, 20, 0, {-31, 0}, &tol, true},
                 {"obround, above", 60, 20, 0, {0, 40}, &m_zero, false},
                 {"turned, along", 60, 20, PI * 0.5, {0, 25}, &m_zero, true},
                 {"turned, where it lay", 60, 20, PI * 0.5, {25, 0}, &m_zero, false},
                 {"zero size, centre", 0, 30, 0, {0, 0}, &m_zero, true},
                 {"no tolerance counts as none", 0, 30, 0, {90, 90}, nullptr, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CRound r(Position(0.0, 0.0), c.sx, c.sy, 1);
        r.SetAngle(c.angle);
        EXPECT_EQ(bool(r.HitTestPoint(c.p, c.tolerance, nullptr)), c.hit);
    }

    HiddenLayers hidden{{1, 0}};
    for (double sy : {40.0, 20.0}) {
        CRound r(Position(0.0, 0.0), 40.0, sy, 1);
        EXPECT_FALSE(r.HitTestPoint(Position(0.0, 0.0), &m_zero, &hidden)) << sy;
        r.Deactivate();
        EXPECT_FALSE(r.HitTestPoint(Position(0.0, 0.0), &m_zero, nullptr)) << sy;
    }
}

TEST_F(CRoundTest, DiscDrawsOneEllipseAndItsHighlightAtFullSize)
{
    CRound disc(Position(100.0, 50.0), 20.0, 20.0, 1);
    disc.ToggleSelect();
    RecordingDrawContext dc;
    disc.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    ASSERT_EQ(dc.DrawingCount(), 2);
    std::set<COLORREF> colours;
    for (const auto* e : dc.Find(Op::Ellipse)) {
        EXPECT_EQ(e->rect, (Rect{90, -60, 110, -40}));
        colours.insert(e->brush.color);
    }
    EXPECT_EQ(colours, (std::set<COLORREF>{kLayerColour, kHighlight}));
    EXPECT_EQ(dc.SaveDepth(), 0);
}

TEST_F(CRoundTest, ObroundCapsMeetItsSidesInAFilledOutline)
{
    // In a scrolled view and at any angle the caps end where the sides do.
    m_services.scroll = Point{5, 7};
    CRound r(Position(100.0, 50.0), 60.0, 20.0, 1);
    for (double angle : {0.0, PI * 0.5, 0.6}) {
        SCOPED_TRACE(angle);
        r.SetAngle(angle);
        RecordingDrawContext dc;
        r.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
        PointSet sideEnds = Points(dc, Op::MoveTo, true), capEnds;
        sideEnds.merge(Points(dc, Op::LineTo, true));
        for (const auto* arc : dc.Find(Op::Arc))
            for (const Point& p : arc->points)
                if (!arc->inPath)
                    capEnds.insert({p.x, p.y});
        ASSERT_EQ(sideEnds.size(), 4u);
        EXPECT_EQ(capEnds, sideEnds);
        ASSERT_EQ(dc.Count(Op::StrokeAndFillPath), 1);
        EXPECT_EQ(dc.Find(Op::StrokeAndFillPath)[0]->brush,
                  (BrushSpec{BrushStyle::Solid, kLayerColour}));
        EXPECT_EQ(dc.SaveDepth(), 0);
        if (angle != 0.0)
            continue;
        // The sides y = 60 and y = 40 between the cap centres x = 80 and 120, less the scroll.
        EXPECT_EQ(sideEnds, (PointSet{{115, -67}, {115, -47}, {75, -67}, {75, -47}}));
        EXPECT_EQ(Points(dc, Op::LineTo, true), (PointSet{{75, -67}, {75, -47}, {115, -47}}));
    }
}

// A context that takes every filled obround whole and keeps what it was given.
struct ObroundTaker : RecordingDrawContext {
    bool FilledObround(const Point (&sides)[4], const Rect (&caps)[2], COLORREF color) override
    {
        taken.push_back({sides[0], sides[1], sides[2], sides[3], caps[0], caps[1], color});
        return true;
    }
    std::vector<std::tuple<Point, Point, Point, Point, Rect, Rect, COLORREF>> taken;
};

// A track's or a stroke's body drawn along its own direction is the obround a CRound
// turned by the segment's angle draws: segments every way, of every length and width.
TEST_F(CRoundTest, ASegmentsBodyIsTheObroundTurnedAlongIt)
{
    m_services.scaleX = m_services.scaleY = 0.37;
    int same = 0;
    int cases = 0;
    for (int turn = 0; turn < 72; ++turn)
        for (const double length : {0.4, 3.0, 25.0, 180.0})
            for (const double width : {1.0, 8.0, 31.5}) {
                const double a = turn * 2.0 * PI / 72.0 + 0.013;
                const Position from(100.0 + 0.31 * turn, -40.0 + 0.17 * turn);
                const Position to = from + Position(length * std::cos(a), length * std::sin(a));
                ObroundTaker along;
                ASSERT_TRUE(
                    CRound::DrawFilledSegment(&along, DM_NORMAL, from, to, width, kLayerColour));
                CRound turned(from.MidPoint(to), from.Distance(to) + width, width, 1);
                turned.SetAngle(from.AngleTo(to));
                ObroundTaker round;
                turned.Draw(&round, DM_NORMAL, Rect{}, nullptr);
                ASSERT_EQ(along.taken.size(), 1u);
                ASSERT_EQ(round.taken.size(), 1u);
                ++cases;
                same += along.taken == round.taken ? 1 : 0;
            }
    // The angle's rounding may move a point that lies on a pixel's edge.
    EXPECT_GE(same, cases * 99 / 100);
    ObroundTaker none;
    EXPECT_FALSE(
        CRound::DrawFilledSegment(&none, DM_OUTLINE, Position(0, 0), Position(9, 0), 2, 5));
    EXPECT_FALSE(CRound::DrawFilledSegment(&none, DM_NORMAL, Position(3, 3), Position(3, 3), 2, 5));
    EXPECT_FALSE(CRound::DrawFilledSegment(&none, DM_NORMAL, Position(0, 0), Position(9, 0), 0, 5));
    EXPECT_TRUE(none.taken.empty());
}

TEST_F(CRoundTest, DrawingModes)
{
    // The obround's outline pen is solid, even in the dashed mode.
    CRound dashed(Position(0.0, 0.0), 60.0, 20.0, 1);
    RecordingDrawContext dc;
    dashed.Draw(&dc, DM_DASHED, Rect{}, nullptr);
    for (const auto* line : dc.Find(Op::LineTo))
        EXPECT_EQ(line->pen, (PenSpec{PenStyle::Solid, 1, kLayerColour}));

    // Mode 7 leaves the caller's brush and pen, and restores what it changed. Hidden or
    // not live: nothing.
    const BrushSpec callers{BrushStyle::Hollow, MakeRGB(1, 2, 3)};
    const PenSpec callersPen{PenStyle::Dash, 3, MakeRGB(4, 5, 6)};
    HiddenLayers hidden{{1, 0}};
    for (double sy : {20.0, 60.0}) {
        SCOPED_TRACE(sy);
        CRound r(Position(0.0, 0.0), 60.0, sy, 1);
        dc.SetBrush(callers);
        dc.SetPen(callersPen);
        dc.Clear();
        r.Draw(&dc, DM_NONE, Rect{}, nullptr);
        EXPECT_EQ(dc.Count(Op::SetBrush), 0);
        EXPECT_EQ(dc.calls.back().brush, callers);
        EXPECT_EQ(dc.SaveDepth(), 0);
        EXPECT_EQ(dc.GetPen(), callersPen);
        dc.Clear();
        r.Draw(&dc, DM_NORMAL, Rect{}, &hidden);
        r.Deactivate();
        r.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
        EXPECT_TRUE(dc.calls.empty());
    }
}

TEST_F(CRoundTest, ZeroSizeObroundDrawsFiniteCoordinates)
{
    for (auto [sx, sy] : {std::pair{0.0, 30.0}, std::pair{30.0, 0.0}}) {
        CRound r(Position(100.0, 50.0), sx, sy, 1);
        r.SetAngle(0.7);
        RecordingDrawContext dc;
        r.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
        ASSERT_GT(dc.DrawingCount(), 0);
        // A NaN coordinate would reach the screen as pixel 0 (or anywhere); every point
        // must stay within the shape's 30-mil reach of the centre (100, -50).
        for (const auto& call : dc.calls) {
            std::vector<Point> points = call.points;
            if (call.op == Op::Arc || call.op == Op::ArcTo)
                points.push_back(Point{call.rect.left, call.rect.top});
            for (const Point& p : points) {
                EXPECT_NEAR(p.x, 100, 16);
                EXPECT_NEAR(p.y, -50, 16);
            }
        }
    }
}

TEST_F(CRoundTest, CloneAndDocumentRecordKeepShapeAndPlace)
{
    CRound r(Position(12.5, -3.0), 60.0, 20.0, 5);
    r.SetAngle(0.5);
    CArchive out;
    out.WriteObject(&r);
    const std::vector<std::uint8_t> bytes = out.TakeBytes();
    CArchive in(bytes);
    std::unique_ptr<CObject> read(in.ReadObject(RUNTIME_CLASS(CEntity)));
    EXPECT_TRUE(in.AtEnd());
    std::unique_ptr<CEntity> clone(r.Clone());
    for (CObject* copy : {read.get(), static_cast<CObject*>(clone.get())}) {
        ASSERT_NE(dynamic_cast<CRound*>(copy), nullptr);
        CArchive again;
        again.WriteObject(copy);
        EXPECT_EQ(again.Bytes(), bytes);
    }
}

} // namespace
