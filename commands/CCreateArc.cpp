#include "CCreateArc.h"

#include "board/CInfomation.h"
#include "model/CArc.h"
#include "model/CLine.h"
#include "model/Constants.h"

#include <memory>

CCreateArc::CCreateArc(CCommand* owner)
{
    m_pOwner = owner;
    HoldEntity(std::make_unique<CArc>());
}

CCreateArc::~CCreateArc() = default;

CArc* CCreateArc::Arc() const
{
    return static_cast<CArc*>(m_pEntity);
}

int CCreateArc::OnLButtonDown(UINT nFlags, const Position& pt)
{
    CCommand::OnLButtonDown(nFlags, pt);
    CArc* arc = Arc();
    const double direction = centre.AngleTo(pt);
    switch (m_nStep) {
    case 1:
        centre = pt;
        arc->SetGeometry(pt, 0.0, 0.0, 2.0 * PI);
        break;
    case 2:
        // The radius of the press itself, as the last move would have set it.
        arc->SetGeometry(centre, centre.Distance(pt), direction, direction + 2.0 * PI);
        break;
    default:
        arc->SetAngles(arc->GetStartAngle(), direction);
        Commit();
        break;
    }
    RepaintEntity();
    return 0;
}

void CCreateArc::Commit()
{
    CArc* arc = Arc();
    const int noRepaint = 0;
    arc->SetAttachedEntity(nullptr, &noRepaint);
    if (arc->GetRadius() > 0.0)
        Board().AddEntity(std::unique_ptr<CEntity>(arc->Clone()));
    BOX2D last;
    if (arc->GetBox(&last, nullptr))
        m_box = m_box.Union(last);
    HoldEntity(std::make_unique<CArc>());
    m_nStep = 0;
}

int CCreateArc::OnMouseMove(UINT nFlags, const Position& pt)
{
    if (m_nStep > 0) {
        CArc* arc = Arc();
        const int repaint = 1;
        arc->SetAttachedEntity(new CLine(centre, pt, nullptr), &repaint);
        const double direction = centre.AngleTo(pt);
        if (m_nStep == 1)
            arc->SetGeometry(centre, centre.Distance(pt), direction, direction + 2.0 * PI);
        else
            arc->SetAngles(arc->GetStartAngle(), direction);
        RepaintEntity();
    }
    return CCommand::OnMouseMove(nFlags, pt);
}

int CCreateArc::OnRButtonDown(UINT, const Position&)
{
    return EndCommand();
}

int CCreateArc::OnLButtonUp(UINT, const Position&)
{
    return 0;
}
