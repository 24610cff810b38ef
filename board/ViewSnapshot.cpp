#include "ViewSnapshot.h"

#include "CInfomation.h"

ViewSnapshot::ViewSnapshot(const CInfomation& board) : m_colours(board.GetLayerTable())
{
    scaleX = board.GetScaleX();
    scaleY = board.GetScaleY();
    viewOffset = board.GetViewOffset();
    int origin[2] = {0, 0};
    board.GetScreenOrigin(origin);
    originPixel = Point{origin[0], origin[1]};
    scroll = board.GetViewScrollPosition();
    strokeFont = board.GetStrokeFont();
}
