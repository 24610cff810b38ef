// Moving and copying a group of objects with the mouse.
//
// Move mode (kind 11): made with the selection when a press lands on a selected
// object; that press picks the group up (a press on one part of a selected component
// picks that part alone), the group follows the pointer, and the next press drops it:
// one undo step when the group changed (moved, turned, mirrored or edited), none
// otherwise. Space turns the group a quarter turn, 'X' and 'Y' mirror it, Tab edits a
// single object, all about the pointer. Any end without a drop puts every object back.
//
// Copy mode (kind 29, reported as 11): made with fresh clones (Paste), which the tool
// owns until the drop adds them to the board in one undo step and makes the drop point
// the board's paste anchor; any end without a drop frees them. The paste buffer is
// never touched.
//
// The group is drawn as the board's temporary objects. Points in mils, angles in
// radians. GUI thread only.
#pragma once

#include "CCommand.h"
#include "CommandKinds.h"

#include <list>
#include <memory>
#include <vector>

class UndoScope;

class CMove : public CCommand
{
  public:
    enum Mode { MoveMode = 0, CopyMode = 1 };

    // `objects`: board objects (move mode) or clones that the tool takes over (copy
    // mode), made live by the caller.
    CMove(CCommand* owner, std::list<CEntity*> objects, int mode);
    ~CMove() override;

    int OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    int GetCommandType() override { return CommandKind::Move; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;
    int OnMouseMove(UINT nFlags, const Position& pt) override;
    // Cancel: everything goes back (move) or the clones are freed (copy); the tool ends.
    int OnRButtonDown(UINT nFlags, const Position& pt) override;
    int OnLButtonUp(UINT nFlags, const Position& pt) override;
    // Without a drop, whatever the reason: the same as a cancel.
    void OnEndCommand(EndReason why) override;
    bool HoldsBoardObjects() const override { return true; }

    int GetMode() const { return m_mode; }
    const std::list<CEntity*>& Objects() const { return m_objects; }

  private:
    // Picks the group (or the part under pt) up: its box, and its state for undo.
    void PickUp(const Position& pt);
    void Drop(const Position& pt);
    // Puts the group back (move) or frees the clones (copy).
    void Cancel();
    // Moves the group from the drag anchor to `to`, repainting old and new places.
    void MoveGroup(const Position& to);
    // Space, 'X', 'Y' on the group about `about`; Tab on a single object.
    void Transform(UINT nChar, const Position& about);
    // Queues the repaint of an area the group swept.
    void RepaintGroupArea(const BOX2D& area);
    void EditSingle();
    // Whether the group may be changed now: copy mode, or a move picked up.
    bool Holding() const;
    void Unregister();

    std::list<CEntity*> m_objects;
    Position m_press;
    Position m_drag;
    bool m_dragSet = false;
    int m_mode;
    bool m_firstMoveSkipped = false;
    // Turned, mirrored or edited since the pick-up.
    bool m_changed = false;
    bool m_done = false;
    // Move mode, from the pick-up: the state of each object to go back to.
    std::unique_ptr<UndoScope> m_before;
    // Copy mode: the clones, until the drop hands them to the board.
    std::vector<std::unique_ptr<CEntity>> m_clones;
};
