#include "CCreateFillArea.h"

#include "board/CInfomation.h"
#include "model/CFillArea.h"

#include <memory>

CCreateFillArea::CCreateFillArea(CCommand* owner)
{
    m_pOwner = owner;
    HoldEntity(std::make_unique<CFillArea>());
}

CCreateFillArea::~CCreateFillArea() = default;

CFillArea* CCreateFillArea::Fill() const
{
    return static_cast<CFillArea*>(m_pEntity);
}

int CCreateFillArea::OnLButtonDown(UINT nFlags, const Position& pt)
{
    CCommand::OnLButtonDown(nFlags, pt);
    if (m_nStep == 1) {
        corner1 = corner2 = pt;
        Fill()->SetCorner1(pt);
        Fill()->SetCorner2(pt);
        m_box = BOX2D();
        Fill()->GetBox(&m_box, nullptr);
        return 0;
    }
    corner2 = pt;
    Fill()->SetCorner2(pt);
    RepaintEntity();
    Board().AddEntity(std::unique_ptr<CEntity>(m_pEntity->Clone()));
    HoldEntity(std::make_unique<CFillArea>());
    m_nStep = 0;
    return 0;
}

int CCreateFillArea::OnMouseMove(UINT nFlags, const Position& pt)
{
    if (m_nStep == 1) {
        corner2 = pt;
        Fill()->SetCorner2(pt);
        RepaintEntity();
    }
    return CCommand::OnMouseMove(nFlags, pt);
}

int CCreateFillArea::OnRButtonDown(UINT, const Position&)
{
    return EndCommand();
}

int CCreateFillArea::OnLButtonUp(UINT, const Position&)
{
    return 0;
}
