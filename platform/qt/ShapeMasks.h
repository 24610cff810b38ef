// The pixels the painter lights for small shapes drawn with a thin solid pen (arcs, the
// caps of tracks and glyph strokes, small ellipses), kept per shape so that a shape met
// again is written straight into the picture as runs of one colour instead of going
// through the painter's paths once more.
//
// A shape is named by a key its drawing context makes from its size and its points
// relative to its box, so the same shape moved by whole pixels has the same key. Each
// mask holds the pixels the shape's fill lights and those its outline lights, apart, as
// runs along rows relative to the box's top-left corner. Each thread has masks of its
// own (`ForThisThread`), so no lock is taken; they are emptied with the figures
// (FigureCache::ForgetAll) and whenever more than `kMostMasks` are held.
#pragma once

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class ShapeMasks
{
  public:
    struct Run {
        std::int16_t y; // from the box's top
        std::int16_t x; // from the box's left
        std::int16_t length;
    };
    struct Mask {
        std::vector<Run> fill;
        std::vector<Run> outline;
    };

    // The largest box a mask is made for, in pixels either way, and the margin around it
    // that the outline may reach into.
    static constexpr int kLargestBox = 48;
    static constexpr int kMargin = 2;
    static constexpr std::size_t kMostMasks = std::size_t(1) << 15;

    static ShapeMasks& ForThisThread();

    // Empties the masks when they are stale or too many. Masks found or kept after it stay
    // until it is called again.
    void MakeRoom();
    const Mask* Find(std::uint64_t key) const;
    const Mask& Keep(std::uint64_t key, Mask mask);
    // A painter on a picture of this thread's own, transparent, with room for a box of
    // kLargestBox and its margins; `Lit` then tells which pixels of its corner of `size`
    // were drawn in `color` (opaque), as runs relative to the point (kMargin, kMargin),
    // and clears them.
    QPainter* Scratch() { return m_painter.get(); }
    std::vector<Run> Lit(QSize size, QRgb color);

    ShapeMasks();
    ShapeMasks(const ShapeMasks&) = delete;
    ShapeMasks& operator=(const ShapeMasks&) = delete;
    ~ShapeMasks();

  private:
    unsigned m_generation = 0;
    std::unordered_map<std::uint64_t, Mask> m_masks;
    QImage m_scratch;
    uchar* m_bits; // the scratch picture's pixels, as its painter draws them
    std::unique_ptr<QPainter> m_painter;
};
