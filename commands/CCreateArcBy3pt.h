// The arc tool through three points: start, a point on the arc, end. After the first
// press a chord follows the pointer, after the second an arc through the pointer; the
// third press puts the arc through the three points on the board and starts over.
// Points on one line, or two that coincide, define no arc: nothing is placed then.
// The arc in hand keeps the width and layer of the object in hand before it, so what
// Tab sets on the chord is carried into the arc. A right press ends the tool.
#pragma once

#include "CCommand.h"
#include "CommandKinds.h"

#include <memory>

class CCreateArcBy3pt : public CCommand
{
  public:
    explicit CCreateArcBy3pt(CCommand* owner);
    ~CCreateArcBy3pt() override;

    int GetCommandType() override { return CommandKind::ArcBy3Points; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;
    int OnMouseMove(UINT nFlags, const Position& pt) override;
    int OnRButtonDown(UINT nFlags, const Position& pt) override;
    int OnLButtonUp(UINT nFlags, const Position& pt) override;

    Position p1;
    Position p2;
    Position p3;

  private:
    // Takes `band` in hand with the width and layer of the object in hand.
    void TakeBand(std::unique_ptr<CEntity> band);
    // The arc through p1, p2, p3 onto the board when they define one; a fresh arc in hand.
    void Commit();
};
