#include "model/CFreePad.h"
#include "support/FakeBoardServices.h"

#include "model/BoardServices.h"
#include "model/CLine.h"
#include "model/CRectAngle.h"
#include "model/CRound.h"
#include "model/Constants.h"
#include "model/LibraryRecord.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>

namespace
{

using Op = RecordingDrawContext::Op;
constexpr double kEps = 1e-9;

// A rectangular pad of 60 x 40 mils with a 30-mil hole.
std::unique_ptr<CFreePad> RectPad(Position at, int layer, const char* name)
{
    auto pad = std::make_unique<CFreePad>();
    pad->SetShape(ET_RECTANGLE);
    pad->SetSizeX(60.0);
    pad->SetSizeY(40.0);
    pad->SetHoleSize(30.0);
    pad->SetLayer(layer);
    pad->SetName(name);
    pad->SetPosition(at, 0);
    return pad;
}

void ExpectPartsFollowThePad(CFreePad& pad, int holeLayer)
{
    ASSERT_EQ(pad.GetPartCount(), 4);
    for (int i = 0; i < 4; ++i) {
        CEntity* part = pad.GetPart(i);
        EXPECT_EQ(part->GetPosition(), pad.GetPosition()) << i;
        EXPECT_NEAR(part->GetRotation(), pad.GetRotation(), kEps) << i;
        if (i < 3) {
            EXPECT_EQ(part->GetType(), pad.GetShapeType()) << i;
            EXPECT_EQ(part->GetSizeX(), pad.GetSizeX()) << i;
            EXPECT_EQ(part->GetSizeY(), pad.GetSizeY()) << i;
            EXPECT_EQ(part->GetLayer(), pad.GetLayer()) << i;
        }
    }
    EXPECT_EQ(pad.GetPart(3)->GetLayer(), holeLayer);
    EXPECT_EQ(pad.GetPart(3)->GetSizeY(), pad.GetHoleSize());
}

std::unique_ptr<CFreePad> RoundTrip(CFreePad& pad)
{
    CArchive out;
    out.WriteObject(&pad);
    const std::vector<std::uint8_t> bytes = out.TakeBytes();
    CArchive in(bytes);
    return std::unique_ptr<CFreePad>(
        static_cast<CFreePad*>(in.ReadObject(RUNTIME_CLASS(CFreePad))));
}

TEST(CFreePadParts, ShapesLayersNumberingAndTurnsThroughThePrototype)
{
    auto rect = RectPad(Position(5, 6), 33, "1");
    ExpectPartsFollowThePad(*rect, LAYER_PAD_HOLE);
    rect->SetShape(7); // not a shape: nothing changes
    EXPECT_EQ(rect->GetShapeType(), ET_RECTANGLE);

    // Without a hole only the pad's own layer; with one the hole layers too, and
    // values already there stay.
    std::map<int, int> used;
    rect->SetHoleSize(0.0);
    rect->CollectLayers(used);
    EXPECT_EQ(used, (std::map<int, int>{{33, 1}}));
    rect->SetHoleSize(12.0);
    used = {{35, 7}};
    rect->CollectLayers(used);
    EXPECT_EQ(used, (std::map<int, int>{{33, 1}, {34, 1}, {35, 7}}));

    // Placed pads are numbered through the prototype.
    thePrototypeFreePad.SetName("7");
    thePrototypeFreePad.SetLayer(LAYER_MULTI);
    thePrototypeFreePad.SetSizeX(80.0);
    CFreePad first(Position(100, 50));
    CFreePad second(Position(-20, 10));
    EXPECT_STREQ(first.GetName(), "8");
    EXPECT_STREQ(second.GetName(), "9");
    EXPECT_STREQ(thePrototypeFreePad.GetName(), "9");
    EXPECT_EQ(second.GetSizeX(), 80.0);
    ExpectPartsFollowThePad(second, LAYER_PAD_HOLE);
    thePrototypeFreePad.SetName("");
    EXPECT_STREQ(CFreePad(Position()).GetName(), "1");

    // Turns reach the prototype, except from component parts.
    second.Rotate(Position(0, 0), PI * 0.5);
    EXPECT_NEAR(second.GetPosition().x, -10.0, 1e-4);
    ExpectPartsFollowThePad(second, LAYER_PAD_HOLE);
    EXPECT_NEAR(thePrototypeFreePad.GetRotation(), PI * 0.5, kEps);
    second.SetComponentPart(1);
    second.Rotate(Position(0, 0), PI * 0.5);
    second.MirrorX(Position(10, 0));
    EXPECT_NEAR(thePrototypeFreePad.GetRotation(), PI * 0.5, kEps);
}

// A pad told to meet a clip from its parts' centres and sizes is never left out where its
// own screen rectangle meets the clip: round, oval and rectangular pads at every turn.
TEST(CFreePadDrawing, MeetingAClipNeverMissesWhereTheScreenRectangleMeetsIt)
{
    FakeBoardServices board;
    BoardServices::Install(&board);
    int meetings = 0;
    for (int turn = 0; turn < 12; ++turn)
        for (const int shape : {ET_ROUND, ET_RECTANGLE})
            for (const double sizeY : {30.0, 54.0, 90.0}) {
                CFreePad pad;
                pad.SetShape(shape);
                pad.SetSizeX(54.0);
                pad.SetSizeY(sizeY);
                pad.SetHoleSize(20.0);
                pad.SetPosition(Position(30.5, -12.25), 0);
                pad.SetAngle(turn * PI / 12.0);
                const Rect own = pad.GetScreenRect();
                for (int x = own.left - 3; x <= own.right + 3; ++x)
                    for (int y = own.top - 3; y <= own.bottom + 3; ++y) {
                        const Rect clip{x, y, x + 1, y + 1};
                        if (own.Intersects(clip)) {
                            ++meetings;
                            ASSERT_TRUE(pad.MeetsClip(clip)) << turn << " " << x << "," << y;
                        }
                    }
            }
    EXPECT_GT(meetings, 50000);
}

TEST(CFreePadDrawing, NumberLabelCentredOnTheHole)
{
    FakeBoardServices board; // 1 mil per pixel, board (x, y) at pixel (x, -y)
    BoardServices::Install(&board);
    struct Case {
        const char* name;
        int mode;
        double scale; // mils per pixel
        bool hidden;
        bool font;
        bool text;
    };
    const Case cases[] = {
        {"12", DM_NORMAL, 1.0, false, true, true},
        {"12", DM_OUTLINE, 1.0, false, true, false}, // the font is made, nothing written
        {"", DM_NORMAL, 1.0, false, false, false},
        {"12", DM_NORMAL, 30.0, false, false, false}, // smallest part 1 pixel
        {"12", DM_NORMAL, 1.0, true, false, false},
    };
    for (const Case& c : cases) {
        board.scaleX = board.scaleY = c.scale;
        auto pad = RectPad(Position(100, 50), 0, c.name);
        const HiddenLayers hide{{0, 1}};
        RecordingDrawContext dc;
        pad->Draw(&dc, c.mode, Rect{}, c.hidden ? &hide : nullptr);
        EXPECT_EQ(dc.SaveDepth(), 0);
        EXPECT_EQ(dc.Count(Op::SetFont), c.font ? 1 : 0) << c.name << " " << c.mode;
        ASSERT_EQ(dc.Count(Op::TextOut), c.text ? 1 : 0) << c.name << " " << c.mode;
        if (!c.text)
            continue;
        // The text (2 characters of 6 x 10 px) centred on the hole.
        const auto* text = dc.Find(Op::TextOut).at(0);
        EXPECT_EQ(text->points.at(0), (Point{100 - 6, -50 - 5}));
        EXPECT_EQ(text->text, "12");
        EXPECT_EQ(dc.Find(Op::SetTextColor).at(0)->color, MakeRGB(255, 255, 255));
    }
}

TEST(CFreePadLibrary, RecordByteForByteAndBack)
{
    auto pad = RectPad(Position(100, -50.5), 0, "A12B");
    pad->SetHoleSize(12.5);
    pad->SetAngle(PI * 0.5);

    std::array<BYTE, 8 + 96> buf;
    buf.fill(0xEE);
    int offset = 8;
    ASSERT_EQ(pad->WriteLibraryRecord(buf.data(), &offset), 1);
    EXPECT_EQ(offset, 8 + 96);

    std::array<BYTE, 96> expected{};
    const BYTE head[] = {9,    0,    1,    0,    0x40, 0x42, 0x0F, 0x00, 0x58, 0x4B, 0xF8,
                         0xFF, 0x48, 0xE8, 0x01, 0x00, 0x87, 0,    0,    0,    0,    0x34};
    std::memcpy(expected.data(), head, sizeof head);
    expected[32] = 4;
    std::memcpy(&expected[33], "A12B", 4);
    for (int at : {66, 76, 86}) {
        const BYTE entry[] = {0xC0, 0x27, 0x09, 0x00, 0x80, 0x1A, 0x06, 0x00, 2, 0};
        std::memcpy(&expected[at], entry, sizeof entry);
    }
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buf.begin() + 8));

    CFreePad back;
    ASSERT_EQ(back.ReadFromLibraryRecord(buf.data() + 8, 96), 1);
    EXPECT_EQ(back.GetPosition(), Position(100, -50.5));
    EXPECT_NEAR(back.GetHoleSize(), 12.5, 1e-9); // the stored fraction is kept
    EXPECT_STREQ(back.GetName(), "A12B");
    EXPECT_NEAR(back.GetRotation(), PI * 0.5, 1e-6);
    EXPECT_TRUE(back.GetShapeType() == ET_RECTANGLE && back.GetLayer() == 0);
    ExpectPartsFollowThePad(back, LAYER_PAD_HOLE);

    // A longer name keeps its first four characters.
    pad->SetName("PIN123");
    offset = 0;
    pad->WriteLibraryRecord(buf.data(), &offset);
    EXPECT_EQ(buf[32], 4);
    back.ReadFromLibraryRecord(buf.data(), 96);
    EXPECT_STREQ(back.GetName(), "PIN1");

    // Shape codes of the first entry: 1 and 3 round, 2 rectangular; layer field 0 is
    // the multi-layer.
    for (auto [code, shape] : {std::pair{1, ET_ROUND}, {2, ET_RECTANGLE}, {3, ET_ROUND}}) {
        LibRecord::PutU16(buf.data() + 74, std::uint16_t(code));
        LibRecord::PutU16(buf.data() + 2, 0);
        ASSERT_EQ(back.ReadFromLibraryRecord(buf.data(), 96), 1);
        EXPECT_EQ(back.GetShapeType(), shape) << code;
        EXPECT_EQ(back.GetLayer(), LAYER_MULTI);
    }
}

TEST(CFreePadLibrary, OlderRecordAndShortRecords)
{
    std::array<BYTE, 64> rec{};
    LibRecord::PutHeader(rec.data(), LibRecord::PadOld, 15);
    LibRecord::PutI32(&rec[4], 100000);
    LibRecord::PutI32(&rec[8], 200000);
    LibRecord::PutI32(&rec[12], 500000);
    LibRecord::PutI32(&rec[16], 300000);
    LibRecord::PutI32(&rec[20], 250000);
    LibRecord::PutU16(&rec[24], 2);
    std::memcpy(&rec[33], "P7", 2);
    CFreePad pad;
    pad.SetAngle(1.0);
    ASSERT_EQ(pad.ReadFromLibraryRecord(rec.data(), 64), 1);
    EXPECT_EQ(pad.GetPosition(), Position(10, 20));
    EXPECT_TRUE(pad.GetSizeX() == 50.0 && pad.GetSizeY() == 30.0 && pad.GetHoleSize() == 25.0);
    EXPECT_TRUE(pad.GetShapeType() == ET_RECTANGLE && pad.GetLayer() == 15);
    EXPECT_STREQ(pad.GetName(), "P7");
    EXPECT_EQ(pad.GetRotation(), 0.0);

    // Records shorter than their kind needs are refused and leave the defaults.
    EXPECT_EQ(pad.ReadFromLibraryRecord(rec.data(), 63), 0);
    EXPECT_EQ(pad.GetShapeType(), ET_ROUND);
    std::array<BYTE, 96> pad9{};
    LibRecord::PutHeader(pad9.data(), LibRecord::Pad, 0);
    EXPECT_EQ(pad.ReadFromLibraryRecord(pad9.data(), 95), 0);
    EXPECT_EQ(pad.ReadFromLibraryRecord(nullptr, 96), 0);
    EXPECT_EQ(pad.ReadFromLibraryRecord(pad9.data(), 96), 1);
}

TEST(CFreePadFiles, ProtelRecordFreeAndInAComponent)
{
    auto pad = RectPad(Position(100, 200), LAYER_MULTI, "A3");
    pad->SetAngle(PI * 0.5);
    std::map<int, int> counts{{3, 0}, {11, 0}};
    std::string out = "old";
    pad->ExportText(out, counts);
    EXPECT_EQ(out, "FP\n0 0 100000 200000 60000 40000 2 60000 40000 2 60000 40000 2 30000 0 34 "
                   "0 0 90.000 2000 0 10000 10000 10000 4 1 1 1 1 1 1 1 1 \nA3\n");
    EXPECT_EQ(counts, (std::map<int, int>{{3, 1}, {11, 0}}));

    CFreePad round;
    round.SetComponentPart(1);
    round.ExportText(out, counts);
    EXPECT_EQ(out, "CP\n0 0 0 0 60000 60000 1 60000 60000 1 60000 60000 1 30000 0 1 0 0 0.000 "
                   "2000 0 10000 10000 10000 4 1 1 1 1 1 1 1 1 \n\n");
}

TEST(CFreePadFiles, DocumentRoundTripAndDamagedPads)
{
    auto pad = RectPad(Position(12.5, -3), 5, "A3");
    pad->SetAngle(1.25);
    auto back = RoundTrip(*pad);
    ASSERT_TRUE(back);
    EXPECT_STREQ(back->GetName(), "A3");
    EXPECT_TRUE(back->GetLayer() == 5 && back->GetShapeType() == ET_RECTANGLE);
    ExpectPartsFollowThePad(*back, LAYER_PAD_HOLE);

    // A part that is not live is not stored: three parts are refused when read, and so
    // is a part that is not a pad shape.
    struct PadWithTrack : CFreePad {
        void PutTrack()
        {
            delete m_parts[1];
            m_parts[1] = new CLine(Position(), Position(1, 1));
        }
    } withTrack;
    withTrack.PutTrack();
    pad->GetPart(1)->Deactivate();
    for (auto [damaged, cause] : {std::pair<CFreePad*, int>{pad.get(), CArchiveException::generic},
                                  {&withTrack, CArchiveException::badClass}}) {
        try {
            RoundTrip(*damaged);
            ADD_FAILURE() << "a damaged pad was read";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, cause);
        }
    }
}

TEST(CFreePadProperties, OkKeepsTheNameAndUpdatesThePadItsPartsAndThePrototype)
{
    FakeUiServices ui;
    UiServices::Install(&ui);
    FakeBoardServices board;
    BoardServices::Install(&board);
    auto pad = RectPad(Position(10, 20), 0, "A3");

    ui.Expect<PadProperties>(true, [](PadProperties& v) {
        v.shape = 0;
        v.width = 70.0;
        v.height = 50.0;
        v.hole = 20.0;
        v.layer = 2;
        v.rotation = PI * 0.5;
        v.position = Position(-5, 8);
    });
    EXPECT_EQ(pad->EditProperties(0, Position()), 1);
    const PadProperties& shown = ui.Received<PadProperties>().at(0);
    EXPECT_TRUE(shown.name == "A3" && shown.shape == 1 && shown.position == Position(10, 20));
    EXPECT_TRUE(pad->GetShapeType() == ET_ROUND && pad->GetHoleSize() == 20.0);
    EXPECT_NEAR(pad->GetRotation(), PI * 0.5, kEps);
    EXPECT_TRUE(pad->IsActive());
    ExpectPartsFollowThePad(*pad, LAYER_PAD_HOLE);
    EXPECT_STREQ(thePrototypeFreePad.GetName(), "A3");
    EXPECT_TRUE(thePrototypeFreePad.GetSizeX() == 70.0 && thePrototypeFreePad.GetLayer() == 2);
}

} // namespace
