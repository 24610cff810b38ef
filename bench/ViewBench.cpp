// The program's own view over the realistic board (20,000 and 100,000 top-level objects
// on 10 x 8 inches) and a 100-megapixel photograph, on the offscreen platform, its
// viewport 1920 x 1080: full repaints at fit (8 mils per pixel), actual size (1 mil per
// pixel) and 4x, a scroll by 100 pixels, the redraw after placing one track, a track
// being drawn (its rubber band moving over the board), a group being moved, a click
// pick and an area selection on 1,000 fixed points or boxes on objects, and one frame
// copied, the floor every figure can be read against.
//
// A full repaint is the whole board drawn again, as after a zoom change: no figure drawn
// before is kept (a figure is kept by its size in pixels). Pick and area
// selection time one point or box each; the points and boxes come round in turn.
#include "board/CInfomation.h"
#include "board/CVantorDoc.h"
#include "commands/CommandKinds.h"
#include "model/CEntity.h"
#include "model/CLine.h"
#include "model/LayerId.h"
#include "model/ModelSetup.h"
#include "model/SilentUiServices.h"
#include "model/Utilities.h"
#include "platform/qt/FigureCache.h"
#include "support/RealisticBoard.h"
#include "ui/CVantorView.h"
#include "ui/CommandIds.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace
{

constexpr int kViewW = 1920;
constexpr int kViewH = 1080;
// The photograph: 11.8 x 8.5 inches at 1000 dpi (100.3 megapixels), one mil per pixel
// at actual size; the board lies in its middle.
constexpr int kPhotoW = 11800;
constexpr int kPhotoH = 8500;
constexpr unsigned kPhotoDpi = 1000;
const Position kBoardOrigin(900.0, 250.0);
// Mils per view pixel: fit (the whole board in the view), actual size and 4x.
constexpr double kFitScale = 8.0;
constexpr double kActualScale = 1.0;
constexpr double kFourTimesScale = 0.25;
constexpr int kProbeCount = 1000;
constexpr std::uint32_t kSeed = 15;

// Answers the resolution question with the photograph's and every question with yes.
class ViewBenchUi : public SilentUiServices
{
  public:
    void MessageBox(const std::string& text) override
    {
        std::fprintf(stderr, "%s\n", text.c_str());
    }

  protected:
    bool Open(DialogValues values) override
    {
        if (auto* dpi = std::get_if<DpiValues*>(&values)) {
            (*dpi)->horizontal = (*dpi)->vertical = kPhotoDpi;
            return true;
        }
        return std::holds_alternative<Question*>(values);
    }
};

// Counts the paints the viewport receives.
class PaintCounter : public QObject
{
  public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    long paints = 0;
};

CVantorView* theView = nullptr;
PaintCounter thePaints;
int theBoardSize = 0;

// Delivers what is pending: queued repaint areas, then the paints they asked for.
void Flush()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
}

Position BoardCentre()
{
    return kBoardOrigin +
           Position(RealisticBoard::kWidthMils / 2.0, RealisticBoard::kHeightMils / 2.0);
}

void ZoomTo(double milsPerPixel)
{
    const Position centre = BoardCentre();
    theView->OnPhotoActualSize();
    while (theInfomation->GetScaleX() > milsPerPixel * 1.01 && theView->ZoomIn(centre)) {
    }
    while (theInfomation->GetScaleX() < milsPerPixel * 0.99 && theView->ZoomOut(centre)) {
    }
    theView->ScrollToLogical(centre.ToScreen());
    Flush();
}

// The board with `count` top-level objects, built again only when the size changes.
void UseBoard(int count)
{
    if (theBoardSize == count)
        return;
    theInfomation->ClearSelection();
    theInfomation->GetElements().Clear();
    RealisticBoard(kSeed, kBoardOrigin).Fill(theInfomation->GetElements(), count);
    theBoardSize = count;
    Flush();
}

// Every frame must have reached the viewport: the paints per frame are reported.
void CheckPainted(benchmark::State& state, long before)
{
    if (thePaints.paints == before)
        state.SkipWithError("the view was not painted");
    state.counters["paints_per_frame"] =
        double(thePaints.paints - before) / double(state.iterations());
}

void FullRepaint()
{
    FigureCache::ForgetAll();
    theView->InvalidateAll();
    theView->viewport()->repaint();
}

void Repaint(benchmark::State& state, int count, double scale)
{
    UseBoard(count);
    ZoomTo(scale);
    const long before = thePaints.paints;
    for (auto _ : state)
        FullRepaint();
    CheckPainted(state, before);
    state.counters["mils_per_px"] = theInfomation->GetScaleX();
}

void BM_RepaintFit_20k(benchmark::State& state)
{
    Repaint(state, 20000, kFitScale);
}

void BM_Repaint1x_20k(benchmark::State& state)
{
    Repaint(state, 20000, kActualScale);
}

void BM_Repaint4x_20k(benchmark::State& state)
{
    Repaint(state, 20000, kFourTimesScale);
}

void BM_RepaintFit_100k(benchmark::State& state)
{
    Repaint(state, 100000, kFitScale);
}

void BM_Repaint1x_100k(benchmark::State& state)
{
    Repaint(state, 100000, kActualScale);
}

// By 100 pixels to the right, and back on the next frame.
void BM_Scroll1x_20k(benchmark::State& state)
{
    UseBoard(20000);
    ZoomTo(kActualScale);
    QScrollBar* bar = theView->horizontalScrollBar();
    const int start = bar->value();
    const long before = thePaints.paints;
    int step = 0;
    for (auto _ : state) {
        bar->setValue(++step % 2 ? start + 100 : start);
        Flush();
    }
    CheckPainted(state, before);
}

// One track placed at fit, then taken back by undo and its place drawn again outside
// the timing (two paints per frame, one of them timed).
void BM_EditRedrawFit_20k(benchmark::State& state)
{
    UseBoard(20000);
    ZoomTo(kFitScale);
    const Position centre = BoardCentre();
    const double width = 12.0;
    int step = 0;
    const long before = thePaints.paints;
    for (auto _ : state) {
        const Position from = centre + Position(37.0 * (step % 40), 23.0 * (step % 30));
        ++step;
        auto* track = new CLine(from, from + Position(300.0, 150.0));
        track->SetLineWidth(&width);
        track->SetLayer(LAYER_TOP);
        theInfomation->AddEntity(track);
        track->Invalidate(); // as the track tool does when it places one
        Flush();
        state.PauseTiming();
        track->Invalidate();
        theInfomation->Undo();
        Flush();
        state.ResumeTiming();
    }
    CheckPainted(state, before);
}

// The track tool at fit, its first point placed at the left of the board: the pointer
// moves between two points on the right, so that the rubber band sweeps a quarter of
// the view each frame, over a board that does not change.
void BM_RubberBandFit_20k(benchmark::State& state)
{
    UseBoard(20000);
    ZoomTo(kFitScale);
    theView->OnCommand(Cmd::ID_PLACE_TRACK);
    QWidget* viewport = theView->viewport();
    const auto mouse = [viewport](QEvent::Type type, QPoint at, Qt::MouseButton button) {
        QCursor::setPos(viewport->mapToGlobal(at));
        QMouseEvent e(type, QPointF(at), viewport->mapToGlobal(QPointF(at)), button, button,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &e);
    };
    mouse(QEvent::MouseButtonPress, QPoint(400, 300), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, QPoint(400, 300), Qt::LeftButton);
    Flush();
    int step = 0;
    const long before = thePaints.paints;
    for (auto _ : state) {
        mouse(QEvent::MouseMove, ++step % 2 ? QPoint(1300, 800) : QPoint(1250, 760), Qt::NoButton);
        Flush();
    }
    CheckPainted(state, before);
    mouse(QEvent::MouseButtonPress, QPoint(1250, 760), Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, QPoint(1250, 760), Qt::RightButton);
    theView->Dispatcher().SetCommand(CommandKind::None);
    Flush();
}

// A group of objects (those in a 1-inch square) picked up at fit and moved to and fro
// by 200 mils each frame, over a board that does not change.
void BM_MoveGroupFit_20k(benchmark::State& state)
{
    UseBoard(20000);
    ZoomTo(kFitScale);
    const Position centre = BoardCentre();
    theInfomation->SelectInBox(
        nullptr, BOX2D(centre.x - 500.0, centre.y - 500.0, centre.x + 500.0, centre.y + 500.0),
        BoxSelect::Replace);
    const double moved = double(theInfomation->SelectionList.size());
    CNormalStatus& dispatcher = theView->Dispatcher();
    dispatcher.SetCommand(CommandKind::Move, CommandParam(theInfomation->SelectionList));
    dispatcher.OnLButtonDown(MK::LButton, centre);
    dispatcher.OnMouseMove(MK::LButton, centre);
    Flush();
    int step = 0;
    const long before = thePaints.paints;
    for (auto _ : state) {
        dispatcher.OnMouseMove(MK::LButton, centre + Position(++step % 2 ? 200.0 : 0.0, 0.0));
        Flush();
    }
    CheckPainted(state, before);
    dispatcher.OnRButtonDown(0, centre); // put back
    dispatcher.SetCommand(CommandKind::None);
    theInfomation->ClearSelection();
    Flush();
    state.counters["objects_moved"] = moved;
}

// 1,000 top-level objects chosen with a fixed seed, front first.
std::vector<CEntity*> Probes()
{
    const std::list<CEntity*>& all = theInfomation->GetElements().GetEntities();
    const std::vector<CEntity*> entities(all.begin(), all.end());
    std::vector<CEntity*> chosen;
    std::uint32_t s = kSeed;
    for (int i = 0; i < kProbeCount; ++i) {
        s = s * 1664525u + 1013904223u;
        chosen.push_back(entities[(s >> 8) % entities.size()]);
    }
    return chosen;
}

// What a look at every object answers, front first: the objects under p, or the live
// objects on shown layers meeting a box.
std::vector<CEntity*> ScanUnder(const Position& p)
{
    CManElement& all = theInfomation->GetElements();
    std::vector<CEntity*> found;
    for (CEntity* e : all.GetEntities())
        if (e->HitTestPoint(p, nullptr, &all.GetHiddenLayers()))
            found.push_back(e);
    return found;
}

std::vector<CEntity*> ScanMeeting(const BOX2D& box)
{
    CManElement& all = theInfomation->GetElements();
    std::vector<CEntity*> found;
    for (CEntity* e : all.GetEntities())
        if (e->IsActive() && !all.GetHiddenLayers().count(e->GetLayer()) && e->IntersectsBox(box))
            found.push_back(e);
    return found;
}

void BM_Pick_100k(benchmark::State& state)
{
    UseBoard(100000);
    ZoomTo(kActualScale);
    std::vector<Position> points;
    for (CEntity* e : Probes())
        points.push_back(e->GetPosition());
    // A full scan takes as long as a hundred picks did before the index: a tenth of the
    // points is checked.
    for (std::size_t i = 0; i < points.size(); i += 10) {
        const Position& p = points[i];
        std::vector<CEntity*> under;
        theInfomation->GetElements().PickAll(p, nullptr, &under);
        if (under != ScanUnder(p)) {
            state.SkipWithError("a pick differs from a look at every object");
            return;
        }
    }
    std::size_t next = 0;
    std::size_t found = 0;
    std::vector<CEntity*> under;
    for (auto _ : state) {
        under.clear();
        theInfomation->GetElements().PickAll(points[next++ % points.size()], nullptr, &under);
        found += under.size();
    }
    state.counters["found_per_pick"] = double(found) / double(state.iterations());
}

// Each box is an object's own box; the selection replaces the last one.
void BM_AreaSelect_100k(benchmark::State& state)
{
    UseBoard(100000);
    ZoomTo(kActualScale);
    std::vector<BOX2D> boxes;
    for (CEntity* e : Probes()) {
        BOX2D box;
        e->GetBox(&box);
        boxes.push_back(box);
    }
    for (std::size_t i = 0; i < boxes.size(); i += 10) {
        const BOX2D& box = boxes[i];
        std::list<CEntity*> selected;
        theInfomation->SelectInBox(&selected, box, BoxSelect::Replace);
        if (std::vector<CEntity*>(selected.begin(), selected.end()) != ScanMeeting(box)) {
            state.SkipWithError("an area selection differs from a look at every object");
            return;
        }
    }
    std::size_t next = 0;
    std::size_t found = 0;
    std::list<CEntity*> selected;
    for (auto _ : state) {
        selected.clear();
        theInfomation->SelectInBox(&selected, boxes[next++ % boxes.size()], BoxSelect::Replace);
        found += selected.size();
        state.PauseTiming();
        Flush();
        state.ResumeTiming();
    }
    theInfomation->ClearSelection();
    Flush();
    state.counters["found_per_box"] = double(found) / double(state.iterations());
}

void BM_FrameCopy(benchmark::State& state)
{
    QImage frame(kViewW, kViewH, QImage::Format_ARGB32_Premultiplied);
    frame.fill(qRgb(20, 70, 35));
    QImage target(kViewW, kViewH, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&target);
        painter.drawImage(0, 0, frame);
    }
}

bool LoadPhoto(CVantorDoc& doc, const QTemporaryDir& folder)
{
    const QString path = QDir(folder.path()).filePath(QStringLiteral("photo.jpg"));
    if (!RealisticBoard::Photo(kPhotoW, kPhotoH).save(path, "JPEG", 90))
        return false;
    return doc.GetPhoto().Load(path.toStdString());
}

// The viewport exactly kViewW x kViewH, the scroll bars around it.
void SizeView(CVantorView& view)
{
    view.setFrameShape(QFrame::NoFrame);
    view.resize(kViewW, kViewH);
    view.show();
    QCoreApplication::processEvents();
    const QSize extra = view.size() - view.viewport()->size();
    view.resize(kViewW + extra.width(), kViewH + extra.height());
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    RegisterModelClasses();
    benchmark::Initialize(&argc, argv);

    QTemporaryDir folder;
    CInfomation::Create(folder.path().toStdString() + "/");
    ViewBenchUi ui;
    UiServices::Install(&ui);
    thePlatformFlag = 0;
    int result = 0;
    {
        CVantorDoc doc;
        CVantorView view(&doc);
        theView = &view;
        view.viewport()->installEventFilter(&thePaints);
        SizeView(view);
        if (!LoadPhoto(doc, folder)) {
            std::fprintf(stderr, "the photograph could not be made\n");
            result = 1;
        } else {
            view.PhotoChanged();
            struct Entry {
                const char* name;
                void (*fn)(benchmark::State&);
            };
            const Entry entries[] = {{"BM_RepaintFit_20k", BM_RepaintFit_20k},
                                     {"BM_Repaint1x_20k", BM_Repaint1x_20k},
                                     {"BM_Repaint4x_20k", BM_Repaint4x_20k},
                                     {"BM_Scroll1x_20k", BM_Scroll1x_20k},
                                     {"BM_EditRedrawFit_20k", BM_EditRedrawFit_20k},
                                     {"BM_RubberBandFit_20k", BM_RubberBandFit_20k},
                                     {"BM_MoveGroupFit_20k", BM_MoveGroupFit_20k},
                                     {"BM_RepaintFit_100k", BM_RepaintFit_100k},
                                     {"BM_Repaint1x_100k", BM_Repaint1x_100k},
                                     {"BM_Pick_100k", BM_Pick_100k},
                                     {"BM_AreaSelect_100k", BM_AreaSelect_100k},
                                     {"BM_FrameCopy", BM_FrameCopy}};
            for (const auto& [name, fn] : entries)
                benchmark::RegisterBenchmark(name, fn)->Unit(benchmark::kMillisecond);
            benchmark::RunSpecifiedBenchmarks();
        }
        theInfomation->ClearSelection();
        theView = nullptr;
    }
    benchmark::Shutdown();
    UiServices::Install(nullptr);
    CInfomation::Destroy();
    return result;
}
