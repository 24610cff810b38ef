// The shared part of the tools that join two tracks at their corner (chamfer, fillet):
// the first press on a live track picks it, a press on another track then joins the
// two at the corner of the sides pressed (nothing where they make no corner). The
// tracks belong to the board.
#pragma once

#include "CPickCommand.h"

class CTrackCornerCmd : public CPickCommand
{
  public:
    explicit CTrackCornerCmd(CCommand* owner);
    ~CTrackCornerCmd() override;

    int OnLButtonDown(UINT nFlags, const Position& pt) override;

  protected:
    // Joins the picked track `first` to `second` at `corner`, the corner of the two
    // picked sides.
    virtual void Join(CLine* first, CLine* second, const Corner& corner) = 0;
};
