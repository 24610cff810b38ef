#include "CCreatePolygon.h"

#include "board/CInfomation.h"
#include "model/CLine.h"
#include "model/CPolygon.h"

#include <algorithm>
#include <list>

CCreatePolygon::CCreatePolygon(CCommand* owner) : CCreateLine(owner)
{
    // No rubber band before the first click.
    Reset();
    polygon = std::make_unique<CPolygon>();
    if (!polygon->EditProperties(0, Position(0, 0)))
        m_ready = 0;
    // Polygons are drawn without arc corners.
    if (RoutingMode == 1)
        RoutingMode = 0;
}

CCreatePolygon::~CCreatePolygon()
{
    HideOutline();
}

int CCreatePolygon::NextPolygonMode(int mode)
{
    switch (mode) {
    case 0:
        return 3;
    case 3:
        return 2;
    case 2:
        return 0;
    default:
        return mode;
    }
}

void CCreatePolygon::TakePolygonLook(CEntity* e) const
{
    const double width = polygon->GetLineWidth();
    e->SetLineWidth(&width);
    e->SetLayer(polygon->GetLayer());
}

void CCreatePolygon::ShowOutline()
{
    if (!polygon || !m_pEntity)
        return;
    // However the band was made, it shows what the outline will get.
    TakePolygonLook(m_pEntity);
    const std::vector<CEntity*>& outline = polygon->GetOutline();
    std::list<CEntity*> shown(outline.begin(), outline.end());
    shown.push_back(m_pEntity);
    Board().SetTempEntities(shown);
}

void CCreatePolygon::HideOutline()
{
    Reset();
    if (!polygon || !theInfomation)
        return;
    const std::list<CEntity*>& temp = theInfomation->GetTempEntities();
    const std::vector<CEntity*>& outline = polygon->GetOutline();
    const auto inOutline = [&outline](CEntity* e) {
        return std::find(outline.begin(), outline.end(), e) != outline.end();
    };
    if (std::any_of(temp.begin(), temp.end(), inOutline))
        theInfomation->SetTempEntity(nullptr);
}

int CCreatePolygon::OnLButtonDown(UINT nFlags, const Position& pt)
{
    CCommand::OnLButtonDown(nFlags, pt);
    if (!m_pEntity || m_nStep < 2) {
        TakePolygonLook(NewBandLine(pt, pt));
        AddVertex(pt);
    } else if (std::unique_ptr<CEntity> segment = TakeSegment(pt)) {
        // The outline takes it; the board sees nothing before the tool ends.
        polygon->AddOutlineSegment(segment.release());
    }
    ShowOutline();
    RepaintEntity();
    return 0;
}

int CCreatePolygon::OnMouseMove(UINT nFlags, const Position& pt)
{
    CCreateLine::OnMouseMove(nFlags, pt);
    ShowOutline();
    return 0;
}

int CCreatePolygon::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK::Space) {
        ++spaceCount;
        RoutingMode = NextPolygonMode(RoutingMode);
        OnMouseMove(0, RebuildPoint());
        return 0;
    }
    if (nChar == VK::Back && vertices.size() > 1) {
        // The last segment leaves the screen before it is freed; board objects are
        // never touched.
        Board().SetTempEntity(m_pEntity);
        polygon->RemoveLastOutlineSegment();
        DropLastVertex();
    }
    return CCommand::OnKeyDown(nChar, nRepCnt, nFlags);
}

int CCreatePolygon::OnRButtonDown(UINT, const Position&)
{
    return EndCommand();
}

void CCreatePolygon::OnEndCommand(EndReason why)
{
    HideOutline();
    if (why == EndReason::User)
        Finish();
    polygon.reset();
}

void CCreatePolygon::Finish()
{
    if (!polygon || polygon->GetOutline().size() < 2 || vertices.empty())
        return;
    auto closing = std::make_unique<CLine>(vertices.back(), vertices.front(), nullptr);
    polygon->AddOutlineSegment(closing.release());
    polygon->RebuildFill();
    polygon->Invalidate();
    Board().AddEntity(std::move(polygon));
}
