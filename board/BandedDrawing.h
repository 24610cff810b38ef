// Splits a client rectangle into horizontal bands and draws them on several threads at
// once, for a repaint of a whole view (a zoom change, a new board). The bands are cut
// where they hold about as many objects each (`Edges`), so that no thread is left with
// the crowded middle of a board while the others draw its empty margins. The helper
// threads are started once and wait between runs, so that what each keeps for itself
// (the font caches of the painting library, for one) stays warm from one repaint to the
// next.
//
// Every band thread sees `view` as its board services (BoardServices::Current) and draws
// objects as shared (CEntity::SetDrawingShared), so that all of them draw one view
// whatever happens to the installed services, and only read the objects. Run returns
// when every band is drawn. `drawBand`, given the band's number and rows, runs on the
// calling thread and on the helpers, several at once, and must only read what the board
// holds; the board must not change meanwhile. Run is called from one thread at a time.
#pragma once

#include "platform/WinTypes.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class BoardServices;

class BandedDrawing final
{
  public:
    // Bands per thread. More would let a thread that finishes early take another band
    // (objects are not spread evenly), but an object drawn in several bands is drawn
    // several times: measured, one each was quicker at actual size and no slower else.
    static constexpr int kBandsPerThread = 1;
    // Objects worth a band of their own. Zoomed in, a few large objects fill the view
    // and cross every band: one pass draws them quicker than many bands can.
    static constexpr std::size_t kObjectsPerBand = 16;

    // `threads` counts the calling thread of Run; 1 or less starts no helper, and the
    // calling thread draws every band itself.
    explicit BandedDrawing(int threads);
    BandedDrawing(const BandedDrawing&) = delete;
    BandedDrawing& operator=(const BandedDrawing&) = delete;
    // Stops and joins the helpers.
    ~BandedDrawing();

    using DrawBand = std::function<void(int band, const Rect& rows)>;
    // Band i is the full width of `clip`, rows edges[i] to edges[i + 1]; `edges` runs
    // from clip.top to clip.bottom and rises strictly.
    void Run(const Rect& clip, const std::vector<int>& edges, BoardServices* view,
             const DrawBand& drawBand);
    // Runs job(0) to job(jobs - 1) as Run draws bands: on the calling thread and the
    // helpers, several at once, returning when all are done.
    using Job = std::function<void(int job)>;
    void RunEach(int jobs, BoardServices* view, const Job& job);
    // The bands worth drawing `objects` in on `threads` threads; 1 means one pass.
    static int BandsFor(std::size_t objects, int threads);
    // The edges of at most `bands` bands of `clip` that hold about the same weight each.
    // The clip is weighed in kStripsPerBand strips per band: `weigh` is given the strips'
    // edges (clip.top to clip.bottom, rising) and tells the weight of each strip (the
    // objects drawn there), all at once. A strip weighing more than a band's share makes
    // a band of its own. Fewer strips cut bands a sixth heavier than others (measured at
    // fit: the heaviest band sets the time of the whole).
    static constexpr int kStripsPerBand = 16;
    using WeighStrips = std::function<std::vector<std::size_t>(const std::vector<int>& edges)>;
    static std::vector<int> Edges(const Rect& clip, int bands, const WeighStrips& weigh);
    int Threads() const { return int(m_helpers.size()) + 1; }
    // The threads worth using on this machine for a whole view (at most 8).
    static int ThreadsForThisMachine();

  private:
    void HelperLoop();
    // Takes and does jobs of the current run until none is left.
    void DoJobs();

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::uint64_t m_run = 0; // counts the runs started
    int m_working = 0;       // helpers not yet through the current run
    bool m_stopping = false;
    // The current run, set under the lock before the helpers are woken.
    int m_jobs = 0;
    BoardServices* m_view = nullptr;
    const Job* m_job = nullptr;
    std::atomic<int> m_next{0};
    // Last, so that the helpers are joined before anything they use goes.
    std::vector<std::jthread> m_helpers;
};
