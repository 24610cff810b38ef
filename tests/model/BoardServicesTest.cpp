// Board points become pixels rounded half away from zero, with points no number names
// at the origin and points far off held a billion pixels away, at any scale.
#include "model/BoardServices.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

// The transform the implementations share, reached from here.
struct Transform : BoardServices {
    using BoardServices::TransformToClient;
    using BoardServices::TransformToScreen;
};

TEST(BoardServicesTest, PointsBecomePixelsRoundedHalfAwayFromZeroAndHeldWithinABillion)
{
    const Point origin{10, 20};
    const Point scroll{2, 3};
    const double nan = std::nan("");
    // A scale of 8 is a power of two (the quick path), 3 is not.
    const struct {
        double scale;
        Position p;
        Point screen;
    } cases[] = {
        {8.0, Position(4.0, 12.0), {11, 18}},
        {8.0, Position(-4.0, -12.0), {9, 22}},
        {8.0, Position(3.99, -3.99), {10, 20}},
        {8.0, Position(nan, 1e300), {10, -999999980}},
        {8.0, Position(-1e300, nan), {-999999990, 20}},
        {3.0, Position(1.5, -7.5), {11, 23}},
        {3.0, Position(-7.5, 4.4), {7, 19}},
        {3.0, Position(1e300, -1e300), {1000000010, 1000000020}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scale << " " << c.p.x << " " << c.p.y);
        EXPECT_EQ(Transform::TransformToScreen(c.p, Position(), origin, c.scale, c.scale),
                  c.screen);
        Point client{};
        Transform::TransformToClient(&c.p, &client, 1, Position(), origin, c.scale, c.scale,
                                     scroll);
        EXPECT_EQ(client, (Point{c.screen.x - scroll.x, c.screen.y - scroll.y}));
    }
}

} // namespace
