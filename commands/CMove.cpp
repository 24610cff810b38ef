#include "CMove.h"

#include "board/CInfomation.h"
#include "board/UndoScope.h"
#include "board/ViewPort.h"
#include "model/CComponent.h"
#include "model/CPolygon.h"
#include "model/Constants.h"

#include <algorithm>

CMove::CMove(CCommand* owner, std::list<CEntity*> objects, int mode)
    : m_objects(std::move(objects)), m_mode(mode)
{
    m_pOwner = owner;
    if (m_mode != CopyMode)
        return;
    for (CEntity* e : m_objects)
        m_clones.emplace_back(e);
    // The clones are in hand already: the next press drops them.
    m_nStep = 1;
    Board().ClearSelection();
    Board().SetTempEntities(m_objects);
    BOX2D box;
    if (CManElement::UnionOfBoxes(m_objects, nullptr, false, &box))
        m_box = box;
}

CMove::~CMove()
{
    if (!m_done)
        Cancel();
}

bool CMove::Holding() const
{
    return m_mode == CopyMode || m_before != nullptr;
}

void CMove::Unregister()
{
    const std::list<CEntity*>& temp = Board().GetTempEntities();
    if (!temp.empty() &&
        std::find(m_objects.begin(), m_objects.end(), temp.front()) != m_objects.end())
        Board().ClearTempEntities();
}

void CMove::PickUp(const Position& pt)
{
    for (CEntity* e : m_objects) {
        if (e->GetType() != ET_COMPONENT)
            continue;
        if (CEntity* part = static_cast<CComponent*>(e)->HitTestPart(pt, nullptr, nullptr)) {
            m_objects = {part};
            break;
        }
    }
    BOX2D box;
    if (CManElement::UnionOfBoxes(m_objects, nullptr, false, &box))
        m_box = box;
    m_before = std::make_unique<UndoScope>(Board(), m_objects);
    Board().SetTempEntities(m_objects);
    if (ViewPort* view = Board().GetView())
        view->InvalidateAll();
}

int CMove::OnLButtonDown(UINT nFlags, const Position& pt)
{
    CCommand::OnLButtonDown(nFlags, pt);
    if (m_nStep == 1 && m_mode == MoveMode) {
        PickUp(pt);
        m_press = pt;
        m_drag = pt;
        m_dragSet = true;
    } else if (m_nStep >= 2) {
        Drop(pt);
    }
    return 0;
}

void CMove::Drop(const Position& pt)
{
    if (m_dragSet)
        MoveGroup(pt);
    m_done = true;
    Unregister();
    if (m_mode == MoveMode) {
        if (m_before && (m_changed || pt != m_press)) {
            for (CEntity* e : m_objects)
                if (e->GetType() == ET_POLYGON)
                    static_cast<CPolygon*>(e)->RebuildFill();
            m_before->Commit();
        }
        // Unchanged: the scope puts every object back exactly.
        m_before.reset();
    } else {
        Board().m_pasteAnchor = std::make_unique<Position>(pt);
        std::list<CEntity*> added;
        for (auto& clone : m_clones)
            added.push_back(clone.release()); // the board's from here
        m_clones.clear();
        Board().AddEntities(&added);
    }
    if (ViewPort* view = Board().GetView())
        view->InvalidateAll();
    EndCommand();
}

void CMove::Cancel()
{
    m_done = true;
    Unregister();
    m_before.reset();
    m_clones.clear();
    m_objects.clear();
    if (ViewPort* view = Board().GetView())
        view->InvalidateAll();
}

void CMove::MoveGroup(const Position& to)
{
    int flag = 0;
    for (CEntity* e : m_objects)
        e->Move(to, m_drag, &flag);
    BOX2D moved = m_box;
    moved.Move(to, m_drag);
    RepaintGroupArea(m_box.Union(moved));
    m_box = moved;
    m_drag = to;
}

int CMove::OnMouseMove(UINT nFlags, const Position& pt)
{
    CCommand::OnMouseMove(nFlags, pt);
    // The move that follows the tool's creation carries nothing yet.
    if (!m_firstMoveSkipped) {
        m_firstMoveSkipped = true;
        return 0;
    }
    if (!Holding() || m_nStep > 1)
        return 0;
    if (!m_dragSet) {
        m_drag = pt;
        m_dragSet = true;
    }
    MoveGroup(pt);
    return 0;
}

int CMove::OnRButtonDown(UINT, const Position&)
{
    Cancel();
    return EndCommand();
}

int CMove::OnLButtonUp(UINT, const Position&)
{
    return 0;
}

void CMove::OnEndCommand(EndReason)
{
    if (!m_done)
        Cancel();
}

int CMove::OnKeyDown(UINT nChar, UINT, UINT)
{
    if (!Holding() || m_done)
        return 0;
    if (nChar == VK::Tab)
        EditSingle();
    else if (nChar == VK::Space || nChar == 'X' || nChar == 'Y')
        Transform(nChar, Board().GetCursorPosition());
    return 0;
}

void CMove::EditSingle()
{
    if (m_objects.size() != 1)
        return;
    ViewPort* view = Board().GetView();
    if (view)
        view->ReleaseCapture();
    CEntity* e = m_objects.front();
    if (e->EditProperties(0, Position(0, 0))) {
        Board().NotifyModified();
        m_changed = true;
        e->GetBox(&m_box, nullptr);
    }
    if (view)
        view->SetCapture();
}

void CMove::Transform(UINT nChar, const Position& about)
{
    BOX2D turned = m_box;
    for (CEntity* e : m_objects)
        TurnOrMirror(*e, nChar, about);
    TurnOrMirror(turned, nChar, about);
    RepaintGroupArea(m_box.Union(turned));
    m_box = turned;
    m_changed = true;
}

void CMove::RepaintGroupArea(const BOX2D& area)
{
    // A group drawn over the board (board objects in hand, clones) leaves the board's
    // picture as it is; a part moved within its component changes it.
    RepaintArea(area, std::all_of(m_objects.begin(), m_objects.end(),
                                  [this](const CEntity* e) { return Board().DrawnOverBoard(*e); }));
}
