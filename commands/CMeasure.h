// The measuring tool: the first press fixes a point, a thin line follows the pointer,
// and the second press reports the horizontal, vertical and straight distances in the
// board's unit; then it starts over. Holding Ctrl while the pointer rests over objects
// jumps the pointer onto an object point, so that both ends can land exactly.
#pragma once

#include "CCommand.h"
#include "CommandKinds.h"

#include <string>

class CMeasure : public CCommand
{
  public:
    explicit CMeasure(CCommand* owner);
    ~CMeasure() override;

    // Keys do nothing while measuring.
    int OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    int GetCommandType() override { return CommandKind::Measure; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;
    int OnMouseMove(UINT nFlags, const Position& pt) override;
    int OnRButtonDown(UINT nFlags, const Position& pt) override;
    int OnLButtonUp(UINT nFlags, const Position& pt) override;
    int OnTimer(const Position& cursor) override;

    // The report of a measurement from `from` to `to`, in millimetres when `unitName`
    // is "MM" and in mils otherwise.
    static std::string Report(const Position& from, const Position& to,
                              const std::string& unitName);

    Position start;
    int waitingForEnd = 0;
};
