#include "board/CDrawingQueue.h"
#include "support/FakeBoardServices.h"

#include "model/BoardServices.h"
#include "support/BoardFixture.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace
{

// Notes the thread each invalidation came on.
class ThreadNotingView : public FakeViewPort
{
  public:
    void InvalidateRect(const Rect& clientRect) override
    {
        FakeViewPort::InvalidateRect(clientRect);
        threads.push_back(std::this_thread::get_id());
    }
    std::vector<std::thread::id> threads;
};

// Keeps scheduled drains instead of running them, as an event queue would.
struct ScheduledDrains {
    void Attach(CDrawingQueue& queue)
    {
        queue.SetScheduler([this](std::function<void()> drain) {
            std::lock_guard<std::mutex> lock(mutex);
            drains.push_back(std::move(drain));
        });
    }
    // Runs what is scheduled, as the GUI thread's event loop would.
    void RunAll()
    {
        std::vector<std::function<void()>> now;
        {
            std::lock_guard<std::mutex> lock(mutex);
            now.swap(drains);
        }
        for (auto& drain : now)
            drain();
    }
    std::size_t Count()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return drains.size();
    }

    std::mutex mutex;
    std::vector<std::function<void()>> drains;
};

class CDrawingQueueTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        // 1 mil per pixel, board (x, y) at scrolled-view pixel (x, 1000 - y).
        m_services.originPixel = Point{0, 1000};
        BoardServices::Install(&m_services);
        m_queue.SetViewPort(&m_view);
        m_drains.Attach(m_queue);
    }

    FakeBoardServices m_services;
    FakeViewPort m_view;
    ScheduledDrains m_drains;
    CDrawingQueue m_queue;
};

TEST_F(CDrawingQueueTest, QueuedAreasAreCoalescedIntoOneDrainThatInvalidatesEach)
{
    m_queue.AddArea(BOX2D(0, 0, 10, 10));
    m_queue.AddArea(BOX2D(100, 100, 110, 120));
    m_queue.AddArea(BOX2D(200, 300, 220, 330));
    EXPECT_EQ(m_queue.Pending(), 3u);
    EXPECT_EQ(m_drains.Count(), 1u);
    EXPECT_TRUE(m_view.invalidated.empty()); // nothing reaches the view before the drain

    // Converted with the scroll position at drain time, not at queuing time.
    m_services.scroll = Point{150, 400};
    m_drains.RunAll();
    EXPECT_EQ(m_queue.Pending(), 0u);
    const int m = BOX2D::kDeviceMargin;
    EXPECT_EQ(m_view.invalidated, (std::vector<Rect>{{-150 - m, 590 - m, -140 + m, 600 + m},
                                                     {-50 - m, 480 - m, -40 + m, 500 + m},
                                                     {50 - m, 270 - m, 70 + m, 300 + m}}));

    // After a drain, the next area schedules a new one; InvalidateNext takes one area.
    m_queue.AddArea(BOX2D(0, 0, 10, 10));
    m_queue.AddArea(BOX2D(0, 0, 1, 1));
    EXPECT_EQ(m_drains.Count(), 1u);
    m_queue.InvalidateNext();
    EXPECT_EQ(m_view.invalidated.size(), 4u);
    EXPECT_EQ(m_view.invalidated[3], m_view.invalidated[0]);
    EXPECT_EQ(m_queue.Pending(), 1u);

    // Without a view the areas are dropped, not kept forever.
    m_queue.SetViewPort(nullptr);
    m_drains.RunAll();
    EXPECT_EQ(m_queue.Pending(), 0u);
    EXPECT_EQ(m_view.invalidated.size(), 4u);
}

TEST_F(CDrawingQueueTest, AreasFromManyThreadsAreEachInvalidatedExactlyOnce)
{
    constexpr int kThreads = 4;
    constexpr int kPerThread = 200;
    std::vector<int> expected;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        // Each area has its own x: thread in hundreds of thousands, index in tens.
        for (int i = 0; i < kPerThread; ++i)
            expected.push_back(t * 100000 + i * 10);
        threads.emplace_back([this, t] {
            for (int i = 0; i < kPerThread; ++i) {
                const double x = t * 100000.0 + i * 10.0;
                m_queue.AddArea(BOX2D(x, 0, x + 1, 1));
            }
        });
    }
    // The GUI thread drains while the others are still queuing.
    for (int round = 0; round < 50; ++round)
        m_drains.RunAll();
    for (std::thread& th : threads)
        th.join();
    m_drains.RunAll();
    m_queue.DrainAll();

    std::vector<int> lefts;
    for (const Rect& r : m_view.invalidated)
        lefts.push_back(r.left + BOX2D::kDeviceMargin);
    std::sort(lefts.begin(), lefts.end());
    EXPECT_EQ(lefts, expected);
    EXPECT_EQ(m_queue.Pending(), 0u);
}

TEST(CDrawingQueueEventLoopTest, DefaultSchedulerDrainsOnTheApplicationThread)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    FakeBoardServices services;
    BoardServices::Install(&services);
    ThreadNotingView view;

    CDrawingQueue queue;
    queue.SetViewPort(&view);
    std::thread worker([&queue] {
        queue.AddArea(BOX2D(0, 0, 10, 10));
        queue.AddArea(BOX2D(20, 0, 30, 10));
    });
    worker.join();
    EXPECT_TRUE(view.invalidated.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(view.threads, std::vector<std::thread::id>(2, std::this_thread::get_id()));

    // A drain posted for a queue destroyed before the event loop ran does nothing.
    auto doomed = std::make_unique<CDrawingQueue>();
    doomed->SetViewPort(&view);
    doomed->AddArea(BOX2D(0, 0, 1, 1));
    doomed.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.invalidated.size(), 2u);
}

} // namespace
