#include "CCreateArcBy3pt.h"

#include "board/CInfomation.h"
#include "model/CArc.h"
#include "model/CLine.h"

#include <vector>

CCreateArcBy3pt::CCreateArcBy3pt(CCommand* owner)
{
    m_pOwner = owner;
    HoldEntity(std::make_unique<CArc>());
}

CCreateArcBy3pt::~CCreateArcBy3pt() = default;

void CCreateArcBy3pt::TakeBand(std::unique_ptr<CEntity> band)
{
    if (m_pEntity) {
        const double width = m_pEntity->GetLineWidth();
        band->SetLineWidth(&width);
        band->SetLayer(m_pEntity->GetLayer());
    }
    HoldEntity(std::move(band));
}

int CCreateArcBy3pt::OnLButtonDown(UINT nFlags, const Position& pt)
{
    CCommand::OnLButtonDown(nFlags, pt);
    if (m_nStep == 1) {
        p1 = pt;
    } else if (m_nStep == 2) {
        p2 = pt;
    } else {
        p3 = pt;
        Commit();
    }
    RepaintEntity();
    return 0;
}

void CCreateArcBy3pt::Commit()
{
    auto arc = std::make_unique<CArc>();
    const double width = m_pEntity->GetLineWidth();
    arc->SetLineWidth(&width);
    arc->SetLayer(m_pEntity->GetLayer());
    if (arc->Through(p1, p2, p3))
        Board().AddEntity(std::move(arc));
    TakeBand(std::make_unique<CArc>());
    m_nStep = 0;
}

int CCreateArcBy3pt::OnMouseMove(UINT nFlags, const Position& pt)
{
    if (m_nStep == 1) {
        TakeBand(std::make_unique<CLine>(p1, pt, nullptr));
        RepaintEntity();
    } else if (m_nStep == 2) {
        TakeBand(std::make_unique<CArc>(std::vector<Position>{p1, p2, pt}));
        RepaintEntity();
    }
    return CCommand::OnMouseMove(nFlags, pt);
}

int CCreateArcBy3pt::OnRButtonDown(UINT, const Position&)
{
    return EndCommand();
}

int CCreateArcBy3pt::OnLButtonUp(UINT, const Position&)
{
    return 0;
}
