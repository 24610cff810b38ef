#include "model/CArc.h"
#include "support/FakeBoardServices.h"

#include "model/BoardServices.h"
#include "model/CLine.h"
#include "model/Constants.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace
{

using Op = RecordingDrawContext::Op;
const int kNoRepaint = 0;

double Rad(double degrees)
{
    return degrees * PI / 180.0;
}

// Angular distance between two directions, whatever turn they are given in.
double AngleGap(double a, double b)
{
    const double d = std::fmod(std::fabs(a - b), TWO_PI);
    return std::min(d, TWO_PI - d);
}

void ExpectNear(const Position& expected, const Position& actual, double tol = 1e-9)
{
    EXPECT_NEAR(expected.x, actual.x, tol);
    EXPECT_NEAR(expected.y, actual.y, tol);
}

// An arc given in degrees, with width and layer.
std::unique_ptr<CArc> Arc(Position c, double r, double startDeg, double endDeg, double width = 10.0,
                          int layer = 0)
{
    auto arc = std::make_unique<CArc>(c, r, Rad(startDeg), Rad(endDeg));
    arc->SetLineWidth(&width);
    arc->SetLayer(layer);
    return arc;
}

class CArcTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        BoardServices::Install(&board);
        UiServices::Install(&ui);
    }
    FakeBoardServices board;
    FakeUiServices ui;
};

TEST_F(CArcTest, NewArcsTakeThePrototypeGeometricOnesDoNotAndAnglesStayInOneTurn)
{
    const double width = 25.0;
    thePrototypeArc.SetLineWidth(&width);
    CArc fresh;
    CArc through(std::vector<Position>{Position(1, 0), Position(0, 1), Position(-1, 0)});
    ExpectNear(Position(-1000000.0, -1000000.0), fresh.GetPosition(), 0.0); // not placed yet
    EXPECT_TRUE(fresh.GetLineWidth() == 25.0 && through.GetLineWidth() == 25.0);

    CArc plain(Position(5, 6), 30.0, -PI * 0.5, TWO_PI);
    EXPECT_NEAR(PI * 1.5, plain.GetStartAngle(), 1e-12);
    EXPECT_EQ(0.0, plain.GetEndAngle());
    plain.SetAngles(7.0 * PI, std::numeric_limits<double>::quiet_NaN());
    EXPECT_NEAR(PI, plain.GetStartAngle(), 1e-9);
    EXPECT_EQ(0.0, plain.GetEndAngle());
}

TEST_F(CArcTest, CopiesNeverShareTheGuide)
{
    auto arc = Arc(Position(10, 20), 30.0, 45.0, 135.0, 8.0, 4);
    arc->SetAttachedEntity(new CArc(Position(1, 1), 2.0, 0.0, 1.0), &kNoRepaint);
    std::unique_ptr<CEntity> clone(arc->Clone());
    auto* copy = dynamic_cast<CArc*>(clone.get());
    ASSERT_NE(nullptr, copy);
    CArc constructed(*arc);
    for (CArc* other : {copy, &constructed}) {
        ASSERT_NE(nullptr, other->GetAttachedEntity());
        EXPECT_NE(arc->GetAttachedEntity(), other->GetAttachedEntity());
    }
    arc.reset(); // the sanitizers see any guide freed twice
    EXPECT_EQ(2.0, static_cast<CArc*>(constructed.GetAttachedEntity())->GetRadius());

    auto* first = new CArc(Position(), 1.0, 0.0, 1.0);
    constructed.SetAttachedEntity(first, &kNoRepaint);
    constructed.SetAttachedEntity(first, &kNoRepaint); // the same guide again stays alive
    EXPECT_EQ(1.0, first->GetRadius());
}

TEST_F(CArcTest, ThreePointsPassThroughTheMiddleCounterClockwiseInEitherOrder)
{
    const Position c(-37.5, 12.25);
    const double r = 63.0;
    const double sets[][3] = {{0, 90, 180},   {180, 90, 0},   {300, 10, 60}, {60, 10, 300},
                              {20, 170, 250}, {250, 170, 20}, {359, 0.5, 1}};
    for (const auto& deg : sets) {
        SCOPED_TRACE(testing::Message() << deg[0] << " " << deg[1] << " " << deg[2]);
        const Position a = c.PolarOffset(r, Rad(deg[0]));
        const Position mid = c.PolarOffset(r, Rad(deg[1]));
        const Position b = c.PolarOffset(r, Rad(deg[2]));
        CArc arc(std::vector<Position>{a, mid, b});
        ExpectNear(c, arc.GetPosition(), 1e-6);
        EXPECT_NEAR(r, arc.GetRadius(), 1e-6);
        // The middle point lies on the sweep; the ends are the outer points, swapped
        // when they turned clockwise.
        const double sweep = std::fmod(arc.GetEndAngle() - arc.GetStartAngle() + TWO_PI, TWO_PI);
        EXPECT_LT(std::fmod(c.AngleTo(mid) - arc.GetStartAngle() + TWO_PI, TWO_PI), sweep);
        const bool clockwise = (mid - a).x * (b - a).y - (mid - a).y * (b - a).x < 0.0;
        ExpectNear(clockwise ? b : a, arc.GetStartPoint(), 1e-4);
        ExpectNear(clockwise ? a : b, arc.GetEndPoint(), 1e-4);
    }
}

TEST_F(CArcTest, DegenerateThreePointsGiveAFiniteZeroRadiusArcAtTheMiddlePoint)
{
    const Position cases[][3] = {{{0, 0}, {5, 0}, {10, 0}},        // collinear
                                 {{0, 0}, {10, 10}, {5, 5}},       // collinear, middle outside
                                 {{3, 4}, {3, 4}, {3, 4}},         // coincident
                                 {{3, 4}, {8, 1}, {3, 4}},         // ends coincide
                                 {{0, 0}, {1e-9, 1e-30}, {1, 0}}}; // nearly collinear
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << k[1].x << "," << k[1].y);
        CArc arc(Position(7, 7), 5.0, 1.0, 2.0);
        EXPECT_FALSE(arc.Through(k[0], k[1], k[2]));
        ExpectNear(k[1], arc.GetPosition(), 0.0);
        EXPECT_TRUE(arc.GetRadius() == 0.0 && arc.GetStartAngle() == 0.0 &&
                    arc.GetEndAngle() == PI);
        BOX2D box;
        ASSERT_EQ(1, arc.GetBox(&box));
        EXPECT_TRUE(std::isfinite(box.x1 + box.y1 + box.x2 + box.y2));
    }
    // Too few points: the point on the arc, or the only one.
    ExpectNear(Position(8, 9), CArc({Position(4, 5), Position(8, 9)}).GetPosition(), 0.0);
    EXPECT_EQ(0.0, CArc(std::vector<Position>{}).GetRadius());
}

TEST_F(CArcTest, HitTestsEndPointsSnappingAndBox)
{
    const Position c(100, 100);
    auto arc = Arc(c, 50.0, 350.0, 10.0, 4.0, 6);
    const double tol = 1.0;
    const struct {
        double d, deg;
        const double* tolerance;
        bool hit;
    } cases[] = {// The window is the span widened by asin(0.05) at each end, across the wrap.
                 {50, 359, &tol, true},
                 {50, 12.8, &tol, true},
                 {50, 347.2, &tol, true},
                 {50, 13, &tol, false},
                 {50, 347, &tol, false},
                 {50, 180, &tol, false},
                 // Radially: tolerance plus width on each side; no tolerance counts as none.
                 {54.9, 0, &tol, true},
                 {44.9, 0, &tol, false},
                 {55.1, 0, &tol, false},
                 {53.9, 0, nullptr, true},
                 {54.1, 0, nullptr, false}};
    for (const auto& h : cases)
        EXPECT_EQ(h.hit,
                  bool(arc->HitTestPoint(c.PolarOffset(h.d, Rad(h.deg)), h.tolerance, nullptr)))
            << h.d << " at " << h.deg << (h.tolerance ? "" : " without tolerance");
    const HiddenLayers hidden{{6, 1}};
    EXPECT_FALSE(arc->HitTestPoint(c.PolarOffset(50, 0.0), &tol, &hidden));
    EXPECT_EQ(3, arc->HitEndPoint(arc->GetEndPoint() + Position(0, -2.9)));
    EXPECT_EQ(-1, arc->HitEndPoint(arc->GetEndPoint() + Position(0, -3.0)));

    // A third of the span at each end snaps to that end, the rest to the centre; the
    // span may wrap through zero.
    auto wrap = Arc(c, 100.0, 300.0, 60.0);
    ExpectNear(wrap->GetStartPoint(), wrap->GetSnapPoint(c.PolarOffset(100, Rad(270))));
    ExpectNear(wrap->GetEndPoint(), wrap->GetSnapPoint(c.PolarOffset(100, Rad(40))));
    ExpectNear(c, wrap->GetSnapPoint(c.PolarOffset(100, Rad(350))));
    // The box is the whole circle; a guide widens it, but not the screen rectangle.
    wrap->SetAttachedEntity(new CArc(Position(500, 0), 10.0, 0.0, 1.0), &kNoRepaint);
    BOX2D box;
    ASSERT_EQ(1, wrap->GetBox(&box));
    EXPECT_DOUBLE_EQ(520.0, box.x2);
    EXPECT_EQ(BOX2D(-10, -10, 210, 210).ToDeviceRect(), wrap->GetScreenRect());
}

TEST_F(CArcTest, OffsetCopiesAreConcentricOutsideInsideOrNone)
{
    const Position c(0, 0);
    auto arc = Arc(c, 100.0, 0.0, 90.0, 6.0, 3);
    auto radiusOf = [&](Position side, double distance) {
        std::unique_ptr<CEntity> copy(arc->CreateOffset(side, &distance));
        auto* a = dynamic_cast<CArc*>(copy.get());
        if (!a)
            return -1.0;
        EXPECT_TRUE(a->GetStartAngle() == arc->GetStartAngle() && a->GetLayer() == 3);
        EXPECT_DOUBLE_EQ(a->GetRadius() + 6.0, a->GetCachedBox().x2);
        return a->GetRadius();
    };
    EXPECT_DOUBLE_EQ(130.0, radiusOf(c.PolarOffset(200, Rad(45)), 30));
    EXPECT_DOUBLE_EQ(70.0, radiusOf(c.PolarOffset(50, Rad(45)), 30));
    EXPECT_DOUBLE_EQ(70.0, radiusOf(c.PolarOffset(200, Rad(200)), 30)); // outside, off the span
    EXPECT_EQ(-1.0, radiusOf(c.PolarOffset(50, Rad(45)), 100.0));       // inside by the radius
}

// The board's pi leaves rotations and mirrors a few millionths off.
TEST_F(CArcTest, TransformsFollowOnThePrototypeExceptFromItselfOrAComponent)
{
    thePrototypeArc.SetGeometry(Position(100, 0), 10.0, 0.0, Rad(90));
    auto arc = Arc(Position(100, 0), 10.0, 0.0, 90.0);
    arc->Rotate(Position(50, 0), PI * 0.5);
    for (CArc* a : {arc.get(), &thePrototypeArc}) {
        ExpectNear(Position(50, 50), a->GetPosition(), 1e-4);
        EXPECT_NEAR(PI * 0.5, a->GetStartAngle(), 1e-9);
        EXPECT_NEAR(PI, a->GetEndAngle(), 1e-9);
    }
    thePrototypeArc.Rotate(Position(50, 50), Rad(30)); // turns once, no echo
    EXPECT_NEAR(Rad(120), thePrototypeArc.GetStartAngle(), 1e-9);
    auto part = Arc(Position(0, 0), 10.0, 0.0, 90.0);
    part->SetComponentPart(1);
    part->Rotate(Position(0, 0), PI * 0.5);
    part->MirrorY(Position(0, 0));
    EXPECT_NEAR(Rad(120), thePrototypeArc.GetStartAngle(), 1e-9);

    // Mirrors swap the ends, so that the arc still runs counter-clockwise.
    auto flat = Arc(Position(0, 10), 10.0, 30.0, 120.0);
    const Position s = flat->GetStartPoint();
    flat->MirrorY(Position(0, -5));
    ExpectNear(Position(0, -20), flat->GetPosition(), 1e-4);
    ExpectNear(Position(s.x, -10 - s.y), flat->GetEndPoint(), 1e-4);
    EXPECT_NEAR(Rad(240), flat->GetStartAngle(), 1e-6);
    // Without extent there are no end points to take directions from.
    CArc dot(Position(0, 0), 0.0, 0.0, PI * 0.5);
    dot.MirrorX(Position(0, 0));
    EXPECT_NEAR(PI * 0.5, dot.GetStartAngle(), 1e-9);
    EXPECT_NEAR(PI, dot.GetEndAngle(), 1e-9);
}

TEST_F(CArcTest, PropertyDialogUpdatesArcAndBothPrototypes)
{
    auto arc = Arc(Position(10, 20), 30.0, 0.0, 90.0, 6.0, 2);
    ui.Expect<ArcProperties>(true, [](ArcProperties& v) {
        v.centre = Position(200, 300);
        v.startAngle = -PI * 0.5;
        v.endAngle = PI;
        v.width = 12.0;
        v.layer = 5;
        v.radius = 40.0;
    });
    EXPECT_EQ(1, arc->EditProperties(0, Position(0, 0)));
    EXPECT_NEAR(PI * 0.5, ui.Received<ArcProperties>().at(0).endAngle,
                1e-12); // radians: the dialog shows degrees
    ExpectNear(Position(200, 300), arc->GetPosition());
    EXPECT_NEAR(PI * 1.5, arc->GetStartAngle(), 1e-12);
    EXPECT_TRUE(arc->GetRadius() == 40.0 && arc->IsActive());
    EXPECT_EQ(40.0, thePrototypeArc.GetRadius());
    for (CEntity* proto : std::initializer_list<CEntity*>{&thePrototypeArc, &theDefaultLine})
        EXPECT_TRUE(proto->GetLineWidth() == 12.0 && proto->GetLayer() == 5);
}

TEST_F(CArcTest, DrawingInEveryMode)
{
    board.originPixel = Point{500, 500};
    board.scroll = Point{10, 20};
    const COLORREF colour = MakeRGB(1, 2, 3);
    board.layerColors[2] = colour;
    // The client-pixel box of a circle about (100, 50), without the device margin.
    auto circle = [](double r) {
        const Rect d = BOX2D(100 - r, 50 - r, 100 + r, 50 + r).ToDeviceRect();
        return Rect{d.left + 3, d.top + 3, d.right - 3, d.bottom - 3};
    };
    auto arc = Arc(Position(100, 50), 40.0, 0.0, 90.0, 6.0, 2);
    RecordingDrawContext dc;
    arc->Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    ASSERT_EQ(1, dc.DrawingCount());
    const auto* drawn = dc.Find(Op::Arc).at(0);
    EXPECT_EQ((Rect{550, 390, 630, 470}), drawn->rect);
    EXPECT_EQ((Point{630, 430}), drawn->points[0]); // start, at 0 degrees
    EXPECT_EQ((Point{590, 390}), drawn->points[1]); // end, at 90 degrees
    EXPECT_EQ((PenSpec{PenStyle::Solid, 6, colour}), drawn->pen);
    EXPECT_EQ(0, dc.SaveDepth());

    // Outline: both edges and two end caps, the start cap from the inner edge outwards.
    dc.Clear();
    arc->Draw(&dc, DM_OUTLINE, Rect{}, nullptr);
    const auto arcs = dc.Find(Op::Arc);
    ASSERT_EQ(4u, arcs.size());
    EXPECT_EQ(circle(37.0), arcs[0]->rect);
    EXPECT_EQ(circle(43.0), arcs[1]->rect);
    EXPECT_EQ(Position(137, 50).ToClient(), arcs[2]->points[0]);
    EXPECT_EQ((PenSpec{PenStyle::Solid, 1, colour}), arcs[3]->pen);

    // Mode 7 draws with the caller's pen and saves nothing; hidden or dead draws nothing.
    const PenSpec pen{PenStyle::Dash, 3, MakeRGB(9, 9, 9)};
    dc.SetPen(pen);
    dc.Clear();
    arc->Draw(&dc, DM_NONE, Rect{}, nullptr);
    EXPECT_EQ(dc.Count(Op::SetPen) + dc.Count(Op::SaveState), 0);
    EXPECT_EQ(pen, dc.Find(Op::Arc).at(0)->pen);
    const HiddenLayers hidden{{2, 1}};
    dc.Clear();
    arc->Draw(&dc, DM_NORMAL, Rect{}, &hidden);
    arc->Deactivate();
    arc->Draw(&dc, DM_OUTLINE, Rect{}, nullptr);
    EXPECT_TRUE(dc.calls.empty());
}

void PutF64(std::vector<std::uint8_t>& bytes, std::size_t at, double v)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i)
        bytes[at + i] = std::uint8_t(bits >> (8 * i));
}

TEST_F(CArcTest, DocumentRecordEndsWithRadiusAndAnglesAndRefusesNonFiniteOnes)
{
    auto arc = Arc(Position(12.5, -7.25), 33.3, 350.0, 10.0, 7.5, 16);
    CArchive out;
    out.WriteObject(arc.get());
    const std::vector<std::uint8_t> good = out.TakeBytes();
    std::vector<std::uint8_t> bytes = good;
    // Changing the last three reals changes the arc; loaded angles come into one turn.
    PutF64(bytes, bytes.size() - 24, 44.4);
    PutF64(bytes, bytes.size() - 16, -PI * 0.5);
    PutF64(bytes, bytes.size() - 8, TWO_PI);
    CArchive in(bytes);
    std::unique_ptr<CArc> back(dynamic_cast<CArc*>(in.ReadObject(RUNTIME_CLASS(CArc))));
    ASSERT_NE(nullptr, back);
    EXPECT_TRUE(in.AtEnd());
    ExpectNear(Position(12.5, -7.25), back->GetPosition(), 0.0);
    EXPECT_TRUE(back->GetRadius() == 44.4 && back->GetEndAngle() == 0.0);
    EXPECT_NEAR(PI * 1.5, back->GetStartAngle(), 1e-12);
    EXPECT_TRUE(back->GetLineWidth() == 7.5 && back->GetLayer() == 16);

    for (std::size_t at = bytes.size() - 24; at < bytes.size(); at += 8) {
        for (double v :
             {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()}) {
            bytes = good;
            PutF64(bytes, at, v);
            CArchive bad(bytes);
            try {
                delete bad.ReadObject(RUNTIME_CLASS(CArc));
                ADD_FAILURE() << "accepted " << v << " at " << at;
            } catch (const CArchiveException& e) {
                EXPECT_EQ(CArchiveException::generic, e.m_cause);
            }
        }
    }
}

TEST_F(CArcTest, LibraryRecordIsWrittenByteForByteInPlace)
{
    auto arc = Arc(Position(12.5, -3.25), 25.4, 90.0, 180.0, 10.0, 4);
    std::vector<BYTE> buf(64, 0xAA);
    int offset = 16;
    ASSERT_EQ(1, arc->WriteLibraryRecord(buf.data(), &offset));
    EXPECT_EQ(48, offset);
    const std::vector<BYTE> record = {
        1,    0,    5,    0,             // kind 1, layer 4 + 1
        0x48, 0xE8, 0x01, 0x00,          // 12.5 -> 125000
        0x0C, 0x81, 0xFF, 0xFF,          // -3.25 -> -32500
        0x30, 0xE0, 0x03, 0x00,          // 25.4 -> 254000
        0x87, 0,    0,    0,    0, 0x34, // 90 = 1.40625 x 2^6: exponent 6 + 129
        0x88, 0,    0,    0,    0, 0x34, // 180
        0xA0, 0x86, 0x01, 0x00};         // width 10 -> 100000
    EXPECT_EQ(record, std::vector<BYTE>(buf.begin() + 16, buf.begin() + 48));
    EXPECT_EQ(32, std::count(buf.begin(), buf.end(), 0xAA));
    EXPECT_EQ(0, arc->WriteLibraryRecord(nullptr, &offset));
    EXPECT_EQ(48, offset);

    // Far below the smallest 6-byte real: the record is still written, reading back 0.
    arc->SetAngles(1e-300, 1.0);
    offset = 0;
    EXPECT_EQ(1, arc->WriteLibraryRecord(buf.data(), &offset));
    CArc back(Position(5, 5), 1.0, 1.0, 2.0);
    ASSERT_EQ(1, back.ReadFromLibraryRecord(buf.data(), 32));
    EXPECT_EQ(0.0, back.GetStartAngle());
    EXPECT_NEAR(1.0, back.GetEndAngle(), 0.001 * PI / 180);
}

TEST_F(CArcTest, LibraryRecordRoundTripKeepsAnglesToAThousandthOfADegree)
{
    const double angles[][2] = {{123.4567, 271.0001}, {350.0, 10.0}, {0.0, 359.9999}};
    for (const auto& deg : angles) {
        SCOPED_TRACE(testing::Message() << deg[0] << " " << deg[1]);
        auto arc = Arc(Position(-1234.5678, 99.0001), 76.54321, deg[0], deg[1], 12.3456, 15);
        BYTE buf[32] = {};
        int offset = 0;
        ASSERT_EQ(1, arc->WriteLibraryRecord(buf, &offset));
        CArc back(Position(5, 5), 1.0, 1.0, 2.0);
        ASSERT_EQ(1, back.ReadFromLibraryRecord(buf, 32));
        ExpectNear(arc->GetPosition(), back.GetPosition(), 1e-4);
        EXPECT_NEAR(76.54321, back.GetRadius(), 1e-4);
        EXPECT_LE(AngleGap(arc->GetStartAngle(), back.GetStartAngle()), Rad(0.001));
        EXPECT_LE(AngleGap(arc->GetEndAngle(), back.GetEndAngle()), Rad(0.001));
        EXPECT_LT(back.GetEndAngle(), TWO_PI); // 360.000 comes back as 0
    }
    // The reader resets first and refuses short records.
    auto arc = Arc(Position(5, 5), 20.0, 10.0, 20.0, 3.0, 7);
    BYTE rec[32] = {};
    EXPECT_EQ(0, arc->ReadFromLibraryRecord(rec, 31));
    EXPECT_TRUE(arc->GetRadius() == 0.0 && arc->GetLineWidth() == 10.0);
}

TEST_F(CArcTest, ProtelRecords)
{
    auto arc = Arc(Position(1, 2), 25.4, 90.0, 180.0, 10.0, 0);
    std::map<int, int> counts{{ET_ARC, 0}, {ET_LINE, 0}};
    std::string out = "leftover";
    arc->ExportText(out, counts);
    EXPECT_EQ("FA\n0 0 1000 2000 25400 90.000 180.000 10000 1 0 0\n 0 1\n", out);
    EXPECT_EQ((std::map<int, int>{{ET_ARC, 1}, {ET_LINE, 0}}), counts);
    auto part = Arc(Position(-0.25, 0), 10.0, 350.0, 10.0, 8.0, 15);
    part->SetComponentPart(1);
    part->ExportText(out, counts);
    EXPECT_EQ("CA\n0 0 -249 0 10000 350.000 10.000 8000 16 0 0\n 0 1\n", out);
}

} // namespace
