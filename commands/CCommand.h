// The base class of every interactive editing tool and of the idle dispatcher. A tool
// is a small state machine over a click counter, usually holding one temporary
// rubber-band object that follows the pointer and is cloned onto the board when the
// user commits it. Mouse handlers receive the key-state flags (MK:: values) and a
// board point; keys arrive as VK:: codes.
#pragma once

#include "model/Geometry.h"
#include "platform/WinTypes.h"

#include <list>
#include <memory>
#include <string>

class CComponent;
class CInfomation;
class CEntity;

// Key-state flag the view adds to mouse flags while the left Alt key is down.
constexpr UINT MK_LALT = 0x0020;

// Why a tool is being ended: the user ended it (a tool that commits on end commits),
// or the program tears it down (view closed, board cleared, program exit: nothing is
// committed and a move in progress is cancelled).
enum class EndReason { User, Teardown };

// What a tool is started with, besides its kind.
struct CommandParam {
    // The objects a tool works on (moved, copied, arrayed); board-owned, except the
    // clones handed to a copy (kind 29), which the tool takes over.
    std::list<CEntity*> entities;
    // A component handed over to the tool (placing a component from the browser).
    std::unique_ptr<CComponent> component;
    // A mode for tools that have several.
    int mode = 0;

    CommandParam();
    CommandParam(CommandParam&&) noexcept;
    CommandParam& operator=(CommandParam&&) noexcept;
    ~CommandParam();
    explicit CommandParam(std::list<CEntity*> list, int mode = 0);
    explicit CommandParam(std::unique_ptr<CComponent> owned);
};

class CCommand
{
  public:
    CCommand();
    CCommand(const CCommand&) = delete;
    CCommand& operator=(const CCommand&) = delete;

    // slot 0
    virtual int OnRButtonDblClk(UINT nFlags, const Position& pt);
    // slot 1: the shared keys of the object in hand: Backspace steps back, Tab edits
    // its properties, Space turns it a quarter turn, 'X' and 'Y' mirror it, all about
    // the grid-snapped pointer.
    virtual int OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    // slot 2
    virtual int OnLButtonDblClk(UINT nFlags, const Position& pt);
    // slot 3: switches tools; only the dispatcher does something here.
    virtual int SetCommand(int kind, CommandParam param);
    // slot 4
    virtual int GetCommandType() = 0;
    // slot 5: counts the click; the first one captures the mouse, which stays with the
    // view until the tool resets (the chain or step ends) or ends.
    virtual int OnLButtonDown(UINT nFlags, const Position& pt);
    // slot 6: remembers the point.
    virtual int OnMouseMove(UINT nFlags, const Position& pt);
    // slot 7
    virtual int OnRButtonDown(UINT nFlags, const Position& pt);
    // slot 8
    virtual int OnLButtonUp(UINT nFlags, const Position& pt) = 0;
    // slot 9: the view's hover timer.
    virtual int OnTimer(const Position& cursor);
    // slot 10: runs Reset.
    virtual ~CCommand();

    // Called by the dispatcher just before the tool is destroyed.
    virtual void OnEndCommand(EndReason why);
    // A layer was chosen in the toolbar's layer list while the tool is current.
    virtual void OnLayerChosen(int layer);
    // True while the tool keeps pointers to board objects that a change of the board
    // (undo, redo, cut, delete, insert) could take away or change under it; the
    // dispatcher then ends the tool first.
    virtual bool HoldsBoardObjects() const { return false; }

    // Asks the owner to end this tool; returns 0. The owner frees the tool only once
    // the outermost event handler has returned, so the caller may still touch its
    // members, but should return at once.
    int EndCommand();
    // Back to step 0: the object in hand is repainted and dropped (freed when the tool
    // owns it), the board's temporary-object registration is cleared and the mouse
    // capture the tool took is released.
    void Reset();
    // Lets go of the mouse capture this tool took, if it holds it; called by the
    // dispatcher as the tool ends, before its successor may take the mouse.
    void ReleaseMouse();
    bool HoldsMouse() const { return m_holdsMouse; }
    int IsReady() const { return m_ready; }

  protected:
    // The board state the tool works on. The dispatcher makes tools only while there is
    // one and ends them before it goes, so a tool never checks for it.
    CInfomation& Board() const { return *m_board; }
    // Makes `entity` the object in hand, owned by the tool and registered with the board
    // as its temporary object; the object held before is unregistered and freed.
    // Returns the new object.
    CEntity* HoldEntity(std::unique_ptr<CEntity> entity);
    // Queues the union of m_box and the object's current box for repainting and keeps
    // the new box in m_box.
    void RepaintEntity();
    // Queues a board area for repainting where the object in hand changed: only over the
    // board when the board does not draw the object (a rubber band the tool owns).
    void RepaintArea(const BOX2D& area);
    // The same for an area where only what is drawn over the board changed, or not.
    void RepaintArea(const BOX2D& area, bool overBoardOnly);
    // The board point snapped to the grid.
    static Position SnapPoint(const Position& p);
    // The pointer's board position snapped to the grid.
    static Position SnappedCursor();
    // Moves the pointer onto p; false when there is no view or it refused to move.
    static bool JumpPointer(const Position& p);
    // The jump to an object point under pt: with one object under pt the pointer jumps
    // to its snap point; with several a menu of their descriptions (each wrapped in
    // `before` and `after`) picks one. Nothing happens when pt already lies on one of
    // the snap points.
    static void JumpToObjectPoint(const Position& pt, const std::string& before,
                                  const std::string& after);
    // The turn and mirror keys: Space turns `entity` (or `box`) a quarter turn
    // counter-clockwise about `about`, 'X' mirrors it with MirrorX and any other key with
    // MirrorY, across the line through `about`.
    static void TurnOrMirror(CEntity& entity, UINT nChar, const Position& about);
    static void TurnOrMirror(BOX2D& box, UINT nChar, const Position& about);

  public:
    int m_nStep = 0;
    // The object in hand: a rubber band the tool owns (see HoldEntity), or an object
    // picked by an editing tool (board-owned). Null when none.
    CEntity* m_pEntity = nullptr;
    // The dispatcher that created the tool.
    CCommand* m_pOwner = nullptr;
    Position m_curPos;
    Position m_anchor;
    int m_ready = 1;
    // The box of m_pEntity as last queued for repainting.
    BOX2D m_box;

  private:
    CInfomation* m_board;      // the board state when the tool was made; not owned
    bool m_holdsMouse = false; // the view's mouse capture was taken by this tool
    std::unique_ptr<CEntity> m_ownedEntity;
};
