#include "ShapeMasks.h"

#include "FigureCache.h"

#include <algorithm>
#include <cstddef>

ShapeMasks& ShapeMasks::ForThisThread()
{
    thread_local ShapeMasks masks;
    return masks;
}

ShapeMasks::ShapeMasks()
    : m_scratch(kLargestBox + 2 * kMargin + 1, kLargestBox + 2 * kMargin + 1,
                QImage::Format_ARGB32_Premultiplied)
{
    m_scratch.fill(Qt::transparent);
    m_bits = m_scratch.bits();
    m_painter = std::make_unique<QPainter>(&m_scratch);
}

ShapeMasks::~ShapeMasks() = default;

void ShapeMasks::MakeRoom()
{
    const unsigned now = FigureCache::Generation();
    if (now != m_generation || m_masks.size() >= kMostMasks) {
        m_masks.clear();
        m_generation = now;
    }
}

const ShapeMasks::Mask* ShapeMasks::Find(std::uint64_t key) const
{
    const auto found = m_masks.find(key);
    return found == m_masks.end() ? nullptr : &found->second;
}

const ShapeMasks::Mask& ShapeMasks::Keep(std::uint64_t key, Mask mask)
{
    return m_masks.insert_or_assign(key, std::move(mask)).first->second;
}

std::vector<ShapeMasks::Run> ShapeMasks::Lit(QSize size, QRgb color)
{
    std::vector<Run> runs;
    const int width = std::min(size.width(), m_scratch.width());
    const int height = std::min(size.height(), m_scratch.height());
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(m_bits + std::ptrdiff_t(y) * m_scratch.bytesPerLine());
        for (int x = 0; x < width;) {
            if (row[x] != color) {
                ++x;
                continue;
            }
            const int from = x;
            while (x < width && row[x] == color)
                row[x++] = 0;
            runs.push_back(Run{std::int16_t(y - kMargin), std::int16_t(from - kMargin),
                               std::int16_t(x - from)});
        }
    }
    return runs;
}
