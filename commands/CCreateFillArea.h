// The area fill tool: the first press fixes one corner, the fill stretches to the
// pointer, and the second press fixes the opposite corner and puts the fill on the
// board (also when both corners are the same point). A right press ends the tool.
#pragma once

#include "CCommand.h"
#include "CommandKinds.h"

class CFillArea;

class CCreateFillArea : public CCommand
{
  public:
    explicit CCreateFillArea(CCommand* owner);
    ~CCreateFillArea() override;

    int GetCommandType() override { return CommandKind::Fill; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;
    int OnMouseMove(UINT nFlags, const Position& pt) override;
    int OnRButtonDown(UINT nFlags, const Position& pt) override;
    int OnLButtonUp(UINT nFlags, const Position& pt) override;

    Position corner1;
    Position corner2;

  private:
    CFillArea* Fill() const;
};
