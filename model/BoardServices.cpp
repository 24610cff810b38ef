#include "BoardServices.h"

#include "Constants.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

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
    // Dividing by a power of two is multiplying by its inverse, exactly; zooms by
    // halves and doubles keep the scale one, and a product is quicker than a quotient.
    int exponent = 0;
    if (std::frexp(scaleX, &exponent) == 0.5 && std::frexp(scaleY, &exponent) == 0.5) {
        const double inverseX = 1.0 / scaleX;
        const double inverseY = 1.0 / scaleY;
        for (std::size_t i = 0; i < count; ++i)
            out[i] = Point{origin.x + ToPixels((points[i].x - offset.x) * inverseX) - scroll.x,
                           origin.y - ToPixels((points[i].y - offset.y) * inverseY) - scroll.y};
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const Point s = TransformToScreen(points[i], offset, origin, scaleX, scaleY);
        out[i] = Point{s.x - scroll.x, s.y - scroll.y};
    }
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
