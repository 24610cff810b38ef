// The shared part of the tools that pick existing board objects one after another
// (offset, chamfer, fillet): the object picked first is selected while it is held and
// given back its own selected state when it is let go; Tab opens the tool's parameter
// dialog, a right press lets the pick go and ends the tool. The picked object belongs
// to the board; the tool holds it only as long as it is live.
#pragma once

#include "CCommand.h"

class CLine;

class CPickCommand : public CCommand
{
  public:
    explicit CPickCommand(CCommand* owner);
    ~CPickCommand() override;

    // Tab: the parameter dialog; every other key does nothing.
    int OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    int OnRButtonDown(UINT nFlags, const Position& pt) override;
    int OnLButtonUp(UINT nFlags, const Position& pt) override;
    void OnEndCommand(EndReason why) override;
    // The first pick, while there is one.
    bool HoldsBoardObjects() const override { return m_pEntity != nullptr; }

    // Where two tracks meet and in which directions the picked sides leave the
    // crossing point (radians).
    struct Corner {
        Position crossing;
        double first = 0.0;
        double second = 0.0;
        double opening = 0.0; // the angle between the two directions, below pi
    };
    // The corner of `a` picked at `pa` and `b` picked at `pb`; false for parallel
    // tracks, a pick on the crossing point or tracks meeting at an angle near 0.
    static bool FindCorner(const CLine& a, const Position& pa, const CLine& b, const Position& pb,
                           Corner* out);
    // The piece of `track` from `cut` to its end that lies farthest from `crossing` in
    // direction `dir` (the end away from the crossing point on the picked side); null
    // when `cut` lies beyond that end. Owned by the caller.
    static CLine* TrimmedPiece(CLine& track, const Position& crossing, double dir,
                               const Position& cut);

  protected:
    // Opens the tool's dialog and keeps the values the user confirms.
    virtual void EditParameters() = 0;
    // The live track under pt, or null.
    CLine* TrackAt(const Position& pt);
    // Holds `entity` as the first pick and selects it.
    void Pick(CEntity* entity);
    // Lets the pick go, giving it back the selected state it had; nothing held after.
    void Release();
    // Lets go of a pick that is no longer on the board (undone meanwhile).
    void DropDeadPick();
    // A short note in the status bar.
    void Tell(const std::string& text) const;

    Position firstPress;

  private:
    bool m_wasSelected = false;
};
