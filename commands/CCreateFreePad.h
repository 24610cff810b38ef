// The pad tool: each press places a copy of the pad in hand, which follows the pointer,
// and takes the next pad (the next number) in hand; a pad turned with Space keeps its
// turn for the pads after it. The number of the pad still in hand when the tool ends,
// however it ends, is given back once, so the next pad placed takes it.
#pragma once

#include "CPlaceObject.h"
#include "CommandKinds.h"

class CCreateFreePad : public CPlaceObject
{
  public:
    explicit CCreateFreePad(CCommand* owner);
    ~CCreateFreePad() override;

    int GetCommandType() override { return CommandKind::Pad; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;
    void OnEndCommand(EndReason why) override;

  private:
    bool m_numberGivenBack = false;
};
