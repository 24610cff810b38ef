// The arc tool by centre: the first press fixes the centre, the second the start
// direction and the radius, the third the end direction and puts the arc on the board.
// While the radius is chosen the arc in hand is a full circle through the pointer, with
// a guide line from the centre. An arc of radius 0 (second press on the centre) puts
// nothing on the board. A right press ends the tool.
#pragma once

#include "CCommand.h"
#include "CommandKinds.h"

class CArc;

class CCreateArc : public CCommand
{
  public:
    explicit CCreateArc(CCommand* owner);
    ~CCreateArc() override;

    int GetCommandType() override { return CommandKind::ArcByCentre; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;
    int OnMouseMove(UINT nFlags, const Position& pt) override;
    int OnRButtonDown(UINT nFlags, const Position& pt) override;
    int OnLButtonUp(UINT nFlags, const Position& pt) override;

    Position centre;

  private:
    CArc* Arc() const;
    // The arc in hand onto the board (unless its radius is 0); a fresh arc in hand.
    void Commit();
};
