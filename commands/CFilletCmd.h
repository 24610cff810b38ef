// The fillet tool: the first press picks a track, the second another track; the two
// are joined by an arc of the remembered radius tangent to both on the picked sides.
// The two tracks leave the board in one undo step, and their copies (with trim set,
// cut back to the tangent points) and the arc come in another. Tab sets the
// parameters.
#pragma once

#include "CPickCommand.h"
#include "CommandKinds.h"

class CFilletCmd : public CPickCommand
{
  public:
    explicit CFilletCmd(CCommand* owner);
    ~CFilletCmd() override;

    int GetCommandType() override { return CommandKind::Fillet; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;

    static constexpr const char* kBeyondEnd =
        "Fillet: the tangent point lies beyond the end of the track";

  protected:
    void EditParameters() override;

  private:
    // Joins the picked track to `second`, picked at `pt`.
    void Join(CLine* second, const Position& pt);
};
