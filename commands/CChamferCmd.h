// The chamfer tool: the first press picks a track, the second another track; the two
// are joined by a straight bevel between the points at the remembered distances from
// their crossing point on the picked sides. With trim set, both tracks are cut back to
// the bevel (the two tracks leave the board in one undo step and the pieces and the
// bevel come in another); without it only the bevel is added. Tab sets the parameters.
#pragma once

#include "CTrackCornerCmd.h"
#include "CommandKinds.h"

class CChamferCmd : public CTrackCornerCmd
{
  public:
    explicit CChamferCmd(CCommand* owner);
    ~CChamferCmd() override;

    int GetCommandType() override { return CommandKind::Chamfer; }

    static constexpr const char* kBeyondEnd =
        "Chamfer: the chamfer point lies beyond the end of the track";

  protected:
    void EditParameters() override;
    void Join(CLine* first, CLine* second, const Corner& corner) override;
};
