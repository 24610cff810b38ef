#include "platform/WinTypes.h"

#include <gtest/gtest.h>

TEST(WinTypesTest, ColourBytesAreRedGreenBlueFromTheLowByteUp)
{
    const COLORREF c = MakeRGB(0x12, 0x34, 0x56);
    EXPECT_EQ(c, 0x563412u);
    EXPECT_EQ((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c), 0x123456);
    // Each component keeps to its own byte.
    EXPECT_EQ(MakeRGB(0x1FF, 0, 0), 0x0000FFu);
    EXPECT_EQ(GetRValue(0xFF000080u), 0x80);
}

TEST(WinTypesTest, RectanglesShareAPixelWhenNotJustTouchingAndHoldWhatLiesWithinTheirEdges)
{
    Rect r{10, 20, 0, 5};
    r.Normalize();
    EXPECT_EQ(r, (Rect{0, 5, 10, 20}));

    const Rect a{0, 0, 10, 10};
    for (const Rect& meets : {Rect{9, 9, 20, 20}, Rect{2, 2, 3, 3}, Rect{-5, 4, 15, 6}}) {
        EXPECT_TRUE(a.Intersects(meets));
        EXPECT_TRUE(meets.Intersects(a));
    }
    // Right and bottom are exclusive; empty or flipped rectangles meet nothing.
    for (const Rect& misses : {Rect{10, 0, 20, 10}, Rect{0, 10, 10, 20}, Rect{10, 10, 20, 20},
                               Rect{5, 2, 5, 8}, Rect{2, 5, 8, 5}, Rect{8, 8, 2, 2}}) {
        EXPECT_FALSE(a.Intersects(misses));
        EXPECT_FALSE(misses.Intersects(a));
    }
    // Within, edges included; one pixel out on any side is not.
    EXPECT_TRUE(a.Contains(a));
    EXPECT_TRUE(a.Contains(Rect{2, 2, 3, 3}));
    for (const Rect& out :
         {Rect{-1, 0, 5, 5}, Rect{0, -1, 5, 5}, Rect{5, 5, 11, 10}, Rect{5, 5, 10, 11}})
        EXPECT_FALSE(a.Contains(out));
}
