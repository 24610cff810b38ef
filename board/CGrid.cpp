#include "CGrid.h"

#include "model/BoardServices.h"
#include "platform/DrawContext.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

constexpr int kGrid1Key = 36;
constexpr int kGrid2Key = 37;

bool UsableStep(double step)
{
    return std::isfinite(step) && step > 0.0;
}

// The grid coordinate of multiple k of the step. Snapping and drawing both go through
// here, so a snapped point and the dot or line drawn for it are the same number.
double GridCoordinate(double k, double step)
{
    return k * step + 0.0; // + 0.0 turns -0 into 0
}

double NearestMultiple(double v, double step)
{
    if (!std::isfinite(v))
        return v;
    return GridCoordinate(std::round(v / step), step);
}

// The pixel coordinates of the multiples k * every of the step that fall within
// [lo, hi) on one axis; `toPixel` converts a board coordinate.
template <class ToPixel>
std::vector<int> AxisPixels(double boardA, double boardB, double step, int every, int lo, int hi,
                            ToPixel toPixel)
{
    std::vector<int> pixels;
    const double unit = step * every;
    const double first = std::ceil(std::min(boardA, boardB) / unit);
    const double last = std::floor(std::max(boardA, boardB) / unit);
    // The spacing check before the call keeps this to a few hundred at most; the bound
    // guards against a transform that reports something absurd.
    if (!(last >= first) || last - first > 100000.0)
        return pixels;
    // One multiple beyond each end: the board range of the clip is rounded to pixels.
    for (double k = first - 1.0; k <= last + 1.0; k += 1.0) {
        const int p = toPixel(GridCoordinate(k * every, step));
        if (p >= lo && p < hi)
            pixels.push_back(p);
    }
    return pixels;
}

} // namespace

CGrid::CGrid()
{
    SetDefault();
}

void CGrid::SetDefault()
{
    m_option = 0;
    m_step = kDefaultStep;
}

void CGrid::SetStep(const double& mils)
{
    m_step = mils;
}

Position CGrid::SnapBoard(const Position& p) const
{
    if (!UsableStep(m_step))
        return p;
    return Position(NearestMultiple(p.x, m_step), NearestMultiple(p.y, m_step));
}

Point CGrid::Snap(Point scrolledViewPixel) const
{
    const BoardServices& board = BoardServices::Current();
    return board.BoardToScreen(SnapBoard(board.ScreenToBoard(scrolledViewPixel)));
}

void CGrid::Draw(DrawContext* dc, Rect clip, const int* photoWidth, const int* photoHeight) const
{
    if (!dc || !m_option || !UsableStep(m_step))
        return;
    const BoardServices& board = BoardServices::Current();
    const Point scroll = board.GetViewScrollPosition();

    // The area to draw in, in client pixels.
    Rect area = clip;
    if (photoWidth) {
        area.left = std::max(area.left, -scroll.x);
        area.right = std::min(area.right, *photoWidth - scroll.x);
    }
    if (photoHeight) {
        area.top = std::max(area.top, -scroll.y);
        area.bottom = std::min(area.bottom, *photoHeight - scroll.y);
    }
    if (area.IsEmpty())
        return;

    // Mils per pixel on each axis, and the board range of the area.
    const Position origin = board.ScreenToBoard(Point{0, 0});
    const double milsPerPixelX = std::fabs(board.ScreenToBoard(Point{1, 0}).x - origin.x);
    const double milsPerPixelY = std::fabs(board.ScreenToBoard(Point{0, 1}).y - origin.y);
    if (!(milsPerPixelX > 0.0) || !(milsPerPixelY > 0.0))
        return;
    const double spacingX = m_step / milsPerPixelX;
    const double spacingY = m_step / milsPerPixelY;
    const Position cornerA = board.ScreenToBoard(Point{area.left + scroll.x, area.top + scroll.y});
    const Position cornerB =
        board.ScreenToBoard(Point{area.right + scroll.x, area.bottom + scroll.y});

    auto columnPixel = [&](double x) { return board.BoardToScreen(Position(x, 0.0)).x - scroll.x; };
    auto rowPixel = [&](double y) { return board.BoardToScreen(Position(0.0, y)).y - scroll.y; };

    // Grid 2: lines through every tenth grid point.
    if (spacingX * kMajorEvery >= kMinPixelSpacing && spacingY * kMajorEvery >= kMinPixelSpacing) {
        const std::vector<int> columns = AxisPixels(cornerA.x, cornerB.x, m_step, kMajorEvery,
                                                    area.left, area.right, columnPixel);
        const std::vector<int> rows =
            AxisPixels(cornerA.y, cornerB.y, m_step, kMajorEvery, area.top, area.bottom, rowPixel);
        if (!columns.empty() || !rows.empty()) {
            dc->SaveState();
            dc->SetPen(PenSpec{PenStyle::Solid, 1, board.GetLayerColor(kGrid2Key)});
            for (int x : columns) {
                dc->MoveTo(Point{x, area.top});
                dc->LineTo(Point{x, area.bottom - 1});
            }
            for (int y : rows) {
                dc->MoveTo(Point{area.left, y});
                dc->LineTo(Point{area.right - 1, y});
            }
            dc->RestoreState();
        }
    }

    // Grid 1: a dot at every grid point.
    if (spacingX >= kMinPixelSpacing && spacingY >= kMinPixelSpacing) {
        const std::vector<int> columns =
            AxisPixels(cornerA.x, cornerB.x, m_step, 1, area.left, area.right, columnPixel);
        const std::vector<int> rows =
            AxisPixels(cornerA.y, cornerB.y, m_step, 1, area.top, area.bottom, rowPixel);
        const COLORREF color = board.GetLayerColor(kGrid1Key);
        for (int y : rows)
            for (int x : columns)
                dc->FillRect(Rect{x, y, x + 1, y + 1}, color);
    }
}
