#include "BoardServices.h"

#include "Constants.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{

SimpleBoardServices& DefaultServices()
{
    static SimpleBoardServices services;
    return services;
}

std::atomic<BoardServices*> theInstalled{nullptr};
thread_local BoardServices* theThreadsOwn = nullptr;

// A pixel count from a quotient, rounded half away from zero. Points far outside any
// view are held at a billion pixels so that the conversion to int stays defined.
// Written without branches (the same as RoundHalfAway of the clamped value), as every
// point of every object drawn comes through here.
int ToPixels(double v)
{
    constexpr double kLimit = 1.0e9;
    v = v == v ? v : 0.0; // not a number: none
    v = std::min(std::max(v, -kLimit), kLimit);
    return int(v + std::copysign(0.5, v));
}

// A normal number whose mantissa is one.
bool PowerOfTwo(double v)
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    const std::uint64_t exponent = (bits >> 52) & 0x7FF;
    return (bits & ((std::uint64_t(1) << 52) - 1)) == 0 && exponent != 0 && exponent != 0x7FF;
}

// Board points into client pixels: (p - offset) multiplied by `scale` when `Multiply`,
// divided by it otherwise, y counted downwards, rounded as ToPixels, plus `base`. The same
// integers either way: negating before rounding is negating after, as ToPixels is odd.
template <bool Multiply>
void ToClient(const Position* points, Point* out, std::size_t count, const Position& offset,
              double scaleX, double scaleY, Point base)
{
#if defined(__SSE2__)
    static_assert(sizeof(Point) == 2 * sizeof(int));
    // x in the low half, y in the high one.
    const __m128d from = _mm_set_pd(offset.y, offset.x);
    const __m128d scale = _mm_set_pd(-scaleY, scaleX);
    const __m128d most = _mm_set1_pd(1.0e9);
    const __m128d least = _mm_set1_pd(-1.0e9);
    const __m128d half = _mm_set1_pd(0.5);
    const __m128d sign = _mm_set1_pd(-0.0);
    const __m128i add = _mm_set_epi32(0, 0, base.y, base.x);
    for (std::size_t i = 0; i < count; ++i) {
        __m128d v = _mm_sub_pd(_mm_set_pd(points[i].y, points[i].x), from);
        v = Multiply ? _mm_mul_pd(v, scale) : _mm_div_pd(v, scale);
        v = _mm_and_pd(v, _mm_cmpord_pd(v, v)); // not a number: none
        v = _mm_min_pd(_mm_max_pd(v, least), most);
        v = _mm_add_pd(v, _mm_or_pd(_mm_and_pd(v, sign), half));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(&out[i]),
                         _mm_add_epi32(_mm_cvttpd_epi32(v), add));
    }
#else
    for (std::size_t i = 0; i < count; ++i) {
        const double x = points[i].x - offset.x;
        const double y = points[i].y - offset.y;
        out[i] = Multiply ? Point{base.x + ToPixels(x * scaleX), base.y - ToPixels(y * scaleY)}
                          : Point{base.x + ToPixels(x / scaleX), base.y - ToPixels(y / scaleY)};
    }
#endif
}

} // namespace

BoardServices& BoardServices::Current()
{
    if (theThreadsOwn)
        return *theThreadsOwn;
    BoardServices* installed = theInstalled.load(std::memory_order_acquire);
    return installed ? *installed : DefaultServices();
}

BoardServices* BoardServices::UseOnThisThread(BoardServices* services)
{
    return std::exchange(theThreadsOwn, services);
}

void BoardServices::Install(BoardServices* services)
{
    // Going back to the default also forgets what was asked of it before, so that
    // whoever relies on the default starts from the plain transform.
    if (!services)
        DefaultServices() = SimpleBoardServices();
    theInstalled.store(services, std::memory_order_release);
}

COLORREF SimpleBoardServices::GetLayerColor(int key) const
{
    auto it = layerColors.find(key);
    return it == layerColors.end() ? COLORREF(0) : it->second;
}

Point BoardServices::TransformToScreen(const Position& p, const Position& offset, Point origin,
                                       double scaleX, double scaleY)
{
    return Point{origin.x + ToPixels((p.x - offset.x) / scaleX),
                 origin.y - ToPixels((p.y - offset.y) / scaleY)};
}

void BoardServices::BoardToClient(const Position* points, Point* out, std::size_t count) const
{
    const Point scroll = GetViewScrollPosition();
    for (std::size_t i = 0; i < count; ++i) {
        const Point s = BoardToScreen(points[i]);
        out[i] = Point{s.x - scroll.x, s.y - scroll.y};
    }
}

void BoardServices::TransformToClient(const Position* points, Point* out, std::size_t count,
                                      const Position& offset, Point origin, double scaleX,
                                      double scaleY, Point scroll)
{
    const Point base{origin.x - scroll.x, origin.y - scroll.y};
    // Dividing by a power of two is multiplying by its inverse, exactly; zooms by
    // halves and doubles keep the scale one, and a product is quicker than a quotient.
    if (PowerOfTwo(scaleX) && PowerOfTwo(scaleY))
        ToClient<true>(points, out, count, offset, 1.0 / scaleX, 1.0 / scaleY, base);
    else
        ToClient<false>(points, out, count, offset, scaleX, scaleY, base);
}

Position BoardServices::TransformToBoard(Point pt, const Position& offset, Point origin,
                                         double scaleX, double scaleY)
{
    return Position((pt.x - origin.x) * scaleX + offset.x, (origin.y - pt.y) * scaleY + offset.y);
}

int BoardServices::TransformToPixels(double length, double scaleX, double scaleY)
{
    return ToPixels(length / std::max(scaleX, scaleY));
}

Point SimpleBoardServices::BoardToScreen(const Position& p) const
{
    return TransformToScreen(p, viewOffset, originPixel, scaleX, scaleY);
}

Position SimpleBoardServices::ScreenToBoard(Point pt) const
{
    return TransformToBoard(pt, viewOffset, originPixel, scaleX, scaleY);
}

int SimpleBoardServices::BoardToPixels(const double& length) const
{
    return TransformToPixels(length, scaleX, scaleY);
}

double SimpleBoardServices::PixelsToBoard(int n) const
{
    return n * scaleX;
}
