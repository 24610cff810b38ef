// The pixels the painter lights for small shapes drawn with a thin solid pen (arcs, the
// caps of tracks and glyph strokes, small ellipses), kept per shape so that a shape met
// again is written straight into the picture as runs of one colour instead of going
// through the painter's paths once more.
//
// A shape is named by a key its drawing context makes from its size and its points
// relative to its box, so the same shape moved by whole pixels has the same key. Each
// mask holds the pixels the shape's fill lights and those its outline lights, apart, as
// runs along rows relative to the box's top-left corner. Each thread has masks of its
// own (`ForThisThread`), found without a lock; they are emptied with the figures
// (FigureCache::ForgetAll) and whenever more than `kMostMasks` are held. A mask one
// thread makes is also shared: a thread that lacks one copies it from there, under the
// lock of one of a few shards, before making it anew (threads drawing bands of one
// picture meet the same shapes).
//
// The masks are found in a table of open addressing, and their runs are kept in blocks
// that never move, so that a mask found stays where it is until the masks are emptied.
#pragma once

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <memory>
#include <span>
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
        std::span<const Run> fill;
        std::span<const Run> outline;
        // For a mask found by a hash of its shape: the shape, to tell it from another of
        // the same hash.
        std::span<const int> shape;
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
    // A key is any number but kNoKey.
    static constexpr std::uint64_t kNoKey = ~std::uint64_t(0);
    // This thread's mask, or a copy of the one another thread made, or null.
    const Mask* Find(std::uint64_t key);
    // Keeps the mask for this thread and shares a copy of it.
    const Mask& Keep(std::uint64_t key, Mask mask);
    // A painter on a picture of this thread's own, transparent, with room for a box of
    // kLargestBox and its margins; `Lit` then tells which pixels of its corner of `size`
    // were drawn in `color` (opaque), as runs relative to the point (kMargin, kMargin),
    // kept until the masks are emptied, and clears them.
    QPainter* Scratch() { return m_painter.get(); }
    std::span<const Run> Lit(QSize size, QRgb color);
    // Copies of `shape` and of `runs` kept until the masks are emptied.
    std::span<const int> KeepShape(std::span<const int> shape);
    std::span<const Run> KeepRuns(std::span<const Run> runs);

    ShapeMasks();
    ShapeMasks(const ShapeMasks&) = delete;
    ShapeMasks& operator=(const ShapeMasks&) = delete;
    ~ShapeMasks();

  private:
    // Twice as many slots as masks, a power of two.
    static constexpr std::size_t kSlots = 2 * kMostMasks;
    static std::size_t SlotOf(std::uint64_t key)
    {
        return std::size_t((key * 0x9E3779B97F4A7C15ull) >> 48) & (kSlots - 1);
    }
    void Empty();
    const Mask* FindHere(std::uint64_t key) const;
    const Mask& KeepHere(std::uint64_t key, Mask mask);
    // Room for `count` runs in the blocks.
    Run* RoomForRuns(std::size_t count);

    unsigned m_generation = 0;
    std::vector<std::uint64_t> m_keys;  // kNoKey where a slot is free
    std::vector<std::uint32_t> m_slots; // the mask of each key, in m_masks
    std::vector<Mask> m_masks;
    // Runs, in blocks of kBlockRuns (a mask's runs are never split between blocks).
    static constexpr std::size_t kBlockRuns = std::size_t(1) << 14;
    std::vector<std::unique_ptr<Run[]>> m_blocks;
    std::size_t m_block = 0; // the block being filled
    std::size_t m_used = 0;  // runs used in it
    // Shapes, the same way.
    static constexpr std::size_t kBlockInts = std::size_t(1) << 14;
    std::vector<std::unique_ptr<int[]>> m_shapeBlocks;
    std::size_t m_shapeBlock = 0;
    std::size_t m_shapeUsed = 0;
    QImage m_scratch;
    uchar* m_bits; // the scratch picture's pixels, as its painter draws them
    std::unique_ptr<QPainter> m_painter;
};
