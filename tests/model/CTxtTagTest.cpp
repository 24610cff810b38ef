#include "model/CTxtTag.h"
#include "support/FakeBoardServices.h"

#include "model/BoardServices.h"
#include "model/CLine.h"
#include "model/CStrokeFont.h"
#include "model/Constants.h"
#include "model/LibraryRecord.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace
{

using Segment = std::array<double, 4>;

void PutU32(std::vector<BYTE>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(BYTE(v >> (8 * i)));
}

void PutF64(std::vector<BYTE>& out, double d)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &d, 8);
    for (int i = 0; i < 8; ++i)
        out.push_back(BYTE(bits >> (8 * i)));
}

// The glyph strokes as unordered segments, rounded to 0.001 mil (mirroring goes through
// the program's value of pi), sorted.
std::vector<Segment> Segments(const CTxtTag& t)
{
    auto r = [](double v) { return std::round(v * 1e3) / 1e3 + 0.0; };
    std::vector<Segment> out;
    for (const GlyphStroke& g : t.GetGlyphStrokes()) {
        Segment s{r(g.x1), r(g.y1), r(g.x2), r(g.y2)};
        if (std::make_pair(s[2], s[3]) < std::make_pair(s[0], s[1]))
            s = Segment{s[2], s[3], s[0], s[1]};
        out.push_back(s);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// What the strokes would be as tracks on the text's layer, as wide as its strokes: their
// boxes merged in order, and their drawing.
BOX2D TrackBox(const CTxtTag& t, RecordingDrawContext* dc = nullptr)
{
    BOX2D box;
    bool first = true;
    for (const GlyphStroke& g : t.GetGlyphStrokes()) {
        CLine track(g.Start(), g.End());
        track.SetLayer(t.GetLayer());
        const double width = t.GetSizeX();
        track.SetLineWidth(&width);
        BOX2D part;
        track.GetBox(&part);
        if (first)
            box = part;
        else
            box.Merge(part);
        first = false;
        if (dc)
            track.Draw(dc, DM_NORMAL, Rect{0, 0, 400, 300}, nullptr);
    }
    return box;
}

void ExpectSameBox(const BOX2D& expected, const BOX2D& actual)
{
    EXPECT_EQ(expected.x1, actual.x1);
    EXPECT_EQ(expected.y1, actual.y1);
    EXPECT_EQ(expected.x2, actual.x2);
    EXPECT_EQ(expected.y2, actual.y2);
}

// Texts laid out with a small font of known glyphs (face 2; y down as in the data):
//   'L': (-2,-13) down to (-2,9), then to (4,9): box x -2..4, y -9..13 (y up)
//   'I': (0,9) up to (0,-13): box x 0..0
//   'E': header only: no drawn point
class TextLayout : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const std::vector<std::vector<GlyphPoint>> glyphs = {
            {{-5, 5}, {-2, -13}, {-2, 9}, {4, 9}, {-64, -64}},
            {{-4, 4}, {0, 9}, {0, -13}, {-64, -64}},
            {{-4, 4}, {-64, -64}},
        };
        std::vector<BYTE> block;
        PutU32(block, std::uint32_t(glyphs.size()));
        for (const auto& g : glyphs) {
            PutU32(block, std::uint32_t(g.size()));
            for (const GlyphPoint& p : g) {
                PutF64(block, p.x);
                PutF64(block, p.y);
            }
        }
        std::vector<BYTE> table;
        for (int i = 0; i < 3072; ++i)
            PutU32(table, i == 256 + 'L'   ? 0
                          : i == 256 + 'I' ? 1
                          : i == 256 + 'E' ? 2
                                           : 0xFFFFFFFFu);
        ASSERT_EQ(0, font.LoadGlyphs(block.data(), block.size()));
        ASSERT_EQ(0, font.LoadCodeTable(table.data(), table.size()));
        board.strokeFont = &font;
        board.layerColors[LAYER_TOP_OVERLAY] = MakeRGB(1, 2, 3);
        BoardServices::Install(&board);
    }

    // Height 22 makes one glyph unit one mil.
    std::unique_ptr<CTxtTag> Text(const std::string& s, double rotation = 0.0, int mirror = 0)
    {
        auto t = std::make_unique<CTxtTag>();
        t->SetPosition(Position(100, 50), 0);
        t->SetSizeY(22.0);
        t->SetAngle(rotation);
        t->SetMirror(mirror);
        t->SetLayer(LAYER_TOP_OVERLAY);
        t->SetName(s);
        return t;
    }

    CStrokeFont font{"test"};
    FakeBoardServices board;
};

TEST_F(TextLayout, ScaleOffsetAndAdvance)
{
    auto t = Text("LI");
    // L from the reference point up and along the baseline; I 6 + 8 units further.
    EXPECT_EQ((std::vector<Segment>{{100, 50, 100, 72}, {100, 50, 106, 50}, {114, 50, 114, 72}}),
              Segments(*t));
    EXPECT_EQ(14, t->GetTextWidth());
    EXPECT_EQ(26, t->GetCharHeight()); // (30 + 30 - 8) / 2

    // Characters without a glyph (no code, or a glyph with no point) advance by the box
    // before them; the first character of a text by a space's 16 units.
    EXPECT_EQ((std::vector<Segment>{{100, 50, 100, 72}, {116, 50, 116, 72}}),
              Segments(*Text("I I")));
    EXPECT_EQ((std::vector<Segment>{{100, 50, 100, 72}, {116, 50, 116, 72}}),
              Segments(*Text("IEI")));
    EXPECT_EQ((std::vector<Segment>{{124, 50, 124, 72}}), Segments(*Text(" I")));
    EXPECT_EQ((std::vector<Segment>{{148, 50, 148, 72}}), Segments(*Text("E?I")));

    // Height 60: s = 60 / 22; the L's top at trunc(13 s + 9 s) = 60 (59 with rounding
    // errors would show here), the I at trunc(14 s) = 38.
    t->SetSizeY(60.0);
    t->BuildGlyphLines();
    EXPECT_EQ((std::vector<Segment>{{100, 50, 100, 110}, {100, 50, 116, 50}, {138, 50, 138, 110}}),
              Segments(*t));

    // An empty text makes nothing and keeps its last width.
    t->SetName("");
    EXPECT_TRUE(t->GetGlyphStrokes().empty());
    EXPECT_EQ(38, t->GetTextWidth());
}

TEST_F(TextLayout, MirroredTextEndsAtItsReferencePointAndMirrorsAgreeWithTheLayout)
{
    auto t = Text("LI", 0.0, 1);
    EXPECT_EQ((std::vector<Segment>{{86, 50, 86, 72}, {94, 50, 100, 50}, {100, 50, 100, 72}}),
              Segments(*t));

    // Mirroring the laid-out tracks gives what laying out the mirrored text gives, at
    // every rotation and across either axis.
    for (double deg : {0.0, 30.0, 90.0, 200.0}) {
        for (bool vertical : {true, false}) {
            SCOPED_TRACE(testing::Message() << deg << (vertical ? " vertical" : " horizontal"));
            auto m = Text("LI", deg * PI / 180.0);
            const Position axis(40, -10);
            vertical ? m->MirrorX(axis) : m->MirrorY(axis);
            EXPECT_EQ(1, m->GetMirror());
            const std::vector<Segment> mirrored = Segments(*m);
            m->BuildGlyphLines();
            EXPECT_EQ(mirrored, Segments(*m));
            vertical ? m->MirrorX(axis) : m->MirrorY(axis);
            EXPECT_EQ(0, m->GetMirror());
            EXPECT_NEAR(deg * PI / 180.0, m->GetAngle(), 1e-12);
        }
    }
}

TEST_F(TextLayout, BoxHitsAndDrawing)
{
    auto t = Text("LI");
    BOX2D box;
    ASSERT_EQ(1, t->GetBox(&box));
    // The tracks' boxes merged, each with the track's width.
    EXPECT_TRUE(box.x1 < 100.0 && box.x2 > 114.0 && box.y1 < 50.0 && box.y2 > 72.0);
    EXPECT_EQ(box.ToDeviceRect(), t->GetScreenRect());

    const double tol = 0.0;
    EXPECT_TRUE(t->HitTestPoint(Position(box.x2, box.y2), &tol, nullptr)); // bounds inclusive
    EXPECT_FALSE(t->HitTestPoint(Position(box.x2 + 0.5, 60), &tol, nullptr));
    const HiddenLayers overlay{{LAYER_TOP_OVERLAY, 1}};
    EXPECT_FALSE(t->HitTestPoint(Position(110, 60), &tol, &overlay));

    RecordingDrawContext dc;
    t->Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    EXPECT_EQ(3, dc.Count(RecordingDrawContext::Op::StrokeAndFillPath));
    EXPECT_EQ(MakeRGB(1, 2, 3), dc.Find(RecordingDrawContext::Op::StrokeAndFillPath)[0]->pen.color);
    EXPECT_EQ(0, dc.SaveDepth());

    // A hidden text is neither drawn nor hit, but it still moves with everything else.
    t->SetHidden(1);
    dc.Clear();
    t->Draw(&dc, DM_NORMAL, Rect{}, nullptr);
    EXPECT_TRUE(dc.calls.empty());
    EXPECT_FALSE(t->HitTestPoint(Position(110, 60), &tol, nullptr));
    int flag = 0;
    t->Move(Position(10, 5), Position(0, 0), &flag);
    t->MoveBy(Position(0, 0), Position(-5, 0));
    t->SetPosition(Position(105, 55), 0); // already there
    EXPECT_EQ((std::vector<Segment>{{105, 55, 105, 77}, {105, 55, 111, 55}, {119, 55, 119, 77}}),
              Segments(*t));
    EXPECT_NEAR(box.x1 + 5.0, t->GetCachedBox().x1, 1e-9);
    EXPECT_NEAR(box.y1 + 5.0, t->GetCachedBox().y1, 1e-9);
}

TEST_F(TextLayout, TransformsAngleAndThePrototype)
{
    const CLine trackPrototype = theDefaultLine;
    auto t = Text("L");
    t->SetAngle(7.0);
    EXPECT_EQ(7.0, t->GetAngle()); // stored as given
    t->SetAngle(PI * 1.5);
    t->Rotate(Position(100, 50), PI);
    EXPECT_NEAR(PI * 0.5, t->GetAngle(), 1e-12); // wrapped once
    // The tracks are turned, not laid out again.
    EXPECT_EQ((std::vector<Segment>{{94, 50, 100, 50}, {100, 28, 100, 50}}), Segments(*t));
    EXPECT_NEAR(PI, thePrototypeTxtTag.GetAngle(), 1e-12);

    // Unrotated: across a horizontal axis the rotation turns by pi, across a vertical
    // one it stays; the prototype follows; the prototype itself does not recurse.
    auto u = Text("L");
    thePrototypeTxtTag.SetAngle(0.0);
    u->MirrorY(Position(0, 0));
    EXPECT_NEAR(PI, u->GetAngle(), 1e-12);
    EXPECT_EQ(1, thePrototypeTxtTag.GetMirror());
    u->MirrorX(Position(0, 0));
    EXPECT_NEAR(PI, u->GetAngle(), 1e-12);
    EXPECT_EQ(0, u->GetMirror());
    EXPECT_EQ(0, thePrototypeTxtTag.GetMirror());
    thePrototypeTxtTag.MirrorX(Position(0, 0));
    EXPECT_EQ(1, thePrototypeTxtTag.GetMirror());

    // A component's texts and the glyph tracks leave the prototypes alone.
    const double protoAngle = thePrototypeTxtTag.GetAngle();
    u->SetComponentPart(1);
    u->Rotate(Position(0, 0), 1.0);
    u->MirrorY(Position(0, 0));
    EXPECT_EQ(protoAngle, thePrototypeTxtTag.GetAngle());
    EXPECT_EQ(1, thePrototypeTxtTag.GetMirror());
    EXPECT_EQ(trackPrototype.GetRotation(), theDefaultLine.GetRotation());
    EXPECT_EQ(trackPrototype.GetStart(), theDefaultLine.GetStart());
    EXPECT_EQ(trackPrototype.GetEnd(), theDefaultLine.GetEnd());
}

TEST_F(TextLayout, CopiesOwnTheirTracksAndNewTextsTakeThePrototype)
{
    auto t = Text("LI");
    t->SetStyle(4);
    t->SetHidden(1);
    std::unique_ptr<CEntity> clone(t->Clone());
    CTxtTag assigned;
    assigned = *t;
    const std::vector<Segment> expected = Segments(*t);
    t.reset();
    for (const CEntity* e : std::initializer_list<const CEntity*>{clone.get(), &assigned}) {
        const auto* c = static_cast<const CTxtTag*>(e);
        EXPECT_EQ(expected, Segments(*c));
        EXPECT_EQ(4, c->GetStyle());
        EXPECT_EQ(1, c->IsHidden());
        EXPECT_EQ(14, c->GetTextWidth());
    }

    thePrototypeTxtTag.SetName("I");
    thePrototypeTxtTag.SetSizeY(44.0);
    thePrototypeTxtTag.SetStyle(3);
    CTxtTag placed(Position(10, 20));
    EXPECT_EQ((std::vector<Segment>{{10, 20, 10, 64}}), Segments(placed));
    CTxtTag bare{CTxtTag::FromPrototype{}};
    EXPECT_EQ(3, bare.GetStyle());
    EXPECT_EQ(44.0, bare.GetSizeY());
    EXPECT_TRUE(bare.GetGlyphStrokes().empty());
}

TEST_F(TextLayout, PropertyDialog)
{
    FakeUiServices ui;
    ui.Expect<TextProperties>(false, [](TextProperties& v) { v.text = "IIII"; });
    ui.Expect<TextProperties>(true, [](TextProperties& v) {
        v.text = "IL";
        v.height = 44.0;
        v.width = 8.0;
        v.layer = LAYER_BOTTOM_OVERLAY;
        v.rotation = PI / 2;
        v.position = Position(0, 0);
        v.mirror = 1;
    });
    UiServices::Install(&ui);

    auto t = Text("LI", PI / 6);
    EXPECT_EQ(0, t->EditProperties(0, Position()));
    EXPECT_EQ("LI", std::string(t->GetName()));
    EXPECT_EQ(1, t->EditProperties(0, Position()));
    ASSERT_EQ(2u, ui.Received<TextProperties>().size());
    EXPECT_NEAR(PI / 6, ui.Received<TextProperties>()[0].rotation, 1e-12); // radians
    EXPECT_TRUE(t->IsActive());
    EXPECT_EQ(1, t->GetMirror());
    EXPECT_NEAR(PI / 2, t->GetAngle(), 1e-12);
    BOX2D box;
    ASSERT_EQ(1, t->GetBox(&box));
    ExpectSameBox(TrackBox(*t), box); // the new layer and width
    EXPECT_EQ(8.0, t->GetSizeX());
    // Rotated to pi / 2 and mirrored: from the reference point down the y axis.
    for (const Segment& s : Segments(*t)) {
        EXPECT_LE(std::max(s[1], s[3]), 0.0);
        EXPECT_GE(std::min(s[1], s[3]), -(6 + 8 + 0) * 2.0 - 1e-9);
    }
    EXPECT_EQ("IL", std::string(thePrototypeTxtTag.GetName()));
    EXPECT_EQ(44.0, thePrototypeTxtTag.GetSizeY());
    EXPECT_TRUE(ui.AllAnswersUsed());
}

// ---------------------------------------------------------------------------------
// Files

std::vector<std::uint8_t> Store(CTxtTag& t)
{
    CArchive out;
    out.WriteObject(&t);
    return out.TakeBytes();
}

TEST_F(TextLayout, DocumentRoundTripTakesTheSecondThreeNumbersAndLaysOutAgain)
{
    auto t = Text("LI", PI / 2, 1);
    t->SetHidden(1);
    t->SetStyle(3);
    std::vector<std::uint8_t> bytes = Store(*t);
    // The body ends with hidden, mirror, style twice; spoil the first three.
    ASSERT_GE(bytes.size(), 24u);
    std::memset(bytes.data() + bytes.size() - 24, 0x55, 12);

    CArchive in{std::span<const std::uint8_t>(bytes)};
    std::unique_ptr<CObject> obj(in.ReadObject(RUNTIME_CLASS(CTxtTag)));
    auto* back = dynamic_cast<CTxtTag*>(obj.get());
    ASSERT_NE(nullptr, back);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(1, back->IsHidden());
    EXPECT_EQ(1, back->GetMirror());
    EXPECT_EQ(3, back->GetStyle());
    EXPECT_EQ("LI", std::string(back->GetName()));
    EXPECT_EQ(Segments(*t), Segments(*back));

    // The body alone, as a component stores its two texts.
    CArchive body;
    t->Serialize(body);
    CArchive bodyIn{std::span<const std::uint8_t>(body.Bytes())};
    CTxtTag member;
    member.Serialize(bodyIn);
    EXPECT_TRUE(bodyIn.AtEnd());
    EXPECT_EQ(Segments(*t), Segments(member));
    EXPECT_EQ(1, member.GetMirror());

    // A text far longer than any board carries is a damaged file.
    auto huge = Text(std::string(CTxtTag::kMaxLoadedLength + 1, 'A'), 0.0, 0);
    std::vector<std::uint8_t> hugeBytes = Store(*huge);
    CArchive hugeIn{std::span<const std::uint8_t>(hugeBytes)};
    EXPECT_THROW(hugeIn.ReadObject(RUNTIME_CLASS(CTxtTag)), CArchiveException);
}

TEST_F(TextLayout, LibraryRecordSizesAndContents)
{
    struct Case {
        int length;
        int size;
    };
    for (const Case c : {Case{0, 32}, Case{1, 64}, Case{31, 64}, Case{32, 64}, Case{33, 96}}) {
        SCOPED_TRACE(c.length);
        auto t = Text(std::string(std::size_t(c.length), 'L'), PI / 6);
        t->SetStyle(2);
        ASSERT_EQ(c.size, t->GetRecordSize());
        std::vector<BYTE> buf(std::size_t(8 + c.size + 8), 0xAA);
        int offset = 8;
        ASSERT_EQ(1, t->WriteLibraryRecord(buf.data(), &offset));
        EXPECT_EQ(8 + c.size, offset);
        const BYTE* rec = buf.data() + 8;
        EXPECT_EQ(6, LibRecord::GetU16(rec));
        EXPECT_EQ(LAYER_TOP_OVERLAY + 1, LibRecord::GetU16(rec + 2));
        EXPECT_EQ(1000000, LibRecord::GetI32(rec + 4));
        EXPECT_EQ(500000, LibRecord::GetI32(rec + 8));
        EXPECT_EQ(220000, LibRecord::GetI32(rec + 12));
        EXPECT_EQ(2, LibRecord::GetU16(rec + 16));
        EXPECT_DOUBLE_EQ(30.0, Real48ToDegrees(rec + 18));
        EXPECT_EQ(c.length, LibRecord::GetI32(rec + 24));
        EXPECT_EQ(std::string(std::size_t(c.length), 'L'),
                  std::string(reinterpret_cast<const char*>(rec + 32), std::size_t(c.length)));
        // Zero after the text where the record has room; nothing past the record.
        for (int i = 32 + c.length; i < c.size; ++i)
            EXPECT_EQ(0, rec[i]);
        EXPECT_EQ(std::vector<BYTE>(8, 0xAA), std::vector<BYTE>(buf.end() - 8, buf.end()));

        CTxtTag back;
        ASSERT_EQ(1, back.ReadFromLibraryRecord(rec, c.size));
        EXPECT_EQ(std::string(std::size_t(c.length), 'L'), std::string(back.GetName()));
        EXPECT_EQ(Position(100, 50), back.GetPosition());
        EXPECT_EQ(22.0, back.GetSizeY());
        EXPECT_EQ(10.0, back.GetSizeX());
        EXPECT_EQ(2, back.GetStyle());
        EXPECT_NEAR(PI / 6, back.GetAngle(), 1e-5);
        EXPECT_EQ(LAYER_TOP_OVERLAY, back.GetLayer());
        EXPECT_EQ(std::size_t(2 * c.length), back.GetGlyphStrokes().size());
    }
}

// The 6-byte real as the library format defines it: exponent byte e (0: zero), 39
// fraction bits f and a sign bit; value (1 + f / 2^39) * 2^(e - 129).
double DecodeReal48(const BYTE* six)
{
    if (six[0] == 0)
        return 0.0;
    std::uint64_t field = 0;
    for (int i = 5; i >= 1; --i)
        field = field << 8 | six[i];
    const double f =
        double(field & ((std::uint64_t(1) << 39) - 1)) / double(std::uint64_t(1) << 39);
    const double v = std::ldexp(1.0 + f, int(six[0]) - 129);
    return field >> 39 ? -v : v;
}

TEST_F(TextLayout, LibraryRecordsHoldTheAngleWithinOneTurn)
{
    struct Case {
        double degrees;
        double stored;
    };
    for (const Case c : {Case{573, 213}, Case{-147, 213}, Case{360, 0}, Case{720.5, 0.5}}) {
        auto t = Text("R1", c.degrees * PI / 180.0);
        std::vector<BYTE> rec(std::size_t(t->GetRecordSize()), 0);
        int offset = 0;
        ASSERT_EQ(1, t->WriteLibraryRecord(rec.data(), &offset)) << c.degrees;
        EXPECT_NEAR(c.stored, DecodeReal48(rec.data() + 18), 1e-3) << c.degrees;
    }
}

TEST_F(TextLayout, DamagedLibraryRecordsAreReadWithinTheirBounds)
{
    auto t = Text("LLL");
    std::vector<BYTE> rec(64, 0);
    int offset = 0;
    ASSERT_EQ(1, t->WriteLibraryRecord(rec.data(), &offset));

    struct Case {
        std::int32_t storedLength;
        int size;
        std::string text;
    };
    const std::string full = "LLL" + std::string(29, 'I');
    std::memcpy(rec.data() + 32, full.data(), full.size()); // no zero byte in the record
    for (const Case& c : {Case{1000, 64, full}, Case{INT32_MAX, 64, full}, Case{-5, 64, ""},
                          Case{2, 64, "LL"}, Case{40, 40, full.substr(0, 8)}, Case{3, 31, ""}}) {
        SCOPED_TRACE(c.storedLength);
        std::vector<BYTE> bytes(rec.begin(), rec.begin() + c.size); // exactly the record
        if (c.size >= 28)
            LibRecord::PutI32(bytes.data() + 24, c.storedLength);
        CTxtTag back;
        back.SetName("old");
        EXPECT_EQ(c.size >= 32 ? 1 : 0, back.ReadFromLibraryRecord(bytes.data(), c.size));
        EXPECT_EQ(c.text, std::string(back.GetName()));
    }
    // A zero byte inside the stored length ends the text.
    rec[34] = 0;
    CTxtTag back;
    ASSERT_EQ(1, back.ReadFromLibraryRecord(rec.data(), 64));
    EXPECT_EQ("LL", std::string(back.GetName()));

    EXPECT_EQ(32, CTxtTag::RecordSizeFor(-7));
    EXPECT_GT(CTxtTag::RecordSizeFor(INT32_MAX), 0);
}

TEST_F(TextLayout, ProtelRecords)
{
    auto t = Text("U1", PI / 2, 1);
    t->SetPosition(Position(1, 2), 0);
    std::map<int, int> counts{{8, 0}, {2, 0}};
    std::string out = "leftover";
    t->ExportText(out, counts);
    EXPECT_EQ("FS\n0 0 1000 2000 22000 90.000 1 1 17 0 0 0 0 10000 1 0 0\nU1\n", out);
    EXPECT_EQ((std::map<int, int>{{8, 1}, {2, 0}}), counts);

    auto part = Text("R7");
    part->SetPosition(Position(-0.25, 0), 0);
    part->SetComponentPart(1);
    part->ExportText(out, counts);
    EXPECT_EQ("CS\n0 0 -249 0 22000 0.000 0 1 17 0 0 0 0 10000 1 0 0\nR7\n", out);
    EXPECT_EQ(2, counts[8]);
}

// With no font from the board, texts use the program's own Hershey data.
TEST(CTxtTagDefaultFont, RealGlyphsAndDefaults)
{
    CTxtTag t;
    EXPECT_EQ(60.0, t.GetSizeY());
    EXPECT_EQ(10.0, t.GetSizeX());
    EXPECT_EQ(20.0, t.GetLineWidth());
    EXPECT_EQ(1, t.GetStyle());
    EXPECT_EQ(0xFFFFu, t.GetColor());

    t.SetName("A");
    const std::size_t a = t.GetGlyphStrokes().size();
    EXPECT_GT(a, 0u);
    const int width = t.GetTextWidth();
    t.SetName("A A");
    EXPECT_EQ(2 * a, t.GetGlyphStrokes().size());
    EXPECT_GT(t.GetTextWidth(), 3 * width);
    t.SetName("\xC9t\xE9");
    EXPECT_GT(t.GetGlyphStrokes().size(), 6u);
}

// The strokes box and draw exactly as tracks would, at any rotation, mirrored or not,
// after transformations, and with a width given after the layout.
TEST(CTxtTagDefaultFont, StrokesBoxAndDrawExactlyAsTracks)
{
    FakeBoardServices board;
    board.scaleX = 0.37;
    board.scaleY = 0.41;
    board.viewOffset = Position(-13.3, 7.7);
    board.layerColors[LAYER_BOTTOM_OVERLAY] = MakeRGB(9, 8, 7);
    BoardServices::Install(&board);

    struct Case {
        const char* text;
        double rotation;
        int mirror;
        double width;
    };
    for (const Case& c : {Case{"U12345", 0.0, 0, 10.0}, Case{"Hello, World!", 0.3, 1, 7.5},
                          Case{"gjq@#", 2.5, 0, 0.0}, Case{"R7", PI, 1, 25.0}}) {
        for (int step = 0; step < 3; ++step) {
            SCOPED_TRACE(testing::Message() << c.text << " step " << step);
            CTxtTag t;
            t.SetPosition(Position(12.25, -7.4), 0);
            t.SetSizeY(47.0);
            t.SetSizeX(c.width);
            t.SetAngle(c.rotation);
            t.SetMirror(c.mirror);
            t.SetLayer(LAYER_BOTTOM_OVERLAY);
            t.SetName(c.text);
            BOX2D box;
            // Each change after a box was asked for: the box follows the new strokes.
            auto boxAfter = [&](const std::function<void()>& change) {
                ASSERT_EQ(1, t.GetBox(&box));
                change();
                ASSERT_EQ(1, t.GetBox(&box));
                ExpectSameBox(TrackBox(t), box);
            };
            if (step == 1) {
                int flag = 0;
                for (const std::function<void()>& change : std::vector<std::function<void()>>{
                         [&] { t.Rotate(Position(10.1, -20.2), 0.7); },
                         [&] { t.MirrorY(Position(-2.2, 5.5)); },
                         [&] { t.MirrorX(Position(4.2, 1.5)); },
                         [&] { t.Move(Position(3.3, -1.7), Position(0.25, 0.5), &flag); },
                         [&] { t.MoveBy(Position(1, 2), Position(-3.5, 0.25)); },
                         [&] { t.SetPosition(Position(40.5, 2.25), 0); }})
                    boxAfter(change);
            }
            if (step == 2)
                boxAfter([&] { t.SetSizeX(3.0); });
            ASSERT_EQ(1, t.GetBox(&box));
            RecordingDrawContext drawn;
            RecordingDrawContext tracks;
            t.Draw(&drawn, DM_NORMAL, Rect{}, nullptr);
            ExpectSameBox(TrackBox(t, &tracks), box);
            // Strokes that cannot reach the area being painted are left out.
            int right = 0;
            for (const RecordingDrawContext::Call& call : drawn.calls)
                for (const Point& p : call.points)
                    right = std::max(right, p.x);
            RecordingDrawContext elsewhere;
            t.Draw(&elsewhere, DM_NORMAL, Rect{right + 200, -9999, right + 250, 9999}, nullptr);
            EXPECT_EQ(elsewhere.DrawingCount(), 0);
            ASSERT_EQ(tracks.calls.size(), drawn.calls.size());
            for (std::size_t i = 0; i < drawn.calls.size(); ++i) {
                const RecordingDrawContext::Call& a = tracks.calls[i];
                const RecordingDrawContext::Call& b = drawn.calls[i];
                ASSERT_TRUE(a.op == b.op && a.points == b.points && a.rect == b.rect &&
                            a.pen == b.pen && a.brush == b.brush && a.inPath == b.inPath)
                    << "call " << i;
            }
        }
    }
}

} // namespace
