// The array tool: places copies of the objects it was started with in a linear, a
// rectangular or a circular array. The parameter dialog opens when the tool starts
// (Cancel, or no objects, leaves the editor idle) and again on Tab. A linear or
// rectangular array is placed by one press, with the objects' mean point carried to
// the press point; a circular array takes its centre at the first press and is placed
// at the second. All copies go to the board as one undo step and the tool ends; a
// right press ends it without copies.
#pragma once

#include "CCommand.h"
#include "CommandKinds.h"

#include <list>
#include <memory>
#include <string>
#include <vector>

struct ToolParameters;

class CSetArray : public CCommand
{
  public:
    // `objects`: the board's objects to copy (not owned).
    CSetArray(CCommand* owner, std::list<CEntity*> objects);
    ~CSetArray() override;

    int OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    int GetCommandType() override { return CommandKind::Array; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;
    int OnRButtonDown(UINT nFlags, const Position& pt) override;
    int OnLButtonUp(UINT nFlags, const Position& pt) override;
    // The objects it copies.
    bool HoldsBoardObjects() const override { return !objects.empty(); }

    // The most copies one array may hold.
    static constexpr long kMaxCopies = 10000;
    static constexpr const char* kTooMany =
        "An array can hold at most 10000 copies: nothing was placed.";

    std::list<CEntity*> objects;
    Position centre;
    // The name the copies are numbered from; each copy's number grows by the step.
    std::string nameBase;

  private:
    // The dialog over the remembered parameters; false when cancelled.
    bool Setup();
    // The places of the copies of an object whose reference point is `p`, for the
    // press at `pt` (or the circular array's centre); M is the objects' mean point.
    std::vector<Position> Places(const ToolParameters& params, const Position& p,
                                 const Position& mean, const Position& pt) const;
    // How many copies one object gets.
    static long CopiesPerObject(const ToolParameters& params);
    // Copies every live object to its places and adds them as one step.
    void Place(const Position& pt);
};
