#include "CPlaceObject.h"

#include "board/CInfomation.h"
#include "model/CEntity.h"

CPlaceObject::CPlaceObject(CCommand* owner, int positionFlag) : m_positionFlag(positionFlag)
{
    m_pOwner = owner;
}

CPlaceObject::~CPlaceObject() = default;

void CPlaceObject::Take(std::unique_ptr<CEntity> object)
{
    HoldEntity(std::move(object));
    m_box = BOX2D();
    if (m_pEntity->GetBox(&m_box, nullptr))
        RepaintArea(m_box);
}

void CPlaceObject::PlaceCopy()
{
    if (m_pEntity)
        Board().AddEntity(std::unique_ptr<CEntity>(m_pEntity->Clone()));
}

int CPlaceObject::OnMouseMove(UINT nFlags, const Position& pt)
{
    if (m_pEntity && m_nStep == 0) {
        m_pEntity->SetPosition(pt, m_positionFlag);
        RepaintEntity();
    }
    return CCommand::OnMouseMove(nFlags, pt);
}

int CPlaceObject::OnRButtonDown(UINT, const Position&)
{
    return EndCommand();
}

int CPlaceObject::OnLButtonUp(UINT, const Position&)
{
    return 0;
}
