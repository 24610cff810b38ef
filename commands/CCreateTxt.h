// The string tool: the text dialog opens at once for the text to place (cancelled, the
// tool ends); the text then follows the pointer and each press places a copy of it.
// A press while the text in hand is empty places nothing and opens the dialog again.
#pragma once

#include "CPlaceObject.h"
#include "CommandKinds.h"

class CCreateTxt : public CPlaceObject
{
  public:
    explicit CCreateTxt(CCommand* owner);
    ~CCreateTxt() override;

    int GetCommandType() override { return CommandKind::String; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;

  private:
    // The text dialog on the text in hand; true when confirmed.
    bool AskText();
    bool TextIsEmpty() const;
};
