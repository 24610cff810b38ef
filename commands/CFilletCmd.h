// The fillet tool: the first press picks a track, the second another track; the two
// are joined by an arc of the remembered radius tangent to both on the picked sides.
// The two tracks leave the board in one undo step, and their copies (with trim set,
// cut back to the tangent points) and the arc come in another. Tab sets the
// parameters.
#pragma once

#include "CTrackCornerCmd.h"
#include "CommandKinds.h"

class CFilletCmd : public CTrackCornerCmd
{
  public:
    explicit CFilletCmd(CCommand* owner);
    ~CFilletCmd() override;

    int GetCommandType() override { return CommandKind::Fillet; }

    static constexpr const char* kBeyondEnd =
        "Fillet: the tangent point lies beyond the end of the track";

  protected:
    void EditParameters() override;
    void Join(CLine* first, CLine* second, const Corner& corner) override;
};
