// Drawing the background photograph into a full-HD view: a 100-megapixel scan
// (10000 x 10000) and a 1-megapixel photo, at actual size, fitted to the view, at 4x
// and at every zoom level, panning a little every frame; and loading the large scan.
// Each photograph is decoded once and its reduced copies built once, at load.
#include "BenchApp.h"
#include "BenchUi.h"
#include "StillView.h"
#include "board/CDib.h"
#include "board/CInfomation.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace
{

constexpr int kViewW = StillView::kWidth;
constexpr int kViewH = StillView::kHeight;

// Something like a board scan: a dark substrate with fine bright traces and pads, so
// that shrinking it without averaging would show.
QImage MakeScan(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const bool trace = (x % 23) < 2 || (y % 37) < 3 || ((x + y) % 101) < 2;
            const int noise = (x * 7 + y * 13) & 15;
            line[x] = trace ? qRgb(200 + noise, 170 + noise, 90) : qRgb(20 + noise, 60 + noise, 30);
        }
    }
    return image;
}

struct Photo {
    std::unique_ptr<CDib> dib;
    double loadMs = 0.0;
};

StillView theView;
QTemporaryDir* theFolder = nullptr;
Photo theLarge;
Photo theSmall;

Photo LoadPhoto(int w, int h, const char* name)
{
    const QString path = QDir(theFolder->path()).filePath(QString::fromLatin1(name));
    if (!MakeScan(w, h).save(path, "JPEG", 90)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    Photo photo;
    photo.dib = std::make_unique<CDib>();
    QElapsedTimer timer;
    timer.start();
    if (!photo.dib->Load(path.toStdString())) {
        std::fprintf(stderr, "cannot load %s\n", qPrintable(path));
        std::exit(1);
    }
    photo.loadMs = double(timer.nsecsElapsed()) / 1e6;
    return photo;
}

// Puts the photo at 2^exponent times actual size and returns its client rectangle at
// scroll (0, 0).
Rect ZoomTo(CDib& dib, int exponent)
{
    dib.ZoomToActualSize();
    for (int i = 0; i < exponent; ++i)
        dib.ZoomIn(Position());
    for (int i = 0; i > exponent; --i)
        dib.ZoomOut(Position());
    theView.scroll = Point{};
    Rect covered;
    dib.Draw(nullptr, Rect{}, &covered);
    return covered;
}

// The largest zoom at which the whole photograph fits the view.
int FitExponent(CDib& dib)
{
    int e = 0;
    for (;;) {
        const Rect r = ZoomTo(dib, e);
        if (r.Width() <= kViewW && r.Height() <= kViewH)
            return e;
        --e;
    }
}

// Frames drawn at one zoom, the view panning across the middle of the photograph.
void DrawFrames(benchmark::State& state, Photo* photo, int exponent)
{
    CDib& dib = *photo->dib;
    const Rect r = ZoomTo(dib, exponent);
    const Point centre{(r.left + r.right) / 2 - kViewW / 2, (r.top + r.bottom) / 2 - kViewH / 2};
    QImage canvas(kViewW, kViewH, QImage::Format_ARGB32_Premultiplied);
    const Rect clip{0, 0, kViewW, kViewH};
    int step = 0;
    for (auto _ : state) {
        theView.scroll = Point{centre.x + (step % 64) * 7 - 224, centre.y + (step % 48) * 5 - 120};
        ++step;
        QPainter painter(&canvas);
        Rect covered;
        dib.Draw(&painter, clip, &covered);
        benchmark::DoNotOptimize(covered);
    }
    state.counters["zoom"] = dib.GetZoomFactor();
    state.counters["photo_px"] = double(r.Width()) * r.Height();
}

void BM_LoadLargePhoto(benchmark::State& state)
{
    for (auto _ : state)
        state.SetIterationTime(theLarge.loadMs / 1000.0);
    state.counters["levels"] = theLarge.dib->GetPyramid().LevelCount();
}

void BM_BuildReducedCopies(benchmark::State& state)
{
    const QImage& photo = theLarge.dib->GetPyramid().Level(0);
    for (auto _ : state) {
        PhotoPyramid pyramid;
        benchmark::DoNotOptimize(pyramid.Build(photo, 6));
    }
}

} // namespace

int main(int argc, char** argv)
{
    BenchApp app(argc, argv);

    QTemporaryDir folder;
    theFolder = &folder;
    CInfomation::Create(folder.path().toStdString() + "/");
    theInfomation->SetView(&theView);
    // The resolution question is answered with its defaults (800 x 800 DPI).
    BenchUi ui(true);
    UiServices::Install(&ui);

    theLarge = LoadPhoto(10000, 10000, "scan-100mp.jpg");
    theSmall = LoadPhoto(1000, 1000, "photo-1mp.jpg");
    const int largeFit = FitExponent(*theLarge.dib);
    const int smallFit = FitExponent(*theSmall.dib);

    auto add = [](const std::string& name, Photo* photo, int exponent) {
        benchmark::RegisterBenchmark(name.c_str(), DrawFrames, photo, exponent)
            ->Unit(benchmark::kMillisecond);
    };
    add("Photo100MP/ActualSize", &theLarge, 0);
    add("Photo100MP/FitToView", &theLarge, largeFit);
    add("Photo100MP/Zoom4x", &theLarge, 2);
    add("Photo1MP/ActualSize", &theSmall, 0);
    add("Photo1MP/FitToView", &theSmall, smallFit);
    add("Photo1MP/Zoom4x", &theSmall, 2);
    for (int e = -6; e <= 4; ++e)
        add("Photo100MP/EveryZoom/2^" + std::to_string(e), &theLarge, e);
    benchmark::RegisterBenchmark("Photo100MP/LoadOnce", BM_LoadLargePhoto)
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Photo100MP/BuildReducedCopies", BM_BuildReducedCopies)
        ->Unit(benchmark::kMillisecond);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    theLarge = Photo();
    theSmall = Photo();
    UiServices::Install(nullptr);
    theInfomation->SetView(nullptr);
    CInfomation::Destroy();
    return 0;
}
