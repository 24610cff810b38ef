#include "model/CArc.h"

#include "model/BoardServices.h"
#include "model/CLine.h"
#include "model/Constants.h"
#include "model/LibraryRecord.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

using Op = RecordingDrawContext::Op;

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

const int kNoRepaint = 0;
const int kRepaint = 1;

// ---------------------------------------------------------------------------------
// Construction, prototype, copies

TEST(CArcBasics, NewArcsTakeThePrototypeAndWaitUnplaced)
{
    const double width = 25.0;
    thePrototypeArc.SetLineWidth(&width);
    thePrototypeArc.SetLayer(3);

    CArc fresh;
    ExpectNear(Position(-1000000.0, -1000000.0), fresh.GetPosition(), 0.0);
    EXPECT_EQ(25.0, fresh.GetLineWidth());
    EXPECT_EQ(3, fresh.GetLayer());
    EXPECT_EQ(ET_ARC, fresh.GetType());

    // The geometry constructor ignores the prototype and keeps angles in [0, 2 pi).
    CArc plain(Position(5, 6), 30.0, -PI * 0.5, TWO_PI);
    EXPECT_EQ(10.0, plain.GetLineWidth());
    EXPECT_NEAR(PI * 1.5, plain.GetStartAngle(), 1e-12);
    EXPECT_EQ(0.0, plain.GetEndAngle());

    plain.SetAngles(7.0 * PI, std::numeric_limits<double>::quiet_NaN());
    EXPECT_NEAR(PI, plain.GetStartAngle(), 1e-9);
    EXPECT_EQ(0.0, plain.GetEndAngle());
}

TEST(CArcBasics, ResettingThePrototypeRestoresItsStartUpValues)
{
    const double width = 33.0;
    thePrototypeArc.SetLineWidth(&width);
    thePrototypeArc.SetLayer(7);
    thePrototypeArc.SetGeometry(Position(40, 50), 12.0, 1.0, 2.0);
    thePrototypeArc.Rotate(Position(0, 0), 0.5);
    thePrototypeArc.SetAttachedEntity(new CArc(Position(), 1.0, 0.0, 1.0), &kNoRepaint);

    thePrototypeArc.Reset();
    EXPECT_EQ(10.0, thePrototypeArc.GetLineWidth());
    EXPECT_EQ(0, thePrototypeArc.GetLayer());
    EXPECT_EQ(0.0, thePrototypeArc.GetRadius());
    EXPECT_EQ(0.0, thePrototypeArc.GetStartAngle() + thePrototypeArc.GetEndAngle());
    EXPECT_EQ(0.0, thePrototypeArc.GetRotation());
    ExpectNear(Position(0, 0), thePrototypeArc.GetPosition(), 0.0);
    EXPECT_EQ(nullptr, thePrototypeArc.GetAttachedEntity());
}

TEST(CArcBasics, CopiesNeverShareTheAttachedEntity)
{
    auto arc = Arc(Position(10, 20), 30.0, 45.0, 135.0, 8.0, 4);
    arc->SetAttachedEntity(new CArc(Position(1, 1), 2.0, 0.0, 1.0), &kNoRepaint);

    std::unique_ptr<CEntity> clone(arc->Clone());
    auto* copy = dynamic_cast<CArc*>(clone.get());
    ASSERT_NE(nullptr, copy);
    ExpectNear(Position(10, 20), copy->GetPosition(), 0.0);
    EXPECT_EQ(30.0, copy->GetRadius());
    EXPECT_EQ(arc->GetStartAngle(), copy->GetStartAngle());
    EXPECT_EQ(arc->GetEndAngle(), copy->GetEndAngle());
    EXPECT_EQ(8.0, copy->GetLineWidth());
    EXPECT_EQ(4, copy->GetLayer());

    CArc constructed(*arc);
    ExpectNear(Position(10, 20), constructed.GetPosition(), 0.0);
    for (CArc* other : {copy, &constructed}) {
        ASSERT_NE(nullptr, other->GetAttachedEntity());
        EXPECT_NE(arc->GetAttachedEntity(), other->GetAttachedEntity());
    }
    arc.reset(); // the sanitizers see any guide freed twice
    EXPECT_EQ(2.0, static_cast<CArc*>(constructed.GetAttachedEntity())->GetRadius());
}

TEST(CArcBasics, AttachedEntityIsReplacedAndRepaintedOnRequest)
{
    SimpleBoardServices board;
    BoardServices::Install(&board);
    CArc arc(Position(0, 0), 10.0, 0.0, 1.0);
    auto* first = new CArc(Position(), 1.0, 0.0, 1.0);
    arc.SetAttachedEntity(first, &kRepaint);
    EXPECT_EQ(2u, board.invalidated.size());
    arc.SetAttachedEntity(first, &kNoRepaint); // the same guide again stays alive
    EXPECT_EQ(first, arc.GetAttachedEntity());
    EXPECT_EQ(1.0, first->GetRadius());
    arc.SetAttachedEntity(new CArc(Position(), 2.0, 0.0, 1.0), &kNoRepaint);
    EXPECT_EQ(2u, board.invalidated.size());
}

// ---------------------------------------------------------------------------------
// The arc through three points

TEST(CArcThreePoints, PassesThroughTheMiddleCounterClockwiseInEitherOrder)
{
    const Position c(-37.5, 12.25);
    const double r = 63.0;
    const double sets[][3] = {{0, 90, 180}, {180, 90, 0}, {300, 10, 60}, {60, 10, 300},
                              {20, 170, 250}, {250, 170, 20}, {359, 0.5, 1}};
    for (const auto& deg : sets) {
        SCOPED_TRACE(testing::Message() << deg[0] << " " << deg[1] << " " << deg[2]);
        const Position a = c.PolarOffset(r, Rad(deg[0]));
        const Position mid = c.PolarOffset(r, Rad(deg[1]));
        const Position b = c.PolarOffset(r, Rad(deg[2]));
        CArc arc(std::vector<Position>{a, mid, b});
        ExpectNear(c, arc.GetPosition(), 1e-6);
        EXPECT_NEAR(r, arc.GetRadius(), 1e-6);

        // The middle point lies on the sweep from start to end.
        const double sweep = std::fmod(arc.GetEndAngle() - arc.GetStartAngle() + TWO_PI, TWO_PI);
        const double along = std::fmod(c.AngleTo(mid) - arc.GetStartAngle() + TWO_PI, TWO_PI);
        EXPECT_LT(along, sweep);
        // The ends are the outer points, swapped when they turned clockwise. Directions
        // use the board's pi, which leaves the ends a few millionths of a mil off.
        const bool clockwise = (mid - a).x * (b - a).y - (mid - a).y * (b - a).x < 0.0;
        ExpectNear(clockwise ? b : a, arc.GetStartPoint(), 1e-4);
        ExpectNear(clockwise ? a : b, arc.GetEndPoint(), 1e-4);
        EXPECT_LT(arc.GetStartAngle(), TWO_PI);
        EXPECT_LT(arc.GetEndAngle(), TWO_PI);
    }
}

TEST(CArcThreePoints, TakesThePrototypeAttributes)
{
    const double width = 14.0;
    thePrototypeArc.SetLineWidth(&width);
    thePrototypeArc.SetLayer(15);
    CArc arc(std::vector<Position>{Position(1, 0), Position(0, 1), Position(-1, 0)});
    EXPECT_EQ(14.0, arc.GetLineWidth());
    EXPECT_EQ(15, arc.GetLayer());
}

TEST(CArcThreePoints, DegeneratePointsGiveAFiniteZeroRadiusArcAtTheMiddlePoint)
{
    const Position cases[][3] = {
        {Position(0, 0), Position(5, 0), Position(10, 0)},       // collinear
        {Position(0, 0), Position(10, 10), Position(5, 5)},      // collinear, middle outside
        {Position(3, 4), Position(3, 4), Position(3, 4)},        // coincident
        {Position(3, 4), Position(8, 1), Position(3, 4)},        // ends coincide
        {Position(0, 0), Position(1e-9, 1e-30), Position(1, 0)}, // nearly collinear
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << k[1].x << "," << k[1].y);
        CArc arc(Position(7, 7), 5.0, 1.0, 2.0);
        EXPECT_FALSE(arc.Through(k[0], k[1], k[2]));
        ExpectNear(k[1], arc.GetPosition(), 0.0);
        EXPECT_EQ(0.0, arc.GetRadius());
        EXPECT_EQ(0.0, arc.GetStartAngle());
        EXPECT_EQ(PI, arc.GetEndAngle());
        BOX2D box;
        ASSERT_EQ(1, arc.GetBox(&box));
        EXPECT_TRUE(std::isfinite(box.x1 + box.y1 + box.x2 + box.y2));
    }
    // Too few points: the point on the arc, or the only one.
    CArc two(std::vector<Position>{Position(4, 5), Position(8, 9)});
    ExpectNear(Position(8, 9), two.GetPosition(), 0.0);
    CArc one(std::vector<Position>{Position(4, 5)});
    ExpectNear(Position(4, 5), one.GetPosition(), 0.0);
    CArc none(std::vector<Position>{});
    EXPECT_EQ(0.0, none.GetRadius() + none.GetPosition().x + none.GetPosition().y);
}

// ---------------------------------------------------------------------------------
// Hit tests and snapping

TEST(CArcHitTest, ArcThroughZeroIsHitInsideItsAngularWindowOnly)
{
    const Position c(100, 100);
    auto arc = Arc(c, 50.0, 350.0, 10.0, 4.0, 6);
    EXPECT_NEAR(6.1086, arc->GetStartAngle(), 1e-4);
    EXPECT_NEAR(0.1745, arc->GetEndAngle(), 1e-4);
    const double tol = 1.0;
    for (double deg : {0.0, 359.0, 12.8, 347.2})
        EXPECT_TRUE(arc->HitTestPoint(c.PolarOffset(50, Rad(deg)), &tol, nullptr)) << deg;
    for (double deg : {13.0, 347.0, 180.0})
        EXPECT_FALSE(arc->HitTestPoint(c.PolarOffset(50, Rad(deg)), &tol, nullptr)) << deg;

    // Radially: tolerance plus width on each side; no tolerance given counts as none.
    auto hit = [&](double d, const double* t) {
        return arc->HitTestPoint(c.PolarOffset(d, 0.0), t, nullptr);
    };
    EXPECT_TRUE(hit(54.9, &tol) && hit(45.1, &tol) && hit(53.9, nullptr) && hit(46.1, nullptr));
    EXPECT_FALSE(hit(55.1, &tol) || hit(44.9, &tol) || hit(54.1, nullptr) || hit(45.9, nullptr));

    const HiddenLayers hidden{{6, 1}};
    EXPECT_FALSE(arc->HitTestPoint(c.PolarOffset(50, 0.0), &tol, &hidden));
    arc->Deactivate();
    EXPECT_FALSE(arc->HitTestPoint(c.PolarOffset(50, 0.0), &tol, nullptr));
}

TEST(CArcHitTest, EndPointsAreCaughtWithinThreeMils)
{
    auto arc = Arc(Position(0, 0), 100.0, 0.0, 90.0);
    EXPECT_EQ(2, arc->HitEndPoint(arc->GetStartPoint() + Position(2.9, 0)));
    EXPECT_EQ(-1, arc->HitEndPoint(arc->GetStartPoint() + Position(3.0, 0)));
    EXPECT_EQ(3, arc->HitEndPoint(arc->GetEndPoint() + Position(0, -2.9)));
    // Both ends near: the start wins while it is within reach.
    auto tiny = Arc(Position(0, 0), 2.0, 0.0, 180.0);
    EXPECT_EQ(2, tiny->HitEndPoint(Position(-0.5, 0)));
    EXPECT_EQ(3, tiny->HitEndPoint(Position(-1.0, 0))); // 3.0 from the start, 1.0 from the end
}

TEST(CArcSnap, SnapsToTheNearEndOrTheCentreAcrossTheWrap)
{
    const Position c(0, 0);
    auto quarter = Arc(c, 100.0, 0.0, 90.0);
    ExpectNear(quarter->GetStartPoint(), quarter->GetSnapPoint(c.PolarOffset(100, Rad(5))));
    ExpectNear(quarter->GetEndPoint(), quarter->GetSnapPoint(c.PolarOffset(100, Rad(85))));
    ExpectNear(c, quarter->GetSnapPoint(c.PolarOffset(100, Rad(45))));
    ExpectNear(c, quarter->GetSnapPoint(c.PolarOffset(30, Rad(5)))); // nearer the centre

    auto wrap = Arc(c, 100.0, 300.0, 60.0); // a third of its span is 40 degrees
    ExpectNear(wrap->GetStartPoint(), wrap->GetSnapPoint(c.PolarOffset(100, Rad(320))));
    ExpectNear(wrap->GetStartPoint(), wrap->GetSnapPoint(c.PolarOffset(100, Rad(270))));
    ExpectNear(wrap->GetEndPoint(), wrap->GetSnapPoint(c.PolarOffset(100, Rad(40))));
    ExpectNear(c, wrap->GetSnapPoint(c.PolarOffset(100, Rad(350))));
    ExpectNear(c, wrap->GetSnapPoint(c.PolarOffset(100, Rad(10))));
}

// ---------------------------------------------------------------------------------
// Boxes, offsets, moves

TEST(CArcBox, QuarterArcBoxIsTheWholeCircleOfRadiusPlusWidth)
{
    SimpleBoardServices board;
    board.originPixel = Point{300, 300};
    BoardServices::Install(&board);
    auto arc = Arc(Position(10, 20), 50.0, 0.0, 90.0, 8.0, 2);
    BOX2D box;
    ASSERT_EQ(1, arc->GetBox(&box));
    EXPECT_EQ(BOX2D(-48, -38, 68, 78).ToDeviceRect(), arc->GetScreenRect());
    EXPECT_DOUBLE_EQ(-48.0, box.x1);
    EXPECT_DOUBLE_EQ(78.0, box.y2);
    EXPECT_DOUBLE_EQ(78.0, arc->GetCachedBox().y2);
    const HiddenLayers hidden{{2, 1}};
    EXPECT_EQ(0, arc->GetBox(&box, &hidden));
    EXPECT_EQ(0, arc->GetBox(nullptr));

    // A guide widens the box but not the screen rectangle.
    arc->SetAttachedEntity(new CArc(Position(500, 0), 10.0, 0.0, 1.0), &kNoRepaint);
    ASSERT_EQ(1, arc->GetBox(&box));
    EXPECT_DOUBLE_EQ(-48.0, box.x1);
    EXPECT_DOUBLE_EQ(520.0, box.x2);
    EXPECT_EQ(BOX2D(-48, -38, 68, 78).ToDeviceRect(), arc->GetScreenRect());
}

TEST(CArcOffset, ConcentricCopiesOutsideInsideOrNone)
{
    SimpleBoardServices board;
    BoardServices::Install(&board);
    const Position c(0, 0);
    auto arc = Arc(c, 100.0, 0.0, 90.0, 6.0, 3);
    const double d = 30.0;
    auto radiusOf = [&](Position side, double distance) {
        std::unique_ptr<CEntity> copy(arc->CreateOffset(side, &distance));
        auto* a = dynamic_cast<CArc*>(copy.get());
        if (a) {
            EXPECT_EQ(arc->GetStartAngle(), a->GetStartAngle());
            EXPECT_EQ(3, a->GetLayer());
            EXPECT_DOUBLE_EQ(a->GetRadius() + 6.0, a->GetCachedBox().x2);
        }
        return a ? a->GetRadius() : -1.0;
    };
    EXPECT_DOUBLE_EQ(130.0, radiusOf(c.PolarOffset(200, Rad(45)), d));
    EXPECT_DOUBLE_EQ(70.0, radiusOf(c.PolarOffset(50, Rad(45)), d));
    EXPECT_DOUBLE_EQ(70.0, radiusOf(c.PolarOffset(200, Rad(200)), d)); // outside, off the span
    EXPECT_EQ(-1.0, radiusOf(c.PolarOffset(50, Rad(45)), 100.0));     // inside by the radius
    EXPECT_TRUE(board.invalidated.empty());
}

TEST(CArcMove, MovesCarryTheCachedBoxAndRadiusChangesRepaintOnRequest)
{
    SimpleBoardServices board;
    BoardServices::Install(&board);
    auto arc = Arc(Position(0, 0), 10.0, 0.0, 90.0, 2.0);
    arc->SetPosition(Position(100, 50), 0);
    EXPECT_DOUBLE_EQ(88.0, arc->GetCachedBox().x1);
    int flag = 7;
    arc->Move(Position(5, 5), Position(15, 25), &flag);
    ExpectNear(Position(90, 30), arc->GetPosition(), 0.0);
    EXPECT_DOUBLE_EQ(42.0, arc->GetCachedBox().y2);
    EXPECT_EQ(7, flag);

    const double r = 20.0;
    arc->SetRadius(&r, &kNoRepaint);
    EXPECT_DOUBLE_EQ(112.0, arc->GetCachedBox().x2);
    EXPECT_TRUE(board.invalidated.empty());
    const double r2 = 40.0;
    arc->SetRadius(&r2, &kRepaint);
    ASSERT_EQ(2u, board.invalidated.size());
    EXPECT_EQ(BOX2D(68, 8, 112, 52).ToDeviceRect(), board.invalidated[0]);
    EXPECT_EQ(BOX2D(48, -12, 132, 72).ToDeviceRect(), board.invalidated[1]);
}

// ---------------------------------------------------------------------------------
// Rotation and mirrors (the board's pi leaves results a few millionths off)

TEST(CArcTransform, RotateFollowsOnThePrototypeExceptWhenItIsThePrototype)
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

    // A component's arc turns with its component, never the prototype.
    auto part = Arc(Position(0, 0), 10.0, 0.0, 90.0);
    part->SetComponentPart(1);
    part->Rotate(Position(0, 0), PI * 0.5);
    part->MirrorY(Position(0, 0));
    EXPECT_NEAR(Rad(120), thePrototypeArc.GetStartAngle(), 1e-9);

    auto wrap = Arc(Position(0, 0), 10.0, 270.0, 300.0);
    wrap->Rotate(Position(0, 0), PI * 0.5);
    EXPECT_LT(AngleGap(0.0, wrap->GetStartAngle()), 1e-9);
    EXPECT_LT(wrap->GetStartAngle(), TWO_PI);
    EXPECT_NEAR(Rad(30), wrap->GetEndAngle(), 1e-9);
}

TEST(CArcTransform, MirrorsSwapTheEndsAndFollowOnThePrototype)
{
    thePrototypeArc.SetGeometry(Position(0, 0), 10.0, 0.0, Rad(90));
    auto arc = Arc(Position(20, 30), 10.0, 0.0, 90.0);
    arc->MirrorX(Position(20, 0));
    ExpectNear(Position(20, 30), arc->GetPosition(), 1e-4);
    EXPECT_NEAR(PI * 0.5, arc->GetStartAngle(), 1e-6);
    EXPECT_NEAR(PI, arc->GetEndAngle(), 1e-6);
    ExpectNear(Position(40, 0), thePrototypeArc.GetPosition(), 1e-4);
    EXPECT_NEAR(PI * 0.5, thePrototypeArc.GetStartAngle(), 1e-6);

    auto flat = Arc(Position(0, 10), 10.0, 30.0, 120.0);
    const Position s = flat->GetStartPoint();
    flat->MirrorY(Position(0, -5));
    ExpectNear(Position(0, -20), flat->GetPosition(), 1e-4);
    ExpectNear(Position(s.x, -10 - s.y), flat->GetEndPoint(), 1e-4);
    EXPECT_NEAR(Rad(240), flat->GetStartAngle(), 1e-6);
    ExpectNear(Position(40, -10), thePrototypeArc.GetPosition(), 1e-4);
    EXPECT_NEAR(PI, thePrototypeArc.GetStartAngle(), 1e-6);
    EXPECT_NEAR(PI * 1.5, thePrototypeArc.GetEndAngle(), 1e-6);

    thePrototypeArc.MirrorY(Position(0, 0)); // once, no echo
    ExpectNear(Position(40, 10), thePrototypeArc.GetPosition(), 1e-4);
    EXPECT_NEAR(PI * 0.5, thePrototypeArc.GetStartAngle(), 1e-6);
    EXPECT_NEAR(PI, thePrototypeArc.GetEndAngle(), 1e-6);

    // Without extent there are no end points to take directions from.
    CArc dot(Position(0, 0), 0.0, 0.0, PI * 0.5);
    dot.MirrorX(Position(0, 0));
    EXPECT_NEAR(PI * 0.5, dot.GetStartAngle(), 1e-9);
    EXPECT_NEAR(PI, dot.GetEndAngle(), 1e-9);
}

// ---------------------------------------------------------------------------------
// Property undo and the property dialog

TEST(CArcUndo, UndoAndRedoRestoreRadiusAndAngles)
{
    auto arc = Arc(Position(0, 0), 10.0, 0.0, 90.0, 5.0);
    arc->PushUndoState(arc.get());
    const double r = 25.0;
    arc->SetRadius(&r, &kNoRepaint);
    arc->SetAngles(Rad(45), Rad(135));

    arc->UndoState();
    EXPECT_EQ(10.0, arc->GetRadius());
    EXPECT_NEAR(PI * 0.5, arc->GetEndAngle(), 1e-12);
    arc->RedoState();
    EXPECT_EQ(25.0, arc->GetRadius());
    EXPECT_NEAR(Rad(45), arc->GetStartAngle(), 1e-12);
}

class CArcEdit : public ::testing::Test {
protected:
    void SetUp() override
    {
        BoardServices::Install(&board);
        UiServices::Install(&ui);
    }
    void TearDown() override { UiServices::Install(nullptr); }
    SimpleBoardServices board;
    FakeUiServices ui;
};

TEST_F(CArcEdit, ConfirmedDialogUpdatesTheArcAndBothPrototypes)
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

    ASSERT_EQ(1u, ui.arcDialogs.size());
    const ArcProperties& shown = ui.arcDialogs[0];
    ExpectNear(Position(10, 20), shown.centre, 0.0);
    EXPECT_NEAR(PI * 0.5, shown.endAngle, 1e-12); // radians: the dialog shows degrees
    EXPECT_EQ(6.0, shown.width);
    EXPECT_EQ(2, shown.layer);
    EXPECT_EQ(30.0, shown.radius);
    EXPECT_GE(board.captureReleases, 1);

    ExpectNear(Position(200, 300), arc->GetPosition());
    EXPECT_NEAR(PI * 1.5, arc->GetStartAngle(), 1e-12);
    EXPECT_NEAR(PI, arc->GetEndAngle(), 1e-12);
    EXPECT_EQ(40.0, arc->GetRadius());
    EXPECT_TRUE(arc->IsActive());
    EXPECT_EQ(40.0, thePrototypeArc.GetRadius());
    CArc next;
    EXPECT_EQ(12.0, next.GetLineWidth());
    EXPECT_EQ(5, next.GetLayer());
    EXPECT_EQ(12.0, theDefaultLine.GetLineWidth());
    EXPECT_EQ(5, theDefaultLine.GetLayer());
}

TEST_F(CArcEdit, CancelledDialogChangesNothing)
{
    auto arc = Arc(Position(10, 20), 30.0, 0.0, 90.0, 6.0, 2);
    const double lineWidth = theDefaultLine.GetLineWidth();
    ui.Expect<ArcProperties>(false, [](ArcProperties& v) { v.radius = v.width = 99.0; });
    EXPECT_EQ(0, arc->EditProperties(0, Position(0, 0)));
    EXPECT_TRUE(ui.AllAnswersUsed());
    EXPECT_EQ(30.0, arc->GetRadius());
    EXPECT_EQ(6.0, arc->GetLineWidth());
    EXPECT_TRUE(arc->IsActive());
    EXPECT_EQ(10.0, thePrototypeArc.GetLineWidth());
    EXPECT_EQ(lineWidth, theDefaultLine.GetLineWidth());
}

// ---------------------------------------------------------------------------------
// Drawing

class CArcDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        board.originPixel = Point{500, 500};
        board.scroll = Point{10, 20};
        board.layerColors[2] = kColour;
        board.layerColors[LAYER_HIGHLIGHT] = kHighlight;
        BoardServices::Install(&board);
    }
    // Client pixels: the view's scrolled pixel less the scroll position.
    Point Client(const Position& p) const
    {
        const Point s = board.BoardToScreen(p);
        return Point{s.x - board.scroll.x, s.y - board.scroll.y};
    }
    Rect Circle(const Position& centre, double r) const
    {
        const Point a = Client(Position(centre.x - r, centre.y + r));
        const Point b = Client(Position(centre.x + r, centre.y - r));
        return Rect{a.x, a.y, b.x, b.y};
    }

    static constexpr COLORREF kColour = MakeRGB(1, 2, 3);
    static constexpr COLORREF kHighlight = MakeRGB(200, 100, 50);
    const Position c{100, 50};
    SimpleBoardServices board;
    RecordingDrawContext dc;
};

TEST_F(CArcDraw, NormalModeStrokesOneArcWithAPenAsWideAsTheArc)
{
    auto arc = Arc(c, 40.0, 0.0, 90.0, 6.0, 2);
    arc->Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    const auto arcs = dc.Find(Op::Arc);
    ASSERT_EQ(1u, arcs.size());
    EXPECT_EQ(1, dc.DrawingCount());
    EXPECT_EQ((Rect{550, 390, 630, 470}), arcs[0]->rect);
    EXPECT_EQ((Point{630, 430}), arcs[0]->points[0]); // start, at 0 degrees
    EXPECT_EQ((Point{590, 390}), arcs[0]->points[1]); // end, at 90 degrees
    EXPECT_EQ((PenSpec{PenStyle::Solid, 6, kColour}), arcs[0]->pen);
    EXPECT_EQ(0, dc.SaveDepth());

    dc.Clear();
    const double hairline = 0.2;
    arc->SetLineWidth(&hairline);
    arc->Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    EXPECT_EQ(1, dc.Find(Op::Arc)[0]->pen.width);
}

TEST_F(CArcDraw, OutlineModeDrawsBothEdgesAndTwoEndCaps)
{
    auto arc = Arc(c, 40.0, 0.0, 90.0, 6.0, 2);
    arc->Draw(&dc, DM_OUTLINE, Rect{}, nullptr);
    const auto arcs = dc.Find(Op::Arc);
    ASSERT_EQ(4u, arcs.size());
    EXPECT_EQ(Circle(c, 37.0), arcs[0]->rect);
    EXPECT_EQ(Circle(c, 43.0), arcs[1]->rect);
    // Start cap about (140, 50) from the inner edge round to the outer edge; end cap
    // about (100, 90) from the outer edge round to the inner edge.
    EXPECT_EQ(Circle(Position(140, 50), 3.0), arcs[2]->rect);
    EXPECT_EQ(Client(Position(137, 50)), arcs[2]->points[0]);
    EXPECT_EQ(Client(Position(143, 50)), arcs[2]->points[1]);
    EXPECT_EQ(Circle(Position(100, 90), 3.0), arcs[3]->rect);
    EXPECT_EQ(Client(Position(100, 93)), arcs[3]->points[0]);
    EXPECT_EQ(Client(Position(100, 87)), arcs[3]->points[1]);
    for (const auto* call : arcs)
        EXPECT_EQ((PenSpec{PenStyle::Solid, 1, kColour}), call->pen);
    EXPECT_EQ(0, dc.SaveDepth());

    // Wider than its diameter: the inner edge stays at the centre.
    dc.Clear();
    auto fat = Arc(c, 2.0, 0.0, 90.0, 10.0, 2);
    fat->Draw(&dc, DM_OUTLINE, Rect{}, nullptr);
    EXPECT_EQ(Circle(c, 0.0), dc.Find(Op::Arc)[0]->rect);
}

TEST_F(CArcDraw, HiddenDeadOrNoneModeLeaveTheContextAlone)
{
    auto arc = Arc(c, 40.0, 0.0, 90.0, 6.0, 2);
    const HiddenLayers hidden{{2, 1}};
    arc->Draw(&dc, DM_NORMAL, Rect{}, &hidden);
    EXPECT_TRUE(dc.calls.empty());

    // Mode 7 draws with the caller's pen and saves nothing.
    const PenSpec pen{PenStyle::Dash, 3, MakeRGB(9, 9, 9)};
    dc.SetPen(pen);
    dc.Clear();
    arc->Draw(&dc, DM_NONE, Rect{}, nullptr);
    ASSERT_EQ(1u, dc.calls.size());
    EXPECT_EQ(pen, dc.calls[0].pen);

    dc.Clear();
    arc->Deactivate();
    arc->Draw(&dc, DM_OUTLINE, Rect{}, nullptr);
    EXPECT_TRUE(dc.calls.empty());
}

TEST_F(CArcDraw, AttachedEntityIsDrawnWithTheArcsWidth)
{
    auto arc = Arc(c, 40.0, 0.0, 90.0, 6.0, 2);
    auto* guide = new CArc(Position(0, 0), 10.0, 0.0, 1.0);
    arc->SetAttachedEntity(guide, &kNoRepaint);
    arc->Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    EXPECT_EQ(2, dc.Count(Op::Arc));
    EXPECT_EQ(6.0, guide->GetLineWidth());
    EXPECT_EQ(0, dc.SaveDepth());
}

TEST_F(CArcDraw, SelectedArcGetsTheHighlightAndFourGrips)
{
    auto arc = Arc(c, 40.0, 0.0, 90.0, 6.0, 2);
    arc->ToggleSelect();
    arc->Draw(&dc, DM_NORMAL, Rect{}, nullptr);

    const auto arcs = dc.Find(Op::Arc);
    ASSERT_EQ(2u, arcs.size());
    EXPECT_EQ(kColour, arcs[0]->pen.color);
    EXPECT_EQ(kHighlight, arcs[1]->pen.color);
    EXPECT_EQ(arcs[0]->rect, arcs[1]->rect);

    // One 5-pixel diagonal grip from each corner of the two ends, in the order outer
    // start, inner start, outer end, inner end, at 45, 135, 225 and 315 degrees.
    const Position corners[4] = {c.PolarOffset(43, 0), c.PolarOffset(37, 0),
                                 c.PolarOffset(43, PI * 0.5), c.PolarOffset(37, PI * 0.5)};
    const auto moves = dc.Find(Op::MoveTo);
    const auto lines = dc.Find(Op::LineTo);
    ASSERT_EQ(4u, moves.size());
    ASSERT_EQ(4u, lines.size());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Client(corners[i]), moves[i]->points[0]);
        EXPECT_EQ(Client(corners[i].PolarOffset(5.0, PI * (0.25 + 0.5 * i))), lines[i]->points[0]);
        EXPECT_EQ(kHighlight, lines[i]->pen.color);
    }
    EXPECT_EQ(0, dc.SaveDepth());
}

TEST_F(CArcDraw, DrawPathFillsTheRingAsOneClosedFigure)
{
    CArc half(c, 40.0, PI * 0.5, PI * 1.5);
    half.SetLayer(2);
    const double width = 6.0;
    half.SetLineWidth(&width);
    half.DrawPath(&dc, DM_NORMAL, Rect{}, 2);

    ASSERT_EQ(1, dc.Count(Op::ArcTo));
    EXPECT_EQ(1, dc.Count(Op::CloseFigure));
    ASSERT_EQ(1, dc.Count(Op::StrokeAndFillPath));
    const auto* outer = dc.Find(Op::ArcTo)[0];
    EXPECT_TRUE(outer->inPath);
    EXPECT_EQ(Circle(c, 43.0), outer->rect);
    EXPECT_EQ(Client(c.PolarOffset(43.0, PI * 0.5)), outer->points[0]);
    EXPECT_EQ(Client(c.PolarOffset(43.0, PI * 1.5)), outer->points[1]);

    // The inner edge runs back from the end over the far side to the start.
    const auto lines = dc.Find(Op::LineTo);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(Client(c.PolarOffset(37.0, PI * 1.5)), lines.front()->points[0]);
    EXPECT_EQ(Client(c.PolarOffset(37.0, PI * 0.5)), lines.back()->points[0]);
    EXPECT_EQ(Client(c.PolarOffset(37.0, PI)), lines[lines.size() / 2]->points[0]);

    const auto* fill = dc.Find(Op::StrokeAndFillPath)[0];
    EXPECT_EQ((PenSpec{PenStyle::Solid, 2, kColour}), fill->pen);
    EXPECT_EQ((BrushSpec{BrushStyle::Solid, kColour}), fill->brush);
    EXPECT_EQ(0, dc.SaveDepth());
}

// ---------------------------------------------------------------------------------
// Document record

std::vector<std::uint8_t> Store(CArc& arc)
{
    CArchive out;
    out.WriteObject(&arc);
    return out.TakeBytes();
}

void PutF64(std::vector<std::uint8_t>& bytes, std::size_t at, double v)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i)
        bytes[at + i] = std::uint8_t(bits >> (8 * i));
}

TEST(CArcDocument, RoundTripWithTheThreeRealsLast)
{
    auto arc = Arc(Position(12.5, -7.25), 33.3, 350.0, 10.0, 7.5, 16);
    std::vector<std::uint8_t> bytes = Store(*arc);
    // Ending the body with radius, start and end: changing them there changes the arc.
    PutF64(bytes, bytes.size() - 24, 44.4);
    PutF64(bytes, bytes.size() - 16, -PI * 0.5); // loaded angles are brought into one turn
    PutF64(bytes, bytes.size() - 8, TWO_PI);

    CArchive in{std::span<const std::uint8_t>(bytes)};
    std::unique_ptr<CArc> back(dynamic_cast<CArc*>(in.ReadObject(RUNTIME_CLASS(CArc))));
    ASSERT_NE(nullptr, back);
    EXPECT_TRUE(in.AtEnd());
    ExpectNear(Position(12.5, -7.25), back->GetPosition(), 0.0);
    EXPECT_EQ(44.4, back->GetRadius());
    EXPECT_NEAR(PI * 1.5, back->GetStartAngle(), 1e-12);
    EXPECT_EQ(0.0, back->GetEndAngle());
    EXPECT_EQ(7.5, back->GetLineWidth());
    EXPECT_EQ(16, back->GetLayer());
    EXPECT_TRUE(back->IsActive());
}

TEST(CArcDocument, ValuesThatAreNotFiniteAreRefused)
{
    auto arc = Arc(Position(0, 0), 10.0, 0.0, 90.0);
    const std::vector<std::uint8_t> good = Store(*arc);
    for (std::size_t field = 0; field < 3; ++field) {
        for (double v : {std::numeric_limits<double>::quiet_NaN(),
                         -std::numeric_limits<double>::infinity()}) {
            std::vector<std::uint8_t> bytes = good;
            PutF64(bytes, bytes.size() - 24 + 8 * field, v);
            CArchive in{std::span<const std::uint8_t>(bytes)};
            try {
                delete in.ReadObject(RUNTIME_CLASS(CArc));
                ADD_FAILURE() << "accepted field " << field << " = " << v;
            } catch (const CArchiveException& e) {
                EXPECT_EQ(CArchiveException::generic, e.m_cause);
            }
        }
    }
}

// ---------------------------------------------------------------------------------
// Library record

TEST(CArcLibrary, RecordIsWrittenByteForByteInPlace)
{
    auto arc = Arc(Position(12.5, -3.25), 25.4, 90.0, 180.0, 10.0, 4);
    std::vector<BYTE> buf(64, 0xAA);
    int offset = 16;
    ASSERT_EQ(1, arc->WriteLibraryRecord(buf.data(), &offset));
    EXPECT_EQ(48, offset);
    const BYTE* rec = buf.data() + 16;
    EXPECT_EQ(1, LibRecord::GetU16(rec));
    EXPECT_EQ(5, LibRecord::GetU16(rec + 2));
    EXPECT_EQ(125000, LibRecord::GetI32(rec + 4));
    EXPECT_EQ(-32500, LibRecord::GetI32(rec + 8));
    EXPECT_EQ(254000, LibRecord::GetI32(rec + 12));
    EXPECT_EQ(135, rec[16]); // 90 = 1.40625 x 2^6: exponent 6 + 129
    EXPECT_DOUBLE_EQ(90.0, Real48ToDegrees(rec + 16));
    EXPECT_EQ(136, rec[22]);
    EXPECT_DOUBLE_EQ(180.0, Real48ToDegrees(rec + 22));
    EXPECT_EQ(100000, LibRecord::GetI32(rec + 28));
    EXPECT_EQ(std::vector<BYTE>(16, 0xAA), std::vector<BYTE>(buf.begin(), buf.begin() + 16));
    EXPECT_EQ(std::vector<BYTE>(16, 0xAA), std::vector<BYTE>(buf.begin() + 48, buf.end()));
}

TEST(CArcLibrary, NoBufferWritesNothingAndATinyAngleIsStoredAsZero)
{
    auto arc = Arc(Position(1, 2), 10.0, 0.0, 45.0);
    int offset = 8;
    EXPECT_EQ(0, arc->WriteLibraryRecord(nullptr, &offset));
    EXPECT_EQ(8, offset);

    // Far below the smallest 6-byte real: the record is still written, reading back 0.
    arc->SetAngles(1e-300, 1.0);
    std::vector<BYTE> buf(32, 0xAA);
    offset = 0;
    EXPECT_EQ(1, arc->WriteLibraryRecord(buf.data(), &offset));
    EXPECT_EQ(32, offset);
    CArc back(Position(5, 5), 1.0, 1.0, 2.0);
    ASSERT_EQ(1, back.ReadFromLibraryRecord(buf.data(), 32));
    EXPECT_EQ(0.0, back.GetStartAngle());
    EXPECT_NEAR(1.0, back.GetEndAngle(), 0.001 * PI / 180);
}

TEST(CArcLibrary, RoundTripKeepsAnglesToAThousandthOfADegree)
{
    const double angles[][2] = {{123.4567, 271.0001}, {350.0, 10.0}, {0.0, 359.9999}};
    for (const auto& deg : angles) {
        SCOPED_TRACE(testing::Message() << deg[0] << " " << deg[1]);
        auto arc = Arc(Position(-1234.5678, 99.0001), 76.54321, deg[0], deg[1], 12.3456, 15);
        std::vector<BYTE> buf(32, 0);
        int offset = 0;
        ASSERT_EQ(1, arc->WriteLibraryRecord(buf.data(), &offset));

        CArc back(Position(5, 5), 1.0, 1.0, 2.0);
        ASSERT_EQ(1, back.ReadFromLibraryRecord(buf.data(), 32));
        ExpectNear(arc->GetPosition(), back.GetPosition(), 1e-4);
        EXPECT_NEAR(76.54321, back.GetRadius(), 1e-4);
        EXPECT_NEAR(12.3456, back.GetLineWidth(), 1e-4);
        EXPECT_EQ(15, back.GetLayer());
        EXPECT_LE(AngleGap(arc->GetStartAngle(), back.GetStartAngle()), Rad(0.001));
        EXPECT_LE(AngleGap(arc->GetEndAngle(), back.GetEndAngle()), Rad(0.001));
        EXPECT_LT(back.GetEndAngle(), TWO_PI); // 360.000 comes back as 0
    }
}

TEST(CArcLibrary, ReaderResetsFirstAndRefusesShortRecords)
{
    auto arc = Arc(Position(5, 5), 20.0, 10.0, 20.0, 3.0, 7);
    EXPECT_EQ(0, arc->ReadFromLibraryRecord(nullptr, 32));
    EXPECT_EQ(0.0, arc->GetRadius());
    EXPECT_EQ(10.0, arc->GetLineWidth());

    BYTE rec[32] = {};
    LibRecord::PutHeader(rec, LibRecord::Arc, 3);
    LibRecord::PutI32(rec + 12, 500000);
    EXPECT_EQ(0, arc->ReadFromLibraryRecord(rec, 31));
    EXPECT_EQ(0.0, arc->GetRadius());
    EXPECT_EQ(1, arc->ReadFromLibraryRecord(rec, 32));
    EXPECT_EQ(50.0, arc->GetRadius());
    EXPECT_EQ(3, arc->GetLayer());
}

// ---------------------------------------------------------------------------------
// Protel ASCII record

TEST(CArcProtel, FreeAndComponentRecords)
{
    auto arc = Arc(Position(1, 2), 25.4, 90.0, 180.0, 10.0, 0);
    std::map<int, int> counts{{5, 0}, {2, 0}};
    std::string out = "leftover";
    arc->ExportText(out, counts);
    EXPECT_EQ("FA\n0 0 1000 2000 25400 90.000 180.000 10000 1 0 0\n 0 1\n", out);
    EXPECT_EQ((std::map<int, int>{{5, 1}, {2, 0}}), counts);

    auto part = Arc(Position(-0.25, 0), 10.0, 350.0, 10.0, 8.0, 15);
    part->SetComponentPart(1);
    std::map<int, int> noArcs{{2, 0}};
    part->ExportText(out, noArcs);
    EXPECT_EQ("CA\n0 0 -249 0 10000 350.000 10.000 8000 16 0 0\n 0 1\n", out);
    EXPECT_EQ(0u, noArcs.count(5));
}

} // namespace
