// The board areas waiting to be repainted. Any thread may queue an area; the areas are
// handed to the view only on the GUI thread, each converted to client pixels with the
// scroll position at the moment it is drained, never at the moment it was queued.
#pragma once

#include "CMutex.h"
#include "model/Geometry.h"

#include <cstddef>
#include <functional>
#include <list>
#include <memory>

class ViewPort;

class CDrawingQueue
{
  public:
    // Runs a callable later on the GUI thread.
    using Scheduler = std::function<void(std::function<void()>)>;

    CDrawingQueue();
    CDrawingQueue(const CDrawingQueue&) = delete;
    CDrawingQueue& operator=(const CDrawingQueue&) = delete;
    virtual ~CDrawingQueue();

    // Any thread: appends the area (board mils) and, unless a drain is already waiting,
    // schedules one drain on the GUI thread. Never waits for the GUI.
    void AddArea(const BOX2D& area);
    // The same for an area where only what is drawn over the board changed (a tool's
    // own shape moved): it goes to the view port's InvalidateOverlay.
    void AddOverlayArea(const BOX2D& area);
    // GUI thread: takes the front area off the list and invalidates its client
    // rectangle (BOX2D::ToDeviceRect, read now) in the view port. Nothing happens
    // when the list is empty; with no view port the area is dropped unpainted (a view
    // that appears later paints itself whole).
    void InvalidateNext();
    // GUI thread: invalidates every queued area, in the order queued.
    void DrainAll();
    // Areas waiting.
    std::size_t Pending() const;

    // GUI thread. The view that receives the repaints; null for none.
    void SetViewPort(ViewPort* view);
    // How a drain is run later on the GUI thread. The default posts to the application
    // object's event queue when one exists, and otherwise schedules nothing: the areas
    // then wait for DrainAll. An empty function also schedules nothing.
    void SetScheduler(Scheduler scheduler);

  private:
    // The drain a scheduled callable runs; it is a no-op once the queue is gone.
    void ScheduledDrain();
    // Under the lock: the scheduler to call when a drain must be scheduled now (and
    // marks it pending), else an empty function.
    Scheduler TakeScheduleTurn();
    // The callable a scheduler runs: it drains this queue while the queue exists.
    std::function<void()> MakeDrain() const;

    struct Area {
        BOX2D box;
        bool overlay; // only what is drawn over the board changed there
    };
    void Add(const Area& area);
    void Invalidate(const Area& area) const;

    std::list<Area> m_areas;
    // Non-zero while a drain has been scheduled and has not started yet.
    int m_drainPending;
    mutable CMutex m_lock;
    ViewPort* m_view = nullptr;
    Scheduler m_scheduler;
    // Scheduled callables hold a weak reference to this token, so a drain that
    // arrives after the queue was destroyed does nothing. Queue and drains both live
    // on the GUI thread, so the check cannot race with the destruction.
    std::shared_ptr<CDrawingQueue*> m_token;
};
