// The realistic board of 100,000 top-level objects (the one the view benchmarks draw)
// saved through the document, and opened in a fresh process with the file in the
// system's cache: the benchmark starts itself again with --open-once=FILE for every
// open, and that process times the document's open call until the board is ready to
// draw (read, checked, in place, zoomed to fit) and prints the milliseconds.
#include "BenchApp.h"
#include "BenchUi.h"
#include "StillView.h"
#include "board/CInfomation.h"
#include "board/CVantorDoc.h"
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
#include <string>

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
