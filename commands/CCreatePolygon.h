// The polygon tool: draws the outline of a polygon pour segment by segment with the
// track tool's rubber band and routing modes, and puts the closed, hatched pour on the
// board when the user ends the tool (right press, Esc, double click, another tool).
// The pour's properties are asked when the tool starts; cancelling them starts nothing.
// Until the end the outline belongs to the tool: nothing reaches the board, Backspace
// takes back outline segments only, and a teardown (board or view closed) drops it.
#pragma once

#include "CCreateLine.h"

#include <memory>

class CPolygon;

class CCreatePolygon : public CCreateLine
{
  public:
    explicit CCreatePolygon(CCommand* owner);
    ~CCreatePolygon() override;

    int OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    int GetCommandType() override { return CommandKind::Polygon; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;
    int OnMouseMove(UINT nFlags, const Position& pt) override;
    int OnRButtonDown(UINT nFlags, const Position& pt) override;
    void OnEndCommand(EndReason why) override;

    // The mode Space switches to in this tool: 0 -> 3 -> 2 -> 0; the arc corner (1)
    // is never chosen here and stays as it is.
    static int NextPolygonMode(int mode);

    // The pour being drawn; owned by the tool until it is put on the board.
    std::unique_ptr<CPolygon> polygon;

  private:
    // Gives `e` the pour's width and layer.
    void TakePolygonLook(CEntity* e) const;
    // The outline drawn so far and the rubber band, in the pour's width and layer,
    // shown over the board.
    void ShowOutline();
    // Drops the rubber band and takes the outline off the screen (it stays the tool's).
    void HideOutline();
    // Closes the outline back to its first vertex, hatches it and adds it to the board
    // (one undo step), when it has at least two segments.
    void Finish();
};
