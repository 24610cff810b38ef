#include "model/CViaPad.h"
#include "support/FakeBoardServices.h"

#include "model/BoardServices.h"
#include "model/Constants.h"
#include "model/LibraryRecord.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

namespace
{

using Op = RecordingDrawContext::Op;

// A via at (10, 20) of diameter 50 with a 28-mil hole, joining `start` and `end`.
std::unique_ptr<CViaPad> Via(int start, int end)
{
    auto via = std::make_unique<CViaPad>();
    via->SetSizeX(50.0);
    via->SetSizeY(50.0);
    via->SetHoleSize(28.0);
    via->SetLayer(LAYER_MULTI);
    via->SetLayers(start, end);
    via->SetPosition(Position(10, 20), 0);
    return via;
}

TEST(CViaPadBasics, DefaultsNumberingAndLayersCollected)
{
    CViaPad via;
    EXPECT_EQ(via.GetPart(3)->GetLayer(), LAYER_VIA_HOLE);
    EXPECT_TRUE(via.GetStartLayer() == 0 && via.GetEndLayer() == 15);

    // Numbered 1, 2, 3 through the via prototype; the pad prototype is not involved.
    thePrototypeViaPad.SetLayers(2, 5);
    for (const char* expected : {"1", "2"}) {
        CViaPad placed(Position(7, 8));
        EXPECT_STREQ(placed.GetName(), expected);
        EXPECT_EQ(placed.GetStartLayer(), 2);
        EXPECT_EQ(placed.GetPart(2)->GetPosition(), Position(7, 8));
    }
    EXPECT_STREQ(thePrototypeFreePad.GetName(), "");

    // The two layers joined, then the hole layers when there is a hole; never the
    // layer field or the layers between.
    auto blind = Via(2, 5);
    std::map<int, int> used{{33, 9}};
    blind->CollectLayers(used);
    EXPECT_EQ(used, (std::map<int, int>{{2, 1}, {5, 1}, {33, 9}, {34, 1}, {35, 1}}));
    blind->SetHoleSize(0.0);
    used.clear();
    blind->CollectLayers(used);
    EXPECT_EQ(used, (std::map<int, int>{{2, 1}, {5, 1}}));
}

TEST(CViaPadBasics, HiddenOnlyWhenBothLayersAreHiddenAndTurnsTurnTheViaPrototypeOnly)
{
    auto via = Via(0, 1);
    const double tol = 0.0;
    const HiddenLayers startOnly{{0, 1}, {LAYER_MULTI, 1}};
    const HiddenLayers both{{0, 1}, {1, 1}};
    BOX2D box;
    EXPECT_TRUE(via->HitTestPoint(Position(10, 20), &tol, &startOnly));
    EXPECT_EQ(via->GetBox(&box, &startOnly), 1);
    EXPECT_FALSE(via->HitTestPoint(Position(10, 20), &tol, &both));
    EXPECT_EQ(via->GetBox(&box, &both), 0);
    RecordingDrawContext dc;
    via->Draw(&dc, DM_NORMAL, Rect{}, &both);
    EXPECT_EQ(dc.DrawingCount(), 0);

    via->Rotate(Position(0, 0), PI * 0.5);
    EXPECT_NEAR(thePrototypeViaPad.GetRotation(), PI * 0.5, 1e-9);
    EXPECT_EQ(thePrototypeFreePad.GetRotation(), 0.0);
    // Mirroring a via leaves both prototypes where they are.
    via->MirrorY(Position(0, 100));
    EXPECT_NEAR(thePrototypeViaPad.GetPosition().y + thePrototypeFreePad.GetPosition().y, 0.0,
                1e-6);
    EXPECT_NEAR(via->GetPosition().y, 200.0 - 10.0, 1e-4);
    EXPECT_EQ(via->GetPart(3)->GetPosition(), via->GetPosition());
}

TEST(CViaPadDrawing, RingHalvesTakeTheColoursOfTheLayersJoined)
{
    FakeBoardServices board;
    board.layerColors = {{0, MakeRGB(200, 0, 0)},
                         {1, MakeRGB(0, 200, 0)},
                         {15, MakeRGB(0, 0, 200)},
                         {LAYER_MULTI, MakeRGB(9, 9, 9)},
                         {LAYER_VIA_HOLE, MakeRGB(1, 2, 3)}};
    BoardServices::Install(&board);
    struct Case {
        int start, end;
        COLORREF left, right;
    };
    const Case cases[] = {
        {0, 15, MakeRGB(1, 2, 3), MakeRGB(1, 2, 3)},
        {15, 0, MakeRGB(1, 2, 3), MakeRGB(1, 2, 3)},
        {0, 1, MakeRGB(200, 0, 0), MakeRGB(0, 200, 0)},
    };
    for (const Case& c : cases) {
        auto via = Via(c.start, c.end);
        RecordingDrawContext dc;
        via->Draw(&dc, DM_NORMAL, Rect{}, nullptr);
        EXPECT_EQ(dc.SaveDepth(), 0);
        // The copper disc, then the two halves as filled paths, left then right.
        ASSERT_EQ(dc.Count(Op::Ellipse), 1);
        EXPECT_EQ(dc.Find(Op::Ellipse)[0]->brush.color, MakeRGB(9, 9, 9));
        const auto paths = dc.Find(Op::StrokeAndFillPath);
        ASSERT_EQ(paths.size(), 2u) << c.start << "-" << c.end;
        EXPECT_EQ(paths[0]->brush.color, c.left);
        EXPECT_EQ(paths[1]->brush.color, c.right);
        // The left half lies left of the centre (x = 10), the right half right of it.
        int half = -1;
        for (const auto& call : dc.calls) {
            half += call.op == Op::BeginPath ? 1 : 0;
            if (call.op == Op::LineTo && call.inPath) {
                EXPECT_TRUE(half == 0 ? call.points[0].x <= 10 : call.points[0].x >= 10) << half;
            }
        }
        EXPECT_EQ(half, 1);
    }

    // Outline mode adds the hole circle.
    RecordingDrawContext dc;
    Via(0, 1)->Draw(&dc, DM_OUTLINE, Rect{}, nullptr);
    EXPECT_EQ(dc.Count(Op::Ellipse), 2);
}

TEST(CViaPadFiles, LibraryRecordByteForByteAndBack)
{
    auto via = Via(2, 5);
    via->SetLayer(3);
    std::array<BYTE, 40> buf;
    buf.fill(0xEE);
    int offset = 4;
    ASSERT_EQ(via->WriteLibraryRecord(buf.data(), &offset), 1);
    EXPECT_EQ(offset, 36);
    const std::array<BYTE, 32> expected = {8,    0,    4,    0,    0xA0, 0x86, 0x01,
                                           0x00, 0x40, 0x0D, 0x03, 0x00, 0x20, 0xA1,
                                           0x07, 0x00, 0xC0, 0x45, 0x04, 0x00};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buf.begin() + 4));
    EXPECT_EQ(buf[36], 0xEE);

    CViaPad back;
    ASSERT_EQ(back.ReadFromLibraryRecord(buf.data() + 4, 32), 1);
    EXPECT_EQ(back.GetPosition(), Position(10, 20));
    EXPECT_TRUE(back.GetPart(0)->GetSizeY() == 50.0 && back.GetHoleSize() == 28.0);
    EXPECT_EQ(back.GetLayer(), 3);
    EXPECT_EQ(back.GetPart(3)->GetLayer(), LAYER_VIA_HOLE);
    EXPECT_TRUE(back.GetStartLayer() == 0 && back.GetEndLayer() == 15); // not stored: defaults

    LibRecord::PutU16(buf.data() + 6, 0); // layer field 0: the multi-layer
    ASSERT_EQ(back.ReadFromLibraryRecord(buf.data() + 4, 32), 1);
    EXPECT_EQ(back.GetLayer(), LAYER_MULTI);
    EXPECT_EQ(back.ReadFromLibraryRecord(buf.data() + 4, 31), 0);
    EXPECT_EQ(back.ReadFromLibraryRecord(nullptr, 32), 0);
}

TEST(CViaPadFiles, ProtelRecords)
{
    std::map<int, int> counts{{3, 0}, {11, 0}};
    std::string out;
    Via(0, 15)->ExportText(out, counts);
    EXPECT_EQ(out, "FV\n0 0 10000 20000 50000 28000 0 0 0 0 0 0 1 0 0 1 16\n");
    auto blind = Via(2, 5);
    blind->SetComponentPart(1);
    blind->ExportText(out, counts);
    EXPECT_EQ(out, "CV\n0 0 10000 20000 50000 28000 0 2 0 0 0 0 1 0 0 3 6\n");
    Via(15, 0)->ExportText(out, counts); // only 0 to 15 is written as through-all
    EXPECT_EQ(out, "FV\n0 0 10000 20000 50000 28000 0 8 0 0 0 0 1 0 0 16 1\n");
    EXPECT_EQ(counts, (std::map<int, int>{{3, 0}, {11, 3}}));
}

TEST(CViaPadFiles, DocumentRoundTripKeepsPartsAndLayers)
{
    auto via = Via(2, 5);
    via->SetName("V4");
    CArchive out;
    out.WriteObject(via.get());
    const std::vector<std::uint8_t> bytes = out.TakeBytes();
    // The pad body carries its own class record.
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("CFreePad"), std::string::npos);

    CArchive in(bytes);
    std::unique_ptr<CObject> ob(in.ReadObject(RUNTIME_CLASS(CFreePad)));
    auto* back = dynamic_cast<CViaPad*>(ob.get());
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->GetStartLayer() == 2 && back->GetEndLayer() == 5);
    EXPECT_STREQ(back->GetName(), "V4");
    ASSERT_EQ(back->GetPartCount(), 4);
    EXPECT_EQ(back->GetPart(3)->GetLayer(), LAYER_VIA_HOLE);
}

TEST(CViaPadProperties, LayersOrderedPairIndexStoredPrototypeOnOk)
{
    FakeUiServices ui;
    UiServices::Install(&ui);
    FakeBoardServices board;
    BoardServices::Install(&board);
    auto via = Via(0, 15);

    struct Case {
        int start, end;
        int storedStart, storedEnd, layerField;
    };
    const Case cases[] = {{3, 2, 2, 3, 1}, {2, 3, 2, 3, 2}, {0, 15, 0, 15, 0}, {7, 3, 3, 7, 1}};
    for (const Case& c : cases) {
        ui.Expect<ViaProperties>(true, [c](ViaProperties& v) {
            v.startLayer = c.start;
            v.endLayer = c.end;
            v.diameter = 40.0;
            v.hole = 12.0;
            v.position = Position(1, 2);
        });
        SCOPED_TRACE(testing::Message() << c.start << "-" << c.end);
        EXPECT_EQ(via->EditProperties(0, Position()), 1);
        EXPECT_TRUE(via->GetStartLayer() == c.storedStart && via->GetEndLayer() == c.storedEnd);
        EXPECT_EQ(via->GetLayer(), c.layerField);
        EXPECT_EQ(via->GetPart(0)->GetLayer(), LAYER_MULTI); // the copper keeps its layer
        EXPECT_EQ(via->GetPart(2)->GetSizeY(), 40.0);
        EXPECT_EQ(via->GetPart(1)->GetPosition(), Position(1, 2));
        EXPECT_EQ(thePrototypeViaPad.GetStartLayer(), c.storedStart);
    }
    EXPECT_EQ(ui.Received<ViaProperties>().at(0).diameter, 50.0);
}

} // namespace
