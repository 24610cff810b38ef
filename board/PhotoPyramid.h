// A photograph and its reduced copies: level 0 is the photograph itself, every further
// level half the size of the one before (rounded up), each of its pixels the average
// of the 2 x 2 pixels it replaces. Built once when a photograph is loaded, so that a
// zoomed-out view draws from a copy of about its own size instead of shrinking the
// whole photograph on every paint, and fine detail is averaged rather than skipped.
#pragma once

#include <QImage>

#include <vector>

class PhotoPyramid
{
  public:
    // Takes the decoded photograph and builds the reduced copies down to `lowestLevel`
    // (level k is 1/2^k of the photograph), stopping early at a 1 x 1 copy. The
    // pixels are held as 32-bit RGB, or premultiplied ARGB when the photograph has
    // transparency. False, with nothing held, when the image is empty or memory runs
    // out.
    bool Build(QImage image, int lowestLevel);
    void Clear() { m_levels.clear(); }
    bool IsEmpty() const { return m_levels.empty(); }

    int LevelCount() const { return int(m_levels.size()); }
    const QImage& Level(int k) const { return m_levels[size_t(k)]; }
    // The photograph's size in pixels (level 0); 0 when empty.
    int Width() const { return m_levels.empty() ? 0 : m_levels.front().width(); }
    int Height() const { return m_levels.empty() ? 0 : m_levels.front().height(); }

    // The image at half size, each pixel the rounded mean of a 2 x 2 block; on an odd
    // edge the block is cut short and the pixels that exist are averaged. The source
    // must be RGB32, ARGB32 or premultiplied ARGB32.
    static QImage Halve(const QImage& source);

  private:
    std::vector<QImage> m_levels;
};
