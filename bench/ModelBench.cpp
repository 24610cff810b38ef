// Hit-testing and drawing of large boards.
#include "BenchApp.h"
#include "model/BoardServices.h"
#include "model/CArc.h"
#include "model/CLine.h"
#include "platform/qt/QtDrawContext.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <memory>
#include <random>
#include <vector>

namespace
{

constexpr int kObjects = 100000;
// A board of 20 x 10 inches.
constexpr double kBoardW = 20000.0;
constexpr double kBoardH = 10000.0;

std::vector<std::unique_ptr<CEntity>> MakeBoard(int count, bool withArcs)
{
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> ux(0.0, kBoardW), uy(0.0, kBoardH), ul(-200.0, 200.0);
    std::uniform_real_distribution<double> ua(0.0, 6.28), ur(10.0, 150.0);
    std::vector<std::unique_ptr<CEntity>> objects;
    objects.reserve(count);
    for (int i = 0; i < count; ++i) {
        Position a(ux(rng), uy(rng));
        if (withArcs && i % 2 == 1) {
            auto arc = std::make_unique<CArc>(a, ur(rng), ua(rng), ua(rng));
            double w = 10.0;
            arc->SetLineWidth(&w);
            objects.push_back(std::move(arc));
        } else {
            int layer = i % 2 ? 15 : 0;
            objects.push_back(
                std::make_unique<CLine>(a, Position(a.x + ul(rng), a.y + ul(rng)), &layer));
        }
    }
    return objects;
}

SimpleBoardServices& FitServices(int width, int height)
{
    static SimpleBoardServices services;
    services.scaleX = services.scaleY = std::max(kBoardW / width, kBoardH / height);
    services.originPixel = Point{0, height};
    services.layerColors[0] = 0x0000FF;
    services.layerColors[15] = 0xFF0000;
    services.layerColors[39] = 0xFFFFFF;
    BoardServices::Install(&services);
    return services;
}

// One pick at a random point: every object is asked, as the board does for a click.
void BM_HitTestTracksAndArcs(benchmark::State& state)
{
    FitServices(1920, 1080);
    auto objects = MakeBoard(kObjects, true);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> ux(0.0, kBoardW), uy(0.0, kBoardH);
    const double tolerance = 2.0;
    for (auto _ : state) {
        Position p(ux(rng), uy(rng));
        int hits = 0;
        for (auto& o : objects)
            hits += o->HitTestPoint(p, &tolerance, nullptr);
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_HitTestTracksAndArcs)->Unit(benchmark::kMillisecond);

// The whole board of tracks drawn into a full-HD view at fit-to-view zoom.
void BM_DrawTracks(benchmark::State& state)
{
    const int w = 1920, h = 1080;
    FitServices(w, h);
    auto objects = MakeBoard(kObjects, false);
    QImage image(w, h, QImage::Format_RGB32);
    Rect clip{0, 0, w, h};
    for (auto _ : state) {
        image.fill(Qt::black);
        QPainter painter(&image);
        QtDrawContext dc(&painter);
        for (auto& o : objects)
            o->Draw(&dc, DM_NORMAL, clip, nullptr);
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_DrawTracks)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    BenchApp app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
