// The board files at a large size: a board of 100,000 objects of mixed kinds (tracks,
// arcs, pads, vias, texts, fills) saved to memory and to a file, read back from both,
// and exported as a Protel ASCII file; and a component library of 2,000 components
// opened from its file. The first board read in the process also pays for taking fresh
// memory from the system (most of it the texts' glyph tracks); later reads reuse it.
#include "BenchApp.h"
#include "BenchUi.h"
#include "board/AtomicFile.h"
#include "board/CInfomation.h"
#include "board/CLoadLibrary.h"
#include "model/CArc.h"
#include "model/CComponent.h"
#include "model/CFillArea.h"
#include "model/CFreePad.h"
#include "model/CLine.h"
#include "model/CTxtTag.h"
#include "model/CViaPad.h"
#include "model/Constants.h"
#include "platform/CArchive.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace
{

constexpr int kBoardObjects = 100000;
constexpr int kLibraryComponents = 2000;

std::string theFolder; // ends in '/'
std::string theBoardFile;
std::string theLibraryFile;
std::vector<std::uint8_t> theBoardBytes;

// Ten kinds in turn, spread over a board of 10 x 10 inches: five tracks, an arc, a pad,
// a via, a text and a fill.
void FillBoard(CInfomation& board, int count)
{
    const double width = 10.0;
    for (int i = 0; i < count; ++i) {
        const double x = (i % 317) * 31.5;
        const double y = (i / 317 % 317) * 31.5;
        const Position at(x, y);
        CEntity* e = nullptr;
        switch (i % 10) {
        case 5: {
            auto* arc = new CArc(at, 12.5 + i % 7, PI * 0.25, PI * 1.5);
            arc->SetLineWidth(&width);
            e = arc;
            break;
        }
        case 6: {
            auto* pad = new CFreePad(at);
            pad->SetShape(i % 20 < 10 ? ET_ROUND : ET_RECTANGLE);
            pad->SetSizeX(60.0);
            pad->SetSizeY(40.0);
            pad->SetHoleSize(30.0);
            pad->SetName(std::to_string(i % 64 + 1));
            e = pad;
            break;
        }
        case 7: {
            auto* via = new CViaPad(at);
            via->SetSizeX(40.0);
            via->SetHoleSize(20.0);
            e = via;
            break;
        }
        case 8: {
            auto* text = new CTxtTag(at);
            text->SetName(std::string("U").append(std::to_string(i)));
            text->SetLayer(LAYER_TOP_OVERLAY);
            e = text;
            break;
        }
        case 9: {
            auto* fill = new CFillArea();
            fill->SetCorner1(at);
            fill->SetCorner2(at + Position(25.0, 15.0));
            e = fill;
            break;
        }
        default: {
            auto* track = new CLine(at, at + Position(20.0 + i % 5, 30.0 - i % 3));
            track->SetLineWidth(&width);
            track->SetLayer(i % 2 ? LAYER_BOTTOM : LAYER_TOP);
            e = track;
            break;
        }
        }
        board.AddEntity(e);
    }
}

std::vector<std::uint8_t> StoreBoard(CInfomation& board)
{
    CArchive ar;
    board.Serialize(ar);
    return ar.TakeBytes();
}

// Reads a whole board into a fresh board state; the timing leaves out building and
// freeing that state.
template <class Read> void OpenInto(benchmark::State& state, Read read)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto target = std::make_unique<CInfomation>();
        state.ResumeTiming();
        if (!read(*target)) {
            state.SkipWithError("the board could not be read");
            break;
        }
        state.PauseTiming();
        const bool complete =
            target->GetElements().GetEntities().size() == std::size_t(kBoardObjects);
        target.reset();
        state.ResumeTiming();
        if (!complete) {
            state.SkipWithError("the board read back is incomplete");
            break;
        }
    }
}

void BM_SaveToMemory(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<std::uint8_t> bytes = StoreBoard(*theInfomation);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["MB"] = double(theBoardBytes.size()) / 1e6;
}

void BM_SaveToFile(benchmark::State& state)
{
    for (auto _ : state) {
        const std::vector<std::uint8_t> bytes = StoreBoard(*theInfomation);
        std::string error;
        if (!WriteFileAtomically(theBoardFile, bytes.data(), bytes.size(), &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
}

void BM_OpenFromMemory(benchmark::State& state)
{
    OpenInto(state, [](CInfomation& target) {
        CArchive ar{std::span<const std::uint8_t>(theBoardBytes)};
        target.Serialize(ar);
        return true;
    });
}

void BM_OpenFromFile(benchmark::State& state)
{
    OpenInto(state, [](CInfomation& target) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        if (!ReadWholeFile(theBoardFile, &bytes, &error, std::size_t(1) << 30))
            return false;
        CArchive ar{std::span<const std::uint8_t>(bytes)};
        target.Serialize(ar);
        return true;
    });
}

void BM_ExportProtel(benchmark::State& state)
{
    const std::string path = theFolder + "board.pcb";
    for (auto _ : state) {
        std::string error;
        if (!theInfomation->ExportProtelPcb(path, Position(-1000.0, -1000.0), &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
}

// A small part: six pads in two rows, the outline as four tracks and a pin-1 arc.
CComponent* MakePart(int n)
{
    CComponent* comp = new CComponent(std::string("P").append(std::to_string(n)));
    const double width = 8.0;
    for (int pin = 0; pin < 6; ++pin) {
        CFreePad pad(Position(100.0 * (pin % 3), pin < 3 ? 0.0 : 300.0));
        pad.SetSizeX(60.0);
        pad.SetSizeY(60.0);
        pad.SetHoleSize(30.0);
        pad.SetName(std::to_string(pin + 1));
        comp->AddEntity(&pad, 0);
    }
    const Position corners[] = {Position(-50, 50), Position(250, 50), Position(250, 250),
                                Position(-50, 250)};
    for (int i = 0; i < 4; ++i) {
        CLine edge(corners[i], corners[(i + 1) % 4]);
        edge.SetLineWidth(&width);
        edge.SetLayer(LAYER_TOP_OVERLAY);
        comp->AddEntity(&edge, 0);
    }
    CArc notch(Position(100, 250), 25.0, PI, 0.0);
    notch.SetLineWidth(&width);
    notch.SetLayer(LAYER_TOP_OVERLAY);
    comp->AddEntity(&notch, 0);
    return comp;
}

bool BuildLibrary(const std::string& path)
{
    CLoadLibrary lib(path);
    if (!lib.IsOpen())
        return false;
    for (int n = 0; n < kLibraryComponents; ++n) {
        std::unique_ptr<CComponent> comp(MakePart(n));
        if (!lib.AddComponent(comp))
            return false;
    }
    return true;
}

void BM_OpenLibrary(benchmark::State& state)
{
    for (auto _ : state) {
        auto lib = std::make_unique<CLoadLibrary>();
        std::string error;
        if (!lib->Open(theLibraryFile, {}, nullptr, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        state.PauseTiming(); // freeing the components is not part of opening
        if (lib->GetComponentCount() != kLibraryComponents)
            state.SkipWithError("the library read back is incomplete");
        lib.reset();
        state.ResumeTiming();
    }
}

} // namespace

int main(int argc, char** argv)
{
    BenchApp app(argc, argv);

    QTemporaryDir folder;
    theFolder = folder.path().toStdString() + "/";
    theBoardFile = theFolder + "board.vtr";
    theLibraryFile = theFolder + "parts.lib";
    CInfomation::Create(theFolder);
    BenchUi ui(false); // dialogs are never wanted here
    UiServices::Install(&ui);

    FillBoard(*theInfomation, kBoardObjects);
    theBoardBytes = StoreBoard(*theInfomation);
    std::string error;
    if (!WriteFileAtomically(theBoardFile, theBoardBytes.data(), theBoardBytes.size(), &error))
        std::fprintf(stderr, "%s\n", error.c_str());
    if (!BuildLibrary(theLibraryFile))
        std::fprintf(stderr, "the library could not be built\n");

    struct Entry {
        const char* name;
        void (*fn)(benchmark::State&);
    };
    const Entry entries[] = {{"Board100k/SaveToMemory", BM_SaveToMemory},
                             {"Board100k/SaveToFile", BM_SaveToFile},
                             {"Board100k/OpenFromMemory", BM_OpenFromMemory},
                             {"Board100k/OpenFromFile", BM_OpenFromFile},
                             {"Board100k/ExportProtel", BM_ExportProtel},
                             {"Library2000/Open", BM_OpenLibrary}};
    for (const auto& [name, fn] : entries)
        benchmark::RegisterBenchmark(name, fn)->Unit(benchmark::kMillisecond);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    UiServices::Install(nullptr);
    CInfomation::Destroy();
    return 0;
}
