#include "CCreateComponent.h"

#include "board/CInfomation.h"
#include "board/ViewPort.h"
#include "model/CComponent.h"
#include "model/UiServices.h"

CCreateComponent::CCreateComponent(CCommand* owner, std::unique_ptr<CComponent> component)
{
    m_pOwner = owner;
    if (!component) {
        m_ready = 0;
        return;
    }
    HoldEntity(std::move(component));
    lastPoint = m_anchor = m_pEntity->GetPosition();
    if (AskDesignator())
        return;
    m_ready = 0;
    if (ViewPort* view = Board().GetView())
        view->PostBoardNotify(BN_SHOW_BROWSER, 0);
}

CCreateComponent::~CCreateComponent() = default;

bool CCreateComponent::AskDesignator()
{
    DesignatorValues values;
    values.text = m_pEntity->GetNameString();
    if (!UiServices::Current().Ask(values))
        return false;
    m_pEntity->SetName(values.text);
    lastPoint = m_anchor = m_pEntity->GetPosition();
    m_box = BOX2D();
    m_pEntity->GetBox(&m_box, nullptr);
    return true;
}

int CCreateComponent::OnMouseMove(UINT nFlags, const Position& pt)
{
    int flag = 0;
    m_pEntity->Move(pt, lastPoint, &flag);
    // The repaint box moves exactly as the component did.
    BOX2D moved = m_box;
    moved.Move(pt, lastPoint);
    RepaintArea(m_box.Union(moved));
    m_box = moved;
    lastPoint = m_anchor = pt;
    return CCommand::OnMouseMove(nFlags, pt);
}

int CCreateComponent::OnLButtonDown(UINT nFlags, const Position& pt)
{
    CCommand::OnLButtonDown(nFlags, pt);
    Board().AddEntity(std::unique_ptr<CEntity>(m_pEntity->Clone()));
    if (ViewPort* view = Board().GetView())
        view->ReleaseCapture();
    if (!AskDesignator())
        EndCommand();
    return 0;
}

int CCreateComponent::OnRButtonDown(UINT, const Position&)
{
    return EndCommand();
}

int CCreateComponent::OnLButtonUp(UINT, const Position&)
{
    return 0;
}
