// Opens the libraries of the library list on a thread of its own. The thread touches
// nothing of the board: every step it takes, each library it opens and each failure
// are queued here, and the GUI thread takes them (TakeEvents) when woken, enters the
// libraries into the library set and reports.
#pragma once

#include "CLoadLibrary.h"
#include "LibraryLoadSink.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// One thing the loading thread handed over.
struct LibraryLoadEvent {
    enum Kind { Progress, Opened, Failed, Finished };
    Kind kind = Progress;
    LibraryLoadProgress progress;          // Progress
    std::string path;                      // Opened, Failed: the path as listed
    std::unique_ptr<CLoadLibrary> library; // Opened
    std::string error;                     // Failed
};

class LibraryLoader : private LibraryLoadSink
{
  public:
    // The loading itself: for each path in order, a "Load library" step, then the
    // library is opened under its canonical path (its components report "Load
    // component" steps) and handed on, or its failure is. Stops before the next path,
    // or inside a library, once `cancel` is set; a path whose opening was cancelled is
    // neither opened nor failed. OnFinished comes last in every case.
    static void Run(const std::vector<std::string>& paths, LibraryLoadSink& sink,
                    const std::atomic<bool>& cancel);

    LibraryLoader() = default;
    LibraryLoader(const LibraryLoader&) = delete;
    LibraryLoader& operator=(const LibraryLoader&) = delete;
    // Cancels and joins the thread.
    ~LibraryLoader() override;

    // Starts the thread over `paths` (once). `wake` is called on the loading thread
    // whenever it queues an event while none was waiting.
    void Start(std::vector<std::string> paths, std::function<void()> wake);
    bool IsStarted() const { return m_started; }
    // Asks the thread to stop; it ends soon after.
    void Cancel() { m_cancel.store(true); }
    // Waits for the thread to end (after OnFinished, or at once when it has ended).
    void Join();
    // Everything queued since the last call, in order.
    std::vector<LibraryLoadEvent> TakeEvents();

  private:
    void OnProgress(const LibraryLoadProgress& progress) override;
    void OnOpened(const std::string& path, std::unique_ptr<CLoadLibrary> library) override;
    void OnFailed(const std::string& path, const std::string& error) override;
    void OnFinished() override;
    void Push(LibraryLoadEvent event);

    std::atomic<bool> m_cancel{false};
    bool m_started = false;
    std::function<void()> m_wake;
    std::mutex m_mutex;
    std::vector<LibraryLoadEvent> m_events; // guarded by m_mutex
    std::thread m_thread;
};
