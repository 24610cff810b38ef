#include "BandedDrawing.h"

#include "model/BoardServices.h"
#include "model/CEntity.h"

#include <algorithm>

BandedDrawing::BandedDrawing(int threads)
{
    for (int t = 1; t < threads; ++t)
        m_helpers.emplace_back([this] { HelperLoop(); });
}

BandedDrawing::~BandedDrawing()
{
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
}

void BandedDrawing::HelperLoop()
{
    std::uint64_t seen = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(m_lock);
            m_wake.wait(hold, [&] { return m_stopping || m_run != seen; });
            if (m_stopping)
                return;
            seen = m_run;
        }
        DrawBands();
        const std::lock_guard<std::mutex> hold(m_lock);
        if (--m_working == 0)
            m_done.notify_one();
    }
}

void BandedDrawing::Run(const Rect& clip, int bands, BoardServices* view,
                        const std::function<void(const Rect& band)>& drawBand)
{
    const int height = clip.bottom - clip.top;
    if (height <= 0 || clip.right <= clip.left)
        return;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_clip = clip;
        m_bands = std::clamp(bands, 1, std::min(height, Threads() * kBandsPerThread));
        m_view = view;
        m_drawBand = &drawBand;
        m_next = 0;
        m_working = int(m_helpers.size());
        ++m_run;
    }
    m_wake.notify_all();
    DrawBands();
    std::unique_lock<std::mutex> hold(m_lock);
    m_done.wait(hold, [&] { return m_working == 0; });
    m_drawBand = nullptr;
}

void BandedDrawing::DrawBands()
{
    BoardServices* before = BoardServices::UseOnThisThread(m_view);
    CEntity::SetDrawingShared(true);
    const int height = m_clip.bottom - m_clip.top;
    for (int i = m_next.fetch_add(1); i < m_bands; i = m_next.fetch_add(1)) {
        Rect band = m_clip;
        band.top = m_clip.top + int(std::int64_t(height) * i / m_bands);
        band.bottom = m_clip.top + int(std::int64_t(height) * (i + 1) / m_bands);
        (*m_drawBand)(band);
    }
    CEntity::SetDrawingShared(false);
    BoardServices::UseOnThisThread(before);
}

int BandedDrawing::BandsFor(std::size_t objects, int threads)
{
    const std::size_t most = std::size_t(std::max(1, threads * kBandsPerThread));
    return int(std::clamp<std::size_t>(objects / kObjectsPerBand, 1, most));
}

int BandedDrawing::ThreadsForThisMachine()
{
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
}
