// Writes the fuzz targets' seed files: small, valid files of each format, made by the
// program's own writers. Run once by hand; the files are kept in the repository.
//
//   vantor_fuzz_seeds <folder>     (the folder is tests/data/fuzz)
#include "board/AtomicFile.h"
#include "board/CInfomation.h"
#include "board/CLoadLibrary.h"
#include "board/LayerTable.h"
#include "board/LibraryList.h"
#include "model/CArc.h"
#include "model/CComponent.h"
#include "model/CFillArea.h"
#include "model/CFreePad.h"
#include "model/CLine.h"
#include "model/CPolygon.h"
#include "model/CTxtTag.h"
#include "model/CViaPad.h"
#include "model/Constants.h"
#include "model/ModelSetup.h"
#include "platform/CArchive.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{

using Bytes = std::vector<std::uint8_t>;

void Put(const fs::path& file, const Bytes& bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        std::exit(1);
    }
    std::printf("%s: %zu bytes\n", file.c_str(), bytes.size());
}

CLine* Track(double x1, double y1, double x2, double y2)
{
    return new CLine(Position(x1, y1), Position(x2, y2));
}

CPolygon* Pour()
{
    auto* pour = new CPolygon;
    pour->SetHatchParam(20.0);
    const Position corners[] = {Position(0, 0), Position(100, 0), Position(100, 60),
                                Position(0, 60)};
    for (int i = 0; i < 4; ++i)
        pour->AddOutlineSegment(new CLine(corners[i], corners[(i + 1) % 4]));
    pour->RebuildFill();
    return pour;
}

CComponent* Component()
{
    auto* c = new CComponent("DIP8");
    CLine outline(Position(0, 0), Position(300, 0));
    CArc notch(Position(0, 50), 20.0, 1.5 * PI, 0.5 * PI);
    CFreePad pin(Position(50, 100));
    c->AddEntity(&outline, 0);
    c->AddEntity(&notch, 0);
    c->AddEntity(&pin, 0);
    c->SetPosition(Position(500, 500), 0);
    c->SetName("U1");
    c->SetCommentText("LM358");
    return c;
}

CTxtTag* Text()
{
    auto* text = new CTxtTag(Position(200, 300));
    text->SetName("R12");
    return text;
}

CFillArea* Fill()
{
    auto* fill = new CFillArea;
    fill->SetCorner1(Position(10, 10));
    fill->SetCorner2(Position(90, 40));
    return fill;
}

Bytes Document(CInfomation& board, const std::vector<std::function<CEntity*()>>& makers)
{
    board.ClearBoard();
    for (const auto& make : makers)
        board.AddEntity(make());
    CArchive out;
    board.Serialize(out);
    board.ClearBoard();
    return out.TakeBytes();
}

void DocumentSeeds(const fs::path& folder)
{
    const std::string settings = (fs::temp_directory_path() / "vantor-fuzz-seeds").string();
    fs::create_directories(settings);
    CInfomation& board = *CInfomation::Create(settings + "/");

    using Makers = std::vector<std::function<CEntity*()>>;
    const auto track = [] { return Track(0, 0, 100, 50); };
    const auto arc = [] { return new CArc(Position(50, 50), 25.0, 0.0, PI); };
    const auto pad = [] { return new CFreePad(Position(10, 20)); };
    const auto via = [] {
        auto* v = new CViaPad(Position(40, 40));
        v->SetLayers(0, 15);
        return v;
    };
    const struct {
        const char* name;
        Makers makers;
    } seeds[] = {
        {"seed-empty", {}},
        {"seed-track", {track}},
        {"seed-arc", {arc}},
        {"seed-pad", {pad}},
        {"seed-via", {via}},
        {"seed-text", {Text}},
        {"seed-fill", {Fill}},
        {"seed-pour", {Pour}},
        {"seed-component", {Component}},
        {"seed-board", {track, arc, pad, via, Text, Fill, Pour, Component}},
    };
    for (const auto& seed : seeds)
        Put(folder / "DocumentFuzz" / seed.name, Document(board, seed.makers));

    CInfomation::Destroy();
    fs::remove_all(settings);
}

void LayerDatSeeds(const fs::path& folder)
{
    LayerTable table;
    Put(folder / "LayerDatFuzz" / "seed-defaults", table.ToBytes());

    table.entries[3].shown = 0;
    table.entries[17].shown = 0;
    table.entries[0].color = MakeRGB(10, 20, 30);
    table.entries[LayerTable::kBackgroundKey].color = MakeRGB(255, 255, 255);
    Put(folder / "LayerDatFuzz" / "seed-edited", table.ToBytes());

    LayerTable few;
    few.entries.erase(few.entries.find(5), few.entries.end());
    Put(folder / "LayerDatFuzz" / "seed-few", few.ToBytes());
}

void LibDatSeeds(const fs::path& folder)
{
    Put(folder / "LibDatFuzz" / "seed-empty", LibraryList::ToBytes({}));
    Put(folder / "LibDatFuzz" / "seed-two",
        LibraryList::ToBytes({"/home/user/pcb/lib/Connectors.lib", "Local.lib"}));
    // A path too long for a one-byte length.
    Put(folder / "LibDatFuzz" / "seed-long",
        LibraryList::ToBytes({"/srv/" + std::string(300, 'd') + "/Long.lib"}));
}

// A library written by the program, holding the components `makers` build.
Bytes Library(const std::vector<std::function<CComponent*()>>& makers)
{
    const fs::path file = fs::temp_directory_path() / "vantor-fuzz-seed.lib";
    fs::remove(file);
    {
        CLoadLibrary library(file.string());
        for (const auto& make : makers) {
            CComponent* component = make();
            if (!library.AddComponent(component)) {
                std::fprintf(stderr, "the library refused a component\n");
                std::exit(1);
            }
        }
    }
    Bytes bytes;
    std::string error;
    if (!ReadWholeFile(file.string(), &bytes, &error, CLoadLibrary::kMaxFileBytes)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    fs::remove(file);
    return bytes;
}

// A component of one kind of each library record: track, arc, fill, pad, via and text.
CComponent* EveryRecord()
{
    auto* c = new CComponent("MIXED");
    CLine track(Position(0, 0), Position(200, 0));
    CArc arc(Position(100, 100), 40.0, 0.0, 1.5 * PI);
    CFreePad pad(Position(0, 100));
    CViaPad via(Position(200, 100));
    std::unique_ptr<CFillArea> fill(Fill());
    std::unique_ptr<CTxtTag> text(Text());
    for (CEntity* e : std::vector<CEntity*>{&track, &arc, fill.get(), &pad, &via, text.get()})
        c->AddEntity(e, 0);
    return c;
}

void LibrarySeeds(const fs::path& folder)
{
    Put(folder / "LibraryFuzz" / "seed-empty", Library({}));
    Put(folder / "LibraryFuzz" / "seed-two", Library({Component, EveryRecord}));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <tests/data/fuzz>\n", argv[0]);
        return 2;
    }
    RegisterModelClasses();
    const fs::path folder = argv[1];
    DocumentSeeds(folder);
    LayerDatSeeds(folder);
    LibDatSeeds(folder);
    LibrarySeeds(folder);
    return 0;
}
