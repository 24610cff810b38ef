#include "CCommand.h"

#include "board/CInfomation.h"
#include "board/ViewPort.h"
#include "model/CComponent.h"
#include "model/CEntity.h"
#include "model/Constants.h"
#include "model/UiServices.h"

#include <algorithm>
#include <vector>

namespace
{

template <class Shape> void TurnOrMirrorShape(Shape& shape, UINT nChar, const Position& about)
{
    if (nChar == VK::Space)
        shape.Rotate(about, PI * 0.5);
    else if (nChar == 'X')
        shape.MirrorX(about);
    else
        shape.MirrorY(about);
}

} // namespace

void CCommand::TurnOrMirror(CEntity& entity, UINT nChar, const Position& about)
{
    TurnOrMirrorShape(entity, nChar, about);
}

void CCommand::TurnOrMirror(BOX2D& box, UINT nChar, const Position& about)
{
    TurnOrMirrorShape(box, nChar, about);
}

CommandParam::CommandParam() = default;
CommandParam::CommandParam(CommandParam&&) noexcept = default;
CommandParam& CommandParam::operator=(CommandParam&&) noexcept = default;
CommandParam::~CommandParam() = default;

CommandParam::CommandParam(std::list<CEntity*> list, int m) : entities(std::move(list)), mode(m) {}

CommandParam::CommandParam(std::unique_ptr<CComponent> owned) : component(std::move(owned)) {}

namespace
{

ViewPort* View()
{
    return theInfomation ? theInfomation->GetView() : nullptr;
}

} // namespace

CCommand::CCommand() : m_board(theInfomation) {}

CCommand::~CCommand()
{
    Reset();
}

int CCommand::OnRButtonDblClk(UINT, const Position&)
{
    return 0;
}

int CCommand::OnLButtonDblClk(UINT, const Position&)
{
    return 0;
}

int CCommand::SetCommand(int, CommandParam)
{
    return 0;
}

int CCommand::OnLButtonDown(UINT, const Position&)
{
    ++m_nStep;
    if (m_nStep == 1)
        if (ViewPort* view = View()) {
            view->SetCapture();
            m_holdsMouse = true;
        }
    return 0;
}

int CCommand::OnMouseMove(UINT, const Position& pt)
{
    m_curPos = pt;
    return 0;
}

int CCommand::OnRButtonDown(UINT, const Position&)
{
    return 0;
}

int CCommand::OnTimer(const Position&)
{
    return 0;
}

void CCommand::OnEndCommand(EndReason) {}

void CCommand::OnLayerChosen(int) {}

int CCommand::OnKeyDown(UINT nChar, UINT, UINT)
{
    if (!m_pEntity || !theInfomation)
        return 0;
    const Position about = SnappedCursor();
    BOX2D turned = m_box;
    switch (nChar) {
    case VK::Back:
        if (m_nStep >= 2)
            --m_nStep;
        return 0;
    case VK::Tab: {
        // The dialog gets the mouse; the view takes it back only for a step in progress.
        ViewPort* view = View();
        if (view)
            view->ReleaseCapture();
        if (m_pEntity->EditProperties(0, Position(0, 0)))
            theInfomation->NotifyModified();
        m_pEntity->GetBox(&m_box, nullptr);
        if (view && m_holdsMouse)
            view->SetCapture();
        return 0;
    }
    case VK::Space:
        m_pEntity->Rotate(about, PI * 0.5);
        turned.Rotate(about, PI * 0.5);
        break;
    case 'X':
        m_pEntity->MirrorX(about);
        turned.MirrorX(about);
        break;
    case 'Y':
        m_pEntity->MirrorY(about);
        turned.MirrorY(about);
        break;
    default:
        return 0;
    }
    RepaintArea(m_box.Union(turned));
    // Later repaints must cover the object where it is now.
    m_box = turned;
    return 0;
}

int CCommand::EndCommand()
{
    if (m_pOwner)
        m_pOwner->SetCommand(0, CommandParam());
    return 0;
}

void CCommand::ReleaseMouse()
{
    if (!m_holdsMouse)
        return;
    m_holdsMouse = false;
    if (ViewPort* view = View())
        view->ReleaseCapture();
}

void CCommand::Reset()
{
    m_nStep = 0;
    ReleaseMouse();
    if (m_pEntity)
        m_pEntity->Invalidate();
    if (theInfomation) {
        // Only our own object is unregistered: a tool freed after its successor
        // started must not take the successor's rubber band off the board.
        const std::list<CEntity*>& temp = theInfomation->GetTempEntities();
        auto ours = [this](CEntity* e) {
            return e && (e == m_pEntity || e == m_ownedEntity.get());
        };
        if (std::any_of(temp.begin(), temp.end(), ours))
            theInfomation->SetTempEntity(nullptr);
    }
    m_pEntity = nullptr;
    m_ownedEntity.reset();
}

CEntity* CCommand::HoldEntity(std::unique_ptr<CEntity> entity)
{
    CEntity* held = entity.get();
    // The board repaints the object registered before, so it is freed only afterwards.
    if (theInfomation)
        theInfomation->SetTempEntity(held);
    m_ownedEntity = std::move(entity);
    m_pEntity = held;
    return held;
}

void CCommand::RepaintEntity()
{
    if (!m_pEntity || !theInfomation)
        return;
    BOX2D now;
    if (!m_pEntity->GetBox(&now, nullptr))
        return;
    RepaintArea(m_box.Union(now));
    m_box = now;
}

void CCommand::RepaintArea(const BOX2D& area)
{
    RepaintArea(area, m_pEntity && theInfomation->DrawnOverBoard(*m_pEntity));
}

void CCommand::RepaintArea(const BOX2D& area, bool overBoardOnly)
{
    CDrawingQueue& queue = theInfomation->GetDrawingQueue();
    if (overBoardOnly)
        queue.AddOverlayArea(area);
    else
        queue.AddArea(area);
}

Position CCommand::SnapPoint(const Position& p)
{
    if (!theInfomation)
        return p;
    // On the board, not through a pixel: below actual size a pixel spans several mils.
    return theInfomation->GetGrid().SnapBoard(p);
}

Position CCommand::SnappedCursor()
{
    if (!theInfomation)
        return Position();
    return SnapPoint(theInfomation->GetCursorPosition());
}

bool CCommand::JumpPointer(const Position& p)
{
    ViewPort* view = View();
    if (!view)
        return false;
    theInfomation->SetCursorPosition(p);
    const Point target = p.ToScreen();
    const Point scroll = view->GetScrollPosition();
    return view->GetCursorPos() == Point{target.x - scroll.x, target.y - scroll.y};
}

void CCommand::JumpToObjectPoint(const Position& pt, const std::string& before,
                                 const std::string& after)
{
    if (!theInfomation)
        return;
    std::vector<CEntity*> under;
    if (!theInfomation->GetElements().PickAll(pt, nullptr, &under))
        return;
    ListChoice menu;
    std::vector<Position> targets;
    for (CEntity* e : under) {
        const Position target = e->GetSnapPoint(pt);
        // Already on one of the points: nothing to jump to.
        if (target.IsNear(pt))
            return;
        targets.push_back(target);
        menu.items.push_back(before);
        menu.items.back() += e->GetDescription();
        menu.items.back() += after;
    }
    if (targets.size() == 1) {
        JumpPointer(targets.front());
        return;
    }
    if (!UiServices::Current().Ask(menu))
        return;
    if (menu.chosen >= 0 && std::size_t(menu.chosen) < targets.size())
        JumpPointer(targets[std::size_t(menu.chosen)]);
}
