// Moving a group with the mouse on a large board: 1,000 selected tracks among 100,000
// objects. One gesture is the press on the selection (the hit test over the board and
// the pick-up), ten pointer moves and the drop with its undo record; the cancelled
// gesture ends with a right press instead, which puts every track back.
#include "BenchApp.h"
#include "BenchUi.h"
#include "board/CInfomation.h"
#include "commands/CNormalStatus.h"
#include "model/CLine.h"
#include "platform/WinTypes.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <string>

namespace
{

constexpr int kBoardObjects = 100000;
constexpr int kSelected = 1000;
constexpr int kMovesPerGesture = 10;

// Tracks 20 mils long on a grid of 31.5 mils; the first kSelected are selected.
void FillBoard(CInfomation& board)
{
    for (int i = 0; i < kBoardObjects; ++i) {
        const Position at((i % 317) * 31.5, (i / 317) * 31.5);
        auto* track = new CLine(at, at + Position(20.0, 0.0));
        board.AddEntity(track);
        if (i < kSelected) {
            track->ToggleSelect();
            board.SelectionList.push_back(track);
        }
    }
}

// How far the selection lies right of where it was made.
double theOffset = 0.0;

// Press on the first selected track, move by `step` in ten moves, then drop or cancel.
void Gesture(CNormalStatus& ns, double step, bool drop)
{
    Position at(10.0 + theOffset, 0.0);
    ns.OnLButtonDown(MK::LButton, at);
    const double x = at.x;
    // The first move after the press carries nothing.
    for (int i = 0; i <= kMovesPerGesture; ++i) {
        at.x = x + step * i / kMovesPerGesture;
        ns.OnMouseMove(MK::LButton, at);
    }
    if (drop) {
        ns.OnLButtonDown(MK::LButton, at);
        theOffset += step;
    } else
        ns.OnRButtonDown(MK::RButton, at);
}

void BM_MoveAndDrop(benchmark::State& state)
{
    CNormalStatus ns;
    double step = 100.0;
    for (auto _ : state) {
        Gesture(ns, step, true);
        step = -step; // back and forth, so the group stays over the board
    }
    if (ns.HasCommand())
        state.SkipWithError("the move did not end with the drop");
}

void BM_MoveAndCancel(benchmark::State& state)
{
    CNormalStatus ns;
    for (auto _ : state)
        Gesture(ns, 100.0, false);
}

} // namespace

BENCHMARK(BM_MoveAndDrop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveAndCancel)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    BenchApp app(argc, argv);
    QTemporaryDir folder;
    CInfomation::Create(folder.path().toStdString() + "/");
    BenchUi ui(false);
    UiServices::Install(&ui);
    FillBoard(*theInfomation);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    UiServices::Install(nullptr);
    CInfomation::Destroy();
    return 0;
}
