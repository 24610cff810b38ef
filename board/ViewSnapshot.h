// The board services of the board state as they stand at one moment: the view
// transform, the scroll position, the layer colours and the stroke font, copied so that
// drawing threads see one view however the board state changes meanwhile (the library
// browser's preview swaps the transform while it paints). It repaints, notifies and
// releases nothing. The font is shared, not copied: the board state must outlive this.
#pragma once

#include "LayerTable.h"
#include "model/BoardServices.h"

class CInfomation;

class ViewSnapshot final : public SimpleBoardServices
{
  public:
    explicit ViewSnapshot(const CInfomation& board);

    COLORREF GetLayerColor(int key) const override { return m_colours.GetColor(key); }
    // The transform worked inline, without a call per point.
    void BoardToClient(const Position* points, Point* out, std::size_t count) const override
    {
        TransformToClient(points, out, count, viewOffset, originPixel, scaleX, scaleY, scroll);
    }

  private:
    LayerTable m_colours;
};
