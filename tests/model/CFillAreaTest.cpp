#include "model/CFillArea.h"
#include "support/FakeBoardServices.h"

#include "model/BoardServices.h"
#include "model/CArc.h"
#include "model/CLine.h"
#include "model/CPolygon.h"
#include "model/Constants.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace
{

using Op = RecordingDrawContext::Op;
constexpr double kEps = 1e-4;
constexpr COLORREF kLayerColour = MakeRGB(10, 200, 30);

::testing::AssertionResult Near(const Position& actual, const Position& expected)
{
    if (std::fabs(actual.x - expected.x) <= kEps && std::fabs(actual.y - expected.y) <= kEps)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ") is not ("
                                         << expected.x << ", " << expected.y << ")";
}

CFillArea MakeFill(const Position& c1, const Position& c2, int layer = 1)
{
    CFillArea fill;
    fill.SetCorner1(c1);
    fill.SetCorner2(c2);
    fill.SetLayer(layer);
    return fill;
}

class CFillAreaTest : public ::testing::Test
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

TEST_F(CFillAreaTest, CornersInAnyOrderBoxDrawAndHitTheSameRectangle)
{
    const Position lo(10.0, 20.0);
    const Position hi(110.0, 70.0);
    const std::array<std::pair<Position, Position>, 4> orders = {{
        {lo, hi},
        {hi, lo},
        {Position(lo.x, hi.y), Position(hi.x, lo.y)},
        {Position(hi.x, lo.y), Position(lo.x, hi.y)},
    }};
    Rect expected{lo.ToClient().x, hi.ToClient().y, hi.ToClient().x, lo.ToClient().y};
    expected.Normalize();
    const double three = 3.0;
    for (const auto& [c1, c2] : orders) {
        SCOPED_TRACE(testing::Message() << c1.x << "," << c1.y);
        CFillArea fill = MakeFill(c1, c2);
        BOX2D box;
        ASSERT_EQ(fill.GetBox(&box), 1);
        EXPECT_EQ(std::tuple(box.x1, box.y1, box.x2, box.y2), std::tuple(10.0, 20.0, 110.0, 70.0));
        EXPECT_TRUE(fill.GetSizeX() == 100.0 && fill.GetSizeY() == 50.0);
        EXPECT_TRUE(fill.HitTestPoint(Position(10.0, 70.0), &m_zero, nullptr));
        EXPECT_FALSE(fill.HitTestPoint(Position(112.0, 45.0), &m_zero, nullptr));
        EXPECT_TRUE(fill.HitTestPoint(Position(112.0, 45.0), &three, nullptr));
        RecordingDrawContext dc;
        fill.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
        ASSERT_EQ(dc.Count(Op::Rectangle), 1);
        EXPECT_EQ(dc.Find(Op::Rectangle)[0]->rect, expected);
        EXPECT_EQ(dc.Find(Op::Rectangle)[0]->brush, (BrushSpec{BrushStyle::Solid, kLayerColour}));
        EXPECT_EQ(dc.SaveDepth(), 0);
    }

    // The selection frame is a dashed red outline, and copies are never frames.
    CFillArea frame = MakeFill(lo, hi);
    frame.SetSelectionFrame();
    RecordingDrawContext dc;
    frame.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    EXPECT_EQ(dc.Find(Op::Rectangle).at(0)->pen, (PenSpec{PenStyle::Dash, 1, MakeRGB(255, 0, 0)}));
    EXPECT_EQ(dc.Find(Op::Rectangle)[0]->brush.style, BrushStyle::Hollow);
    EXPECT_FALSE(CFillArea(frame).IsSelectionFrame());

    // Hidden layer or not live: neither drawn nor hit.
    CFillArea fill = MakeFill(lo, hi);
    HiddenLayers hidden{{1, 0}};
    dc.Clear();
    fill.Draw(&dc, DM_NORMAL, Rect{}, &hidden);
    EXPECT_FALSE(fill.HitTestPoint(Position(60.0, 45.0), &m_zero, &hidden));
    fill.Deactivate();
    fill.Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    EXPECT_FALSE(fill.HitTestPoint(Position(60.0, 45.0), &m_zero, nullptr));
    EXPECT_EQ(dc.DrawingCount(), 0);
}

TEST_F(CFillAreaTest, SizesSnapAndPrototype)
{
    CFillArea fill = MakeFill(Position(0.0, 0.0), Position(100.0, 50.0));
    fill.SetCorner1(Position(-20.0, -10.0));
    EXPECT_EQ(fill.GetSizeX(), 100.0); // still the previous rectangle
    EXPECT_TRUE(Near(fill.GetPosition(), Position(-20.0, -10.0)));
    fill.SetCorner2(Position(100.0, 50.0));
    EXPECT_EQ(fill.GetSizeX(), 120.0);

    // The nearest box corner; from the centre the first one, (x1, y1).
    EXPECT_TRUE(Near(fill.GetSnapPoint(Position(40.0, 20.0)), Position(-20.0, -10.0)));
    EXPECT_TRUE(Near(fill.GetSnapPoint(Position(-30.0, 70.0)), Position(-20.0, 50.0)));

    // A new fill takes the prototype's layer but not its place.
    thePrototypeFillArea.SetLayer(7);
    thePrototypeFillArea.SetCorner1(Position(5.0, 5.0));
    CFillArea fresh;
    EXPECT_EQ(fresh.GetLayer(), 7);
    EXPECT_TRUE(Near(fresh.GetCorner1(), Position()));
}

TEST_F(CFillAreaTest, TransformationsMoveBothCornersAndThePrototype)
{
    CFillArea fill = MakeFill(Position(10.0, 20.0), Position(30.0, 60.0));
    fill.Move(Position(15.0, 5.0), Position(5.0, 10.0), nullptr);
    EXPECT_TRUE(Near(fill.GetCorner1(), Position(20.0, 15.0)));
    fill.MoveBy(Position(20.0, 15.0), Position(10.0, 20.0));
    EXPECT_TRUE(Near(fill.GetCorner2(), Position(30.0, 60.0)));
    EXPECT_TRUE(Near(fill.GetPosition(), fill.GetCorner1()));

    thePrototypeFillArea.SetCorner1(Position(1.0, 1.0));
    thePrototypeFillArea.SetCorner2(Position(3.0, 2.0));
    fill.MirrorY(Position(0.0, 0.0));
    fill.MirrorX(Position(0.0, 0.0));
    EXPECT_TRUE(Near(fill.GetCorner1(), Position(-10.0, -20.0)));
    fill.Rotate(Position(0.0, 0.0), PI * 0.5);
    EXPECT_TRUE(Near(fill.GetCorner1(), Position(20.0, -10.0)));
    EXPECT_TRUE(Near(fill.GetCorner2(), Position(60.0, -30.0)));
    EXPECT_NEAR(fill.GetSizeX(), 40.0, kEps);
    // The prototype followed every step once.
    EXPECT_TRUE(Near(thePrototypeFillArea.GetCorner1(), Position(1.0, -1.0)));
    EXPECT_TRUE(Near(thePrototypeFillArea.GetCorner2(), Position(2.0, -3.0)));

    // The prototype turned itself moves once; a component's child leaves it alone.
    thePrototypeFillArea.Rotate(Position(0.0, 0.0), PI * 0.5);
    fill.SetComponentPart(1);
    fill.Rotate(Position(0.0, 0.0), PI * 0.5);
    fill.MirrorX(Position(0.0, 0.0));
    EXPECT_NEAR(thePrototypeFillArea.GetRotation(), PI, kEps);
    EXPECT_TRUE(Near(thePrototypeFillArea.GetCorner1(), Position(1.0, 1.0)));
}

// ---------------------------------------------------------------------------------
// Clearing a pour's hatch: the fill spans x -40..40 and y -20..20; grown by the
// clearance it spans -65..65 and -45..45.

class FillHatchClipTest : public CFillAreaTest
{
  protected:
    CLine* AddTrack(const Position& a, const Position& b)
    {
        auto* t = new CLine(a, b);
        m_pour.GetHatchList().push_back(t);
        return t;
    }
    std::vector<CEntity*>& Hatch() { return m_pour.GetHatchList(); }
    CLine* TrackAt(std::size_t i) { return dynamic_cast<CLine*>(Hatch().at(i)); }
    void TearDown() override
    {
        for (auto& group : m_groups)
            for (CLine* t : group)
                delete t;
    }

    CFillArea m_fill = MakeFill(Position(40.0, -20.0), Position(-40.0, 20.0));
    CPolygon m_pour;
    TrackGroups m_groups;
};

TEST_F(FillHatchClipTest, CrossingTracksAreSplitAndInsideTracksKeptWithoutGroups)
{
    AddTrack(Position(-100.0, 0.0), Position(100.0, 0.0));   // across
    AddTrack(Position(0.0, -10.0), Position(0.0, 10.0));     // wholly inside
    AddTrack(Position(0.0, 0.0), Position(0.0, 100.0));      // one end inside
    AddTrack(Position(-100.0, 80.0), Position(100.0, 80.0)); // clear of it
    m_fill.ClipHatch(&m_pour, nullptr);

    const std::pair<Position, Position> pieces[] = {
        {{-100, 0}, {-65, 0}},   {{0, -10}, {0, 10}},
        {{0, 45}, {0, 45}}, // the piece inside shrinks to a point on the border
        {{-100, 80}, {100, 80}}, {{65, 0}, {100, 0}},
        {{0, 45}, {0, 100}}}; // the far pieces come last, in order
    ASSERT_EQ(Hatch().size(), std::size(pieces));
    for (std::size_t i = 0; i < std::size(pieces); ++i) {
        EXPECT_TRUE(Near(TrackAt(i)->GetStart(), pieces[i].first)) << i;
        EXPECT_TRUE(Near(TrackAt(i)->GetEnd(), pieces[i].second)) << i;
    }
    EXPECT_TRUE(TrackAt(1)->IsActive());
}

TEST_F(FillHatchClipTest, GroupsRemoveInsideTracksAndCollectTheBorder)
{
    m_pour.SetHatchParam(12.0);
    for (double y : {-35.0, 0.0, 35.0})
        AddTrack(Position(-100.0, y), Position(100.0, y));
    CLine* inside = AddTrack(Position(-10.0, 0.0), Position(10.0, 0.0));
    // Not tracks, or already removed: left alone.
    auto* arc = new CArc(Position(0.0, 0.0), 80.0, 0.0, PI);
    Hatch().push_back(arc);
    CLine* removed = AddTrack(Position(-100.0, 10.0), Position(100.0, 10.0));
    removed->Deactivate();

    m_fill.ClipHatch(&m_pour, &m_groups);
    EXPECT_FALSE(inside->IsActive());
    EXPECT_EQ(arc->GetRadius(), 80.0);
    EXPECT_TRUE(Near(removed->GetEnd(), Position(100.0, 10.0)));
    EXPECT_EQ(Hatch().size(), 9u); // five tracks, one arc, three far pieces

    // The two vertical sides each collected three crossings; the crossings at +-35 lie
    // within the grid of the corners at +-45 and snap onto them.
    ASSERT_EQ(m_groups.size(), 1u);
    ASSERT_EQ(m_groups[0].size(), 2u);
    for (CLine* side : m_groups[0]) {
        EXPECT_NEAR(std::fabs(side->GetStart().x), 65.0, kEps);
        EXPECT_NEAR(side->GetLength(), 90.0, kEps);
    }
    m_fill.ClipHatch(nullptr, &m_groups);
    EXPECT_EQ(m_groups.size(), 1u);
}

// ---------------------------------------------------------------------------------
// Files and dialog

TEST_F(CFillAreaTest, LibraryRecordIsKindTwoByteForByte)
{
    CFillArea fill = MakeFill(Position(10.5, -20.0), Position(110.0, 70.25), 3);
    std::vector<BYTE> buf(40, 0xEE);
    int offset = 4;
    ASSERT_EQ(fill.WriteLibraryRecord(buf.data(), &offset), 1);
    EXPECT_EQ(offset, 36);
    const std::vector<BYTE> expected = {
        0xEE, 0xEE, 0xEE, 0xEE,                         // before the record
        0x02, 0x00, 0x04, 0x00,                         // kind 2, layer 3 + 1
        0x28, 0x9A, 0x01, 0x00,                         // corner 1 x: 105000
        0x24, 0xB8, 0x0A, 0x00,                         // corner 2 y: 702500
        0xE0, 0xC8, 0x10, 0x00,                         // corner 2 x: 1100000
        0xC0, 0xF2, 0xFC, 0xFF,                         // corner 1 y: -200000
        0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0, // zero-filled
        0xEE, 0xEE, 0xEE, 0xEE,                         // after it
    };
    EXPECT_EQ(buf, expected);
    EXPECT_EQ(fill.WriteLibraryRecord(nullptr, &offset), 0);

    CFillArea back;
    ASSERT_EQ(back.ReadFromLibraryRecord(buf.data() + 4, 32), 1);
    EXPECT_TRUE(Near(back.GetCorner1(), Position(10.5, -20.0)));
    EXPECT_TRUE(Near(back.GetCorner2(), Position(110.0, 70.25)));
    EXPECT_TRUE(Near(back.GetPosition(), Position(10.5, -20.0)));
    EXPECT_EQ(back.GetLayer(), 3);
    EXPECT_NEAR(back.GetSizeY(), 90.25, kEps);
    // A record cut short is refused.
    EXPECT_EQ(back.ReadFromLibraryRecord(buf.data() + 4, 31), 0);
    EXPECT_TRUE(Near(back.GetCorner2(), Position()));
}

TEST_F(CFillAreaTest, ProtelRecordsAndDocumentRecord)
{
    CFillArea fill = MakeFill(Position(10.0, 20.0), Position(110.0, 70.25), 0);
    std::map<int, int> counts{{14, 0}, {2, 0}};
    std::string out;
    fill.ExportText(out, counts);
    EXPECT_EQ(out, "FF\n0 0 10000 20000 110000 70250 1 0\n 0 1 0.000\n");
    fill.SetComponentPart(1);
    fill.ExportText(out, counts);
    EXPECT_EQ(out, "CF\n0 0 10000 20000 110000 70250 1 0\n 0 1 0.000\n");
    EXPECT_EQ(counts, (std::map<int, int>{{14, 2}, {2, 0}}));

    fill.SetLayer(5);
    fill.SetCorner1(Position(-3.5, 4.0)); // sizes left as they were
    CArchive store;
    store.WriteObject(&fill);
    const std::vector<std::uint8_t> bytes = store.TakeBytes();
    CArchive in(bytes);
    std::unique_ptr<CObject> ob(in.ReadObject(RUNTIME_CLASS(CFillArea)));
    auto* back = dynamic_cast<CFillArea*>(ob.get());
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_TRUE(Near(back->GetCorner1(), Position(-3.5, 4.0)));
    EXPECT_TRUE(Near(back->GetCorner2(), Position(110.0, 70.25)));
    EXPECT_EQ(back->GetLayer(), 5);
    EXPECT_TRUE(back->GetSizeX() == fill.GetSizeX() && back->GetSizeY() == fill.GetSizeY());
}

TEST_F(CFillAreaTest, PropertyDialogEditsTheFillAndThePrototype)
{
    FakeUiServices ui;
    UiServices::Install(&ui);
    CFillArea fill = MakeFill(Position(0.0, 0.0), Position(40.0, 30.0), 1);
    ui.Expect<FillProperties>(true, [](FillProperties& v) {
        v.corner1 = Position(-5.0, -6.0);
        v.corner2 = Position(50.0, 60.0);
        v.layer = 16;
    });
    EXPECT_EQ(fill.EditProperties(0, Position()), 1);
    EXPECT_TRUE(Near(ui.Received<FillProperties>().at(0).corner2, Position(40.0, 30.0)));
    EXPECT_TRUE(fill.IsActive());
    EXPECT_TRUE(Near(fill.GetCorner1(), Position(-5.0, -6.0)));
    EXPECT_EQ(fill.GetSizeX(), 55.0);
    EXPECT_TRUE(fill.GetLayer() == 16 && thePrototypeFillArea.GetLayer() == 16);
}

} // namespace
