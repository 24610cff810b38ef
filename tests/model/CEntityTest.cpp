// The shared behaviour of board objects, through a small object class that only adds
// cloning and a drawing of its own.
#include "model/CEntity.h"
#include "model/BoardServices.h"
#include "model/Constants.h"
#include "platform/CArchive.h"
#include "platform/Clock.h"
#include "platform/RecordingDrawContext.h"
#include "support/FakeBoardServices.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <thread>
#include <tuple>

namespace
{

using Op = RecordingDrawContext::Op;

class ProbeEntity : public CEntity
{
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

// Every common attribute but the state lists, the selection and the live flag.
auto Common(ProbeEntity& e)
{
    const BOX2D& b = e.GetCachedBox();
    return std::tuple(b.x1, b.y1, b.x2, b.y2, e.IsComponentPart(), e.GetExportVariant(),
                      e.GetType(), e.GetColor(), e.GetPenStyle(), e.GetLineWidth(),
                      e.GetNameString(), e.GetSizeX(), e.GetSizeY(), e.GetPosition().x,
                      e.GetPosition().y, e.GetLayer(), e.GetRotation());
}

class CEntityTest : public ::testing::Test
{
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

    static std::vector<std::uint8_t> StoreCommonPart(ProbeEntity& e)
    {
        CArchive out;
        e.CEntity::Serialize(out);
        return out.TakeBytes();
    }

    FakeBoardServices services;
};

TEST_F(CEntityTest, MovesRotationsAndMirrors)
{
    ProbeEntity e;
    e.SetPosition(Position(5.0, 7.0), 0);
    e.SetCachedBox(BOX2D(0.0, 0.0, 10.0, 10.0));
    int flag = 42;
    EXPECT_EQ(e.Move(Position(1.0, 1.0), Position(4.0, -1.0), &flag), 0); // by (-3, 2)
    EXPECT_TRUE(e.GetPosition() == Position(2.0, 9.0));
    EXPECT_EQ(e.GetCachedBox().x1, 0.0);
    // MoveBy takes its arguments the other way round (from, then to), and moves the box.
    e.MoveBy(Position(2.0, 9.0), Position(-3.0, 2.0));
    EXPECT_TRUE(e.GetPosition() == Position(-3.0, 2.0));
    const BOX2D& b = e.GetCachedBox();
    EXPECT_EQ(std::tuple(b.x1, b.y1, b.x2, b.y2), std::tuple(-5.0, -7.0, 5.0, 3.0));

    e.SetAngle(1.5 * PI);
    e.Rotate(Position(0.0, 0.0), 0.5 * PI);
    EXPECT_EQ(e.GetRotation(), TWO_PI); // a full turn stays a full turn, not 0
    e.SetAngle(-0.5 * PI);
    EXPECT_NEAR(e.GetRotation(), 1.5 * PI, 1e-9);
    e.SetAngle(1.0);
    e.SetPosition(Position(5.0, 3.0), 0);
    e.MirrorX(Position(2.0, 100.0));
    e.MirrorY(Position(100.0, 1.0));
    EXPECT_NEAR(e.GetPosition().x, -1.0, 1e-5);
    EXPECT_NEAR(e.GetPosition().y, -1.0, 1e-5);
    EXPECT_EQ(e.GetRotation(), 1.0);
}

TEST_F(CEntityTest, LayerNamesAreTheFixedTable)
{
    // clang-format off
    const std::pair<int, const char*> names[] = {
        {-1, "Unkonwn Layer"}, {LAYER_GRID1, "Unkonwn Layer"}, {LAYER_HIGHLIGHT, "Unkonwn Layer"},
        {0, "Top Layer"}, {14, "Mid Layer 14"}, {15, "Bot Layer 15"}, {19, "Bottom Paste Mask"},
        {20, "Top Solider Mask"}, {22, "Internal Plane 1"}, {25, "Internal Plane 4"},
        {27, "Keepout Lay"}, {28, "Mechanical Layer1"}, {29, "Mechanical Layer 2"},
        {31, "Mechanical Layer 4"}, {35, "Via Hole"}};
    // clang-format on
    for (const auto& [layer, name] : names)
        EXPECT_EQ(CEntity::LayerName(layer), name) << layer;
}

TEST_F(CEntityTest, PropertyUndoAndRedoCycleThroughTheStates)
{
    ProbeEntity e;
    auto set = [&](double width, int layer, double at) {
        e.SetLineWidth(&width);
        e.SetLayer(layer);
        e.SetPosition(Position(at, at), 0);
    };
    auto state = [&] { return std::tuple(e.GetLineWidth(), e.GetLayer(), e.GetPosition().x); };
    set(10.0, 1, 1.0);
    e.PushUndoState(&e);
    set(20.0, 2, 5.0);
    e.Deactivate();

    auto counts = [&] { return std::tuple(e.EarlierStateCount(), e.LaterStateCount()); };
    e.UndoState();
    e.UndoState(); // nothing earlier left
    EXPECT_EQ(state(), std::tuple(10.0, 1, 1.0));
    EXPECT_FALSE(e.IsActive()); // the live flag is not a property
    EXPECT_EQ(counts(), std::tuple(std::size_t{0}, std::size_t{1}));
    e.RedoState();
    EXPECT_EQ(state(), std::tuple(20.0, 2, 5.0));
    EXPECT_EQ(counts(), std::tuple(std::size_t{1}, std::size_t{0}));

    // A plain base object cannot be cloned: nothing is recorded.
    CEntity plain;
    plain.PushUndoState(&plain);
    EXPECT_EQ(plain.EarlierStateCount(), 0u);
}

TEST_F(CEntityTest, CopiesTakeTheAttributesButNotStatesSelectionOrLiveFlagResetTheDefaults)
{
    ProbeEntity src;
    Populate(src);
    src.PushUndoState(&src);
    src.ToggleSelect();
    src.Deactivate();

    std::unique_ptr<CEntity> cloned(src.Clone());
    auto* clone = dynamic_cast<ProbeEntity*>(cloned.get());
    ASSERT_NE(clone, nullptr);
    ProbeEntity target, assigned;
    target.ToggleSelect();
    target.PushUndoState(&target);
    EXPECT_EQ(&target.CopyFrom(src), &target);
    EXPECT_EQ(&(assigned = src), &assigned);
    for (ProbeEntity* copy : {clone, &target, &assigned}) {
        EXPECT_EQ(Common(*copy), Common(src));
        EXPECT_TRUE(copy->IsActive());
        EXPECT_EQ(copy->IsSelected(), copy == &target);
        EXPECT_EQ(copy->EarlierStateCount(), copy == &target ? 1u : 0u);
    }

    // Reset brings back the common defaults but keeps the selection; activating notes
    // the time.
    src.Reset();
    src.SetPosition(Position(), 0); // the position is not a default
    EXPECT_EQ(Common(src), Common(*std::make_unique<ProbeEntity>()));
    EXPECT_EQ(src.GetLineWidth(), 10.0);
    EXPECT_TRUE(src.IsActive() && src.IsSelected());
    FakeClock clock(1234);
    Clock::Install(&clock);
    src.Activate();
    Clock::Install(nullptr);
    EXPECT_EQ(src.GetActivationTime(), 1234u);
}

TEST_F(CEntityTest, PenAndBrushFollowTheModeAndASelectedObjectGetsOneHighlight)
{
    services.layerColors[3] = 0x000000FF;
    services.layerColors[LAYER_HIGHLIGHT] = 0x0000FF00;
    ProbeEntity e;
    e.SetLayer(3);
    RecordingDrawContext dc;
    e.Draw(&dc, DM_NORMAL, Rect{0, 0, 100, 100}, nullptr);
    EXPECT_EQ(dc.Find(Op::Rectangle).at(0)->pen, (PenSpec{PenStyle::Solid, 3, 0x000000FF}));
    e.ToggleSelect();
    dc.Clear();
    e.Draw(&dc, DM_NORMAL, Rect{0, 0, 100, 100}, nullptr);
    const auto rects = dc.Find(Op::Rectangle);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[1]->pen.color, 0x0000FF00u);
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_EQ(e.GetLayer(), 3); // the highlight is drawn by a copy
    // Only mode 0 adds the highlight; mode 7 leaves the context's pen and brush alone.
    dc.Clear();
    e.Draw(&dc, DM_DASHED, Rect{0, 0, 100, 100}, nullptr);
    EXPECT_EQ(dc.Count(Op::Rectangle), 1);
    EXPECT_EQ(dc.Find(Op::Rectangle)[0]->pen.style, PenStyle::Dash);
    dc.Clear();
    e.Draw(&dc, DM_NONE, Rect{0, 0, 100, 100}, nullptr);
    EXPECT_EQ(dc.Count(Op::SetPen) + dc.Count(Op::SetBrush) + dc.Count(Op::SaveState), 0);
    // Erasing draws the outline in the background colour over the fill.
    PenSpec pen;
    BrushSpec brush;
    dc.SetBkColor(0x00ABCDEF);
    e.PreparePenAndBrush(&dc, DM_ERASE, &pen, &brush);
    EXPECT_EQ(pen, (PenSpec{PenStyle::Solid, 1, 0x00ABCDEF}));
    EXPECT_EQ(brush, (BrushSpec{BrushStyle::Solid, 0x000000FF}));
    e.PreparePenAndBrush(&dc, DM_OUTLINE, &pen, &brush);
    EXPECT_EQ(pen, (PenSpec{PenStyle::Solid, 1, 0x000000FF}));
    EXPECT_EQ(brush.style, BrushStyle::Hollow);

    // Hidden or not live, or a base object that cannot be copied: nothing at all.
    HiddenLayers hidden{{3, 0}};
    dc.Clear();
    e.Draw(&dc, DM_NORMAL, Rect{0, 0, 100, 100}, &hidden);
    e.Deactivate();
    e.Draw(&dc, DM_NORMAL, Rect{0, 0, 100, 100}, nullptr);
    CEntity plain;
    plain.ToggleSelect();
    plain.Draw(&dc, DM_NORMAL, Rect{0, 0, 100, 100}, nullptr);
    EXPECT_TRUE(dc.calls.empty());
}

TEST_F(CEntityTest, CommonPartSurvivesAnArchiveRoundTrip)
{
    ProbeEntity src;
    Populate(src);
    src.SetName(std::string(300, 'n')); // needs the long string form
    src.Deactivate();
    CArchive out;
    out.WriteObject(&src);
    const std::vector<std::uint8_t> bytes = out.TakeBytes();

    CArchive in(bytes);
    std::unique_ptr<CObject> obj(in.ReadObject(RUNTIME_CLASS(CEntity)));
    EXPECT_TRUE(in.AtEnd());
    auto* back = dynamic_cast<ProbeEntity*>(obj.get());
    ASSERT_NE(back, nullptr);
    EXPECT_FALSE(back->IsActive());
    // Not stored: the cached box, the component flag and the type.
    back->SetCachedBox(src.GetCachedBox());
    back->SetComponentPart(1);
    back->SetType(ET_ARC);
    EXPECT_EQ(Common(*back), Common(src));
}

TEST_F(CEntityTest, LoadingRefusesUnknownSchemasAndDamagedValues)
{
    ProbeEntity target;
    target.SetName("kept");
    auto load = [&](const std::vector<std::uint8_t>& bytes) {
        CArchive in(bytes);
        try {
            target.CEntity::Serialize(in);
        } catch (const CArchiveException& e) {
            EXPECT_EQ(target.GetNameString(), "kept"); // the object is left unchanged
            return int(e.m_cause);
        }
        return -1;
    };

    ProbeEntity good;
    Populate(good);
    std::vector<std::uint8_t> bytes = StoreCommonPart(good);
    bytes[2] = 3; // schema 3 is refused, schema 2 is read like schema 1
    EXPECT_EQ(load(bytes), CArchiveException::badSchema);
    bytes[2] = 1;
    bytes[bytes.size() - 16] = 2; // the live flag, fourth-last field: i32 live, i32, i32, u32
    EXPECT_NE(load(bytes), -1);

    // Values no board object can have.
    const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
    const std::function<void(ProbeEntity&)> damage[] = {
        [&](ProbeEntity& e) { e.SetPosition(Position(nan, 0.0), 0); },
        [&](ProbeEntity& e) { e.SetLineWidth(&inf); }, [&](ProbeEntity& e) { e.SetSizeY(nan); },
        [](ProbeEntity& e) { e.SetLayer(99); }, [](ProbeEntity& e) { e.SetLayer(-1); }};
    for (std::size_t i = 0; i < std::size(damage); ++i) {
        ProbeEntity bad;
        damage[i](bad);
        EXPECT_NE(load(StoreCommonPart(bad)), -1) << i;
    }

    bytes = StoreCommonPart(good);
    bytes[2] = 2;
    EXPECT_EQ(load(bytes), -1);
    EXPECT_EQ(target.GetNameString(), "U7");
}

TEST_F(CEntityTest, ResizeCursorFollowsTheDirectionInBothSenses)
{
    const double deg = PI / 180.0;
    using enum CursorShape;
    // clang-format off
    const std::pair<double, CursorShape> cases[] = {
        {PI, SizeWE}, {-10.0 * deg, SizeWE}, {30.0 * deg, SizeNESW}, {TWO_PI + 0.25 * PI, SizeNESW},
        {-0.5 * PI, SizeNS}, {1.75 * PI, SizeNWSE}, {4.0 * TWO_PI + 0.75 * PI, SizeNWSE},
        {std::nan(""), Arrow}};
    // clang-format on
    for (const auto& [angle, shape] : cases)
        EXPECT_EQ(CEntity::ResizeCursorCode(angle), shape) << angle;
}

TEST_F(CEntityTest, DescriptionNamesTypePointAndLayer)
{
    // Reports a position of its own, as a track reports its midpoint.
    class OwnPosition : public ProbeEntity
    {
        Position GetPosition() override { return Position(7.0, 8.0); }
    } e;
    e.SetPosition(Position(1.5, -2.0), 0);
    EXPECT_EQ(e.GetDescription(), "Entity (7.000000,8.000000) Top Layer");
    // Named: the name and the reference point.
    e.SetName("R1");
    e.SetLayer(LAYER_TOP_OVERLAY);
    EXPECT_EQ(e.GetDescription(), "Entity \"R1\" (1.500000,-2.000000) Top Overlay");
}

TEST_F(CEntityTest, BoxesAndHitTestsHonourHiddenLayersAndTheScroll)
{
    ProbeEntity e;
    e.SetLayer(4);
    e.SetCachedBox(BOX2D(0.0, 0.0, 20.0, 10.0));
    BOX2D box(-1.0, -1.0, -1.0, -1.0);
    HiddenLayers hidden{{4, 1}}, otherHidden{{5, 1}};
    EXPECT_EQ(e.GetExtent(&box, &hidden), 0);
    EXPECT_EQ(box.x1, -1.0);
    EXPECT_EQ(e.GetExtent(&box, &otherHidden), 1);

    // Hit tests take scrolled-view pixels; the screen rectangle is in client pixels.
    services.scroll = Point{1000, 500};
    const Rect own = e.GetScreenRect();
    ASSERT_FALSE(own.IsEmpty());
    Rect scrolled = own;
    scrolled.Offset(1000, 500);
    EXPECT_TRUE(e.HitTest(
        Rect{scrolled.right - 1, scrolled.bottom - 1, scrolled.right + 50, scrolled.bottom + 50}));
    EXPECT_FALSE(e.HitTest(own));

    // Selecting and the base property edit repaint the object's area.
    e.ToggleSelect();
    EXPECT_EQ(e.EditProperties(0, Position()), 0);
    EXPECT_EQ(services.invalidated, (std::vector<Rect>{own, own}));
}

TEST(CEntityResets, EveryThreadsResetsAreCountedAlsoAfterTheThreadEnded)
{
    const long before = CEntity::ResetCount();
    std::thread maker([] {
        for (int i = 0; i < 3; ++i)
            CEntity made;
    });
    maker.join();
    CEntity here;
    EXPECT_EQ(CEntity::ResetCount() - before, 4);
}

} // namespace
