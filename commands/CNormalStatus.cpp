#include "CNormalStatus.h"

#include "CommandKinds.h"
#include "ToolTable.h"
#include "board/CInfomation.h"
#include "board/UndoScope.h"
#include "board/ViewPort.h"
#include "model/CEntity.h"
#include "model/Constants.h"
#include "model/UiServices.h"
#include "platform/Clock.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace
{

ViewPort* View()
{
    return theInfomation ? theInfomation->GetView() : nullptr;
}

// Client pixels of the view between the top edge and where a tool's pointer is put
// when it starts above the view.
constexpr int kPointerTopMargin = 15;

} // namespace

// Counts the handlers running on the stack; when the outermost one returns, the tools
// ended meanwhile are freed.
class CNormalStatus::CallScope
{
  public:
    explicit CallScope(CNormalStatus& owner) : m_owner(owner) { ++m_owner.m_depth; }
    ~CallScope()
    {
        if (--m_owner.m_depth == 0)
            m_owner.m_parked.clear();
    }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

  private:
    CNormalStatus& m_owner;
};

CNormalStatus::CNormalStatus() = default;

CNormalStatus::~CNormalStatus()
{
    m_depth = 0;
    DropCurrent(EndReason::Teardown);
    m_parked.clear();
}

bool CNormalStatus::HasTool(int kind)
{
    return ToolTable::HasTool(kind);
}

std::unique_ptr<CCommand> CNormalStatus::CreateTool(int kind, CommandParam& param)
{
    return ToolTable::Make(this, kind, param);
}

void CNormalStatus::DropCurrent(EndReason why)
{
    if (!m_pCurrent)
        return;
    std::unique_ptr<CCommand> old = std::move(m_pCurrent);
    old->OnEndCommand(why);
    old->ReleaseMouse();
    // The old tool's rubber band leaves the board now, while it still exists.
    if (theInfomation)
        theInfomation->SetTempEntity(nullptr);
    if (m_depth > 0)
        m_parked.push_back(std::move(old));
}

void CNormalStatus::EndCurrentCommand(EndReason why)
{
    CallScope scope(*this);
    DropCurrent(why);
    if (ViewPort* view = View())
        view->ReleaseCapture();
}

void CNormalStatus::EndToolHoldingObjects()
{
    if (m_pCurrent && m_pCurrent->HoldsBoardObjects())
        EndCurrentCommand(EndReason::User);
}

int CNormalStatus::SetCommand(int kind, CommandParam param)
{
    CallScope scope(*this);
    if (m_pCurrent) {
        if (m_pCurrent->GetCommandType() == CommandKind::Component)
            if (ViewPort* view = View())
                view->PostBoardNotify(BN_SHOW_BROWSER, 0);
        DropCurrent(EndReason::User);
    }
    // Tools work on the board state: none is made without one.
    if (!theInfomation)
        return 0;

    m_pCurrent = CreateTool(kind, param);
    if (m_pCurrent && !m_pCurrent->IsReady())
        m_pCurrent.reset();

    ViewPort* view = View();
    if (!view)
        return 0;
    if (m_pCurrent) {
        const Point cursor = view->GetCursorPos();
        if (cursor.y < 0)
            view->SetCursorPos(Point{cursor.x, kPointerTopMargin});
    }
    view->ReleaseCapture();
    // The cursor of the new state at once; the view itself leaves the cursor alone
    // while it shows no photograph.
    CursorShape shape = CursorShape::Arrow;
    if (ToolTable::CursorFor(HasCommand(), HasCommand() ? m_pCurrent->GetCommandType() : 0, &shape))
        view->SetCursorShape(shape);
    return 0;
}

void CNormalStatus::OnLayerChosen(int layer)
{
    CallScope scope(*this);
    if (m_pCurrent)
        m_pCurrent->OnLayerChosen(layer);
}

bool CNormalStatus::IsBusy() const
{
    return m_pCurrent && m_pCurrent->GetCommandType() != CommandKind::AreaSelect;
}

bool CNormalStatus::ToolTakesSnap() const
{
    return !m_pCurrent || ToolTable::TakesSnappedPoints(m_pCurrent->GetCommandType());
}

bool CNormalStatus::ModalOpen() const
{
    return m_isModalOpen && m_isModalOpen();
}

int CNormalStatus::OnLButtonDown(UINT nFlags, const Position& point)
{
    CallScope scope(*this);
    if (!theInfomation)
        return 0;
    m_leftDown = true;
    Position pt = point;
    if (!m_pCurrent) {
        if (CEntity* hit = theInfomation->GetElements().HitTest(pt, nullptr)) {
            theInfomation->BringToFront(hit);
            if (nFlags & MK::Shift) {
                hit->ToggleSelect();
                std::list<CEntity*>& selection = theInfomation->SelectionList;
                if (hit->IsSelected())
                    selection.push_back(hit);
                else
                    selection.remove(hit);
                BOX2D box;
                if (hit->GetBox(&box, nullptr))
                    theInfomation->GetDrawingQueue().AddArea(box);
                return 0;
            }
            // A press on the selection starts moving it, with this same press.
            if (hit->IsSelected())
                SetCommand(CommandKind::Move, CommandParam(theInfomation->SelectionList));
        }
    }
    if (theInfomation->m_snap && !(nFlags & MK::Control) && ToolTakesSnap())
        pt = SnapPoint(pt);
    if (m_pCurrent)
        m_pCurrent->OnLButtonDown(nFlags, pt);
    return 0;
}

int CNormalStatus::OnLButtonUp(UINT nFlags, const Position& pt)
{
    CallScope scope(*this);
    m_leftDown = false;
    if (m_pCurrent)
        m_pCurrent->OnLButtonUp(nFlags, pt);
    return 0;
}

int CNormalStatus::OnRButtonDblClk(UINT nFlags, const Position& pt)
{
    CallScope scope(*this);
    if (m_pCurrent)
        m_pCurrent->OnRButtonDblClk(nFlags, pt);
    return 0;
}

int CNormalStatus::OnRButtonDown(UINT nFlags, const Position& pt)
{
    CallScope scope(*this);
    if (m_pCurrent) {
        m_pCurrent->OnRButtonDown(nFlags, pt);
        return 0;
    }
    if (!theInfomation || theInfomation->SelectionList.empty())
        return 0;
    // A right press on the selection offers to store it as a component of one of the
    // user's libraries; pin 1 is then picked with the next press.
    const std::list<CEntity*> selection = theInfomation->SelectionList;
    const double exact = 0.0;
    bool onSelection = false;
    for (CEntity* e : selection)
        if (!onSelection && e->HitTestPoint(pt, &exact, nullptr))
            onSelection = true;
    if (onSelection && theInfomation->AddSelectionToMyLibrary(&selection))
        SetCommand(CommandKind::PinOne);
    return 0;
}

int CNormalStatus::OnMouseMove(UINT nFlags, const Position& point)
{
    CallScope scope(*this);
    m_leftDown = (nFlags & MK::LButton) != 0;
    hoverArmed = 1;
    if (!acceptMove) {
        acceptMove = 1;
        return 0;
    }
    if (!theInfomation)
        return 0;
    if (nFlags & MK::Control)
        JumpToObjectPoint(point, "jump\t", "\tend pos");
    Position pt = point;
    if (theInfomation->m_snap && !(nFlags & MK_LALT) && ToolTakesSnap())
        pt = SnapPoint(pt);
    if (m_pCurrent)
        m_pCurrent->OnMouseMove(nFlags, pt);
    return 0;
}

int CNormalStatus::OnTimer(const Position& cursor)
{
    // Inside a handler (a dialog of it is running) or while a popup or dialog is open
    // elsewhere, the timer neither reaches the tool nor opens anything.
    if (m_depth > 0 || ModalOpen())
        return 0;
    CallScope scope(*this);
    const auto now = std::uint32_t(Clock::Current().NowMs());
    if (m_pCurrent)
        m_pCurrent->OnTimer(cursor);
    if (!hoverArmed || m_pCurrent || !theInfomation) {
        m_lastHoverTick = now;
        return 0;
    }
    if (!m_leftDown)
        return 0;
    CEntity* hit = theInfomation->GetElements().HitTest(cursor, nullptr);
    const std::int64_t elapsed = std::llabs(std::int64_t(now) - std::int64_t(m_lastHoverTick));
    if (hit && elapsed > std::int64_t(kHoverDelayMs)) {
        const Position target = hit->GetSnapPoint(cursor);
        // The move the jump causes is ignored, unless the pointer could not be moved.
        if (target != cursor && JumpPointer(target))
            acceptMove = 0;
    }
    m_lastHoverTick = now;
    return 0;
}

int CNormalStatus::OnLButtonDblClk(UINT, const Position& pt)
{
    CallScope scope(*this);
    SetCommand(CommandKind::None);
    if (!theInfomation)
        return 0;
    CEntity* hit = theInfomation->GetElements().HitTest(pt, nullptr);
    if (!hit)
        theInfomation->ClearSelection();
    else if (hit->EditProperties(0, pt))
        theInfomation->NotifyModified();
    if (ViewPort* view = View())
        view->InvalidateAll();
    return 0;
}

void CNormalStatus::TransformSelection(UINT nChar, const Position& about)
{
    UndoScope change(*theInfomation, theInfomation->SelectionList);
    for (CEntity* e : change.Objects()) {
        e->Invalidate();
        TurnOrMirror(*e, nChar, about);
        e->Invalidate();
    }
    change.Commit();
}

int CNormalStatus::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    CallScope scope(*this);
    if (!theInfomation)
        return 0;
    const double step = theInfomation->GetGrid().GetStep();
    const Position about = SnappedCursor();
    bool passOn = true;
    switch (nChar) {
    case VK::Tab:
        if (!m_pCurrent && theInfomation->SelectionList.size() == 1)
            if (theInfomation->SelectionList.front()->EditProperties(0, Position(0, 0)))
                theInfomation->NotifyModified();
        break;
    case VK::Return: {
        // A click at the pointer; the button itself stays as it is.
        const bool leftDown = m_leftDown;
        OnLButtonDown(0, theInfomation->GetCursorPosition());
        m_leftDown = leftDown;
        break;
    }
    case VK::Escape:
        if (m_pCurrent) {
            m_pCurrent->OnRButtonDown(0, about);
            SetCommand(CommandKind::None);
        } else {
            theInfomation->ClearSelection();
        }
        passOn = false;
        break;
    case VK::Space:
    case 'X':
    case 'Y':
        if (!m_pCurrent && !theInfomation->SelectionList.empty())
            TransformSelection(nChar, about);
        break;
    case VK::Left:
    case VK::Up:
    case VK::Right:
    case VK::Down: {
        // The direction of one grid step along the arrow (board y grows upwards).
        Position dir;
        if (nChar == VK::Left)
            dir = Position(-step, 0);
        else if (nChar == VK::Up)
            dir = Position(0, step);
        else if (nChar == VK::Right)
            dir = Position(step, 0);
        else
            dir = Position(0, -step);
        // The selection moves: a tool holding board objects ends first.
        if (!theInfomation->SelectionList.empty())
            EndToolHoldingObjects();
        // MoveSelection moves by the opposite of what it is given.
        if (!theInfomation->MoveSelection(Position(0, 0) - dir)) {
            JumpPointer(about + dir);
            passOn = false;
        }
        break;
    }
    case 'G':
    case 'P':
    case 'Z':
    case VK::F8:
        if (m_keyMenu)
            m_keyMenu(nChar == 'G'   ? KeyMenu::Grid
                      : nChar == 'P' ? KeyMenu::Place
                      : nChar == 'Z' ? KeyMenu::Zoom
                                     : KeyMenu::NextLanguage);
        break;
    default:
        break;
    }
    // Read again: Enter's click may have replaced the tool.
    if (passOn && m_pCurrent)
        m_pCurrent->OnKeyDown(nChar, nRepCnt, nFlags);
    return 0;
}
