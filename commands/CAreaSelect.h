// The area selection: the first press fixes one corner of a dashed frame that follows
// the pointer, the second press selects every live object on a shown layer that meets
// the frame and ends the tool. Without Shift the new objects replace the selection;
// with Shift they are added to it. A right press ends the tool and selects nothing.
#pragma once

#include "CCommand.h"
#include "CommandKinds.h"

#include <list>

class CFillArea;

class CAreaSelect : public CCommand
{
  public:
    explicit CAreaSelect(CCommand* owner);
    ~CAreaSelect() override;

    int OnRButtonDblClk(UINT nFlags, const Position& pt) override;
    // Keys do nothing to the frame.
    int OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    int OnLButtonDblClk(UINT nFlags, const Position& pt) override;
    int GetCommandType() override { return CommandKind::AreaSelect; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;
    int OnMouseMove(UINT nFlags, const Position& pt) override;
    int OnRButtonDown(UINT nFlags, const Position& pt) override;
    int OnLButtonUp(UINT nFlags, const Position& pt) override;

    // The objects the closed frame caught (board-owned); empty until then.
    const std::list<CEntity*>& Found() const { return m_found; }

  private:
    CFillArea& Frame() const;

    std::list<CEntity*> m_found;
};
