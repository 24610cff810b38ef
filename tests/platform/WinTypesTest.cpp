#include "platform/WinTypes.h"

#include <gtest/gtest.h>

TEST(WinTypesTest, ColourBytesAreRedGreenBlueFromTheLowByteUp)
{
    EXPECT_EQ(MakeRGB(255, 0, 0), 0x0000FFu);
    EXPECT_EQ(MakeRGB(0, 0, 255), 0xFF0000u);
    const COLORREF c = MakeRGB(0x12, 0x34, 0x56);
    EXPECT_EQ(c, 0x563412u);
    EXPECT_EQ(GetRValue(c), 0x12);
    EXPECT_EQ(GetGValue(c), 0x34);
    EXPECT_EQ(GetBValue(c), 0x56);
    // Each component keeps to its own byte.
    EXPECT_EQ(MakeRGB(0x1FF, 0, 0), 0x0000FFu);
    EXPECT_EQ(GetRValue(0xFF000080u), 0x80);
}

TEST(WinTypesTest, NormalizeOrdersTheCorners)
{
    Rect r{10, 20, 0, 5};
    r.Normalize();
    EXPECT_EQ(r, (Rect{0, 5, 10, 20}));
    r.Normalize();
    EXPECT_EQ(r, (Rect{0, 5, 10, 20}));
}

TEST(WinTypesTest, IntersectsNeedsAtLeastOneSharedPixel)
{
    const Rect a{0, 0, 10, 10};
    EXPECT_TRUE(a.Intersects(Rect{9, 9, 20, 20}));
    EXPECT_TRUE(a.Intersects(Rect{2, 2, 3, 3})); // inside
    EXPECT_TRUE((Rect{2, 2, 3, 3}.Intersects(a)));
    EXPECT_TRUE(a.Intersects(Rect{-5, 4, 15, 6})); // crossing, no corner inside

    // Right and bottom are exclusive: touching edges share no pixel.
    EXPECT_FALSE(a.Intersects(Rect{10, 0, 20, 10}));
    EXPECT_FALSE(a.Intersects(Rect{0, 10, 10, 20}));
    EXPECT_FALSE((Rect{10, 0, 20, 10}.Intersects(a)));
    EXPECT_FALSE(a.Intersects(Rect{10, 10, 20, 20}));

    // Empty rectangles meet nothing, even inside another.
    EXPECT_FALSE(a.Intersects(Rect{5, 2, 5, 8}));
    EXPECT_FALSE(a.Intersects(Rect{2, 5, 8, 5}));
    EXPECT_FALSE((Rect{5, 5, 5, 5}.Intersects(Rect{5, 5, 5, 5})));
    // Corners the wrong way round are empty until normalised.
    Rect flipped{8, 8, 2, 2};
    EXPECT_FALSE(a.Intersects(flipped));
    flipped.Normalize();
    EXPECT_TRUE(a.Intersects(flipped));
}
