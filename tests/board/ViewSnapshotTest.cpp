// A copy of the view answers every question of the drawing exactly as the board state
// did when it was taken, and keeps doing so after the board state's view changes.
#include "board/ViewSnapshot.h"

#include "board/CInfomation.h"
#include "model/LayerId.h"
#include "support/BoardFixture.h"

#include <gtest/gtest.h>

#include <iterator>

namespace
{

using ViewSnapshotTest = BoardTest;

TEST_F(ViewSnapshotTest, AnswersAsTheBoardStateDidWhenItWasTaken)
{
    const struct {
        double scaleX, scaleY;
        Position offset;
        int origin[2];
        Point scroll;
    } views[] = {{1.0, 1.0, Position(), {0, 0}, Point{0, 0}},
                 {8.0, 8.0, Position(-1250.5, 300.25), {17, 940}, Point{120, -40}},
                 {0.37, 0.41, Position(12.2, -7.7), {-3, 5}, Point{-7, 9}},
                 {0.25, 8.0, Position(), {0, 0}, Point{3, 3}}};
    board().GetLayerTable().entries[LAYER_TOP].color = MakeRGB(1, 2, 3);
    board().GetLayerTable().entries.erase(LAYER_BOTTOM);
    for (const auto& v : views) {
        board().SetScaleX(v.scaleX);
        board().SetScaleY(v.scaleY);
        board().SetViewOffset(v.offset);
        board().SetScreenOrigin(v.origin);
        view.scroll = v.scroll;
        const ViewSnapshot copy(board());
        // Among them halves of a pixel either way, which round away from zero.
        const Position points[] = {Position(0, 0),         Position(-3.3, 1e4),
                                   Position(777.7, -12.5), Position(20.0, -20.0),
                                   Position(-0.125, 4.0),  Position(-1e12, 1e12)};
        Point clientPoints[std::size(points)];
        copy.BoardToClient(points, clientPoints, std::size(points));
        for (std::size_t i = 0; i < std::size(points); ++i) {
            const Position& p = points[i];
            EXPECT_EQ(copy.BoardToScreen(p), board().BoardToScreen(p));
            const Point pt = board().BoardToScreen(p);
            EXPECT_EQ(copy.ScreenToBoard(pt), board().ScreenToBoard(pt));
            EXPECT_EQ(clientPoints[i], (Point{pt.x - v.scroll.x, pt.y - v.scroll.y}));
        }
        for (double length : {0.0, 7.5, 1234.0})
            EXPECT_EQ(copy.BoardToPixels(length), board().BoardToPixels(length));
        EXPECT_EQ(copy.PixelsToBoard(33), board().PixelsToBoard(33));
        EXPECT_EQ(copy.GetViewScrollPosition(), v.scroll);
        EXPECT_EQ(copy.GetStrokeFont(), board().GetStrokeFont());
        for (int key : {int(LAYER_TOP), int(LAYER_BOTTOM), 39})
            EXPECT_EQ(copy.GetLayerColor(key), board().GetLayerColor(key));
        // Later changes of the board state's view leave the copy as it was.
        const Point before = copy.BoardToScreen(Position(10, 10));
        board().SetScaleX(v.scaleX * 2.0);
        view.scroll = Point{999, 999};
        EXPECT_EQ(copy.BoardToScreen(Position(10, 10)), before);
        EXPECT_EQ(copy.GetViewScrollPosition(), v.scroll);
    }
}

} // namespace
