#include "ShapeMasks.h"

#include "FigureCache.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace
{

// The masks shared between threads, in shards found by their key, each with a lock.
struct SharedMask {
    std::vector<ShapeMasks::Run> fill;
    std::vector<ShapeMasks::Run> outline;
    std::vector<int> shape;
};
struct alignas(64) Shard {
    std::mutex lock;
    unsigned generation = 0;
    std::unordered_map<std::uint64_t, SharedMask> masks;
};
// Enough that threads drawing bands of one picture, all lacking masks at its start, seldom
// wait for each other; together they hold twice as many masks as a thread does.
constexpr std::size_t kShards = 256;
constexpr std::size_t kMostPerShard = 2 * ShapeMasks::kMostMasks / kShards;
std::array<Shard, kShards>& Shards()
{
    static std::array<Shard, kShards> shards;
    return shards;
}
// Under the shard's lock: its masks, emptied when stale or too many.
std::unordered_map<std::uint64_t, SharedMask>& MasksOf(Shard& shard)
{
    const unsigned now = FigureCache::Generation();
    if (shard.generation != now || shard.masks.size() >= kMostPerShard) {
        shard.masks.clear();
        shard.generation = now;
    }
    return shard.masks;
}
Shard& ShardOf(std::uint64_t key)
{
    return Shards()[std::size_t((key * 0xD6E8FEB86659FD93ull) >> 56) & (kShards - 1)];
}

} // namespace

ShapeMasks& ShapeMasks::ForThisThread()
{
    thread_local ShapeMasks masks;
    return masks;
}

ShapeMasks::ShapeMasks()
    : m_keys(kSlots, kNoKey), m_slots(kSlots),
      m_scratch(kLargestBox + 2 * kMargin + 1, kLargestBox + 2 * kMargin + 1,
                QImage::Format_ARGB32_Premultiplied)
{
    static_assert((kSlots & (kSlots - 1)) == 0 && kSlots <= (std::size_t(1) << 16));
    m_masks.reserve(kSlots);
    m_scratch.fill(Qt::transparent);
    m_bits = m_scratch.bits();
    m_painter = std::make_unique<QPainter>(&m_scratch);
}

ShapeMasks::~ShapeMasks() = default;

void ShapeMasks::MakeRoom()
{
    const unsigned now = FigureCache::Generation();
    if (now != m_generation || m_masks.size() >= kMostMasks) {
        Empty();
        m_generation = now;
    }
}

void ShapeMasks::Empty()
{
    if (!m_masks.empty())
        std::fill(m_keys.begin(), m_keys.end(), kNoKey);
    m_masks.clear();
    m_block = 0;
    m_used = 0;
    m_shapeBlock = 0;
    m_shapeUsed = 0;
}

std::span<const int> ShapeMasks::KeepShape(std::span<const int> shape)
{
    if (shape.size() > kBlockInts)
        return {};
    if (m_shapeUsed + shape.size() > kBlockInts) {
        ++m_shapeBlock;
        m_shapeUsed = 0;
    }
    if (m_shapeBlock == m_shapeBlocks.size())
        m_shapeBlocks.push_back(std::make_unique<int[]>(kBlockInts));
    int* const first = m_shapeBlocks[m_shapeBlock].get() + m_shapeUsed;
    std::copy(shape.begin(), shape.end(), first);
    m_shapeUsed += shape.size();
    return {first, shape.size()};
}

const ShapeMasks::Mask* ShapeMasks::Find(std::uint64_t key)
{
    if (const Mask* here = FindHere(key))
        return here;
    Shard& shard = ShardOf(key);
    const std::lock_guard hold(shard.lock);
    auto& shared = MasksOf(shard);
    const auto found = shared.find(key);
    if (found == shared.end())
        return nullptr;
    const SharedMask& m = found->second;
    return &KeepHere(key, Mask{KeepRuns(m.fill), KeepRuns(m.outline), KeepShape(m.shape)});
}

const ShapeMasks::Mask& ShapeMasks::Keep(std::uint64_t key, Mask mask)
{
    {
        Shard& shard = ShardOf(key);
        const std::lock_guard hold(shard.lock);
        MasksOf(shard).try_emplace(key, SharedMask{{mask.fill.begin(), mask.fill.end()},
                                                   {mask.outline.begin(), mask.outline.end()},
                                                   {mask.shape.begin(), mask.shape.end()}});
    }
    return KeepHere(key, mask);
}

const ShapeMasks::Mask* ShapeMasks::FindHere(std::uint64_t key) const
{
    for (std::size_t slot = SlotOf(key);; slot = (slot + 1) & (kSlots - 1)) {
        if (m_keys[slot] == key)
            return &m_masks[m_slots[slot]];
        if (m_keys[slot] == kNoKey)
            return nullptr;
    }
}

const ShapeMasks::Mask& ShapeMasks::KeepHere(std::uint64_t key, Mask mask)
{
    // MakeRoom keeps the masks under kMostMasks before each shape, which keeps a few
    // masks at most: the table has free slots to end every search, and the masks never
    // move. Emptying here would drop masks still in use, and is only the last resort.
    if (m_masks.size() + 1 >= kSlots)
        Empty();
    std::size_t slot = SlotOf(key);
    while (m_keys[slot] != kNoKey && m_keys[slot] != key)
        slot = (slot + 1) & (kSlots - 1);
    if (m_keys[slot] == key) {
        m_masks[m_slots[slot]] = mask;
        return m_masks[m_slots[slot]];
    }
    m_keys[slot] = key;
    m_slots[slot] = std::uint32_t(m_masks.size());
    return m_masks.emplace_back(mask);
}

std::span<const ShapeMasks::Run> ShapeMasks::Lit(QSize size, QRgb color)
{
    const int width = std::min(size.width(), m_scratch.width());
    const int height = std::min(size.height(), m_scratch.height());
    // A row of a box holds at most half its width in runs, plus one.
    Run* const first = RoomForRuns(std::size_t(height) * std::size_t(width / 2 + 1));
    Run* out = first;
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
            *out++ = Run{std::int16_t(y - kMargin), std::int16_t(from - kMargin),
                         std::int16_t(x - from)};
        }
    }
    m_used += std::size_t(out - first);
    return {first, out};
}

ShapeMasks::Run* ShapeMasks::RoomForRuns(std::size_t count)
{
    if (m_used + count > kBlockRuns) {
        ++m_block;
        m_used = 0;
    }
    if (m_block == m_blocks.size())
        m_blocks.push_back(std::make_unique<Run[]>(kBlockRuns));
    return m_blocks[m_block].get() + m_used;
}

std::span<const ShapeMasks::Run> ShapeMasks::KeepRuns(std::span<const Run> runs)
{
    if (runs.empty())
        return {};
    Run* const first = RoomForRuns(runs.size());
    std::copy(runs.begin(), runs.end(), first);
    m_used += runs.size();
    return {first, runs.size()};
}
