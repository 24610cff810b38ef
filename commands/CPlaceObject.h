// What the tools that place one object per press have in common (pads, vias, strings):
// the object in hand follows the pointer, and a press puts a copy of it on the board
// (one undo step) and takes a new object in hand at the press point. Tab, Space, 'X'
// and 'Y' act on the object in hand before it is placed. A right press ends the tool.
#pragma once

#include "CCommand.h"

#include <memory>

class CPlaceObject : public CCommand
{
  public:
    ~CPlaceObject() override;

    int OnMouseMove(UINT nFlags, const Position& pt) override;
    int OnRButtonDown(UINT nFlags, const Position& pt) override;
    int OnLButtonUp(UINT nFlags, const Position& pt) override;

  protected:
    // `positionFlag` is what the object's SetPosition is given while it follows.
    CPlaceObject(CCommand* owner, int positionFlag);

    // Takes `object` in hand, where it stands, and shows it.
    void Take(std::unique_ptr<CEntity> object);
    // Puts a copy of the object in hand on the board.
    void PlaceCopy();

  private:
    int m_positionFlag;
};
