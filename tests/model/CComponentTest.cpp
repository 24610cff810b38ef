#include "model/CComponent.h"

#include "model/BoardServices.h"
#include "model/CArc.h"
#include "model/CCircle.h"
#include "model/CFillArea.h"
#include "model/CFreePad.h"
#include "model/CLine.h"
#include "model/CPolygon.h"
#include "model/CTxtTag.h"
#include "model/CViaPad.h"
#include "model/Constants.h"
#include "model/LibraryRecord.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace
{

using Result = CComponent::LibraryReadResult;

void ExpectAt(const Position& p, double x, double y, double eps = 1e-9)
{
    EXPECT_NEAR(p.x, x, eps);
    EXPECT_NEAR(p.y, y, eps);
}

std::vector<int> ChildTypes(const CComponent& c)
{
    std::vector<int> types;
    for (CEntity* e : c.GetChildren())
        types.push_back(e->GetType());
    return types;
}

CLine* ChildLine(const CComponent& c, std::size_t i)
{
    return dynamic_cast<CLine*>(c.GetChildren().at(i));
}

// A component at `ref` with a track, an arc and a via, and a named designator.
std::unique_ptr<CComponent> SampleComponent(const Position& ref = Position(100, 100))
{
    auto c = std::make_unique<CComponent>("DIP14");
    CLine track(Position(100, 100), Position(150, 120));
    CArc arc(Position(130, 80), 10.0, 0.0, PI);
    CViaPad via;
    via.SetPosition(Position(160, 90), 0);
    c->AddEntity(&track, 0);
    c->AddEntity(&arc, 0);
    c->AddEntity(&via, 0);
    c->SetPosition(ref, 0);
    c->SetName("U1");
    c->SetCommentText("74HC00");
    BOX2D box;
    c->GetBox(&box);
    return c;
}

// Library image built record by record.
class Image
{
  public:
    explicit Image(std::size_t lead = 0) : bytes(lead, 0xAA) {}
    // Appends a zero-filled record of `size` bytes with its kind and layer; returns its offset.
    // Lengths in mils go to the given offsets within the record.
    std::size_t Record(std::uint16_t kind, int layer, std::size_t size,
                       std::initializer_list<std::pair<std::size_t, double>> lengths = {})
    {
        const std::size_t at = bytes.size();
        bytes.resize(at + size, 0);
        LibRecord::PutU16(&bytes[at], kind);
        LibRecord::PutU16(&bytes[at + 2], std::uint16_t(layer + 1));
        for (const auto& [offset, mils] : lengths)
            Mils(at + offset, mils);
        return at;
    }
    void I32(std::size_t at, std::int32_t v) { LibRecord::PutI32(&bytes[at], v); }
    void U16(std::size_t at, std::uint16_t v) { LibRecord::PutU16(&bytes[at], v); }
    void Mils(std::size_t at, double mils) { I32(at, LibRecord::ToLength(mils)); }
    void Degrees(std::size_t at, double deg) { ASSERT_EQ(1, DoubleToReal48(deg, &bytes[at])); }
    std::size_t Track(Position a, Position b)
    {
        return Record(LibRecord::Track, LAYER_TOP, 32,
                      {{4, a.x}, {8, a.y}, {12, b.x}, {16, b.y}, {20, 10.0}});
    }
    // A text record holding `s` with the stored length `length`; its size follows from
    // the length unless given.
    std::size_t Text(const std::string& s, std::int32_t length, std::size_t size = 0)
    {
        if (size == 0)
            size = (std::size_t(std::max(length, 0)) + 31) / 32 * 32 + 32;
        const std::size_t at = Record(LibRecord::Text, LAYER_TOP_OVERLAY, size);
        Mils(at + 12, 60.0);
        U16(at + 16, 1);
        I32(at + 24, length);
        std::memcpy(&bytes[at + 32], s.data(), std::min(s.size(), size - 32));
        return at;
    }
    // An exact-size copy, so that a read past its end is caught by the address sanitizer.
    std::vector<BYTE> Exact(std::size_t n) const
    {
        return std::vector<BYTE>(bytes.begin(), bytes.begin() + std::ptrdiff_t(n));
    }
    std::vector<BYTE> bytes;
};

std::vector<std::uint8_t> Store(CObject& ob)
{
    CArchive out;
    out.WriteObject(&ob);
    return out.TakeBytes();
}

void RegisterPartClasses()
{
    for (const CRuntimeClass* rc :
         {RUNTIME_CLASS(CComponent), RUNTIME_CLASS(CTxtTag), RUNTIME_CLASS(CFreePad),
          RUNTIME_CLASS(CViaPad), RUNTIME_CLASS(CFillArea), RUNTIME_CLASS(CLine),
          RUNTIME_CLASS(CArc)})
        CRuntimeClass::Register(rc);
}

} // namespace

// ---------------------------------------------------------------------------------
// Building from other objects

TEST(CComponentAdd, ComponentsContributeTheirLivePartsAndOptionallyTheirTexts)
{
    auto source = SampleComponent();
    CLine loose(Position(0, 0), Position(10, 0));
    source->AddEntity(&loose, 0);
    source->GetChildren().back()->Deactivate(); // a removed part
    EXPECT_FALSE(loose.IsComponentPart());      // the argument is copied, never taken over

    CComponent flat;
    EXPECT_EQ(0, flat.AddEntity(nullptr, 1));
    EXPECT_EQ(1, flat.AddEntity(source.get(), 0));
    EXPECT_EQ((std::vector<int>{ET_LINE, ET_ARC, ET_VIA}), ChildTypes(flat));

    EXPECT_EQ(1, flat.AddEntity(source.get(), 1));
    ASSERT_EQ(8u, flat.GetChildren().size());
    // The comment comes before the designator, and keeps being hidden.
    auto* comment = dynamic_cast<CTxtTag*>(flat.GetChildren()[6]);
    auto* designator = dynamic_cast<CTxtTag*>(flat.GetChildren()[7]);
    ASSERT_NE(nullptr, comment);
    ASSERT_NE(nullptr, designator);
    EXPECT_EQ("74HC00", std::string(comment->GetName()));
    EXPECT_TRUE(comment->IsHidden());
    EXPECT_EQ("U1", std::string(designator->GetName()));

    for (std::size_t i = 0; i < flat.GetChildren().size(); ++i) {
        CEntity* part = flat.GetChildren()[i];
        EXPECT_TRUE(part->IsComponentPart()) << i;
        EXPECT_TRUE(part->IsActive()) << i;
        for (CEntity* original : source->GetChildren())
            EXPECT_NE(original, part) << i;
    }

    // A component added to itself doubles its parts; the list and array forms add each.
    EXPECT_EQ(1, flat.AddEntity(&flat, 0));
    EXPECT_EQ(16u, flat.GetChildren().size());
    CArc arc(Position(0, 0), 5.0, 0.0, 1.0);
    CEntity* items[] = {&loose, &arc};
    EXPECT_EQ(0, flat.AddCopies(nullptr, 2, 0));
    EXPECT_EQ(1, flat.AddCopies(items, 2, 0));
    EXPECT_EQ(1, flat.AddCopiesFromList({&arc, nullptr, &loose}, 0));
    EXPECT_EQ(20u, flat.GetChildren().size());
    EXPECT_EQ(ET_ARC, flat.GetChildren()[18]->GetType());

    // A polygon pour gives copies of its live fill elements, not itself.
    CPolygon pour;
    pour.AddFillTrack(new CLine(Position(0, 0), Position(10, 0)));
    pour.AddFillTrack(new CLine(Position(0, 5), Position(10, 5)))->Deactivate();
    CComponent fromPour;
    EXPECT_EQ(1, fromPour.AddEntity(&pour, 0));
    EXPECT_EQ(std::vector<int>{ET_LINE}, ChildTypes(fromPour));
    EXPECT_NE(pour.GetHatchList()[0], fromPour.GetChildren()[0]);
}

// ---------------------------------------------------------------------------------
// Transformations

TEST(CComponentSide, ChangingSideTwiceRestoresEveryPositionAndLayer)
{
    CComponent c;
    CLine top(Position(100, 100), Position(150, 120));
    CLine bottom(Position(90, 100), Position(90, 140));
    bottom.SetLayer(LAYER_BOTTOM);
    CLine overlay(Position(80, 80), Position(120, 80));
    overlay.SetLayer(LAYER_BOTTOM_OVERLAY);
    CLine paste(Position(70, 70), Position(75, 75));
    paste.SetLayer(LAYER_TOP_PASTE);
    CFreePad pad;
    pad.SetPosition(Position(160, 110), 0);
    pad.SetLayer(LAYER_MULTI);
    for (CEntity* e : std::vector<CEntity*>{&top, &bottom, &overlay, &paste, &pad})
        c.AddEntity(e, 0);
    c.SetPosition(Position(100, 100), 0);
    c.GetDesignator().SetPosition(Position(95, 130), 0);
    BOX2D box;
    c.GetBox(&box);

    struct Snapshot {
        std::vector<int> layers;
        std::vector<Position> points;
    };
    auto snap = [&c] {
        Snapshot s;
        for (CEntity* e : c.GetChildren()) {
            s.layers.push_back(e->GetLayer());
            if (auto* t = dynamic_cast<CLine*>(e)) {
                s.points.push_back(t->GetStart());
                s.points.push_back(t->GetEnd());
            } else {
                s.points.push_back(e->GetPosition());
            }
        }
        s.layers.push_back(c.GetDesignator().GetLayer());
        s.layers.push_back(c.GetComment().GetLayer());
        s.points.push_back(c.GetDesignator().GetPosition());
        return s;
    };
    const Snapshot before = snap();

    FakeUiServices ui;
    ui.Expect<ComponentProperties>(true, [](ComponentProperties& v) { v.side = 1; });
    ui.Expect<ComponentProperties>(true, [](ComponentProperties& v) { v.side = 0; });
    UiServices::Install(&ui);

    EXPECT_EQ(1, c.EditProperties(0, Position(0, 0)));
    EXPECT_EQ(LAYER_BOTTOM, c.GetLayer());
    const Snapshot flipped = snap();
    EXPECT_EQ((std::vector<int>{LAYER_BOTTOM, LAYER_TOP, LAYER_TOP_OVERLAY, LAYER_TOP_PASTE,
                                LAYER_MULTI, LAYER_BOTTOM_OVERLAY, LAYER_BOTTOM_OVERLAY}),
              flipped.layers);
    // Mirrored across the vertical line through the reference point (the board's mirror
    // works through its own value of pi, hence the tolerance).
    for (std::size_t i = 0; i < before.points.size(); ++i)
        ExpectAt(flipped.points[i], 200.0 - before.points[i].x, before.points[i].y, 1e-4);
    EXPECT_EQ(1, c.GetDesignator().GetMirror());

    EXPECT_EQ(1, c.EditProperties(MK::Control, Position(0, 0)));
    ASSERT_EQ(2u, ui.Received<ComponentProperties>().size());
    EXPECT_EQ(1, ui.Received<ComponentProperties>()[1].side); // layer 15 shows as the second entry
    const Snapshot back = snap();
    EXPECT_EQ(before.layers, back.layers);
    for (std::size_t i = 0; i < before.points.size(); ++i)
        ExpectAt(back.points[i], before.points[i].x, before.points[i].y, 1e-4);
    EXPECT_EQ(LAYER_TOP, c.GetLayer());
    EXPECT_EQ(0, c.GetDesignator().GetMirror());

    // The same layer again changes nothing; the highlight layer takes every part.
    c.SetLayer(LAYER_TOP);
    EXPECT_EQ(before.layers, snap().layers);
    c.SetLayer(LAYER_HIGHLIGHT);
    for (int layer : snap().layers)
        EXPECT_EQ(LAYER_HIGHLIGHT, layer);
}

TEST(CComponentRotation, SetAngleTurnsTheGroupByTheDifference)
{
    struct Case {
        double from, to, turn;
    } cases[] = {
        {0.0, PI * 0.5, PI * 0.5},
        {PI * 1.5, PI * 0.5, PI}, // a smaller angle turns forward through a whole turn
        {PI * 0.5, PI * 0.5, 0.0},
        {PI, 0.0, PI},
    };
    for (const Case& k : cases) {
        CComponent c;
        CLine arm(Position(10, 20), Position(110, 20));
        c.AddEntity(&arm, 0);
        c.SetPosition(Position(10, 20), 0);
        c.SetAngle(k.from);
        const Position end = ChildLine(c, 0)->GetEnd();
        const Position designator = c.GetDesignator().GetPosition();
        const double designatorAngle = c.GetDesignator().GetAngle();

        c.SetAngle(k.to);
        Position expected = end;
        expected.Rotate(Position(10, 20), k.turn);
        ExpectAt(ChildLine(c, 0)->GetEnd(), expected.x, expected.y, 1e-6);
        ExpectAt(c.GetPosition(), 10, 20);
        ExpectAt(c.GetDesignator().GetPosition(), designator.x, designator.y, 1e-6);
        EXPECT_NEAR(CAngle::Normalize(designatorAngle + k.turn), c.GetDesignator().GetAngle(),
                    1e-6);
        EXPECT_NEAR(std::fmod(k.to, TWO_PI), std::fmod(c.GetRotation(), TWO_PI), 1e-6)
            << k.from << " -> " << k.to;
    }
}

TEST(CComponentRotation, PartsLeaveTheirPrototypesAlone)
{
    auto c = SampleComponent();
    CFreePad pad;
    CFillArea fill;
    fill.SetCorner1(Position(0, 0));
    fill.SetCorner2(Position(20, 10));
    CTxtTag text;
    text.SetName("X");
    for (CEntity* e : std::vector<CEntity*>{&pad, &fill, &text})
        c->AddEntity(e, 0);

    auto state = [](CEntity& e) {
        return std::vector<double>{e.CEntity::GetPosition().x, e.CEntity::GetPosition().y,
                                   e.GetRotation()};
    };
    std::vector<CEntity*> prototypes = {&theDefaultLine,       &thePrototypeArc,
                                        &thePrototypeFreePad,  &thePrototypeViaPad,
                                        &thePrototypeFillArea, &thePrototypeTxtTag};
    for (CEntity* p : prototypes)
        p->SetPosition(Position(7, 9), 0);
    std::vector<std::vector<double>> before;
    for (CEntity* p : prototypes)
        before.push_back(state(*p));
    const int textMirror = thePrototypeTxtTag.GetMirror();

    c->Rotate(Position(3, 4), PI * 0.5);
    c->MirrorX(Position(50, 0));
    c->MirrorY(Position(0, 50));
    c->SetAngle(PI * 0.25);

    for (std::size_t i = 0; i < prototypes.size(); ++i)
        EXPECT_EQ(before[i], state(*prototypes[i])) << prototypes[i]->GetTypeName();
    EXPECT_EQ(textMirror, thePrototypeTxtTag.GetMirror());

    // A free track still hands its turn on, so the check above means something.
    CLine free(Position(0, 0), Position(10, 0));
    free.Rotate(Position(0, 0), PI * 0.5);
    EXPECT_NE(before[0], state(theDefaultLine));
}

// ---------------------------------------------------------------------------------
// Box, hit tests and editing

TEST(CComponentHitTest, HiddenLayersLocksAndTheDialogChoice)
{
    CComponent c;
    CLine a(Position(0, 0), Position(100, 0));
    CLine b(Position(0, 50), Position(100, 50));
    b.SetLayer(LAYER_BOTTOM);
    c.AddEntity(&a, 0);
    c.AddEntity(&b, 0);
    c.GetDesignator().SetName("R1");
    c.GetDesignator().SetPosition(Position(0, 200), 0);
    BOX2D box;
    ASSERT_EQ(1, c.GetBox(&box));
    EXPECT_GT(box.y2, 200.0); // the shown designator counts, the hidden comment does not
    c.GetComment().SetHidden(0);
    c.GetComment().SetName("10k");
    c.GetComment().SetPosition(Position(0, 400), 0);
    c.GetBox(&box);
    EXPECT_GT(box.y2, 400.0);

    const double tol = 0.0;
    const HiddenLayers both = {{LAYER_TOP, 1}, {LAYER_BOTTOM, 1}};
    const HiddenLayers topOnly = {{LAYER_TOP, 1}};
    EXPECT_TRUE(c.HitTestPoint(Position(50, 25), &tol, nullptr));
    EXPECT_TRUE(c.HitTestPoint(Position(50, 25), &tol, &topOnly));
    EXPECT_FALSE(c.HitTestPoint(Position(50, 25), &tol, &both));
    ASSERT_EQ(1, c.GetBox(&box, &both));
    EXPECT_GT(box.y1, 150.0);            // only the texts remain shown
    EXPECT_LT(c.GetCachedBox().y1, 0.0); // while the cached box keeps every part

    // A locked component gives only its texts as parts.
    BOX2D textBox;
    c.GetDesignator().GetBox(&textBox);
    const Position onDesignator = textBox.Center();
    EXPECT_EQ(nullptr, c.HitTestPart(Position(50, 0), &tol, nullptr));
    EXPECT_EQ(&c.GetDesignator(), c.HitTestPart(onDesignator, &tol, nullptr));
    c.SetLocked(0);
    EXPECT_EQ(c.GetChildren()[0], c.HitTestPart(Position(50, 0), &tol, nullptr));
    EXPECT_EQ(nullptr, c.HitTestPart(Position(50, 0), &tol, &both));

    // Unlocked: the part under the cursor is edited alone, unless Ctrl is held.
    FakeUiServices ui;
    ui.Expect<TrackProperties>(false);
    ui.Expect<ComponentProperties>(false);
    UiServices::Install(&ui);
    EXPECT_EQ(0, c.EditProperties(0, Position(50, 0)));
    EXPECT_EQ(0, c.EditProperties(MK::Control, Position(50, 0)));
    EXPECT_EQ(0, c.EditProperties(0, Position(500, 500))); // nothing under the cursor
    EXPECT_TRUE(ui.AllAnswersUsed());
    EXPECT_EQ(1u, ui.Received<TrackProperties>().size());
    EXPECT_EQ(1u, ui.Received<ComponentProperties>().size());
    EXPECT_TRUE(c.IsActive());

    c.Deactivate();
    EXPECT_FALSE(c.HitTestPoint(Position(50, 25), &tol, nullptr));
    EXPECT_EQ(nullptr, c.HitTestPart(onDesignator, &tol, nullptr));
}

TEST(CComponentEdit, ConfirmedDialogTurnsMovesAndRenames)
{
    auto c = SampleComponent(Position(100, 100));
    c->SetLocked(0);
    FakeUiServices ui;
    ui.Expect<ComponentProperties>(true, [](ComponentProperties& v) {
        EXPECT_EQ(0, v.side);
        EXPECT_EQ("DIP14", v.pattern);
        EXPECT_EQ("U1", v.designator.text);
        EXPECT_EQ(1, v.comment.hidden);
        EXPECT_EQ(0, v.locked);
        ExpectAt(v.position, 100, 100);
        v.rotation = PI * 0.5;
        v.position = Position(300, 0);
        v.pattern = "SO14";
        v.locked = 1;
        v.designator.text = "U2";
        v.designator.height = 80.0;
        v.comment.hidden = 0;
    });
    ui.Expect<ComponentProperties>(false, [](ComponentProperties& v) {
        v.pattern = "ignored";
        v.side = 1;
    });
    UiServices::Install(&ui);

    EXPECT_EQ(1, c->EditProperties(MK::Control, Position(0, 0)));
    // The track from (100, 100) to (150, 120) turns a quarter about (100, 100), then the
    // group moves to (300, 0).
    ExpectAt(c->GetPosition(), 300, 0);
    ExpectAt(ChildLine(*c, 0)->GetStart(), 300, 0, 1e-6);
    ExpectAt(ChildLine(*c, 0)->GetEnd(), 280, 50, 1e-4);
    EXPECT_NEAR(PI * 0.5, c->GetRotation(), 1e-9);
    EXPECT_EQ("SO14", c->GetPattern());
    EXPECT_EQ(1, c->IsLocked());
    EXPECT_EQ("U2", c->GetNameString());
    EXPECT_EQ(80.0, c->GetDesignator().GetSizeY());
    EXPECT_FALSE(c->GetComment().IsHidden());
    EXPECT_TRUE(c->IsActive());

    EXPECT_EQ(0, c->EditProperties(0, Position(0, 0))); // locked: the dialog, cancelled
    EXPECT_EQ("SO14", c->GetPattern());
    EXPECT_EQ(LAYER_TOP, c->GetLayer());
    EXPECT_TRUE(c->IsActive());
}

// ---------------------------------------------------------------------------------
// Copies

TEST(CComponentClone, CloneOwnsCopiesOfEveryPart)
{
    auto original = SampleComponent();
    original->GetChildren()[1]->Deactivate();
    original->SetLocked(0);
    std::unique_ptr<CEntity> copy(original->Clone());
    auto* clone = dynamic_cast<CComponent*>(copy.get());
    ASSERT_NE(nullptr, clone);

    ASSERT_EQ(ChildTypes(*original), ChildTypes(*clone));
    for (std::size_t i = 0; i < clone->GetChildren().size(); ++i) {
        EXPECT_NE(original->GetChildren()[i], clone->GetChildren()[i]);
        EXPECT_TRUE(clone->GetChildren()[i]->IsComponentPart());
    }
    EXPECT_FALSE(clone->GetChildren()[1]->IsActive()); // a removed child stays removed
    EXPECT_EQ("U1", clone->GetNameString());
    EXPECT_EQ("DIP14", clone->GetPattern());
    EXPECT_EQ(0, clone->IsLocked());
    EXPECT_TRUE(clone->GetComment().IsHidden());
    ExpectAt(clone->GetPosition(), 100, 100);

    // The clone outlives every change to the original and the original itself.
    original->MoveBy(Position(0, 0), Position(1000, 0));
    original->SetName("Q9");
    original->CopyFrom(*original);
    original->DeleteChildren();
    original.reset();

    EXPECT_EQ(3u, clone->GetChildren().size());
    ExpectAt(ChildLine(*clone, 0)->GetStart(), 100, 100);
    EXPECT_EQ("U1", clone->GetNameString());
    BOX2D box;
    EXPECT_EQ(1, clone->GetBox(&box));
    RecordingDrawContext dc;
    clone->Draw(&dc, DM_NORMAL, Rect{-5000, -5000, 5000, 5000}, nullptr);
    std::map<int, int> counts;
    std::string text;
    clone->ExportText(text, counts);
    EXPECT_NE(std::string::npos, text.find("ENDCOMP"));
}

// ---------------------------------------------------------------------------------
// Library records

TEST(CComponentLibrary, ReadsEveryKindFromAHandBuiltBody)
{
    Image img(64); // something before the body
    std::size_t at =
        img.Record(LibRecord::Arc, LAYER_TOP, 32, {{4, 100}, {8, 200}, {12, 50}, {28, 10}});
    img.Degrees(at + 22, 90.0);
    img.Record(LibRecord::Fill, LAYER_BOTTOM, 32, {{4, 1}, {8, 2}, {12, 3}, {16, 4}});
    at = img.Record(LibRecord::PadOld, LAYER_MULTI, 64,
                    {{4, 30}, {8, 40}, {12, 60}, {16, 60}, {20, 30}});
    img.U16(at + 24, 1);
    img.bytes[at + 33] = '7';
    img.Track(Position(0, 0), Position(100, 0));
    img.Text("U1", 2);
    img.Record(LibRecord::Via, LAYER_MULTI, 32, {{4, -50}, {8, 5}, {12, 40}, {16, 20}});
    at = img.Record(
        LibRecord::Pad, LAYER_MULTI, 96,
        {{4, 70}, {8, 80}, {12, 35}, {66, 50}, {70, 70}, {76, 50}, {80, 70}, {86, 50}, {90, 70}});
    img.bytes[at + 32] = 1;
    img.bytes[at + 33] = '1';
    for (std::size_t e : {74u, 84u, 94u})
        img.U16(at + e, 2);
    img.Track(Position(5, 5), Position(6, 6)); // beyond the record count
    const std::vector<BYTE> bytes = img.Exact(img.bytes.size());

    CComponent c("DIP");
    c.SetLibraryOffset(64);
    c.SetRecordCount(7);
    c.SetPosition(Position(55, 66), 0);
    std::string error;
    EXPECT_EQ(Result::Read, c.ReadLibraryRecords(bytes, int(bytes.size()), &error));
    EXPECT_EQ(
        (std::vector<int>{ET_ARC, ET_FILLAREA, ET_FREEPAD, ET_LINE, ET_TEXT, ET_VIA, ET_FREEPAD}),
        ChildTypes(c));
    for (CEntity* e : c.GetChildren())
        EXPECT_TRUE(e->IsComponentPart());
    ExpectAt(c.GetPosition(), 0, 0);
    auto* arc = dynamic_cast<CArc*>(c.GetChildren()[0]);
    ExpectAt(arc->GetPosition(), 100, 200);
    EXPECT_DOUBLE_EQ(50.0, arc->GetRadius());
    EXPECT_EQ(LAYER_BOTTOM, c.GetChildren()[1]->GetLayer());
    EXPECT_EQ("7", std::string(c.GetChildren()[2]->GetName()));
    ExpectAt(ChildLine(c, 3)->GetEnd(), 100, 0);
    EXPECT_EQ("U1", std::string(c.GetChildren()[4]->GetName()));
    ExpectAt(c.GetChildren()[5]->GetPosition(), -50, 5);
    EXPECT_EQ("1", std::string(c.GetChildren()[6]->GetName()));
    ExpectAt(c.GetChildren()[6]->GetPosition(), 70, 80);
}

TEST(CComponentLibrary, DamagedOrEndingRecordsStopTheBodySafely)
{
    // Body tokens: T track; 4, 7 records of those kinds; U an unknown kind; W a text of
    // 32 characters (64 bytes, no terminator); L a 64-byte text claiming 1000 characters;
    // N a text with a negative length; S a text of two characters.
    constexpr int kFar = 1 << 30; // an end offset far past the image
    struct Case {
        const char* what;
        const char* body;
        int count;
        int endFromBodyEnd; // end offset relative to the end of the body, or kFar
        std::size_t cut;    // bytes cut off the end of the image
        Result result;
        std::size_t children;
    } cases[] = {
        {"kind 4 ends the body", "T4T", 3, 0, 0, Result::Read, 1},
        {"kind 7 ends the body", "TT7T", 4, 0, 0, Result::Read, 2},
        {"an unknown kind ends the body", "TUT", 3, 0, 0, Result::Read, 1},
        {"the record count is reached first", "TTT", 2, 0, 0, Result::Read, 2},
        {"count 0 reads to the end of the body", "TTTT", 0, -32, 0, Result::Read, 3},
        {"a text of 32 characters is 64 bytes", "WT", 2, 0, 0, Result::Read, 2},
        {"a record reaching into the next body", "TT", 2, -16, 0, Result::Damaged, 1},
        {"a record reaching past the file", "TT", 2, kFar, 5, Result::Damaged, 1},
        {"a kind cut by the end of the file", "TT", 2, kFar, 31, Result::Damaged, 1},
        {"a text head cut before its length", "TS", 2, kFar, 44, Result::Damaged, 1},
        {"a text length reaching past the body", "TLT", 3, 0, 0, Result::Damaged, 1},
        {"a negative text length", "NT", 2, 0, 0, Result::Damaged, 0},
        {"more records promised than the body holds", "TT", 3, 0, 0, Result::Damaged, 2},
        {"a body beyond the end of the file", "", 1, kFar, 16, Result::Damaged, 0},
    };
    for (const Case& k : cases) {
        Image img(32);
        for (const char* t = k.body; *t; ++t) {
            switch (*t) {
            case 'T':
                img.Track(Position(0, 0), Position(10, 0));
                break;
            case '4':
                img.Record(LibRecord::Skip4, 0, 32);
                break;
            case '7':
                img.Record(LibRecord::Skip7, 0, 32);
                break;
            case 'U':
                img.Record(12, 0, 32);
                break;
            case 'W':
                img.Text(std::string(32, 'W'), 32);
                break;
            case 'L':
                img.Text("AB", 1000, 64);
                break;
            case 'N':
                img.Text("AB", -40);
                break;
            case 'S':
                img.Text("AB", 2);
                break;
            }
        }
        const int bodyEnd = int(img.bytes.size());
        const int end = k.endFromBodyEnd == kFar ? kFar : bodyEnd + k.endFromBodyEnd;
        const std::vector<BYTE> bytes = img.Exact(img.bytes.size() - k.cut);
        CComponent c;
        c.SetLibraryOffset(32);
        c.SetRecordCount(k.count);
        c.SetPosition(Position(1, 1), 0);
        std::string error;
        EXPECT_EQ(k.result, c.ReadLibraryRecords(bytes, end, &error)) << k.what;
        EXPECT_EQ(k.children, c.GetChildren().size()) << k.what;
        EXPECT_EQ(k.result == Result::Damaged, !error.empty()) << k.what << ": " << error;
        ExpectAt(c.GetPosition(), 0, 0);
    }

    // No image or no end: nothing is read and nothing changes.
    const std::vector<BYTE> some(64, 0);
    CComponent c;
    c.SetPosition(Position(1, 1), 0);
    EXPECT_EQ(Result::Nothing, c.ReadLibraryRecords({}, 64));
    EXPECT_EQ(Result::Nothing, c.ReadLibraryRecords(some, 0));
    ExpectAt(c.GetPosition(), 1, 1);
    EXPECT_EQ(-1, CComponent::LookupMap(4));
    EXPECT_EQ(96, CComponent::LookupMap(9));
}

TEST(CComponentLibrary, WrittenBodyReadsBackPartForPart)
{
    auto c = SampleComponent(Position(0, 0));
    CFreePad pad;
    pad.SetPosition(Position(-40, 25), 0);
    pad.SetName("12");
    CFillArea fill;
    fill.SetCorner1(Position(-10, -10));
    fill.SetCorner2(Position(30, 5));
    CTxtTag text;
    text.SetName(std::string(32, 'K')); // fills its record: no room for a terminator
    text.SetPosition(Position(5, 60), 0);
    CCircle circle(Position(0, 0), 5.0, LAYER_TOP); // has no library record
    for (CEntity* e : std::vector<CEntity*>{&pad, &fill, &text, &circle})
        c->AddEntity(e, 0);
    CLine last(Position(1, 2), Position(3, 4));
    c->AddEntity(&last, 0);

    const int size = c->GetRecordSize();
    EXPECT_EQ(32 + 32 + 32 + 96 + 32 + 64 + 32, size);
    EXPECT_EQ(7, c->GetRecordCount()); // the circle writes no record and is not counted

    std::vector<BYTE> image(std::size_t(32 + size), 0);
    int offset = 32;
    EXPECT_EQ(0, c->WriteLibraryRecord(nullptr, &offset));
    EXPECT_EQ(1, c->WriteLibraryRecord(image.data(), &offset));
    EXPECT_EQ(32 + size, offset);

    CComponent back;
    back.SetLibraryOffset(32);
    back.SetRecordCount(c->GetRecordCount());
    EXPECT_EQ(Result::Read, back.ReadLibraryRecords(image, int(image.size())));
    EXPECT_EQ(
        (std::vector<int>{ET_LINE, ET_ARC, ET_VIA, ET_FREEPAD, ET_FILLAREA, ET_TEXT, ET_LINE}),
        ChildTypes(back));
    ExpectAt(ChildLine(back, 0)->GetEnd(), 150, 120, 1e-4);
    ExpectAt(back.GetChildren()[3]->GetPosition(), -40, 25, 1e-4);
    EXPECT_EQ("12", std::string(back.GetChildren()[3]->GetName()));
    EXPECT_EQ(std::string(32, 'K'), std::string(back.GetChildren()[5]->GetName()));
    ExpectAt(ChildLine(back, 6)->GetEnd(), 3, 4, 1e-4);
}

// A part whose record cannot be written (a 6-byte real holds no angle that is not a
// number) fails
// the whole body, wherever it stands, so that a library never stores the component
// without it.
TEST(CComponentLibrary, APartThatCannotWriteItsRecordFailsTheBody)
{
    for (bool textFirst : {true, false}) {
        SCOPED_TRACE(textFirst);
        CComponent c("SOT23");
        CTxtTag text;
        text.SetName("R1");
        text.SetAngle(std::numeric_limits<double>::quiet_NaN());
        CLine track(Position(0, 0), Position(10, 0));
        for (CEntity* e : textFirst ? std::vector<CEntity*>{&text, &track}
                                    : std::vector<CEntity*>{&track, &text})
            c.AddEntity(e, 0);
        std::vector<BYTE> image(std::size_t(c.GetRecordSize()), 0);
        int offset = 0;
        EXPECT_EQ(0, c.WriteLibraryRecord(image.data(), &offset));
    }
}

// A part on a layer outside the board would make a board that saves but never opens
// again: the body is refused instead.
TEST(CComponentLibrary, PartsOnALayerOutsideTheBoardAreRefused)
{
    CLine track(Position(0, 0), Position(10, 0));
    CArc arc(Position(0, 0), 50.0, 0.0, PI);
    CFillArea fill;
    CTxtTag text;
    text.SetName("U1");
    for (CEntity* e : std::vector<CEntity*>{&track, &arc, &fill, &text}) {
        std::vector<BYTE> rec(std::size_t(e->GetRecordSize()), 0);
        int offset = 0;
        ASSERT_EQ(1, e->WriteLibraryRecord(rec.data(), &offset)) << e->GetTypeName();
        // The layer field holds the layer plus one.
        for (int stored : {0, 1, 40, 41, 0xFFFF}) {
            LibRecord::PutU16(rec.data() + 2, std::uint16_t(stored));
            std::unique_ptr<CEntity> back(
                static_cast<CEntity*>(e->GetRuntimeClass()->CreateObject()));
            const bool onBoard = stored >= 1 && stored <= 40;
            EXPECT_EQ(onBoard, back->ReadFromLibraryRecord(rec.data(), int(rec.size())) != 0)
                << e->GetTypeName() << " " << stored;
            if (onBoard) {
                EXPECT_EQ(stored - 1, back->GetLayer()) << e->GetTypeName();
            }
        }
    }
}

// ---------------------------------------------------------------------------------
// Document and Protel records

TEST(CComponentDocument, RoundTripKeepsLivePartsTextsLockAndPattern)
{
    RegisterPartClasses();
    auto c = SampleComponent(Position(100, 200));
    c->GetChildren()[1]->Deactivate(); // removed: not stored
    c->SetLocked(0);
    c->GetDesignator().SetPosition(Position(90, 240), 0);
    c->GetComment().SetHidden(0);
    c->GetComment().SetPosition(Position(90, 260), 0);
    BOX2D box;
    c->GetBox(&box);

    const std::vector<std::uint8_t> bytes = Store(*c);
    CArchive in{std::span<const std::uint8_t>(bytes)};
    std::unique_ptr<CObject> ob(in.ReadObject(RUNTIME_CLASS(CEntity)));
    EXPECT_TRUE(in.AtEnd());
    auto* back = dynamic_cast<CComponent*>(ob.get());
    ASSERT_NE(nullptr, back);
    EXPECT_EQ((std::vector<int>{ET_LINE, ET_VIA}), ChildTypes(*back));
    for (CEntity* e : back->GetChildren())
        EXPECT_TRUE(e->IsComponentPart());
    EXPECT_TRUE(back->GetDesignator().IsComponentPart());
    EXPECT_TRUE(back->GetComment().IsComponentPart());
    EXPECT_EQ("U1", back->GetNameString());
    EXPECT_EQ("74HC00", std::string(back->GetComment().GetName()));
    EXPECT_FALSE(back->GetComment().IsHidden());
    ExpectAt(back->GetComment().GetPosition(), 90, 260);
    ExpectAt(back->GetDesignator().GetPosition(), 90, 240);
    EXPECT_EQ(0, back->IsLocked());
    EXPECT_EQ("DIP14", back->GetPattern());
    ExpectAt(back->GetPosition(), 100, 200);
    // The box is not stored: it is computed again from what was loaded.
    EXPECT_LT(box.x1, box.x2);
    EXPECT_DOUBLE_EQ(box.x1, back->GetCachedBox().x1);
    EXPECT_DOUBLE_EQ(box.y1, back->GetCachedBox().y1);
    EXPECT_DOUBLE_EQ(box.x2, back->GetCachedBox().x2);
    EXPECT_DOUBLE_EQ(box.y2, back->GetCachedBox().y2);

    // Cut anywhere, the record is refused with the archive's exception and leaks nothing.
    for (std::size_t n = 0; n < bytes.size(); n += 3) {
        std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + n);
        CArchive cut{std::span<const std::uint8_t>(part)};
        EXPECT_THROW(delete cut.ReadObject(RUNTIME_CLASS(CEntity)), CArchiveException) << n;
    }
}

TEST(CComponentProtel, ComponentRecordHoldsTextsAndPartsWithComponentTags)
{
    CComponent c("R1206");
    CLine track(Position(0, 0), Position(100, 0.25));
    c.AddEntity(&track, 0);
    c.SetPosition(Position(100, 200), 0);
    c.SetName("R1");
    c.SetCommentText("10k");

    std::map<int, int> counts = {{3, 0}, {11, 0}, {8, 0}, {2, 0}, {14, 0}, {5, 0}, {15, 0}};
    std::string out;
    c.ExportText(out, counts);
    const std::string head = "COMP\nR1206\n0 0 100000 200000 1 0 0 0 0 0 0 0.000 1 1 1\n";
    ASSERT_EQ(head, out.substr(0, head.size()));
    const std::size_t designator = out.find("CS\n0 0 100000 200000 ");
    const std::size_t comment = out.find("CS\n0 0 ", designator + 1);
    const std::size_t part = out.find("CT\n0 0 0 0 100000 250 10000 1 0 0 0\n 0 0 1 0 0\n");
    EXPECT_EQ(head.size(), designator);
    ASSERT_NE(std::string::npos, comment);
    EXPECT_NE(std::string::npos, out.find("R1\n", designator));
    EXPECT_NE(std::string::npos, out.find("10k\n", comment));
    ASSERT_NE(std::string::npos, part);
    EXPECT_LT(comment, part);
    EXPECT_EQ(part + std::string("CT\n0 0 0 0 100000 250 10000 1 0 0 0\n 0 0 1 0 0\n").size(),
              out.find("ENDCOMP\n"));
    EXPECT_EQ("ENDCOMP\n", out.substr(out.size() - 8));
    EXPECT_EQ(std::string::npos, out.find("FT\n"));
    EXPECT_EQ(std::string::npos, out.find("FS\n"));
    EXPECT_EQ((std::map<int, int>{{3, 0}, {11, 0}, {8, 2}, {2, 1}, {14, 0}, {5, 0}, {15, 1}}),
              counts);

    // On the bottom side with the designator hidden and the group turned.
    c.SetLayer(LAYER_BOTTOM);
    c.GetDesignator().SetHidden(1);
    c.GetComment().SetHidden(0);
    c.SetAngle(PI * 0.5);
    out.clear();
    c.ExportText(out, counts);
    const std::string bottom = "COMP\nR1206\n0 0 100000 200000 0 1 0 0 0 0 0 90.000 1 1 16\n";
    EXPECT_EQ(bottom, out.substr(0, bottom.size()));
}
