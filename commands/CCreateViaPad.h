// The via tool: each press places a copy of the via in hand, which follows the pointer,
// and takes the next via in hand.
#pragma once

#include "CPlaceObject.h"
#include "CommandKinds.h"

class CCreateViaPad : public CPlaceObject
{
  public:
    explicit CCreateViaPad(CCommand* owner);
    ~CCreateViaPad() override;

    int GetCommandType() override { return CommandKind::Via; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;
};
