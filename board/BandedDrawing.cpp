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
        DoJobs();
        const std::lock_guard<std::mutex> hold(m_lock);
        if (--m_working == 0)
            m_done.notify_one();
    }
}

void BandedDrawing::Run(const Rect& clip, const std::vector<int>& edges, BoardServices* view,
                        const DrawBand& drawBand)
{
    if (clip.bottom <= clip.top || clip.right <= clip.left || edges.size() < 2)
        return;
    RunEach(int(edges.size()) - 1, view, [&](int i) {
        Rect band = clip;
        band.top = edges[std::size_t(i)];
        band.bottom = edges[std::size_t(i) + 1];
        drawBand(i, band);
    });
}

void BandedDrawing::RunEach(int jobs, BoardServices* view, const Job& job)
{
    if (jobs <= 0)
        return;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_jobs = jobs;
        m_view = view;
        m_job = &job;
        m_next = 0;
        m_working = int(m_helpers.size());
        ++m_run;
    }
    m_wake.notify_all();
    DoJobs();
    std::unique_lock<std::mutex> hold(m_lock);
    m_done.wait(hold, [&] { return m_working == 0; });
    m_job = nullptr;
}

void BandedDrawing::DoJobs()
{
    BoardServices* before = BoardServices::UseOnThisThread(m_view);
    CEntity::SetDrawingShared(true);
    for (int i = m_next.fetch_add(1); i < m_jobs; i = m_next.fetch_add(1))
        (*m_job)(i);
    CEntity::SetDrawingShared(false);
    BoardServices::UseOnThisThread(before);
}

int BandedDrawing::BandsFor(std::size_t objects, int threads)
{
    const std::size_t most = std::size_t(std::max(1, threads * kBandsPerThread));
    return int(std::clamp<std::size_t>(objects / kObjectsPerBand, 1, most));
}

std::vector<int> BandedDrawing::Edges(const Rect& clip, int bands, const WeighStrips& weigh)
{
    const int height = clip.bottom - clip.top;
    bands = std::clamp(bands, 1, std::max(1, height));
    const int strips = std::max(1, std::min(height, bands * kStripsPerBand));
    std::vector<int> stripEdges;
    for (int i = 0; i <= strips; ++i)
        stripEdges.push_back(clip.top + int(std::int64_t(height) * i / strips));
    std::vector<std::size_t> weights = weigh(stripEdges);
    weights.resize(std::size_t(strips));
    std::size_t total = 0;
    for (std::size_t& w : weights)
        total += ++w; // every row costs a little, if only its copy
    // Band k ends at the first strip edge where the weight so far reaches k shares.
    std::vector<int> edges{clip.top};
    std::size_t sofar = 0;
    for (int i = 0; i < strips; ++i) {
        sofar += weights[std::size_t(i)];
        const int edge = stripEdges[std::size_t(i) + 1];
        if (sofar * std::size_t(bands) >= total * edges.size() && edge > edges.back())
            edges.push_back(edge);
    }
    if (edges.back() != clip.bottom)
        edges.push_back(clip.bottom);
    return edges;
}

int BandedDrawing::ThreadsForThisMachine()
{
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
}
