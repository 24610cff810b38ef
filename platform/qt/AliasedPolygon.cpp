#include "AliasedPolygon.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace
{

using Fixed = std::int64_t; // 16.16 for the fill's crossings

// A side of the fill, from its first row to its last, crossing the first row's centre
// line at `x` and moving by `step` a row.
struct Edge {
    Fixed x;
    Fixed step;
    int top;
    int bottom;
};

constexpr std::size_t kMostCorners = 16;

// The sides' directions as the outline is stepped, and the half-pixel extensions of a
// side that turns straight back along the previous one.
enum Direction : int { kNone = 0, kDown = 1, kUp = 2, kVertical = 3, kRight = 4, kLeft = 8 };
enum Extension : int { kAtStart = 1, kAtEnd = 2 };

struct Pixel {
    int x = -1;
    int y = -1;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};

// (x << 16) / y in whole numbers, rounded towards zero.
int FixedDivide(int x, int y)
{
    return int((std::int64_t(x) * 65536) / y);
}

// A side in 26.6 fixed point, seen along its major axis (the one it advances further in;
// x when both are equal) from its lesser end: `along` pixels from `from` up to `to`, the
// minor coordinate at `across` (16.16) moving by `step` a pixel.
struct Steps {
    bool vertical = false;
    bool reversed = false; // drawn from the greater end
    int from = 0;
    int to = 0;
    int across = 0;
    int step = 0;
    int direction = kNone;

    // False for a side of no length.
    bool Make(Point a, Point b)
    {
        int a1 = a.x * 64, a2 = b.x * 64, c1 = a.y * 64, c2 = b.y * 64;
        vertical = std::abs(b.x - a.x) < std::abs(b.y - a.y);
        if (vertical) {
            std::swap(a1, c1);
            std::swap(a2, c2);
        }
        if (a1 == a2)
            return false;
        reversed = a1 > a2;
        if (reversed) {
            std::swap(a1, a2);
            std::swap(c1, c2);
        }
        direction = vertical ? (reversed ? kUp : kDown) : (reversed ? kLeft : kRight);
        step = FixedDivide(c2 - c1, a2 - a1);
        across = c1 * 1024;
        from = a1;
        to = a2;
        return true;
    }
    // The first pixel along the side at `along` (from its first whole pixel), the minor
    // coordinate there in `at`.
    void Start(int* along, int* end, int* at) const
    {
        *along = (from + 32) >> 6;
        *end = (to + 32) >> 6;
        const int round = step > 0 ? 32 : 0;
        *at = across + ((((*along) * 64 + round - from) * step) >> 6);
    }
    Pixel At(int along, int at) const
    {
        return vertical ? Pixel{at >> 16, along} : Pixel{along, at >> 16};
    }
    bool AxisAligned() const { return std::abs(step) < (1 << 14); }
};

// Steps along the sides of a closed outline one after another, keeping the last pixel of
// the side before and its direction.
class Outliner
{
  public:
    explicit Outliner(std::vector<AliasedPolygon::Span>* spans) : m_spans(spans) {}

    // Takes the last pixel and direction of the side that closes the outline, as if it
    // had been stepped before the first.
    void Before(Point a, Point b)
    {
        m_last = Pixel{};
        Steps s;
        if (!s.Make(a, b))
            return;
        int along = 0, end = 0, at = 0;
        s.Start(&along, &end, &at);
        if (along == end)
            return;
        m_last = s.reversed ? s.At(along, at) : s.At(end - 1, at + (end - along - 1) * s.step);
        m_direction = s.direction;
        m_axisAligned = s.AxisAligned();
    }

    void Side(Point a, Point b)
    {
        Steps s;
        if (!s.Make(a, b))
            return;
        // Turning straight back along the previous side, this one starts half a pixel
        // early.
        const int mask = s.vertical ? kVertical : kLeft | kRight;
        int extension = 0;
        if ((m_direction ^ mask) == s.direction)
            extension = s.reversed ? kAtEnd : kAtStart;
        if (extension & kAtStart) {
            s.from -= 32;
            s.across -= s.step >> 1;
        }
        if (extension & kAtEnd)
            s.to += 32;
        int along = 0, end = 0, at = 0;
        s.Start(&along, &end, &at);
        if (along == end)
            return;
        Pixel first = s.At(along, at);
        Pixel last = s.At(end - 1, at + (end - along - 1) * s.step);
        if (s.reversed)
            std::swap(first, last);
        const bool axisAligned = s.AxisAligned();
        if (m_last.x >= 0) {
            if (first == m_last) {
                // The previous side lit this pixel.
                if (s.reversed) {
                    --end;
                } else {
                    ++along;
                    at += s.step;
                }
            } else if (m_direction != s.direction &&
                       ((axisAligned && m_axisAligned && m_last.x != first.x &&
                         m_last.y != first.y) ||
                        std::abs(m_last.x - first.x) > 1 || std::abs(m_last.y - first.y) > 1)) {
                // A gap between the two sides: one more pixel closes it.
                if (s.reversed) {
                    ++end;
                } else {
                    --along;
                    at -= s.step;
                }
            }
        }
        m_direction = s.direction;
        m_axisAligned = axisAligned;
        // At least one pixel, even where the previous side took the only one.
        do {
            Light(s.At(along, at));
            at += s.step;
        } while (++along < end);
        m_last = last;
    }

  private:
    // Adds the pixel to the last span when it lies just after or before it on its row.
    void Light(Pixel p)
    {
        if (!m_spans->empty()) {
            AliasedPolygon::Span& last = m_spans->back();
            if (last.y == p.y && p.x == last.x + last.length) {
                ++last.length;
                return;
            }
            if (last.y == p.y && p.x == last.x - 1) {
                --last.x;
                ++last.length;
                return;
            }
        }
        m_spans->push_back({p.y, p.x, 1});
    }

    std::vector<AliasedPolygon::Span>* m_spans;
    Pixel m_last;
    int m_direction = kNone;
    bool m_axisAligned = false;
};

} // namespace

void AliasedPolygon::Fill(std::span<const Point> corners, std::vector<Span>* spans)
{
    const std::size_t n = corners.size();
    if (n < 3 || n > kMostCorners)
        return;
    Edge edges[kMostCorners];
    std::size_t count = 0;
    int top = INT_MAX;
    int bottom = INT_MIN;
    for (std::size_t i = 0; i < n; ++i) {
        Point a = corners[i];
        Point b = corners[(i + 1) % n];
        if (a.y == b.y)
            continue;
        if (a.y > b.y)
            std::swap(a, b);
        // Crossing each row's centre line, from half a pixel right of the corner.
        Edge e{Fixed(a.x) * 65536 + 32768, 0, a.y, b.y - 1};
        if (a.x != b.x) {
            e.step = Fixed(double(b.x - a.x) / double(b.y - a.y) * 65536.0);
            e.x += (e.step * 32768) >> 16;
        }
        edges[count++] = e;
        top = std::min(top, e.top);
        bottom = std::max(bottom, e.bottom);
    }
    if (count == 0)
        return;
    // Each side's crossings row by row, then each row's in order.
    thread_local std::vector<int> crossings;
    thread_local std::vector<unsigned char> counts;
    const std::size_t rows = std::size_t(bottom - top) + 1;
    crossings.resize(rows * count);
    counts.assign(rows, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const Edge& e = edges[i];
        Fixed x = e.x;
        for (int y = e.top; y <= e.bottom; ++y, x += e.step) {
            const std::size_t row = std::size_t(y - top);
            crossings[row * count + counts[row]++] = int(x >> 16);
        }
    }
    for (std::size_t row = 0; row < rows; ++row) {
        int* xs = &crossings[row * count];
        const std::size_t k = counts[row];
        for (std::size_t i = 1; i < k; ++i)
            for (std::size_t j = i; j > 0 && xs[j] < xs[j - 1]; --j)
                std::swap(xs[j], xs[j - 1]);
        for (std::size_t i = 0; i + 1 < k; i += 2)
            if (xs[i + 1] > xs[i])
                spans->push_back({top + int(row), xs[i], xs[i + 1] - xs[i]});
    }
}

void AliasedPolygon::Outline(std::span<const Point> corners, std::vector<Span>* spans)
{
    const std::size_t n = corners.size();
    if (n == 0)
        return;
    Outliner outline(spans);
    // An outline that comes back to its first corner by itself closes with the side
    // before that.
    const bool closedByItself = n > 2 && corners[n - 1] == corners[0];
    outline.Before(corners[closedByItself ? n - 2 : n - 1], corners[0]);
    for (std::size_t i = 0; i + 1 < n; ++i)
        outline.Side(corners[i], corners[i + 1]);
    outline.Side(corners[n - 1], corners[0]);
}
