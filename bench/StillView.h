#pragma once
// A full-HD view port for benchmarks that draw or read without a window: it answers the
// board's questions (client size, scroll position in scrolled-view pixels) and ignores
// every request; zoom steps change nothing.

#include "board/ViewPort.h"

class StillView : public ViewPort
{
  public:
    static constexpr int kWidth = 1920;
    static constexpr int kHeight = 1080;

    void InvalidateRect(const Rect&) override {}
    void InvalidateAll() override {}
    Point GetScrollPosition() const override { return scroll; }
    void ScrollToLogical(Point) override {}
    Point GetClientSize() const override { return Point{kWidth, kHeight}; }
    Point GetCursorPos() const override { return Point{}; }
    void SetCursorPos(Point) override {}
    void SetCapture() override {}
    void ReleaseCapture() override {}
    void SetCursorShape(CursorShape) override {}
    bool ZoomStep(bool, const Position&) override { return false; }
    void PostBoardNotify(int, std::intptr_t) override {}

    Point scroll;
};
