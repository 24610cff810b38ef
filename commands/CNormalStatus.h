// The idle state of the editor and the dispatcher of every tool. The view embeds one
// and routes every mouse, key and timer event to it. While no tool is current it
// handles selection, property editing, transformations of the selection, pointer
// jumps to object points and keyboard popup menus; while a tool is current it snaps
// points to the grid and forwards the events. It owns the current tool.
//
// A tool may end itself (or start another) from inside one of its own handlers: the
// old tool is then parked and freed only after the outermost handler has returned,
// and the dispatcher reads the current tool again after every forwarded call.
#pragma once

#include "CCommand.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The popups the keyboard opens from the main frame's menus, and the language switch.
enum class KeyMenu {
    Grid,         // 'G': View > Grid
    Place,        // 'P': the Place menu
    Zoom,         // 'Z': View > Zoom
    NextLanguage, // F8: the next user-interface language
};

class CNormalStatus : public CCommand
{
  public:
    // Whether a tool of this kind exists (kind 0, idle, always does).
    static bool HasTool(int kind);
    CNormalStatus();
    ~CNormalStatus() override;

    int OnRButtonDblClk(UINT nFlags, const Position& pt) override;
    int OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    int OnLButtonDblClk(UINT nFlags, const Position& pt) override;
    // Ends the current tool (the user ended it) and starts the tool of `kind`; kinds
    // without a tool leave the dispatcher idle.
    int SetCommand(int kind, CommandParam param = {}) override;
    int GetCommandType() override { return 0; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;
    int OnMouseMove(UINT nFlags, const Position& pt) override;
    int OnRButtonDown(UINT nFlags, const Position& pt) override;
    int OnLButtonUp(UINT nFlags, const Position& pt) override;
    // The view's hover timer: forwarded to the tool; while idle with the left button
    // held on an object, the pointer jumps to the object's snap point once more than
    // kHoverDelayMs have passed since the last check.
    int OnTimer(const Position& cursor) override;

    // The current tool, null when idle.
    CCommand* GetCurrentCommand() const { return m_pCurrent.get(); }
    bool HasCommand() const { return m_pCurrent != nullptr; }
    // True when a tool other than the area selection is current.
    bool IsBusy() const;
    // A layer chosen in the toolbar's list: the current tool, if any, is told.
    void OnLayerChosen(int layer) override;
    // Ends the current tool, telling it why; idle afterwards.
    void EndCurrentCommand(EndReason why);
    // Before the board changes under the current tool (undo, redo, cut, delete, insert):
    // a tool that holds board objects is ended as if the user had ended it.
    void EndToolHoldingObjects();

    // Opens the keyboard popups of the main frame; unset: the keys do nothing.
    void SetKeyMenuHandler(std::function<void(KeyMenu)> handler) { m_keyMenu = std::move(handler); }
    // Tells whether a popup or dialog is open elsewhere; the timer then opens none.
    void SetModalQuery(std::function<bool()> isModalOpen)
    {
        m_isModalOpen = std::move(isModalOpen);
    }

    static constexpr std::uint32_t kHoverDelayMs = 1200;

    // 0 after the dispatcher moved the pointer itself: the next move is ignored.
    int acceptMove = 1;
    // Set by every mouse move; the hover jump runs only while set.
    int hoverArmed = 0;

  protected:
    // Builds the tool of `kind` (null for kinds without one): the one table of tools.
    virtual std::unique_ptr<CCommand> CreateTool(int kind, CommandParam& param);

  private:
    class CallScope;

    // Ends the current tool: freed now, or parked while a handler is running.
    void DropCurrent(EndReason why);
    // Snaps `pt` when the grid is on and the current tool takes snapped points.
    bool ToolTakesSnap() const;
    // Space, 'X' and 'Y' on the selection.
    void TransformSelection(UINT nChar, const Position& about);
    bool ModalOpen() const;

    std::unique_ptr<CCommand> m_pCurrent;
    std::uint32_t m_lastHoverTick = 0;
    // The left button as last reported by the mouse handlers.
    bool m_leftDown = false;
    // Nesting depth of the handlers now running, and the tools ended meanwhile.
    int m_depth = 0;
    std::vector<std::unique_ptr<CCommand>> m_parked;
    std::function<void(KeyMenu)> m_keyMenu;
    std::function<bool()> m_isModalOpen;
};
