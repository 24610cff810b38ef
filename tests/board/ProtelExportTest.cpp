#include "board/CInfomation.h"

#include "model/CArc.h"
#include "model/CComponent.h"
#include "model/CFillArea.h"
#include "model/CFreePad.h"
#include "model/CLine.h"
#include "model/CPolygon.h"
#include "model/CTxtTag.h"
#include "model/CViaPad.h"
#include "model/Constants.h"
#include "platform/CArchive.h"
#include "support/BoardFixture.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

CLine* Track(Position a, Position b, double width, int layer)
{
    auto* t = new CLine(a, b);
    t->SetLineWidth(&width);
    t->SetLayer(layer);
    t->SetExportVariant(0);
    return t;
}

// The export takes board point (10, 20) as its (0, 0): every object below sits at
// that offset from the numbers the file should show.
const Position kOrigin(10.0, 20.0);

class ProtelExportTest : public BoardTest
{
  protected:
    std::string Path(const char* name) const { return settingsFolder + name; }

    // One object of every kind, a component in the middle of them by age, a deleted
    // board object and a deleted component child.
    void FillBoard()
    {
        CLine* track = Track(Position(10, 20), Position(110, 20.25), 10.0, 0);
        track->SetExportVariant(1);
        board().AddEntity(track);

        auto* gone = Track(Position(0, 0), Position(5, 5), 10.0, 0);
        board().AddEntity(gone);
        gone->Deactivate();

        auto* arc = new CArc(Position(35.4, 20), 25.4, 0.0, PI * 0.5);
        const double arcWidth = 10.0;
        arc->SetLineWidth(&arcWidth);
        arc->SetLayer(LAYER_TOP_OVERLAY);
        board().AddEntity(arc);

        auto* comp = new CComponent("DIP\r8");
        CLine leg(Position(10, 20), Position(60, 20));
        const double legWidth = 10.0;
        leg.SetLineWidth(&legWidth);
        leg.SetLayer(LAYER_TOP_OVERLAY);
        comp->AddEntity(&leg, 0);
        comp->AddEntity(&leg, 0);
        comp->GetChildren().back()->Deactivate();
        comp->SetPosition(Position(110, 120), 0);
        comp->SetName("R1");
        comp->SetCommentText("10k");
        auto* text = new CTxtTag(Position(12, 23));
        text->SetName("U1\r\nX");
        text->SetLayer(LAYER_TOP_OVERLAY);
        for (CTxtTag* t : {&comp->GetDesignator(), &comp->GetComment(), text}) {
            t->SetSizeX(10.0);
            t->SetSizeY(22.0);
            t->SetMirror(0);
            t->SetAngle(0.0);
        }
        board().AddEntity(comp);

        auto* pad = new CFreePad();
        pad->SetShape(ET_RECTANGLE);
        pad->SetSizeX(60.0);
        pad->SetSizeY(40.0);
        pad->SetHoleSize(30.0);
        pad->SetLayer(LAYER_MULTI);
        pad->SetAngle(0.0);
        pad->SetName("P\n1");
        pad->SetPosition(Position(110, 70), 0);
        board().AddEntity(pad);

        auto* via = new CViaPad();
        via->SetSizeX(50.0);
        via->SetSizeY(50.0);
        via->SetHoleSize(28.0);
        via->SetLayer(LAYER_MULTI);
        via->SetLayers(2, 5);
        via->SetPosition(Position(20, 40), 0);
        board().AddEntity(via);

        auto* fill = new CFillArea();
        fill->SetCorner1(Position(10, 20));
        fill->SetCorner2(Position(60, 45));
        fill->SetLayer(1);
        board().AddEntity(fill);

        board().AddEntity(text);

        auto* pour = new CPolygon();
        pour->SetHatchStyle(CPolygon::HATCH_NONE);
        pour->SetHatchParam(12.0);
        const double pourWidth = 8.0;
        pour->SetLineWidth(&pourWidth);
        pour->SetLayer(0);
        const Position corners[] = {Position(10, 20), Position(110, 20), Position(110, 70),
                                    Position(10, 70)};
        for (int i = 0; i < 4; ++i)
            pour->AddOutlineSegment(new CLine(corners[i], corners[(i + 1) % 4]));
        pour->RebuildFill();
        board().AddEntity(pour);
    }

    // The board as the document would store it.
    std::vector<std::uint8_t> Stored()
    {
        CArchive ar;
        board().Serialize(ar);
        return ar.TakeBytes();
    }
};

// The file, written by hand from the format: the component first, then the other live
// objects newest first, each moved by -kOrigin.
const std::string kExpected =
    "PCB FILE 6 VERSION 2.80\n"
    "0 6 0 0 1 1 1 1 1 3\n"
    "COMP\nDIP 8\n0 0 100000 100000 1 0 0 0 0 0 0 0.000 1 1 1\n"
    "CS\n0 0 100000 100000 22000 0.000 0 1 17 0 0 0 0 10000 1 0 0\nR1\n"
    "CS\n0 0 100000 100000 22000 0.000 0 1 17 0 0 0 0 10000 1 0 0\n10k\n"
    "CT\n0 0 0 0 50000 0 10000 17 0 0 0\n 0 0 1 0 0\n"
    "ENDCOMP\n"
    "PG\n1\n 0\n1 1 1 0 0 1\n12000 8000 2000 0\n\n4\n"
    "0 0\n100000 0\n100000 50000\n0 50000\n0 0\n 0 0 0 0 0\n"
    "FT\n0 0 0 0 100000 0 8000 1 0 0 0\n 0 0 1 0 0\n"
    "FT\n0 0 100000 0 100000 50000 8000 1 0 0 0\n 0 0 1 0 0\n"
    "FT\n0 0 100000 50000 0 50000 8000 1 0 0 0\n 0 0 1 0 0\n"
    "FT\n0 0 0 50000 0 0 8000 1 0 0 0\n 0 0 1 0 0\n"
    "FS\n0 0 2000 3000 22000 0.000 0 1 17 0 0 0 0 10000 1 0 0\nU1  X\n"
    "FF\n0 0 0 0 50000 25000 2 0\n 0 1 0.000\n"
    "FV\n0 0 10000 20000 50000 28000 0 2 0 0 0 0 1 0 0 3 6\n"
    "FP\n0 0 100000 50000 60000 40000 2 60000 40000 2 60000 40000 2 30000 0 34 0 0 0.000 "
    "2000 0 10000 10000 10000 4 1 1 1 1 1 1 1 1 \nP 1\n"
    "FA\n0 0 25400 0 25400 0.000 90.000 10000 17 0 0\n 0 1\n"
    "FT\n0 0 0 0 100000 250 10000 1 0 0 0\n 1 0 1 0 0\n"
    "DEFAULTS\n-99995 -199995\n"
    "ENDPCB";

TEST_F(ProtelExportTest, WritesEveryKindTranslatedAndLeavesTheBoardAlone)
{
    FillBoard();
    const std::vector<std::uint8_t> before = Stored();
    const int modifiedNotices = view.NoticeCount(BN_MODIFIED);

    std::string error;
    ASSERT_TRUE(board().ExportProtelPcb(Path("board.pcb"), kOrigin, &error)) << error;
    const std::string file = ReadFile(Path("board.pcb"));
    EXPECT_EQ(file, WithCrLf(kExpected));
    EXPECT_EQ(file.substr(file.size() - 8), "\r\nENDPCB");

    // Nothing moved, nothing marked modified; a second export gives the same bytes.
    EXPECT_EQ(Stored(), before);
    EXPECT_EQ(view.NoticeCount(BN_MODIFIED), modifiedNotices);
    ASSERT_TRUE(board().ExportProtelPcb(Path("again.pcb"), kOrigin, &error)) << error;
    EXPECT_EQ(ReadFile(Path("again.pcb")), file);
}

TEST_F(ProtelExportTest, NumbersUseAPointWhateverTheUserLocale)
{
    FillBoard();
    board().AddEntity(new CArc(Position(0, 0), 10.5, PI / 3.0, PI * 0.75));
    ASSERT_TRUE(board().ExportProtelPcb(Path("c.pcb"), kOrigin));
    const std::string inC = ReadFile(Path("c.pcb"));
    ASSERT_NE(inC.find("60.000 135.000 "), std::string::npos);

    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE"))
        GTEST_SKIP() << "no German locale installed";
    const bool written = board().ExportProtelPcb(Path("de.pcb"), kOrigin);
    std::setlocale(LC_ALL, saved.c_str());
    ASSERT_TRUE(written);
    EXPECT_EQ(ReadFile(Path("de.pcb")), inC);
}

TEST_F(ProtelExportTest, EmptyBoardAndFailuresToWrite)
{
    // The view's origin pixel shown from a photograph corner at (-0.25, 1) mils.
    ASSERT_TRUE(board().ExportProtelPcb(Path("empty.pcb"), Position(-0.25, 1.0)));
    EXPECT_EQ(ReadFile(Path("empty.pcb")), WithCrLf("PCB FILE 6 VERSION 2.80\n0 0 0 0 0 0 0 0 0 0\n"
                                                    "DEFAULTS\n2505 -9995\nENDPCB"));

    board().AddEntity(Track(Position(0, 0), Position(1, 1), 10.0, 0));
    std::string error;
    EXPECT_FALSE(board().ExportProtelPcb(Path("no-such-folder/board.pcb"), kOrigin, &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(board().ExportProtelPcb(Path("empty.pcb/board.pcb"), kOrigin, &error));
    EXPECT_FALSE(error.empty());
    // A folder in the way is not replaced.
    EXPECT_FALSE(board().ExportProtelPcb(settingsFolder, kOrigin));
    EXPECT_TRUE(std::filesystem::is_directory(settingsFolder));
}

TEST_F(ProtelExportTest, LeavesOutTheDeletedPartsOfAPoursFill)
{
    auto* pour = new CPolygon();
    const Position corners[] = {Position(0, 0), Position(100, 0), Position(100, 100),
                                Position(0, 100)};
    for (int i = 0; i < 4; ++i)
        pour->AddOutlineSegment(new CLine(corners[i], corners[(i + 1) % 4]));
    pour->RebuildFill();
    board().AddEntity(pour);
    const auto tracks = [this](const char* name) {
        const std::string file = ReadFile(Path(name));
        std::size_t n = 0;
        for (std::size_t at = file.find("T\r\n"); at != std::string::npos;
             at = file.find("T\r\n", at + 1))
            ++n;
        return n;
    };
    ASSERT_TRUE(board().ExportProtelPcb(Path("whole.pcb"), kOrigin));
    std::vector<CEntity*>& fill = pour->GetHatchList();
    ASSERT_GE(fill.size(), 3u);
    fill[0]->Deactivate();
    fill[2]->Deactivate();
    ASSERT_TRUE(board().ExportProtelPcb(Path("holes.pcb"), kOrigin));
    EXPECT_EQ(tracks("holes.pcb") + 2, tracks("whole.pcb"));
}

} // namespace
