// The origin tool, in two modes reported as its kind: the origin mode makes the
// clicked point the board's origin; the pin-one mode picks the reference point (pin 1)
// of the component waiting to be stored in one of the user's libraries. One press does
// the work and ends the tool; a right press, Esc or another tool ends it without one,
// which in the pin-one mode discards the waiting component.
#pragma once

#include "CCommand.h"

class CSetOriginPos : public CCommand
{
  public:
    // `kind` is CommandKind::SetOrigin or CommandKind::PinOne.
    CSetOriginPos(CCommand* owner, int kind);
    ~CSetOriginPos() override;

    int OnLButtonDblClk(UINT nFlags, const Position& pt) override;
    int GetCommandType() override { return mode; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;
    int OnRButtonDown(UINT nFlags, const Position& pt) override;
    int OnLButtonUp(UINT nFlags, const Position& pt) override;

    int mode;
};
