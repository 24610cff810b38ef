// What the board state and the tools ask of the board view: repaints, scrolling, the
// client area, the mouse pointer and capture, the cursor shape, zoom steps and board
// notifications. The view implements it; tests install a fake.
#pragma once

#include "model/Geometry.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <string>

// Sub-codes of the board notification (argument in `arg`).
enum BoardNotify {
    BN_PLACE_COMPONENT = 0, // place the component chosen in the library browser
    BN_MODIFIED = 1,        // the board changed: the document is modified
    BN_SHOW_BROWSER = 2,    // show the library browser again
    BN_ZOOM_FIT = 3,        // zoom to fit
    BN_LOAD_PROGRESS = 4,   // library loading progress
    BN_LOAD_DONE = 5,       // library loading finished
    BN_STARTUP_CLOSED = 6,  // start-up window closed
    BN_STATUS_LINE = 7,     // extra status line
    BN_REPAINT_RECT = 8,    // repaint a rectangle
};

class ViewPort
{
  public:
    virtual ~ViewPort() = default;

    // Repaint part of the view (client pixels), or all of it.
    virtual void InvalidateRect(const Rect& clientRect) = 0;
    virtual void InvalidateAll() = 0;
    // Repaint part of the view where only what is drawn over the board changed (the
    // shape a tool is drawing); the board beneath is as it was. A view that keeps a
    // picture of the board paints it from there.
    virtual void InvalidateOverlay(const Rect& clientRect) { InvalidateRect(clientRect); }
    // The scroll position: the scrolled-view pixel shown at the client area's top-left.
    virtual Point GetScrollPosition() const = 0;
    // Scrolls so that the scrolled-view pixel `p` is in the middle of the client area.
    virtual void ScrollToLogical(Point p) = 0;
    // Width and height of the client area in pixels.
    virtual Point GetClientSize() const = 0;
    // The mouse pointer in client pixels.
    virtual Point GetCursorPos() const = 0;
    virtual void SetCursorPos(Point clientPoint) = 0;
    virtual void SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
    // The pointer's shape over the view; a view that shows no photograph keeps the
    // shape it has.
    virtual void SetCursorShape(CursorShape shape) = 0;
    // One zoom step in or out about a board point, done before returning; true when
    // the zoom changed.
    virtual bool ZoomStep(bool zoomIn, const Position& about) = 0;
    // Queues a board notification for the view; safe from any thread.
    virtual void PostBoardNotify(int code, std::intptr_t arg) = 0;
    // Whether the key of virtual-key code `vk` (VK::Control or VK::Shift) is
    // held down now; views that cannot tell say no.
    virtual bool IsKeyDown(int /*vk*/) const { return false; }
    // A passing note in the status bar (why a tool did nothing); views without one
    // drop it.
    virtual void ShowStatusMessage(const std::string& /*text*/) {}
};
