#include "model/CLine.h"
#include "support/FakeBoardServices.h"

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

namespace
{

using Op = RecordingDrawContext::Op;
const int kNoRepaint = 0;
const int kRepaint = 1;
constexpr COLORREF kRed = MakeRGB(255, 0, 0);

void ExpectAt(const Position& p, double x, double y, double eps = 1e-9)
{
    EXPECT_NEAR(p.x, x, eps);
    EXPECT_NEAR(p.y, y, eps);
}

// The reference point, which the track itself reports as its midpoint.
Position ReferencePoint(CLine& t)
{
    return t.CEntity::GetPosition();
}

CLine* GuideOf(const CLine& t)
{
    return dynamic_cast<CLine*>(t.GetAttachedEntity());
}

// The lowest and highest pixel x the calls reach: points, and the boxes of arcs.
std::pair<int, int> XSpan(const RecordingDrawContext& dc)
{
    int lo = std::numeric_limits<int>::max(), hi = std::numeric_limits<int>::min();
    for (const auto& c : dc.calls) {
        std::vector<int> xs;
        for (const Point& p : c.points)
            xs.push_back(p.x);
        if (c.op == Op::Arc || c.op == Op::ArcTo)
            xs.insert(xs.end(), {c.rect.left, c.rect.right});
        for (int x : xs)
            lo = std::min(lo, x), hi = std::max(hi, x);
    }
    return {lo, hi};
}

class CLineTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        board.layerColors[LAYER_TOP] = kRed;
        BoardServices::Install(&board);
        UiServices::Install(&ui);
    }
    FakeBoardServices board;
    FakeUiServices ui;
};

TEST_F(CLineTest, OnlyTheTrackConstructorTakesThePrototypeAndCopiesOwnTheirGuide)
{
    const double wide = 33.0;
    theDefaultLine.SetLineWidth(&wide);
    const int layer = LAYER_TOP_OVERLAY;
    CLine bare(Position(1, 2), Position(3, 4));
    CLine track(Position(1, 2), Position(3, 4), &layer);
    EXPECT_TRUE(bare.GetLineWidth() == 10.0 && bare.GetLayer() == LAYER_TOP);
    EXPECT_TRUE(track.GetLineWidth() == 33.0 && track.GetLayer() == LAYER_TOP_OVERLAY);
    ExpectAt(ReferencePoint(track), 1, 2);

    auto owner = std::make_unique<CLine>(Position(0, 0), Position(100, 0));
    auto* guide = new CLine(Position(5, 5), Position(6, 7));
    owner->SetAttachedEntity(guide, &kNoRepaint);
    std::unique_ptr<CEntity> clone(owner->Clone());
    auto* copy = dynamic_cast<CLine*>(clone.get());
    ASSERT_NE(copy, nullptr);
    CLine constructed(*owner);
    owner.reset(); // the original and its guide go; the copies' guides must live on
    for (CLine* c : {copy, &constructed}) {
        ExpectAt(c->GetEnd(), 100, 0);
        ASSERT_NE(GuideOf(*c), nullptr);
        EXPECT_NE(GuideOf(*c), guide);
        ExpectAt(GuideOf(*c)->GetEnd(), 6, 7);
    }
    // A guide of another kind is copied as its own kind.
    CLine withArc(Position(0, 0), Position(100, 0));
    withArc.SetAttachedEntity(new CArc(Position(50, 50), 20.0, 0.0, PI), &kNoRepaint);
    std::unique_ptr<CEntity> arcCopy(withArc.Clone());
    const CEntity* arcGuide = static_cast<CLine*>(arcCopy.get())->GetAttachedEntity();
    EXPECT_NE(arcGuide, withArc.GetAttachedEntity());
    EXPECT_NE(dynamic_cast<const CArc*>(arcGuide), nullptr);

    // Replacing the guide deletes the old one, but not when it is the same; it repaints
    // only when asked to.
    auto* first = new CLine(Position(1, 1), Position(2, 2));
    withArc.SetAttachedEntity(first, &kNoRepaint);
    withArc.SetAttachedEntity(first, &kRepaint);
    ExpectAt(GuideOf(withArc)->GetEnd(), 2, 2);
    EXPECT_EQ(board.invalidated.size(), 2u);
    withArc.Reset();
    EXPECT_EQ(withArc.GetAttachedEntity(), nullptr);

    // CopyFrom takes the points only from a track.
    CLine t(Position(10, 10), Position(20, 20));
    t.CopyFrom(CRound(Position(0, 0), 5.0, 5.0, LAYER_TOP_OVERLAY));
    EXPECT_EQ(t.GetLayer(), LAYER_TOP_OVERLAY);
    ExpectAt(t.GetStart(), 10, 10);
    t.CopyFrom(constructed);
    ExpectAt(t.GetEnd(), 100, 0);
}

TEST_F(CLineTest, AngleInEveryDirectionAndFootPointAtEverySlope)
{
    const double q = std::atan(1.0);
    const struct {
        double x, y, angle;
    } ends[] = {{-10, 0, PI},    {0, -10, PI * 1.5}, {0, 0, PI * 1.5},   {1, 1, q},
                {-1, 1, PI - q}, {-1, -1, PI + q},   {1, -1, TWO_PI - q}};
    for (const auto& e : ends)
        EXPECT_NEAR(CLine(Position(5, 5), Position(5 + e.x, 5 + e.y)).GetAngle(), e.angle, 1e-15)
            << e.x << "," << e.y;

    const struct {
        const char* what;
        Position a, b, p, foot;
    } cases[] = {
        {"slanted", {0, 0}, {80, 60}, {34, 38}, {40, 30}},
        {"vertical", {7, 0}, {7, 10}, {20, 30}, {7, 30}},
        {"horizontal", {0, 4}, {10, 4}, {-3, 30}, {-3, 4}},
        {"steeper than the vertical constant", {0, 0}, {0.0001, 10}, {5, 3}, {0, 3}},
        {"almost flat", {0, 0}, {1000, 1e-11}, {500, 50}, {500, 0}},
        {"steep downward, squared slope overflows", {0, 0}, {1e-200, -1}, {5, -0.5}, {0, -0.5}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectAt(CLine(c.a, c.b).FootPoint(c.p), c.foot.x, c.foot.y);
    }
}

TEST_F(CLineTest, BoxHitTestsAndRepaints)
{
    CLine t(Position(0, 0), Position(100, 0));
    BOX2D box;
    // The body's obround (110 x 10) boxed through its round: one width longer again.
    ASSERT_EQ(t.GetBox(&box), 1);
    EXPECT_NEAR(t.GetCachedBox().x2, 110, 1e-4);
    board.scroll = Point{4, -20};
    EXPECT_EQ(t.GetScreenRect(), (Rect{-17, 12, 109, 28}));
    t.SetAttachedEntity(new CLine(Position(300, 300), Position(310, 300)), &kNoRepaint);
    ASSERT_EQ(t.GetBox(&box), 1);
    EXPECT_NEAR(box.x1 + box.y2, -10 + 305, 1e-4);
    const HiddenLayers hidden{{LAYER_TOP, 1}};
    EXPECT_EQ(t.GetBox(&box, &hidden) + t.GetBox(nullptr), 0);
    EXPECT_EQ(t.HitEndPoint(Position(100, -2.9)), 1);
    EXPECT_EQ(t.HitEndPoint(Position(3.0, 0)), -1);
    EXPECT_EQ(CLine(Position(0, 0), Position(2, 0)).HitEndPoint(Position(1.5, 0)), 0);
    ExpectAt(t.GetSnapPoint(Position(51, 30)), 100, 0);

    CLine s(Position(0, 0), Position(80, 60));
    // 10 off the centre line at the middle (direction (4,3), normal (-3,4)).
    EXPECT_TRUE(s.HitTestPoint(Position(34, 38), nullptr, nullptr));
    EXPECT_FALSE(s.HitTestPoint(Position(31, 42), nullptr, nullptr));
    EXPECT_FALSE(s.HitTestPoint(Position(96, 72), nullptr, nullptr)); // on the line, past the box
    const double wide = 1000.0;                                       // the tolerance plays no part
    EXPECT_FALSE(s.HitTestPoint(Position(31, 42), &wide, nullptr));
    EXPECT_FALSE(s.HitTestPoint(Position(40, 30), nullptr, &hidden));

    // Moving an end repaints the old and the new area.
    board.invalidated.clear();
    const Rect old = s.GetScreenRect();
    s.SetStart(Position(-200, 50));
    EXPECT_EQ(board.invalidated, (std::vector<Rect>{old, s.GetScreenRect()}));
    ExpectAt(ReferencePoint(s), -200, 50);
}

// A track told to meet a clip from its ends alone is never left out where its own screen
// rectangle meets the clip: tracks at every angle against one-pixel clips around them.
TEST_F(CLineTest, MeetingAClipNeverMissesWhereTheScreenRectangleMeetsIt)
{
    board.scroll = Point{3, -7};
    int meetings = 0;
    for (int turn = 0; turn < 24; ++turn)
        for (const double width : {0.0, 1.0, 12.0, 60.0}) {
            const double a = turn * PI / 12.0;
            CLine t(Position(40, 25), Position(40 + 90 * std::cos(a), 25 + 90 * std::sin(a)));
            t.SetLineWidth(&width);
            const Rect own = t.GetScreenRect();
            for (int x = own.left - 3; x <= own.right + 3; x += 2)
                for (int y = own.top - 3; y <= own.bottom + 3; y += 2) {
                    const Rect clip{x, y, x + 1, y + 1};
                    if (own.Intersects(clip)) {
                        ++meetings;
                        ASSERT_TRUE(t.MeetsClip(clip))
                            << turn << " " << width << " " << x << "," << y;
                    }
                }
        }
    EXPECT_GT(meetings, 10000);
}

TEST_F(CLineTest, TransformsMoveEverythingOnceAndCarryThePrototypeAlong)
{
    CLine moved(Position(0, 0), Position(10, 0));
    BOX2D before;
    moved.GetBox(&before);
    int flag = 0;
    EXPECT_EQ(moved.Move(Position(5, 7), Position(0, 0), &flag), 0);
    ExpectAt(moved.GetEnd(), 15, 7);
    ExpectAt(ReferencePoint(moved), 5, 7);
    EXPECT_NEAR(moved.GetCachedBox().y2, before.y2 + 7, 1e-9);
    moved.MoveBy(Position(5, 7), Position(0, 0)); // from, then to
    ExpectAt(ReferencePoint(moved), 0, 0);
    EXPECT_NEAR(moved.GetCachedBox().x1, before.x1, 1e-9);

    theDefaultLine.SetStart(Position(10, 0));
    CLine t(Position(10, 0), Position(30, 0));
    t.Rotate(Position(0, 0), PI * 0.5);
    ExpectAt(t.GetEnd(), 0, 30, 1e-6);
    ExpectAt(theDefaultLine.GetStart(), 0, 10, 1e-6);
    // The prototype rotated by itself turns once; a component's track never turns it.
    theDefaultLine.Rotate(Position(0, 0), PI * 0.5);
    CLine part(Position(10, 0), Position(30, 0));
    part.SetComponentPart(1);
    part.Rotate(Position(0, 0), PI * 0.5);
    part.MirrorX(Position(0, 0));
    EXPECT_DOUBLE_EQ(theDefaultLine.GetRotation(), PI);
    ExpectAt(theDefaultLine.GetStart(), -10, 0, 1e-6);

    // Mirrors go through directions, so the board's pi leaves them a hair off.
    CLine m(Position(10, 5), Position(30, 15));
    m.MirrorX(Position(0, 0)); // across x = 0
    ExpectAt(m.GetEnd(), -30, 15, 1e-4);
    ExpectAt(ReferencePoint(m), -10, 5, 1e-4);
    ExpectAt(theDefaultLine.GetStart(), 10, 0, 1e-4);
    m.MirrorY(Position(0, 100)); // across y = 100
    ExpectAt(m.GetStart(), -10, 195, 1e-4);
    ExpectAt(theDefaultLine.GetStart(), 10, 200, 1e-4);
}

TEST_F(CLineTest, OffsetCopyLiesParallelOnTheSideAsked)
{
    CLine t(Position(0, 0), Position(80, 60));
    const double d = 5.0;
    for (auto [side, start] :
         {std::pair{Position(0, 100), Position(-3, 4)},
          std::pair{Position(40, 30), Position(0, -5)}}) { // on it: straight down
        std::unique_ptr<CEntity> copy(t.CreateOffset(side, &d));
        auto* o = dynamic_cast<CLine*>(copy.get());
        ASSERT_NE(o, nullptr);
        ExpectAt(o->GetStart(), start.x, start.y, 1e-6);
        ExpectAt(o->GetEnd(), start.x + 80, start.y + 60, 1e-6);
    }
    EXPECT_EQ(t.CreateOffset(Position(50, 20), nullptr), nullptr);
}

TEST_F(CLineTest, Drawing)
{
    CLine t(Position(0, 0), Position(100, 0));
    RecordingDrawContext dc;
    t.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    EXPECT_EQ(dc.Find(Op::StrokeAndFillPath).at(0)->brush.color, kRed);
    EXPECT_EQ(XSpan(dc), (std::pair{-5, 105})); // half a width beyond each end
    EXPECT_EQ(dc.SaveDepth(), 0);

    // The guide is drawn with the track, in its width, even on a hidden layer.
    const double w = 16.0;
    t.SetLineWidth(&w);
    auto* guide = new CLine(Position(400, 0), Position(500, 0));
    guide->SetLayer(LAYER_BOTTOM);
    t.SetAttachedEntity(guide, &kNoRepaint);
    const HiddenLayers hideGuide{{LAYER_BOTTOM, 1}};
    dc.Clear();
    t.Draw(&dc, DM_NORMAL, Rect{}, &hideGuide);
    EXPECT_EQ(XSpan(dc), (std::pair{-8, 508}));

    // The thin line, in client pixels: board (10, 20) is pixel (10, -20), less the scroll.
    board.layerColors[LAYER_MID_FIRST] = MakeRGB(1, 2, 3);
    board.scroll = Point{5, -100};
    CLine thin(Position(10, 20), Position(30, 40));
    thin.SetLayer(LAYER_MID_FIRST);
    dc.Clear();
    thin.DrawThin(&dc, DM_NORMAL, Rect{}, nullptr);
    EXPECT_EQ(dc.Find(Op::MoveTo).at(0)->points[0], (Point{5, 80}));
    EXPECT_EQ(dc.Find(Op::LineTo).at(0)->points[0], (Point{25, 60}));
    EXPECT_EQ(dc.Find(Op::LineTo)[0]->pen, (PenSpec{PenStyle::Solid, 1, MakeRGB(1, 2, 3)}));

    // Hidden or not live: nothing, thin or not.
    dc.Clear();
    const HiddenLayers hidden{{LAYER_TOP, 1}};
    t.Draw(&dc, DM_NORMAL, Rect{}, &hidden);
    t.DrawThin(&dc, DM_NORMAL, Rect{}, &hidden);
    t.Deactivate();
    t.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    t.DrawThin(&dc, DM_NORMAL, Rect{}, nullptr);
    EXPECT_TRUE(dc.calls.empty());
}

TEST_F(CLineTest, PropertyDialogUpdatesTrackAndBothPrototypesOnlyWhenConfirmed)
{
    CLine t(Position(0, 0), Position(100, 0));
    ui.Expect<TrackProperties>(false, [](TrackProperties& v) { v.width = 99.0; });
    ui.Expect<TrackProperties>(true, [&t](TrackProperties& v) {
        EXPECT_FALSE(t.IsActive()); // hidden while the dialog is open
        v.width = 25.0;
        v.start = Position(10, 10);
        v.end = Position(20, 30);
        v.layer = LAYER_BOTTOM;
    });
    EXPECT_EQ(t.EditProperties(0, Position()), 0);
    EXPECT_TRUE(t.IsActive() && t.GetLineWidth() == 10.0 && theDefaultLine.GetLineWidth() == 10.0);

    EXPECT_EQ(t.EditProperties(0, Position(1, 1)), 1);
    ExpectAt(ui.Received<TrackProperties>().at(1).end, 100, 0);
    EXPECT_TRUE(t.IsActive() && t.GetLineWidth() == 25.0 && t.GetLayer() == LAYER_BOTTOM);
    ExpectAt(t.GetStart(), 10, 10);
    ExpectAt(t.GetEnd(), 20, 30);
    for (CEntity* proto : std::initializer_list<CEntity*>{&theDefaultLine, &thePrototypeArc})
        EXPECT_TRUE(proto->GetLineWidth() == 25.0 && proto->GetLayer() == LAYER_BOTTOM);
}

void PutF64(std::vector<std::uint8_t>& out, std::initializer_list<double> values)
{
    for (double v : values)
        for (int i = 0; i < 8; ++i)
            out.push_back(std::uint8_t(std::bit_cast<std::uint64_t>(v) >> (8 * i)));
}

TEST_F(CLineTest, DocumentRecordByteForByteAndBack)
{
    CLine t(Position(1.5, -2.25), Position(100, 0.25));
    t.SetName("N1");
    t.SetLayer(LAYER_BOTTOM);
    t.SetExportVariant(1);
    t.SetPenStyle(1);
    t.SetColor(0x00123456);
    CArchive out;
    out.WriteObject(&t);

    // A new class "CLine", the object, then its body: the common part under the new class
    // "CEntity", then the class record of "CLine", seen before as index 1, and the points.
    std::vector<std::uint8_t> expected = {0xFF, 0xFF, 1, 0, 5, 0,   'C', 'L', 'i', 'n', 'e', 0xFF,
                                          0xFF, 1,    0, 7, 0, 'C', 'E', 'n', 't', 'i', 't', 'y'};
    PutF64(expected, {1.5, -2.25});
    expected.insert(expected.end(), {2, 'N', '1', 15, 0, 0, 0});
    PutF64(expected, {0.0, 10.0, 0.0, 0.0});
    expected.insert(expected.end(),
                    {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0x56, 0x34, 0x12, 0, 0x01, 0x80});
    PutF64(expected, {1.5, -2.25, 100.0, 0.25});
    EXPECT_EQ(out.Bytes(), expected);

    // A reference point astray is brought back to the start on loading.
    std::vector<std::uint8_t> astray = expected;
    astray[24 + 7] = 0x40;
    CArchive in(astray);
    std::unique_ptr<CObject> back(in.ReadObject(RUNTIME_CLASS(CLine)));
    EXPECT_TRUE(in.AtEnd());
    CArchive again;
    again.WriteObject(back.get());
    EXPECT_EQ(again.Bytes(), expected);

    // Points that are not finite numbers, or a record cut short, are refused.
    auto readFailure = [](CLine bad, std::size_t cut) {
        CArchive store;
        store.WriteObject(&bad);
        std::vector<std::uint8_t> bytes = store.TakeBytes();
        bytes.resize(bytes.size() - cut);
        CArchive load(bytes);
        try {
            delete load.ReadObject(RUNTIME_CLASS(CLine));
        } catch (const CArchiveException& e) {
            return int(e.m_cause);
        }
        return -1;
    };
    for (double bad :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
        EXPECT_EQ(readFailure(CLine(Position(0, 0), Position(bad, 5)), 0),
                  CArchiveException::generic);
    EXPECT_EQ(readFailure(CLine(Position(1, 2), Position(3, 4)), 4), CArchiveException::endOfFile);
}

TEST_F(CLineTest, LibraryRecordByteForByteAndBack)
{
    CLine t(Position(1.5, -2.25), Position(100, 0.00005));
    const double w = 10.12345;
    t.SetLineWidth(&w);
    t.SetLayer(LAYER_BOTTOM);
    std::vector<BYTE> buf(96, 0xCC);
    int offset = 32;
    ASSERT_EQ(t.WriteLibraryRecord(buf.data(), &offset), 1);
    EXPECT_EQ(offset, 64);
    const std::vector<BYTE> record = {0x05, 0x00, 0x10, 0x00, // kind 5, layer 15 + 1
                                      0x98, 0x3A, 0x00, 0x00, // 1.5 mils -> 15000
                                      0x1C, 0xA8, 0xFF, 0xFF, // -2.25 -> -22500
                                      0x40, 0x42, 0x0F, 0x00, // 100 -> 1000000
                                      0x00, 0x00, 0x00, 0x00, // 0.00005 -> 0.5, truncated
                                      0x72, 0x8B, 0x01, 0x00, // 10.12345 -> 101234
                                      0,    0,    0,    0,    0, 0, 0, 0}; // zero-filled
    EXPECT_EQ(std::vector<BYTE>(buf.begin() + 32, buf.begin() + 64), record);
    EXPECT_EQ(std::count(buf.begin(), buf.end(), 0xCC), 64);
    EXPECT_EQ(t.WriteLibraryRecord(nullptr, &offset), 0);
    EXPECT_EQ(offset, 64);

    CLine back(Position(1, 1), Position(2, 2));
    ASSERT_EQ(back.ReadFromLibraryRecord(record.data(), 32), 1);
    ExpectAt(ReferencePoint(back), 1.5, -2.25);
    std::vector<BYTE> rewritten(32);
    offset = 0;
    back.WriteLibraryRecord(rewritten.data(), &offset);
    EXPECT_EQ(rewritten, record);

    // Short or missing records are refused, and the track is left reset.
    EXPECT_EQ(back.ReadFromLibraryRecord(record.data(), 31), 0);
    EXPECT_DOUBLE_EQ(back.GetLineWidth(), 10.0);
    ExpectAt(back.GetEnd(), 0, 0);
    EXPECT_EQ(back.ReadFromLibraryRecord(nullptr, 32), 0);
}

TEST_F(CLineTest, ProtelRecords)
{
    CLine t(Position(0, 0), Position(100, 0.25));
    std::map<int, int> counts{{ET_LINE, 4}};
    std::string out = "stale";
    t.ExportText(out, counts);
    EXPECT_EQ(out, "FT\n0 0 0 0 100000 250 10000 1 0 0 0\n 0 0 1 0 0\n");
    EXPECT_EQ(counts[ET_LINE], 5);

    CLine part(Position(-0.25, 12.3456), Position(-100, 0.0004));
    const double w = 8.0;
    part.SetLineWidth(&w);
    part.SetLayer(LAYER_BOTTOM);
    part.SetExportVariant(1);
    part.SetComponentPart(1);
    part.ExportText(out, counts);
    EXPECT_EQ(out, "CT\n0 0 -249 12346 -99999 0 8000 16 0 0 0\n 1 0 1 0 0\n");
}

} // namespace
