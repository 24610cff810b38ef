#include "board/CVantorDoc.h"

#include "model/CArc.h"
#include "model/CCircle.h"
#include "model/CComponent.h"
#include "model/CFillArea.h"
#include "model/CFreePad.h"
#include "model/CLine.h"
#include "model/CPolygon.h"
#include "model/CRectAngle.h"
#include "model/CRound.h"
#include "model/CTxtTag.h"
#include "model/CViaPad.h"
#include "model/Constants.h"
#include "model/Utilities.h"
#include "platform/CArchive.h"
#include "support/BoardFixture.h"
#include "support/FakeUiServices.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace
{

struct SwitchSetting {
    explicit SwitchSetting(int on) : saved(thePlatformFlag) { thePlatformFlag = on; }
    ~SwitchSetting() { thePlatformFlag = saved; }
    int saved;
};

class CVantorDocTest : public BoardTest
{
  protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        UiServices::Install(&ui);
    }
    // A 40 x 30 photograph in `format`.
    std::string SavePhoto(const char* name, const char* format)
    {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(qRgb(10, 120, 30));
        const std::string path = settingsFolder + name;
        EXPECT_TRUE(image.save(QString::fromStdString(path), format));
        return path;
    }
    // Answers the file prompt with `path`, the resolution with 500 x 500, and confirms.
    void AnswerPhoto(const std::string& path)
    {
        ui.Expect<FilePrompt>(true, [path](FilePrompt& p) { p.path = path; });
        ui.Expect<DpiValues>(true, [](DpiValues& v) { v.horizontal = v.vertical = 500; });
        ui.Expect<Question>(true);
    }

    FakeUiServices ui;
};

TEST_F(CVantorDocTest, OpenBackgroundPhotoPromptsLoadsAndTellsTheBoard)
{
    const std::pair<const char*, const char*> files[] = {
        {"board.BMP", "BMP"}, {"scan.Jpeg", "JPG"}, {"x.jpg", "JPG"}};
    for (const auto& [name, format] : files) {
        SCOPED_TRACE(name);
        CVantorDoc doc;
        int changes = 0;
        doc.SetPhotoChangedHandler([&] { ++changes; });
        const std::string path = SavePhoto(name, format);
        AnswerPhoto(path);
        ASSERT_TRUE(doc.OnOpenBackgroundPhoto());
        EXPECT_EQ(doc.GetPhoto().GetPath(), path);
        EXPECT_EQ(std::pair(board().GetPhotoWidth(), board().GetPhotoHeight()), std::pair(40, 30));
        EXPECT_EQ(board().GetPhoto(), &doc.GetPhoto());
        EXPECT_GE(changes, 1);

        // Closing the photo drops it and its size.
        changes = 0;
        doc.OnClosePhoto();
        EXPECT_FALSE(doc.GetPhoto().HasImage());
        EXPECT_EQ(board().GetPhotoWidth(), 0);
        EXPECT_EQ(changes, 1);
    }
    const FilePrompt& prompt = ui.Received<FilePrompt>().back();
    EXPECT_EQ(prompt.title, "Open file");
    EXPECT_FALSE(prompt.save);
    EXPECT_EQ(prompt.filters,
              (std::vector<std::pair<std::string, std::string>>{
                  {"bmp files(*.bmp)", "*.bmp"}, {"jpeg files(*.jpeg|*.jpg)", "*.jpg;*.jpeg"}}));
    EXPECT_TRUE(ui.AllAnswersUsed());
    // The board state forgets a document that goes.
    EXPECT_EQ(board().GetPhoto(), nullptr);
}

TEST_F(CVantorDocTest, RefusedOpeningsLoadNothing)
{
    SwitchSetting noBoardWithoutPhoto(0);
    CVantorDoc doc;
    // A cancelled prompt asks nothing more.
    ui.Expect<FilePrompt>(false);
    EXPECT_FALSE(doc.OnOpenBackgroundPhoto());
    EXPECT_TRUE(ui.Received<DpiValues>().empty());

    // A board file needs a photograph first.
    const std::string board = settingsFolder + "b.vtx";
    std::ofstream(board) << "not a photograph";
    EXPECT_FALSE(doc.OpenFile(board));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Please open the photo before!"});
    EXPECT_TRUE(ui.AllAnswersUsed());
}

// ---------------------------------------------------------------------------------
// Board files

using Bytes = std::vector<std::uint8_t>;

Bytes FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void PutFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A board file written by hand: a header, then one list of the given objects.
Bytes Craft(std::vector<CEntity*> objects)
{
    CArchive ar;
    ar.AllowBackReferences(true); // an object given twice is referred back to
    for (int i = 0; i < 6; ++i)
        i<2 || i> 3 ? ar.WriteI32(0) : ar.WriteF64(0.0);
    ar.WriteCount(objects.size());
    for (CEntity* e : objects)
        ar.WriteObject(e);
    return ar.TakeBytes();
}

// A component that stores `inner` among its parts, which no component of ours holds.
class NestingComponent : public CComponent
{
  public:
    explicit NestingComponent(CEntity* child) : CComponent("DIP8"), inner(child) {}
    void Serialize(CArchive& ar) override
    {
        CEntity::Serialize(ar);
        ar.SerializeClass(RUNTIME_CLASS(CComponent));
        ar.WriteCount(1);
        ar.WriteObject(inner.get());
        ar.WriteI32(0);
        ar.WriteString("DIP8");
        GetComment().Serialize(ar);
        GetDesignator().Serialize(ar);
    }
    std::unique_ptr<CEntity> inner;
};

// The view zooms through the photograph, as the program's view does.
class PhotoZoomView : public FakeViewPort
{
  public:
    bool ZoomStep(bool zoomIn, const Position& about) override
    {
        return photo && (zoomIn ? photo->ZoomIn(about) : photo->ZoomOut(about));
    }
    CDib* photo = nullptr;
};

class BoardFileTest : public CVantorDocTest
{
  protected:
    void SetUp() override
    {
        CVantorDocTest::SetUp();
        doc = std::make_unique<CVantorDoc>();
        zoomView.photo = &doc->GetPhoto();
        board().SetView(&zoomView);
        // A 40 x 30 photograph at 500 DPI: 2 mils per pixel at actual size.
        ui.Expect<DpiValues>(true, [](DpiValues& v) { v.horizontal = v.vertical = 500; });
        ui.Expect<Question>(true);
        ASSERT_TRUE(doc->OpenFile(SavePhoto("photo.bmp", "BMP")));
        photoQuestions = ui.Received<Question>().size();
    }
    void TearDown() override
    {
        board().SetView(nullptr);
        doc.reset();
        CVantorDocTest::TearDown();
    }
    std::string Path(const char* name) const { return settingsFolder + name; }
    void AnswerFile(const std::string& path)
    {
        ui.Expect<FilePrompt>(true, [path](FilePrompt& p) { p.path = path; });
    }
    void ZoomTo(double zoom)
    {
        for (int i = 0; i < 16 && doc->GetPhoto().GetZoomFactor() != zoom; ++i)
            doc->GetPhoto().GetZoomFactor() < zoom ? doc->GetPhoto().ZoomIn(Position())
                                                   : doc->GetPhoto().ZoomOut(Position());
        ASSERT_EQ(doc->GetPhoto().GetZoomFactor(), zoom);
    }
    // The board point at the photograph's bottom-left corner.
    Position PhotoCorner()
    {
        return board().ScreenToBoard(Point{0, int(doc->GetPhoto().GetHeight())});
    }
    std::vector<std::string> Classes()
    {
        std::vector<std::string> names;
        for (CEntity* e : board().GetElements().GetEntities())
            names.push_back(e->GetRuntimeClass()->m_lpszClassName);
        return names;
    }

    PhotoZoomView zoomView;
    std::unique_ptr<CVantorDoc> doc;
    std::size_t photoQuestions = 0;
};

TEST_F(BoardFileTest, SaveAndOpenKeepEveryKindOfObjectAndMoreThan32767)
{
    auto* via = new CViaPad(Position(40, 40));
    via->SetLayers(2, 5);
    auto* fill = new CFillArea;
    fill->SetCorner2(Position(90, 40));
    auto* pour = new CPolygon;
    pour->SetHatchParam(20.0);
    const Position corners[] = {Position(0, 0), Position(100, 0), Position(0, 60)};
    for (int i = 0; i < 3; ++i)
        pour->AddOutlineSegment(new CLine(corners[i], corners[(i + 1) % 3]));
    pour->RebuildFill();
    auto* text = new CTxtTag(Position(200, 300));
    text->SetName("R12");
    text->SetMirror(1);
    auto* part = new CComponent("DIP8");
    CFreePad pin(Position(50, 100));
    part->AddEntity(&pin, 0);
    part->SetCommentText("LM358");
    part->SetLocked(1);
    for (CEntity* e : std::initializer_list<CEntity*>{
             new CLine(Position(10, 20), Position(110, 20.5)),
             new CArc(Position(5, 5), 25.0, 0.5, PI), new CCircle(Position(5, 5), 7.0, 1),
             new CFreePad(Position(-10, 20)), via, fill, pour, text, part,
             new CRectAngle(Position(1, 2), 30, 10), new CRound(Position(3, 4), 20, 20, 2)})
        board().AddEntity(e);
    board().AddEntity(new CLine(Position(0, 0), Position(1, 1)));
    board().GetElements().GetFirst()->Deactivate(); // not stored
    auto header = [&] {
        return std::tuple(board().m_headerReal1, board().m_headerReal2, board().m_headerInt1,
                          board().m_headerInt2);
    };
    board().m_headerReal1 = 1.5;
    board().m_headerReal2 = -2.25;
    board().m_headerInt1 = 7;
    board().m_headerInt2 = -9;
    std::vector<std::string> saved = Classes();
    saved.erase(saved.begin());
    doc->SetModifiedFlag(true);
    EXPECT_EQ(doc->GetTitle(), "Untitled");
    const std::string path = Path("every.vtx");
    ASSERT_TRUE(doc->DoSave(path));
    EXPECT_EQ(doc->GetTitle(), "every.vtx");
    EXPECT_FALSE(doc->IsModified());

    board().m_headerReal1 = board().m_headerReal2 = 0.0;
    board().m_headerInt1 = board().m_headerInt2 = 0;
    ASSERT_TRUE(doc->OnOpenDocument(path));
    EXPECT_EQ(doc->GetBoardPath(), path);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_FALSE(board().CanUndo());
    EXPECT_EQ(Classes(), saved);
    EXPECT_EQ(header(), std::tuple(1.5, -2.25, 7, -9));
    // Each kind's own fields are its own tests' business: here, storing what came back
    // gives the same bytes.
    ASSERT_TRUE(doc->OnSaveDocument(Path("again.vtx")));
    EXPECT_EQ(FileBytes(Path("again.vtx")), FileBytes(path));

    // Past the archive's short indices.
    for (int i = 0; i < 40000; ++i)
        board().GetElements().AddEntity(new CLine(Position(i, 0), Position(i, 10)));
    ASSERT_TRUE(doc->DoSave(Path("large.vtx")));
    ASSERT_TRUE(doc->OnOpenDocument(Path("large.vtx")));
    ASSERT_EQ(board().GetElements().GetEntities().size(), 40000u + saved.size());
    EXPECT_EQ(board().GetElements().GetFirst()->GetPosition(), Position(39999, 5));
    EXPECT_EQ(Classes().back(), saved.back());
    EXPECT_TRUE(ui.AllAnswersUsed());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(BoardFileTest, AFailedSaveChangesNothing)
{
    board().AddEntity(new CLine(Position(0, 0), Position(10, 0)));
    const std::string kept = Path("kept.vtx");
    ASSERT_TRUE(doc->DoSave(kept));
    const Bytes before = FileBytes(kept);
    board().AddEntity(new CLine(Position(0, 5), Position(10, 5)));
    doc->SetModifiedFlag(true);
    std::filesystem::create_directory(Path("folder"));
    PutFile(Path("plain"), {1, 2, 3});
    std::vector<std::string> targets = {Path("folder"), Path("missing/x.vtx"), Path("plain/x.vtx")};
    const bool root = ::geteuid() == 0;
    if (!root) {
        // A folder that may not be written, holding the file last saved.
        std::filesystem::create_directory(Path("locked"));
        PutFile(Path("locked/old.vtx"), before);
        ::chmod(Path("locked").c_str(), 0555);
        targets.push_back(Path("locked/old.vtx"));
    }
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        ui.messages.clear();
        AnswerFile(target);
        EXPECT_FALSE(doc->OnFileSaveAs());
        EXPECT_EQ(ui.messages.size(), 1u);
        EXPECT_TRUE(doc->IsModified());
        EXPECT_EQ(doc->GetBoardPath(), kept);
    }
    EXPECT_EQ(FileBytes(kept), before);
    EXPECT_TRUE(std::filesystem::is_empty(Path("folder")));
    if (!root) {
        EXPECT_EQ(FileBytes(Path("locked/old.vtx")), before);
        ::chmod(Path("locked").c_str(), 0755);
    }
}

TEST_F(BoardFileTest, SaveQuestionAndCancelledSaveAs)
{
    // An empty new board closes without a question.
    doc->SetModifiedFlag(true);
    EXPECT_TRUE(doc->OnCloseBoard());
    EXPECT_TRUE(ui.Received<SaveQuestion>().empty());

    board().AddEntity(new CLine(Position(0, 0), Position(10, 0)));
    doc->SetModifiedFlag(true);
    // A cancelled Save As changes nothing and writes nothing.
    const auto files = std::distance(std::filesystem::directory_iterator(settingsFolder), {});
    ui.Expect<FilePrompt>(false);
    EXPECT_FALSE(doc->OnFileSaveAs());
    EXPECT_EQ(ui.Received<FilePrompt>().back().title, "Save PCB file");
    EXPECT_EQ(ui.Received<FilePrompt>().back().filters[0].first, "Vantor files(*.vtx)");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetBoardPath(), "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(settingsFolder), {}), files);

    // Yes, then a cancelled prompt: the board stays.
    ui.Expect<SaveQuestion>(true);
    ui.Expect<FilePrompt>(false);
    EXPECT_FALSE(doc->OnCloseBoard());
    EXPECT_EQ(ui.Received<SaveQuestion>().back().text, "Save changes to Untitled?");
    EXPECT_TRUE(board().HasEntities());
    EXPECT_TRUE(doc->IsModified());

    // Yes and a name: saved, then closed.
    ui.Expect<SaveQuestion>(true);
    AnswerFile(Path("closing.vtx"));
    EXPECT_TRUE(doc->OnNewDocument());
    EXPECT_FALSE(board().HasEntities());
    EXPECT_EQ(doc->GetBoardPath(), "");
    EXPECT_FALSE(FileBytes(Path("closing.vtx")).empty());

    // No: closed without saving.
    board().AddEntity(new CLine(Position(0, 0), Position(10, 0)));
    doc->SetModifiedFlag(true);
    ui.Expect<SaveQuestion>(true, [](SaveQuestion& q) { q.save = false; });
    EXPECT_TRUE(doc->OnCloseAll());
    EXPECT_FALSE(board().HasEntities());
    EXPECT_FALSE(doc->IsModified());
    EXPECT_FALSE(doc->GetPhoto().HasImage());
    EXPECT_TRUE(ui.AllAnswersUsed());
}

TEST_F(BoardFileTest, ARefusedOrDamagedFileLeavesTheBoardAsItWas)
{
    board().AddEntity(new CLine(Position(0, 0), Position(10, 0)));
    const std::string current = Path("current.vtx");
    ASSERT_TRUE(doc->DoSave(current));
    const Bytes good = FileBytes(current);
    board().AddEntity(new CLine(Position(0, 5), Position(10, 5)));
    doc->SetModifiedFlag(true);
    const std::list<CEntity*> objects = board().GetElements().GetEntities();
    int origin[2];
    board().GetScreenOrigin(origin);

    CLine track(Position(1, 1), Position(2, 2));
    CEntity bare;
    NestingComponent nested(new CComponent("SO8")), pour(new CPolygon), bareChild(new CEntity);
    Bytes huge = Craft({});
    huge.resize(huge.size() - 2);
    for (std::uint8_t b : {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F})
        huge.push_back(b);
    const std::pair<const char*, Bytes> cases[] = {
        {"cut.vtx", Bytes(good.begin(), good.end() - 5)},
        {"text.vtx", Bytes{'h', 'e', 'l', 'l', 'o'}},
        {"bare.vtx", Craft({&bare})},
        {"twice.vtx", Craft({&track, &track})},
        {"nested.vtx", Craft({&nested})},
        {"pour-in-part.vtx", Craft({&pour})},
        {"bare-in-part.vtx", Craft({&bareChild})},
        {"count.vtx", huge},
        {"board.pcb", good},
        {"board.txt", good},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        PutFile(Path(name), bytes);
        const std::string says = name == std::string("board.pcb")   ? "does not read"
                                 : name == std::string("board.txt") ? "not a Vantor board file"
                                                                    : "damaged";
        for (bool import : {false, true}) {
            ui.messages.clear();
            EXPECT_FALSE(import ? doc->LoadBoardFile(Path(name)) : doc->OnOpenDocument(Path(name)));
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_NE(ui.messages[0].find(says), std::string::npos) << ui.messages[0];
            EXPECT_EQ(board().GetElements().GetEntities(), objects);
            int now[2];
            board().GetScreenOrigin(now);
            EXPECT_EQ(std::make_pair(now[0], now[1]), std::make_pair(origin[0], origin[1]));
            EXPECT_EQ(doc->GetBoardPath(), current);
            EXPECT_TRUE(doc->IsModified());
        }
    }
    ui.messages.clear();
    EXPECT_FALSE(doc->OnOpenDocument(Path("gone.vtx")));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(board().GetElements().GetEntities(), objects);
    // Nothing was asked: the board was never about to close.
    EXPECT_TRUE(ui.Received<SaveQuestion>().empty());
}

TEST_F(BoardFileTest, ANewPhotoReplacesBoardAndPhotoOnlyWhenEveryStepSucceeds)
{
    const std::string good = SavePhoto("new.jpg", "JPG");
    const std::string broken = Path("broken.bmp");
    std::ofstream(broken) << "BM not a photograph";
    // The answers in order: the file prompt (its path, "" cancels), the DPI question
    // (-1 not asked, 0 cancels), the confirmation and the save question (-1 not asked,
    // 0 no / cancel, 1 yes), and the Save As prompt that a yes opens (-1 not asked).
    struct Case {
        const char* step;
        std::string path;
        int dpi, confirm, save, saveAs;
        bool opens;
    } cases[] = {
        {"prompt cancelled", "", -1, -1, -1, -1, false},
        {"file missing", Path("gone.bmp"), -1, -1, -1, -1, false},
        {"file not a photo", broken, -1, -1, -1, -1, false},
        {"DPI cancelled", good, 0, -1, -1, -1, false},
        {"DPI not confirmed", good, 500, 0, -1, -1, false},
        {"save question cancelled", good, 500, 1, 0, -1, false},
        {"save cancelled", good, 500, 1, 1, 0, false},
        {"board dropped", good, 500, 1, 2, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        board().AddEntity(new CLine(Position(0, 0), Position(10, 0)));
        doc->SetModifiedFlag(true);
        ui.Expect<FilePrompt>(!c.path.empty(), [&c](FilePrompt& p) { p.path = c.path; });
        if (c.dpi >= 0)
            ui.Expect<DpiValues>(c.dpi > 0, [](DpiValues& v) { v.horizontal = v.vertical = 250; });
        if (c.confirm >= 0)
            ui.Expect<Question>(c.confirm == 1);
        if (c.save >= 0)
            ui.Expect<SaveQuestion>(c.save > 0, [&c](SaveQuestion& q) { q.save = c.save == 1; });
        if (c.saveAs >= 0)
            ui.Expect<FilePrompt>(false);
        EXPECT_EQ(doc->OnOpenBackgroundPhoto(), c.opens);
        EXPECT_TRUE(ui.AllAnswersUsed());
        EXPECT_EQ(board().HasEntities(), !c.opens);
        EXPECT_EQ(doc->IsModified(), !c.opens);
        EXPECT_EQ(doc->GetPhoto().GetPath(), c.opens ? good : Path("photo.bmp"));
        EXPECT_EQ(doc->GetPhoto().GetResolutionX(), c.opens ? 250u : 500u);
        EXPECT_EQ(board().GetPhotoWidth(), 40);
        EXPECT_EQ(board().GetPhoto(), &doc->GetPhoto());
    }
}

TEST_F(BoardFileTest, ImportAddsTheFileAndMarksTheBoardModified)
{
    board().AddEntity(new CArc(Position(50, 50), 25.0, 0.0, PI));
    board().AddEntity(new CTxtTag(Position(5, 5)));
    board().m_headerReal2 = 4.25;
    const std::string path = Path("part.vtx");
    ASSERT_TRUE(doc->DoSave(path));
    ASSERT_TRUE(doc->OnCloseBoard());
    board().m_headerReal2 = 0.0;

    board().AddEntity(new CLine(Position(0, 0), Position(10, 0)));
    AnswerFile(path);
    ASSERT_TRUE(doc->OnImportVtx());
    EXPECT_EQ(ui.Received<FilePrompt>().back().title, "Import vtx file");
    EXPECT_EQ(Classes(), (std::vector<std::string>{"CLine", "CTxtTag", "CArc"}));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetBoardPath(), "");
    EXPECT_EQ(board().m_headerReal2, 4.25);
}

TEST_F(BoardFileTest, TheZoomOfSavingAndOpeningDoesNotMoveTheBoard)
{
    ZoomTo(4.0);
    board().SetOrigin(Position(14, 8));
    board().AddEntity(new CLine(Position(3, 7), Position(40, -9)));
    const Position corner = PhotoCorner();
    // Saved at actual size for reference.
    ZoomTo(1.0);
    ASSERT_TRUE(doc->DoSave(Path("one.vtx")));
    const Bytes reference = FileBytes(Path("one.vtx"));

    for (double saveZoom : {4.0, 0.25, 16.0}) {
        for (double openZoom : {0.5, 2.0, 1.0 / 64.0}) {
            SCOPED_TRACE(std::to_string(saveZoom) + " " + std::to_string(openZoom));
            ZoomTo(saveZoom);
            ASSERT_TRUE(doc->DoSave(Path("zoomed.vtx")));
            EXPECT_EQ(FileBytes(Path("zoomed.vtx")), reference);
            EXPECT_EQ(doc->GetPhoto().GetZoomFactor(), saveZoom);

            ASSERT_TRUE(doc->OnCloseBoard());
            board().SetOrigin(Position(-6, 30)); // moved meanwhile
            ZoomTo(openZoom);
            ASSERT_TRUE(doc->OnOpenDocument(Path("zoomed.vtx")));
            // The board sits on the photograph where it was.
            const Position shift = PhotoCorner() - corner;
            EXPECT_NEAR(shift.x, 0.0, 1e-9);
            EXPECT_NEAR(shift.y, 0.0, 1e-9);
        }
    }
}

TEST_F(BoardFileTest, ExportWritesTheBoardFromThePhotographsCorner)
{
    const std::string path = Path("board.pcb");
    // Nothing on the board: no prompt.
    EXPECT_FALSE(doc->OnExportPcb());
    EXPECT_TRUE(ui.Received<FilePrompt>().empty());

    ZoomTo(2.0);
    board().SetOrigin(Position(9, 13));
    const Position corner = PhotoCorner();
    board().AddEntity(new CLine(corner, corner + Position(100, 0.25)));
    const Position placed = board().GetElements().GetFirst()->GetPosition();
    doc->SetModifiedFlag(false);
    const auto notices = zoomView.notices.size();
    AnswerFile(path);
    ASSERT_TRUE(doc->OnExportPcb());
    const FilePrompt& prompt = ui.Received<FilePrompt>().back();
    EXPECT_EQ(prompt.title, "Export Pcb file");
    EXPECT_EQ(prompt.defaultExtension, "pcb");
    EXPECT_EQ(prompt.filters[0].first, "Protel 2.8 Pcb files(*.pcb)");
    const Bytes file = FileBytes(path);
    EXPECT_NE(std::string(file.begin(), file.end()).find("FT\r\n0 0 0 0 100000 250 "),
              std::string::npos);
    // The board stays where it is and is not modified.
    EXPECT_EQ(board().GetElements().GetFirst()->GetPosition(), placed);
    EXPECT_EQ(zoomView.notices.size(), notices);
    EXPECT_FALSE(doc->IsModified());

    // A file that cannot be written is reported.
    std::filesystem::create_directory(Path("dir.pcb"));
    AnswerFile(Path("dir.pcb"));
    EXPECT_FALSE(doc->OnExportPcb());
    EXPECT_EQ(ui.messages.size(), 1u);
}

} // namespace
