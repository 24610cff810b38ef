#include "FigureCache.h"

#include <functional>
#include <mutex>
#include <string_view>

namespace
{

// As many keys noted as pictures could fit, more or less.
constexpr std::size_t kMostSeen = std::size_t(1) << 16;

std::atomic<unsigned> theGeneration{0};

// The pictures shared between threads, under their lock.
struct SharedFigures {
    std::mutex lock;
    unsigned generation = 0;
    std::unordered_map<std::string, QImage> pictures;
    std::size_t bytes = 0;

    // Under the lock: empties the pictures when stale or when `adding` more bytes would
    // hold too many.
    void MakeRoom(std::size_t adding)
    {
        const unsigned now = theGeneration.load(std::memory_order_relaxed);
        if (now != generation || bytes + adding > FigureCache::kMostBytes) {
            pictures.clear();
            bytes = 0;
            generation = now;
        }
    }
};
SharedFigures& TheShared()
{
    static SharedFigures shared;
    return shared;
}

} // namespace

QImage FigureCache::Shared(const std::string& key)
{
    SharedFigures& shared = TheShared();
    const std::lock_guard hold(shared.lock);
    shared.MakeRoom(0);
    const auto found = shared.pictures.find(key);
    return found == shared.pictures.end() ? QImage() : found->second;
}

void FigureCache::Share(const std::string& key, const QImage& picture)
{
    SharedFigures& shared = TheShared();
    const std::lock_guard hold(shared.lock);
    const std::size_t bytes = std::size_t(picture.sizeInBytes()) + key.size();
    shared.MakeRoom(bytes);
    if (shared.pictures.try_emplace(key, picture).second)
        shared.bytes += bytes;
}

FigureCache& FigureCache::ForThisThread()
{
    thread_local FigureCache cache;
    return cache;
}

void FigureCache::ForgetAll()
{
    theGeneration.fetch_add(1, std::memory_order_relaxed);
}

unsigned FigureCache::Generation()
{
    return theGeneration.load(std::memory_order_relaxed);
}

const FigureCache::Figure* FigureCache::Find(const std::string& key, bool* again)
{
    if (const unsigned now = theGeneration.load(std::memory_order_relaxed); now != m_generation) {
        Clear();
        m_generation = now;
    }
    if (const auto found = m_figures.find(key); found != m_figures.end()) {
        *again = true;
        return &found->second;
    }
    if (m_seen.size() >= kMostSeen)
        m_seen.clear();
    *again = !m_seen.insert(std::hash<std::string_view>()(key)).second;
    return nullptr;
}

const FigureCache::Figure& FigureCache::Keep(const std::string& key, Figure figure)
{
    const std::size_t bytes = std::size_t(figure.picture.sizeInBytes()) + key.size();
    if (m_bytes + bytes > kMostBytes)
        Clear();
    m_bytes += bytes;
    return m_figures.insert_or_assign(key, std::move(figure)).first->second;
}

void FigureCache::Clear()
{
    m_figures.clear();
    m_seen.clear();
    m_bytes = 0;
}

FigureCache::~FigureCache() = default;

QPainter* FigureCache::Scratch(QSize size)
{
    if (m_scratch.width() < size.width() || m_scratch.height() < size.height()) {
        m_scratchPainter.reset();
        m_scratch = QImage(size.expandedTo(m_scratch.size()), QImage::Format_ARGB32_Premultiplied);
        m_scratchPainter = std::make_unique<QPainter>(&m_scratch);
    }
    m_scratchPainter->setCompositionMode(QPainter::CompositionMode_Source);
    m_scratchPainter->fillRect(QRect(QPoint(0, 0), size), Qt::transparent);
    m_scratchPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    return m_scratchPainter.get();
}

QImage FigureCache::ScratchPicture(QSize size) const
{
    return m_scratch.copy(QRect(QPoint(0, 0), size));
}
