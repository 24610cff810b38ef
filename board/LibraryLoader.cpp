#include "LibraryLoader.h"

#include "LibraryList.h"

void LibraryLoader::Run(const std::vector<std::string>& paths, LibraryLoadSink& sink,
                        const std::atomic<bool>& cancel)
{
    const int total = int(paths.size());
    const CLoadLibrary::ProgressSink componentProgress =
        [&sink](const std::string& step, const std::string& item, int count, int current) {
            sink.OnProgress(LibraryLoadProgress{step, item, count, current});
        };
    for (int i = 0; i < total && !cancel.load(); ++i) {
        const std::string& path = paths[std::size_t(i)];
        sink.OnProgress(LibraryLoadProgress{kLoadLibrary, path, total, i + 1});
        auto library = std::make_unique<CLoadLibrary>();
        std::string error;
        if (library->Open(LibraryList::CanonicalPath(path), componentProgress, &cancel, &error)) {
            sink.OnOpened(path, std::move(library));
            continue;
        }
        // A load broken off by the cancel is no fault of the library.
        if (cancel.load())
            break;
        sink.OnFailed(path, error);
    }
    sink.OnFinished();
}

LibraryLoader::~LibraryLoader()
{
    Cancel();
    Join();
}

void LibraryLoader::Start(std::vector<std::string> paths, std::function<void()> wake)
{
    if (m_started)
        return;
    m_started = true;
    m_wake = std::move(wake);
    m_thread = std::thread([this, list = std::move(paths)] { Run(list, *this, m_cancel); });
}

void LibraryLoader::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

std::vector<LibraryLoadEvent> LibraryLoader::TakeEvents()
{
    std::vector<LibraryLoadEvent> taken;
    std::lock_guard<std::mutex> lock(m_mutex);
    taken.swap(m_events);
    return taken;
}

void LibraryLoader::Push(LibraryLoadEvent event)
{
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        first = m_events.empty();
        m_events.push_back(std::move(event));
    }
    // One wake per batch: the GUI thread takes everything queued when it comes.
    if (first && m_wake)
        m_wake();
}

void LibraryLoader::OnProgress(const LibraryLoadProgress& progress)
{
    LibraryLoadEvent e;
    e.kind = LibraryLoadEvent::Progress;
    e.progress = progress;
    Push(std::move(e));
}

void LibraryLoader::OnOpened(const std::string& path, std::unique_ptr<CLoadLibrary> library)
{
    LibraryLoadEvent e;
    e.kind = LibraryLoadEvent::Opened;
    e.path = path;
    e.library = std::move(library);
    Push(std::move(e));
}

void LibraryLoader::OnFailed(const std::string& path, const std::string& error)
{
    LibraryLoadEvent e;
    e.kind = LibraryLoadEvent::Failed;
    e.path = path;
    e.error = error;
    Push(std::move(e));
}

void LibraryLoader::OnFinished()
{
    LibraryLoadEvent e;
    e.kind = LibraryLoadEvent::Finished;
    Push(std::move(e));
}
