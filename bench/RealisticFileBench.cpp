// The heap the realistic board's objects take, and the realistic board of 100,000
// top-level objects (the one the view benchmarks draw) saved through the document, and
// opened in a fresh process with the file in the
// system's cache: the benchmark starts itself again with --open-once=FILE for every
// open, and that process times the document's open call until the board is ready to
// draw (read, checked, in place, zoomed to fit) and prints the milliseconds.
#include "BenchApp.h"
#include "BenchUi.h"
#include "StillView.h"
#include "board/CInfomation.h"
#include "board/CVantorDoc.h"
#include "model/CEntity.h"
#include "model/Utilities.h"
#include "support/RealisticBoard.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr int kBoardObjects = 100000;
constexpr const char* kOpenOnce = "--open-once=";

std::string theFile;
std::string theProgram;
CVantorDoc* theDoc = nullptr;

// A board state of its own, with the board-without-photo switch on (an open needs a
// photograph or the switch).
class Session
{
  public:
    explicit Session(const std::string& folder)
    {
        CInfomation::Create(folder);
        UiServices::Install(&m_ui);
        thePlatformFlag = 1;
        m_doc = std::make_unique<CVantorDoc>();
        theInfomation->SetView(&m_view);
    }
    ~Session()
    {
        theInfomation->SetView(nullptr);
        m_doc.reset();
        UiServices::Install(nullptr);
        CInfomation::Destroy();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    CVantorDoc& Doc() { return *m_doc; }

  private:
    BenchUi m_ui{false};
    StillView m_view;
    std::unique_ptr<CVantorDoc> m_doc;
};

// The child: one open, its milliseconds on the standard output.
int OpenOnce(const std::string& path, const std::string& folder)
{
    Session session(folder);
    QElapsedTimer timer;
    timer.start();
    const bool opened = session.Doc().OnOpenDocument(path);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (!opened)
        return 1;
    std::printf("%.3f\n", ms);
    return 0;
}

void BM_SaveRealistic_100k(benchmark::State& state)
{
    for (auto _ : state)
        if (!theDoc->OnSaveDocument(theFile)) {
            state.SkipWithError("the board was not saved");
            break;
        }
    state.counters["MB"] = double(QFileInfo(QString::fromStdString(theFile)).size()) / 1e6;
}

void BM_OpenRealistic_100k(benchmark::State& state)
{
    for (auto _ : state) {
        QProcess child;
        child.start(QString::fromStdString(theProgram),
                    {QString::fromStdString(kOpenOnce + theFile)});
        const bool done = child.waitForFinished(120000) && child.exitCode() == 0;
        const double ms = done ? std::atof(child.readAllStandardOutput().constData()) : 0.0;
        if (ms <= 0.0) {
            state.SkipWithError("the board was not opened");
            break;
        }
        state.SetIterationTime(ms / 1000.0);
    }
}

// The heap the realistic mix takes: 100,000 top-level objects made one by one, each
// weighed by what the allocator hands out for it (with everything it owns). Reports
// the bytes per object overall and per kind.
void BM_HeapPerObject_100k(benchmark::State& state)
{
    const struct {
        int type;
        const char* name;
    } kinds[] = {{ET_LINE, "track"},    {ET_VIA, "via"},     {ET_COMPONENT, "component"},
                 {ET_FREEPAD, "pad"},   {ET_ARC, "arc"},     {ET_TEXT, "text"},
                 {ET_FILLAREA, "fill"}, {ET_POLYGON, "pour"}};
    std::map<int, std::pair<double, int>> perKind; // type: bytes, count
    double total = 0.0;
    for (auto _ : state) {
        RealisticBoard board(15);
        std::vector<std::unique_ptr<CEntity>> made;
        made.reserve(kBoardObjects);
        perKind.clear();
        total = 0.0;
        for (int i = 0; i < kBoardObjects; ++i) {
            const std::size_t before = mallinfo2().uordblks;
            made.push_back(board.Next());
            const double bytes = double(mallinfo2().uordblks) - double(before);
            auto& [sum, count] = perKind[made.back()->GetType()];
            sum += bytes;
            ++count;
            total += bytes;
        }
    }
    state.counters["bytes_per_object"] = total / kBoardObjects;
    for (const auto& kind : kinds)
        if (const auto it = perKind.find(kind.type); it != perKind.end())
            state.counters[std::string("B_") + kind.name] = it->second.first / it->second.second;
}

} // namespace

int main(int argc, char** argv)
{
    BenchApp app(argc, argv);
    QTemporaryDir folder;
    const std::string settings = folder.path().toStdString() + "/";
    if (argc > 1 && std::strncmp(argv[1], kOpenOnce, std::strlen(kOpenOnce)) == 0)
        return OpenOnce(argv[1] + std::strlen(kOpenOnce), settings);

    theProgram = QCoreApplication::applicationFilePath().toStdString();
    theFile = settings + "realistic.vtx";
    Session session(settings);
    theDoc = &session.Doc();
    RealisticBoard().Fill(theInfomation->GetElements(), kBoardObjects);
    if (!theDoc->OnSaveDocument(theFile)) {
        std::fprintf(stderr, "the board could not be saved\n");
        return 1;
    }
    benchmark::RegisterBenchmark("BM_HeapPerObject_100k", BM_HeapPerObject_100k)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("BM_SaveRealistic_100k", BM_SaveRealistic_100k)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_OpenRealistic_100k", BM_OpenRealistic_100k)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theDoc = nullptr;
    return 0;
}
