// Pictures of small figures already drawn, so that a figure drawn again (the same calls,
// moved by whole pixels, with the same pen and brush) is copied rather than rasterised
// once more. A board shows the same few shapes thousands of times: the strokes of its
// text, its pads, the ends of its tracks.
//
// The key is whatever describes the figure wholly, made by the drawing context; the
// pictures are premultiplied ARGB, transparent where the figure lights nothing. Each
// thread has a cache of its own (`ForThisThread`), so no lock is taken; it lives as long
// as the thread and is emptied whenever it holds more than `kMostBytes` of pictures. A
// picture may also be shared, under a lock, for other threads to copy.
#pragma once

#include "platform/WinTypes.h"

#include <QImage>
#include <QPainter>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

class FigureCache
{
  public:
    struct Figure {
        QImage picture;
        Point end; // the current position after the figure, from the picture's corner
    };

    static constexpr std::size_t kMostBytes = std::size_t(8) << 20;

    static FigureCache& ForThisThread();

    // The picture kept for `key`, or null. A figure is kept only from its second
    // sighting on: `*again` tells whether `key` was seen before (most figures on a board
    // are drawn once per frame in one place and never again at that size).
    const Figure* Find(const std::string& key, bool* again);
    const Figure& Keep(const std::string& key, Figure figure);
    void Clear();
    // A painter on a picture of this thread's own, its corner of `size` cleared to
    // transparent, for drawing a figure to keep; then a copy of that corner.
    QPainter* Scratch(QSize size);
    QImage ScratchPicture(QSize size) const;
    // Pictures any thread kept, for the others to take (threads drawing bands of one
    // picture meet the same figures): a copy of the one shared for `key`, or a null
    // picture. Emptied with the caches, and when they hold more than kMostBytes.
    static QImage Shared(const std::string& key);
    static void Share(const std::string& key, const QImage& picture);
    // Empties the cache of every thread, each the next time it is asked (measurements
    // use it to draw as after a zoom change, when no figure is the same size as before).
    static void ForgetAll();
    // Counts the calls of ForgetAll; what is kept from before a change of it is stale.
    static unsigned Generation();

    FigureCache() = default;
    FigureCache(const FigureCache&) = delete;
    FigureCache& operator=(const FigureCache&) = delete;
    ~FigureCache();

  private:
    unsigned m_generation = 0;
    QImage m_scratch;
    std::unique_ptr<QPainter> m_scratchPainter;
    std::unordered_map<std::string, Figure> m_figures;
    std::unordered_set<std::size_t> m_seen; // hashes of the keys seen so far
    std::size_t m_bytes = 0;
};
