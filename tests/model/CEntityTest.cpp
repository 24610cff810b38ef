// The shared behaviour of board objects, through a small object class that only adds
// cloning and a drawing of its own.
#include "model/CEntity.h"
#include "model/BoardServices.h"
#include "model/Constants.h"
#include "platform/CArchive.h"
#include "platform/Clock.h"
#include "platform/RecordingDrawContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace {

using Op = RecordingDrawContext::Op;

class ProbeEntity : public CEntity {
    DECLARE_SERIAL(ProbeEntity)

public:
    ProbeEntity() = default;
    ProbeEntity(const ProbeEntity&) = default;

    CEntity* Clone() override { return new ProbeEntity(*this); }

    // Draws one rectangle in the layer colour, then lets the base add the highlight.
    void Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden) override
    {
        if (!IsActive() || IsLayerHidden(hidden))
            return;
        SetColor(BoardServices::Current().GetLayerColor(GetLayer()));
        if (SelectPenAndBrush(dc, mode, 3)) {
            dc->Rectangle(Rect{0, 0, 10, 10});
            dc->RestoreState();
        }
        CEntity::Draw(dc, mode, clip, hidden);
    }

    void SetCachedBox(const BOX2D& b) { m_cachedBox = b; }
    void SetType(int type) { m_type = type; }
};

IMPLEMENT_SERIAL(ProbeEntity, CEntity, VERSIONABLE_SCHEMA | 1)

// Reports a position of its own, as a track reports its midpoint.
class OwnPositionEntity : public ProbeEntity {
public:
    Position GetPosition() override { return Position(7.0, 8.0); }
};

class CEntityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CRuntimeClass::Register(RUNTIME_CLASS(ProbeEntity));
        BoardServices::Install(&services);
    }

    // Gives every common attribute a value that differs from the defaults.
    static void Populate(ProbeEntity& e)
    {
        e.SetCachedBox(BOX2D(1.0, 2.0, 30.0, 40.0));
        e.SetComponentPart(1);
        e.SetExportVariant(1);
        e.SetType(ET_ARC);
        e.SetColor(0x00123456);
        e.SetPenStyle(5);
        double width = 12.5;
        e.SetLineWidth(&width);
        e.SetName("U7");
        e.SetSizeX(60.0);
        e.SetSizeY(45.0);
        e.SetPosition(Position(-120.25, 340.5), 0);
        e.SetLayer(LAYER_BOTTOM_OVERLAY);
        e.SetAngle(1.25);
    }

    static void ExpectSameCommon(ProbeEntity& a, ProbeEntity& b)
    {
        EXPECT_EQ(a.GetCachedBox().x1, b.GetCachedBox().x1);
        EXPECT_EQ(a.GetCachedBox().y1, b.GetCachedBox().y1);
        EXPECT_EQ(a.GetCachedBox().x2, b.GetCachedBox().x2);
        EXPECT_EQ(a.GetCachedBox().y2, b.GetCachedBox().y2);
        EXPECT_EQ(a.IsComponentPart(), b.IsComponentPart());
        EXPECT_EQ(a.GetExportVariant(), b.GetExportVariant());
        EXPECT_EQ(a.GetType(), b.GetType());
        EXPECT_EQ(a.GetColor(), b.GetColor());
        EXPECT_EQ(a.GetPenStyle(), b.GetPenStyle());
        EXPECT_EQ(a.GetLineWidth(), b.GetLineWidth());
        EXPECT_EQ(a.GetNameString(), b.GetNameString());
        EXPECT_EQ(a.GetSizeX(), b.GetSizeX());
        EXPECT_EQ(a.GetSizeY(), b.GetSizeY());
        EXPECT_TRUE(a.GetPosition() == b.GetPosition());
        EXPECT_EQ(a.GetLayer(), b.GetLayer());
        EXPECT_EQ(a.GetRotation(), b.GetRotation());
    }

    static std::vector<std::uint8_t> StoreCommonPart(ProbeEntity& e)
    {
        CArchive out;
        e.CEntity::Serialize(out);
        return out.TakeBytes();
    }

    static void LoadCommonPart(ProbeEntity& e, const std::vector<std::uint8_t>& bytes)
    {
        CArchive in(bytes);
        e.CEntity::Serialize(in);
    }

    SimpleBoardServices services;
};

TEST_F(CEntityTest, MoveShiftsThePointAndMoveByAlsoTheBox)
{
    ProbeEntity e;
    e.SetPosition(Position(5.0, 7.0), 0);
    e.SetCachedBox(BOX2D(0.0, 0.0, 10.0, 10.0));

    int flag = 42;
    EXPECT_EQ(e.Move(Position(0.0, 0.0), Position(5.0, 7.0), &flag), 0);
    EXPECT_TRUE(e.GetPosition() == Position(0.0, 0.0));
    EXPECT_EQ(flag, 42);
    EXPECT_EQ(e.GetCachedBox().x1, 0.0);
    EXPECT_EQ(e.GetCachedBox().y2, 10.0);

    // Move(P, P + v) moves by -v.
    e.Move(Position(1.0, 1.0), Position(4.0, -1.0), nullptr);
    EXPECT_TRUE(e.GetPosition() == Position(-3.0, 2.0));

    // MoveBy takes its arguments the other way round: from, then to.
    e.SetPosition(Position(5.0, 7.0), 0);
    e.MoveBy(Position(5.0, 7.0), Position(0.0, 0.0));
    EXPECT_TRUE(e.GetPosition() == Position(0.0, 0.0));
    EXPECT_EQ(e.GetCachedBox().x1, -5.0);
    EXPECT_EQ(e.GetCachedBox().y1, -7.0);
    EXPECT_EQ(e.GetCachedBox().x2, 5.0);
    EXPECT_EQ(e.GetCachedBox().y2, 3.0);
}

TEST_F(CEntityTest, RotationWrapsOnceAndTransformsMoveThePoint)
{
    ProbeEntity e;
    e.SetAngle(1.5 * PI);
    e.Rotate(Position(0.0, 0.0), 0.5 * PI);
    EXPECT_EQ(e.GetRotation(), TWO_PI); // a full turn stays a full turn, not 0

    e.SetAngle(1.75 * PI);
    e.Rotate(Position(0.0, 0.0), 0.5 * PI);
    EXPECT_NEAR(e.GetRotation(), 0.25 * PI, 1e-9);

    e.SetAngle(-0.5 * PI);
    EXPECT_NEAR(e.GetRotation(), 1.5 * PI, 1e-9);

    e.SetAngle(0.0);
    e.SetPosition(Position(10.0, 0.0), 0);
    e.Rotate(Position(0.0, 0.0), 0.5 * PI);
    EXPECT_NEAR(e.GetPosition().x, 0.0, 1e-5);
    EXPECT_NEAR(e.GetPosition().y, 10.0, 1e-5);

    e.SetPosition(Position(5.0, 3.0), 0);
    e.SetAngle(1.0);
    e.MirrorX(Position(2.0, 100.0));
    EXPECT_NEAR(e.GetPosition().x, -1.0, 1e-5);
    EXPECT_NEAR(e.GetPosition().y, 3.0, 1e-5);
    e.MirrorY(Position(100.0, 1.0));
    EXPECT_NEAR(e.GetPosition().x, -1.0, 1e-5);
    EXPECT_NEAR(e.GetPosition().y, -1.0, 1e-5);
    EXPECT_EQ(e.GetRotation(), 1.0);

    double a = -0.5 * PI;
    EXPECT_NEAR(NormalizeAngle(&a), 1.5 * PI, 1e-9);
    EXPECT_NEAR(a, 1.5 * PI, 1e-9);
}

TEST_F(CEntityTest, CollectLayersAndExportTextOnlyTouchWhatTheyShould)
{
    ProbeEntity e;
    e.SetLayer(3);
    std::map<int, int> used{{3, 7}};
    e.CollectLayers(used);
    EXPECT_EQ(used.at(3), 7);
    e.SetLayer(5);
    e.CollectLayers(used);
    EXPECT_EQ(used.at(5), 1);
    EXPECT_EQ(used.size(), 2u);

    e.SetType(ET_LINE);
    std::string out = "unchanged";
    std::map<int, int> counts;
    e.ExportText(out, counts);
    EXPECT_TRUE(counts.empty());
    counts[ET_LINE] = 4;
    counts[ET_ARC] = 9;
    e.ExportText(out, counts);
    EXPECT_EQ(counts[ET_LINE], 5);
    EXPECT_EQ(counts[ET_ARC], 9);
    EXPECT_EQ(out, "unchanged");
}

TEST_F(CEntityTest, PenAndBrushFollowTheDrawingMode)
{
    ProbeEntity e;
    e.SetColor(0x00123456);
    RecordingDrawContext dc;
    dc.SetBkColor(0x00ABCDEF);
    dc.Clear();

    PenSpec pen;
    BrushSpec brush;
    e.PreparePenAndBrush(&dc, DM_NORMAL, &pen, &brush);
    EXPECT_EQ(pen, (PenSpec{PenStyle::Solid, 1, 0x00123456}));
    EXPECT_EQ(brush, (BrushSpec{BrushStyle::Solid, 0x00123456}));

    e.PreparePenAndBrush(&dc, DM_DASHED, &pen, &brush);
    EXPECT_EQ(pen, (PenSpec{PenStyle::Dash, 1, 0x00123456}));
    EXPECT_EQ(brush.style, BrushStyle::Solid);

    e.PreparePenAndBrush(&dc, DM_ERASE, &pen, &brush);
    EXPECT_EQ(pen, (PenSpec{PenStyle::Solid, 1, 0x00ABCDEF}));
    EXPECT_EQ(brush, (BrushSpec{BrushStyle::Solid, 0x00123456}));

    e.PreparePenAndBrush(&dc, DM_OUTLINE, &pen, &brush);
    EXPECT_EQ(pen, (PenSpec{PenStyle::Solid, 1, 0x00123456}));
    EXPECT_EQ(brush.style, BrushStyle::Hollow);

    PenSpec untouchedPen{PenStyle::Null, 9, 0x42};
    BrushSpec untouchedBrush{BrushStyle::Hollow, 0x43};
    PenSpec p = untouchedPen;
    BrushSpec b = untouchedBrush;
    e.PreparePenAndBrush(&dc, DM_NONE, &p, &b);
    EXPECT_EQ(p, untouchedPen);
    EXPECT_EQ(b, untouchedBrush);
    EXPECT_TRUE(dc.calls.empty());
}

TEST_F(CEntityTest, LayerNamesAreTheFixedTable)
{
    EXPECT_EQ(CEntity::LayerName(-1), "Unkonwn Layer");
    EXPECT_EQ(CEntity::LayerName(LAYER_GRID1), "Unkonwn Layer");
    EXPECT_EQ(CEntity::LayerName(LAYER_HIGHLIGHT), "Unkonwn Layer");
    EXPECT_EQ(CEntity::LayerName(0), "Top Layer");
    EXPECT_EQ(CEntity::LayerName(14), "Mid Layer 14");
    EXPECT_EQ(CEntity::LayerName(15), "Bot Layer 15");
    EXPECT_EQ(CEntity::LayerName(20), "Top Solider Mask");
    EXPECT_EQ(CEntity::LayerName(22), "Internal Plane 1");
    EXPECT_EQ(CEntity::LayerName(25), "Internal Plane 4");
    EXPECT_EQ(CEntity::LayerName(27), "Keepout Lay");
    EXPECT_EQ(CEntity::LayerName(28), "Mechanical Layer1");
    EXPECT_EQ(CEntity::LayerName(29), "Mechanical Layer 2");
    EXPECT_EQ(CEntity::LayerName(31), "Mechanical Layer 4");
    EXPECT_EQ(CEntity::LayerName(35), "Via Hole");

    ProbeEntity e;
    e.SetLayer(LAYER_BOTTOM_PASTE);
    EXPECT_EQ(e.GetLayerName(), "Bottom Paste Mask");
}

TEST_F(CEntityTest, PropertyUndoAndRedoCycleThroughTheStates)
{
    ProbeEntity e;
    e.UndoState();
    e.RedoState();
    EXPECT_EQ(e.EarlierStateCount(), 0u);
    EXPECT_EQ(e.LaterStateCount(), 0u);

    double w1 = 10.0;
    e.SetLineWidth(&w1);
    e.SetLayer(1);
    e.SetPosition(Position(1.0, 1.0), 0);
    e.PushUndoState(&e);

    double w2 = 20.0;
    e.SetLineWidth(&w2);
    e.SetLayer(2);
    e.SetPosition(Position(5.0, 5.0), 0);
    e.Deactivate();

    e.UndoState();
    EXPECT_EQ(e.GetLineWidth(), 10.0);
    EXPECT_EQ(e.GetLayer(), 1);
    EXPECT_TRUE(e.GetPosition() == Position(1.0, 1.0));
    EXPECT_FALSE(e.IsActive()); // the live flag is not a property
    EXPECT_EQ(e.EarlierStateCount(), 0u);
    EXPECT_EQ(e.LaterStateCount(), 1u);

    e.UndoState(); // nothing earlier left
    EXPECT_EQ(e.GetLineWidth(), 10.0);
    EXPECT_EQ(e.LaterStateCount(), 1u);

    e.RedoState();
    EXPECT_EQ(e.GetLineWidth(), 20.0);
    EXPECT_EQ(e.GetLayer(), 2);
    EXPECT_TRUE(e.GetPosition() == Position(5.0, 5.0));
    EXPECT_EQ(e.EarlierStateCount(), 1u);
    EXPECT_EQ(e.LaterStateCount(), 0u);

    e.UndoState();
    EXPECT_EQ(e.GetLineWidth(), 10.0);
    EXPECT_EQ(e.GetLayer(), 1);

    // A plain base object cannot be cloned: nothing is recorded.
    CEntity plain;
    plain.PushUndoState(&plain);
    plain.PushUndoState(nullptr);
    EXPECT_EQ(plain.EarlierStateCount(), 0u);
}

TEST_F(CEntityTest, CopiesTakeTheAttributesButNotStatesSelectionOrLiveFlag)
{
    ProbeEntity src;
    Populate(src);
    src.PushUndoState(&src);
    src.PushUndoState(&src);
    src.ToggleSelect();
    src.Deactivate();

    std::unique_ptr<CEntity> cloned(src.Clone());
    auto* clone = dynamic_cast<ProbeEntity*>(cloned.get());
    ASSERT_NE(clone, nullptr);
    ExpectSameCommon(*clone, src);
    EXPECT_EQ(clone->EarlierStateCount(), 0u);
    EXPECT_FALSE(clone->IsSelected());
    EXPECT_TRUE(clone->IsActive());

    ProbeEntity target;
    target.ToggleSelect();
    target.PushUndoState(&target);
    CEntity& r = target.CopyFrom(src);
    EXPECT_EQ(&r, &target);
    ExpectSameCommon(target, src);
    EXPECT_TRUE(target.IsSelected());
    EXPECT_TRUE(target.IsActive());
    EXPECT_EQ(target.EarlierStateCount(), 1u);

    ProbeEntity assigned;
    CEntity& r2 = (assigned = src);
    EXPECT_EQ(&r2, &assigned);
    ExpectSameCommon(assigned, src);
    EXPECT_FALSE(assigned.IsSelected());
    EXPECT_TRUE(assigned.IsActive());
    EXPECT_EQ(assigned.EarlierStateCount(), 0u);
}

TEST_F(CEntityTest, SelectedObjectGetsOneHighlightInTheHighlightColour)
{
    services.layerColors[3] = 0x000000FF;
    services.layerColors[LAYER_HIGHLIGHT] = 0x0000FF00;
    ProbeEntity e;
    e.SetLayer(3);
    RecordingDrawContext dc;

    e.Draw(&dc, DM_NORMAL, Rect{0, 0, 100, 100}, nullptr);
    auto rects = dc.Find(Op::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0]->pen, (PenSpec{PenStyle::Solid, 3, 0x000000FF}));
    EXPECT_EQ(dc.SaveDepth(), 0);

    e.ToggleSelect();
    dc.Clear();
    e.Draw(&dc, DM_NORMAL, Rect{0, 0, 100, 100}, nullptr);
    rects = dc.Find(Op::Rectangle);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0]->pen.color, 0x000000FFu);
    EXPECT_EQ(rects[1]->pen.color, 0x0000FF00u);
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_EQ(e.GetLayer(), 3); // the highlight is drawn by a copy
    EXPECT_TRUE(e.IsSelected());

    // Only mode 0 adds the highlight; mode 7 changes nothing on the context.
    dc.Clear();
    e.Draw(&dc, DM_DASHED, Rect{0, 0, 100, 100}, nullptr);
    EXPECT_EQ(dc.Count(Op::Rectangle), 1);
    dc.Clear();
    e.Draw(&dc, DM_NONE, Rect{0, 0, 100, 100}, nullptr);
    EXPECT_EQ(dc.Count(Op::SetPen), 0);
    EXPECT_EQ(dc.Count(Op::SaveState), 0);

    // Hidden or not live: nothing at all.
    HiddenLayers hidden{{3, 0}};
    dc.Clear();
    e.Draw(&dc, DM_NORMAL, Rect{0, 0, 100, 100}, &hidden);
    EXPECT_TRUE(dc.calls.empty());
    e.Deactivate();
    e.Draw(&dc, DM_NORMAL, Rect{0, 0, 100, 100}, nullptr);
    EXPECT_TRUE(dc.calls.empty());

    // A base object cannot be copied for its highlight and draws nothing.
    CEntity plain;
    plain.ToggleSelect();
    plain.Draw(&dc, DM_NORMAL, Rect{0, 0, 100, 100}, nullptr);
    EXPECT_TRUE(dc.calls.empty());
}

TEST_F(CEntityTest, ResetRestoresTheCommonDefaultsAndCounts)
{
    ProbeEntity e;
    Populate(e);
    e.Deactivate();
    e.ToggleSelect();
    long before = CEntity::ResetCount();
    e.Reset();
    EXPECT_EQ(CEntity::ResetCount(), before + 1);

    EXPECT_TRUE(e.GetCachedBox().IsEmpty());
    EXPECT_EQ(e.IsComponentPart(), 0);
    EXPECT_EQ(e.GetExportVariant(), 0);
    EXPECT_EQ(e.GetType(), -1);
    EXPECT_EQ(e.GetColor(), 0u);
    EXPECT_EQ(e.GetPenStyle(), 0);
    EXPECT_EQ(e.GetLineWidth(), 10.0);
    EXPECT_EQ(e.GetNameString(), "");
    EXPECT_EQ(e.GetSizeX(), 0.0);
    EXPECT_EQ(e.GetSizeY(), 0.0);
    EXPECT_EQ(e.GetLayer(), 0);
    EXPECT_EQ(e.GetRotation(), 0.0);
    EXPECT_TRUE(e.IsActive());
    EXPECT_TRUE(e.IsSelected());
}

TEST_F(CEntityTest, ActivateNotesTheClockTime)
{
    FakeClock clock(1234);
    Clock::Install(&clock);
    ProbeEntity e;
    e.Deactivate();
    e.Activate();
    Clock::Install(nullptr);
    EXPECT_TRUE(e.IsActive());
    EXPECT_EQ(e.GetActivationTime(), 1234u);
}

TEST_F(CEntityTest, CommonPartSurvivesAnArchiveRoundTrip)
{
    ProbeEntity src;
    Populate(src);
    src.SetName(std::string(300, 'n')); // needs the long string form
    src.Deactivate();

    CArchive out;
    out.WriteObject(&src);
    std::vector<std::uint8_t> bytes = out.TakeBytes();

    CArchive in(bytes);
    std::unique_ptr<CObject> obj(in.ReadObject(RUNTIME_CLASS(CEntity)));
    EXPECT_TRUE(in.AtEnd());
    auto* back = dynamic_cast<ProbeEntity*>(obj.get());
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->GetPosition() == src.GetPosition());
    EXPECT_EQ(back->GetNameString(), src.GetNameString());
    EXPECT_EQ(back->GetLayer(), src.GetLayer());
    EXPECT_EQ(back->GetRotation(), src.GetRotation());
    EXPECT_EQ(back->GetLineWidth(), src.GetLineWidth());
    EXPECT_EQ(back->GetSizeX(), src.GetSizeX());
    EXPECT_EQ(back->GetSizeY(), src.GetSizeY());
    EXPECT_FALSE(back->IsActive());
    EXPECT_EQ(back->GetExportVariant(), src.GetExportVariant());
    EXPECT_EQ(back->GetPenStyle(), src.GetPenStyle());
    EXPECT_EQ(back->GetColor(), src.GetColor());
}

TEST_F(CEntityTest, CommonPartStartsWithTheClassRecordAndPosition)
{
    ProbeEntity e;
    e.SetPosition(Position(1.5, -2.0), 0);
    std::vector<std::uint8_t> bytes = StoreCommonPart(e);
    const std::uint8_t head[] = {0xFF, 0xFF, 0x01, 0x00, 0x07, 0x00,
                                 'C',  'E',  'n',  't',  'i',  't',  'y'};
    ASSERT_GE(bytes.size(), sizeof head + 16);
    EXPECT_TRUE(std::equal(std::begin(head), std::end(head), bytes.begin()));
    double x = 0.0, y = 0.0;
    std::memcpy(&x, bytes.data() + sizeof head, 8);
    std::memcpy(&y, bytes.data() + sizeof head + 8, 8);
    EXPECT_EQ(x, 1.5);
    EXPECT_EQ(y, -2.0);
}

TEST_F(CEntityTest, LoadingRefusesUnknownSchemasAndDamagedValues)
{
    ProbeEntity good;
    Populate(good);
    std::vector<std::uint8_t> bytes = StoreCommonPart(good);

    // Schema 2 is read like schema 1; schema 3 is refused.
    bytes[2] = 2;
    ProbeEntity two;
    LoadCommonPart(two, bytes);
    EXPECT_EQ(two.GetNameString(), "U7");

    bytes[2] = 3;
    ProbeEntity target;
    target.SetName("kept");
    try {
        LoadCommonPart(target, bytes);
        FAIL() << "schema 3 was accepted";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badSchema);
    }

    // Values no board object can have: the record is refused and the object unchanged.
    auto refused = [&](ProbeEntity& bad) {
        std::vector<std::uint8_t> b = StoreCommonPart(bad);
        EXPECT_THROW(LoadCommonPart(target, b), CArchiveException);
        EXPECT_EQ(target.GetNameString(), "kept");
    };
    ProbeEntity nanPosition;
    nanPosition.SetPosition(Position(std::nan(""), 0.0), 0);
    refused(nanPosition);

    ProbeEntity infiniteWidth;
    double inf = std::numeric_limits<double>::infinity();
    infiniteWidth.SetLineWidth(&inf);
    refused(infiniteWidth);

    ProbeEntity nanSize;
    nanSize.SetSizeY(std::nan(""));
    refused(nanSize);

    ProbeEntity farLayer;
    farLayer.SetLayer(99);
    refused(farLayer);

    ProbeEntity negativeLayer;
    negativeLayer.SetLayer(-1);
    refused(negativeLayer);

    // The live flag is the fourth-last field: i32 live, i32, i32, u32.
    std::vector<std::uint8_t> badLive = StoreCommonPart(good);
    badLive[badLive.size() - 16] = 2;
    EXPECT_THROW(LoadCommonPart(target, badLive), CArchiveException);
    EXPECT_EQ(target.GetNameString(), "kept");
}

TEST_F(CEntityTest, ResizeCursorFollowsTheDirectionInBothSenses)
{
    const double deg = PI / 180.0;
    EXPECT_EQ(CEntity::ResizeCursorCode(0.0), CursorShape::SizeWE);
    EXPECT_EQ(CEntity::ResizeCursorCode(PI), CursorShape::SizeWE);
    EXPECT_EQ(CEntity::ResizeCursorCode(350.0 * deg), CursorShape::SizeWE);
    EXPECT_EQ(CEntity::ResizeCursorCode(30.0 * deg), CursorShape::SizeNESW);
    EXPECT_EQ(CEntity::ResizeCursorCode(0.25 * PI), CursorShape::SizeNESW);
    EXPECT_EQ(CEntity::ResizeCursorCode(0.5 * PI), CursorShape::SizeNS);
    EXPECT_EQ(CEntity::ResizeCursorCode(0.75 * PI), CursorShape::SizeNWSE);
    EXPECT_EQ(CEntity::ResizeCursorCode(1.75 * PI), CursorShape::SizeNWSE);

    // Any angle, wrapped.
    EXPECT_EQ(CEntity::ResizeCursorCode(-0.25 * PI), CursorShape::SizeNWSE);
    EXPECT_EQ(CEntity::ResizeCursorCode(-0.5 * PI), CursorShape::SizeNS);
    EXPECT_EQ(CEntity::ResizeCursorCode(-10.0 * deg), CursorShape::SizeWE);
    EXPECT_EQ(CEntity::ResizeCursorCode(TWO_PI + 0.25 * PI), CursorShape::SizeNESW);
    EXPECT_EQ(CEntity::ResizeCursorCode(4.0 * TWO_PI + 0.75 * PI), CursorShape::SizeNWSE);
    EXPECT_EQ(CEntity::ResizeCursorCode(std::nan("")), CursorShape::Arrow);
}

TEST_F(CEntityTest, DescriptionNamesTypePointAndLayer)
{
    OwnPositionEntity e;
    e.SetPosition(Position(1.5, -2.0), 0);
    // Unnamed: the reported position.
    EXPECT_EQ(e.GetDescription(), "Entity (7.000000,8.000000) Top Layer");
    // Named: the name and the reference point.
    e.SetName("R1");
    e.SetLayer(LAYER_TOP_OVERLAY);
    EXPECT_EQ(e.GetDescription(), "Entity \"R1\" (1.500000,-2.000000) Top Overlay");
}

TEST_F(CEntityTest, BoxesHonourHiddenLayers)
{
    ProbeEntity e;
    e.SetLayer(4);
    e.SetCachedBox(BOX2D(0.0, 0.0, 20.0, 10.0));
    BOX2D box;
    EXPECT_EQ(e.GetBox(&box, nullptr), 1);
    EXPECT_EQ(box.x2, 20.0);
    EXPECT_EQ(e.GetBox(nullptr, nullptr), 0);

    HiddenLayers hidden{{4, 1}};
    BOX2D other(-1.0, -1.0, -1.0, -1.0);
    EXPECT_EQ(e.GetBox(&other, &hidden), 0);
    EXPECT_EQ(e.GetExtent(&other, &hidden), 0);
    EXPECT_EQ(other.x1, -1.0);
    HiddenLayers otherHidden{{5, 1}};
    EXPECT_EQ(e.GetExtent(&other, &otherHidden), 1);
    EXPECT_EQ(other.y2, 10.0);

    EXPECT_TRUE(e.IntersectsBox(BOX2D(5.0, 5.0, 30.0, 30.0)));
    EXPECT_FALSE(e.IntersectsBox(BOX2D(50.0, 50.0, 60.0, 60.0)));
}

TEST_F(CEntityTest, HitTestUsesTheScrolledScreenRectangle)
{
    ProbeEntity e;
    e.SetCachedBox(BOX2D(0.0, 0.0, 20.0, 10.0));
    services.scroll = Point{1000, 500};
    Rect own = e.GetScreenRect();
    ASSERT_FALSE(own.IsEmpty());

    Rect scrolled = own;
    scrolled.Offset(1000, 500);
    EXPECT_TRUE(e.HitTest(scrolled));
    Rect corner{scrolled.right - 1, scrolled.bottom - 1, scrolled.right + 50, scrolled.bottom + 50};
    EXPECT_TRUE(e.HitTest(corner));
    EXPECT_FALSE(e.HitTest(own)); // the unscrolled rectangle lies elsewhere

    // Selecting and the base property edit repaint the object's area.
    e.ToggleSelect();
    EXPECT_EQ(e.EditProperties(0, Position()), 0);
    ASSERT_EQ(services.invalidated.size(), 2u);
    EXPECT_EQ(services.invalidated[0], own);
    EXPECT_EQ(services.invalidated[1], own);
}

} // namespace
