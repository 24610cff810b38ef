// A board state for tests: a fresh global CInfomation built on a temporary settings
// folder, with a fake view registered, torn down again after each test.
//
//   class MyTest : public BoardTest {};
//   TEST_F(MyTest, Something) { board().AddEntity(new CLine(...)); ... view.notices ... }
#pragma once

#include "board/CInfomation.h"
#include "board/ViewPort.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Records what the board asks of the view. ZoomStep multiplies or divides the board's
// scales by `zoomFactor`, kept within minScale..maxScale; a step that would leave that
// range changes nothing and returns false.
class FakeViewPort : public ViewPort
{
  public:
    void InvalidateRect(const Rect& clientRect) override { invalidated.push_back(clientRect); }
    void InvalidateAll() override { ++invalidatedAll; }
    Point GetScrollPosition() const override { return scroll; }
    void ScrollToLogical(Point p) override { scrolledTo.push_back(p); }
    Point GetClientSize() const override { return clientSize; }
    Point GetCursorPos() const override { return cursor; }
    void SetCursorPos(Point clientPoint) override { cursor = clientPoint; }
    void SetCapture() override { captured = true; }
    void ReleaseCapture() override
    {
        captured = false;
        ++captureReleases;
    }
    void SetCursorShape(CursorShape shape) override { cursorShape = shape; }
    bool ZoomStep(bool zoomIn, const Position& about) override;
    void PostBoardNotify(int code, std::intptr_t arg) override { notices.emplace_back(code, arg); }
    bool IsKeyDown(int vk) const override { return vk == heldKey; }
    void ShowStatusMessage(const std::string& text) override { statusMessages.push_back(text); }

    // Notices of one sub-code.
    int NoticeCount(int code) const;

    Point scroll;
    Point clientSize{800, 600};
    Point cursor;
    int heldKey = 0; // the virtual key held down, 0 for none
    bool captured = false;
    int captureReleases = 0;
    CursorShape cursorShape = CursorShape::Arrow;
    double zoomFactor = 2.0;
    double minScale = 1.0 / 64.0;
    double maxScale = 64.0;

    std::vector<Rect> invalidated;
    int invalidatedAll = 0;
    std::vector<Point> scrolledTo;
    std::vector<std::pair<bool, Position>> zoomSteps; // (zoom in, about)
    std::vector<std::pair<int, std::intptr_t>> notices;
    std::vector<std::string> statusMessages;
};

class BoardTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    CInfomation& board() { return *theInfomation; }

    std::string settingsFolder; // ends in '/'
    FakeViewPort view;
};
