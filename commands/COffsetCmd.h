// The offset tool: the first press picks a track or an arc, the second adds a parallel
// (for an arc concentric) copy at the remembered distance on the side of the press, as
// one undo step, and the tool waits for the next pick. Tab sets the distance.
#pragma once

#include "CPickCommand.h"
#include "CommandKinds.h"

class COffsetCmd : public CPickCommand
{
  public:
    explicit COffsetCmd(CCommand* owner);
    ~COffsetCmd() override;

    int GetCommandType() override { return CommandKind::Offset; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;

  protected:
    void EditParameters() override;
};
