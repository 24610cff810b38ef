// The snap grid: its step in mils and whether it is shown. Grid points are the board
// points whose coordinates are whole multiples of the step, counted from board (0, 0).
//
// Drawing (client pixels, only inside the clip rectangle and the photo's area):
// - grid 1, colour key 36: a one-pixel dot at every grid point, drawn only while
//   neighbouring points are at least kMinPixelSpacing pixels apart;
// - grid 2, colour key 37: a one-pixel line through every tenth grid point on each
//   axis (coordinates that are multiples of ten steps), drawn only while these lines are
//   at least kMinPixelSpacing pixels apart.
// Both are drawn while the option is non-zero and neither otherwise. Dots and lines are
// placed by converting the grid's board coordinates exactly as Snap converts a snapped
// point, so a snapped point always lies on a drawn dot or line.
#pragma once

#include "model/Geometry.h"
#include "platform/WinTypes.h"

class DrawContext;

class CGrid
{
  public:
    static constexpr double kDefaultStep = 20.0;
    // Grid lines or dots closer than this many pixels are not drawn.
    static constexpr double kMinPixelSpacing = 4.0;
    // Grid 2 marks every this many steps.
    static constexpr int kMajorEvery = 10;

    CGrid();
    virtual ~CGrid() = default;

    // Option 0, step 20 mils.
    void SetDefault();
    void SetStep(const double& mils);
    double GetStep() const { return m_step; }
    void SetOption(const int& shown) { m_option = shown; }
    int GetOption() const { return m_option; }

    // Draws the grid into the clip rectangle (client pixels), limited to the photo's
    // area (scrolled-view pixels 0..width, 0..height); a null width or height leaves
    // that axis unlimited.
    void Draw(DrawContext* dc, Rect clip, const int* photoWidth, const int* photoHeight) const;
    // The grid point nearest to a scrolled-view pixel, as a scrolled-view pixel.
    Point Snap(Point scrolledViewPixel) const;
    // Each coordinate brought to the nearest multiple of the step (halves away from
    // zero). A step that is not a positive number leaves the point as it is.
    Position SnapBoard(const Position& p) const;

  private:
    int m_option = 0;
    double m_step = kDefaultStep;
};
