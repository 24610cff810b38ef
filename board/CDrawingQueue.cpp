#include "CDrawingQueue.h"

#include "ViewPort.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <utility>

namespace
{

// Posts the callable to the application object's thread, if there is an application.
void PostToApplication(std::function<void()> drain)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(app, std::move(drain), Qt::QueuedConnection);
}

} // namespace

CDrawingQueue::CDrawingQueue()
    : m_drainPending(0), m_scheduler(PostToApplication),
      m_token(std::make_shared<CDrawingQueue*>(this))
{
}

CDrawingQueue::~CDrawingQueue()
{
    // Dropping the token turns every drain still in the event queue into a no-op.
    m_token.reset();
}

void CDrawingQueue::AddArea(const BOX2D& area)
{
    Add(Area{area, false});
}

void CDrawingQueue::AddOverlayArea(const BOX2D& area)
{
    Add(Area{area, true});
}

void CDrawingQueue::Add(const Area& area)
{
    Scheduler scheduler;
    {
        CMutexLock lock(m_lock);
        m_areas.push_back(area);
        scheduler = TakeScheduleTurn();
    }
    // Scheduled outside the lock: the scheduler may be slow or run the drain at once.
    if (scheduler)
        scheduler(MakeDrain());
}

CDrawingQueue::Scheduler CDrawingQueue::TakeScheduleTurn()
{
    if (m_drainPending || !m_scheduler || m_areas.empty())
        return {};
    m_drainPending = 1;
    return m_scheduler;
}

std::function<void()> CDrawingQueue::MakeDrain() const
{
    std::weak_ptr<CDrawingQueue*> token = m_token;
    return [token] {
        if (std::shared_ptr<CDrawingQueue*> alive = token.lock())
            (*alive)->ScheduledDrain();
    };
}

void CDrawingQueue::ScheduledDrain()
{
    DrainAll();
}

void CDrawingQueue::InvalidateNext()
{
    Area area;
    {
        CMutexLock lock(m_lock);
        if (m_areas.empty())
            return;
        area = m_areas.front();
        m_areas.pop_front();
    }
    // The view is called without the lock held, so a repaint that queues an area
    // cannot dead-lock against another thread.
    Invalidate(area);
}

void CDrawingQueue::Invalidate(const Area& area) const
{
    if (!m_view)
        return;
    if (area.overlay)
        m_view->InvalidateOverlay(area.box.ToDeviceRect());
    else
        m_view->InvalidateRect(area.box.ToDeviceRect());
}

void CDrawingQueue::DrainAll()
{
    std::list<Area> areas;
    {
        CMutexLock lock(m_lock);
        // Areas queued from here on schedule a drain of their own.
        m_drainPending = 0;
        areas.swap(m_areas);
    }
    if (!m_view)
        return;
    for (const Area& area : areas)
        Invalidate(area);
}

std::size_t CDrawingQueue::Pending() const
{
    CMutexLock lock(m_lock);
    return m_areas.size();
}

void CDrawingQueue::SetViewPort(ViewPort* view)
{
    m_view = view;
}

void CDrawingQueue::SetScheduler(Scheduler scheduler)
{
    Scheduler next;
    {
        CMutexLock lock(m_lock);
        m_scheduler = std::move(scheduler);
        // A drain promised by the previous scheduler may never come: areas already
        // waiting get one from the new scheduler.
        m_drainPending = 0;
        next = TakeScheduleTurn();
    }
    if (next)
        next(MakeDrain());
}
